// Surface copies between locked levels: format conversion, rectangles,
// scaling, block-compressed sides, and the refusals that keep a copy inside
// the memory it was given.
#include "platform/d3dx/PixelFormat.h"
#include "platform/d3dx/SurfaceCopy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <vector>

namespace {

// A level in memory with a pitch wider than its rows; the padding holds a
// guard byte that no copy may touch.
struct Level {
    Level(D3DFORMAT format, UINT width, UINT height, size_t padding = 3)
    {
        const PixelFormat& f = *PixelFormat::find(format);
        pitch = size_t(f.rowBytes(width)) + padding;
        bytes.assign(pitch * f.rowCount(height), kGuard);
        view = {bytes.data(), bytes.size(), pitch, format, width, height};
    }
    static constexpr uint8_t kGuard = 0xA5;

    void fillArgb(const std::vector<uint32_t>& texels)
    {
        const PixelFormat& f = *PixelFormat::find(view.format);
        for (UINT y = 0; y < view.height; ++y)
            f.fromArgb(&texels[size_t(y) * view.width], bytes.data() + y * pitch, view.width);
    }
    std::vector<uint32_t> argb() const
    {
        const PixelFormat& f = *PixelFormat::find(view.format);
        std::vector<uint32_t> out(size_t(view.width) * view.height);
        for (UINT y = 0; y < view.height; ++y)
            f.toArgb(bytes.data() + y * pitch, &out[size_t(y) * view.width], view.width);
        return out;
    }
    bool guardsIntact() const
    {
        const PixelFormat& f = *PixelFormat::find(view.format);
        for (size_t row = 0; row < f.rowCount(view.height); ++row)
            for (size_t i = size_t(f.rowBytes(view.width)); i < pitch; ++i)
                if (bytes[row * pitch + i] != kGuard)
                    return false;
        return true;
    }

    std::vector<uint8_t> bytes;
    size_t pitch;
    SurfaceView view;
};

// Colour rising along the diagonal, alpha falling down the rows.
std::vector<uint32_t> pattern(UINT width, UINT height)
{
    std::vector<uint32_t> t;
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x)
            t.push_back(uint32_t(0xFF - 16 * y) << 24 | ((x + y) * 20) << 16 | (200 - (x + y) * 15) << 8 | (30 + (x + y) * 10));
    return t;
}

TEST(D3dxSurfaceCopy, ConvertsBetweenFormatsAtEqualSize)
{
    const struct {
        D3DFORMAT format;
        int tolerance; // per channel, after the trip through the format
        bool keepsAlpha;
    } cases[] = {
        {D3DFMT_A8R8G8B8, 0, true},       {D3DFMT_X8R8G8B8, 0, false},   {D3DFMT_R5G6B5, 4, false},
        {D3DFMT_A1R5G5B5, 4, false},      {D3DFMT_A4R4G4B4, 8, true},    {D3DFMT_A16B16G16R16F, 1, true},
        {D3DFMT_A32B32G32R32F, 0, true},  {D3DFMT_A2R10G10B10, 0, false}, {D3DFMT_DXT5, 24, true},
    };
    const std::vector<uint32_t> texels = pattern(7, 5);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format);
        Level source(D3DFMT_A8R8G8B8, 7, 5), middle(c.format, 7, 5), back(D3DFMT_A8R8G8B8, 7, 5);
        source.fillArgb(texels);
        ASSERT_EQ(copySurface(middle.view, nullptr, source.view, nullptr, D3DX_DEFAULT), D3D_OK);
        ASSERT_EQ(copySurface(back.view, nullptr, middle.view, nullptr, D3DX_DEFAULT), D3D_OK);
        EXPECT_TRUE(middle.guardsIntact());
        EXPECT_TRUE(back.guardsIntact());
        const std::vector<uint32_t> out = back.argb();
        for (size_t i = 0; i < texels.size(); ++i)
            for (int shift : {0, 8, 16, 24}) {
                if (shift == 24 && !c.keepsAlpha)
                    continue;
                const int error = std::abs(int((out[i] >> shift) & 0xFF) - int((texels[i] >> shift) & 0xFF));
                ASSERT_LE(error, c.tolerance) << "texel " << i << " shift " << shift;
            }
    }
}

TEST(D3dxSurfaceCopy, WideFormatsKeepMoreThanEightBits)
{
    Level source(D3DFMT_A16B16G16R16, 2, 1), middle(D3DFMT_A32B32G32R32F, 2, 1), back(D3DFMT_A16B16G16R16, 2, 1);
    const uint8_t texels[16] = {0x34, 0x12, 0x01, 0x00, 0xFE, 0xFF, 0x00, 0x80,
                                0x00, 0x00, 0xFF, 0xFF, 0x55, 0x55, 0x01, 0x00};
    for (int i = 0; i < 16; ++i)
        source.bytes[i] = texels[i];
    ASSERT_EQ(copySurface(middle.view, nullptr, source.view, nullptr, D3DX_DEFAULT), D3D_OK);
    ASSERT_EQ(copySurface(back.view, nullptr, middle.view, nullptr, D3DX_DEFAULT), D3D_OK);
    EXPECT_TRUE(std::equal(texels, texels + 16, back.bytes.begin()));
}

TEST(D3dxSurfaceCopy, RectanglesPlaceTexelsAndLeaveTheRestAlone)
{
    Level source(D3DFMT_A8R8G8B8, 4, 4), target(D3DFMT_A8R8G8B8, 5, 5);
    source.fillArgb(pattern(4, 4));
    target.fillArgb(std::vector<uint32_t>(25, 0x12345678));
    const RECT from {1, 2, 3, 4}, to {3, 0, 5, 2};
    ASSERT_EQ(copySurface(target.view, &to, source.view, &from, D3DX_DEFAULT), D3D_OK);
    const std::vector<uint32_t> in = pattern(4, 4), out = target.argb();
    for (UINT y = 0; y < 5; ++y)
        for (UINT x = 0; x < 5; ++x) {
            const bool inside = x >= 3 && y < 2;
            EXPECT_EQ(out[y * 5 + x], inside ? in[(y + 2) * 4 + (x - 2)] : 0x12345678u) << x << "," << y;
        }
}

