#pragma once
#include <cstdint>

// Adaptive symbol frequencies for the archive range coder, kept in a binary
// indexed tree so lookups and updates stay logarithmic. The halving threshold
// and the rounding are part of the archive format: encoder and decoder must
// evolve the model identically.
class FrequencyModel {
public:
    static constexpr uint32_t kHalvingTotal = 16384;

    uint32_t symbolCount;
    uint32_t increment;
    uint32_t topBit;   // largest power of two not above symbolCount
    uint32_t* counts;  // symbolCount counts
    uint32_t* tree;    // indices 1..symbolCount; tree[i] covers counts[i - lowbit(i) .. i - 1]
    uint32_t total;

    FrequencyModel(uint32_t symbolCount, uint32_t increment);
    ~FrequencyModel();
    FrequencyModel(const FrequencyModel&) = delete;
    FrequencyModel& operator=(const FrequencyModel&) = delete;

    void update(uint32_t symbol)
    {
        // Locals, because stores through the arrays could alias the members
        // and the compiler would reload them on every step.
        const uint32_t step = increment;
        const uint32_t last = symbolCount;
        uint32_t* node = tree;
        counts[symbol] += step;
        for (uint32_t i = symbol + 1; i <= last; i += i & (0u - i))
            node[i] += step;
        total += step;
        if (total >= kHalvingTotal)
            halve();
    }

    void rebuild();

    // Sum of the counts of all symbols below `symbol`.
    uint32_t cumulative(uint32_t symbol) const
    {
        uint32_t sum = tree[symbol + 1] - counts[symbol];
        for (uint32_t u = (symbol + 1) & symbol; u != 0; u &= u - 1)
            sum += tree[u];
        return sum;
    }

    // The largest symbol s with cumulative(s) <= target (target < total);
    // `below` receives cumulative(s), which the descent gathers for free.
    uint32_t find(uint32_t target, uint32_t& below) const
    {
        uint32_t idx = 0;
        uint32_t sum = 0;
        for (uint32_t bit = topBit; bit != 0; bit >>= 1) {
            const uint32_t next = idx + bit;
            if (next <= symbolCount && sum + tree[next] <= target) {
                sum += tree[next];
                idx = next;
            }
        }
        below = sum;
        return idx;
    }

private:
    void halve();
};
