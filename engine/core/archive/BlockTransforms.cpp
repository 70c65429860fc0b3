#include "engine/core/archive/BlockTransforms.h"

#include "engine/core/archive/LargeBlockInversion.h"

#include <cstring>

namespace {

// Fills out[0 .. count) with `value`; out[0 .. room) may be written, and
// bytes past `count` are left for the caller to overwrite.
[[gnu::always_inline]] inline void fillRun(uint8_t* out, uint32_t count, uint32_t room, uint8_t value)
{
#if defined(__SSE2__)
    const __m128i splat = _mm_set1_epi8(char(value));
    // Most runs are short: one store past their end, which the next
    // symbols overwrite, costs less than a loop whose trip count mispredicts.
    if (room >= 16 && count <= 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), splat);
        return;
    }
    uint32_t k = 0;
    for (; k + 16 <= count; k += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), splat);
    for (; k < count; ++k)
        out[k] = value;
#else
    std::memset(out, value, count);
#endif
}

// The end of the run of zeros that starts at `from` (from < n, in[from] == 0).
[[gnu::always_inline]] inline int32_t endOfZeros(const uint8_t* in, int32_t from, int32_t n)
{
    int32_t j = from + 1;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    while (j + 16 <= n) {
        const uint32_t zeros =
            uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + j)), zero)));
        if (zeros != 0xFFFF)
            return j + __builtin_ctz(~zeros);
        j += 16;
    }
#endif
    while (j < n && in[j] == 0)
        ++j;
    return j;
}

// How often each byte value occurs in a block, in all of it and in its first
// half (bytes 0 .. n/2 - 1).
struct BlockCounts {
    uint32_t all[256];
    uint32_t firstHalf[256];
};

// Move-to-front decoding of in[from .. end); out holds n bytes.
[[gnu::always_inline]] inline void decodeMTFRange(const uint8_t* in, uint8_t* out, int32_t n, int32_t from, int32_t end,
                                                  MoveToFrontTable& table, bool& afterLow, uint32_t* count)
{
    int32_t i = from;
    while (i < end) {
        const uint32_t v = in[i];
        if (v == 0) {
            // Runs of the front symbol are most of a sorted block: they
            // leave the table alone and are written in one go.
            const int32_t runEnd = endOfZeros(in, i, end);
            const uint8_t symbol = table.front();
            fillRun(out + i, uint32_t(runEnd - i), uint32_t(n - i), symbol);
            count[symbol] += uint32_t(runEnd - i);
            afterLow = true;
            i = runEnd;
            continue;
        }
        // After a 0 or 1 the front is protected: deeper symbols stop at
        // position 1. A 1 always goes to the front.
        const uint32_t d = afterLow && v > 1 ? 1 : 0;
        const uint8_t symbol = table.moveToFront(d, v);
        afterLow = v <= 1;
        out[i++] = symbol;
        ++count[symbol];
    }
}

// Move-to-front decoding; also counts the byte values it writes, which the
// inverse block sort needs, so that pass over the block comes for free.
void decodeMTFCounting(const DataBuffer& input, DataBuffer& output, BlockCounts& counts)
{
    MoveToFrontTable table;
    uint32_t* count = counts.all;
    for (int c = 0; c < 256; ++c)
        count[c] = 0;
    const int32_t n = input.size > 0 ? input.size : 0;
    output.resize(n);
    output.position = 0;
    bool afterLow = false;
    decodeMTFRange(input.data, output.data, n, 0, n / 2, table, afterLow, count);
    std::memcpy(counts.firstHalf, count, sizeof counts.firstHalf);
    decodeMTFRange(input.data, output.data, n, n / 2, n, table, afterLow, count);
}

} // namespace

void decodeMTF(const DataBuffer& input, DataBuffer& output)
{
    BlockCounts counts;
    decodeMTFCounting(input, output, counts);
}

