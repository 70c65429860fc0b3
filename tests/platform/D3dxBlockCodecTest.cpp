// DXT blocks made by hand, decoded to the texels the block layout defines,
// and the encoder's output decoded again close to what went in.
#include "platform/d3dx/BlockCodec.h"

#include <gtest/gtest.h>

#include <array>
#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <vector>

namespace {

using Texels = std::array<uint32_t, 16>;

struct DecodeCase {
    const char* name;
    D3DFORMAT format;
    std::vector<uint8_t> block;
    Texels expected;
};

// Index rows 0, 1, 2, 3 in every row of texels.
constexpr uint8_t kRamp = 0xE4;

Texels byIndex(const std::array<uint32_t, 4>& palette)
{
    Texels t;
    for (int i = 0; i < 16; ++i)
        t[i] = palette[i % 4];
    return t;
}

Texels withAlpha(Texels colour, const std::array<int, 8>& alphas, int count)
{
    for (int i = 0; i < 16; ++i)
        colour[i] = (colour[i] & 0x00FFFFFFu) | uint32_t(alphas[i % count]) << 24;
    return colour;
}

std::vector<DecodeCase> decodeCases()
{
    // Red and blue endpoints; thirds rounded to the nearest.
    const std::array<uint32_t, 4> four = {0xFFFF0000, 0xFF0000FF, 0xFFAA0055, 0xFF5500AA};
    const std::array<uint32_t, 4> three = {0xFF0000FF, 0xFFFF0000, 0xFF800080, 0x00000000};
    Texels dxt3 {};
    for (int i = 0; i < 16; ++i)
        dxt3[i] = uint32_t(i * 17) << 24 | 0xAA0055;
    Texels grey {};
    grey.fill(0xFF000000);
    return {
        {"dxt1 four colours", D3DFMT_DXT1, {0x00, 0xF8, 0x1F, 0x00, kRamp, kRamp, kRamp, kRamp}, byIndex(four)},
        {"dxt1 three colours and transparent", D3DFMT_DXT1, {0x1F, 0x00, 0x00, 0xF8, kRamp, kRamp, kRamp, kRamp},
         byIndex(three)},
        // Explicit alpha 0..15 in nibbles; the colour block reads four colours
        // even though its first endpoint is the smaller.
        {"dxt3 explicit alpha",
         D3DFMT_DXT3,
         {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE, 0x1F, 0x00, 0x00, 0xF8, 0xFF, 0xFF, 0xFF, 0xFF},
         dxt3},
        // Alpha 200 and 60: six interpolated steps; indices 0..7 twice.
        {"dxt5 eight alphas",
         D3DFMT_DXT5,
         {200, 60, 0x88, 0xC6, 0xFA, 0x88, 0xC6, 0xFA, 0, 0, 0, 0, 0, 0, 0, 0},
         withAlpha(grey, {200, 60, 180, 160, 140, 120, 100, 80}, 8)},
        // Alpha 40 and 240: four interpolated steps, then 0 and 255.
        {"dxt5 six alphas and the extremes",
         D3DFMT_DXT5,
         {40, 240, 0x88, 0xC6, 0xFA, 0x88, 0xC6, 0xFA, 0, 0, 0, 0, 0, 0, 0, 0},
         withAlpha(grey, {40, 240, 80, 120, 160, 200, 0, 255}, 8)},
    };
}

TEST(D3dxBlockCodec, HandMadeBlocksDecode)
{
    for (const DecodeCase& c : decodeCases()) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.block.size(), BlockCodec::blockBytes(c.format));
        uint32_t texels[16];
        BlockCodec::decode(c.format, c.block.data(), texels);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(texels[i], c.expected[i]) << "texel " << i;
    }
}

