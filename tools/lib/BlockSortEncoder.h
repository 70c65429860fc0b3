#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The packer's side of the block sort and move-to-front stages: the exact
// inverses of the engine's inverseBWT and decodeMTF.

struct BlockSortResult {
    std::vector<uint8_t> lastColumn;
    int32_t primaryIndex = 0;
};

// Sorts the rotations of the block followed by an end marker that is smaller
// than every byte. The marker's own row is left out of the last column; the
// primary index is that row minus one, which is how the decoder's walk skips it.
BlockSortResult forwardBWT(const uint8_t* data, int32_t n);

// Move-to-front with the protected front, mirroring decodeMTF step for step.
std::vector<uint8_t> encodeMTF(const uint8_t* data, size_t n);
