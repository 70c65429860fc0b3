#pragma once
#include "engine/core/io/Stream.h"
#include "game/race/MapRectangle.h"

#include <array>
#include <cstdint>
#include <vector>

// The speed map: a 512 x 512 grid of two values a cell over a level's
// rectangle, layer 0 read from an 8-bit PCX of exactly that size (a pixel
// byte / 255). The race keeps one for every level; nothing reads it back yet.
class SpeedMap : public MapRectangle {
public:
    static constexpr int32_t side = 512;

    // Cells a world unit, 0 for a rectangle that spans no area.
    float scaleX = 0.0f;
    float scaleZ = 0.0f;
    // side x side cells in the image's pixel order, all 0 after construction.
    std::vector<std::array<float, 2>> cells;

    SpeedMap(float minX, float maxX, float minZ, float maxZ);

    // False, after a report, unless the file is an 8-bit PCX of side x side
    // pixels; the grid is then unchanged. Only layer 0 takes the values.
    bool load(int32_t layer, Stream& fileSystem, const char* name);
};
