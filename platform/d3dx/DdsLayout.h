#pragma once
#include "platform/d3dx/D3DXTypes.h"
#include "platform/memory/LittleEndian.h"

#include <cstddef>
#include <cstdint>

// The DirectDraw Surface file layout shared by the reader and the writer:
// "DDS " and a 124-byte header holding a 32-byte pixel format, all
// little-endian, then every level packed row after row (a cube map: each
// face's chain in the order +X, -X, +Y, -Y, +Z, -Z; a volume: each level's
// slices one after another).
namespace dds {

constexpr size_t kFileHeaderBytes = 128;
constexpr uint32_t kHeaderSize = 124;
constexpr uint32_t kPixelFormatSize = 32;

// Byte offsets from the start of the file.
constexpr size_t kOffSize = 4;
constexpr size_t kOffFlags = 8;
constexpr size_t kOffHeight = 12;
constexpr size_t kOffWidth = 16;
constexpr size_t kOffPitch = 20;
constexpr size_t kOffDepth = 24;
constexpr size_t kOffMipCount = 28;
constexpr size_t kOffPfSize = 76;
constexpr size_t kOffPfFlags = 80;
constexpr size_t kOffFourCC = 84;
constexpr size_t kOffBitCount = 88;
constexpr size_t kOffMasks = 92; // red, green, blue, alpha
constexpr size_t kOffCaps = 108;
constexpr size_t kOffCaps2 = 112;

constexpr uint32_t DDSD_CAPS = 0x1;
constexpr uint32_t DDSD_HEIGHT = 0x2;
constexpr uint32_t DDSD_WIDTH = 0x4;
constexpr uint32_t DDSD_PITCH = 0x8;
constexpr uint32_t DDSD_PIXELFORMAT = 0x1000;
constexpr uint32_t DDSD_MIPMAPCOUNT = 0x20000;
constexpr uint32_t DDSD_LINEARSIZE = 0x80000;
constexpr uint32_t DDSD_DEPTH = 0x800000;

constexpr uint32_t DDPF_ALPHAPIXELS = 0x1;
constexpr uint32_t DDPF_ALPHA = 0x2;
constexpr uint32_t DDPF_FOURCC = 0x4;
constexpr uint32_t DDPF_RGB = 0x40;
constexpr uint32_t DDPF_LUMINANCE = 0x20000;

constexpr uint32_t DDSCAPS_COMPLEX = 0x8;
constexpr uint32_t DDSCAPS_TEXTURE = 0x1000;
constexpr uint32_t DDSCAPS_MIPMAP = 0x400000;
constexpr uint32_t DDSCAPS2_CUBEMAP = 0x200;
constexpr uint32_t DDSCAPS2_CUBEMAP_ALLFACES = 0xFC00;
constexpr uint32_t DDSCAPS2_VOLUME = 0x200000;

// The pixel-format block as stored.
struct PixelFormatFields {
    uint32_t flags;
    uint32_t fourCC;
    uint32_t bitCount;
    uint32_t masks[4]; // red, green, blue, alpha
};

// What the writer stores for a format; false when the file cannot carry it.
// Formats without a mask form go by a four-character code, which for the
// float and 16-bit formats is the format's number, as Direct3D 9 files do.
bool describeFormat(D3DFORMAT format, PixelFormatFields& out);
// The format a stored pixel format names, or D3DFMT_UNKNOWN.
D3DFORMAT identifyFormat(const PixelFormatFields& fields);

inline uint32_t read32(const uint8_t* data, size_t offset)
{
    return readLe32(data + offset);
}

inline void write32(uint8_t* data, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        data[offset + i] = uint8_t(value >> (8 * i));
}

} // namespace dds
