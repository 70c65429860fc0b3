#include "engine/core/archive/LargeBlockInversion.h"

#include "platform/memory/ScratchMemory.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <system_error>
#include <thread>
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
// From this size on the walk is shared among up to this many threads.
constexpr int32_t kThreadedBlock = 1 << 20;
constexpr uint32_t kMostWalkers = 3;
constexpr size_t kMostKeptTable = size_t(64) << 20;

// The scratch blocks are kept for the next block: a fresh block would fault
// in every page of a table of tens of megabytes once more.
struct Run {
    uint32_t first; // first row
    uint32_t t;     // t of the first row: its rank among the block's bytes
};

struct Scratch {
    ScratchMemory table;
    ScratchMemory text;
    std::vector<Run> runs;
    std::vector<uint32_t> bucketRun;
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
    uint32_t walker = 0; // whose pieces list holds the pieces
};

struct Lane {
    uint64_t entry;  // the table entry of the row about to be written
    uint8_t* cursor; // the lane writes downwards from its chunk's top
    uint8_t* floor;
    uint8_t* pieceTop;
    uint32_t stretch;
};

// link[i] = the row that precedes row i in the text. Two counters per byte
// value run from both ends of the block towards its middle, so a run of one
// value gives two independent chains of increments instead of one.
void buildLinks(const uint8_t* last, int32_t n, uint32_t primary, const uint32_t* start, const uint32_t* count,
                uint32_t* link)
{
    uint32_t up[256];
    uint32_t down[256];
    for (int c = 0; c < 256; ++c) {
        up[c] = start[c];
        down[c] = start[c] + count[c];
    }
    auto set = [&](int32_t i, uint32_t t) { link[i] = t + (t < primary ? 1 : 0); };
    int32_t i = 0;
    int32_t k = n - 1;
    for (; i < k; ++i, --k) {
        set(i, up[last[i]]++);
        set(k, --down[last[k]]);
    }
    if (i == k)
        set(i, up[last[i]]++);
}

// The cuts: one row in every rowsPerCut (a power of two), at an offset
// that varies from group to group, and the primary row. Rows are the text
// positions in another order, so rows picked at random are positions picked
// at random, and the stretches between cuts come out of similar length. Rows
// at a fixed spacing can fall on a pattern of the sort order instead: in a
// block that repeats with a short period they left half the text to one
// stretch. Row 0, the end of the text, is always a cut.
uint32_t cutOffset(uint32_t row, uint32_t rowsPerCut)
{
    const uint32_t group = row / rowsPerCut;
    return group == 0 ? 0 : ((group * 2654435761u) >> 16) & (rowsPerCut - 1);
}

bool isCut(uint32_t row, uint32_t rowsPerCut, uint32_t primary)
{
    return (row & (rowsPerCut - 1)) == cutOffset(row, rowsPerCut) || row == primary;
}

// A table entry holds two steps of the chain, so each dependent load gives
// two bytes: bits 0-7 the last byte of row j, bits 8-15 that of row
// link[j], and from bit 17 the row two steps on. When link[j] is a cut the
// chain must stop there instead: bit 16 is set and the high bits hold
// link[j] itself.
constexpr uint64_t kCutNext = uint64_t(1) << 16;
constexpr int kRowShift = 17;
// No real entry holds a row number this large.
constexpr uint64_t kMark = ~uint64_t(0);

// Builds the two-step entries from the links. For rising i the rows link[i]
// rise within each byte value's share of the table, so the loads below
// follow a few hundred sequential streams, not random rows.
void buildPairs(const uint8_t* last, int32_t n, const uint32_t* link, uint32_t rowsPerCut, uint32_t primary,
                uint64_t* table)
{
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t next = link[i];
        const bool cut = isCut(next, rowsPerCut, primary);
        const uint64_t onward = cut ? (uint64_t(next) << kRowShift) | kCutNext : uint64_t(link[next]) << kRowShift;
        table[i] = onward | uint64_t(last[next]) << 8 | last[i];
    }
}

