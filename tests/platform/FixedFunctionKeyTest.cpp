// The fixed-function key: what changes the generated program changes the
// key, what cannot does not, and every field survives packing.
#include "platform/d3d9/FixedFunctionKey.h"
#include "platform/d3d9/FixedFunctionState.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

namespace {

const std::array<FixedFunctionTextureKind, 8> kTextures2D {};

struct KeyCase {
    const char* name;
    std::function<void(FixedFunctionState&)> change;
    bool changesKey;
    std::function<void(FixedFunctionState&)> prepare = nullptr;
};

FixedFunctionKey keyOf(const FixedFunctionState& s)
{
    return FixedFunctionKey::build(
        s, FixedFunctionVertexFormat::fromFvf(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX2), kTextures2D);
}

D3DLIGHT9 lightOf(D3DLIGHTTYPE type)
{
    D3DLIGHT9 l {};
    l.Type = type;
    l.Range = 10;
    l.Attenuation0 = 1;
    return l;
}

const KeyCase kCases[] = {
    {"texture_factor", [](FixedFunctionState& s) { s.setRenderState(D3DRS_TEXTUREFACTOR, 0x11223344); }, false},
    {"fog_range", [](FixedFunctionState& s) { s.setRenderState(D3DRS_FOGSTART, 0x3f800000); }, false},
    {"alpha_ref", [](FixedFunctionState& s) { s.setRenderState(D3DRS_ALPHAREF, 0x7f); }, false},
    {"blend_state", [](FixedFunctionState& s) { s.setRenderState(D3DRS_ALPHABLENDENABLE, TRUE); }, false},
    {"world_matrix", [](FixedFunctionState& s) {
         D3DMATRIX m {};
         s.setTransform(D3DTS_WORLD, m);
     }, false},
    {"arg_ignored_by_selectarg1", [](FixedFunctionState& s) {
         s.setTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
     }, false, [](FixedFunctionState& s) { s.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1); }},
    {"stage_after_disable", [](FixedFunctionState& s) { s.setTextureStageState(2, D3DTSS_COLOROP, D3DTOP_ADD); }, false},
    {"texcoord_of_untextured_stage", [](FixedFunctionState& s) {
         s.setTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
     }, false, [](FixedFunctionState& s) {
         s.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
         s.setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
     }},
    {"material_source_when_unlit", [](FixedFunctionState& s) {
         s.setRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_COLOR1);
     }, false, [](FixedFunctionState& s) { s.setRenderState(D3DRS_LIGHTING, FALSE); }},
    {"material_source_when_lit", [](FixedFunctionState& s) {
         s.setRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_COLOR1);
     }, true},
    {"specular_source_without_vertex_specular", [](FixedFunctionState& s) {
         s.setRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2);
     }, false, [](FixedFunctionState& s) { s.setRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL); }},
    {"light_position", [](FixedFunctionState& s) {
         D3DLIGHT9 l = lightOf(D3DLIGHT_POINT);
         l.Position = {1, 2, 3};
         s.setLight(0, l);
     }, false},
    {"color_op", [](FixedFunctionState& s) { s.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE2X); }, true},
    {"complement_modifier", [](FixedFunctionState& s) {
         s.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT);
     }, true},
    {"second_stage", [](FixedFunctionState& s) { s.setTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE); }, true},
    {"result_temp", [](FixedFunctionState& s) { s.setTextureStageState(0, D3DTSS_RESULTARG, D3DTA_TEMP); }, true},
    {"texgen_reflection", [](FixedFunctionState& s) {
         s.setTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
     }, true},
    {"texture_transform", [](FixedFunctionState& s) {
         s.setTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED);
     }, true},
    {"light_type", [](FixedFunctionState& s) {
         s.setLight(0, lightOf(D3DLIGHT_SPOT));
     }, true},
    {"diffuse_source", [](FixedFunctionState& s) { s.setRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL); }, true},
    {"specular_enable", [](FixedFunctionState& s) { s.setRenderState(D3DRS_SPECULARENABLE, TRUE); }, true},
    {"normalize_normals", [](FixedFunctionState& s) { s.setRenderState(D3DRS_NORMALIZENORMALS, TRUE); }, true},
    {"normalize_normals_unlit_position_texgen", [](FixedFunctionState& s) {
         s.setRenderState(D3DRS_NORMALIZENORMALS, TRUE);
     }, false, [](FixedFunctionState& s) {
         s.setRenderState(D3DRS_LIGHTING, FALSE);
         s.setTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
     }},
    {"normalize_normals_unlit_normal_texgen", [](FixedFunctionState& s) {
         s.setRenderState(D3DRS_NORMALIZENORMALS, TRUE);
     }, true, [](FixedFunctionState& s) {
         s.setRenderState(D3DRS_LIGHTING, FALSE);
         s.setTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL);
     }},
    {"fog_table_linear", [](FixedFunctionState& s) {
         s.setRenderState(D3DRS_FOGENABLE, TRUE);
         s.setRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
     }, true},
    {"alpha_test", [](FixedFunctionState& s) {
         s.setRenderState(D3DRS_ALPHATESTENABLE, TRUE);
         s.setRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
     }, true},
    {"clip_plane", [](FixedFunctionState& s) { s.setRenderState(D3DRS_CLIPPLANEENABLE, D3DCLIPPLANE0); }, true},
};

