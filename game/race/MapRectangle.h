#pragma once
#include "engine/core/image/PcxImage.h"
#include "engine/core/io/Stream.h"
#include "engine/core/math/Vector3.h"

#include <cstdint>

// The world rectangle that a level's map image is laid over: x from minX to
// maxX runs along the image's columns, z from minZ to maxZ along its rows.
// The position, colour and speed maps share it.
class MapRectangle {
public:
    float minX = 0.0f;
    float maxX = 0.0f;
    float minZ = 0.0f;
    float maxZ = 0.0f;

    MapRectangle(float minX, float maxX, float minZ, float maxZ);

    // Both spans finite and positive: the maps divide by them.
    bool spansArea() const;
    // Where p lies across the rectangle, 0 at minX or minZ and `size` at maxX
    // or maxZ; not clamped.
    double acrossX(const Vector3& p, int32_t size) const;
    double acrossZ(const Vector3& p, int32_t size) const;
    // The cell of a position across: truncated and clamped to 0 .. size-1,
    // 0 for a position that is not a number.
    static int32_t clampCell(double position, int32_t size);

protected:
    // Reports the refusal of a map file: "<kind> \"<name>\": <problem>".
    static void report(const char* kind, const char* name, const char* problem);
    // True, or false after a report, when the rectangle spans an area.
    bool checkArea(const char* kind, const char* name) const;
    // Loads an 8-bit PCX through a clone of the file system; false after a
    // report when the file is missing or the reader refuses it.
    static bool loadPcx(PcxImage& image, Stream& fileSystem, const char* kind, const char* name);
};
