#pragma once
#include <cstdint>
#include <vector>

// Suffix sorting by induced sorting (SA-IS), linear in the input: the block
// sort of a multi-megabyte entry must not degrade on long runs the way a
// comparison sort does.
//
// Returns the n + 1 suffixes of `data` followed by a virtual end marker that
// sorts below every byte; element 0 is therefore always n.
std::vector<int32_t> buildSuffixArray(const uint8_t* data, int32_t n);
