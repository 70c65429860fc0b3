// Texture coordinates of the generated programs: the top-left texture origin,
// texture transforms on 2D coordinates (Direct3D feeds them as (u, v, 1, 0)),
// camera-space position with COUNT3 | PROJECTED (the projected shadow path)
// and camera-space normal and reflection vector generation.
#include "tests/platform/FixedFunctionTestRig.h"
#include "support/GlRequirement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace {

// 2 x 2 texels, top row first: red, green / blue, white.
const std::vector<uint32_t> kQuadrants = {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffffff};
const uint32_t kRed = 0xffff0000, kGreen = 0xff00ff00, kBlue = 0xff0000ff, kWhite = 0xffffffff;

struct Probe {
    int x, y;
    uint32_t argb;
};

struct TexGenCase {
    const char* name;
    DWORD texCoordIndex;
    DWORD transformFlags;
    D3DMATRIX matrix;
    bool perspective;
    float normal[3];
    std::vector<Probe> probes;
};

D3DMATRIX matrix(std::initializer_list<float> values)
{
    D3DMATRIX m {};
    int i = 0;
    for (float v : values)
        m.m[i / 4][i % 4] = v, ++i;
    return m;
}

const D3DMATRIX kIdentity = FixedFunctionTestRig::identity();

std::vector<TexGenCase> cases()
{
    const float inv = 1.0f / std::sqrt(2.0f);
    return {
        {"top_left_origin", 0, D3DTTFF_DISABLE, kIdentity, false, {0, 0, -1},
         {{2, 2, kRed}, {13, 2, kGreen}, {2, 13, kBlue}, {13, 13, kWhite}}},
        // Translation of 2D coordinates sits in the third row...
        {"count2_translation_third_row", 0, D3DTTFF_COUNT2,
         matrix({1, 0, 0, 0, 0, 1, 0, 0, 0.5f, 0, 1, 0, 0, 0, 0, 1}), false, {0, 0, -1},
         {{2, 2, kGreen}, {2, 13, kWhite}}},
        // ...and the fourth row meets the zero that pads them.
        {"count2_fourth_row_ignored", 0, D3DTTFF_COUNT2,
         matrix({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, 0, 0, 1}), false, {0, 0, -1},
         {{2, 2, kRed}, {13, 13, kWhite}}},
        // u = 0.5 x / z + 0.5, v = -0.5 y / z + 0.5: the screen position, as a
        // shadow-map matrix maps it; only the per-pixel division makes it so.
        {"camera_position_projected", D3DTSS_TCI_CAMERASPACEPOSITION, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED,
         matrix({0.5f, 0, 0, 0, 0, -0.5f, 0, 0, 0.5f, 0.5f, 1, 0, 0, 0, 0, 1}), true, {0, 0, -1},
         {{2, 2, kRed}, {13, 2, kGreen}, {2, 13, kBlue}, {13, 13, kWhite}}},
        {"camera_position_unprojected", D3DTSS_TCI_CAMERASPACEPOSITION, D3DTTFF_COUNT3,
         matrix({0.5f, 0, 0, 0, 0, -0.5f, 0, 0, 0.5f, 0.5f, 1, 0, 0, 0, 0, 1}), true, {0, 0, -1},
         {{2, 2, kWhite}, {13, 13, kWhite}}},
        // u = 0.5 n.x + 0.5, v = 0.25.
        {"camera_normal", D3DTSS_TCI_CAMERASPACENORMAL, D3DTTFF_COUNT2,
         matrix({0.5f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.5f, 0.25f, 0, 1}), false, {inv, 0, -inv},
         {{8, 8, kGreen}}},
        // Infinite viewer: the eye vector is (0, 0, 1); a normal leaning left
        // reflects it to -x, one leaning right to +x.
        {"reflection_left", D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR, D3DTTFF_COUNT2,
         matrix({0.5f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.5f, 0.25f, 0, 1}), false, {-inv, 0, -inv},
         {{8, 8, kRed}}},
        {"reflection_right", D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR, D3DTTFF_COUNT2,
         matrix({0.5f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.5f, 0.25f, 0, 1}), false, {inv, 0, -inv},
         {{8, 8, kGreen}}},
    };
}

void PrintTo(const TexGenCase& c, std::ostream* os)
{
    *os << c.name;
}

class FixedFunctionTexGenTest : public ::testing::TestWithParam<TexGenCase> {};

TEST_P(FixedFunctionTexGenTest, SamplesWhereDirect3DWould)
{
    FixedFunctionTestRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    const TexGenCase& c = GetParam();
    auto& s = rig.state();
    s.setRenderState(D3DRS_LIGHTING, FALSE);
    s.setRenderState(D3DRS_LOCALVIEWER, FALSE);
    s.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    s.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    s.setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    s.setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    s.setTextureStageState(0, D3DTSS_TEXCOORDINDEX, c.texCoordIndex);
    s.setTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, c.transformFlags);
    s.setTransform(D3DTS_TEXTURE0, c.matrix);

    std::vector<GlTestVertex> quad;
    if (c.perspective) {
        s.setTransform(D3DTS_PROJECTION, FixedFunctionTestRig::perspective(3.14159265f / 2, 1.0f, 1.0f, 100.0f));
        quad = FixedFunctionTestRig::quad(-5, -5, 5, 5, 5, c.normal);
    } else {
        quad = FixedFunctionTestRig::quad(-1, -1, 1, 1, 0.5f, c.normal);
    }
    unsigned texture = rig.gl().createTexture(2, 2, kQuadrants, 0);
    FixedFunctionVertexFormat format = FixedFunctionVertexFormat::fromFvf(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
    ASSERT_TRUE(rig.draw(quad, format));
    for (const Probe& p : c.probes)
        EXPECT_EQ(rig.gl().pixel(p.x, p.y), p.argb) << "pixel " << p.x << ", " << p.y;
    rig.gl().deleteTexture(texture);
}

// The sprite stack's set-up: three-component coordinates through a COUNT3
// transform into a volume texture. Three components enter as (u, v, w, 1),
// so here the fourth row does translate.
TEST(FixedFunctionTexGen, VolumeCoordinatesTakeFourthRowTranslation)
{
    FixedFunctionTestRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    auto& s = rig.state();
    s.setRenderState(D3DRS_LIGHTING, FALSE);
    s.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    s.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    s.setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    s.setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    s.setTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3);
    const float normal[3] = {0, 0, -1};
    auto quad = FixedFunctionTestRig::quad(-1, -1, 1, 1, 0.5f, normal);
    for (auto& v : quad)
        v.tex[0][2] = 0.25f; // the front slice
    unsigned texture = rig.gl().createVolumeTexture(1, 1, 2, {kRed, kBlue}, 0);
    FixedFunctionVertexFormat format = FixedFunctionVertexFormat::fromFvf(D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0));
    std::array<FixedFunctionTextureKind, 8> kinds {};
    kinds[0] = FixedFunctionTextureKind::Volume;

    s.setTransform(D3DTS_TEXTURE0, kIdentity);
    ASSERT_TRUE(rig.draw(quad, format, 0xff000000u, kinds));
    EXPECT_EQ(rig.gl().pixel(8, 8), kRed);

    s.setTransform(D3DTS_TEXTURE0, matrix({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0.5f, 1}));
    ASSERT_TRUE(rig.draw(quad, format, 0xff000000u, kinds));
    EXPECT_EQ(rig.gl().pixel(8, 8), kBlue);
    rig.gl().deleteTexture(texture);
}

INSTANTIATE_TEST_SUITE_P(Coordinates, FixedFunctionTexGenTest, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
