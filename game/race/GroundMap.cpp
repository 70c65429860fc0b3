#include "game/race/GroundMap.h"

#include "engine/core/base/Format.h"

namespace {

constexpr const char* kind = "Position map";

} // namespace

GroundMap::GroundMap(Stream& fileSystem, const char* name, float minX, float maxX, float minZ, float maxZ)
    : MapRectangle(minX, maxX, minZ, maxZ)
{
    if (!checkArea(kind, name))
        return;
    if (!loadPcx(image, fileSystem, kind, name))
        return;
    const int32_t imageWidth = image.xMax() - image.xMin() + 1;
    if ((imageWidth & (imageWidth - 1)) != 0 || image.bytesPerLine() != imageWidth) {
        report(kind, name,
               formatStatic("%d pixels wide in lines of %d bytes: the width must be a power of two without "
                            "padding",
                            imageWidth, image.bytesPerLine()));
        image.release();
        return;
    }
    width = imageWidth;
    height = image.rowCount();
    while ((1 << shift) < width)
        ++shift;
}

uint8_t GroundMap::valueAt(const Vector3& p) const
{
    if (!loaded())
        return 0;
    const int32_t column = clampCell(acrossX(p, width), width);
    const int32_t row = clampCell(height - acrossZ(p, height), height);
    return image.pixels[size_t(row) << shift | size_t(column)];
}
