// LightWave surfaces through the passes on the recording device: the device
// material, depth and blend states and the texture-stage cascade of the
// fixed-function pass, and the parameter tables and samplers of the shader
// passes, for a table of surfaces loaded from our object writer.
#include "LwoRig.h"

#include "engine/core/render/FixedFunctionPass.h"
#include "engine/core/texture/RenderTexture.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/render/ShaderIntParams.h"
#include "engine/core/render/ShaderProgram.h"
#include "engine/core/texture/Texture.h"
#include "engine/lightwave/SurfaceStagePlan.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/d3dx/D3DXShader.h"
#include "tools/lib/ImageWriters.h"

#include <cmath>

namespace {

Lwo2Block imageBlock(const char* channel, int clip, const char* ordinal)
{
    Lwo2Block b;
    b.channel = channel;
    b.image = clip;
    b.ordinal = ordinal;
    b.vmap = "UV";
    return b;
}

// One object file holding every surface of the tables: a quad per surface.
struct SurfaceTable {
    std::vector<Lwo2Surface> surfaces;

    std::vector<uint8_t> write() const
    {
        Lwo2Writer w;
        std::vector<std::string> names;
        for (const Lwo2Surface& s : surfaces)
            names.push_back(s.name);
        w.tags(names);
        w.layer(0);
        std::vector<std::array<float, 3>> points;
        std::vector<std::vector<uint32_t>> quads;
        std::vector<uint16_t> tags;
        std::vector<std::pair<uint32_t, std::vector<float>>> uv;
        for (uint32_t i = 0; i < surfaces.size(); ++i) {
            const float x = float(i) * 2.0f;
            const uint32_t p = uint32_t(points.size());
            points.insert(points.end(), {{x, 0, 0}, {x, 1, 0}, {x + 1, 1, 0}, {x + 1, 0, 0}});
            uv.insert(uv.end(), {{p, {0, 0}}, {p + 1, {0, 1}}, {p + 2, {1, 1}}, {p + 3, {1, 0}}});
            quads.push_back({p, p + 1, p + 2, p + 3});
            tags.push_back(uint16_t(i));
        }
        w.points(points);
        w.vmap("TXUV", 2, "UV", uv);
        w.polygons(quads);
        w.polygonTags(tags);
        w.clipStill(1, "red.bmp");
        w.clipStill(2, "green.bmp");
        w.clipStill(3, "mask.bmp");
        for (const Lwo2Surface& s : surfaces)
            w.surface(s);
        return w.finish();
    }
};

class SurfacePassTest : public LwoRig {
protected:
    void start(bool fixedFunction)
    {
        ASSERT_TRUE(startRenderer(D3D9Backend::Recording, fixedFunction)) << startOutput;
        BmpLayout layout;
        layout.width = layout.height = 2;
        files.addFile("red.bmp", writeBmp(layout, {}, {0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000}));
        files.addFile("green.bmp", writeBmp(layout, {}, {0x00FF00, 0x00FF00, 0x00FF00, 0x00FF00}));
        files.addFile("mask.bmp", writeBmp(layout, {}, {0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000}));
    }
    void loadTable(const SurfaceTable& table)
    {
        ASSERT_NE(load("table.lwo", table.write()), nullptr) << lastError();
        manager->prepare(nullptr);
    }
    Surface* material(const std::string& name)
    {
        Surface* s = surface("table.lwo@" + name);
        EXPECT_NE(s, nullptr) << name;
        return s;
    }
    // The plan the mesh would draw the surface with.
    SurfaceStagePlan& planOf(Surface* s)
    {
        plans.push_back(std::make_unique<SurfaceStagePlan>());
        plans.back()->build(s);
        return *plans.back();
    }
    void draw(ShaderPass& pass, Surface* s, double time = 0.0, const std::vector<ActiveLight>& lights = {})
    {
        pass.m_stagePlan = &planOf(s);
        pass.applyMaterialStates(s, time);
        if (pass.activate())
            pass.bindTextures(s, time, lights);
    }
    IDirect3DBaseTexture9* boundTexture(DWORD stage)
    {
        IDirect3DBaseTexture9* texture = nullptr;
        rig().device()->GetTexture(stage, &texture);
        if (texture)
            texture->Release();
        return texture;
    }
    IDirect3DBaseTexture9* imageOf(Surface* s, const std::string& channel, int n)
    {
        const int32_t code = int32_t(uint32_t(uint8_t(channel[0])) << 24 | uint32_t(uint8_t(channel[1])) << 16 |
                                     uint32_t(uint8_t(channel[2])) << 8 | uint32_t(uint8_t(channel[3])));
        TextureLayer* layer = s->findImageLayer(code, n);
        return layer && layer->m_image ? layer->m_image->getD3DTexture(0.0) : nullptr;
    }

