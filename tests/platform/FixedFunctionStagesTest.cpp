// The texture stage cascade of the generated programs against Direct3D 9's
// documented stage operations, one case per operation or argument the
// drawing code uses. Inputs are unlit vertex colours, the texture factor and
// one-texel textures, so each expected colour is the formula itself.
#include "tests/platform/FixedFunctionTestRig.h"
#include "support/GlRequirement.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

const uint32_t kDiffuse = 0xc0806040;
const uint32_t kSpecular = 0x40204080;
const uint32_t kFactor = 0x80c04020;
const uint32_t kTexel0 = 0x60a0c030;
const uint32_t kTexel1 = 0xff3070f0;

struct StageSetup {
    DWORD colorOp;
    DWORD colorArg0, colorArg1, colorArg2;
    DWORD alphaOp;
    DWORD alphaArg0, alphaArg1, alphaArg2;
    DWORD result = D3DTA_CURRENT;
};

struct StageCase {
    const char* name;
    std::vector<StageSetup> stages; // a DISABLE stage follows the last one
    std::function<Rgba(Rgba d, Rgba s, Rgba t, Rgba x0, Rgba x1)> expected;
};

Rgba map(Rgba a, Rgba b, const std::function<float(float, float)>& f)
{
    return {saturate(f(a.r, b.r)), saturate(f(a.g, b.g)), saturate(f(a.b, b.b)), saturate(f(a.a, b.a))};
}

Rgba withAlpha(Rgba c, float a)
{
    return {c.r, c.g, c.b, saturate(a)};
}

constexpr DWORD TEX = D3DTA_TEXTURE, CUR = D3DTA_CURRENT, DIF = D3DTA_DIFFUSE, TF = D3DTA_TFACTOR,
                SPCL = D3DTA_SPECULAR, TMP = D3DTA_TEMP, COMP = D3DTA_COMPLEMENT, REP = D3DTA_ALPHAREPLICATE;

