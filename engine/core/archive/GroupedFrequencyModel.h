#pragma once
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(__SSE2__)
// The model's update adds these rows: after[x][k] is 1 for k > x, from[x][k]
// is 1 for k >= x (x up to 16).
struct GroupedModelIncrements {
    alignas(64) int16_t after[16][16];
    alignas(64) int16_t from[17][16];
    constexpr GroupedModelIncrements() : after{}, from{}
    {
        for (int x = 0; x < 17; ++x) {
            for (int k = 0; k < 16; ++k) {
                if (x < 16)
                    after[x][k] = k > x ? 1 : 0;
                from[x][k] = k >= x ? 1 : 0;
            }
        }
    }
};
inline constexpr GroupedModelIncrements kGroupedModelIncrements{};
#endif

// The range decoder's working copy of the adaptive model. It keeps exactly
// the counts, total and halving of FrequencyModel (257 symbols, increment 1,
// halving at 16384), but lays the cumulative frequencies out for the search
// rather than for the update: 17 groups of 16 symbols with each group's
// starting sum and each symbol's sum within its group. Every sum stays below
// the halving total, under 2^15, so they are kept as 16-bit values: a row of
// 16 is two vector registers. A lookup is then two 16-wide compares whose
// masks are monotonic, so the lowest set bit of each gives the answer; an
// update adds to two short rows instead of walking the tree.
class GroupedFrequencyModel {
public:
    static constexpr uint32_t kSymbolCount = 257;
    static constexpr uint32_t kHalvingTotal = 16384;

    uint32_t counts[kSymbolCount];
    uint32_t total;

    GroupedFrequencyModel()
    {
        for (uint32_t& c : counts)
            c = 1;
        m_start[0] = 0;
        for (uint32_t k = 17; k < 24; ++k)
            m_start[k] = kPad;
        rebuild();
    }

    // Sum of the counts below `symbol`.
    [[gnu::always_inline]] uint32_t cumulative(uint32_t symbol) const
    {
        return uint32_t(m_start[symbol >> 4]) + uint32_t(m_within[symbol >> 4][symbol & 15]);
    }

    // The largest symbol s with cumulative(s) <= target, for target < total.
    [[gnu::always_inline]] uint32_t find(uint32_t target) const
    {
        // Group starts rise strictly and so do the sums inside a row (every
        // count is at least 1, unused slots hold the padding), so "greater
        // than the target" is false for a prefix and true after it: the
        // lowest set bit of that mask counts the entries at or below it.
#if defined(__SSE2__)
        const __m128i t = _mm_set1_epi16(int16_t(target));
        const __m128i* starts = reinterpret_cast<const __m128i*>(m_start + 1);
        const __m128i gAbove = _mm_packs_epi16(_mm_cmpgt_epi16(_mm_loadu_si128(starts), t),
                                               _mm_cmpgt_epi16(_mm_loadu_si128(starts + 1), t));
        const uint32_t group = uint32_t(__builtin_ctz(uint32_t(_mm_movemask_epi8(gAbove)) | 0x10000u));
        const __m128i rest = _mm_set1_epi16(int16_t(int32_t(target) - m_start[group]));
        const __m128i* row = reinterpret_cast<const __m128i*>(m_within[group]);
        const __m128i rAbove = _mm_packs_epi16(_mm_cmpgt_epi16(_mm_load_si128(row), rest),
                                               _mm_cmpgt_epi16(_mm_load_si128(row + 1), rest));
        // row[0] is 0, so at least one entry is at or below the rest.
        const uint32_t index = uint32_t(__builtin_ctz(uint32_t(_mm_movemask_epi8(rAbove)) | 0x10000u));
        return group * 16 + index - 1;
#else
        const int32_t t = int32_t(target);
        uint32_t group = 0;
        for (int g = 1; g <= 16; ++g)
            group += m_start[g] <= t ? 1 : 0;
        const int32_t rest = t - m_start[group];
        uint32_t index = 0;
        for (int k = 0; k < 16; ++k)
            index += m_within[group][k] <= rest ? 1 : 0;
        return group * 16 + index - 1;
#endif
    }

    // update() for a symbol of the first group (below 16): its row is the
    // first one and every later group start grows.
    [[gnu::always_inline]] void updateFront(uint32_t symbol)
    {
        ++counts[symbol];
#if defined(__SSE2__)
        __m128i* row = reinterpret_cast<__m128i*>(m_within[0]);
        const __m128i* add = reinterpret_cast<const __m128i*>(kGroupedModelIncrements.after[symbol]);
        _mm_store_si128(row, _mm_add_epi16(_mm_load_si128(row), _mm_load_si128(add)));
        _mm_store_si128(row + 1, _mm_add_epi16(_mm_load_si128(row + 1), _mm_load_si128(add + 1)));
        __m128i* starts = reinterpret_cast<__m128i*>(m_start + 1);
        const __m128i one = _mm_set1_epi16(1);
        _mm_storeu_si128(starts, _mm_add_epi16(_mm_loadu_si128(starts), one));
        _mm_storeu_si128(starts + 1, _mm_add_epi16(_mm_loadu_si128(starts + 1), one));
#else
        for (uint32_t k = symbol + 1; k < 16; ++k)
            ++m_within[0][k];
        for (uint32_t g = 1; g <= 16; ++g)
            ++m_start[g];
#endif
        if (++total >= kHalvingTotal) [[unlikely]]
            halve();
    }

