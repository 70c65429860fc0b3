#pragma once
#include <cstdint>
#include <vector>

// A PNG file in memory from 8-bit RGBA pixels, top row first (width x height
// x 4 bytes). Empty when the sizes do not match the pixels.
std::vector<uint8_t> writePng(int width, int height, const std::vector<uint8_t>& rgba);