std::vector<StageCase> cases()
{
    using V = std::vector<StageSetup>;
    auto mul = [](float a, float b) { return a * b; };
    return {
        {"modulate", V {{D3DTOP_MODULATE, CUR, TEX, DIF, D3DTOP_MODULATE, CUR, TEX, DIF}},
         [=](Rgba d, Rgba, Rgba, Rgba x, Rgba) { return map(x, d, mul); }},
        {"modulate2x", V {{D3DTOP_MODULATE2X, CUR, TEX, DIF, D3DTOP_MODULATE2X, CUR, TEX, DIF}},
         [](Rgba d, Rgba, Rgba, Rgba x, Rgba) { return map(x, d, [](float a, float b) { return 2 * a * b; }); }},
        {"modulate4x", V {{D3DTOP_MODULATE4X, CUR, TEX, DIF, D3DTOP_SELECTARG1, CUR, TEX, DIF}},
         [](Rgba d, Rgba, Rgba, Rgba x, Rgba) {
             return withAlpha(map(x, d, [](float a, float b) { return 4 * a * b; }), x.a);
         }},
        {"add", V {{D3DTOP_ADD, CUR, TEX, DIF, D3DTOP_ADD, CUR, TEX, DIF}},
         [](Rgba d, Rgba, Rgba, Rgba x, Rgba) { return map(x, d, [](float a, float b) { return a + b; }); }},
        {"addsigned", V {{D3DTOP_ADDSIGNED, CUR, TEX, DIF, D3DTOP_ADDSIGNED, CUR, TEX, DIF}},
         [](Rgba d, Rgba, Rgba, Rgba x, Rgba) { return map(x, d, [](float a, float b) { return a + b - 0.5f; }); }},
        {"addsigned2x", V {{D3DTOP_ADDSIGNED2X, CUR, TEX, DIF, D3DTOP_SELECTARG2, CUR, TEX, DIF}},
         [](Rgba d, Rgba, Rgba, Rgba x, Rgba) {
             return withAlpha(map(x, d, [](float a, float b) { return 2 * (a + b - 0.5f); }), d.a);
         }},
        {"subtract", V {{D3DTOP_SUBTRACT, CUR, TEX, DIF, D3DTOP_SUBTRACT, CUR, DIF, TEX}},
         [](Rgba d, Rgba, Rgba, Rgba x, Rgba) {
             return withAlpha(map(x, d, [](float a, float b) { return a - b; }), d.a - x.a);
         }},
        {"addsmooth", V {{D3DTOP_ADDSMOOTH, CUR, TEX, DIF, D3DTOP_SELECTARG1, CUR, DIF, TEX}},
         [](Rgba d, Rgba, Rgba, Rgba x, Rgba) {
             return withAlpha(map(x, d, [](float a, float b) { return a + b - a * b; }), d.a);
         }},
        {"selectarg2_tfactor", V {{D3DTOP_SELECTARG2, CUR, TEX, TF, D3DTOP_SELECTARG2, CUR, TEX, TF}},
         [](Rgba, Rgba, Rgba t, Rgba, Rgba) { return t; }},
        {"blendtexturealpha", V {{D3DTOP_BLENDTEXTUREALPHA, CUR, TEX, CUR, D3DTOP_SELECTARG1, CUR, CUR, TEX}},
         [](Rgba d, Rgba, Rgba, Rgba x, Rgba) {
             return withAlpha(map(x, d, [&](float a, float b) { return a * x.a + b * (1 - x.a); }), d.a);
         }},
        {"blenddiffusealpha", V {{D3DTOP_BLENDDIFFUSEALPHA, CUR, TEX, TF, D3DTOP_BLENDDIFFUSEALPHA, CUR, TEX, TF}},
         [](Rgba d, Rgba, Rgba t, Rgba x, Rgba) {
             return map(x, t, [&](float a, float b) { return a * d.a + b * (1 - d.a); });
         }},
        {"blendfactoralpha", V {{D3DTOP_BLENDFACTORALPHA, CUR, TEX, DIF, D3DTOP_SELECTARG1, CUR, TF, DIF}},
         [](Rgba d, Rgba, Rgba t, Rgba x, Rgba) {
             return withAlpha(map(x, d, [&](float a, float b) { return a * t.a + b * (1 - t.a); }), t.a);
         }},
        {"blendcurrentalpha_stage1",
         V {{D3DTOP_SELECTARG1, CUR, DIF, CUR, D3DTOP_SELECTARG1, CUR, DIF, CUR},
            {D3DTOP_BLENDCURRENTALPHA, CUR, TEX, TF, D3DTOP_SELECTARG1, CUR, CUR, TEX}},
         [](Rgba d, Rgba, Rgba t, Rgba, Rgba x1) {
             return withAlpha(map(x1, t, [&](float a, float b) { return a * d.a + b * (1 - d.a); }), d.a);
         }},
        // The specular layer stage: current + specular * texture.
        {"multiplyadd_specular", V {{D3DTOP_MULTIPLYADD, CUR, SPCL, TEX, D3DTOP_SELECTARG1, CUR, CUR, SPCL}},
         [](Rgba d, Rgba s, Rgba, Rgba x, Rgba) {
             return withAlpha(map(d, map(s, x, [](float a, float b) { return a * b; }), [](float a, float b) { return a + b; }), d.a);
         }},
        {"lerp", V {{D3DTOP_LERP, TF, TEX, DIF, D3DTOP_LERP, TF, TEX, DIF}},
         [](Rgba d, Rgba, Rgba t, Rgba x, Rgba) {
             return Rgba {t.r * x.r + (1 - t.r) * d.r, t.g * x.g + (1 - t.g) * d.g, t.b * x.b + (1 - t.b) * d.b,
                          t.a * x.a + (1 - t.a) * d.a};
         }},
        {"dotproduct3_fills_alpha", V {{D3DTOP_DOTPRODUCT3, CUR, TEX, DIF, D3DTOP_SELECTARG1, CUR, TF, DIF}},
         [](Rgba d, Rgba, Rgba, Rgba x, Rgba) {
             float v = saturate(4 * ((x.r - 0.5f) * (d.r - 0.5f) + (x.g - 0.5f) * (d.g - 0.5f) + (x.b - 0.5f) * (d.b - 0.5f)));
             return Rgba {v, v, v, v};
         }},
        {"complement", V {{D3DTOP_MODULATE, CUR, TEX | COMP, DIF, D3DTOP_SELECTARG1, CUR, TEX | COMP, DIF}},
         [](Rgba d, Rgba, Rgba, Rgba x, Rgba) {
             return Rgba {(1 - x.r) * d.r, (1 - x.g) * d.g, (1 - x.b) * d.b, 1 - x.a};
         }},
        // The vertex-colour shift stage: texture factor alpha replicated, doubled.
        {"alphareplicate_shift", V {{D3DTOP_MODULATE2X, CUR, TF | REP, CUR, D3DTOP_SELECTARG1, CUR, CUR, TEX}},
         [](Rgba d, Rgba, Rgba t, Rgba, Rgba) {
             return withAlpha(map(d, Rgba {t.a, t.a, t.a, t.a}, [](float a, float b) { return 2 * a * b; }), d.a);
         }},
        {"temp_result",
         V {{D3DTOP_MODULATE, CUR, TEX, DIF, D3DTOP_MODULATE, CUR, TEX, DIF, D3DTA_TEMP},
            {D3DTOP_ADD, CUR, TMP, CUR, D3DTOP_SELECTARG1, CUR, TMP, CUR}},
         [](Rgba d, Rgba, Rgba, Rgba x, Rgba) {
             Rgba temp = map(x, d, [](float a, float b) { return a * b; });
             return withAlpha(map(temp, d, [](float a, float b) { return a + b; }), temp.a);
         }},
        {"disable_ends_cascade",
         V {{D3DTOP_SELECTARG1, CUR, TEX, CUR, D3DTOP_SELECTARG1, CUR, TEX, CUR},
            {D3DTOP_DISABLE, CUR, TEX, CUR, D3DTOP_DISABLE, CUR, TEX, CUR},
            {D3DTOP_SELECTARG1, CUR, TF, CUR, D3DTOP_SELECTARG1, CUR, TF, CUR}},
         [](Rgba, Rgba, Rgba, Rgba x, Rgba) { return x; }},
    };
}

