#include "engine/core/archive/FrequencyModel.h"

FrequencyModel::FrequencyModel(uint32_t symbolCount_, uint32_t increment_)
    : symbolCount(symbolCount_), increment(increment_), topBit(1), total(0)
{
    while (topBit * 2 <= symbolCount)
        topBit *= 2;
    // One block holds both arrays: counts first, then the tree (index 0 unused).
    counts = new uint32_t[2 * symbolCount + 1];
    tree = counts + symbolCount;
    tree[0] = 0;
    for (uint32_t i = 0; i < symbolCount; ++i)
        counts[i] = increment;
    rebuild();
}

FrequencyModel::~FrequencyModel()
{
    delete[] counts;
}

void FrequencyModel::rebuild()
{
    total = 0;
    for (uint32_t step = 1; step <= symbolCount; step *= 2) {
        for (uint32_t i = step; i <= symbolCount; i += 2 * step) {
            tree[i] = counts[i - 1];
            total += tree[i];
            for (uint32_t k = step / 2; k != 0; k /= 2)
                tree[i] += tree[i - k];
        }
    }
}

void FrequencyModel::halve()
{
    // Rounding up keeps every count at 1 or more, so every symbol stays codable.
    for (uint32_t i = 0; i < symbolCount; ++i)
        counts[i] = (counts[i] + 1) >> 1;
    rebuild();
}
