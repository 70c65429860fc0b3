#include "game/race/MapRectangle.h"

#include "engine/core/base/Format.h"
#include "engine/core/base/Report.h"

#include <cmath>
#include <memory>

MapRectangle::MapRectangle(float minX, float maxX, float minZ, float maxZ)
    : minX(minX), maxX(maxX), minZ(minZ), maxZ(maxZ)
{
}

bool MapRectangle::spansArea() const
{
    const double spanX = double(maxX) - minX;
    const double spanZ = double(maxZ) - minZ;
    return std::isfinite(spanX) && std::isfinite(spanZ) && spanX > 0.0 && spanZ > 0.0;
}

double MapRectangle::acrossX(const Vector3& p, int32_t size) const
{
    return (double(p.x) - minX) / (double(maxX) - minX) * size;
}

double MapRectangle::acrossZ(const Vector3& p, int32_t size) const
{
    return (double(p.z) - minZ) / (double(maxZ) - minZ) * size;
}

int32_t MapRectangle::clampCell(double position, int32_t size)
{
    if (!(position >= 1.0))
        return 0;
    if (position >= double(size - 1))
        return size - 1;
    return int32_t(position);
}

void MapRectangle::report(const char* kind, const char* name, const char* problem)
{
    reportError(formatText("%s \"%s\": %s", kind, name, problem).c_str());
}

bool MapRectangle::checkArea(const char* kind, const char* name) const
{
    if (spansArea())
        return true;
    report(kind, name,
           formatStatic("the rectangle x %g to %g, z %g to %g spans no area", double(minX), double(maxX),
                        double(minZ), double(maxZ)));
    return false;
}

bool MapRectangle::loadPcx(PcxImage& image, Stream& fileSystem, const char* kind, const char* name)
{
    std::unique_ptr<Stream> file = fileSystem.clone();
    if (!file->exists(name)) {
        report(kind, name, "no such file");
        return false;
    }
    if (!image.load(*file, name)) {
        report(kind, name, "not an 8-bit PCX picture that can be read");
        return false;
    }
    return true;
}
