#include "tools/lib/BlockSortEncoder.h"

#include "tools/lib/SuffixArray.h"

#include <cstring>

BlockSortResult forwardBWT(const uint8_t* data, int32_t n)
{
    BlockSortResult result;
    if (n <= 0)
        return result;
    const std::vector<int32_t> sa = buildSuffixArray(data, n);
    result.lastColumn.resize(size_t(n));
    size_t out = 0;
    for (int32_t row = 0; row <= n; ++row) {
        const int32_t start = sa[size_t(row)];
        if (start == 0) {
            result.primaryIndex = row - 1;
            continue;
        }
        result.lastColumn[out++] = data[start - 1];
    }
    return result;
}

std::vector<uint8_t> encodeMTF(const uint8_t* data, size_t n)
{
    std::vector<uint8_t> out(n);
    uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = uint8_t(i);
    bool afterLow = false;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t symbol = data[i];
        const uint32_t v = uint32_t(static_cast<const uint8_t*>(std::memchr(table, symbol, sizeof table)) - table);
        if (v == 1) {
            table[1] = table[0];
            table[0] = symbol;
        } else if (v >= 2) {
            const uint32_t d = afterLow ? 1 : 0;
            std::memmove(table + d + 1, table + d, v - d);
            table[d] = symbol;
        }
        afterLow = v <= 1;
        out[i] = uint8_t(v);
    }
    return out;
}
