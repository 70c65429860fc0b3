#pragma once
#include "engine/core/ByteBuffer.h"

#include <cstdint>

// The two stages behind an archive entry's range coding when its flag bit 1
// is set: move-to-front and the inverse block sort. Both keep the length.

// Move-to-front decoding with a protected front: after a 0 or 1, a symbol
// found deeper in the table moves only to position 1, so one stray symbol
// does not push the run symbol off the front.
void decodeMTF(const DataBuffer& input, DataBuffer& output);

// Inverse Burrows-Wheeler transform of the last column `input` with the
// stored primary index. False, with `output` emptied, when the index lies
// outside a block of two or more bytes: such an index can walk outside the
// input.
bool inverseBWT(const DataBuffer& input, int32_t primaryIndex, DataBuffer& output);