// What the walkers share: the table with its cuts marked, the entries of
// the cut rows, the stretches (each written by the one walker that takes
// it), and the scratch that chunks are handed out from.
struct Walk {
    const uint64_t* table;
    const uint64_t* cutEntry;
    uint32_t stretchCount;
    Stretch* stretches;
    uint8_t* arena;
    size_t arenaSize;
    std::atomic<uint32_t> nextStretch{0};
    std::atomic<size_t> arenaUsed{0};
    std::atomic<bool> failed{false};
};

// One walker: up to kLanes lanes side by side, each taking stretches until
// none is left. Its pieces go to `pieces`.
void walkLanes(Walk& walk, uint32_t walker, std::vector<Piece>& pieces)
{
    const uint64_t* const table = walk.table;
    pieces.reserve(walk.stretchCount + walk.arenaSize / kChunk + 1);

    auto takeChunk = [&](Lane& lane) {
        const size_t at = walk.arenaUsed.fetch_add(kChunk, std::memory_order_relaxed);
        if (at > walk.arenaSize - kChunk || walk.failed.load(std::memory_order_relaxed)) {
            // Scratch holds the block and a chunk per lane of every walker:
            // running out means a lane is circling links that reach no
            // cut, in a block that is damaged.
            walk.failed.store(true, std::memory_order_relaxed);
            return false;
        }
        lane.floor = walk.arena + at;
        lane.cursor = lane.pieceTop = lane.floor + kChunk;
        return true;
    };
    auto closePiece = [&](Lane& lane) {
        if (lane.cursor == lane.pieceTop)
            return;
        Stretch& s = walk.stretches[lane.stretch];
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
        const uint32_t next = walk.nextStretch.fetch_add(1, std::memory_order_relaxed);
        if (next >= walk.stretchCount)
            return false;
        lane.stretch = next;
        walk.stretches[next].walker = walker;
        lane.entry = walk.cutEntry[next];
        lane.pieceTop = lane.cursor;
        return true;
    };
    // Ends the lane's stretch at the cut `row`; false when the lane has no
    // further stretch to walk.
    auto endStretch = [&](Lane& lane, uint32_t row) {
        closePiece(lane);
        walk.stretches[lane.stretch].endRow = row;
        return beginStretch(lane);
    };

    Lane lanes[kLanes];
    int active = 0;
    while (active < kLanes) {
        Lane& lane = lanes[active];
        if (!takeChunk(lane))
            return;
        if (!beginStretch(lane))
            break;
        ++active;
    }
    const bool complete = true;
    while (active > 0 && complete) {
        for (int k = 0; k < active; ++k) {
            Lane& lane = lanes[k];
            const uint64_t entry = lane.entry;
            if ((entry & kCutNext) | (lane.cursor - lane.floor < 2)) [[unlikely]] {
                // Scratch holds the block and a chunk per lane: running
                // out means a lane is circling links that reach no cut, in
                // a block that is damaged.
                if (lane.cursor - lane.floor < 2) {
                    closePiece(lane);
                    if (lane.cursor > lane.floor) {
                        // One byte of room is left: a one-step entry fits.
                        if (entry & kCutNext) {
                            *--lane.cursor = uint8_t(entry);
                            if (!endStretch(lane, uint32_t(entry >> kRowShift))) {
                                lanes[k] = lanes[--active];
                                --k;
                            }
                            continue;
                        }
                        // Leave the byte unused rather than split the pair.
                        lane.cursor = lane.pieceTop = lane.floor;
                    }
                    if (!takeChunk(lane))
                        return;
                }
                if (entry & kCutNext) {
                    *--lane.cursor = uint8_t(entry);
                    if (!endStretch(lane, uint32_t(entry >> kRowShift))) {
                        lanes[k] = lanes[--active];
                        --k;
                    }
                    continue;
                }
            }
            lane.cursor -= 2;
            lane.cursor[1] = uint8_t(entry);
            lane.cursor[0] = uint8_t(entry >> 8);
            const uint32_t row = uint32_t(entry >> kRowShift);
            const uint64_t following = table[row];
            lane.entry = following;
            if (following == kMark) [[unlikely]] {
                if (!endStretch(lane, row)) {
                    lanes[k] = lanes[--active];
                    --k;
                }
            }
        }
    }
}

