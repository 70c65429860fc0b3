#include "engine/core/LargeBlockInversion.h"

#include "platform/memory/ScratchMemory.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Lanes walked side by side: enough loads in flight to cover the memory
// latency, few enough that one round of them fits the processor's window.
constexpr int kLanes = 48;
// Rows between two cuts: pieces of up to a few kilobytes on average keep
// the bookkeeping per piece negligible, and a thousand or more of them give
// every lane work to the end.
constexpr uint32_t kMostRowsPerCut = 4096;
constexpr uint32_t kFewestCuts = 1024;
// Scratch is handed to the lanes in chunks of this size.
constexpr uint32_t kChunk = 16384;

// The scratch blocks are kept for the next block: a fresh block would fault
// in every page of a table of tens of megabytes once more.
struct Scratch {
    ScratchMemory table;
    ScratchMemory text;
};

Scratch& scratch()
{
    thread_local Scratch kept;
    return kept;
}

// Text between two cuts, or the part of it that fits one chunk. Bytes lie
// in text order; the pieces of one stretch are listed from the end of the
// text towards its start.
struct Piece {
    const uint8_t* begin;
    uint32_t length;
    int32_t next;
};

// The text walked from one cut: its pieces and the cut it ran into.
struct Stretch {
    int32_t first = -1;
    int32_t last = -1;
    uint32_t endRow = 0;
};

struct Lane {
    uint64_t entry;  // the table entry of the row about to be written
    uint8_t* cursor; // the lane writes downwards from its chunk's top
    uint8_t* floor;
    uint8_t* pieceTop;
    uint32_t stretch;
};

// entry[i] = (row that precedes row i in the text << 8) | last byte of
// row i. Two counters per byte value run from both ends of the block
// towards its middle, so a run of one value gives two independent chains of
// increments instead of one.
template <typename Entry>
void buildTable(const uint8_t* last, int32_t n, uint32_t primary, const uint32_t* start, const uint32_t* count,
                Entry* table)
{
    uint32_t up[256];
    uint32_t down[256];
    for (int c = 0; c < 256; ++c) {
        up[c] = start[c];
        down[c] = start[c] + count[c];
    }
    auto link = [&](int32_t i, uint32_t t) {
        table[i] = (Entry(t + (t < primary ? 1 : 0)) << 8) | last[i];
    };
    int32_t i = 0;
    int32_t k = n - 1;
    for (; i < k; ++i, --k) {
        link(i, up[last[i]]++);
        link(k, --down[last[k]]);
    }
    if (i == k)
        link(i, up[last[i]]++);
}