void PrintTo(const StageCase& c, std::ostream* os)
{
    *os << c.name;
}

class FixedFunctionStagesTest : public ::testing::TestWithParam<StageCase> {};

TEST_P(FixedFunctionStagesTest, MatchesDocumentedOperation)
{
    FixedFunctionTestRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    const StageCase& c = GetParam();
    auto& s = rig.state();
    s.setRenderState(D3DRS_LIGHTING, FALSE);
    s.setRenderState(D3DRS_TEXTUREFACTOR, kFactor);
    for (size_t i = 0; i < c.stages.size(); ++i) {
        const StageSetup& st = c.stages[i];
        DWORD stage = static_cast<DWORD>(i);
        s.setTextureStageState(stage, D3DTSS_COLOROP, st.colorOp);
        s.setTextureStageState(stage, D3DTSS_COLORARG0, st.colorArg0);
        s.setTextureStageState(stage, D3DTSS_COLORARG1, st.colorArg1);
        s.setTextureStageState(stage, D3DTSS_COLORARG2, st.colorArg2);
        s.setTextureStageState(stage, D3DTSS_ALPHAOP, st.alphaOp);
        s.setTextureStageState(stage, D3DTSS_ALPHAARG0, st.alphaArg0);
        s.setTextureStageState(stage, D3DTSS_ALPHAARG1, st.alphaArg1);
        s.setTextureStageState(stage, D3DTSS_ALPHAARG2, st.alphaArg2);
        s.setTextureStageState(stage, D3DTSS_RESULTARG, st.result);
        s.setTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0);
    }
    unsigned t0 = rig.gl().createTexture(1, 1, {kTexel0}, 0);
    unsigned t1 = rig.gl().createTexture(1, 1, {kTexel1}, 1);

    const float normal[3] = {0, 0, -1};
    FixedFunctionVertexFormat format =
        FixedFunctionVertexFormat::fromFvf(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1);
    ASSERT_TRUE(rig.draw(FixedFunctionTestRig::quad(-1, -1, 1, 1, 0.5f, normal, kDiffuse, kSpecular), format));
    Rgba got = rig.pixel(8, 8);
    rig.gl().deleteTexture(t0);
    rig.gl().deleteTexture(t1);

    Rgba expected = c.expected(rgbaOf(kDiffuse), rgbaOf(kSpecular), rgbaOf(kFactor), rgbaOf(kTexel0), rgbaOf(kTexel1));
    const float tolerance = 1.5f / 255.0f;
    EXPECT_NEAR(got.r, expected.r, tolerance);
    EXPECT_NEAR(got.g, expected.g, tolerance);
    EXPECT_NEAR(got.b, expected.b, tolerance);
    EXPECT_NEAR(got.a, expected.a, tolerance);
}

INSTANTIATE_TEST_SUITE_P(Operations, FixedFunctionStagesTest, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
