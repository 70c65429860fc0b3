// Mip levels made by the box filter: chain sizes, 2x2 means, odd sides.
#include "platform/d3dx/MipFilter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

SurfaceView argbView(std::vector<uint32_t>& texels, UINT width, UINT height)
{
    return {reinterpret_cast<uint8_t*>(texels.data()), texels.size() * 4, size_t(width) * 4, D3DFMT_A8R8G8B8,
            width, height};
}

TEST(D3dxMipFilter, ChainSizes)
{
    const struct {
        UINT width, height, levels;
    } cases[] = {{1, 1, 1}, {2, 1, 2}, {256, 1, 9}, {300, 20, 9}, {512, 512, 10}, {7, 3, 3}, {16384, 16384, 15}};
    for (const auto& c : cases)
        EXPECT_EQ(mipLevelCount(c.width, c.height), c.levels) << c.width << "x" << c.height;
    EXPECT_EQ(mipDimension(300, 0), 300u);
    EXPECT_EQ(mipDimension(300, 3), 37u);
    EXPECT_EQ(mipDimension(300, 9), 1u);
    EXPECT_EQ(mipDimension(5, 40), 1u);
}

TEST(D3dxMipFilter, EachTexelIsTheRoundedMeanOfItsSources)
{
    const struct {
        const char* name;
        UINT width, height;
        std::vector<uint32_t> source;
        std::vector<uint32_t> expected;
    } cases[] = {
        {"2x2 mean, rounded half up", 2, 2, {0x00000000, 0x01010101, 0x01010101, 0x00000000}, {0x01010101}},
        {"2x2 of opaque and clear", 2, 2, {0xFFFF0000, 0xFF00FF00, 0x00000000, 0x000000FF}, {0x80404040}},
        {"4x2 to 2x1", 4, 2,
         {0x10, 0x20, 0x30, 0x40, //
          0x50, 0x60, 0x70, 0x80},
         {0x38, 0x58}},
        {"a column of 1 stays 1 wide", 1, 4, {0x00, 0x10, 0x20, 0x31}, {0x08, 0x29}},
        {"a 3 wide row spreads over 1", 3, 1, {0x00, 0x30, 0x60}, {0x30}},
        // 5 -> 2: each texel covers two source texels and half of the middle one.
        {"5 wide row over 2", 5, 1, {0, 0, 100, 200, 200}, {20, 180}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint32_t> source = c.source;
        const UINT w = mipDimension(c.width, 1), h = mipDimension(c.height, 1);
        std::vector<uint32_t> out(size_t(w) * h, 0xDEADBEEF);
        ASSERT_EQ(filterMipLevel(argbView(out, w, h), argbView(source, c.width, c.height)), D3D_OK);
        EXPECT_EQ(out, c.expected);
    }
}

TEST(D3dxMipFilter, FullChainOfAnOddSizedLevelKeepsAFlatColour)
{
    std::vector<std::vector<uint32_t>> levels {std::vector<uint32_t>(13 * 7, 0x80FF4020)};
    UINT w = 13, h = 7;
    for (UINT level = 1; level < mipLevelCount(13, 7); ++level) {
        const UINT nw = mipDimension(13, level), nh = mipDimension(7, level);
        levels.emplace_back(size_t(nw) * nh, 0);
        ASSERT_EQ(filterMipLevel(argbView(levels.back(), nw, nh), argbView(levels[level - 1], w, h)), D3D_OK);
        w = nw;
        h = nh;
    }
    EXPECT_EQ(levels.size(), 4u);
    EXPECT_EQ(levels.back(), (std::vector<uint32_t> {0x80FF4020}));
    for (const auto& level : levels)
        for (uint32_t t : level)
            ASSERT_EQ(t, 0x80FF4020u);
}

TEST(D3dxMipFilter, RefusesALevelOfTheWrongSize)
{
    std::vector<uint32_t> source(16), small(4), wrong(2);
    EXPECT_EQ(filterMipLevel(argbView(wrong, 2, 1), argbView(source, 4, 4)), D3DERR_INVALIDCALL);
    EXPECT_EQ(filterMipLevel(argbView(small, 2, 2), argbView(source, 4, 4)), D3D_OK);
}

} // namespace
