// The HyperVoxel block of a scene file: object entries and the renderables
// they make, the parameter and texture lines, lines with no voxel to write
// to, and damaged blocks.
#include "LwsRig.h"

#include "engine/core/render/Renderer.h"
#include "engine/core/texture/Texture.h"
#include "engine/lightwave/TextureLayer.h"
#include "engine/scene/Envelope.h"
#include "engine/scene/HyperVoxelSprites.h"
#include "engine/scene/ParticleEmitter.h"
#include "engine/scene/ParticleRenderer.h"

#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/RecordingWorld.h"
#include "support/SceneRig.h"
#include "tools/lib/ImageWriters.h"

#include <functional>

namespace {

class LwsHyperVoxelTest : public LwsRig {
protected:
    // Null objects for the voxels, then whatever the test writes.
    static LwsWriter withObjects(std::initializer_list<const char*> names)
    {
        LwsWriter w = minimal();
        for (const char* name : names)
            w.addNullObject(name);
        return w;
    }
    MeshObject* named(const std::string& name) const { return scene->findObjectByName(name); }
    HyperVoxel* voxel(const std::string& name) const
    {
        MeshObject* o = named(name);
        return o ? o->m_deviceObject.get() : nullptr;
    }
    TextureLayer* layer(const std::string& name, size_t i) const
    {
        HyperVoxel* v = voxel(name);
        if (!v || i >= v->m_textureLayers.size())
            return nullptr;
        return static_cast<TextureLayer*>(v->m_textureLayers[i].get());
    }
    bool hasTexture(const std::string& name) const
    {
        for (Texture* t : manager->m_textures)
            if (t->m_name == name)
                return true;
        return false;
    }
};

LwsEnvelope twoKeys(float first, float second)
{
    LwsEnvelope e;
    e.keys = {{first, 0.0f, 3, {}}, {second, 1.0f, 3, {}}};
    return e;
}

TEST_F(LwsHyperVoxelTest, ObjectEntriesMakeTheRenderableOfTheirType)
{
    LwsWriter w = withObjects({"Sparks", "Smoke", "Odd", "Twice"});
    w.emitter({});
    w.hyperVoxels({{"Sparks", 2},
                   {"Smoke", 1},
                   {"Missing", 2},
                   {"Twice", 1, {{"Dissolve", "0.5 0"}}},
                   {"Twice", 2}});
    close(w);
    ASSERT_TRUE(load(w.text())) << lastError();
    EXPECT_EQ(lastError(), "");

    auto* quads = dynamic_cast<ParticleRenderer*>(voxel("Sparks"));
    ASSERT_NE(quads, nullptr);
    // Made ready by the reader, not on the first frame.
    EXPECT_EQ(quads->m_capacity, ParticleTableSize);
    EXPECT_TRUE(quads->m_buffers);
    // The emitter on the voxel's object hands its table to the voxel.
    ASSERT_EQ(scene->m_emitters.size(), 1u);
    EXPECT_EQ(scene->m_emitters[0]->renderObject(), voxel("Twice"));
    EXPECT_NE(dynamic_cast<HyperVoxelSprites*>(voxel("Smoke")), nullptr);
    // A second entry replaces the first voxel, values and all.
    auto* twice = dynamic_cast<ParticleRenderer*>(voxel("Twice"));
    ASSERT_NE(twice, nullptr);
    EXPECT_FLOAT_EQ(twice->m_dissolve.m_value, 0.0f);
}

TEST_F(LwsHyperVoxelTest, AnUnknownTypeIsReportedAndLeavesNoVoxel)
{
    LwsWriter w = withObjects({"Odd"});
    w.hyperVoxels({{"Odd", 2}, {"Odd", 7, {{"VOpacity", "0.25 0"}}}});
    close(w);
    ASSERT_TRUE(load(w.text()));
    EXPECT_EQ(lastError(), "unknown hypervoxel type");
    EXPECT_EQ(voxel("Odd"), nullptr);
}

TEST_F(LwsHyperVoxelTest, ParameterLinesSetTheirValues)
{
    struct Row {
        const char* key;
        std::string values;
        std::function<float(HyperVoxel&)> field;
        float expected;
    };
    // Lines read and not kept stand between the kept ones: a misread one
    // would put every later line out of step.
    const std::vector<Row> rows = {
        {"Color", LwsWriter::animatedTriple(std::array<LwsAnimated, 3>{{{0.1f, twoKeys(0, 1)}, {0.2f}, {0.3f}}}),
         nullptr, 0},
        {"Dissolve", "0.25 0", [](HyperVoxel& v) { return v.m_dissolve.m_value; }, 0.25f},
        {"VAmbientColor", "1 1 1 0", nullptr, 0},
        {"ParticleSize", "3 0", [](HyperVoxel& v) { return v.m_particleSize.m_value; }, 3.0f},
        {"VAmbientIntensity", LwsWriter::animated({0.5f, twoKeys(0, 2)}), nullptr, 0},
        {"SizeVariation", "0.5 0", [](HyperVoxel& v) { return v.m_sizeVariation.m_value; }, 0.5f},
        {"BlendingMode", "4", [](HyperVoxel& v) { return float(v.m_blendingMode); }, 4.0f},
        {"BlendingGroup", "2", [](HyperVoxel& v) { return float(v.m_blendingGroup); }, 2.0f},
        {"DiffuseSharp", "0.5 0", nullptr, 0},
        {"VDensity", "0.75 0", [](HyperVoxel& v) { return v.m_density.m_value; }, 0.75f},
        {"VThickness", "0.5 0", nullptr, 0},
        {"VOpacity", "0.5 0", [](HyperVoxel& v) { return v.m_opacity.m_value; }, 0.5f},
        {"VSmoothness", "0.5 0", nullptr, 0},
        {"VShadowStrength", "0.5 0", nullptr, 0},
        {"VLuminosity", "2 0", [](HyperVoxel& v) { return v.m_luminosity.m_value; }, 2.0f},
        {"VColor", LwsWriter::animatedTriple(std::array<LwsAnimated, 3>{{{0.1f}, {0.2f}, {0.3f}}}),
         [](HyperVoxel& v) { return v.m_colorB.m_value; }, 0.3f},
        {"Luminosity", "1 1", nullptr, 0},
        {"NearClip", "0.125 0", [](HyperVoxel& v) { return v.m_nearClip.m_value; }, 0.125f},
        {"VRenderQuality", "2", nullptr, 0},
        {"VShadowQuality", "1", nullptr, 0},
        {"VolumetricShadows", "1", nullptr, 0},
        {"VIllumination", "1", nullptr, 0},
        {"TextureEffect", "0", nullptr, 0},
        {"EffectSpeed", "1", nullptr, 0},
        {"TextureShadows", "0", nullptr, 0},
        {"UseAllLights", "2", [](HyperVoxel& v) { return float(v.m_useAllLights); }, 1.0f},
        {"VLight1", "10000000", nullptr, 0},
        {"VLight2", "10000000", nullptr, 0},
        {"StretchAmount", "1.5 0", [](HyperVoxel& v) { return v.m_stretchAmount.m_value; }, 1.5f},
        {"StretchDirection", "2", [](HyperVoxel& v) { return float(v.m_stretchDirection); }, 2.0f},
        {"AlignToPath", "1", [](HyperVoxel& v) { return float(v.m_alignToPath); }, 1.0f},
        {"MaintainVolume", "0", [](HyperVoxel& v) { return float(v.m_maintainVolume); }, 0.0f},
        {"Slices", "12", [](HyperVoxel& v) { return float(v.m_requestedSlices); }, 12.0f},
        {"UnknownLine", "{ Nested 1 2 { Deeper 3 } }", nullptr, 0},
        {"TextureAmplitude", "0.5 0", [](HyperVoxel& v) { return v.m_textureAmplitude.m_value; }, 0.5f},
    };
    LwsHyperVoxel hv{"Sparks", 2};
    for (const Row& row : rows)
        hv.parameters.push_back({row.key, row.values});
    LwsWriter w = withObjects({"Sparks"});
    w.hyperVoxels({hv});
    close(w);
    ASSERT_TRUE(load(w.text())) << lastError();
    HyperVoxel* v = voxel("Sparks");
    ASSERT_NE(v, nullptr);
    for (const Row& row : rows)
        if (row.field)
            EXPECT_FLOAT_EQ(row.field(*v), row.expected) << row.key;
    // "Color" is read whole and kept nowhere: no colour channel has an
    // envelope, and VColor's constants are the voxel's colour.
    EXPECT_FALSE(v->m_colorR.m_envelope);
    EXPECT_FLOAT_EQ(v->m_colorR.m_value, 0.1f);
    EXPECT_FLOAT_EQ(v->m_colorG.m_value, 0.2f);
}

TEST_F(LwsHyperVoxelTest, EnvelopedValuesReadTheirEnvelopes)
{
    LwsHyperVoxel hv{"Sparks", 2};
    hv.parameters = {
        {"VColor", LwsWriter::animatedTriple(std::array<LwsAnimated, 3>{
                       {{0.1f, twoKeys(0, 1)}, {0.2f, twoKeys(1, 0)}, {0.3f, twoKeys(0.5f, 0.5f)}}})},
        {"Dissolve", LwsWriter::animated({0.25f, twoKeys(0, 4)})},
        // One key makes a constant.
        {"ParticleSize", LwsWriter::animated({1.0f, LwsEnvelope{{{6.0f, 0.0f, 3, {}}}}})},
        {"Slices", "5"},
    };
    LwsWriter w = withObjects({"Sparks"});
    w.hyperVoxels({hv});
    close(w);
    ASSERT_TRUE(load(w.text())) << lastError();
    HyperVoxel* v = voxel("Sparks");
    ASSERT_NE(v, nullptr);
    ASSERT_TRUE(v->m_colorR.m_envelope);
    ASSERT_TRUE(v->m_colorG.m_envelope);
    ASSERT_TRUE(v->m_colorB.m_envelope);
    EXPECT_FLOAT_EQ(v->m_colorR.evaluate(0.5), 0.5f);
    EXPECT_FLOAT_EQ(v->m_colorG.evaluate(1.0), 0.0f);
    ASSERT_TRUE(v->m_dissolve.m_envelope);
    EXPECT_FLOAT_EQ(v->m_dissolve.evaluate(0.25), 1.0f);
    EXPECT_FALSE(v->m_particleSize.m_envelope);
    EXPECT_FLOAT_EQ(v->m_particleSize.m_value, 6.0f);
    EXPECT_EQ(v->m_requestedSlices, 5);
}

TEST_F(LwsHyperVoxelTest, TextureBlocksMakeLayersInOrder)
{
    LwsHyperVoxelLayer first;
    first.lines = {{"Enable", "1"},
                   {"Negative", "1"},
                   {"Channel", "3"},
                   {"Opacity", "2 " + LwsWriter::animated({0.5f, twoKeys(0, 1)})},
                   {"TextureValue", "1"}};
    first.textureLines = {{"Center", LwsWriter::animatedTriple(std::array<LwsAnimated, 3>{{{1}, {2}, {3}}})},
                          {"Size", LwsWriter::animatedTriple(std::array<LwsAnimated, 3>{{{4, twoKeys(4, 8)}, {5}, {6}}})},
                          {"Rotation", "0.5 0.25 0.125 0"},
                          {"RefObject", "(none)"},
                          {"Projection", "3"},
                          {"Axis", "1"},
                          {"WidthWrap", "2 0"},
                          {"HeightWrap", "3 0"},
                          {"AntiAliasing", "1 2.5"},
                          {"PixelBlending", "0"}};
    first.image = "Images/spark.png";
    LwsHyperVoxelLayer second;
    second.name = "Second";
    second.kind = "Procedural";
    second.lines = {{"Enable", "0"}, {"Opacity", "3 1 0"}};
    // A false flag reads no strength: the line behind it still counts.
    second.textureLines = {{"AntiAliasing", "0"}, {"Axis", "0"}};
    second.image = "Images/smoke_nodxt.png";
    LwsHyperVoxelLayer skipped;
    skipped.name = "Skipped";
    skipped.kind = "VertexPaint";
    skipped.textureLines = {{"Axis", "1"}, {"Projection", "2"}};
    skipped.image = "Images/never.png";

    LwsWriter w = withObjects({"Sparks"});
    w.hyperVoxels({{"Sparks", 2, {}, {first, second, skipped}}});
    close(w);
    ASSERT_TRUE(load(w.text())) << lastError();
    ASSERT_NE(voxel("Sparks"), nullptr);
    ASSERT_EQ(voxel("Sparks")->m_textureLayers.size(), 3u);

    TextureLayer* a = layer("Sparks", 0);
    EXPECT_EQ(a->m_enabled, 1);
    EXPECT_EQ(a->m_negative, 1);
    EXPECT_EQ(a->m_channel, 3);
    EXPECT_EQ(a->m_opacityType, 2);
    ASSERT_TRUE(a->m_opacity.m_envelope);
    EXPECT_FLOAT_EQ(a->m_opacity.evaluate(0.5), 0.5f);
    EXPECT_FLOAT_EQ(a->m_centerZ.m_value, 3.0f);
    ASSERT_TRUE(a->m_sizeX.m_envelope);
    EXPECT_FLOAT_EQ(a->m_sizeX.evaluate(1.0), 8.0f);
    EXPECT_FALSE(a->m_sizeY.m_envelope);
    EXPECT_FLOAT_EQ(a->m_sizeY.m_value, 5.0f);
    EXPECT_FLOAT_EQ(a->m_rotationP.m_value, 0.25f);
    EXPECT_EQ(a->m_projection, 3);
    EXPECT_EQ(a->m_axis, 1);
    EXPECT_EQ(a->m_antialias, 1);
    EXPECT_FLOAT_EQ(a->m_antialiasStrength, 2.5f);
    EXPECT_EQ(a->m_pixelBlending, 0);
    ASSERT_NE(a->m_image, nullptr);
    EXPECT_EQ(a->m_image->m_name, "Images/spark.png");
    EXPECT_TRUE(a->hasImage());

    // Disabled layers are made and kept all the same.
    TextureLayer* b = layer("Sparks", 1);
    EXPECT_EQ(b->m_enabled, 0);
    EXPECT_EQ(b->m_opacityType, 3);
    EXPECT_EQ(b->m_antialias, 0);
    EXPECT_FLOAT_EQ(b->m_antialiasStrength, 1.0f);
    EXPECT_EQ(b->m_axis, 0);
    ASSERT_NE(b->m_image, nullptr);
    EXPECT_EQ(b->m_image->m_flags & 3u, 2u);

    // An unknown texture kind is skipped whole, its image not loaded.
    TextureLayer* c = layer("Sparks", 2);
    EXPECT_EQ(c->m_axis, 2);
    EXPECT_EQ(c->m_projection, -1);
    EXPECT_EQ(c->m_image, nullptr);
    EXPECT_FALSE(hasTexture("Images/never.png"));
}

TEST_F(LwsHyperVoxelTest, WrapOptionsFollowTheDeviceAndTheProjection)
{
    // Without a device no address mode but wrap is known; codes LightWave
    // does not define go through as they are.
    struct Row {
        const char* projection;
        const char* codes;
        int32_t u, v;
    };
    const Row rows[] = {
        {"0", "0 3", 1, 1}, {"0", "5 7", 7, 7}, {"1", "5 7", 1, 7}, {"2", "5 7", 1, 1}, {"3", "-4 9", 9, 9},
    };
    LwsHyperVoxel hv{"Sparks", 2};
    for (const Row& row : rows) {
        LwsHyperVoxelLayer l;
        l.textureLines = {{"Projection", row.projection}, {"WrapOptions", row.codes}};
        hv.layers.push_back(l);
    }
    LwsWriter w = withObjects({"Sparks"});
    w.hyperVoxels({hv});
    close(w);
    ASSERT_TRUE(load(w.text())) << lastError();
    for (size_t i = 0; i < std::size(rows); ++i) {
        TextureLayer* l = layer("Sparks", i);
        ASSERT_NE(l, nullptr) << i;
        EXPECT_EQ(l->m_addressU, rows[i].u) << i;
        EXPECT_EQ(l->m_addressV, rows[i].v) << i;
    }
}

TEST_F(LwsHyperVoxelTest, LinesWithoutACurrentVoxelWriteNothing)
{
    LwsHyperVoxelLayer imageLayer;
    imageLayer.image = "Images/lost.png";
    imageLayer.lines = {{"Channel", "9"}};
    const LwsHyperVoxel orphan{"", 0, {{"VOpacity", "0.125 0"}, {"Slices", "3"}}, {imageLayer}};
    struct Row {
        const char* what;
        std::vector<LwsHyperVoxel> voxels;
        std::vector<std::string> lines;
    };
    const std::vector<Row> rows = {
        {"before any object entry", {orphan}, {}},
        {"after an entry for a missing object", {{"Sparks", 2}, {"Missing", 2}, orphan}, {}},
        {"after an entry of an unknown type", {{"Sparks", 2}, {"Odd", 9}, orphan}, {}},
        {"after an entry without its flags",
         {{"Sparks", 2}},
         {"{ HVObject", "  Odd 0 0 0 2 0 0 0", "}", "{ HVChannels", "  VOpacity 0.125 0", "}",
          "{ HVTextures", "  { TextureBlock Lost", "    { Image { Clip { Still Images/lost.png } } }", "  }", "}"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        LwsWriter w = withObjects({"Sparks", "Odd"});
        w.hyperVoxels(row.voxels, row.lines);
        w.addNullObject("After");
        close(w);
        ASSERT_TRUE(load(w.text()));
        // Nothing else got a voxel, the earlier one kept its values, no
        // image was loaded, and the file went on being read behind it.
        EXPECT_EQ(voxel("Odd"), nullptr);
        EXPECT_EQ(voxel("After"), nullptr);
        if (HyperVoxel* v = voxel("Sparks")) {
            EXPECT_FLOAT_EQ(v->m_opacity.m_value, 1.0f);
            EXPECT_EQ(v->m_requestedSlices, 0);
            EXPECT_TRUE(v->m_textureLayers.empty());
        }
        EXPECT_FALSE(hasTexture("Images/lost.png"));
        EXPECT_NE(named("After"), nullptr);
        TearDown();
    }
}

TEST_F(LwsHyperVoxelTest, DamagedBlocksStayInsideTheFile)
{
    auto nested = [](const std::string& open, int times) {
        std::string text;
        for (int i = 0; i < times; ++i)
            text += open + "\n";
        return text;
    };
    struct Row {
        const char* what;
        std::string block;
        size_t layers;
    };
    const std::vector<Row> rows = {
        {"an envelope count far past the file",
         "{ HVObject HVFlags Sparks 0 0 0 2 0 0 0 }\n{ HVChannels\nDissolve 1 1\n{ Envelope\n2147483647\nKey 1 0 3 "
         "0 0 0 0 0 0\n}\n}",
         0},
        {"object entries nested past any sense",
         nested("{ HVObject HVFlags Sparks 0 0 0 2 0 0 0", 500) + "{ HVTextures { TextureBlock x } }", 0},
        {"texture blocks nested past any sense",
         "{ HVObject HVFlags Sparks 0 0 0 2 0 0 0 }\n{ HVTextures\n{ TextureBlock Deep\n" +
             nested("{ Texture ImageMap", 500),
         1},
        {"more layers than a voxel keeps",
         "{ HVObject HVFlags Sparks 0 0 0 2 0 0 0 }\n{ HVTextures\n" + nested("{ TextureBlock x }", 70) + "}",
         HyperVoxel::MaxTextureLayers},
        {"a file that ends in an entry", "{ HVObject HVFlags Sparks 0 0", 0},
        {"a file that ends in a colour", "{ HVObject HVFlags Sparks 0 0 0 2 0 0 0 }\n{ HVChannels\nVColor 1 1 1 1",
         0},
        {"a clip line and what stands behind it",
         "HVClip 0 0 0 0 1 x { Clip { Still Images/clip.png } }\n{ HVObject HVFlags Sparks 0 0 0 1 0 0 0 }", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        LwsWriter w = withObjects({"Sparks"});
        close(w);
        // The block goes last, unclosed, so that a damaged one can run
        // into the file's end.
        w.line("Plugin VolumetricHandler 1 HyperVoxelsFilter");
        w.line("{ HyperVoxelData");
        w.line(row.block);
        ASSERT_TRUE(load(w.text()));
        HyperVoxel* v = voxel("Sparks");
        EXPECT_EQ(v ? v->m_textureLayers.size() : 0u, row.layers);
        TearDown();
    }
}

TEST_F(LwsHyperVoxelTest, AClipLineEndsTheBlock)
{
    LwsWriter w = withObjects({"Sparks", "Smoke"});
    w.hyperVoxels({{"Sparks", 2}},
                  {"HVClip 0 0 0 0 1 x { Clip { Still Images/clip.png } }", "{ HVObject", "  HVFlags Smoke 0 0 0 1 0 0 0",
                   "}"});
    w.addNullObject("After");
    close(w);
    ASSERT_TRUE(load(w.text())) << lastError();
    EXPECT_NE(voxel("Sparks"), nullptr);
    EXPECT_TRUE(hasTexture("Images/clip.png"));
    EXPECT_EQ(voxel("Smoke"), nullptr);
    EXPECT_NE(named("After"), nullptr);
}

// The block's voxels on a device: an emitter's births reach the device as
// quads or as sprite stacks through the voxel its object got.
TEST(LwsHyperVoxelDrawTest, EmittersDrawThroughTheVoxelsTheBlockGaveThem)
{
    RecordingWorld world;
    SceneRig rig;
    ASSERT_TRUE(rig.start());
    MemoryFileSystem files;
    LwsWriter w;
    w.addNullObject("Sparks").emitter({});
    w.addNullObject("Smoke").emitter({});
    w.hyperVoxels({{"Sparks", 2}, {"Smoke", 1}});
    w.addLight("Sun");
    w.addCamera("Camera", {{2, {{{-5, 0, 0, {}}}}}});
    files.addFile("voxels.lws", std::vector<uint8_t>(w.text().begin(), w.text().end()));
    Scene& scene = *rig.scene;
    ASSERT_TRUE(scene.loadLWS(&files, "voxels.lws", nullptr, 0.0f, 1.0f));
    ASSERT_EQ(scene.m_emitters.size(), 2u);

    // The first frame only sets the clock; half a second later each emitter
    // has given birth to 50 particles at 100 a second.
    Camera* camera = scene.m_cameras.front();
    scene.updateParticles(camera, 0.0);
    recordingBackend(rig.device()).clearCalls();
    scene.updateParticles(camera, 0.5);
    EXPECT_EQ(recordedCalls(rig.device(), "draw type 4 primitives 100 indexed").size(), 1u) << "50 quads";
    EXPECT_EQ(recordedCalls(rig.device(), "draw type 4 primitives 3200 indexed").size(), 1u) << "50 stacks";
}

TEST(LwsHyperVoxelDrawTest, TheLayersImagesReachTheStages)
{
    RecordingWorld world;
    SceneRig rig;
    ASSERT_TRUE(rig.start());
    MemoryFileSystem files;
    BmpLayout layout;
    layout.width = layout.height = 2;
    files.addFile("/fx/spark.bmp", writeBmp(layout, {}, {0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000}));
    files.addFile("/fx/smoke.bmp", writeBmp(layout, {}, {0x808080, 0x808080, 0x808080, 0x808080}));
    LwsHyperVoxelLayer off;
    off.lines = {{"Enable", "0"}};
    off.image = "/fx/smoke.bmp";
    LwsHyperVoxelLayer on;
    on.lines = {{"Enable", "1"}, {"Opacity", "0 1 0"}};
    on.image = "/fx/spark.bmp";
    LwsWriter w;
    w.addNullObject("Sparks").emitter({});
    w.hyperVoxels({{"Sparks", 2, {}, {off, on}}});
    w.addLight("Sun");
    w.addCamera("Camera", {{2, {{{-5, 0, 0, {}}}}}});
    files.addFile("voxels.lws", std::vector<uint8_t>(w.text().begin(), w.text().end()));
    Scene& scene = *rig.scene;
    ASSERT_TRUE(scene.loadLWS(&files, "voxels.lws", nullptr, 0.0f, 1.0f));
    rig.manager->prepare(nullptr);
    HyperVoxel* voxel = scene.findObjectByName("Sparks")->m_deviceObject.get();
    ASSERT_TRUE(voxel && voxel->m_textureLayers.size() == 2);
    Texture* spark = static_cast<TextureLayer*>(voxel->m_textureLayers[1].get())->m_image;
    ASSERT_NE(spark, nullptr);

    Camera* camera = scene.m_cameras.front();
    scene.updateParticles(camera, 0.0);
    scene.updateParticles(camera, 0.5);
    ASSERT_EQ(recordedCalls(rig.device(), "draw type 4 primitives 100 indexed").size(), 1u);
    // The switched-off layer draws nothing; the other's image is the one
    // colour stage, on the layer's own coordinates.
    IDirect3DBaseTexture9* bound = nullptr;
    rig.device()->GetTexture(0, &bound);
    if (bound)
        bound->Release();
    EXPECT_EQ(bound, static_cast<IDirect3DBaseTexture9*>(spark->getD3DTexture(0.0)));
    const FixedFunctionState& state = rig.device()->state();
    EXPECT_EQ(state.textureStageState(0, D3DTSS_TEXCOORDINDEX), 0u);
    EXPECT_EQ(state.textureStageState(1, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
    EXPECT_EQ(static_cast<ParticleRenderer*>(voxel)->m_surface.slotSource(0), 1);
}

TEST(LwsHyperVoxelDrawTest, WrapCodesFollowTheDevicesAddressCaps)
{
    struct Row {
        uint32_t caps;
        const char* codes; // width, height
        int32_t u, v;
    };
    // 0x2 mirror, 0x4 clamp, 0x8 border, 0x10 independent U and V.
    const Row rows[] = {
        {0x1E, "0 2", 4, 2}, {0x1E, "3 0", 3, 4}, {0x0C, "2 0", 4, 4}, {0x14, "2 0", 1, 3}, {0x10, "0 3", 1, 1},
    };
    RecordingWorld world;
    SceneRig rig;
    ASSERT_TRUE(rig.start());
    for (const Row& row : rows) {
        rig.renderer()->m_caps.TextureAddressCaps = row.caps;
        LwsHyperVoxelLayer l;
        l.textureLines = {{"WrapOptions", row.codes}};
        LwsWriter w;
        w.addNullObject("Sparks");
        w.hyperVoxels({{"Sparks", 2, {}, {l}}});
        w.addLight("Sun");
        w.addCamera("Camera");
        MemoryFileSystem files;
        files.addFile("wrap.lws", std::vector<uint8_t>(w.text().begin(), w.text().end()));
        Scene* scene = rig.manager->loadScene("wrap");
        ASSERT_TRUE(scene->loadLWS(&files, "wrap.lws", nullptr, 0.0f, 1.0f));
        MeshObject* object = scene->findObjectByName("Sparks");
        ASSERT_TRUE(object && object->m_deviceObject && object->m_deviceObject->m_textureLayers.size() == 1);
        auto* layer = static_cast<TextureLayer*>(object->m_deviceObject->m_textureLayers[0].get());
        EXPECT_EQ(layer->m_addressU, row.u) << row.caps << " " << row.codes;
        EXPECT_EQ(layer->m_addressV, row.v) << row.caps << " " << row.codes;
    }
}

} // namespace