    const FixedFunctionState& state() { return rig().device()->state(); }
    Renderer& renderer() { return *rig().renderer; }
    std::vector<std::unique_ptr<SurfaceStagePlan>> plans;
};

Lwo2Surface plainSurface(const char* name, std::array<float, 3> colour,
                         std::vector<std::pair<std::string, float>> values)
{
    Lwo2Surface s;
    s.name = name;
    s.color = colour;
    s.values = std::move(values);
    return s;
}

SurfaceTable materialTable()
{
    SurfaceTable t;
    t.surfaces.push_back(plainSurface("Plain", {0.2f, 0.4f, 0.6f},
                                      {{"DIFF", 0.8f}, {"LUMI", 0.1f}, {Lwo2Specularity, 0.5f}, {"GLOS", 0.5f}}));
    Lwo2Surface textured = plainSurface("Textured", {0.2f, 0.4f, 0.6f}, {{"DIFF", 1.0f}});
    textured.blocks.push_back(imageBlock("COLR", 1, "\x80"));
    t.surfaces.push_back(textured);
    Lwo2Surface twoLayers = textured;
    twoLayers.name = "TwoLayers";
    twoLayers.blocks.push_back(imageBlock("COLR", 2, "\x81"));
    t.surfaces.push_back(twoLayers);
    Lwo2Surface multiplied = textured;
    multiplied.name = "Multiplied";
    multiplied.blocks[0].opacityType = 3;
    multiplied.blocks[0].negative = 1;
    multiplied.blocks[0].rgbScale = 2.0f;
    t.surfaces.push_back(multiplied);
    Lwo2Surface masked = textured;
    masked.name = "Masked";
    masked.blocks.push_back(imageBlock("TRAN", 3, "\x81"));
    t.surfaces.push_back(masked);
    t.surfaces.push_back(plainSurface("Additive", {1.0f, 0.5f, 0.0f}, {{"ADTR", 0.25f}}));
    t.surfaces.push_back(plainSurface("Faded", {1.0f, 0.5f, 0.0f}, {{"TRAN", 0.4f}}));
    Lwo2Surface mirror = plainSurface("Mirror", {1.0f, 1.0f, 1.0f}, {{"REFL", 0.3f}});
    mirror.reflectionMode = 0;
    t.surfaces.push_back(mirror);
    Lwo2Surface shiny = textured;
    shiny.name = "ShinyMap";
    shiny.values = {{Lwo2Specularity, 0.5f}};
    shiny.blocks.push_back(imageBlock("DIFF", 2, "\x81"));
    shiny.blocks.push_back(imageBlock(Lwo2Specularity, 3, "\x82"));
    t.surfaces.push_back(shiny);
    return t;
}

} // namespace

