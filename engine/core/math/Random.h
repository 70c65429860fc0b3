#pragma once
#include <cstdint>

// The engine's one random generator. Particle births, light colour cycling
// and floor scatter were tuned against the Windows C runtime's rand, so this
// reproduces its linear congruential sequence exactly (0..32767, seed 1).
int engineRand();
void engineSrand(uint32_t seed);

constexpr int ENGINE_RAND_MAX = 32767;