TEST(D3dxSurfaceCopy, HalvingAveragesAndPointFilterRepeats)
{
    Level source(D3DFMT_A8R8G8B8, 4, 2);
    source.fillArgb({0x00000000, 0x04040404, 0x10203040, 0x10203040, //
                     0x08080808, 0x0C0C0C0D, 0x10203040, 0x90A0B0C0});
    Level half(D3DFMT_A8R8G8B8, 2, 1);
    ASSERT_EQ(copySurface(half.view, nullptr, source.view, nullptr, D3DX_DEFAULT), D3D_OK);
    // Means rounded: (0 + 4 + 8 + 12) / 4 = 6, and blue 25 / 4 rounds to 6.
    EXPECT_EQ(half.argb(), (std::vector<uint32_t> {0x06060606, 0x30405060}));

    Level wide(D3DFMT_A8R8G8B8, 8, 2);
    ASSERT_EQ(copySurface(wide.view, nullptr, source.view, nullptr, D3DX_FILTER_POINT), D3D_OK);
    const std::vector<uint32_t> in = source.argb(), out = wide.argb();
    for (UINT y = 0; y < 2; ++y)
        for (UINT x = 0; x < 8; ++x)
            EXPECT_EQ(out[y * 8 + x], in[y * 4 + x / 2]) << x << "," << y;
}

TEST(D3dxSurfaceCopy, BlockLevelsCopyUntouchedAndDecodeAtEdges)
{
    // 6 x 6 DXT1: two by two blocks, the right and bottom ones partial.
    Level dxt(D3DFMT_DXT1, 6, 6, 0), copy(D3DFMT_DXT1, 6, 6, 5);
    for (size_t i = 0; i < dxt.bytes.size(); ++i)
        dxt.bytes[i] = uint8_t(i * 37 + 11);
    ASSERT_EQ(copySurface(copy.view, nullptr, dxt.view, nullptr, D3DX_DEFAULT), D3D_OK);
    for (size_t row = 0; row < 2; ++row)
        EXPECT_TRUE(std::equal(dxt.bytes.begin() + row * 16, dxt.bytes.begin() + row * 16 + 16,
                               copy.bytes.begin() + row * copy.pitch));
    EXPECT_TRUE(copy.guardsIntact());

    Level texels(D3DFMT_A8R8G8B8, 6, 6);
    ASSERT_EQ(copySurface(texels.view, nullptr, dxt.view, nullptr, D3DX_DEFAULT), D3D_OK);
    EXPECT_TRUE(texels.guardsIntact());
    // Back into DXT1 and out again: the same texels, as they were decoded
    // from blocks this encoder reproduces closely.
    Level again(D3DFMT_DXT1, 6, 6, 0), texels2(D3DFMT_A8R8G8B8, 6, 6);
    ASSERT_EQ(copySurface(again.view, nullptr, texels.view, nullptr, D3DX_DEFAULT), D3D_OK);
    ASSERT_EQ(copySurface(texels2.view, nullptr, again.view, nullptr, D3DX_DEFAULT), D3D_OK);
    const std::vector<uint32_t> a = texels.argb(), b = texels2.argb();
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift : {0, 8, 16})
            worst = std::max(worst, std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF)));
    EXPECT_LE(worst, 64);
}

TEST(D3dxSurfaceCopy, RefusesWhatWouldLeaveItsMemory)
{
    Level a(D3DFMT_A8R8G8B8, 4, 4), b(D3DFMT_A8R8G8B8, 4, 4), dxt(D3DFMT_DXT5, 8, 8);
    const RECT outside {2, 2, 5, 4}, empty {1, 1, 1, 3}, negative {-1, 0, 2, 2}, offBlock {2, 0, 6, 4};
    SurfaceView shortPitch = a.view;
    shortPitch.pitch = 15;
    SurfaceView shortSize = a.view;
    shortSize.size -= 4;
    SurfaceView unknown = a.view;
    unknown.format = D3DFMT_P8;
    SurfaceView nothing = a.view;
    nothing.bits = nullptr;
    SurfaceView huge = a.view;
    huge.width = 16385;
    const struct {
        const char* name;
        SurfaceView dst;
        const RECT* dstRect;
        SurfaceView src;
        const RECT* srcRect;
    } cases[] = {
        {"source rect outside", b.view, nullptr, a.view, &outside},
        {"destination rect outside", b.view, &outside, a.view, nullptr},
        {"empty rect", b.view, nullptr, a.view, &empty},
        {"negative rect", b.view, &negative, a.view, nullptr},
        {"pitch shorter than a row", b.view, nullptr, shortPitch, nullptr},
        {"size short of the last row", shortSize, nullptr, a.view, nullptr},
        {"unknown format", b.view, nullptr, unknown, nullptr},
        {"no memory", nothing, nullptr, a.view, nullptr},
        {"too wide", b.view, nullptr, huge, nullptr},
        {"block rect off the grid", dxt.view, &offBlock, a.view, nullptr},
    };
    const std::vector<uint8_t> before = b.bytes;
    for (const auto& c : cases)
        EXPECT_EQ(copySurface(c.dst, c.dstRect, c.src, c.srcRect, D3DX_DEFAULT), D3DERR_INVALIDCALL) << c.name;
    EXPECT_EQ(b.bytes, before);
}

} // namespace
