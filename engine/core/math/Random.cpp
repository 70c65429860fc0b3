#include "engine/core/math/Random.h"

static uint32_t g_randState = 1;

int engineRand()
{
    g_randState = g_randState * 214013u + 2531011u;
    return int((g_randState >> 16) & 0x7fff);
}

void engineSrand(uint32_t seed)
{
    g_randState = seed;
}