bool walkLanesOver(const uint8_t* last, int32_t n, uint32_t primary, const uint32_t* start, const uint32_t* count,
                   uint8_t* out)
{
    Scratch& kept = scratch();
    // The links are only needed to build the table; their block then holds
    // the text the lanes write.
    const size_t arenaSize = size_t(n) + size_t(kLanes * kMostWalkers + 1) * kChunk;
    uint64_t* table = static_cast<uint64_t*>(kept.table.reserve(size_t(n) * sizeof(uint64_t)));
    uint8_t* arena = static_cast<uint8_t*>(kept.text.reserve(std::max(arenaSize, size_t(n) * sizeof(uint32_t))));
    // Scratch for blocks up to 8 MB is kept for the next block; past that
    // its hundreds of megabytes go back to the system once the block is
    // done, rather than staying with the thread for good.
    struct Keep {
        Scratch& scratch;
        ~Keep()
        {
            if (scratch.table.capacity() > kMostKeptTable) {
                scratch.table.release();
                scratch.text.release();
            }
        }
    } keep{kept};
    if (!table || !arena)
        return false;

    // The cuts (cutOffset), with row 0 first. The primary row is one too:
    // the chain through the first text byte leads there, and a cut stops it.
    uint32_t rowsPerCut = 1;
    while (rowsPerCut < kMostRowsPerCut && rowsPerCut * 2 * kFewestCuts <= uint32_t(n))
        rowsPerCut *= 2;
    std::vector<uint32_t> cuts;
    cuts.reserve(size_t(n) / rowsPerCut + 2);
    for (uint32_t row = 0; row < uint32_t(n); row += rowsPerCut) {
        const uint32_t cut = row + cutOffset(row, rowsPerCut);
        if (cut < uint32_t(n))
            cuts.push_back(cut);
    }
    if ((primary & (rowsPerCut - 1)) != cutOffset(primary, rowsPerCut))
        cuts.insert(std::upper_bound(cuts.begin(), cuts.end(), primary), primary);

    uint32_t* link = reinterpret_cast<uint32_t*>(arena);
    buildLinks(last, n, primary, start, count, link);
    buildPairs(last, n, link, rowsPerCut, primary, table);

    // A cut row's entry is replaced by the mark; lanes start from the saved
    // entries.
    std::vector<uint64_t> cutEntry(cuts.size());
    for (size_t m = 0; m < cuts.size(); ++m) {
        cutEntry[m] = table[cuts[m]];
        table[cuts[m]] = kMark;
    }

    std::vector<Stretch> stretches(cuts.size());
    // Past a few megabytes the walk waits on memory at every step; a few
    // walkers on threads of their own keep that many more loads in flight.
    const uint32_t walkers = n >= kThreadedBlock ? std::clamp(std::thread::hardware_concurrency(), 1u, kMostWalkers) : 1u;
    std::vector<std::vector<Piece>> pieces(walkers);
    Walk walk{table, cutEntry.data(), uint32_t(cuts.size()), stretches.data(), arena, arenaSize};
    {
        std::vector<std::thread> helpers;
        for (uint32_t w = 1; w < walkers; ++w) {
            try {
                helpers.emplace_back(walkLanes, std::ref(walk), w, std::ref(pieces[w]));
            } catch (const std::system_error&) {
                break; // no thread to be had: the walkers there are take its share
            }
        }
        walkLanes(walk, 0, pieces[0]);
        for (std::thread& helper : helpers)
            helper.join();
    }
    const bool complete = !walk.failed.load();

    if (!complete) {
        // The one chain from row 0, as the format defines it, taken a step
        // or two at a time from the entries.
        for (size_t m = 0; m < cuts.size(); ++m)
            table[cuts[m]] = cutEntry[m];
        uint32_t j = 0;
        int64_t k = n;
        while (k > 0) {
            const uint64_t entry = table[j];
            out[--k] = uint8_t(entry);
            if (k > 0 && !(entry & kCutNext))
                out[--k] = uint8_t(entry >> 8);
            j = uint32_t(entry >> kRowShift);
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
        const std::vector<Piece>& list = pieces[s.walker];
        for (int32_t id = s.first; id >= 0 && remaining > 0; id = list[size_t(id)].next) {
            const Piece& p = list[size_t(id)];
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
constexpr uint32_t kLongRuns = 64; // average run length from which this may pay
constexpr uint32_t kProbeRounds = 4096;
constexpr int64_t kLongStays = 32; // bytes per round from which it does


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

// Restores the block a run at a time; false, with `out` partly written,
// when the chain turns out to leave runs too soon for that to pay, as in
// blocks whose runs are long but whose text repeats with a short period.
bool walkRuns(const uint8_t* last, int32_t n, uint32_t primary, const std::vector<Run>& runs, uint8_t* out)
{
    // The run holding each 64th row, so finding a row's run is a look-up
    // and a short step forward rather than a search.
    constexpr int kBucketShift = 6;
    std::vector<uint32_t>& bucketRun = scratch().bucketRun;
    bucketRun.resize((size_t(n - 1) >> kBucketShift) + 1);
    for (size_t r = 0, b = 0; b < bucketRun.size(); ++b) {
        const uint32_t row = uint32_t(b << kBucketShift);
        while (runs[r + 1].first <= row)
            ++r;
        bucketRun[b] = uint32_t(r);
    }

    uint32_t j = 0;
    int64_t left = n; // bytes still to write, at out[0 .. left)
    // After a few thousand rounds (fewer in a small block) the bytes per
    // round tell whether this beats walking the links.
    const uint32_t probeRounds = std::clamp(uint32_t(n) / 256, 16u, kProbeRounds);
    for (uint32_t round = 0; left > 0; ++round) {
        if (round == probeRounds && (int64_t(n) - left) < int64_t(probeRounds) * kLongStays)
            return false;
        size_t r = bucketRun[j >> kBucketShift];
        while (runs[r + 1].first <= j)
            ++r;
        const Run& run = runs[r];
        const int64_t first = run.first;
        const int64_t end = runs[r + 1].first;
        const int64_t t0 = run.t;
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
        std::memset(out + (left - steps), last[run.first], size_t(steps));
        left -= steps;
        j = uint32_t(int64_t(j) + steps * delta);
    }
    return true;
}

} // namespace

bool restoreByRuns(const uint8_t* last, int32_t n, uint32_t primary, const uint32_t* start, uint8_t* out)
{
    if (n < 2 || primary >= uint32_t(n))
        return false;
    std::vector<Run>& runs = scratch().runs;
    return findRuns(last, n, start, size_t(n) / kLongRuns + 1, runs) && walkRuns(last, n, primary, runs, out);
}

bool restoreLargeBlock(const uint8_t* last, int32_t n, uint32_t primary, const uint32_t* start,
                       const uint32_t* count, uint8_t* out)
{
    if (n < 2 || primary >= uint32_t(n))
        return false;
    return restoreByRuns(last, n, primary, start, out) || restoreByLanes(last, n, primary, start, count, out);
}

bool restoreByLanes(const uint8_t* last, int32_t n, uint32_t primary, const uint32_t* start, const uint32_t* count,
                    uint8_t* out)
{
    if (n < 2 || primary >= uint32_t(n))
        return false;
    return walkLanesOver(last, n, primary, start, count, out);
}
