// Linear fog of the generated programs: f = (end - d) / (end - start) on the
// camera-space depth d, clamped to 0..1 (0 when start equals end), colour =
// f * colour + (1 - f) * fog colour, in pixel (table) and vertex mode.
#include "tests/platform/FixedFunctionTestRig.h"
#include "support/GlRequirement.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

namespace {

struct FogCase {
    const char* name;
    bool table;
    float start, end;
    float depth;
    float factor;
};

const FogCase kCases[] = {
    {"table_before_start", true, 10, 20, 5.0f, 1.0f},
    {"table_start", true, 10, 20, 10.0f, 1.0f},
    {"table_middle", true, 10, 20, 15.0f, 0.5f},
    {"table_quarter", true, 10, 20, 17.5f, 0.25f},
    {"table_end", true, 10, 20, 20.0f, 0.0f},
    {"table_beyond_end", true, 10, 20, 30.0f, 0.0f},
    {"vertex_start", false, 10, 20, 10.0f, 1.0f},
    {"vertex_middle", false, 10, 20, 15.0f, 0.5f},
    {"vertex_end", false, 10, 20, 20.0f, 0.0f},
    // A reversed range follows the same formula: the near side is fogged,
    // everything past the start is clear.
    {"table_reversed_near_side", true, 20, 10, 12.5f, 0.25f},
    {"table_reversed_past_the_start", true, 20, 10, 30.0f, 1.0f},
    {"vertex_reversed_middle", false, 20, 10, 15.0f, 0.5f},
    // A range of no length fogs everything, nearer or farther.
    {"table_equal_start_and_end_nearer", true, 15, 15, 5.0f, 0.0f},
    {"table_equal_start_and_end_farther", true, 15, 15, 30.0f, 0.0f},
    {"vertex_equal_start_and_end_nearer", false, 15, 15, 10.0f, 0.0f},
};

DWORD bits(float value)
{
    DWORD b;
    std::memcpy(&b, &value, sizeof b);
    return b;
}

void PrintTo(const FogCase& c, std::ostream* os)
{
    *os << c.name;
}

class FixedFunctionFogTest : public ::testing::TestWithParam<FogCase> {};

TEST_P(FixedFunctionFogTest, BlendsTowardsFogColour)
{
    FixedFunctionTestRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    const FogCase& c = GetParam();
    auto& s = rig.state();
    s.setTransform(D3DTS_PROJECTION, FixedFunctionTestRig::perspective(3.14159265f / 2, 1.0f, 1.0f, 100.0f));
    s.setRenderState(D3DRS_LIGHTING, FALSE);
    s.setRenderState(D3DRS_FOGENABLE, TRUE);
    s.setRenderState(D3DRS_FOGCOLOR, 0xff2040ff);
    s.setRenderState(D3DRS_FOGSTART, bits(c.start));
    s.setRenderState(D3DRS_FOGEND, bits(c.end));
    if (c.table)
        s.setRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    else
        s.setRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    s.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    s.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    s.setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    s.setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);

    const float normal[3] = {0, 0, -1};
    const uint32_t colour = 0x80ff8000;
    FixedFunctionVertexFormat format = FixedFunctionVertexFormat::fromFvf(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    float half = c.depth;
    ASSERT_TRUE(rig.draw(FixedFunctionTestRig::quad(-half, -half, half, half, c.depth, normal, colour), format));

    Rgba in = rgbaOf(colour), fog = rgbaOf(0xff2040ff), got = rig.pixel(8, 8);
    const float tolerance = 2.0f / 255.0f;
    EXPECT_NEAR(got.r, c.factor * in.r + (1 - c.factor) * fog.r, tolerance);
    EXPECT_NEAR(got.g, c.factor * in.g + (1 - c.factor) * fog.g, tolerance);
    EXPECT_NEAR(got.b, c.factor * in.b + (1 - c.factor) * fog.b, tolerance);
    EXPECT_NEAR(got.a, in.a, tolerance) << "fog leaves alpha alone";
}

INSTANTIATE_TEST_SUITE_P(Linear, FixedFunctionFogTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FixedFunctionFog, DisabledFogLeavesColour)
{
    FixedFunctionTestRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    auto& s = rig.state();
    s.setTransform(D3DTS_PROJECTION, FixedFunctionTestRig::perspective(3.14159265f / 2, 1.0f, 1.0f, 100.0f));
    s.setRenderState(D3DRS_LIGHTING, FALSE);
    s.setRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    s.setRenderState(D3DRS_FOGCOLOR, 0xff0000ff);
    s.setRenderState(D3DRS_FOGEND, bits(2.0f));
    s.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    s.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    s.setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    s.setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    const float normal[3] = {0, 0, -1};
    FixedFunctionVertexFormat format = FixedFunctionVertexFormat::fromFvf(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    ASSERT_TRUE(rig.draw(FixedFunctionTestRig::quad(-10, -10, 10, 10, 10, normal, 0xffff0000), format));
    EXPECT_EQ(rig.gl().pixel(8, 8), 0xffff0000u);
}

} // namespace
