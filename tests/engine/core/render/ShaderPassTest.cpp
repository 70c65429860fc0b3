// The pass family on the recording device: the slots, the shader names, the
// program cache and the states each pass leaves for a draw.
#include "engine/core/render/FixedFunctionPass.h"
#include "engine/core/texture/RenderTexture.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/render/ShaderIntParams.h"
#include "engine/core/render/ShaderProgram.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3dx/D3DXShader.h"
#include "support/RecordingWorld.h"
#include "support/RendererRig.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

const std::string kSource = "#stage vertex\n"
                            "uniform vec4 matWorldViewProj[4];\n"
                            "void vshader() {}\nvoid vshader0() {}\nvoid vshaderS2() {}\n"
                            "#stage pixel\n"
                            "uniform vec4 srfColor;\n"
                            "uniform sampler2D COLR0;\nuniform sampler2D ZMAP0;\nuniform sampler2D SPOT0;\n"
                            "uniform sampler2D ZMAP1;\n"
                            "void pshader() {}\n";

class ShaderPassTest : public testing::Test {
protected:
    void start(bool fixedFunction)
    {
        ASSERT_TRUE(m_rig.start(64, 64, fixedFunction));
        ID3DXEffectCompiler* compiler = nullptr;
        ASSERT_EQ(D3DXCreateEffectCompiler(kSource.data(), UINT(kSource.size()), &compiler), D3D_OK);
        m_rig.renderer->setEffectCompiler(compiler);
        compiler->Release();
    }
    Renderer& renderer() { return *m_rig.renderer; }
    ShaderIntParams& ints() { return *m_rig.renderer->m_shaderIntParams; }
    const FixedFunctionState& state() { return m_rig.device()->state(); }
    std::unique_ptr<RenderTexture> shadowMap()
    {
        auto map = std::make_unique<RenderTexture>(m_rig.renderer.get(), "ShadowMapTex", 16, 16);
        map->create();
        return map;
    }

    RecordingWorld m_world;
    RendererRig m_rig;
};

} // namespace

TEST_F(ShaderPassTest, SlotsFollowTheFixedFunctionSetting)
{
    {
        RecordingWorld world;
        RendererRig rig;
        ASSERT_TRUE(rig.start(64, 64, true));
        const Renderer& r = *rig.renderer;
        EXPECT_NE(dynamic_cast<FixedFunctionPass*>(r.m_mainPass.get()), nullptr);
        EXPECT_NE(dynamic_cast<StatePass*>(r.m_secondPass.get()), nullptr);
        EXPECT_EQ(r.m_noDepthPass.get(), nullptr);
        EXPECT_NE(dynamic_cast<OpaqueShaderPass*>(r.m_opaquePass.get()), nullptr);
    }
    start(false);
    const Renderer& r = renderer();
    EXPECT_NE(dynamic_cast<MaterialShaderPass*>(r.m_mainPass.get()), nullptr);
    EXPECT_EQ(typeid(*r.m_secondPass), typeid(ShaderPass));
    EXPECT_NE(dynamic_cast<NoDepthShaderPass*>(r.m_noDepthPass.get()), nullptr);
    EXPECT_NE(dynamic_cast<OpaqueShaderPass*>(r.m_opaquePass.get()), nullptr);
}

