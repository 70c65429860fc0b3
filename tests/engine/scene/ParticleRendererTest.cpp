// The particle quad renderer on the recording backend: buffer sizes, the
// quads of the live records with their turn, the upload and draw, the
// dynamic buffers across a device reset, and the pictures and layer images
// on the texture stages of both pass families.
#include "engine/core/texture/FileTexture.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/render/ShaderIntParams.h"
#include "engine/core/render/ShaderPass.h"
#include "engine/core/render/ShaderProgram.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Envelope.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/ParticleRenderer.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/MaterialShaders.h"
#include "support/RecordingWorld.h"
#include "support/SceneRig.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

// A texture layer as the voxel sees it: each corner's coordinates name the
// layer and the corner, so a test can tell which slot got which. It draws
// on a stage when it has an image.
class FakeLayer : public HyperVoxelLayer, public MaterialLayer {
public:
    FakeLayer(int32_t id, Texture* image, int32_t blend) : m_id(id)
    {
        m_image = image;
        m_opacityType = blend;
    }
    bool hasImage() const override { return m_image != nullptr; }
    int32_t blendMode() const override { return m_opacityType; }
    void quadCoordinates(const Vector3 (&corners)[4], const Vector3& normal, float (&out)[4][3]) override
    {
        for (int k = 0; k < 4; ++k) {
            out[k][0] = float(m_id);
            out[k][1] = float(k);
            out[k][2] = corners[k].z + normal.z;
        }
    }
    MaterialLayer* stageLayer() override { return m_enabled && m_image ? this : nullptr; }
    float gradientStart() const override { return 0.0f; }
    float gradientEnd() const override { return 0.0f; }
    float gradientValue(Channel, float) override { return 0.0f; }
    bool isTransparencyLayer() const override { return false; }
    float opacityAt(double) override { return 0.5f; }
    bool hasAnimatedTransform() const override { return false; }
    Matrix4 setupTransform(double) override { return Matrix4::identity(); }

    int32_t m_id;
    bool m_enabled = true;
};

class ParticleRendererTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_rig.start());
        m_scene = m_rig.scene;
        m_camera = m_scene->addCamera(true);
        m_camera->m_motion[PositionZ].m_value = -5.0f;
        recording().clearCalls();
        m_quads = std::make_unique<ParticleRenderer>(m_rig.renderer());
        m_quads->createBuffers();
    }
    void TearDown() override
    {
        m_quads.reset();
    }

    IDirect3DDevice9* device() { return m_rig.device(); }
    RecordingBackend& recording() { return recordingBackend(device()); }
    std::vector<std::string> calls(const std::string& prefix) { return recordedCalls(device(), prefix); }
    static Particle particle(float x, float y, float z, float size, float angle)
    {
        Particle p;
        p.position[0] = x;
        p.position[1] = y;
        p.position[2] = z;
        p.size = size;
        p.angle = angle;
        p.alive = 1;
        return p;
    }

    // A 2 x 2 picture of the scene manager's, made from memory. The name
    // lies outside the working directory, so no ".dds" copy is written.
    Texture* picture(const std::string& name, uint32_t colour, uint32_t flags = TextureColour)
    {
        BmpLayout layout;
        layout.width = layout.height = 2;
        const std::string path = "/particles/" + name + ".bmp";
        m_files.addFile(path, writeBmp(layout, {}, {colour, colour, colour, colour}));
        auto* texture = new FileTexture(m_rig.renderer());
        texture->m_flags = 3 | flags;
        texture->load(&m_files, path.c_str(), 1);
        texture->create();
        m_rig.manager->addTexture(texture);
        return texture;
    }

    RecordingWorld m_world;
    SceneRig m_rig;
    MemoryFileSystem m_files;
    Scene* m_scene = nullptr;
    Camera* m_camera = nullptr;
    std::unique_ptr<ParticleRenderer> m_quads;
    Particle m_table[ParticleTableSize];
};

IDirect3DBaseTexture9* d3dTextureOf(Texture* texture)
{
    return texture ? texture->getD3DTexture(0.0) : nullptr;
}

} // namespace

