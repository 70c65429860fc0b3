#include "engine/core/texture/FlareShapes.h"

#include <cmath>

namespace {

double latticeValue(int32_t k)
{
    // The hash relies on 32-bit wrap-around; it is done unsigned so the
    // overflow is defined.
    const uint32_t u = uint32_t(k);
    const uint32_t n = (u << 13) ^ u;
    const uint32_t h = (n * (n * n * 15731u + 789221u) - 771171059u) & 0x7FFFFFFFu;
    return 1.0 - double(h) / 1073741824.0;
}

// A computed grey level as a byte. Some shapes divide by values that can reach
// 0 or grow without bound; those saturate instead of overflowing the cast.
uint32_t greyLevel(double v)
{
    v = std::trunc(v);
    if (!(v > 0.0))
        return 0;
    if (v >= 255.0)
        return 255;
    return uint32_t(v);
}

} // namespace

const char* flareShapeName(int shape)
{
    static const char* const names[flareShapeCount] = {
        "(flare)", "(flare BRIGHTCTR)", "(flare EVENCTR)", "(flare DIMCTR)", "(flare RING)",
    };
    return shape >= 0 && shape < flareShapeCount ? names[shape] : nullptr;
}

double flareShapeValue(double t)
{
    const double i = std::floor(t);
    // Lattice points are 32-bit integers; far-away arguments wrap, as the
    // arithmetic they feed does.
    const int64_t whole = std::isfinite(i) && std::fabs(i) < 9.0e15 ? int64_t(i) : 0;
    const int32_t k0 = int32_t(uint32_t(uint64_t(whole) * 71u));
    const int32_t k1 = int32_t(uint32_t(uint64_t(whole + 1) * 71u));
    const double v0 = latticeValue(k0);
    return v0 + (latticeValue(k1) - v0) * (t - i);
}

bool flareTexel(int shape, uint32_t x, uint32_t y, uint32_t width, uint32_t height, uint32_t* texel)
{
    const float dx = float(double(x) - double(width / 2) - 0.5);
    const float dy = float(double(y) - double(height / 2) - 0.5);
    const double d = std::hypot(double(dx), double(dy));
    uint32_t v = 0;
    switch (shape) {
    case 0: {
        const float a = float(std::atan2(double(dx), double(dy)) + 3.9269908169872414);
        const double s = flareShapeValue(10.0 * a) + a * 5.092958178940651 + 1.0;
        const double f = std::fmod(s, 1.0);
        v = 255 - greyLevel(255.0 * (1.0 - 0.1 * std::fabs(3.3 * (f - 0.5)) / (1.0 + 0.1 * 2.0 * std::trunc(d))));
        break;
    }
    case 1: {
        const double q = std::log(double(dx) * dx + double(dy) * dy);
        v = q < 0.0 ? 255 : greyLevel(255.0 * (5.86 / q - 0.53));
        break;
    }
    case 2:
        v = greyLevel(255.0 - std::pow(d, 6.0) * 9.094947017729282e-13);
        break;
    case 3:
        v = greyLevel(255.0 - 16.0 * std::sqrt(d));
        break;
    case 4: {
        const double radius = 0.084375 * width;
        const double q = std::fabs(d - radius) / (0.07 * radius);
        if (!(q < 1.0)) {
            *texel = 0xFF000000u;
            return true;
        }
        v = greyLevel(255.0 * (1.0 - q));
        break;
    }
    default:
        return false;
    }
    *texel = 0xFF000000u | v * 0x010101u;
    return true;
}
