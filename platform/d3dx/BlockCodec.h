#pragma once
#include "platform/d3dx/D3DXTypes.h"

#include <cstdint>

// The 4x4 blocks of DXT1 to DXT5, to and from sixteen A8R8G8B8 words in rows
// from the top left. Block layout as the format defines it: two R5G6B5
// endpoints and sixteen 2-bit indices; DXT2/3 put 4-bit explicit alpha in
// front, DXT4/5 two alpha endpoints and sixteen 3-bit indices. DXT2 and DXT4
// hold premultiplied colour; the codec passes it through as stored.
//
// The encoder is meant for a texture cache, not for authoring: endpoints are
// the ends of the block's colour box along its dominant diagonal, each texel
// takes the nearest palette entry. It is deterministic, and re-encoding a
// decoded block reproduces its texels closely (not bit for bit).
class BlockCodec {
public:
    static bool handles(D3DFORMAT format);
    // 8 for DXT1, 16 for the others, 0 for anything else.
    static unsigned blockBytes(D3DFORMAT format);
    static void decode(D3DFORMAT format, const uint8_t* block, uint32_t texels[16]);
    // DXT1 turns texels with alpha below 128 into its transparent black.
    static void encode(D3DFORMAT format, const uint32_t texels[16], uint8_t* block);
};