TEST_F(ParticleRendererTest, BuffersForAHundredQuads)
{
    // Position, normal, colour word and one three-coordinate slot: 40 bytes.
    const auto made = calls("createBuffer");
    ASSERT_EQ(made.size(), 2u);
    EXPECT_NE(made[0].find(" 16000 bytes vertex dynamic"), std::string::npos) << made[0];
    EXPECT_NE(made[1].find(" 1200 bytes index dynamic"), std::string::npos) << made[1];
    EXPECT_EQ(m_quads->m_capacity, 100);
    EXPECT_EQ(m_quads->m_vertices.size() * sizeof(LwVertex), 100u * 2384u);
    EXPECT_EQ(m_quads->m_indices.size(), 600u);
    EXPECT_EQ(m_quads->m_texCoordSets.size(), 100u);
}

TEST_F(ParticleRendererTest, AnUnpreparedRendererMakesItsBuffersOnItsFirstFrame)
{
    ParticleRenderer fresh(m_rig.renderer());
    m_table[0] = particle(0, 0, 0, 1, 0);
    recording().clearCalls();
    fresh.render(0.0, m_table, m_camera);
    EXPECT_EQ(calls("createBuffer").size(), 2u);
    EXPECT_EQ(calls("draw type 4 primitives 2").size(), 1u);
    fresh.render(0.0, m_table, m_camera);
    EXPECT_EQ(calls("createBuffer").size(), 2u) << "made once";
}

TEST_F(ParticleRendererTest, AnEmptyTableDrawsNothing)
{
    m_table[3] = particle(0, 0, 0, 1, 0);
    m_table[3].alive = 0;
    m_quads->render(0.0, m_table, m_camera);
    EXPECT_TRUE(calls("uploadBuffer").empty());
    EXPECT_TRUE(calls("draw").empty());
}

TEST_F(ParticleRendererTest, LiveRecordsBecomeTurnedQuads)
{
    struct Case {
        float angle;
        // Corner 0 relative to the centre (size 2): right is -X for a camera
        // looking along +Z, up is +Y.
        float x0, y0;
    };
    const Case cases[] = {{0.0f, -1.0f, 1.0f}, {90.0f, -1.0f, -1.0f}, {180.0f, 1.0f, -1.0f}, {270.0f, 1.0f, 1.0f}};
    for (const Case& c : cases) {
        for (Particle& p : m_table)
            p = Particle{};
        m_table[7] = particle(5, 0, 10, 2, c.angle);
        const Matrix4 camera = m_camera->getMatrix(0.0, true);
        const Vector3 right(-camera.at(0, 0), -camera.at(0, 1), -camera.at(0, 2));
        ASSERT_EQ(m_quads->buildQuads(m_table, right, Vector3(0, 1, 0), Vector3(0, 0, 1)), 1);
        const LwVertex* v = m_quads->m_vertices.data();
        EXPECT_NEAR(v[0].position[0], 5.0f + c.x0, 1e-5f) << c.angle;
        EXPECT_NEAR(v[0].position[1], c.y0, 1e-5f) << c.angle;
        // Corner 3 lies opposite corner 0.
        EXPECT_NEAR(v[3].position[0], 5.0f - c.x0, 1e-5f) << c.angle;
        EXPECT_NEAR(v[3].position[1], -c.y0, 1e-5f) << c.angle;
        for (int k = 0; k < 4; ++k) {
            EXPECT_FLOAT_EQ(v[k].position[2], 10.0f);
            EXPECT_FLOAT_EQ(v[k].normal[2], 1.0f);
            EXPECT_FLOAT_EQ(v[k].color[0], 1.0f);
            EXPECT_FLOAT_EQ(v[k].color[1], 0.0f);
            EXPECT_FLOAT_EQ(v[k].color[2], 1.0f);
            EXPECT_FLOAT_EQ(v[k].color[3], 1.0f);
        }
        const float uv[4][2] = {{1, 1}, {0, 1}, {1, 0}, {0, 0}};
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(v[k].texCoords[0][0], uv[k][0]);
            EXPECT_EQ(v[k].texCoords[0][1], uv[k][1]);
        }
    }

    // Quads follow the table order of the live records.
    for (Particle& p : m_table)
        p = Particle{};
    for (int i : {0, 5, 99})
        m_table[i] = particle(float(i), 0, 0, 1, 0);
    ASSERT_EQ(m_quads->buildQuads(m_table, Vector3(1, 0, 0), Vector3(0, 1, 0), Vector3(0, 0, 1)), 3);
    const uint32_t expected[18] = {0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7, 8, 9, 10, 10, 9, 11};
    EXPECT_TRUE(std::equal(expected, expected + 18, m_quads->m_indices.begin()));
    EXPECT_FLOAT_EQ(m_quads->m_vertices[8].position[0], 99.5f);
}

