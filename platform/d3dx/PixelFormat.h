#pragma once
#include "platform/d3dx/D3DXTypes.h"

#include <cstdint>

// One colour as four floats: the common ground for formats whose channels are
// wider than eight bits or floating point, where A8R8G8B8 would lose them.
struct ColorF {
    float r, g, b, a;
};

// The memory layout of a texel format the layer converts, and conversion of
// runs of texels to and from A8R8G8B8 words (0xAARRGGBB) or ColorF. Texels
// are little-endian words as Direct3D stores them. A channel the format lacks
// reads as 1 (alpha, and the green and blue of red-only formats) or 0 (the
// colour of A8), as a Direct3D 9 sampler returns it; luminance reads into red,
// green and blue. Block-compressed formats describe their 4x4 blocks here;
// their texels go through BlockCodec, and the row functions leave them alone.
class PixelFormat {
public:
    enum class Storage : uint8_t {
        Packed, // unsigned normalised channels packed in one word of up to 64 bits
        Half,   // 16-bit floats, red first
        Float,  // 32-bit floats, red first
        Block,  // 4x4 blocks
    };
    // A packed channel's shift and width; for Half and Float the shift is the
    // component's index in memory. Width 0: the format lacks the channel.
    struct Channel {
        uint8_t shift;
        uint8_t bits;
    };

    // The formats textures may come in: every texture format of the device
    // model, R8G8B8 and DXT1 to DXT5. Null for any other.
    static const PixelFormat* find(D3DFORMAT format);

    D3DFORMAT format() const { return m_format; }
    Storage storage() const { return m_storage; }
    bool isBlockCompressed() const { return m_storage == Storage::Block; }
    // Channels wider than eight bits or floating point.
    bool isWide() const;
    bool isLuminance() const { return m_luminance; }
    // Bytes per texel, or per 4x4 block.
    UINT elementBytes() const { return m_bytes; }
    const Channel& red() const { return m_channels[0]; }
    const Channel& green() const { return m_channels[1]; }
    const Channel& blue() const { return m_channels[2]; }
    const Channel& alpha() const { return m_channels[3]; }

    // Bytes of one row of texels (of blocks), the rows (block rows) of a level,
    // and a level's size. 64-bit so that any 32-bit size is safe to ask about.
    uint64_t rowBytes(uint64_t width) const;
    uint64_t rowCount(uint64_t height) const;
    uint64_t levelBytes(uint64_t width, uint64_t height) const;

    void toArgb(const uint8_t* src, uint32_t* dst, UINT count) const;
    void fromArgb(const uint32_t* src, uint8_t* dst, UINT count) const;
    void toColor(const uint8_t* src, ColorF* dst, UINT count) const;
    void fromColor(const ColorF* src, uint8_t* dst, UINT count) const;

    constexpr PixelFormat(D3DFORMAT format, Storage storage, uint8_t bytes, Channel red, Channel green,
                          Channel blue, Channel alpha, bool luminance, uint64_t fill, float missingColour)
        : m_format(format), m_storage(storage), m_bytes(bytes), m_channels {red, green, blue, alpha},
          m_luminance(luminance), m_fill(fill), m_missingColour(missingColour)
    {
    }

private:
    uint64_t readWord(const uint8_t* src) const;
    void writeWord(uint8_t* dst, uint64_t word) const;
    float readComponent(const uint8_t* src, const Channel& channel, float missing) const;
    void writeComponent(uint8_t* dst, const Channel& channel, float value) const;

    D3DFORMAT m_format;
    Storage m_storage;
    uint8_t m_bytes;
    Channel m_channels[4];
    bool m_luminance;
    // Bits set in every written texel: the X bits, which Direct3D leaves set.
    uint64_t m_fill;
    float m_missingColour;
};
