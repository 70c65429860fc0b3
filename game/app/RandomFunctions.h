#pragma once
#include <cstdint>

// The game's shared random functions, on the engine generator (0..32767):
// the tuned constants below assume exactly that range.

// A value in [low, high].
float randomRange(float low, float high);
// A value in [0, max].
float randomScaled(float max);
// An index drawn with the given weights. The list ends at its first negative
// entry; an empty list answers 0, and a list whose weights sum to 0 answers
// its last index.
int32_t randomWeightedIndex(const float* weights);
