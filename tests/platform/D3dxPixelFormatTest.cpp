// Texel conversions of every format the D3DX layer handles: known texels to
// A8R8G8B8 and back, every channel value through the conversion, and the
// float formats through four floats.
#include "platform/d3dx/PixelFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

struct TexelCase {
    D3DFORMAT format;
    std::vector<uint8_t> bytes;
    uint32_t argb;
};

// Each texel reads as `argb`, and `argb` writes back as the same bytes.
const TexelCase kTexels[] = {
    {D3DFMT_A8R8G8B8, {0x44, 0x33, 0x22, 0x11}, 0x11223344},
    {D3DFMT_X8R8G8B8, {0x44, 0x33, 0x22, 0xFF}, 0xFF223344},
    {D3DFMT_A8B8G8R8, {0x22, 0x33, 0x44, 0x11}, 0x11223344},
    {D3DFMT_X8B8G8R8, {0x22, 0x33, 0x44, 0xFF}, 0xFF223344},
    {D3DFMT_R8G8B8, {0x44, 0x33, 0x22}, 0xFF223344},
    {D3DFMT_R5G6B5, {0x1F, 0xF8}, 0xFFFF00FF},
    {D3DFMT_R5G6B5, {0x30, 0x84}, 0xFF848684}, // 16, 33, 16 of 31, 63, 31
    {D3DFMT_X1R5G5B5, {0x1F, 0xFC}, 0xFFFF00FF},
    {D3DFMT_A1R5G5B5, {0xE0, 0x03}, 0x0000FF00},
    {D3DFMT_A1R5G5B5, {0x1F, 0xFC}, 0xFFFF00FF},
    {D3DFMT_A4R4G4B4, {0x0F, 0x0F}, 0x00FF00FF},
    {D3DFMT_A4R4G4B4, {0x78, 0x56}, 0x55667788},
    {D3DFMT_X4R4G4B4, {0xF0, 0xF0}, 0xFF00FF00},
    {D3DFMT_A2R10G10B10, {0xFF, 0x03, 0xF0, 0xFF}, 0xFFFF00FF},
    {D3DFMT_G16R16, {0xFF, 0xFF, 0x00, 0x00}, 0xFFFF00FF}, // no blue: reads 1
    {D3DFMT_A16B16G16R16, {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00}, 0x00FF00FF},
    {D3DFMT_A8, {0x80}, 0x80000000},
    {D3DFMT_L8, {0x80}, 0xFF808080},
    {D3DFMT_A8L8, {0x80, 0x40}, 0x40808080},
    {D3DFMT_L16, {0x80, 0x80}, 0xFF808080},
    {D3DFMT_R16F, {0x00, 0x3C}, 0xFFFFFFFF},
    {D3DFMT_G16R16F, {0x00, 0x3C, 0x00, 0x00}, 0xFFFF00FF},
    {D3DFMT_A16B16G16R16F, {0x00, 0x00, 0x00, 0x3C, 0x00, 0x00, 0x00, 0x3C}, 0xFF00FF00},
    {D3DFMT_R32F, {0x00, 0x00, 0x80, 0x3F}, 0xFFFFFFFF},
    {D3DFMT_G32R32F, {0, 0, 0, 0, 0x00, 0x00, 0x80, 0x3F}, 0xFF00FFFF},
    {D3DFMT_A32B32G32R32F, {0, 0, 0x80, 0x3F, 0, 0, 0, 0, 0, 0, 0x80, 0x3F, 0, 0, 0, 0}, 0x00FF00FF},
};

TEST(D3dxPixelFormat, KnownTexelsReadAndWriteAsArgb)
{
    for (const TexelCase& c : kTexels) {
        SCOPED_TRACE(testing::Message() << "format " << c.format << " argb " << std::hex << c.argb);
        const PixelFormat* f = PixelFormat::find(c.format);
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(f->elementBytes(), c.bytes.size());
        uint32_t argb = 0;
        f->toArgb(c.bytes.data(), &argb, 1);
        EXPECT_EQ(argb, c.argb);
        std::vector<uint8_t> back(c.bytes.size(), 0xCD);
        f->fromArgb(&c.argb, back.data(), 1);
        EXPECT_EQ(back, c.bytes);
    }
}