TEST_F(ParticleRendererTest, UploadsAndDrawsThroughTheMainPass)
{
    for (int i : {2, 40, 41})
        m_table[i] = particle(float(i), 1, 3, 0.5f, 0);
    ShaderFloatParams& params = *m_rig.renderer()->m_shaderFloatParams;
    params.m_world.at(3, 0) = 9.0f;
    m_quads->render(0.0, m_table, m_camera);

    EXPECT_EQ(calls("uploadBuffer").size(), 2u);
    const auto draws = calls("draw type 4 primitives 6 indexed");
    ASSERT_EQ(draws.size(), 1u) << "three quads in one indexed draw";
    EXPECT_EQ(params.m_world, Matrix4::identity());
    EXPECT_FLOAT_EQ(params.m_view.at(3, 2), 5.0f) << "the camera's inverse";
    EXPECT_FLOAT_EQ(device()->state().transform(D3DTS_VIEW)._43, 5.0f);
    EXPECT_FLOAT_EQ(device()->state().transform(D3DTS_WORLD)._41, 0.0f);
    EXPECT_EQ(m_quads->m_buffers->m_indexCount, 18);
    EXPECT_EQ(m_quads->m_buffers->m_vertexCount, 12);
}

TEST_F(ParticleRendererTest, DynamicBuffersAreRemadeAroundAReset)
{
    m_table[0] = particle(0, 0, 0, 1, 0);
    m_quads->onLostDevice();
    EXPECT_EQ(calls("destroyBuffer").size(), 2u);
    m_quads->onResetDevice();
    EXPECT_EQ(calls("createBuffer").size(), 4u);
    recording().clearCalls();
    m_quads->render(0.0, m_table, m_camera);
    EXPECT_EQ(calls("uploadBuffer").size(), 2u);
    EXPECT_EQ(calls("draw type 4 primitives 2").size(), 1u);

    // A mesh object hands device loss and reset to its render object.
    MeshObject* item = m_scene->addNullObject("emitter", m_scene->m_root);
    MeshBuffers& buffers = *m_quads->m_buffers;
    item->m_deviceObject = std::move(m_quads);
    item->onLostDevice();
    EXPECT_EQ(buffers.m_vertexBuffers[0], nullptr);
    EXPECT_EQ(buffers.m_indexBuffers[0], nullptr);
    recording().clearCalls();
    item->onResetDevice();
    EXPECT_EQ(calls("createBuffer").size(), 2u);
    EXPECT_NE(buffers.m_vertexBuffers[0], nullptr);
}

TEST_F(ParticleRendererTest, TheFirstLayersImageKeepsTheColourChannels)
{
    struct Case {
        const char* what;
        std::vector<std::pair<bool, int32_t>> layers; // image, blend mode
        bool colourEvaluated;
    };
    const Case cases[] = {
        {"no layers", {}, true},
        {"a first layer without image", {{false, 0}, {true, 0}}, true},
        {"a first image blended by the voxel's colour", {{true, 3}}, true},
        {"a first image", {{true, 0}, {false, 3}}, false},
        {"a first image of another blend mode", {{true, 6}}, false},
    };
    for (const Case& c : cases) {
        ParticleRenderer quads(m_rig.renderer());
        Texture* image = picture("image", 0xFF0000);
        for (const auto& [hasImage, blend] : c.layers)
            ASSERT_TRUE(quads.addTextureLayer(std::make_unique<FakeLayer>(0, hasImage ? image : nullptr, blend)));
        for (AnimatedValue* v : {&quads.m_colorR, &quads.m_opacity}) {
            auto ramp = std::make_unique<Envelope>();
            ramp->addKeyLinear(0.0f, 0.0f);
            ramp->addKeyLinear(1.0f, 0.5f);
            v->m_envelope = std::move(ramp);
        }
        quads.evaluateChannels(1.0);
        EXPECT_FLOAT_EQ(quads.m_opacity.m_value, 0.5f) << c.what;
        EXPECT_FLOAT_EQ(quads.m_colorR.m_value, c.colourEvaluated ? 0.5f : 200.0f / 255.0f) << c.what;
    }
}

