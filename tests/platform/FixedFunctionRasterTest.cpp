// Where the generated programs put pixels: Direct3D 9's pixel centres and
// top-down rows, clip-space z in [0, 1] (depth values and the near plane),
// the alpha test against D3DRS_ALPHAREF, and user clip planes in world space.
#include "tests/platform/FixedFunctionTestRig.h"
#include "support/GlRequirement.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

const uint32_t kClear = 0xff000000;
const uint32_t kColour = 0xff30c060;
const float kNormal[3] = {0, 0, -1};

void unlitDiffuse(FixedFunctionState& s)
{
    s.setRenderState(D3DRS_LIGHTING, FALSE);
    s.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    s.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    s.setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    s.setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
}

const FixedFunctionVertexFormat kFormat = FixedFunctionVertexFormat::fromFvf(D3DFVF_XYZ | D3DFVF_DIFFUSE);

// Screen x or y (Direct3D window coordinates of a 16-pixel target) to NDC.
float ndcX(float x) { return x / 8.0f - 1.0f; }
float ndcY(float y) { return 1.0f - y / 8.0f; }

TEST(FixedFunctionRaster, PixelCentresAndRowsFollowDirect3D)
{
    FixedFunctionTestRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    unlitDiffuse(rig.state());
    // Edges at 2.25 and 5.25: Direct3D covers the pixels whose integer
    // centres 3, 4, 5 lie inside; GL's own centres (n + 0.5) would take 2 too.
    ASSERT_TRUE(rig.draw(FixedFunctionTestRig::quad(ndcX(2.25f), ndcY(5.25f), ndcX(5.25f), ndcY(2.25f), 0.5f, kNormal,
                                                    kColour),
                         kFormat, kClear));
    struct Probe {
        int x, y;
        bool covered;
    };
    const Probe probes[] = {{3, 3, true},  {5, 5, true},   {4, 3, true},   {2, 3, false}, {3, 2, false},
                            {6, 3, false}, {3, 6, false}, {12, 12, false}, {12, 3, false}};
    for (const Probe& p : probes)
        EXPECT_EQ(rig.gl().pixel(p.x, p.y), p.covered ? kColour : kClear) << "pixel " << p.x << ", " << p.y;
}

struct DepthCase {
    const char* name;
    float z;
    bool drawn;
};

void PrintTo(const DepthCase& c, std::ostream* os)
{
    *os << c.name;
}

class FixedFunctionDepthTest : public ::testing::TestWithParam<DepthCase> {};

TEST_P(FixedFunctionDepthTest, ClipZRunsFromZeroToOne)
{
    FixedFunctionTestRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    const DepthCase& c = GetParam();
    unlitDiffuse(rig.state());
    rig.setDepthTest(true);
    ASSERT_TRUE(rig.draw(FixedFunctionTestRig::quad(-1, -1, 1, 1, c.z, kNormal, kColour), kFormat, kClear));
    EXPECT_EQ(rig.gl().pixel(8, 8), c.drawn ? kColour : kClear);
    if (c.drawn)
        EXPECT_NEAR(rig.gl().depth(8, 8), c.z, 1e-4f) << "the depth buffer holds Direct3D's z / w";
    rig.setDepthTest(false);
}

const DepthCase kDepthCases[] = {
    {"near", 0.0f, true},          {"quarter", 0.25f, true},       {"three_quarters", 0.75f, true},
    {"behind_near", -0.1f, false}, {"beyond_far", 1.05f, false},
};

INSTANTIATE_TEST_SUITE_P(Depth, FixedFunctionDepthTest, ::testing::ValuesIn(kDepthCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct AlphaCase {
    const char* name;
    DWORD func;
    DWORD ref;
    DWORD alpha;
    bool passes;
};

const AlphaCase kAlphaCases[] = {
    {"greater_pass", D3DCMP_GREATER, 0x7f, 0x80, true},
    {"greater_equal_fails", D3DCMP_GREATER, 0x7f, 0x7f, false},
    {"greater_zero_fails_on_zero", D3DCMP_GREATER, 0x00, 0x00, false},
    {"greaterequal_pass", D3DCMP_GREATEREQUAL, 0x7f, 0x7f, true},
    {"less_pass", D3DCMP_LESS, 0x40, 0x3f, true},
    {"less_fail", D3DCMP_LESS, 0x40, 0x40, false},
    {"lessequal_pass", D3DCMP_LESSEQUAL, 0x40, 0x40, true},
    {"equal_pass", D3DCMP_EQUAL, 0x80, 0x80, true},
    {"notequal_fail", D3DCMP_NOTEQUAL, 0x80, 0x80, false},
    {"never", D3DCMP_NEVER, 0x00, 0xff, false},
    {"always", D3DCMP_ALWAYS, 0xff, 0x00, true},
};

void PrintTo(const AlphaCase& c, std::ostream* os)
{
    *os << c.name;
}

class FixedFunctionAlphaTest : public ::testing::TestWithParam<AlphaCase> {};

TEST_P(FixedFunctionAlphaTest, ComparesEightBitAlphaWithReference)
{
    FixedFunctionTestRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    const AlphaCase& c = GetParam();
    auto& s = rig.state();
    unlitDiffuse(s);
    s.setRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    s.setRenderState(D3DRS_ALPHAFUNC, c.func);
    s.setRenderState(D3DRS_ALPHAREF, c.ref);
    uint32_t colour = (c.alpha << 24) | (kColour & 0x00ffffff);
    ASSERT_TRUE(rig.draw(FixedFunctionTestRig::quad(-1, -1, 1, 1, 0.5f, kNormal, colour), kFormat, kClear));
    EXPECT_EQ(rig.gl().pixel(8, 8), c.passes ? colour : kClear);
}

INSTANTIATE_TEST_SUITE_P(AlphaTest, FixedFunctionAlphaTest, ::testing::ValuesIn(kAlphaCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FixedFunctionRaster, UserClipPlaneIsInWorldSpace)
{
    FixedFunctionTestRig rig;
    REQUIRE_GL(rig.ready(), rig.failure());
    auto& s = rig.state();
    unlitDiffuse(s);
    // Object x in [-1, 0.5] moved to world x in [-0.5, 1]; keep world x <= 0.
    s.setTransform(D3DTS_WORLD, FixedFunctionTestRig::translation(0.5f, 0, 0));
    const float plane[4] = {-1, 0, 0, 0};
    ASSERT_TRUE(s.setClipPlane(0, plane));
    auto quad = FixedFunctionTestRig::quad(-1, -1, 0.5f, 1, 0.5f, kNormal, kColour);

    ASSERT_TRUE(rig.draw(quad, kFormat, kClear));
    EXPECT_EQ(rig.gl().pixel(10, 8), kColour) << "no plane enabled yet";

    s.setRenderState(D3DRS_CLIPPLANEENABLE, D3DCLIPPLANE0);
    ASSERT_TRUE(rig.draw(quad, kFormat, kClear));
    EXPECT_EQ(rig.gl().pixel(6, 8), kColour) << "world x < 0 is kept";
    EXPECT_EQ(rig.gl().pixel(10, 8), kClear) << "world x > 0 is clipped, though its object x is negative";
    EXPECT_EQ(rig.gl().pixel(2, 8), kClear) << "outside the quad";
}

} // namespace