TEST(D3dxPixelFormat, LuminanceWeighsGreenMost)
{
    const PixelFormat& l8 = *PixelFormat::find(D3DFMT_L8);
    const uint32_t colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF7F7F7F};
    const uint8_t expected[] = {54, 182, 19, 0x7F};
    for (int i = 0; i < 4; ++i) {
        uint8_t l = 0;
        l8.fromArgb(&colours[i], &l, 1);
        EXPECT_EQ(l, expected[i]) << i;
    }
}

std::vector<D3DFORMAT> packedFormats()
{
    return {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A8B8G8R8, D3DFMT_X8B8G8R8, D3DFMT_R8G8B8,
            D3DFMT_R5G6B5,   D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_X4R4G4B4,
            D3DFMT_A2R10G10B10, D3DFMT_G16R16, D3DFMT_A16B16G16R16, D3DFMT_A8, D3DFMT_L8,
            D3DFMT_A8L8,     D3DFMT_L16};
}

// Every stored value of every channel survives a trip through four floats,
// and through A8R8G8B8 when the channel has at most eight bits; the X bits
// come back set.
TEST(D3dxPixelFormat, EveryChannelValueRoundTrips)
{
    for (D3DFORMAT format : packedFormats()) {
        const PixelFormat& f = *PixelFormat::find(format);
        // Transparent black writes nothing but the X bits.
        const uint32_t clear = 0;
        uint8_t fillBytes[8] = {};
        f.fromArgb(&clear, fillBytes, 1);
        uint64_t fill = 0;
        for (unsigned i = 0; i < f.elementBytes(); ++i)
            fill |= uint64_t(fillBytes[i]) << (8 * i);
        for (const PixelFormat::Channel& c : {f.red(), f.green(), f.blue(), f.alpha()}) {
            if (c.bits == 0)
                continue;
            const uint64_t max = (uint64_t(1) << c.bits) - 1;
            const uint64_t step = max > 1024 ? 257 : 1;
            for (uint64_t v = 0; v <= max; v += step) {
                SCOPED_TRACE(testing::Message() << "format " << format << " shift " << int(c.shift) << " value " << v);
                const uint64_t word = fill | (v << c.shift);
                uint8_t in[8] = {}, out[8] = {};
                for (unsigned i = 0; i < f.elementBytes(); ++i)
                    in[i] = uint8_t(word >> (8 * i));
                ColorF colour;
                f.toColor(in, &colour, 1);
                f.fromColor(&colour, out, 1);
                ASSERT_EQ(0, std::memcmp(in, out, f.elementBytes()));
                if (c.bits <= 8) {
                    uint32_t argb = 0;
                    std::memset(out, 0, sizeof out);
                    f.toArgb(in, &argb, 1);
                    f.fromArgb(&argb, out, 1);
                    ASSERT_EQ(0, std::memcmp(in, out, f.elementBytes()));
                }
            }
        }
    }
}

// Going the other way, a byte comes back within half a step of the format.
TEST(D3dxPixelFormat, BytesComeBackWithinHalfAStep)
{
    const struct {
        D3DFORMAT format;
        int tolerance;
    } cases[] = {{D3DFMT_R5G6B5, 4}, {D3DFMT_A4R4G4B4, 8}, {D3DFMT_X1R5G5B5, 4}, {D3DFMT_A2R10G10B10, 0}};
    for (const auto& c : cases) {
        const PixelFormat& f = *PixelFormat::find(c.format);
        for (uint32_t b = 0; b < 256; ++b) {
            const uint32_t in = 0xFF000000u | b << 16 | b << 8 | b;
            uint8_t bytes[4] = {};
            uint32_t out = 0;
            f.fromArgb(&in, bytes, 1);
            f.toArgb(bytes, &out, 1);
            for (int k = 0; k < 3; ++k)
                ASSERT_LE(std::abs(int((out >> (8 * k)) & 0xFF) - int(b)), c.tolerance) << c.format << " " << b;
        }
    }
}