template <typename Entry>
bool restoreWith(const uint8_t* last, int32_t n, uint32_t primary, const uint32_t* start, const uint32_t* count,
                 uint8_t* out)
{
    Scratch& kept = scratch();
    const size_t arenaSize = size_t(n) + size_t(kLanes + 1) * kChunk;
    Entry* table = static_cast<Entry*>(kept.table.reserve(size_t(n) * sizeof(Entry)));
    uint8_t* arena = static_cast<uint8_t*>(kept.text.reserve(arenaSize));
    if (!table || !arena)
        return false;
    buildTable(last, n, primary, start, count, table);

    // The cuts: evenly spread rows, with row 0 (the end of the text) first.
    // The primary row is one too: the chain through the last text byte
    // leads there, and a cut stops it.
    const uint32_t rowsPerCut = std::clamp(uint32_t(n) / kFewestCuts, 1u, kMostRowsPerCut);
    std::vector<uint32_t> cuts;
    cuts.reserve(size_t(n) / rowsPerCut + 2);
    for (uint32_t row = 0; row < uint32_t(n); row += rowsPerCut)
        cuts.push_back(row);
    if (primary % rowsPerCut != 0)
        cuts.insert(std::upper_bound(cuts.begin(), cuts.end(), primary), primary);

    // A cut row's entry is replaced by a mark no real entry has: only the
    // row whose t is 0 can link to row 0, and only when the primary index
    // is 0; its byte is the smallest in the block.
    Entry mark = 0;
    if (primary == 0) {
        int smallest = 0;
        while (count[smallest] == 0)
            ++smallest;
        mark = Entry(smallest ^ 1);
    }
    std::vector<Entry> cutEntry(cuts.size());
    for (size_t m = 0; m < cuts.size(); ++m) {
        cutEntry[m] = table[cuts[m]];
        table[cuts[m]] = mark;
    }

    std::vector<Stretch> stretches(cuts.size());
    std::vector<Piece> pieces;
    pieces.reserve(cuts.size() + size_t(n) / kChunk + kLanes + 1);
    uint8_t* arenaNext = arena;
    uint8_t* const arenaEnd = arena + arenaSize;
    uint32_t nextStretch = 0;

    auto takeChunk = [&](Lane& lane) {
        if (size_t(arenaEnd - arenaNext) < kChunk)
            return false;
        lane.floor = arenaNext;
        arenaNext += kChunk;
        lane.cursor = lane.pieceTop = lane.floor + kChunk;
        return true;
    };
    auto closePiece = [&](Lane& lane) {
        if (lane.cursor == lane.pieceTop)
            return;
        Stretch& s = stretches[lane.stretch];
        const int32_t id = int32_t(pieces.size());
        pieces.push_back(Piece{lane.cursor, uint32_t(lane.pieceTop - lane.cursor), -1});
        if (s.last >= 0)
            pieces[size_t(s.last)].next = id;
        else
            s.first = id;
        s.last = id;
        lane.pieceTop = lane.cursor;
    };
    auto beginStretch = [&](Lane& lane) {
        if (nextStretch == cuts.size())
            return false;
        lane.stretch = nextStretch++;
        lane.entry = uint64_t(cutEntry[lane.stretch]);
        lane.pieceTop = lane.cursor;
        return true;
    };

    Lane lanes[kLanes];
    int active = 0;
    bool complete = true;
    while (active < kLanes && nextStretch < cuts.size()) {
        Lane& lane = lanes[active];
        if (!takeChunk(lane))
            break;
        beginStretch(lane);
        ++active;
    }
    while (active > 0 && complete) {
        for (int k = 0; k < active; ++k) {
            Lane& lane = lanes[k];
            const uint64_t entry = lane.entry;
            *--lane.cursor = uint8_t(entry);
            const uint32_t row = uint32_t(entry >> 8);
            const Entry following = table[row];
            lane.entry = uint64_t(following);
            if ((following == mark) | (lane.cursor == lane.floor)) [[unlikely]] {
                closePiece(lane);
                // Scratch holds the block and a chunk per lane: running out
                // means a lane is circling links that reach no cut, in a
                // block that is damaged.
                if (lane.cursor == lane.floor && !takeChunk(lane)) {
                    complete = false;
                    break;
                }
                if (following == mark) {
                    stretches[lane.stretch].endRow = row;
                    if (!beginStretch(lane)) {
                        lanes[k] = lanes[--active];
                        --k;
                    }
                }
            }
        }
    }

    if (!complete) {
        // The one chain from row 0, as the format defines it.
        for (size_t m = 0; m < cuts.size(); ++m)
            table[cuts[m]] = cutEntry[m];
        uint32_t j = 0;
        for (int32_t k = n - 1; k >= 0; --k) {
            const Entry entry = table[j];
            out[k] = uint8_t(entry);
            j = uint32_t(entry >> 8);
        }
        return true;
    }

    // The text ends with row 0's stretch; each stretch is preceded by the
    // one starting at the cut it ran into. Every stretch holds at least its
    // own first byte, so this ends within n stretches. In a damaged block a
    // stretch may come round more than once, just as the one chain would.
    uint32_t remaining = uint32_t(n);
    size_t at = 0;
    while (remaining > 0) {
        const Stretch& s = stretches[at];
        for (int32_t id = s.first; id >= 0 && remaining > 0; id = pieces[size_t(id)].next) {
            const Piece& p = pieces[size_t(id)];
            const uint32_t take = std::min(p.length, remaining);
            std::memcpy(out + (remaining - take), p.begin + (p.length - take), take);
            remaining -= take;
        }
        at = size_t(std::lower_bound(cuts.begin(), cuts.end(), s.endRow) - cuts.begin());
    }
    return true;
}