TEST_F(ShaderPassTest, VertexShaderNamesFromTheIntegerParameters)
{
    start(false);
    struct Case {
        int32_t specular, fog, shadows, colr, bump, diff, sphere;
        const char* material;
        const char* noDepth;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0, 0, 0, "vshader0", "vshader0"},
        {0, 0, 0, 2, 0, 0, 0, "vshader2", "vshader0"},
        {1, 1, 1, 2, 0, 0, 1, "vshaderSF6", "vshaderF1"},
        // 3 x 2 + 1 + 1 + 4 = 12, limited to 8.
        {1, 0, 2, 1, 1, 0, 0, "vshaderS8", "vshader2"},
        {0, 1, 12, 0, 0, 3, 0, "vshaderF8", "vshaderF8"},
        {0, 0, -5, 0, 0, 0, 0, "vshader0", "vshader0"},
    };
    for (const Case& c : cases) {
        *ints().m_specularEnabled = c.specular;
        *ints().m_isFogEnabled = c.fog;
        *ints().m_numShadows = c.shadows;
        *ints().m_numTexCOLR = c.colr;
        *ints().m_numTexBUMP = c.bump;
        *ints().m_numTexDIFF = c.diff;
        *ints().m_sphericalEnvmapAvailable = c.sphere;
        EXPECT_EQ(renderer().m_mainPass->vertexShaderName(), c.material);
        EXPECT_EQ(renderer().m_noDepthPass->vertexShaderName(), c.noDepth);
        EXPECT_EQ(renderer().m_secondPass->vertexShaderName(), "vshader");
        EXPECT_EQ(renderer().m_secondPass->pixelShaderName(), "pshader");
    }
}

TEST_F(ShaderPassTest, EachPermutationCompilesOnce)
{
    start(false);
    ShaderPass& pass = *renderer().m_mainPass;
    // vshader0: compiles; the programs are kept and found again.
    ASSERT_TRUE(pass.activate());
    VertexProgram* first = pass.m_vertexProgram;
    ASSERT_NE(first, nullptr);
    ASSERT_NE(pass.m_pixelProgram, nullptr);
    EXPECT_EQ(pass.m_pixelProgram->m_samplerCount, 4u);
    EXPECT_EQ(pass.m_pixelProgram->m_samplerNames[1], "ZMAP0");
    EXPECT_EQ(first->headCount(), 1);
    EXPECT_NE(first->shader(), nullptr);
    ASSERT_TRUE(pass.activate());
    EXPECT_EQ(pass.m_vertexProgram, first);
    EXPECT_EQ(pass.permutationCount(), 1u);

    // vshader1 is not in the source: one report, then silence.
    *ints().m_numTexCOLR = 1;
    lastErrorText.assignCString("");
    EXPECT_FALSE(pass.activate());
    EXPECT_STREQ(lastErrorText.c_str(), "\n<shader>(1): entry point 'vshader1' not found");
    lastErrorText.assignCString("");
    EXPECT_FALSE(pass.activate());
    EXPECT_STREQ(lastErrorText.c_str(), "");
    EXPECT_EQ(pass.permutationCount(), 2u);

    // Back to the first key: the cached programs again.
    *ints().m_numTexCOLR = 0;
    ASSERT_TRUE(pass.activate());
    EXPECT_EQ(pass.m_vertexProgram, first);
}

TEST_F(ShaderPassTest, WithoutSourceTheShaderPassesFailCleanly)
{
    start(false);
    renderer().setEffectCompiler(nullptr);
    ShaderPass& pass = *renderer().m_opaquePass;
    lastErrorText.assignCString("");
    EXPECT_FALSE(pass.activate());
    EXPECT_STREQ(lastErrorText.c_str(), "\nno shader source for the shader passes");
    lastErrorText.assignCString("");
    EXPECT_FALSE(pass.activate());
    EXPECT_STREQ(lastErrorText.c_str(), "");

    // Binding without a pixel program reports and binds nothing.
    pass.bindTextures(nullptr, 0.0, {});
    EXPECT_STREQ(lastErrorText.c_str(), "no shader set");
    // Below the warning level a parse error stays silent.
    reportLevel = 1;
    lastErrorText.assignCString("");
    pass.reportParseError("plain");
    EXPECT_STREQ(lastErrorText.c_str(), "");
}

