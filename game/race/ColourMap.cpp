#include "game/race/ColourMap.h"

#include <cmath>

namespace {

constexpr const char* kind = "Colour map";

} // namespace

ColourMap::ColourMap(Stream& fileSystem, const char* name, float minX, float maxX, float minZ, float maxZ)
    : MapRectangle(minX, maxX, minZ, maxZ)
{
    if (!checkArea(kind, name))
        return;
    image = loadImage(fileSystem, name, 1);
    if (!image) {
        report(kind, name, fileSystem.exists(name) ? "not a BMP or JPEG picture that can be read" : "no such file");
        return;
    }
    width = image->width;
    height = image->height;
}

std::array<float, 4> ColourMap::sample(const Vector3& p) const
{
    if (!loaded())
        return {1.0f, 1.0f, 1.0f, 1.0f};
    const double u = acrossX(p, width);
    const double v = acrossZ(p, height);
    // Cells are taken below the point, also left of and below the image where
    // truncation would round towards it and weigh the pixels beyond 0..1.
    const double u0 = std::floor(u);
    const double v0 = std::floor(v);
    const float fu = std::isfinite(u) ? float(u - u0) : 0.0f;
    const float fv = std::isfinite(v) ? float(v - v0) : 0.0f;
    const int32_t i0 = clampCell(u0, width), i1 = clampCell(u0 + 1.0, width);
    const int32_t j0 = clampCell(v0, height), j1 = clampCell(v0 + 1.0, height);
    const float weights[4] = {(1 - fu) * (1 - fv), (1 - fu) * fv, fu * (1 - fv), fu * fv};
    const uint32_t pixels[4] = {image->pixel(i0, j0), image->pixel(i0, j1), image->pixel(i1, j0),
                                image->pixel(i1, j1)};
    std::array<float, 4> colour = {0.0f, 0.0f, 0.0f, 1.0f};
    for (int corner = 0; corner < 4; ++corner)
        for (int channel = 0; channel < 3; ++channel) {
            const uint32_t byte = (pixels[corner] >> (16 - 8 * channel)) & 0xFF;
            colour[size_t(channel)] += weights[corner] * (float(byte) / 255.0f * 2.0f);
        }
    return colour;
}