TEST(D3dxBlockCodec, PremultipliedVariantsShareTheLayout)
{
    for (const DecodeCase& c : decodeCases()) {
        if (c.format == D3DFMT_DXT1)
            continue;
        const D3DFORMAT twin = c.format == D3DFMT_DXT3 ? D3DFMT_DXT2 : D3DFMT_DXT4;
        uint32_t a[16], b[16];
        BlockCodec::decode(c.format, c.block.data(), a);
        BlockCodec::decode(twin, c.block.data(), b);
        EXPECT_TRUE(std::equal(a, a + 16, b)) << c.name;
    }
    EXPECT_EQ(BlockCodec::blockBytes(D3DFMT_A8R8G8B8), 0u);
    EXPECT_FALSE(BlockCodec::handles(D3DFMT_A8R8G8B8));
}

int channelError(uint32_t a, uint32_t b, int shift)
{
    return std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
}

struct EncodeCase {
    const char* name;
    D3DFORMAT format;
    Texels texels;
    int colourTolerance;
    int alphaTolerance;
};

// Colours along one line through the block, the way texture gradients run,
// with alpha falling texel by texel.
Texels gradient(uint32_t alphaStep)
{
    Texels t;
    for (int i = 0; i < 16; ++i) {
        const uint32_t step = uint32_t(i % 4 + i / 4);
        t[i] = (255 - alphaStep * uint32_t(i)) << 24 | (40 + 20 * step) << 16 | (200 - 15 * step) << 8
               | (20 + 10 * step);
    }
    return t;
}

std::vector<EncodeCase> encodeCases()
{
    Texels solid;
    solid.fill(0xFF848684); // exactly representable in R5G6B5
    Texels cutout = gradient(0);
    for (int i : {0, 5, 10, 15})
        cutout[i] = 0x10FFFFFF;
    return {
        {"solid colour is exact", D3DFMT_DXT1, solid, 0, 0},
        {"gradient in dxt1", D3DFMT_DXT1, gradient(0), 24, 0},
        {"dxt1 keeps cut-out texels transparent", D3DFMT_DXT1, cutout, 24, 0},
        {"dxt3 alpha in sixteen steps", D3DFMT_DXT3, gradient(17), 24, 8},
        // Alpha 255 down to 60 in seven steps of 28: at most half a step off.
        {"dxt5 alpha ramp", D3DFMT_DXT5, gradient(13), 24, 14},
    };
}

TEST(D3dxBlockCodec, EncodedBlocksDecodeCloseToTheirTexels)
{
    for (const EncodeCase& c : encodeCases()) {
        SCOPED_TRACE(c.name);
        uint8_t block[16] = {};
        uint32_t decoded[16];
        BlockCodec::encode(c.format, c.texels.data(), block);
        BlockCodec::decode(c.format, block, decoded);
        for (int i = 0; i < 16; ++i) {
            const bool cut = c.format == D3DFMT_DXT1 && (c.texels[i] >> 24) < 128;
            if (cut) {
                EXPECT_EQ(decoded[i], 0u) << "texel " << i;
                continue;
            }
            for (int shift : {0, 8, 16})
                EXPECT_LE(channelError(decoded[i], c.texels[i], shift), c.colourTolerance) << "texel " << i;
            const int alphaTolerance = c.format == D3DFMT_DXT1 ? 0 : c.alphaTolerance;
            const uint32_t expectedAlpha = c.format == D3DFMT_DXT1 ? 0xFF000000u : c.texels[i];
            EXPECT_LE(channelError(decoded[i], expectedAlpha, 24), alphaTolerance) << "texel " << i;
        }
        // Same texels, same bytes.
        uint8_t again[16] = {};
        BlockCodec::encode(c.format, c.texels.data(), again);
        EXPECT_TRUE(std::equal(block, block + 16, again));
    }
}

// Blocks whose endpoints are the extremes of their texels come back from a
// decode and a re-encode unchanged.
TEST(D3dxBlockCodec, DecodedBlocksReEncodeToThemselves)
{
    const std::vector<DecodeCase> cases = decodeCases();
    for (const DecodeCase* c : {&cases[0], &cases[3]}) {
        uint32_t texels[16];
        uint8_t block[16] = {};
        BlockCodec::decode(c->format, c->block.data(), texels);
        BlockCodec::encode(c->format, texels, block);
        EXPECT_TRUE(std::equal(c->block.begin(), c->block.end(), block)) << c->name;
    }
}

} // namespace