uint16_t half(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

TEST(D3dxPixelFormat, HalfFloatsConvertExactly)
{
    const struct {
        uint16_t bits;
        float value;
    } cases[] = {
        {0x3C00, 1.0f},       {0x3800, 0.5f},        {0xC000, -2.0f},           {0x7BFF, 65504.0f},
        {0x0001, 5.9604645e-8f}, {0x0400, 6.1035156e-5f}, {0x8000, -0.0f},      {0x7C00, INFINITY},
        {0x3555, 0.33325195f},
    };
    const PixelFormat& f = *PixelFormat::find(D3DFMT_R16F);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.bits);
        const uint8_t in[2] = {uint8_t(c.bits), uint8_t(c.bits >> 8)};
        ColorF colour;
        f.toColor(in, &colour, 1);
        EXPECT_EQ(colour.r, c.value);
        EXPECT_EQ(colour.g, 1.0f);
        EXPECT_EQ(colour.a, 1.0f);
        uint8_t out[2] = {};
        f.fromColor(&colour, out, 1);
        EXPECT_EQ(half(out), c.bits);
    }
    // Rounding: to nearest, ties to even; beyond the range: infinity.
    const struct {
        float value;
        uint16_t bits;
    } rounding[] = {{1.0f + 1.0f / 2048, 0x3C00}, {1.0f + 3.0f / 2048, 0x3C02}, {70000.0f, 0x7C00},
                    {1e-9f, 0x0000},              {NAN, 0x7E00}};
    for (const auto& r : rounding) {
        const ColorF colour {r.value, 0, 0, 0};
        uint8_t out[2] = {};
        f.fromColor(&colour, out, 1);
        EXPECT_EQ(half(out), r.bits) << r.value;
    }
}

TEST(D3dxPixelFormat, FloatFormatsKeepFloatsAndFillMissingChannels)
{
    const ColorF colour {0.25f, -3.5f, 1234.0f, 0.125f};
    const struct {
        D3DFORMAT format;
        ColorF expected;
    } cases[] = {
        {D3DFMT_R32F, {0.25f, 1, 1, 1}},
        {D3DFMT_G32R32F, {0.25f, -3.5f, 1, 1}},
        {D3DFMT_A32B32G32R32F, colour},
        {D3DFMT_R16F, {0.25f, 1, 1, 1}},
        {D3DFMT_G16R16F, {0.25f, -3.5f, 1, 1}},
        {D3DFMT_A16B16G16R16F, colour},
        // Unsigned normalised formats clamp to 0..1.
        {D3DFMT_A16B16G16R16, {0.25f, 0, 1, 0.125f}},
        {D3DFMT_A8, {0, 0, 0, 32.0f / 255}},
    };
    for (const auto& c : cases) {
        const PixelFormat& f = *PixelFormat::find(c.format);
        uint8_t bytes[16] = {};
        ColorF back;
        f.fromColor(&colour, bytes, 1);
        f.toColor(bytes, &back, 1);
        EXPECT_NEAR(back.r, c.expected.r, 1e-4) << c.format;
        EXPECT_NEAR(back.g, c.expected.g, 1e-4) << c.format;
        EXPECT_NEAR(back.b, c.expected.b, 1e-4) << c.format;
        EXPECT_NEAR(back.a, c.expected.a, 1e-4) << c.format;
    }
}

TEST(D3dxPixelFormat, SizesOfRowsAndLevels)
{
    const struct {
        D3DFORMAT format;
        UINT width, height;
        uint64_t row, rows, level;
    } cases[] = {
        {D3DFMT_A8R8G8B8, 5, 3, 20, 3, 60},        {D3DFMT_R8G8B8, 5, 3, 15, 3, 45},
        {D3DFMT_A32B32G32R32F, 2, 2, 32, 2, 64},   {D3DFMT_DXT1, 5, 3, 16, 1, 16},
        {D3DFMT_DXT5, 1, 1, 16, 1, 16},            {D3DFMT_DXT3, 8, 9, 32, 3, 96},
    };
    for (const auto& c : cases) {
        const PixelFormat& f = *PixelFormat::find(c.format);
        EXPECT_EQ(f.rowBytes(c.width), c.row) << c.format;
        EXPECT_EQ(f.rowCount(c.height), c.rows) << c.format;
        EXPECT_EQ(f.levelBytes(c.width, c.height), c.level) << c.format;
    }
    EXPECT_EQ(PixelFormat::find(D3DFMT_P8), nullptr);
    EXPECT_EQ(PixelFormat::find(D3DFMT_D24S8), nullptr);
}

} // namespace