void PrintTo(const KeyCase& c, std::ostream* os)
{
    *os << c.name;
}

class FixedFunctionKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(FixedFunctionKeyTest, ChangesOnlyWithTheProgram)
{
    FixedFunctionState s;
    s.setLight(0, lightOf(D3DLIGHT_POINT));
    s.lightEnable(0, TRUE);
    if (GetParam().prepare)
        GetParam().prepare(s);
    FixedFunctionKey before = keyOf(s);
    GetParam().change(s);
    FixedFunctionKey after = keyOf(s);
    EXPECT_EQ(before != after, GetParam().changesKey);
    if (!GetParam().changesKey)
        EXPECT_EQ(before.hash(), after.hash());
}

INSTANTIATE_TEST_SUITE_P(States, FixedFunctionKeyTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Pretransformed vertices generate no coordinates, so no normal is read and
// NORMALIZENORMALS must not split their programs.
TEST(FixedFunctionKey, PretransformedTexGenIgnoresNormalizeNormals)
{
    FixedFunctionState s;
    s.setRenderState(D3DRS_LIGHTING, FALSE);
    s.setTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL);
    auto format = FixedFunctionVertexFormat::fromFvf(D3DFVF_XYZRHW | D3DFVF_NORMAL | D3DFVF_TEX1);
    FixedFunctionKey before = FixedFunctionKey::build(s, format, kTextures2D);
    s.setRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    FixedFunctionKey after = FixedFunctionKey::build(s, format, kTextures2D);
    EXPECT_TRUE(before == after);
    EXPECT_FALSE(after.fields().normalizeNormals);
}