TEST_F(ParticleRendererTest, EachStageCarriesItsCoordinates)
{
    Texture* image = picture("image", 0x00FF00);
    // Corners for the renderer's own pictures, the layer's own for a layer.
    constexpr float Corners = -1.0f;
    struct Case {
        const char* what;
        bool picture, alpha;
        std::vector<bool> layerImages;
        std::vector<float> slots; // layer id or Corners, one per slot
    };
    const Case cases[] = {
        {"nothing to bind", false, false, {}, {Corners}},
        {"two layer images", false, false, {true, true}, {1, 2}},
        {"a layer without an image draws nothing", false, false, {false, true}, {2}},
        {"the picture before the layers", true, false, {true}, {Corners, 1}},
        {"the alpha picture last", true, true, {true, true}, {Corners, 1, 2, Corners}},
        {"an alpha picture alone", false, true, {}, {Corners}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ParticleRenderer quads(m_rig.renderer(), c.picture ? picture("colour", 0xFFFFFF) : nullptr,
                               c.alpha ? picture("alpha", 0x000000, TextureAlphaOnly) : nullptr);
        for (size_t l = 0; l < c.layerImages.size(); ++l)
            quads.addTextureLayer(std::make_unique<FakeLayer>(int32_t(l + 1), c.layerImages[l] ? image : nullptr, 0));
        m_table[4] = particle(0, 0, 3, 1, 0);
        recording().clearCalls();
        quads.render(0.0, m_table, m_camera);
        ASSERT_EQ(quads.m_buffers->m_format.m_layout.slotCount, int32_t(c.slots.size()));
        // 40 bytes with the first slot, 12 for each further one.
        const auto made = calls("createBuffer");
        ASSERT_EQ(made.size(), 2u);
        const std::string bytes = " " + std::to_string(400 * (40 + 12 * (c.slots.size() - 1))) + " bytes vertex";
        EXPECT_NE(made[0].find(bytes), std::string::npos) << made[0];
        const LwVertex* v = quads.m_vertices.data();
        const float corners[4][2] = {{1, 1}, {0, 1}, {1, 0}, {0, 0}};
        for (size_t slot = 0; slot < c.slots.size(); ++slot) {
            for (int k = 0; k < 4; ++k) {
                const float* t = v[k].texCoords[slot];
                if (c.slots[slot] == Corners) {
                    EXPECT_EQ(t[0], corners[k][0]) << slot;
                    EXPECT_EQ(t[1], corners[k][1]) << slot;
                    EXPECT_EQ(t[2], 0.0f) << slot;
                } else {
                    EXPECT_EQ(t[0], c.slots[slot]) << slot;
                    EXPECT_EQ(t[1], float(k)) << slot;
                    // The corner as drawn, seen along the camera's normal.
                    EXPECT_FLOAT_EQ(t[2], 4.0f) << slot;
                }
            }
        }
        EXPECT_EQ(calls("draw type 4 primitives 2").size(), 1u);
    }
}

TEST_F(ParticleRendererTest, ColourStagesStopAtFourWhateverTheLayers)
{
    Texture* image = picture("image", 0x00FF00);
    ParticleRenderer quads(m_rig.renderer(), picture("colour", 0xFFFFFF), picture("alpha", 0, TextureAlphaOnly));
    // A voxel keeps a bounded number of layers.
    for (int32_t id = 1; size_t(id) <= HyperVoxel::MaxTextureLayers; ++id)
        EXPECT_TRUE(quads.addTextureLayer(std::make_unique<FakeLayer>(id, image, 0)));
    EXPECT_FALSE(quads.addTextureLayer(std::make_unique<FakeLayer>(0, image, 0)));
    m_table[0] = particle(0, 0, 3, 1, 0);
    quads.render(0.0, m_table, m_camera);
    const StagePlan& plan = quads.m_surface.plan();
    EXPECT_EQ(plan.stageCount[StagePlan::PlanCOLR], ParticleSurface::MaxColourStages);
    EXPECT_EQ(plan.stageCount[StagePlan::PlanTRAN], 1);
    EXPECT_EQ(plan.firstStage[StagePlan::PlanTRAN], ParticleSurface::MaxColourStages);
    EXPECT_EQ(quads.m_buffers->m_format.m_layout.slotCount, ParticleSurface::MaxColourStages + 1);
    EXPECT_EQ(quads.m_vertices[0].texCoords[3][0], 3.0f);
}

TEST_F(ParticleRendererTest, SwitchedOffLayersAndNewPicturesLayTheStagesOutAgain)
{
    Texture* image = picture("image", 0x00FF00);
    auto layer = std::make_unique<FakeLayer>(1, image, 0);
    FakeLayer& kept = *layer;
    m_quads->addTextureLayer(std::move(layer));
    m_table[0] = particle(0, 0, 3, 1, 0);
    m_quads->render(0.0, m_table, m_camera);
    EXPECT_EQ(m_quads->m_surface.plan().count, 1);
    EXPECT_EQ(m_quads->m_surface.plan().layers[0]->m_image, image);

    kept.m_enabled = false;
    m_quads->m_texture = picture("colour", 0xFFFFFF);
    m_quads->render(0.0, m_table, m_camera);
    EXPECT_EQ(m_quads->m_surface.plan().count, 1);
    EXPECT_EQ(m_quads->m_surface.plan().layers[0]->m_image, m_quads->m_texture);
    EXPECT_EQ(m_quads->m_vertices[0].texCoords[0][0], 1.0f) << "the corner coordinates";
}

namespace {

// The stage tests start the renderer themselves, on either pass family.
class ParticleStageTest : public ParticleRendererTest {
protected:
    void SetUp() override {}
    void start(bool fixedFunction)
    {
        ASSERT_TRUE(m_rig.start(64, 64, fixedFunction));
        if (!fixedFunction)
            useMaterialShaders(*m_rig.renderer());
        m_scene = m_rig.scene;
        m_camera = m_scene->addCamera(true);
        m_camera->m_motion[PositionZ].m_value = -5.0f;
        m_colour = picture("colour", 0xFF8000);
        m_alpha = picture("alpha", 0x808080, TextureAlphaOnly);
        m_image = picture("image", 0x0000FF);
        m_quads = std::make_unique<ParticleRenderer>(m_rig.renderer(), m_colour, m_alpha, 0.5f);
        auto layer = std::make_unique<FakeLayer>(1, m_image, 2);
        layer->m_addressU = 2;
        layer->m_negative = 1;
        m_quads->addTextureLayer(std::move(layer));
        // Neither drawn nor in the way of the next one.
        m_quads->addTextureLayer(std::make_unique<FakeLayer>(2, nullptr, 0));
        m_quads->createBuffers();
        m_table[9] = particle(0, 0, 3, 1, 0);
    }
    IDirect3DBaseTexture9* boundTexture(DWORD stage)
    {
        IDirect3DBaseTexture9* texture = nullptr;
        device()->GetTexture(stage, &texture);
        if (texture)
            texture->Release();
        return texture;
    }
    const FixedFunctionState& state() { return device()->state(); }
    DWORD stageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) { return state().textureStageState(stage, type); }

    Texture* m_colour = nullptr;
    Texture* m_alpha = nullptr;
    Texture* m_image = nullptr;
};

} // namespace

