#pragma once
#include "engine/core/image/PcxImage.h"
#include "engine/core/io/Stream.h"
#include "game/race/MapRectangle.h"

#include <cstdint>

// The position map: an 8-bit PCX laid over the track whose byte grows along
// the lap (0 and 255 lie off the racing line). The race ranks karts by
// 256 x lap + valueAt. Row 0 of the image lies at maxZ. Rows are addressed as
// row << shift, so the image must be a power of two wide with no padding at
// the end of its lines.
class GroundMap : public MapRectangle {
public:
    int32_t width = 0;
    int32_t height = 0;
    int32_t shift = 0;
    PcxImage image;

    // A file that is missing or refused is reported, and the map holds no
    // image: loaded() is false and every value is 0.
    GroundMap(Stream& fileSystem, const char* name, float minX, float maxX, float minZ, float maxZ);

    bool loaded() const { return image.pixels != nullptr; }
    // The byte of the cell under p; a point outside the rectangle gives the
    // nearest edge cell.
    uint8_t valueAt(const Vector3& p) const;
};