TEST_F(ShaderPassTest, ShaderSamplersBindShadowMapsWithinTheLights)
{
    start(false);
    ShaderPass& pass = *renderer().m_mainPass;
    ASSERT_TRUE(pass.activate());
    auto map = shadowMap();
    // Two shadows counted but one light given: ZMAP1 stays empty.
    *ints().m_numShadows = 2;
    pass.bindTextures(nullptr, 0.0, {ActiveLight{0, nullptr, 1.0f, map.get()}});
    EXPECT_EQ(state().samplerState(1, D3DSAMP_ADDRESSU), DWORD(D3DTADDRESS_BORDER));
    EXPECT_EQ(state().samplerState(1, D3DSAMP_MIPFILTER), DWORD(D3DTEXF_NONE));
    EXPECT_EQ(state().samplerState(2, D3DSAMP_MIPFILTER), DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(state().samplerState(2, D3DSAMP_MINFILTER), DWORD(D3DTEXF_ANISOTROPIC));
    EXPECT_NE(state().samplerState(3, D3DSAMP_ADDRESSU), DWORD(D3DTADDRESS_BORDER));
}

TEST_F(ShaderPassTest, MaterialStatesOfTheShaderPasses)
{
    start(false);
    struct Case {
        ShaderPass* pass;
        DWORD zwrite, zenable, blend, dest, cull;
    };
    Renderer& r = renderer();
    const Case cases[] = {
        {r.m_mainPass.get(), TRUE, D3DZB_TRUE, FALSE, D3DBLEND_ZERO, D3DCULL_CCW},
        {r.m_noDepthPass.get(), FALSE, D3DZB_FALSE, TRUE, D3DBLEND_ONE, D3DCULL_NONE},
        {r.m_opaquePass.get(), TRUE, D3DZB_TRUE, FALSE, D3DBLEND_ZERO, D3DCULL_CCW},
    };
    for (const Case& c : cases) {
        m_rig.device()->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        m_rig.device()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
        c.pass->applyMaterialStates(nullptr, 2.5);
        EXPECT_EQ(state().renderState(D3DRS_ZWRITEENABLE), c.zwrite);
        EXPECT_EQ(state().renderState(D3DRS_ZENABLE), c.zenable);
        EXPECT_EQ(state().renderState(D3DRS_ALPHABLENDENABLE), c.blend);
        EXPECT_EQ(state().renderState(D3DRS_DESTBLEND), c.dest);
        EXPECT_EQ(state().renderState(D3DRS_CULLMODE), c.cull);
        EXPECT_EQ(state().textureStageState(5, D3DTSS_TEXCOORDINDEX), 5u);
        EXPECT_FLOAT_EQ(r.m_shaderFloatParams->m_srfColor[3], 1.0f);
        EXPECT_FLOAT_EQ(r.m_shaderFloatParams->m_srfLighting[1], 1.0f);
        EXPECT_FLOAT_EQ(*r.m_shaderFloatParams->m_time, 2.5f);
    }
}

TEST_F(ShaderPassTest, FixedFunctionMaterialAndStatePass)
{
    start(true);
    Renderer& r = renderer();
    struct Case {
        ShaderPass* pass;
        uint8_t flat;
        float diffuse, emissiveAlpha;
        DWORD normalize;
    };
    const Case cases[] = {
        {r.m_mainPass.get(), 0, 1.0f, 1.0f, TRUE},
        {r.m_mainPass.get(), 1, 0.9f, 1.0f, TRUE},
        {r.m_secondPass.get(), 0, 0.0f, 0.0f, FALSE},
    };
    for (const Case& c : cases) {
        r.m_flatMaterial = c.flat;
        m_rig.device()->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        c.pass->applyMaterialStates(nullptr, 0.0);
        const D3DMATERIAL9& m = state().material();
        EXPECT_FLOAT_EQ(m.Diffuse.r, c.diffuse);
        EXPECT_FLOAT_EQ(m.Ambient.b, c.diffuse);
        EXPECT_FLOAT_EQ(m.Specular.r, 0.0f);
        EXPECT_FLOAT_EQ(m.Emissive.a, c.emissiveAlpha);
        EXPECT_EQ(state().renderState(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
        EXPECT_EQ(state().renderState(D3DRS_ZWRITEENABLE), DWORD(TRUE));
        EXPECT_EQ(state().renderState(D3DRS_DIFFUSEMATERIALSOURCE), DWORD(D3DMCS_MATERIAL));
        EXPECT_EQ(state().renderState(D3DRS_SPECULARENABLE), DWORD(FALSE));
        EXPECT_EQ(state().renderState(D3DRS_NORMALIZENORMALS), c.normalize);

        c.pass->bindTextures(nullptr, 0.0, {});
        EXPECT_EQ(state().textureStageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
        EXPECT_TRUE(c.pass->activate());
    }
}

TEST_F(ShaderPassTest, ShadowStagesStopAtTheStageLimit)
{
    start(true);
    Renderer& r = renderer();
    auto* pass = static_cast<FixedFunctionPass*>(r.m_mainPass.get());
    auto map = shadowMap();
    float* matrices = r.m_shaderFloatParams->m_matWorldLightviewLightprojShadowbias;
    matrices[16 + 12] = 0.25f;

    // A light without a shadow map takes no stage.
    const std::vector<ActiveLight> two = {{0, nullptr, 1, map.get()}, {1, nullptr, 1, nullptr}, {2, nullptr, 1, map.get()}};
    pass->bindTextures(nullptr, 0.0, two);
    for (DWORD s = 0; s < 2; ++s) {
        EXPECT_EQ(state().textureStageState(s, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE)) << s;
        EXPECT_EQ(state().textureStageState(s, D3DTSS_TEXCOORDINDEX), D3DTSS_TCI_CAMERASPACEPOSITION);
        EXPECT_EQ(state().textureStageState(s, D3DTSS_TEXTURETRANSFORMFLAGS),
                  DWORD(D3DTTFF_COUNT3 | D3DTTFF_PROJECTED));
        EXPECT_EQ(state().samplerState(s, D3DSAMP_ADDRESSU), DWORD(D3DTADDRESS_BORDER));
        EXPECT_EQ(state().samplerState(s, D3DSAMP_BORDERCOLOR), 0xFFFFFFFFu);
    }
    EXPECT_FLOAT_EQ(state().transform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + 1))._41, 0.25f);
    EXPECT_EQ(state().textureStageState(2, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
    EXPECT_EQ(state().textureStageState(2, D3DTSS_TEXTURETRANSFORMFLAGS), DWORD(D3DTTFF_DISABLE));

    // Twelve shadow lights on eight stages: eight stages, no end marker
    // past the last; on three stages, three.
    const std::vector<ActiveLight> twelve(12, ActiveLight{0, nullptr, 1, map.get()});
    for (int32_t limit : {8, 3}) {
        r.m_stageCount = limit;
        EXPECT_EQ(pass->bindShadowStages(0, twelve), uint32_t(limit));
    }
    // Multitexturing off: nothing but the disabled first stage.
    r.m_stageCount = 8;
    r.m_multitexture = 0;
    m_rig.device()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    pass->bindTextures(nullptr, 0.0, two);
    EXPECT_EQ(state().textureStageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
}

TEST(FixedFunctionTextureMatrices, LayerAndReflectionMatricesByAxis)
{
    Matrix4 layer;
    for (int i = 0; i < 16; ++i)
        layer.m[i] = float(i + 1);
    struct Case {
        int32_t axis;
        int cu, cv;
    };
    const Case cases[] = {{0, 2, 1}, {1, 0, 2}, {2, 0, 1}, {9, 0, 1}};
    for (const Case& c : cases) {
        const Matrix4 t = FixedFunctionPass::layerTextureMatrix(layer, c.axis);
        for (int r = 0; r < 4; ++r) {
            EXPECT_EQ(t.at(r, 0), layer.at(r, c.cu)) << c.axis;
            EXPECT_EQ(t.at(r, 1), layer.at(r, c.cv)) << c.axis;
            EXPECT_EQ(t.at(r, 2), 0.0f);
        }
        EXPECT_EQ(t.at(3, 3), 1.0f);
        EXPECT_EQ(t.at(2, 3), 0.0f);
    }

    // With an identity view: axis 0 maps (x, y, z) to (0.5 z + 0.5, 0.5 y + 0.5).
    struct Reflect {
        int32_t axis;
        float u, v;
    };
    const float p[3] = {0.2f, 0.4f, 0.6f};
    const Reflect reflects[] = {{0, 0.8f, 0.7f}, {1, 0.6f, 0.8f}, {2, 0.6f, 0.7f}, {5, 0.2f, 0.4f}};
    for (const Reflect& c : reflects) {
        const Matrix4 m = FixedFunctionPass::reflectionTextureMatrix(Matrix4::identity(), c.axis);
        const float u = p[0] * m.at(0, 0) + p[1] * m.at(1, 0) + p[2] * m.at(2, 0) + m.at(3, 0);
        const float v = p[0] * m.at(0, 1) + p[1] * m.at(1, 1) + p[2] * m.at(2, 1) + m.at(3, 1);
        EXPECT_FLOAT_EQ(u, c.u) << c.axis;
        EXPECT_FLOAT_EQ(v, c.v) << c.axis;
    }
    // The view is undone first: a view shifted by 1 along x shifts u back.
    Matrix4 view = Matrix4::identity();
    view.at(3, 0) = -1.0f;
    const Matrix4 m = FixedFunctionPass::reflectionTextureMatrix(view, 2);
    EXPECT_FLOAT_EQ(m.at(3, 0), 0.5f + 0.5f);
}

TEST_F(ShaderPassTest, LayerTablesHoldFourLayersPerChannel)
{
    start(false);
    ShaderIntParams& n = ints();
    ShaderFloatParams& f = *renderer().m_shaderFloatParams;
    struct Case {
        int32_t channel, k;
        float opacity, gradientEnd;
        bool written;
        int32_t full;
        float gParam;
    };
    const Case cases[] = {
        {LayerCOLR, 0, 1.0f, 4.0f, true, 1, 0.25f},   {LayerCOLR, 3, 0.5f, 0.0f, true, 0, 0.0f},
        {LayerCOLR, 4, 0.5f, 2.0f, false, 0, 0.0f},   {LayerDIFF, 2, 0.9999999f, 2.0f, true, 1, 0.0f},
        {LayerBUMP, -1, 0.5f, 2.0f, false, 0, 0.0f},  {LayerChannelCount, 0, 0.5f, 2.0f, false, 0, 0.0f},
    };
    for (const Case& c : cases) {
        LayerTableValues layer;
        layer.opacity = c.opacity;
        layer.opacityType = 3;
        layer.gradientInput = 2;
        layer.negative = 1;
        layer.gradientEnd = c.gradientEnd;
        EXPECT_EQ(ShaderPass::writeLayerTables(n, f, c.channel, c.k, layer), c.written) << c.channel << c.k;
        if (!c.written)
            continue;
        EXPECT_EQ(n.m_metaTexFullOpacity[c.channel][c.k], c.full);
        EXPECT_EQ(n.m_metaTexBlendop[c.channel][c.k], 3);
        EXPECT_EQ(n.m_metaTexgInput[c.channel][c.k], 2);
        if (c.channel == LayerCOLR) {
            for (int i = 0; i < 3; ++i)
                EXPECT_FLOAT_EQ(f.m_metaTexOpacity[LayerCOLR][3 * c.k + i], c.opacity);
            EXPECT_EQ(n.m_metaTexInvert[LayerCOLR][c.k], 1);
            EXPECT_FLOAT_EQ(f.m_metaTexgParam[LayerCOLR][4 * c.k + 3], c.gParam);
        } else {
            EXPECT_FLOAT_EQ(f.m_metaTexOpacity[c.channel][c.k], c.opacity);
            EXPECT_EQ(n.m_metaTexInvert[c.channel][c.k], 0);
        }
    }
}