TEST_F(SurfacePassTest, FixedFunctionMaterialAndBlendStatesOfEachSurface)
{
    start(true);
    loadTable(materialTable());
    auto& pass = *renderer().m_mainPass;
    struct Case {
        const char* surface;
        float diffuse[3];
        float alpha;
        float emissiveR, specularR, power;
        DWORD zwrite, alphaTest, blend, src, dest, specularEnable;
    };
    const float power = std::exp2(7.0f);
    const Case cases[] = {
        {"Plain", {0.16f, 0.32f, 0.48f}, 1, 0.02f, 0.5f, power, TRUE, FALSE, FALSE, 0, 0, TRUE},
        // A colour image replaces the surface colour: the stages modulate white.
        {"Textured", {1, 1, 1}, 1, 0, 0, 0, TRUE, FALSE, FALSE, 0, 0, FALSE},
        {"TwoLayers", {1, 1, 1}, 1, 0, 0, 0, TRUE, FALSE, FALSE, 0, 0, FALSE},
        // ... unless it multiplies.
        {"Multiplied", {0.2f, 0.4f, 0.6f}, 1, 0, 0, 0, TRUE, FALSE, FALSE, 0, 0, FALSE},
        // A transparency image over an otherwise opaque surface is tested
        // against half alpha and keeps writing depth.
        {"Masked", {1, 1, 1}, 1, 0, 0, 0, TRUE, TRUE, TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, FALSE},
        {"Additive", {1, 0.5f, 0}, 0.75f, 0, 0, 0, FALSE, FALSE, TRUE, D3DBLEND_ONE, D3DBLEND_INVSRCALPHA, FALSE},
        {"Faded", {0.6f, 0.3f, 0}, 0.6f, 0, 0, 0, FALSE, FALSE, TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, FALSE},
        {"Mirror", {1, 1, 1}, 0.7f, 0, 0, 0, TRUE, FALSE, TRUE, D3DBLEND_ONE, D3DBLEND_INVSRCALPHA, FALSE},
        // A specular image draws the highlight in its stage instead.
        {"ShinyMap", {1, 1, 1}, 1, 0, 0.5f, std::exp2(6.0f), TRUE, FALSE, FALSE, 0, 0, FALSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.surface);
        draw(pass, material(c.surface));
        const D3DMATERIAL9& m = state().material();
        EXPECT_NEAR(m.Diffuse.r, c.diffuse[0], 1e-5);
        EXPECT_NEAR(m.Diffuse.g, c.diffuse[1], 1e-5);
        EXPECT_NEAR(m.Diffuse.b, c.diffuse[2], 1e-5);
        EXPECT_NEAR(m.Ambient.g, c.diffuse[1], 1e-5);
        EXPECT_NEAR(m.Diffuse.a, c.alpha, 1e-5);
        EXPECT_NEAR(m.Emissive.r, c.emissiveR, 1e-5);
        EXPECT_NEAR(m.Specular.r, c.specularR, 1e-5);
        EXPECT_NEAR(m.Power, c.power, 1e-3);
        EXPECT_EQ(state().renderState(D3DRS_ZWRITEENABLE), c.zwrite);
        EXPECT_EQ(state().renderState(D3DRS_ALPHATESTENABLE), c.alphaTest);
        EXPECT_EQ(state().renderState(D3DRS_ALPHABLENDENABLE), c.blend);
        if (c.alphaTest) {
            EXPECT_EQ(state().renderState(D3DRS_ALPHAFUNC), DWORD(D3DCMP_GREATER));
            EXPECT_EQ(state().renderState(D3DRS_ALPHAREF), 0x7Fu);
        }
        if (c.blend) {
            EXPECT_EQ(state().renderState(D3DRS_SRCBLEND), c.src);
            EXPECT_EQ(state().renderState(D3DRS_DESTBLEND), c.dest);
        }
        EXPECT_EQ(state().renderState(D3DRS_SPECULARENABLE), c.specularEnable);
        EXPECT_EQ(state().renderState(D3DRS_NORMALIZENORMALS), DWORD(TRUE));
        EXPECT_EQ(state().renderState(D3DRS_DIFFUSEMATERIALSOURCE), DWORD(D3DMCS_MATERIAL));
    }
}

