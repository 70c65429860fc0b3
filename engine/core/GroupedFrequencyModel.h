#pragma once
#include <cstdint>

// The range decoder's working copy of the adaptive model. It keeps exactly
// the counts, total and halving of FrequencyModel (257 symbols, increment 1,
// halving at 16384), but lays the cumulative frequencies out for the search
// rather than for the update: 17 groups of 16 symbols with each group's
// starting sum and each symbol's sum within its group. A lookup is then two
// 16-wide counts that the compiler turns into vector compares, instead of a
// chain of nine dependent loads; an update touches two short rows instead of
// walking the tree.
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
        rebuild();
    }

    // Sum of the counts below `symbol`.
    [[gnu::always_inline]] uint32_t cumulative(uint32_t symbol) const
    {
        return uint32_t(m_groupStart[symbol >> 4] + m_within[symbol >> 4][symbol & 15]);
    }

    // The largest symbol s with cumulative(s) <= target, for target < total.
    [[gnu::always_inline]] uint32_t find(uint32_t target) const
    {
        // Signed compares: every sum stays below 2^15, and plain SSE2 has
        // no unsigned vector compare.
        const int32_t t = int32_t(target);
        int32_t group = 0;
        for (int g = 0; g < 16; ++g)
            group += m_groupStart[g + 1] <= t ? 1 : 0;
        const int32_t rest = t - m_groupStart[group];
        const int32_t* row = m_within[group];
        // row[0] is 0, so the count is at least 1.
        int32_t index = 0;
        for (int k = 0; k < 16; ++k)
            index += row[k] <= rest ? 1 : 0;
        return uint32_t(group * 16 + index - 1);
    }

    [[gnu::always_inline]] void update(uint32_t symbol)
    {
        ++counts[symbol];
        const uint32_t group = symbol >> 4;
        const uint32_t slot = symbol & 15;
        if (group < 16) {
            int32_t* row = m_within[group];
            for (uint32_t k = 0; k < 16; ++k)
                row[k] += k > slot ? 1 : 0;
        }
        for (uint32_t g = 0; g < 17; ++g)
            m_groupStart[g] += g > group ? 1 : 0;
        if (++total >= kHalvingTotal) {
            for (uint32_t& c : counts)
                c = (c + 1) >> 1;
            rebuild();
        }
    }

private:
    void rebuild()
    {
        int32_t sum = 0;
        for (uint32_t g = 0; g < 17; ++g) {
            m_groupStart[g] = sum;
            int32_t inside = 0;
            for (uint32_t k = 0; k < 16; ++k) {
                m_within[g][k] = inside;
                const uint32_t s = g * 16 + k;
                // The last group holds only the end-of-block symbol; its
                // empty slots sort after any target so the search never
                // lands on them.
                if (s < kSymbolCount)
                    inside += int32_t(counts[s]);
                else
                    m_within[g][k] = 0x7FFFFFFF;
            }
            sum += inside;
        }
        total = uint32_t(sum);
    }

    alignas(64) int32_t m_groupStart[20];
    alignas(64) int32_t m_within[17][16];
};
