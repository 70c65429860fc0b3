#include "engine/core/BlockTransforms.h"

#include <cstring>

void decodeMTF(const DataBuffer& input, DataBuffer& output)
{
    uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = uint8_t(i);
    const int32_t n = input.size > 0 ? input.size : 0;
    output.resize(n);
    output.position = 0;
    const uint8_t* in = input.data;
    uint8_t* out = output.data;
    bool afterLow = false;
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t v = in[i];
        uint8_t symbol;
        if (v == 0) {
            symbol = table[0];
        } else if (v == 1) {
            symbol = table[1];
            table[1] = table[0];
            table[0] = symbol;
        } else {
            symbol = table[v];
            const uint32_t d = afterLow ? 1 : 0;
            // Most moves are short: a call to memmove would cost more than
            // the move itself.
            if (v < 16) {
                for (uint32_t k = v; k > d; --k)
                    table[k] = table[k - 1];
            } else {
                std::memmove(table + d + 1, table + d, v - d);
            }
            table[d] = symbol;
        }
        afterLow = v <= 1;
        out[i] = symbol;
    }
}

namespace {

// Links of up to 2^24 entries fit beside their byte in one 32-bit word, so
// each step of a walk touches one cache line instead of two.
constexpr int32_t kFusedLimit = 1 << 24;

// The block is restored by following links, one dependent load per byte, so
// on a large block the speed is the memory latency per step. Two chains that
// do not depend on each other run side by side and share that latency: the
// last-to-first links walk back from the end of the text (row 0 ends with
// the last byte) and their inverse walks forward from the start (the row
// just behind the primary index begins with the first byte). Each half of
// the output is written by one chain.
//
// back[i] = (row that precedes row i in the text << 8) | last byte of row i,
// with the primary row adjustment folded in; fore[f] = (next row after the
// f-th row in first-column order << 8) | its first byte.
void walkTwoChains(const uint8_t* last, int32_t n, uint32_t primary, const uint32_t* start, uint8_t* out)
{
    IntBuffer backLinks;
    IntBuffer foreLinks;
    backLinks.resize(n);
    foreLinks.resize(n);
    uint32_t* back = reinterpret_cast<uint32_t*>(backLinks.data);
    uint32_t* fore = reinterpret_cast<uint32_t*>(foreLinks.data);
    uint32_t next[256];
    std::memcpy(next, start, sizeof next);
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t c = last[i];
        const uint32_t t = next[c]++;
        back[i] = ((t + (t < primary ? 1 : 0)) << 8) | c;
        // Row 0 of the last column ends the forward chain; its link is never
        // followed, 0 just keeps it inside the table.
        const uint32_t forward = uint32_t(i) <= primary ? (i > 0 ? uint32_t(i) - 1 : 0) : uint32_t(i);
        fore[t] = (forward << 8) | c;
    }

    const int32_t half = n / 2;
    uint32_t jb = 0;
    uint32_t jf = primary;
    int32_t kb = n - 1;
    int32_t kf = 0;
    while (kf < half) {
        const uint32_t vb = back[jb];
        const uint32_t vf = fore[jf];
        out[kb--] = uint8_t(vb);
        out[kf++] = uint8_t(vf);
        jb = vb >> 8;
        jf = vf >> 8;
    }
    // An odd length leaves the middle byte to the backward chain.
    if (kb >= half)
        out[kb] = uint8_t(back[jb]);
}

void walkSplit(const uint8_t* last, int32_t n, uint32_t primary, const uint32_t* start, uint8_t* out)
{
    IntBuffer links;
    links.resize(n);
    uint32_t* link = reinterpret_cast<uint32_t*>(links.data);
    uint32_t next[256];
    std::memcpy(next, start, sizeof next);
    for (int32_t i = 0; i < n; ++i) {
        uint32_t t = next[last[i]]++;
        link[i] = t + (t < primary ? 1 : 0);
    }
    uint32_t j = 0;
    for (int32_t k = n - 1; k >= 0; --k) {
        out[k] = last[j];
        j = link[j];
    }
}

} // namespace

bool inverseBWT(const DataBuffer& input, int32_t primaryIndex, DataBuffer& output)
{
    const int32_t n = input.size > 0 ? input.size : 0;
    output.position = 0;
    // A one-byte block never follows a link, so any index decodes it.
    if (n > 1 && (primaryIndex < 0 || primaryIndex >= n)) {
        output.resize(0);
        return false;
    }
    output.resize(n);
    if (n == 0)
        return true;

    uint32_t count[256] = {};
    const uint8_t* last = input.data;
    for (int32_t i = 0; i < n; ++i)
        ++count[last[i]];
    uint32_t start[256];
    uint32_t sum = 0;
    for (int c = 0; c < 256; ++c) {
        start[c] = sum;
        sum += count[c];
    }
    const uint32_t primary = uint32_t(primaryIndex);
    if (n == 1)
        output.data[0] = last[0];
    else if (n <= kFusedLimit)
        walkTwoChains(last, n, primary, start, output.data);
    else
        walkSplit(last, n, primary, start, output.data);
    return true;
}