TEST(FixedFunctionKey, FieldsSurvivePacking)
{
    FixedFunctionKey::Fields f;
    f.vertex = FixedFunctionVertexFormat::fromFvf(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_SPECULAR | D3DFVF_TEX3 |
                                                  D3DFVF_TEXCOORDSIZE3(1) | D3DFVF_TEXCOORDSIZE1(2));
    f.lighting = true;
    f.directionalLights = 2;
    f.pointLights = 3;
    f.spotLights = 3;
    f.specularSource = D3DMCS_COLOR2;
    f.specular = true;
    f.localViewer = true;
    f.normalizeNormals = true;
    f.fog = FixedFunctionKey::FogTableLinear;
    f.alphaFunc = D3DCMP_GREATER;
    f.clipPlanes = 0x21;
    f.stageCount = 8;
    for (int s = 0; s < 8; ++s) {
        auto& st = f.stages[s];
        st.colorOp = D3DTOP_MULTIPLYADD;
        st.alphaOp = D3DTOP_LERP;
        st.colorArg = {uint8_t(D3DTA_CURRENT), uint8_t(D3DTA_SPECULAR | D3DTA_COMPLEMENT), uint8_t(D3DTA_TEXTURE)};
        st.alphaArg = {uint8_t(D3DTA_TFACTOR), uint8_t(D3DTA_TEMP | D3DTA_ALPHAREPLICATE), uint8_t(D3DTA_TEXTURE)};
        st.resultTemp = s % 2;
        st.texCoordSet = static_cast<uint8_t>(7 - s);
        st.texGen = static_cast<uint8_t>(s % 4);
        st.transformCount = static_cast<uint8_t>(s % 5);
        st.projected = st.transformCount > 0;
        st.textureKind = s == 3 ? FixedFunctionTextureKind::Volume : FixedFunctionTextureKind::Texture2D;
    }
    FixedFunctionKey::Fields back = FixedFunctionKey::pack(f).fields();
    EXPECT_EQ(back.vertex.texCoordCount, 3);
    EXPECT_EQ(back.vertex.texCoordSize[0], 2);
    EXPECT_EQ(back.vertex.texCoordSize[1], 3);
    EXPECT_EQ(back.vertex.texCoordSize[2], 1);
    EXPECT_TRUE(back.vertex.hasSpecular);
    EXPECT_FALSE(back.vertex.hasDiffuse);
    EXPECT_EQ(back.pointLights, 3);
    EXPECT_EQ(back.spotLights, 3);
    EXPECT_EQ(back.specularSource, D3DMCS_COLOR2);
    EXPECT_EQ(back.fog, FixedFunctionKey::FogTableLinear);
    EXPECT_EQ(back.alphaFunc, D3DCMP_GREATER);
    EXPECT_EQ(back.clipPlanes, 0x21);
    EXPECT_EQ(back.stageCount, 8);
    for (int s = 0; s < 8; ++s) {
        EXPECT_EQ(back.stages[s].colorArg, f.stages[s].colorArg);
        EXPECT_EQ(back.stages[s].alphaArg, f.stages[s].alphaArg);
        EXPECT_EQ(back.stages[s].resultTemp, f.stages[s].resultTemp);
        EXPECT_EQ(back.stages[s].texCoordSet, f.stages[s].texCoordSet);
        EXPECT_EQ(back.stages[s].texGen, f.stages[s].texGen);
        EXPECT_EQ(back.stages[s].transformCount, f.stages[s].transformCount);
        EXPECT_EQ(back.stages[s].projected, f.stages[s].projected);
        EXPECT_EQ(back.stages[s].textureKind, f.stages[s].textureKind);
        EXPECT_TRUE(back.stages[s].usesTexture);
    }
}

TEST(FixedFunctionKey, VertexFormatFromDeclaration)
{
    const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
        {0, 24, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 1},
        {0, 28, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        {0, 36, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 1},
        D3DDECL_END(),
    };
    FixedFunctionVertexFormat v = FixedFunctionVertexFormat::fromDeclaration(elements);
    EXPECT_TRUE(v.hasNormal);
    EXPECT_FALSE(v.hasDiffuse);
    EXPECT_TRUE(v.hasSpecular);
    EXPECT_EQ(v.texCoordCount, 2);
    EXPECT_EQ(v.texCoordSize[0], 2);
    EXPECT_EQ(v.texCoordSize[1], 3);

    FixedFunctionVertexFormat fvf = FixedFunctionVertexFormat::fromFvf(0x10102);
    EXPECT_EQ(fvf.texCoordCount, 1);
    EXPECT_EQ(fvf.texCoordSize[0], 3) << "XYZ | TEX1 | TEXCOORDSIZE3(0)";
}

} // namespace
