#include "LwoRig.h"

#include "engine/core/texture/AnimatedTexture.h"
#include "engine/core/texture/Texture.h"
#include "engine/lightwave/LwoParse.h"
#include "engine/lightwave/LwoVertexMaps.h"
#include "engine/lightwave/SurfaceStagePlan.h"
#include "engine/scene/Envelope.h"

#include <cmath>

namespace {

using SurfaceTest = LwoRig;

// An object of one triangle whose one surface is `surface`, with the
// clips and envelopes given; the surface named "S".
std::vector<uint8_t> withSurface(Lwo2Surface surface, const std::vector<Lwo2Envelope>& envelopes = {},
                                 bool clip = true)
{
    Lwo2Writer w;
    w.tags({"S"});
    w.layer(0);
    w.points({{0, 0, 0}, {0, 1, 0}, {1, 0, 0}});
    w.vmap("TXUV", 2, "UV", {{0, {0, 0}}, {1, {0, 1}}, {2, {1, 0}}});
    w.vmap("RGB ", 3, "Paint", {{1, {1, 0.5f, 0.25f}}});
    w.polygons({{0, 1, 2}});
    w.polygonTags({0});
    for (const Lwo2Envelope& e : envelopes)
        w.envelope(e);
    if (clip)
        w.clipStill(1, "tex.bmp");
    surface.name = "S";
    w.surface(surface);
    return w.finish();
}

Lwo2Block imageBlock(const char* channel = "COLR", const char* ordinal = "\x80")
{
    Lwo2Block b;
    b.channel = channel;
    b.ordinal = ordinal;
    b.image = 1;
    b.vmap = "UV";
    return b;
}

struct SurfaceCase {
    const char* name;
    void (*edit)(Lwo2Surface&);
    void (*check)(const Surface&);
};

const SurfaceCase kSurfaceCases[] = {
    {"defaults", [](Lwo2Surface& s) { s.writeColor = false; },
     [](const Surface& s) {
         EXPECT_FLOAT_EQ(s.m_color[0].m_value, 0.78431374f);
         EXPECT_FLOAT_EQ(s.m_diffuse.m_value, 1.0f);
         EXPECT_FLOAT_EQ(s.m_glossiness.m_value, 0.4f);
         EXPECT_EQ(s.m_reflectionMode, 1);
         EXPECT_EQ(s.m_backSurfaceTag, -1);
         EXPECT_EQ(s.m_smoothing, 0);
     }},
    {"one side", [](Lwo2Surface& s) { s.sides = 1; }, [](const Surface& s) { EXPECT_EQ(s.m_doubleSided, 0); }},
    {"back side", [](Lwo2Surface& s) { s.sides = 2; }, [](const Surface& s) { EXPECT_EQ(s.m_doubleSided, 0); }},
    {"both sides", [](Lwo2Surface& s) { s.sides = 3; }, [](const Surface& s) { EXPECT_EQ(s.m_doubleSided, 1); }},
    {"two degrees", [](Lwo2Surface& s) { s.smoothing = float(0.03490658503988659); },
     [](const Surface& s) {
         EXPECT_EQ(s.m_smoothing, 0);
         EXPECT_FLOAT_EQ(s.m_smoothingCosine, Surface::defaultSmoothingCosine());
     }},
    {"sixty degrees", [](Lwo2Surface& s) { s.smoothing = 1.0471976f; },
     [](const Surface& s) {
         EXPECT_EQ(s.m_smoothing, 1);
         EXPECT_NEAR(s.m_smoothingCosine, 0.5f - 0.000001f, 1e-6f);
     }},
    {"rfop 3", [](Lwo2Surface& s) { s.reflectionMode = 3; },
     [](const Surface& s) {
         EXPECT_EQ(s.m_reflectionMode, 1);
         EXPECT_EQ(s.m_blended, 0);
     }},
    {"rfop 0", [](Lwo2Surface& s) { s.reflectionMode = 0; },
     [](const Surface& s) {
         EXPECT_EQ(s.m_reflectionMode, 0);
         EXPECT_EQ(s.m_blended, 1);
     }},
    {"transparent", [](Lwo2Surface& s) { s.values = {{"TRAN", 0.25f}, {"SPEC", 0.5f}}; },
     [](const Surface& s) {
         EXPECT_EQ(s.m_blended, 1);
         EXPECT_FLOAT_EQ(s.m_transparency.m_value, 0.25f);
         EXPECT_FLOAT_EQ(s.m_specular.m_value, 0.5f);
     }},
    {"reflection image", [](Lwo2Surface& s) { s.reflectionImage = 1; },
     [](const Surface& s) {
         ASSERT_NE(s.m_reflectionImage, nullptr);
         EXPECT_EQ(s.m_reflectionImage->m_name, "tex.bmp");
         EXPECT_TRUE(s.m_reflectionImage->m_flags & TextureColour);
     }},
    {"missing reflection clip", [](Lwo2Surface& s) { s.reflectionImage = 7; },
     [](const Surface& s) { EXPECT_EQ(s.m_reflectionImage, nullptr); }},
    {"disabled and procedural blocks are not kept",
     [](Lwo2Surface& s) {
         Lwo2Block off = imageBlock();
         off.enabled = 0;
         Lwo2Block procedural = imageBlock();
         procedural.type = "PROC";
         procedural.image = -1;
         s.blocks = {off, procedural};
     },
     [](const Surface& s) { EXPECT_TRUE(s.m_imageLayers.empty()); }},
    {"layers by ordinal, not by file order",
     [](Lwo2Surface& s) {
         Lwo2Block second = imageBlock("COLR", "\x90");
         second.rgbScale = 2.0f;
         s.blocks = {second, imageBlock("COLR", "\x80"), imageBlock("COLR", "\x88")};
     },
     [](const Surface& s) {
         ASSERT_EQ(s.m_imageLayers.size(), 3u);
         EXPECT_EQ(s.m_imageLayers[0]->m_ordinal, "\x80");
         EXPECT_EQ(s.m_imageLayers[1]->m_ordinal, "\x88");
         EXPECT_EQ(s.m_imageLayers[2]->m_ordinal, "\x90");
         EXPECT_EQ(s.findImageLayer(lwoCode("COLR"), 3), s.m_imageLayers[2].get());
         EXPECT_EQ(s.findImageLayer(lwoCode("COLR"), 4), nullptr);
     }},
    {"vertex colours",
     [](Lwo2Surface& s) {
         s.vertexColorType = "RGB ";
         s.vertexColorMap = "Paint";
         s.vertexColorIntensity = 0.5f;
     },
     [](const Surface& s) {
         ASSERT_EQ(s.m_vertexColorLayers.size(), 1u);
         const TextureLayer& l = *s.m_vertexColorLayers[0];
         EXPECT_FLOAT_EQ(l.m_opacity.m_value, 0.5f);
         ASSERT_NE(l.colorMap(0), nullptr);
         EXPECT_EQ(l.colorMap(0)->name, "Paint");
         EXPECT_EQ(l.colorMap(1), nullptr);
     }},
};

TEST_F(SurfaceTest, SurfaceSubChunksSetTheirValues)
{
    for (const SurfaceCase& c : kSurfaceCases) {
        SCOPED_TRACE(c.name);
        Lwo2Surface s;
        c.edit(s);
        const std::string name = std::string(c.name) + ".lwo";
        files.addFile("tex.bmp", {'B', 'M'});
        ASSERT_NE(load(name, withSurface(s)), nullptr) << lastError();
        const Surface* surface = this->surface(name + "@S");
        ASSERT_NE(surface, nullptr);
        c.check(*surface);
    }
}

TEST_F(SurfaceTest, BlockSubChunks)
{
    Lwo2Surface s;
    Lwo2Block b = imageBlock();
    b.projection = 1;
    b.axis = 1;
    b.aast = 1.5f;
    b.pixelBlending = 0;
    b.wrapU = 2;
    b.wrapV = 3;
    b.negative = 1;
    b.rgbScale = 3.0f;
    b.center = {1, 2, 3};
    b.size = {2, 2, 2};
    s.blocks = {b};
    ASSERT_NE(load("block.lwo", withSurface(s)), nullptr) << lastError();
    const TextureLayer& l = *surface("block.lwo@S")->m_imageLayers.at(0);
    EXPECT_EQ(l.m_type, lwoCode("IMAP"));
    EXPECT_EQ(l.m_channel, lwoCode("COLR"));
    EXPECT_EQ(l.m_projection, 1);
    EXPECT_EQ(l.m_axis, 1);
    EXPECT_EQ(l.m_antialias, 1);
    EXPECT_FLOAT_EQ(l.m_antialiasStrength, 2.0f);
    EXPECT_EQ(l.m_pixelBlending, 0);
    EXPECT_EQ(l.m_negative, 1);
    EXPECT_FLOAT_EQ(l.m_rgbScale, 3.0f);
    EXPECT_FLOAT_EQ(l.m_centerY.m_value, 2.0f);
    EXPECT_FLOAT_EQ(l.m_sizeZ.m_value, 2.0f);
    // No device: no address capabilities, and cylindrical wraps around in u.
    EXPECT_EQ(l.m_addressU, 1);
    EXPECT_EQ(l.m_addressV, 1);
    ASSERT_NE(l.uvMap(0), nullptr);
    EXPECT_TRUE(l.m_image->m_flags & TextureColour);
}

TEST_F(SurfaceTest, AntialiasingStrengthIsQuantised)
{
    const std::pair<float, float> cases[] = {{0.7f, 1.0f}, {1.5f, 2.0f}, {3.0f, 4.0f}, {6.0f, 8.0f}};
    for (const auto& [strength, expected] : cases) {
        Lwo2Surface s;
        Lwo2Block b = imageBlock();
        b.aast = strength;
        s.blocks = {b};
        const std::string name = "aast" + std::to_string(strength) + ".lwo";
        ASSERT_NE(load(name, withSurface(s)), nullptr);
        EXPECT_FLOAT_EQ(surface(name + "@S")->m_imageLayers.at(0)->m_antialiasStrength, expected) << strength;
    }
}

// Exporters write only the values they set: an AAST of flags alone, a
// size of x alone. The object loads; what a sub-chunk lacks keeps its
// default.
TEST_F(SurfaceTest, SubChunksHoldingPartOfTheirValuesKeepTheRestAtDefaults)
{
    Lwo2Surface s;
    s.writeColor = false;
    s.extra.sub("COLR", Lwo2Bytes().f4(0.1f));
    s.extra.sub("DIFF", Lwo2Bytes().f4(0.5f));
    s.extra.sub("RFOP", Lwo2Bytes());
    s.extra.sub("TRAN", Lwo2Bytes().u2(0));
    Lwo2Block b = imageBlock();
    b.writeTmap = false;
    b.extra.sub("AAST", Lwo2Bytes().u2(1));
    b.extra.sub("TMAP", Lwo2Bytes().sub("SIZE", Lwo2Bytes().f4(2.0f)));
    b.extra.sub("WRPW", Lwo2Bytes());
    b.extra.sub("PIXB", Lwo2Bytes().u1(1));
    b.extra.sub("PROJ", Lwo2Bytes());
    s.blocks = {b};
    files.addFile("tex.bmp", {'B', 'M'});
    ASSERT_NE(load("partial.lwo", withSurface(s)), nullptr) << lastError();
    const Surface& surface = *this->surface("partial.lwo@S");
    EXPECT_FLOAT_EQ(surface.m_color[0].m_value, 0.1f);
    EXPECT_FLOAT_EQ(surface.m_color[1].m_value, 0.78431374f);
    EXPECT_FLOAT_EQ(surface.m_diffuse.m_value, 0.5f);
    EXPECT_EQ(surface.m_diffuse.m_envelope, nullptr);
    EXPECT_EQ(surface.m_reflectionMode, 1);
    EXPECT_EQ(surface.m_blended, 0);
    ASSERT_EQ(surface.m_imageLayers.size(), 1u);
    const TextureLayer& l = *surface.m_imageLayers[0];
    EXPECT_EQ(l.m_antialias, 1);
    EXPECT_FLOAT_EQ(l.m_antialiasStrength, 1.0f);
    EXPECT_FLOAT_EQ(l.m_sizeX.m_value, 2.0f);
    EXPECT_FLOAT_EQ(l.m_sizeY.m_value, 1.0f);
    EXPECT_FLOAT_EQ(l.m_sizeZ.m_value, 1.0f);
    EXPECT_FLOAT_EQ(l.m_wrapWidth, 1.0f);
    EXPECT_EQ(l.m_pixelBlending, 1);
    EXPECT_EQ(l.m_projection, 5) << "the block's own PROJ comes first and stands";
}

TEST_F(SurfaceTest, GradientBlocksGetAKeyedTextureOnlyWhenKept)
{
    Lwo2Surface s;
    Lwo2Block g;
    g.type = "GRAD";
    g.channel = "TRAN";
    g.projection = -1;
    g.writeGradientRange = true;
    g.gradientEnd = 1.0f;
    g.gradientInput = "Slope";
    g.gradientKeys = {{0, 0, 0, 0, 1}, {1, 1, 0.5f, 0, 1}};
    g.gradientInterpolation = {0, 2, 7}; // one more than there are keys
    g.gradientKeys.push_back({2, 0, 0, 0, 1});
    Lwo2Block off = g;
    off.enabled = 0;
    s.blocks = {g, off};
    const size_t textures = manager->m_textures.size();
    ASSERT_NE(load("grad.lwo", withSurface(s, {}, false)), nullptr) << lastError();
    const Surface* surface = this->surface("grad.lwo@S");
    ASSERT_EQ(surface->m_imageLayers.size(), 1u);
    EXPECT_EQ(manager->m_textures.size(), textures + 1) << "the disabled gradient made no texture";
    TextureLayer& l = *surface->m_imageLayers[0];
    EXPECT_EQ(l.m_gradientInput, 2);
    ASSERT_EQ(l.m_gradientKeys.size(), 3u);
    EXPECT_EQ(l.m_gradientKeys[1].interpolation, 2);
    EXPECT_EQ(l.m_gradientKeys[2].interpolation, 7);
    // Linear from key 0, stepped from key 1.
    EXPECT_NEAR(l.gradientValue(GradientLayer::GradientRed, 0.5f), 0.5f, 1e-5f);
    EXPECT_NEAR(l.gradientValue(GradientLayer::GradientRed, 1.5f), 1.0f, 1e-5f);
    EXPECT_EQ(surface->m_blended, 1);
    EXPECT_TRUE(l.m_image->m_flags & TextureAlphaOnly);
}

TEST_F(SurfaceTest, SecondSurfaceChunkChangesNothingAndEnvelopesAreCopies)
{
    Lwo2Envelope red;
    red.index = 3;
    red.keys = {{0, 0.0f, "LINE", {}}, {1, 1.0f, "LINE", {}}};
    Lwo2Envelope green = red;
    green.index = 4;
    Lwo2Bytes colr;
    colr.f4(0.1f).f4(0.2f).f4(0.3f).u2(3);
    Lwo2Surface s;
    s.writeColor = false;
    s.extra.sub("COLR", colr);
    Lwo2Writer w;
    w.tags({"S"});
    w.layer(0);
    w.envelope(red);
    w.envelope(green);
    s.name = "S";
    w.surface(s);
    Lwo2Surface again;
    again.name = "S";
    again.values = {{"DIFF", 0.25f}};
    w.surface(again);
    ASSERT_NE(load("env.lwo", w.finish()), nullptr) << lastError();
    Surface* surface = this->surface("env.lwo@S");
    ASSERT_NE(surface->m_color[0].m_envelope, nullptr);
    ASSERT_NE(surface->m_color[1].m_envelope, nullptr);
    EXPECT_EQ(surface->m_color[2].m_envelope, nullptr) << "envelope 5 does not exist";
    EXPECT_NE(surface->m_color[0].m_envelope.get(), surface->m_color[1].m_envelope.get());
    EXPECT_NEAR(surface->m_color[0].evaluate(0.5), 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(surface->m_color[2].m_value, 0.3f);
    EXPECT_FLOAT_EQ(surface->m_diffuse.m_value, 1.0f);
}

TEST_F(SurfaceTest, StagePlanLeavesRoomForSpecularAndTransparency)
{
    Lwo2Surface s;
    s.values = {{"TRAN", 0.5f}};
    for (int i = 0; i < 9; ++i)
        s.blocks.push_back(imageBlock("COLR", std::string(1, char(0x80 + i)).c_str()));
    s.blocks.push_back(imageBlock("SPEC"));
    Lwo2Block tran = imageBlock("TRAN");
    tran.opacityType = 3;
    s.blocks.push_back(tran);
    ASSERT_NE(load("plan.lwo", withSurface(s)), nullptr);
    SurfaceStagePlan plan;
    ASSERT_TRUE(plan.build(surface("plan.lwo@S")));
    EXPECT_EQ(plan.count, 8);
    EXPECT_EQ(plan.stageCount[SurfaceStagePlan::PlanCOLR], 6);
    EXPECT_EQ(plan.firstStage[SurfaceStagePlan::PlanSPEC], 6);
    EXPECT_EQ(plan.stageCount[SurfaceStagePlan::PlanSPEC], 1);
    EXPECT_EQ(plan.firstStage[SurfaceStagePlan::PlanTRAN], 7);
    EXPECT_EQ(plan.stageCount[SurfaceStagePlan::PlanTRAN], 1);
    // Transparency 0.5 with an opacity-type-3 layer fades colour and alpha.
    EXPECT_NEAR(plan.baseColor[0], 0.78431374f * 0.5f, 1e-6f);
    EXPECT_NEAR(plan.baseColor[3], 0.5f, 1e-6f);
}

TEST_F(SurfaceTest, VertexMapsOfEachKind)
{
    Lwo2Writer w;
    w.layer(0);
    w.points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    w.vmap("RGB ", 3, "C", {{0, {0.1f, 0.2f, 0.3f}}, {9, {1, 1, 1}}});
    w.vmap("RGBA", 4, "A", {{1, {0.1f, 0.2f, 0.3f, 0.4f}}});
    w.vmap("TXUV", 2, "T", {{2, {0.5f, 0.25f}}});
    w.vmap("max ", 3, "M", {{1, {0.25f, 0.5f, 0.75f}}});
    w.vmap("MORF", 3, "Up", {{2, {0, 1, 0}}, {5, {1, 1, 1}}});
    w.vmap("WGHT", 1, "W", {{0, {0.75f}}});
    w.vmap("PICK", 0, "P", {{0, {}}});
    w.polygons({{0, 1, 2}});
    w.vmad("RGBA", 4, "A", {{1, 0, {1, 1, 1, 1}}, {1, 4, {0, 0, 0, 0}}});
    w.vmad("TXUV", 2, "Nowhere", {{0, 0, {1, 1}}});
    LwoFile* file = load("maps.lwo", w.finish());
    ASSERT_NE(file, nullptr) << lastError();
    LwMesh* mesh = file->layer(0);
    ASSERT_EQ(mesh->m_vertexMaps.size(), 2u);
    auto* morph = static_cast<LwoMorphMap*>(mesh->findVertexMap("Up"));
    ASSERT_NE(morph, nullptr);
    EXPECT_EQ(morph->type(), LwoPointMap::TypeMorph);
    EXPECT_EQ(morph->offsets[2], Vector3(0, 1, 0));
    EXPECT_EQ(morph->hasData, 1);
    auto* weights = static_cast<LwoWeightMap*>(mesh->findVertexMap("W"));
    ASSERT_NE(weights, nullptr);
    EXPECT_FLOAT_EQ(weights->weights[0], 0.75f);
    EXPECT_EQ(mesh->findVertexMap(""), nullptr);
    EXPECT_EQ(mesh->findVertexMapOfType(LwoPointMap::TypeMorph, 0), 0);
    EXPECT_EQ(mesh->findVertexMapOfType(LwoPointMap::TypeMorph, 1), -1);
}

TEST_F(SurfaceTest, ColourAndCoordinateMapsThroughTheirLayers)
{
    Lwo2Writer w;
    w.tags({"S"});
    w.layer(0);
    w.points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    w.vmap("RGB ", 3, "C", {{0, {0.1f, 0.2f, 0.3f}}});
    w.vmap("RGBA", 4, "A", {{1, {0.1f, 0.2f, 0.3f, 0.4f}}});
    w.vmap("max ", 3, "M", {{1, {0.25f, 0.5f, 0.75f}}});
    w.polygons({{0, 1, 2}});
    w.vmad("RGBA", 4, "A", {{2, 0, {1, 1, 1, 1}}, {1, 4, {0, 0, 0, 0}}});
    Lwo2Surface s;
    s.name = "S";
    Lwo2Block c;
    c.type = "vcol";
    c.vmap = "C";
    c.projection = -1;
    Lwo2Block a = c;
    a.vmap = "A";
    Lwo2Block m = imageBlock();
    m.vmap = "M";
    m.image = -1;
    s.blocks = {c, a};
    s.vertexColorType = "max ";
    s.vertexColorMap = "M";
    w.surface(s);
    ASSERT_NE(load("colours.lwo", w.finish()), nullptr) << lastError();
    const Surface* surface = this->surface("colours.lwo@S");
    ASSERT_EQ(surface->m_vertexColorLayers.size(), 3u);
    // The VCOL sub-chunk comes before the blocks.
    const LwoColorMap* max = surface->m_vertexColorLayers[0]->colorMap(0);
    const LwoColorMap* rgb = surface->m_vertexColorLayers[1]->colorMap(0);
    const LwoColorMap* rgba = surface->m_vertexColorLayers[2]->colorMap(0);
    ASSERT_TRUE(rgb && rgba && max);
    EXPECT_FLOAT_EQ(rgb->values[0][3], 1.0f);
    EXPECT_EQ(rgb->hasAlpha, 0);
    EXPECT_FLOAT_EQ(rgba->values[1][3], 0.4f);
    EXPECT_EQ(rgba->hasAlpha, 1);
    ASSERT_EQ(rgba->perPolygon.size(), 1u);
    EXPECT_EQ(rgba->perPolygon[0].pointIndices, (std::vector<uint32_t>{2}));
    EXPECT_EQ(max->values[1], (LwoColorMap::Value{0.25f, 0.5f, 0.75f, 1.0f}));
}

TEST_F(SurfaceTest, EnvelopeSpansOfEachKind)
{
    Lwo2Envelope e;
    e.index = 2;
    e.pre = 2;
    e.post = 9; // not a behaviour: stays constant
    e.name = "Spin";
    e.keys = {{0, 1, "TCB ", {0.5f, 0, 0}}, {1, 2, "HERM", {0, 0}}, {2, 3, "BEZI", {0, 0}},
              {3, 4, "BEZ2", {0, 0, 0, 0}}, {4, 5, "LINE", {}}, {5, 6, "STEP", {}}, {6, 7, "WAVE", {}}};
    Lwo2Surface s;
    s.writeColor = false;
    s.extra.sub("DIFF", Lwo2Bytes().f4(0.5f).u2(2));
    ASSERT_NE(load("spans.lwo", withSurface(s, {e}, false)), nullptr) << lastError();
    Surface* surface = this->surface("spans.lwo@S");
    ASSERT_NE(surface->m_diffuse.m_envelope, nullptr);
    const Envelope* envelope = surface->m_diffuse.m_envelope->asEnvelope();
    ASSERT_NE(envelope, nullptr);
    EXPECT_EQ(envelope->name, "Spin");
    EXPECT_EQ(envelope->preBehavior, BehaviorRepeat);
    EXPECT_EQ(envelope->postBehavior, BehaviorConstant);
    ASSERT_EQ(envelope->keys.size(), 6u) << "the unknown span adds no key";
    const int32_t shapes[] = {ShapeTCB, ShapeHermite, ShapeBezier, ShapeBezier2D, ShapeLinear, ShapeStepped};
    for (size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(envelope->keys[k].shape, shapes[k]) << k;
        EXPECT_FLOAT_EQ(envelope->keys[k].value, float(k + 1));
    }
    EXPECT_FLOAT_EQ(envelope->keys[0].tension, 0.5f);
}

TEST_F(SurfaceTest, ClipsStillSequenceAndReference)
{
    for (const char* frame : {"img001.bmp", "img003.bmp.dds"})
        files.addFile(frame, {'B', 'M'});
    Lwo2Writer w;
    w.clipStill(1, "C:dir/a_noscale_nodxt.bmp");
    w.clipSequence(2, 3, 1, 3, "img", ".bmp", 0, Lwo2Bytes().sub("FLAG", Lwo2Bytes().u4(0x5)));
    w.clipReference(3, 1, "copy");
    w.clipReference(4, 40000, "none");
    w.clipSequence(5, 3, 5, 2, "bad", ".bmp");
    w.clipSequence(6, 200, 1, 2, "wide", ".bmp");
    Lwo2Bytes big;
    big.u4(40000).sub("STIL", Lwo2Bytes().s0("never.bmp"));
    w.raw("CLIP", big.data);
    w.tags({"S"});
    w.layer(0);
    Lwo2Surface s;
    s.name = "S";
    for (int clip : {1, 2, 3, 4, 5, 6}) {
        Lwo2Block b = imageBlock();
        b.image = clip;
        b.ordinal = std::string(1, char(0x80 + clip));
        s.blocks.push_back(b);
    }
    w.surface(s);
    const double before = scene->m_framesPerSecond;
    scene->m_framesPerSecond = 25.0;
    ASSERT_NE(load("clips.lwo", w.finish()), nullptr) << lastError();
    (void)before;
    const Surface* surface = this->surface("clips.lwo@S");
    ASSERT_EQ(surface->m_imageLayers.size(), 3u) << "the refused and missing clips give no layers";
    const Texture* still = surface->m_imageLayers[0]->m_image;
    EXPECT_EQ(still->m_name, "C:/dir/a_noscale_nodxt.bmp");
    EXPECT_EQ(still->m_flags & ~uint32_t(TextureColour), uint32_t(TextureKeepSize));
    const Texture* sequence = surface->m_imageLayers[1]->m_image;
    ASSERT_EQ(sequence->kind(), TextureKindAnimated);
    const auto* animated = static_cast<const AnimatedTexture*>(sequence);
    EXPECT_EQ(animated->m_name, "img001.bmp");
    ASSERT_EQ(animated->m_frames.size(), 3u);
    EXPECT_NE(animated->m_frames[0], nullptr);
    EXPECT_EQ(animated->m_frames[1], nullptr);
    EXPECT_NE(animated->m_frames[2], nullptr);
    EXPECT_EQ(animated->m_frames[2]->m_name, "img003.bmp");
    EXPECT_EQ(animated->m_behaviour, 4);
    EXPECT_EQ(scene->m_framesPerSecond, 30.0);
    EXPECT_EQ(surface->m_imageLayers[2]->m_image->m_name, "copy");
    EXPECT_NE(surface->m_imageLayers[2]->m_image, still);
}

TEST(ClipPathTest, DriveLettersGainASlash)
{
    const struct {
        const char* in;
        const char* still;
        const char* sequence;
    } cases[] = {
        {"C:dir/a.tga", "C:/dir/a.tga", "C:/dir/a.tga"},
        {"C:/dir/a.tga", "C:/dir/a.tga", "C:/dir/a.tga"},
        {"C:\\dir\\a.tga", "C:/\\dir\\a.tga", "C:\\dir\\a.tga"},
        {"dir/a.tga", "dir/a.tga", "dir/a.tga"},
        {"C:", "C:/", "C:/"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(repairClipPath(c.in, false), c.still) << c.in;
        EXPECT_EQ(repairClipPath(c.in, true), c.sequence) << c.in;
    }
}

} // namespace
