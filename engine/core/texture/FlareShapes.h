#pragma once
#include <cstdint>

// The procedural pictures of lens flares, one grey level per texel. Shapes:
// 0 streaks, 1 bright centre, 2 even centre, 3 dim centre, 4 ring; their
// names are what the flare textures are looked up by.
constexpr int flareShapeCount = 5;
// "(flare)", "(flare BRIGHTCTR)", ... ; null for any other shape.
const char* flareShapeName(int shape);

// One-dimensional value noise between -1 and 1: a hashed value at every 71st
// lattice point, linear in between.
double flareShapeValue(double t);

// Texel (x, y) of a `width` x `height` picture of `shape`: opaque grey, or
// opaque black outside the ring. False for an unknown shape.
bool flareTexel(int shape, uint32_t x, uint32_t y, uint32_t width, uint32_t height, uint32_t* texel);
