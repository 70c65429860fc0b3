#include "tools/trackgen/Geometry.h"

namespace track {

uint32_t hashName(const char* text)
{
    uint32_t h = 2166136261u;
    for (; *text; ++text)
        h = (h ^ uint8_t(*text)) * 16777619u;
    return h ? h : 1u;
}

namespace {

float lattice(int x, int y, uint32_t seed)
{
    uint32_t h = seed ^ (uint32_t(x) * 0x8DA6B343u) ^ (uint32_t(y) * 0xD8163841u);
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return float(h & 0xFFFFFF) / float(0xFFFFFF);
}

int wrap(int v, int period) { return ((v % period) + period) % period; }

} // namespace

float valueNoise(float x, float y, uint32_t seed, int period)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3.0f - 2.0f * tx);
    ty = ty * ty * (3.0f - 2.0f * ty);
    const int x0 = wrap(ix, period), x1 = wrap(ix + 1, period);
    const int y0 = wrap(iy, period), y1 = wrap(iy + 1, period);
    const float a = lerp(lattice(x0, y0, seed), lattice(x1, y0, seed), tx);
    const float b = lerp(lattice(x0, y1, seed), lattice(x1, y1, seed), tx);
    return lerp(a, b, ty);
}

float fractalNoise(float x, float y, int octaves, uint32_t seed, int period)
{
    float sum = 0.0f, weight = 0.5f, total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += valueNoise(x, y, seed + uint32_t(o) * 101u, period) * weight;
        total += weight;
        x *= 2.0f;
        y *= 2.0f;
        period *= 2;
        weight *= 0.5f;
    }
    return sum / total;
}

} // namespace track