namespace {

// Links of up to 2^24 entries fit beside their byte in one 32-bit word, so
// each step of a walk touches one cache line instead of two.
constexpr int32_t kFusedLimit = 1 << 24;

// From this size on the tables no longer sit in the caches, and the walk is
// cut into many pieces walked side by side (LargeBlockInversion.h).
constexpr int32_t kLargeBlock = 1 << 18;

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
// The link tables are kept for the next block on this thread: blocks of a
// few hundred kilobytes come by the hundred, and fresh tables for each would
// fault in their pages every time.
IntBuffer& keptLinks(int which, int32_t n)
{
    thread_local IntBuffer kept[2];
    IntBuffer& links = kept[which];
    links.size = 0; // nothing to carry over when the storage grows
    links.resize(n);
    return links;
}

void walkTwoChains(const uint8_t* last, int32_t n, uint32_t primary, const uint32_t* start,
                   const uint32_t* startSecondHalf, uint8_t* out)
{
    IntBuffer& backLinks = keptLinks(0, n);
    IntBuffer& foreLinks = keptLinks(1, n);
    uint32_t* back = reinterpret_cast<uint32_t*>(backLinks.data);
    uint32_t* fore = reinterpret_cast<uint32_t*>(foreLinks.data);
    // Within a run of one byte value each slot taken waits for the one
    // before it. The two halves of the block take their slots from separate
    // counters (the second half's start where the first half's end), so
    // building them side by side gives two such chains at a time.
    uint32_t nextFirst[256];
    uint32_t nextSecond[256];
    std::memcpy(nextFirst, start, sizeof nextFirst);
    std::memcpy(nextSecond, startSecondHalf, sizeof nextSecond);
    auto link = [&](int32_t i, uint32_t* next) {
        const uint32_t c = last[i];
        const uint32_t t = next[c]++;
        back[i] = ((t + (t < primary ? 1 : 0)) << 8) | c;
        // Row 0 of the last column ends the forward chain; its link is never
        // followed, 0 just keeps it inside the table.
        const uint32_t forward = uint32_t(i) <= primary ? (i > 0 ? uint32_t(i) - 1 : 0) : uint32_t(i);
        fore[t] = (forward << 8) | c;
    };
    const int32_t half = n / 2;
    for (int32_t i = 0; i < half; ++i) {
        link(i, nextFirst);
        link(half + i, nextSecond);
    }
    if (n % 2)
        link(n - 1, nextSecond);

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
    // Only for blocks past 16 MB when no scratch could be had: not kept.
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

namespace {

bool inverseBWTCounted(const DataBuffer& input, int32_t primaryIndex, DataBuffer& output, const BlockCounts& counts)
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

    const uint8_t* last = input.data;
    uint32_t start[256];
    uint32_t startSecondHalf[256];
    uint32_t sum = 0;
    for (int c = 0; c < 256; ++c) {
        start[c] = sum;
        startSecondHalf[c] = sum + counts.firstHalf[c];
        sum += counts.all[c];
    }
    const uint32_t primary = uint32_t(primaryIndex);
    if (n == 1)
        output.data[0] = last[0];
    else if (restoreByRuns(last, n, primary, start, output.data))
        return true;
    else if (n >= kLargeBlock && restoreByLanes(last, n, primary, start, counts.all, output.data))
        return true;
    else if (n <= kFusedLimit)
        walkTwoChains(last, n, primary, start, startSecondHalf, output.data);
    else
        walkSplit(last, n, primary, start, output.data);
    return true;
}

// Four tallies: a run of one byte value would otherwise make every increment
// wait for the one before it.
void countBytes(const uint8_t* bytes, int32_t from, int32_t to, uint32_t* count)
{
    uint32_t tally[4][256] = {};
    int32_t i = from;
    for (; i + 4 <= to; i += 4) {
        ++tally[0][bytes[i]];
        ++tally[1][bytes[i + 1]];
        ++tally[2][bytes[i + 2]];
        ++tally[3][bytes[i + 3]];
    }
    for (; i < to; ++i)
        ++tally[0][bytes[i]];
    for (int c = 0; c < 256; ++c)
        count[c] = tally[0][c] + tally[1][c] + tally[2][c] + tally[3][c];
}

} // namespace

bool inverseBWT(const DataBuffer& input, int32_t primaryIndex, DataBuffer& output)
{
    const int32_t n = input.size > 0 ? input.size : 0;
    BlockCounts counts;
    countBytes(input.data, 0, n / 2, counts.firstHalf);
    countBytes(input.data, n / 2, n, counts.all);
    for (int c = 0; c < 256; ++c)
        counts.all[c] += counts.firstHalf[c];
    return inverseBWTCounted(input, primaryIndex, output, counts);
}

bool undoBlockSort(const DataBuffer& input, int32_t primaryIndex, DataBuffer& scratch, DataBuffer& output)
{
    const int32_t n = input.size > 0 ? input.size : 0;
    if (n > 1 && (primaryIndex < 0 || primaryIndex >= n)) {
        output.resize(0);
        output.position = 0;
        return false;
    }
    BlockCounts counts;
    decodeMTFCounting(input, scratch, counts);
    return inverseBWTCounted(scratch, primaryIndex, output, counts);
}