    // `k` updates of symbol 0 at once, as a run of zeros gives them; the
    // caller keeps the total below the halving point.
    [[gnu::always_inline]] void addZeros(uint32_t k)
    {
        counts[0] += k;
#if defined(__SSE2__)
        const __m128i step = _mm_set1_epi16(int16_t(k));
        __m128i* row = reinterpret_cast<__m128i*>(m_within[0]);
        const __m128i* add = reinterpret_cast<const __m128i*>(kGroupedModelIncrements.after[0]);
        _mm_store_si128(row, _mm_add_epi16(_mm_load_si128(row), _mm_mullo_epi16(_mm_load_si128(add), step)));
        _mm_store_si128(row + 1, _mm_add_epi16(_mm_load_si128(row + 1), _mm_mullo_epi16(_mm_load_si128(add + 1), step)));
        __m128i* starts = reinterpret_cast<__m128i*>(m_start + 1);
        _mm_storeu_si128(starts, _mm_add_epi16(_mm_loadu_si128(starts), step));
        _mm_storeu_si128(starts + 1, _mm_add_epi16(_mm_loadu_si128(starts + 1), step));
#else
        for (uint32_t j = 1; j < 16; ++j)
            m_within[0][j] = int16_t(m_within[0][j] + int32_t(k));
        for (uint32_t g = 1; g <= 16; ++g)
            m_start[g] = int16_t(m_start[g] + int32_t(k));
#endif
        total += k;
        if (total >= kHalvingTotal) [[unlikely]]
            halve();
    }

    [[gnu::always_inline]] void update(uint32_t symbol)
    {
        ++counts[symbol];
        const uint32_t group = symbol >> 4;
        const uint32_t slot = symbol & 15;
#if defined(__SSE2__)
        // Adding a row of 0s and 1s from a table costs a load and an add per
        // half, where building the comparison mask would cost a broadcast
        // and a compare.
        const GroupedModelIncrements& inc = kGroupedModelIncrements;
        if (group < 16) {
            __m128i* row = reinterpret_cast<__m128i*>(m_within[group]);
            const __m128i* add = reinterpret_cast<const __m128i*>(inc.after[slot]);
            _mm_store_si128(row, _mm_add_epi16(_mm_load_si128(row), _mm_load_si128(add)));
            _mm_store_si128(row + 1, _mm_add_epi16(_mm_load_si128(row + 1), _mm_load_si128(add + 1)));
        }
        // m_start[1 + k] grows when 1 + k > group, that is k >= group:
        // the same rows, one slot earlier (after[16] is all zeros).
        __m128i* starts = reinterpret_cast<__m128i*>(m_start + 1);
        const __m128i* add = reinterpret_cast<const __m128i*>(inc.from[group]);
        _mm_storeu_si128(starts, _mm_add_epi16(_mm_loadu_si128(starts), _mm_load_si128(add)));
        _mm_storeu_si128(starts + 1, _mm_add_epi16(_mm_loadu_si128(starts + 1), _mm_load_si128(add + 1)));
#else
        if (group < 16) {
            for (uint32_t k = slot + 1; k < 16; ++k)
                ++m_within[group][k];
        }
        for (uint32_t g = group + 1; g <= 16; ++g)
            ++m_start[g];
#endif
        if (++total >= kHalvingTotal) [[unlikely]]
            halve();
    }

private:
    [[gnu::noinline]] void halve()
    {
        for (uint32_t& c : counts)
            c = (c + 1) >> 1;
        rebuild();
    }

    // Unused slots sort after any target, so the search never lands on them.
    static constexpr int16_t kPad = 0x7FFF;

    void rebuild()
    {
        int32_t sum = 0;
        for (uint32_t g = 0; g < 17; ++g) {
            m_start[g] = int16_t(sum);
            int32_t inside = 0;
            for (uint32_t k = 0; k < 16; ++k) {
                const uint32_t s = g * 16 + k;
                // The last group holds only the end-of-block symbol.
                if (s < kSymbolCount) {
                    m_within[g][k] = int16_t(inside);
                    inside += int32_t(counts[s]);
                } else {
                    m_within[g][k] = kPad;
                }
            }
            sum += inside;
        }
        total = uint32_t(sum);
    }

    // m_start[g] is the sum below group g; m_start[0] stays 0, and the
    // slots past group 16 hold the padding so a 16-wide load from
    // m_start + 1 sees only real starts and padding. The update adds to
    // lanes 1..16 only: group 16 (end of block) is never updated.
    alignas(64) int16_t m_start[24];
    alignas(64) int16_t m_within[17][16];
};