// Blocks whose last column is mostly long runs of one byte value (masks,
// silence, flat image areas) are restored a run at a time instead. The rows
// of one run of the last column link to consecutive rows: row j links to
// j + delta, one delta for the whole run (two, on either side of the row
// whose t is the primary index). While the chain stays inside the run it
// only repeats the run's byte and moves by delta, so how long it stays is a
// division, and the bytes are one fill. The chain leaves a run after
// hundreds or thousands of bytes in such blocks, where the walk by links
// would wait on memory for every one of them.
constexpr uint32_t kLongRuns = 16; // average run length from which this pays

struct Run {
    uint32_t first; // first row
    uint32_t t;     // t of the first row: its rank among the block's bytes
};

// The end of the run of `c` that starts at `from`.
int32_t endOfRun(const uint8_t* bytes, int32_t from, int32_t n, uint8_t c)
{
    int32_t j = from + 1;
#if defined(__SSE2__)
    const __m128i value = _mm_set1_epi8(char(c));
    while (j + 16 <= n) {
        const uint32_t same = uint32_t(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + j)), value)));
        if (same != 0xFFFF)
            return j + __builtin_ctz(~same);
        j += 16;
    }
#endif
    while (j < n && bytes[j] == c)
        ++j;
    return j;
}

// The runs of the last column, when there are few enough of them; false
// as soon as there are more than `most`.
bool findRuns(const uint8_t* last, int32_t n, const uint32_t* start, size_t most, std::vector<Run>& runs)
{
    runs.clear();
    uint32_t next[256];
    std::memcpy(next, start, sizeof next);
    for (int32_t i = 0; i < n;) {
        if (runs.size() == most)
            return false;
        const uint8_t c = last[i];
        const int32_t end = endOfRun(last, i, n, c);
        runs.push_back(Run{uint32_t(i), next[c]});
        next[c] += uint32_t(end - i);
        i = end;
    }
    runs.push_back(Run{uint32_t(n), 0});
    return true;
}

void restoreByRuns(const uint8_t* last, int32_t n, uint32_t primary, const std::vector<Run>& runs, uint8_t* out)
{

    const auto rowsBegin = runs.begin();
    const auto rowsEnd = runs.end() - 1;
    uint32_t j = 0;
    int64_t left = n; // bytes still to write, at out[0 .. left)
    while (left > 0) {
        const auto run = std::upper_bound(rowsBegin, rowsEnd, j, [](uint32_t row, const Run& r) { return row < r.first; }) - 1;
        const int64_t first = run->first;
        const int64_t end = (run + 1)->first;
        const int64_t t0 = run->t;
        // Rows whose t lies below the primary index link one row further:
        // they are the run's rows before `split`.
        const int64_t split = std::clamp(first + (int64_t(primary) - t0), first, end);
        const bool below = int64_t(j) < split;
        const int64_t lowest = below ? first : split;
        const int64_t highest = (below ? split : end) - 1;
        const int64_t delta = t0 - first + (below ? 1 : 0);
        int64_t steps;
        if (delta > 0)
            steps = (highest - int64_t(j)) / delta + 1;
        else if (delta < 0)
            steps = (int64_t(j) - lowest) / -delta + 1;
        else
            steps = left; // a row that links to itself repeats its byte for good
        steps = std::min(steps, left);
        std::memset(out + (left - steps), last[run->first], size_t(steps));
        left -= steps;
        j = uint32_t(int64_t(j) + steps * delta);
    }
}

} // namespace

bool restoreLargeBlock(const uint8_t* last, int32_t n, uint32_t primary, const uint32_t* start,
                       const uint32_t* count, uint8_t* out)
{
    if (n < 2 || primary >= uint32_t(n))
        return false;
    std::vector<Run> runs;
    if (findRuns(last, n, start, size_t(n) / kLongRuns + 1, runs)) {
        restoreByRuns(last, n, primary, runs, out);
        return true;
    }
    // Links below 2^24 fit beside their byte in one 32-bit word.
    if (n <= (1 << 24))
        return restoreWith<uint32_t>(last, n, primary, start, count, out);
    return restoreWith<uint64_t>(last, n, primary, start, count, out);
}
