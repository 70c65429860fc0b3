#include "game/race/SpeedMap.h"

#include "engine/core/base/Format.h"
#include "engine/core/image/PcxImage.h"

namespace {

constexpr const char* kind = "Speed map";

} // namespace

SpeedMap::SpeedMap(float minX, float maxX, float minZ, float maxZ)
    : MapRectangle(minX, maxX, minZ, maxZ), cells(size_t(side) * side, {0.0f, 0.0f})
{
    if (spansArea()) {
        scaleX = float(side / (double(maxX) - minX));
        scaleZ = float(side / (double(maxZ) - minZ));
    }
}

bool SpeedMap::load(int32_t layer, Stream& fileSystem, const char* name)
{
    PcxImage image;
    if (!loadPcx(image, fileSystem, kind, name))
        return false;
    const int32_t width = image.xMax() - image.xMin() + 1;
    if (width != side || image.rowCount() != side) {
        report(kind, name, formatStatic("%d x %d pixels, not %d x %d", width, image.rowCount(), side, side));
        return false;
    }
    if (layer == 0) {
        const size_t stride = size_t(image.bytesPerLine());
        for (size_t row = 0; row < size_t(side); ++row)
            for (size_t column = 0; column < size_t(side); ++column)
                cells[row * side + column][0] = image.pixels[row * stride + column] / 255.0f;
    }
    return true;
}