TEST_F(ParticleStageTest, FixedFunctionBindsThePicturesAndTheLayerImages)
{
    start(true);
    m_quads->render(0.0, m_table, m_camera);
    ASSERT_EQ(calls("draw type 4 primitives 2").size(), 1u);
    ASSERT_NE(d3dTextureOf(m_colour), nullptr);
    struct Stage {
        Texture* texture;
        DWORD colorOp, colorArg1, alphaOp, alphaArg1, address;
    };
    const Stage stages[] = {
        {m_colour, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTADDRESS_CLAMP},
        // The layer's own sampling and its negative.
        {m_image, D3DTOP_BLENDTEXTUREALPHA, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTOP_SELECTARG1, D3DTA_CURRENT,
         D3DTADDRESS_MIRROR},
        // The alpha picture gives the alpha and leaves the colour.
        {m_alpha, D3DTOP_SELECTARG2, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE, D3DTOP_MODULATE, D3DTA_TEXTURE,
         D3DTADDRESS_CLAMP},
    };
    for (DWORD s = 0; s < 3; ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(boundTexture(s), d3dTextureOf(stages[s].texture));
        EXPECT_EQ(stageState(s, D3DTSS_TEXCOORDINDEX), s) << "each stage its own slot";
        EXPECT_EQ(stageState(s, D3DTSS_COLOROP), stages[s].colorOp);
        EXPECT_EQ(stageState(s, D3DTSS_COLORARG1), stages[s].colorArg1);
        EXPECT_EQ(stageState(s, D3DTSS_ALPHAOP), stages[s].alphaOp);
        EXPECT_EQ(stageState(s, D3DTSS_ALPHAARG1), stages[s].alphaArg1);
        EXPECT_EQ(state().samplerState(s, D3DSAMP_ADDRESSU), stages[s].address);
    }
    EXPECT_EQ(stageState(3, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
    EXPECT_EQ(boundTexture(3), nullptr);
    // The alpha picture as any surface's transparency image: at full
    // opacity cut out under half alpha, hiding what is behind the rest;
    // below it blended, faded by the opacity, hiding nothing.
    struct Blend {
        float opacity;
        DWORD alphaTest, zwrite;
        float alpha;
    };
    const Blend blends[] = {{1.0f, TRUE, TRUE, 1.0f}, {0.8f, FALSE, FALSE, 0.8f}};
    for (const Blend& b : blends) {
        SCOPED_TRACE(b.opacity);
        m_quads->m_opacity.m_value = b.opacity;
        m_quads->render(0.0, m_table, m_camera);
        EXPECT_EQ(state().renderState(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
        EXPECT_EQ(state().renderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
        EXPECT_EQ(state().renderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
        EXPECT_EQ(state().renderState(D3DRS_ALPHATESTENABLE), b.alphaTest);
        if (b.alphaTest)
            EXPECT_EQ(state().renderState(D3DRS_ALPHAREF), 0x7Fu);
        EXPECT_EQ(state().renderState(D3DRS_ZWRITEENABLE), b.zwrite);
        // Unlit: the luminosity times the intensity is all the light there
        // is, faded with the alpha.
        const D3DMATERIAL9& m = state().material();
        EXPECT_FLOAT_EQ(m.Emissive.r, 0.5f * b.alpha);
        EXPECT_FLOAT_EQ(m.Emissive.b, 0.5f * b.alpha);
        EXPECT_FLOAT_EQ(m.Diffuse.a, b.alpha);
        EXPECT_FLOAT_EQ(m.Diffuse.r, 0.0f);
        EXPECT_FLOAT_EQ(m.Ambient.g, 0.0f);
    }
}

TEST_F(ParticleStageTest, ShaderSamplersBindThePicturesAndTheLayerImages)
{
    start(false);
    m_quads->render(0.0, m_table, m_camera);
    ASSERT_EQ(calls("draw type 4 primitives 2").size(), 1u);
    ShaderPass& pass = *m_rig.renderer()->m_mainPass;
    ASSERT_NE(pass.m_pixelProgram, nullptr);
    const std::vector<std::string>& samplers = pass.m_pixelProgram->m_samplerNames;
    auto bound = [&](const std::string& name) {
        const auto at = std::find(samplers.begin(), samplers.end(), name);
        EXPECT_NE(at, samplers.end()) << name;
        return at == samplers.end() ? nullptr : boundTexture(DWORD(at - samplers.begin()));
    };
    EXPECT_EQ(bound("COLR0"), d3dTextureOf(m_colour));
    EXPECT_EQ(bound("COLR1"), d3dTextureOf(m_image));
    EXPECT_EQ(bound("TRAN0"), d3dTextureOf(m_alpha));
    const ShaderIntParams& n = *m_rig.renderer()->m_shaderIntParams;
    const ShaderFloatParams& f = *m_rig.renderer()->m_shaderFloatParams;
    EXPECT_EQ(*n.m_numTexCOLR, 2);
    EXPECT_EQ(*n.m_numTexTRAN, 1);
    EXPECT_EQ(n.m_metaTexBlendop[LayerCOLR][0], 0) << "the picture gives the colour";
    EXPECT_EQ(n.m_metaTexBlendop[LayerCOLR][1], 2);
    EXPECT_EQ(n.m_metaTexInvert[LayerCOLR][1], 1);
    EXPECT_FLOAT_EQ(f.m_metaTexOpacity[LayerCOLR][3], 0.5f) << "the layer's opacity";
    // Luminosity times intensity, no diffuse light.
    EXPECT_FLOAT_EQ(f.m_srfLighting[0], 0.5f);
    EXPECT_FLOAT_EQ(f.m_srfLighting[1], 0.0f);
    // Premultiplied by the alpha picture; at full opacity only what is
    // clear is cut out, below it nothing is and no depth is written.
    EXPECT_EQ(state().renderState(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
    EXPECT_EQ(state().renderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_ONE));
    EXPECT_EQ(state().renderState(D3DRS_ALPHATESTENABLE), DWORD(TRUE));
    EXPECT_EQ(state().renderState(D3DRS_ALPHAREF), 0u);
    m_quads->m_opacity.m_value = 0.8f;
    m_quads->render(0.0, m_table, m_camera);
    EXPECT_EQ(state().renderState(D3DRS_ALPHATESTENABLE), DWORD(FALSE));
    EXPECT_EQ(state().renderState(D3DRS_ZWRITEENABLE), DWORD(FALSE));
    EXPECT_FLOAT_EQ(f.m_srfColor[3], 0.8f);
}
