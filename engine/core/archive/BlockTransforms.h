#pragma once
#include "engine/core/base/ByteBuffer.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The two stages behind an archive entry's range coding when its flag bit 1
// is set: move-to-front and the inverse block sort. Both keep the length.

// Move-to-front decoding with a protected front: after a 0 or 1, a symbol
// found deeper in the table moves only to position 1, so one stray symbol
// does not push the run symbol off the front.
void decodeMTF(const DataBuffer& input, DataBuffer& output);

// Inverse Burrows-Wheeler transform of the last column `input` with the
// stored primary index. False, with `output` emptied, when the index lies
// outside a block of two or more bytes: such an index can walk outside the
// input.
bool inverseBWT(const DataBuffer& input, int32_t primaryIndex, DataBuffer& output);

// Both stages in one: move-to-front decoding of `input` into `scratch`, then
// the inverse block sort of `scratch` into `output`. The move-to-front pass
// counts the byte values the inverse sort needs, saving it a pass over the
// block. `output` may be `input`; `scratch` must be neither.
bool undoBlockSort(const DataBuffer& input, int32_t primaryIndex, DataBuffer& scratch, DataBuffer& output);

#if defined(__SSE2__)
// Lane masks for the move-to-front table: above[x] selects lanes k > x,
// upTo[x] lanes k <= x (upTo[16] is every lane), at[x] lane x alone.
struct MoveToFrontMasks {
    alignas(16) uint8_t above[16][16];
    alignas(16) uint8_t upTo[17][16];
    alignas(16) uint8_t at[16][16];
    constexpr MoveToFrontMasks() : above{}, upTo{}, at{}
    {
        for (int x = 0; x < 17; ++x) {
            for (int k = 0; k < 16; ++k) {
                if (x < 16) {
                    above[x][k] = k > x ? 0xFF : 0;
                    at[x][k] = k == x ? 0xFF : 0;
                }
                upTo[x][k] = k <= x ? 0xFF : 0;
            }
        }
    }
};
inline constexpr MoveToFrontMasks kMoveToFrontMasks{};
#endif

// The move-to-front table, one step at a time, for decoders that produce
// the coded values themselves (the range decoder runs it beside its own
// work, where it costs little).
class MoveToFrontTable {
public:
    MoveToFrontTable()
    {
        for (int i = 0; i < 256; ++i)
            m_table[i] = uint8_t(i);
    }

    uint8_t front() const { return m_table[0]; }

    // Takes the byte at position v and puts it at position d, moving the
    // bytes at d .. v - 1 up one place (d <= 1, d <= v <= 255; v == d
    // leaves the table as it is). A byte loop's trip count is v itself, a
    // branch that mispredicts on most steps; sixteen-byte blocks, each
    // shifted with the last byte of the block below it, make it a few
    // vector steps instead. The front block is always written whole, with
    // the byte merged in: a byte store followed by the next step's 16-byte
    // load of the same block could not be forwarded and would stall.
    [[gnu::always_inline]] uint8_t moveToFront(uint32_t d, uint32_t v)
    {
        const uint8_t symbol = m_table[v];
#if defined(__SSE2__)
        const MoveToFrontMasks& masks = kMoveToFrontMasks;
        __m128i* blocks = reinterpret_cast<__m128i*>(m_table);
        const uint32_t lastBlock = v >> 4;
        const __m128i front = _mm_load_si128(blocks);
        const __m128i take = _mm_and_si128(mask(masks.above[d]), mask(masks.upTo[v < 16 ? v : 16]));
        const __m128i shifted = select(take, _mm_slli_si128(front, 1), front);
        _mm_store_si128(blocks, select(mask(masks.at[d]), _mm_set1_epi8(char(symbol)), shifted));
        if (lastBlock > 0) {
            __m128i below = front;
            for (uint32_t j = 1; j < lastBlock; ++j) {
                const __m128i cur = _mm_load_si128(blocks + j);
                _mm_store_si128(blocks + j, _mm_or_si128(_mm_slli_si128(cur, 1), _mm_srli_si128(below, 15)));
                below = cur;
            }
            const __m128i cur = _mm_load_si128(blocks + lastBlock);
            const __m128i moved = _mm_or_si128(_mm_slli_si128(cur, 1), _mm_srli_si128(below, 15));
            _mm_store_si128(blocks + lastBlock, select(mask(masks.upTo[v & 15]), moved, cur));
        }
#else
        if (v > d)
            std::memmove(m_table + d + 1, m_table + d, v - d);
        m_table[d] = symbol;
#endif
        return symbol;
    }

private:
#if defined(__SSE2__)
    [[gnu::always_inline]] static __m128i mask(const uint8_t (&lanes)[16])
    {
        return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
    }
    [[gnu::always_inline]] static __m128i select(__m128i mask, __m128i yes, __m128i no)
    {
        return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
    }
#endif

    alignas(16) uint8_t m_table[256];
};
