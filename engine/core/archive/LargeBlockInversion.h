#pragma once
#include <cstdint>

// The inverse block sort for blocks whose link table outgrows the caches.
//
// Restoring a block means following a chain of links, one dependent load per
// byte; on a block of megabytes every load misses the caches, and a single
// chain leaves the memory system idle while it waits. Here the chain is cut
// at many rows spread over the table, and the pieces between cuts are walked
// side by side by a few dozen lanes, so that many loads are in flight at
// once. Where a piece lies in the text is only known once it is done, so
// each lane writes its bytes into scratch, and the pieces are put in order
// at the end by following which cut each one ran into.
//
// A block whose last column is mostly long runs of one byte is restored a
// run at a time instead: inside such a run the chain moves by one fixed step
// and repeats one byte, so a whole stretch of it is one division and a fill.
//
// `last` is the block's last column, `primary` its primary index (< n),
// `start[c]` the number of bytes below c in the block and `count[c]` the
// occurrences of c. The output is exactly what the one chain from row 0
// gives, also for a damaged block whose links do not form one chain. False
// only when scratch memory cannot be had; `out` is then untouched.
bool restoreLargeBlock(const uint8_t* last, int32_t n, uint32_t primary, const uint32_t* start,
                       const uint32_t* count, uint8_t* out);

// The run-at-a-time walk alone, for a block of any size: false, with `out`
// partly written, when the last column is not mostly long runs or the chain
// leaves its runs too soon for that walk to pay.
bool restoreByRuns(const uint8_t* last, int32_t n, uint32_t primary, const uint32_t* start, uint8_t* out);

// The walk by pieces alone; false only when scratch memory cannot be had.
bool restoreByLanes(const uint8_t* last, int32_t n, uint32_t primary, const uint32_t* start,
                    const uint32_t* count, uint8_t* out);
