#pragma once
#include "engine/core/image/ImageFile.h"
#include "engine/core/io/Stream.h"
#include "game/race/MapRectangle.h"

#include <array>
#include <cstdint>
#include <memory>

// The colour map: the light on a level's ground, a BMP or JPEG laid over the
// track, that tints the karts driving over it. The image is read with its rows
// turned over, so that for a bitmap row 0 is its bottom row and lies at minZ.
class ColourMap : public MapRectangle {
public:
    int32_t width = 0;
    int32_t height = 0;
    std::unique_ptr<ImageFile> image;

    // A file that is missing or cannot be decoded is reported, and the map
    // holds no image: loaded() is false and every sample is the neutral 1.0.
    ColourMap(Stream& fileSystem, const char* name, float minX, float maxX, float minZ, float maxZ);

    bool loaded() const { return image != nullptr; }
    // Red, green, blue and alpha under p, filtered between the four nearest
    // pixels; a channel is byte / 255 x 2, so mid grey gives about 1.0 and
    // white 2.0. Alpha is 1.0.
    std::array<float, 4> sample(const Vector3& p) const;
};
