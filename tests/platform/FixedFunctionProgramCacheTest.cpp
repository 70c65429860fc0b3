// The program cache: one program per distinct key, found again for an equal
// key, and uniforms that follow the state block across program switches.
#include "tests/platform/FixedFunctionTestRig.h"
#include "support/GlRequirement.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const FixedFunctionVertexFormat kFormat = FixedFunctionVertexFormat::fromFvf(D3DFVF_XYZ | D3DFVF_DIFFUSE);
const float kNormal[3] = {0, 0, -1};

TEST(FixedFunctionProgramCache, SameKeySameProgram)
{
    FixedFunctionTestRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    auto& s = rig.state();
    std::array<FixedFunctionTextureKind, 8> textures {};
    GlProgram* first = rig.cache().program(FixedFunctionKey::build(s, kFormat, textures));
    ASSERT_NE(first, nullptr);
    // Uniform-only states leave the key, and so the program, alone.
    s.setRenderState(D3DRS_TEXTUREFACTOR, 0x12345678);
    s.setRenderState(D3DRS_FOGCOLOR, 0xff00ff00);
    s.setTransform(D3DTS_WORLD, FixedFunctionTestRig::translation(1, 2, 3));
    GlProgram* second = rig.cache().program(FixedFunctionKey::build(s, kFormat, textures));
    EXPECT_EQ(first, second);
    EXPECT_EQ(rig.cache().programsGenerated(), 1u);
    EXPECT_EQ(rig.cache().size(), 1u);
}

TEST(FixedFunctionProgramCache, TenDistinctKeysTenPrograms)
{
    FixedFunctionTestRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    auto& s = rig.state();
    const DWORD ops[10] = {D3DTOP_SELECTARG1, D3DTOP_SELECTARG2, D3DTOP_MODULATE,          D3DTOP_MODULATE2X,
                           D3DTOP_MODULATE4X, D3DTOP_ADD,        D3DTOP_ADDSIGNED,         D3DTOP_SUBTRACT,
                           D3DTOP_LERP,       D3DTOP_MULTIPLYADD};
    std::array<FixedFunctionTextureKind, 8> textures {};
    std::set<GlProgram*> programs;
    for (int round = 0; round < 2; ++round) {
        for (DWORD op : ops) {
            s.setTextureStageState(0, D3DTSS_COLOROP, op);
            GlProgram* program = rig.cache().program(FixedFunctionKey::build(s, kFormat, textures));
            ASSERT_NE(program, nullptr) << rig.cache().lastError();
            programs.insert(program);
        }
    }
    EXPECT_EQ(programs.size(), 10u);
    EXPECT_EQ(rig.cache().programsGenerated(), 10u) << "the second round finds them all";
}

TEST(FixedFunctionProgramCache, UniformsFollowStateAcrossProgramSwitches)
{
    FixedFunctionTestRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    auto& s = rig.state();
    s.setRenderState(D3DRS_LIGHTING, FALSE);
    s.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    s.setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
    s.setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    auto quad = FixedFunctionTestRig::quad(-1, -1, 1, 1, 0.5f, kNormal);

    s.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    s.setRenderState(D3DRS_TEXTUREFACTOR, 0xff102030);
    ASSERT_TRUE(rig.draw(quad, kFormat));
    EXPECT_EQ(rig.gl().pixel(8, 8), 0xff102030u);

    // Another program takes the next draw...
    s.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    s.setTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    s.setRenderState(D3DRS_TEXTUREFACTOR, 0xff405060);
    ASSERT_TRUE(rig.draw(quad, kFormat));
    EXPECT_EQ(rig.gl().pixel(8, 8), 0xff405060u);

    // ...and the first one, back again, picks up the factor it missed.
    s.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    ASSERT_TRUE(rig.draw(quad, kFormat));
    EXPECT_EQ(rig.gl().pixel(8, 8), 0xff405060u);
    EXPECT_EQ(rig.cache().programsGenerated(), 2u);
}

} // namespace

namespace {

// Every operation in both the colour and the alpha position, every argument
// with both modifiers, every coordinate source and texture kind: the
// generator must emit GLSL that compiles for all of them.
TEST(FixedFunctionProgramCache, EveryStageSettingCompiles)
{
    FixedFunctionTestRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    FixedFunctionVertexFormat format = FixedFunctionVertexFormat::fromFvf(
        D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX3 | D3DFVF_TEXCOORDSIZE1(1) |
        D3DFVF_TEXCOORDSIZE4(2));
    const DWORD args[] = {D3DTA_DIFFUSE, D3DTA_CURRENT, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTA_SPECULAR, D3DTA_TEMP};
    const FixedFunctionTextureKind kinds[] = {FixedFunctionTextureKind::Texture2D, FixedFunctionTextureKind::Volume,
                                              FixedFunctionTextureKind::Cube};
    int built = 0;
    for (DWORD op = D3DTOP_SELECTARG1; op <= D3DTOP_LERP; ++op) {
        FixedFunctionKey::Fields f;
        f.vertex = format;
        f.lighting = true;
        f.directionalLights = 1;
        f.pointLights = 1;
        f.spotLights = 1;
        f.specular = op % 2;
        f.localViewer = op % 3;
        f.fog = static_cast<uint8_t>(op % 3);
        f.alphaFunc = static_cast<uint8_t>(1 + op % 8);
        f.clipPlanes = static_cast<uint8_t>(op & 0x3f);
        f.stageCount = 3;
        for (int s = 0; s < 3; ++s) {
            auto& st = f.stages[s];
            st.colorOp = static_cast<uint8_t>(op);
            st.alphaOp = static_cast<uint8_t>(D3DTOP_LERP + D3DTOP_SELECTARG1 - op);
            for (int a = 0; a < 3; ++a) {
                DWORD modifiers = ((op + a + s) % 4) << 4;
                st.colorArg[a] = static_cast<uint8_t>(args[(op + a + s) % 6] | modifiers);
                st.alphaArg[a] = static_cast<uint8_t>(args[(op + 2 * a + s) % 6] | modifiers);
            }
            st.colorArg[1] = D3DTA_TEXTURE;
            st.resultTemp = (op + s) % 2;
            st.texCoordSet = static_cast<uint8_t>((op + s) % 4);
            st.texGen = static_cast<uint8_t>((op + s) % 4);
            st.transformCount = static_cast<uint8_t>((op + s) % 5);
            st.projected = (op + s) % 2;
            st.textureKind = kinds[(op + s) % 3];
        }
        GlProgram* program = rig.cache().program(FixedFunctionKey::pack(f));
        EXPECT_NE(program, nullptr) << "operation " << op << ":\n" << rig.cache().lastError();
        built += program != nullptr;
    }
    EXPECT_EQ(built, D3DTOP_LERP - D3DTOP_SELECTARG1 + 1);
}

} // namespace
