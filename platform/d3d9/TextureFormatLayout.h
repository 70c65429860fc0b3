#pragma once
#include "platform/d3d9/D3D9Types.h"

#include <cstdint>

// How a texture format lays its texels out in a locked level: bytes per
// texel, or per 4x4 block for the DXT formats, whose locks address whole
// blocks. Sizes are 64-bit so that any pair of 32-bit dimensions is safe to
// ask about before it is allocated.
struct TextureFormatLayout {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    UINT elementBytes = 0;
    bool blocks = false;

    // False for a format no texture of this layer can hold.
    static bool of(D3DFORMAT format, TextureFormatLayout* layout);

    uint64_t rowPitch(uint64_t width) const;
    uint64_t rowCount(uint64_t height) const;
    uint64_t levelBytes(uint64_t width, uint64_t height) const { return rowPitch(width) * rowCount(height); }
    // Byte offset of texel (x, y); block formats want multiples of 4.
    uint64_t offsetOf(uint64_t x, uint64_t y, uint64_t pitch) const;
};