TEST_F(SurfacePassTest, FixedFunctionStageCascadeOfEachSurface)
{
    start(true);
    loadTable(materialTable());
    auto& pass = *renderer().m_mainPass;
    constexpr DWORD Tex = D3DTA_TEXTURE, Cur = D3DTA_CURRENT;
    struct Stage {
        DWORD op, arg1, arg2, alphaOp;
        const char* channel;
        int layer;
        DWORD coordinates;
    };
    struct Case {
        const char* surface;
        std::vector<Stage> stages;
    };
    const Case cases[] = {
        {"Plain", {}},
        {"Textured", {{D3DTOP_MODULATE, Tex, Cur, D3DTOP_SELECTARG1, "COLR", 1, 0}}},
        {"TwoLayers",
         {{D3DTOP_MODULATE, Tex, Cur, D3DTOP_SELECTARG1, "COLR", 1, 0},
          {D3DTOP_BLENDTEXTUREALPHA, Tex, Cur, D3DTOP_SELECTARG1, "COLR", 2, 1}}},
        // Brightness 2 doubles; the negative image is complemented.
        {"Multiplied", {{D3DTOP_MODULATE2X, Tex | D3DTA_COMPLEMENT, Cur, D3DTOP_SELECTARG1, "COLR", 1, 0}}},
        {"Masked",
         {{D3DTOP_MODULATE, Tex, Cur, D3DTOP_SELECTARG1, "COLR", 1, 0},
          {D3DTOP_SELECTARG2, Tex | D3DTA_ALPHAREPLICATE, Cur, D3DTOP_MODULATE, "TRAN", 1, 1}}},
        {"ShinyMap",
         {{D3DTOP_MODULATE, Tex, Cur, D3DTOP_SELECTARG1, "COLR", 1, 0},
          {D3DTOP_MODULATE2X, Tex, Cur, D3DTOP_MODULATE, "DIFF", 1, 1},
          {D3DTOP_MULTIPLYADD, D3DTA_SPECULAR, Tex, D3DTOP_SELECTARG1, Lwo2Specularity, 1, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.surface);
        Surface* s = material(c.surface);
        draw(pass, s);
        for (DWORD i = 0; i < c.stages.size(); ++i) {
            const Stage& e = c.stages[i];
            SCOPED_TRACE(i);
            EXPECT_EQ(state().textureStageState(i, D3DTSS_COLOROP), e.op);
            EXPECT_EQ(state().textureStageState(i, D3DTSS_COLORARG1), e.arg1);
            EXPECT_EQ(state().textureStageState(i, D3DTSS_COLORARG2), e.arg2);
            EXPECT_EQ(state().textureStageState(i, D3DTSS_ALPHAOP), e.alphaOp);
            EXPECT_EQ(state().textureStageState(i, D3DTSS_TEXCOORDINDEX), e.coordinates);
            EXPECT_EQ(state().textureStageState(i, D3DTSS_TEXTURETRANSFORMFLAGS), DWORD(D3DTTFF_DISABLE));
            EXPECT_EQ(state().samplerState(i, D3DSAMP_MAGFILTER), DWORD(D3DTEXF_LINEAR));
            EXPECT_EQ(state().samplerState(i, D3DSAMP_ADDRESSU), DWORD(D3DTADDRESS_WRAP));
            ASSERT_NE(imageOf(s, e.channel, e.layer), nullptr);
            EXPECT_EQ(boundTexture(i), imageOf(s, e.channel, e.layer));
        }
        const DWORD end = DWORD(c.stages.size());
        EXPECT_EQ(state().textureStageState(end, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
        EXPECT_EQ(boundTexture(end), nullptr);
    }
    // The specular stage adds the highlight onto the colour.
    EXPECT_EQ(state().textureStageState(2, D3DTSS_COLORARG0), DWORD(D3DTA_CURRENT));
}

TEST_F(SurfacePassTest, FixedFunctionCascadeStaysWithinTheStages)
{
    start(true);
    SurfaceTable t;
    Lwo2Surface crowded = plainSurface("Crowded", {1, 1, 1}, {});
    const char* channels[] = {"COLR", "COLR", "COLR", "COLR", "COLR", "DIFF", Lwo2Specularity, "TRAN"};
    for (size_t i = 0; i < std::size(channels); ++i)
        crowded.blocks.push_back(imageBlock(channels[i], 1, std::string(1, char(0x80 + i)).c_str()));
    t.surfaces.push_back(crowded);
    loadTable(t);
    Surface* s = material("Crowded");
    auto map = std::make_unique<RenderTexture>(rig().renderer.get(), "ShadowMapTex", 16, 16);
    map->create();
    const std::vector<ActiveLight> lights(4, ActiveLight{0, nullptr, 1.0f, map.get()});
    auto& pass = *renderer().m_mainPass;
    for (int32_t limit : {8, 3}) {
        SCOPED_TRACE(limit);
        renderer().m_stageCount = limit;
        for (DWORD i = 0; i < 8; ++i)
            rig().device()->SetTextureStageState(i, D3DTSS_COLOROP, D3DTOP_ADD);
        draw(pass, s, 0.0, lights);
        // Five colour, one diffuse, one specular and one transparency layer
        // fill eight stages: the shadows find none left.
        for (DWORD i = 0; i < DWORD(limit); ++i)
            EXPECT_NE(state().textureStageState(i, D3DTSS_COLOROP), DWORD(D3DTOP_ADD)) << i;
        for (DWORD i = DWORD(limit); i < 8; ++i)
            EXPECT_EQ(state().textureStageState(i, D3DTSS_COLOROP), DWORD(D3DTOP_ADD)) << i;
        EXPECT_EQ(state().textureStageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
        EXPECT_EQ(state().textureStageState(1, D3DTSS_COLOROP), DWORD(D3DTOP_BLENDTEXTUREALPHA));
    }
    EXPECT_EQ(state().textureStageState(7, D3DTSS_COLOROP), DWORD(D3DTOP_ADD)) << "no stage past the limit";
}

TEST_F(SurfacePassTest, ShaderPassWritesTheSurfaceIntoTheTables)
{
    start(false);
    SurfaceTable t = materialTable();
    Lwo2Surface five = plainSurface("FiveColours", {1, 1, 1}, {});
    for (int i = 0; i < 5; ++i) {
        Lwo2Block b = imageBlock("COLR", 1 + i % 2, std::string(1, char(0x80 + i)).c_str());
        b.opacity = 0.1f * float(i + 1);
        b.opacityType = i;
        five.blocks.push_back(b);
    }
    t.surfaces.push_back(five);
    loadTable(t);
    ShaderPass& pass = *renderer().m_mainPass;
    ShaderIntParams& n = *renderer().m_shaderIntParams;
    ShaderFloatParams& f = *renderer().m_shaderFloatParams;
    struct Case {
        const char* surface;
        float colour[4];
        float lighting[4];
        int32_t specular, colr, diff, specularLayers, tran;
        DWORD zwrite, alphaTest, blend;
    };
    // The shaders' exponent stops short of 128.
    const float power = 127.9961f;
    const Case cases[] = {
        {"Plain", {0.2f, 0.4f, 0.6f, 1}, {0.1f, 0.8f, 0.5f, power}, 1, 0, 0, 0, 0, TRUE, FALSE, FALSE},
        {"Textured", {0.2f, 0.4f, 0.6f, 1}, {0, 1, 0, 0}, 0, 1, 0, 0, 0, TRUE, FALSE, FALSE},
        {"TwoLayers", {0.2f, 0.4f, 0.6f, 1}, {0, 1, 0, 0}, 0, 2, 0, 0, 0, TRUE, FALSE, FALSE},
        {"Masked", {0.2f, 0.4f, 0.6f, 1}, {0, 1, 0, 0}, 0, 1, 0, 0, 1, TRUE, TRUE, TRUE},
        {"Additive", {1, 0.5f, 0, 0.75f}, {0, 1, 0, 0}, 0, 0, 0, 0, 0, FALSE, FALSE, TRUE},
        {"Faded", {0.6f, 0.3f, 0, 0.6f}, {0, 1, 0, 0}, 0, 0, 0, 0, 0, FALSE, FALSE, TRUE},
        {"Mirror", {1, 1, 1, 0.7f}, {0, 1, 0, 0}, 0, 0, 0, 0, 0, TRUE, FALSE, TRUE},
        // A specular image switches specularity on by itself.
        {"ShinyMap", {0.2f, 0.4f, 0.6f, 1}, {0, 1, 0.5f, std::exp2(6.0f)}, 1, 1, 1, 1, 0, TRUE, FALSE, FALSE},
        // Four layers fit a channel's tables.
        {"FiveColours", {1, 1, 1, 1}, {0, 1, 0, 0}, 0, 4, 0, 0, 0, TRUE, FALSE, FALSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.surface);
        Surface* s = material(c.surface);
        pass.m_stagePlan = &planOf(s);
        pass.applyMaterialStates(s, 1.5);
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(f.m_srfColor[i], c.colour[i], 1e-5) << i;
            EXPECT_NEAR(f.m_srfLighting[i], c.lighting[i], 1e-3) << i;
        }
        EXPECT_EQ(*n.m_specularEnabled, c.specular);
        EXPECT_EQ(*n.m_numTexCOLR, c.colr);
        EXPECT_EQ(*n.m_numTexDIFF, c.diff);
        EXPECT_EQ(*n.m_numTexSPEC, c.specularLayers);
        EXPECT_EQ(*n.m_numTexTRAN, c.tran);
        EXPECT_EQ(*n.m_numTexTRNL, 0);
        EXPECT_FLOAT_EQ(*f.m_time, 1.5f);
        EXPECT_EQ(state().renderState(D3DRS_ZWRITEENABLE), c.zwrite);
        EXPECT_EQ(state().renderState(D3DRS_ALPHATESTENABLE), c.alphaTest);
        EXPECT_EQ(state().renderState(D3DRS_ALPHABLENDENABLE), c.blend);
        if (c.alphaTest)
            EXPECT_EQ(state().renderState(D3DRS_ALPHAREF), 0u);
    }
    // The last surface's layers, in order, four of five.
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(f.m_metaTexOpacity[LayerCOLR][3 * k + i], 0.1f * float(k + 1), 1e-6);
        EXPECT_EQ(n.m_metaTexBlendop[LayerCOLR][k], k);
        EXPECT_EQ(n.m_metaTexFullOpacity[LayerCOLR][k], 0);
    }
    EXPECT_NEAR(f.m_srfReflectivity[0], 0.0f, 1e-6);
}

TEST_F(SurfacePassTest, ShaderSamplersBindTheSurfaceLayersByName)
{
    start(false);
    const std::string source = "#stage vertex\nvoid vshader() {}\nvoid vshader0() {}\nvoid vshader1() {}\n"
                               "void vshader2() {}\nvoid vshader3() {}\n"
                               "#stage pixel\nuniform sampler2D COLR1;\nuniform sampler2D DIFF0;\n"
                               "uniform sampler2D COLR0;\nuniform sampler2D DIFF1;\nuniform sampler2D ZIMG0;\n"
                               "uniform sampler2D SPOT0;\nvoid pshader() {}\n";
    ID3DXEffectCompiler* compiler = nullptr;
    ASSERT_EQ(D3DXCreateEffectCompiler(source.data(), UINT(source.size()), &compiler), D3D_OK);
    renderer().setEffectCompiler(compiler);
    compiler->Release();
    SurfaceTable t;
    Lwo2Surface s = plainSurface("Layers", {1, 1, 1}, {});
    s.blocks = {imageBlock("COLR", 1, "\x80"), imageBlock("COLR", 2, "\x81"), imageBlock("DIFF", 3, "\x82")};
    s.blocks[1].wrapU = 3;
    s.blocks[1].wrapV = 2;
    s.blocks[1].pixelBlending = 0;
    t.surfaces.push_back(s);
    loadTable(t);
    Surface* surface = material("Layers");
    ShaderPass& pass = *renderer().m_mainPass;
    draw(pass, surface);
    ASSERT_NE(pass.m_pixelProgram, nullptr);
    ASSERT_EQ(pass.m_pixelProgram->m_samplerNames.size(), 6u);
    ASSERT_NE(imageOf(surface, "COLR", 2), nullptr);
    EXPECT_NE(imageOf(surface, "COLR", 2), imageOf(surface, "COLR", 1));
    EXPECT_EQ(boundTexture(0), imageOf(surface, "COLR", 2));
    EXPECT_EQ(boundTexture(1), imageOf(surface, "DIFF", 1));
    EXPECT_EQ(boundTexture(2), imageOf(surface, "COLR", 1));
    // No second diffuse layer, no reflection image, never a spot texture.
    EXPECT_EQ(boundTexture(3), nullptr);
    EXPECT_EQ(boundTexture(4), nullptr);
    EXPECT_EQ(boundTexture(5), nullptr);
    EXPECT_EQ(state().samplerState(0, D3DSAMP_ADDRESSV), DWORD(surface->m_imageLayers[1]->m_addressV));
    EXPECT_EQ(state().samplerState(0, D3DSAMP_MAGFILTER), DWORD(D3DTEXF_POINT));
    EXPECT_EQ(state().samplerState(0, D3DSAMP_MINFILTER), DWORD(D3DTEXF_POINT));
    EXPECT_EQ(state().samplerState(0, D3DSAMP_MAXANISOTROPY), 8u);
    EXPECT_EQ(state().samplerState(2, D3DSAMP_MINFILTER), DWORD(D3DTEXF_ANISOTROPIC));
    EXPECT_EQ(state().samplerState(4, D3DSAMP_ADDRESSU), DWORD(D3DTADDRESS_WRAP));
}
