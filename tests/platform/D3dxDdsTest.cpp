// DDS files written from levels in memory and read back: byte-exact round
// trips for every format, cube maps and volumes, and the headers the reader
// must refuse before it believes a single size.
#include "platform/d3dx/D3DXImageInfo.h"
#include "platform/d3dx/DdsImage.h"
#include "platform/d3dx/DdsLayout.h"
#include "platform/d3dx/DdsWriter.h"
#include "platform/d3dx/MipFilter.h"
#include "platform/d3dx/PixelFormat.h"

#include <gtest/gtest.h>

#include <string>

#include <functional>
#include <vector>

namespace {

const D3DFORMAT kFormats[] = {
    D3DFMT_A8R8G8B8,   D3DFMT_X8R8G8B8,   D3DFMT_A8B8G8R8,     D3DFMT_X8B8G8R8,      D3DFMT_R8G8B8,
    D3DFMT_R5G6B5,     D3DFMT_X1R5G5B5,   D3DFMT_A1R5G5B5,     D3DFMT_A4R4G4B4,      D3DFMT_X4R4G4B4,
    D3DFMT_A2R10G10B10, D3DFMT_G16R16,    D3DFMT_A16B16G16R16, D3DFMT_A8,            D3DFMT_L8,
    D3DFMT_A8L8,       D3DFMT_L16,        D3DFMT_R16F,         D3DFMT_G16R16F,       D3DFMT_A16B16G16R16F,
    D3DFMT_R32F,       D3DFMT_G32R32F,    D3DFMT_A32B32G32R32F, D3DFMT_DXT1,         D3DFMT_DXT2,
    D3DFMT_DXT3,       D3DFMT_DXT4,       D3DFMT_DXT5,
};

// A chain of levels with padded pitches, filled with bytes that depend on
// the level, row and column.
struct Chain {
    Chain(D3DFORMAT format, UINT width, UINT height, UINT levelCount)
    {
        const PixelFormat& f = *PixelFormat::find(format);
        for (UINT level = 0; level < levelCount; ++level) {
            const UINT w = mipDimension(width, level), h = mipDimension(height, level);
            const size_t row = size_t(f.rowBytes(w)), pitch = row + 5;
            std::vector<uint8_t> bytes(pitch * f.rowCount(h), 0xEE);
            for (size_t r = 0; r < f.rowCount(h); ++r)
                for (size_t i = 0; i < row; ++i)
                    bytes[r * pitch + i] = uint8_t(level * 71 + r * 13 + i * 7 + 1);
            memory.push_back(std::move(bytes));
            views.push_back({memory.back().data(), memory.back().size(), pitch, format, w, h});
        }
    }
    std::vector<std::vector<uint8_t>> memory;
    std::vector<ConstSurfaceView> views;
};

bool sameTexels(const ConstSurfaceView& a, const ConstSurfaceView& b)
{
    const PixelFormat& f = *PixelFormat::find(a.format);
    if (a.format != b.format || a.width != b.width || a.height != b.height)
        return false;
    for (size_t r = 0; r < f.rowCount(a.height); ++r)
        if (!std::equal(a.bits + r * a.pitch, a.bits + r * a.pitch + f.rowBytes(a.width), b.bits + r * b.pitch))
            return false;
    return true;
}

TEST(D3dxDds, EveryFormatRoundTripsByteForByte)
{
    for (D3DFORMAT format : kFormats)
        for (UINT levels : {1u, 2u, 4u}) {
            SCOPED_TRACE(testing::Message() << "format " << format << " levels " << levels);
            const Chain chain(format, 13, 7, levels);
            std::vector<uint8_t> file;
            ASSERT_EQ(writeDds(chain.views.data(), levels, file), D3D_OK);
            DdsImage image;
            ASSERT_EQ(image.parse(file.data(), file.size()), D3D_OK);
            const D3DXIMAGE_INFO& info = image.info();
            EXPECT_EQ(info.Width, 13u);
            EXPECT_EQ(info.Height, 7u);
            EXPECT_EQ(info.Depth, 1u);
            EXPECT_EQ(info.MipLevels, levels);
            EXPECT_EQ(info.Format, format);
            EXPECT_EQ(info.ResourceType, D3DRTYPE_TEXTURE);
            EXPECT_EQ(info.ImageFileFormat, D3DXIFF_DDS);
            EXPECT_EQ(image.faceCount(), 1u);
            std::vector<ConstSurfaceView> read;
            for (UINT level = 0; level < levels; ++level) {
                read.push_back(image.level(0, level));
                ASSERT_TRUE(read.back().isValid());
                EXPECT_TRUE(sameTexels(read.back(), chain.views[level])) << "level " << level;
            }
            // The file is all header and texels: the same levels write the same file.
            const PixelFormat& f = *PixelFormat::find(format);
            uint64_t expectedSize = dds::kFileHeaderBytes;
            for (const ConstSurfaceView& v : chain.views)
                expectedSize += f.levelBytes(v.width, v.height);
            EXPECT_EQ(file.size(), expectedSize);
            std::vector<uint8_t> again;
            ASSERT_EQ(writeDds(read.data(), levels, again), D3D_OK);
            EXPECT_EQ(again, file);
        }
}

TEST(D3dxDds, ImageInfoFromMemoryAnswersForDdsOnly)
{
    const Chain chain(D3DFMT_DXT5, 64, 32, 7);
    std::vector<uint8_t> file;
    ASSERT_EQ(writeDds(chain.views.data(), 7, file), D3D_OK);
    D3DXIMAGE_INFO info {};
    ASSERT_EQ(D3DXGetImageInfoFromFileInMemory(file.data(), UINT(file.size()), &info), D3D_OK);
    EXPECT_EQ(info.Width, 64u);
    EXPECT_EQ(info.Height, 32u);
    EXPECT_EQ(info.MipLevels, 7u);
    EXPECT_EQ(info.Format, D3DFMT_DXT5);
    const uint8_t bmp[64] = {'B', 'M'};
    EXPECT_EQ(D3DXGetImageInfoFromFileInMemory(bmp, sizeof bmp, &info), D3DXERR_INVALIDDATA);
    EXPECT_EQ(D3DXGetImageInfoFromFileInMemory(nullptr, 10, &info), D3DERR_INVALIDCALL);
}

// A valid 8 x 4 A8R8G8B8 file of three levels, for the refusal cases to spoil.
std::vector<uint8_t> validFile()
{
    const Chain chain(D3DFMT_A8R8G8B8, 8, 4, 3);
    std::vector<uint8_t> file;
    writeDds(chain.views.data(), 3, file);
    return file;
}

void set32(std::vector<uint8_t>& file, size_t offset, uint32_t value)
{
    dds::write32(file.data(), offset, value);
}

TEST(D3dxDds, RefusesHeadersItCannotTrust)
{
    using Spoil = std::function<void(std::vector<uint8_t>&)>;
    const struct {
        const char* name;
        Spoil spoil;
        const char* reason;
    } cases[] = {
        {"shorter than a header", [](auto& f) { f.resize(127); }, "shorter than a DDS header"},
        {"last level one byte short", [](auto& f) { f.pop_back(); }, "levels run past the end"},
        {"no magic", [](auto& f) { f[0] = 'X'; }, "does not start with"},
        {"header size 123", [](auto& f) { set32(f, dds::kOffSize, 123); }, "header or pixel format size"},
        {"pixel format size 24", [](auto& f) { set32(f, dds::kOffPfSize, 24); }, "header or pixel format size"},
        {"width 0", [](auto& f) { set32(f, dds::kOffWidth, 0); }, "width or height"},
        {"width beyond the bound", [](auto& f) { set32(f, dds::kOffWidth, 16385); }, "width or height"},
        {"height of four billion", [](auto& f) { set32(f, dds::kOffHeight, 0xFFFFFFFF); }, "width or height"},
        {"huge but in bounds, no data", [](auto& f) {
             set32(f, dds::kOffWidth, 16384);
             set32(f, dds::kOffHeight, 16384);
             set32(f, dds::kOffPitch, 16384 * 4);
         }, "levels run past the end"},
        {"more levels than the chain", [](auto& f) { set32(f, dds::kOffMipCount, 5); }, "mip count"},
        {"level count of four billion", [](auto& f) { set32(f, dds::kOffMipCount, 0xFFFFFFFF); }, "mip count"},
        {"pitch not of the format", [](auto& f) { set32(f, dds::kOffPitch, 33); }, "stored pitch"},
        {"unknown masks", [](auto& f) { set32(f, dds::kOffMasks, 0x00FF00FF); }, "pixel format is not one"},
        {"unknown four-character code", [](auto& f) {
             set32(f, dds::kOffPfFlags, dds::DDPF_FOURCC);
             set32(f, dds::kOffFourCC, MAKEFOURCC('A', 'T', 'I', '2'));
         }, "pixel format is not one"},
        {"palette format", [](auto& f) {
             set32(f, dds::kOffPfFlags, dds::DDPF_FOURCC);
             set32(f, dds::kOffFourCC, D3DFMT_P8);
         }, "pixel format is not one"},
        {"cube with five faces", [](auto& f) {
             set32(f, dds::kOffCaps2, dds::DDSCAPS2_CUBEMAP | (dds::DDSCAPS2_CUBEMAP_ALLFACES & ~0x8000u));
         }, "cube map lacks a face"},
        {"cube that is not square", [](auto& f) {
             set32(f, dds::kOffCaps2, dds::DDSCAPS2_CUBEMAP | dds::DDSCAPS2_CUBEMAP_ALLFACES);
         }, "cube map lacks a face"},
        {"volume without a depth", [](auto& f) { set32(f, dds::kOffCaps2, dds::DDSCAPS2_VOLUME); }, "volume's depth"},
        {"volume of depth 0", [](auto& f) {
             set32(f, dds::kOffCaps2, dds::DDSCAPS2_VOLUME);
             set32(f, dds::kOffFlags, dds::read32(f.data(), dds::kOffFlags) | dds::DDSD_DEPTH);
         }, "volume's depth"},
        {"volume deeper than its data", [](auto& f) {
             set32(f, dds::kOffCaps2, dds::DDSCAPS2_VOLUME);
             set32(f, dds::kOffFlags, dds::read32(f.data(), dds::kOffFlags) | dds::DDSD_DEPTH);
             set32(f, dds::kOffDepth, 2);
         }, "levels run past the end"},
    };
    {
        const std::vector<uint8_t> file = validFile();
        DdsImage image;
        ASSERT_EQ(image.parse(file.data(), file.size()), D3D_OK);
        EXPECT_STREQ(image.refusal(), "");
    }
    for (const auto& c : cases) {
        std::vector<uint8_t> file = validFile();
        c.spoil(file);
        DdsImage image;
        EXPECT_EQ(image.parse(file.data(), file.size()), D3DXERR_INVALIDDATA) << c.name;
        EXPECT_EQ(image.faceCount(), 0u) << c.name;
        EXPECT_EQ(image.level(0, 0).bits, nullptr) << c.name;
        EXPECT_NE(std::string(image.refusal()).find(c.reason), std::string::npos) << c.name << ": " << image.refusal();
    }
}

TEST(D3dxDds, CubeMapsAndVolumesFindEveryLevel)
{
    // A cube: one 4 x 4 face of two levels written, five more appended.
    const Chain face(D3DFMT_X8R8G8B8, 4, 4, 2);
    std::vector<uint8_t> cube;
    ASSERT_EQ(writeDds(face.views.data(), 2, cube), D3D_OK);
    set32(cube, dds::kOffCaps2, dds::DDSCAPS2_CUBEMAP | dds::DDSCAPS2_CUBEMAP_ALLFACES);
    const size_t faceBytes = (16 + 4) * 4;
    for (uint8_t n = 1; n < 6; ++n)
        for (size_t i = 0; i < faceBytes; ++i)
            cube.push_back(uint8_t(n * 40 + i));
    DdsImage image;
    ASSERT_EQ(image.parse(cube.data(), cube.size()), D3D_OK);
    EXPECT_EQ(image.info().ResourceType, D3DRTYPE_CUBETEXTURE);
    EXPECT_EQ(image.faceCount(), 6u);
    const ConstSurfaceView last = image.level(5, 1);
    ASSERT_TRUE(last.isValid());
    EXPECT_EQ(last.width, 2u);
    EXPECT_EQ(last.bits, cube.data() + dds::kFileHeaderBytes + 5 * faceBytes + 64);
    EXPECT_EQ(last.bits[0], uint8_t(5 * 40 + 64));
    EXPECT_EQ(image.level(6, 0).bits, nullptr);
    cube.pop_back();
    EXPECT_EQ(image.parse(cube.data(), cube.size()), D3DXERR_INVALIDDATA);

    // A volume 4 x 4 x 4 of three levels: 64, 8 and 1 texels.
    const Chain slice(D3DFMT_A8R8G8B8, 4, 4, 1);
    std::vector<uint8_t> volume;
    ASSERT_EQ(writeDds(slice.views.data(), 1, volume), D3D_OK);
    volume.resize(dds::kFileHeaderBytes);
    for (size_t i = 0; i < (64 + 8 + 1) * 4; ++i)
        volume.push_back(uint8_t(i / 4));
    set32(volume, dds::kOffCaps2, dds::DDSCAPS2_VOLUME);
    set32(volume, dds::kOffFlags, dds::read32(volume.data(), dds::kOffFlags) | dds::DDSD_DEPTH);
    set32(volume, dds::kOffDepth, 4);
    set32(volume, dds::kOffMipCount, 3);
    ASSERT_EQ(image.parse(volume.data(), volume.size()), D3D_OK);
    EXPECT_EQ(image.info().ResourceType, D3DRTYPE_VOLUMETEXTURE);
    EXPECT_EQ(image.info().Depth, 4u);
    EXPECT_EQ(image.sliceCount(1), 2u);
    EXPECT_EQ(image.level(0, 0, 3).bits[0], 48);  // texel 48 of the top level
    EXPECT_EQ(image.level(0, 1, 1).bits[0], 68);  // slice 1 of level 1
    EXPECT_EQ(image.level(0, 2, 0).bits[0], 72);
    EXPECT_EQ(image.level(0, 1, 2).bits, nullptr);
}

TEST(D3dxDds, WriterRefusesWhatIsNotAChain)
{
    const Chain chain(D3DFMT_A8R8G8B8, 8, 8, 3);
    const Chain other(D3DFMT_R5G6B5, 4, 4, 1);
    std::vector<uint8_t> file {1, 2, 3};
    std::vector<ConstSurfaceView> mixed = chain.views;
    mixed[1] = other.views[0];
    std::vector<ConstSurfaceView> skipped = {chain.views[0], chain.views[2]};
    std::vector<ConstSurfaceView> tooLong = chain.views;
    for (int i = 0; i < 2; ++i)
        tooLong.push_back(tooLong.back());
    const Chain p8(D3DFMT_A8R8G8B8, 2, 2, 1);
    std::vector<ConstSurfaceView> palette = p8.views;
    palette[0].format = D3DFMT_P8;
    EXPECT_EQ(writeDds(chain.views.data(), 0, file), D3DERR_INVALIDCALL);
    EXPECT_EQ(writeDds(mixed.data(), 3, file), D3DERR_INVALIDCALL);
    EXPECT_EQ(writeDds(skipped.data(), 2, file), D3DERR_INVALIDCALL);
    EXPECT_EQ(writeDds(tooLong.data(), 5, file), D3DERR_INVALIDCALL);
    EXPECT_EQ(writeDds(palette.data(), 1, file), D3DERR_INVALIDCALL);
    EXPECT_EQ(file, (std::vector<uint8_t> {1, 2, 3}));
}

} // namespace
