#pragma once
// trackgen: the level generator. Reads a level's parameter file from
// data/levels/ and its record from config.xml, and writes every file the
// race reads for that level (scene, objects, textures, AI paths, race maps,
// pictures). Includes engine/core (vectors) and tools/lib (the writers).

#include "engine/core/math/Vector3.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace track {

constexpr float kPi = 3.14159265358979f;

inline float dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vector3 cross(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline Vector3 unit(Vector3 v)
{
    v.normalize();
    return v;
}
inline Vector3 lerp(const Vector3& a, const Vector3& b, float t) { return a + (b - a) * t; }
inline float lerp(float a, float b, float t) { return a + (b - a) * t; }
inline float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
inline float smoothstep(float e0, float e1, float x)
{
    const float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}
inline float distance2d(const Vector3& a, const Vector3& b) { return std::hypot(a.x - b.x, a.z - b.z); }
inline float radians(float degrees) { return degrees * kPi / 180.0f; }

// The left of a direction seen from above, in the engine's left-handed
// frame (x right, y up, z ahead): heading 0 looks along +z with +x on the
// right, so the left of (x, z) is (-z, x).
inline Vector3 leftOf(const Vector3& d) { return unit(Vector3(-d.z, 0.0f, d.x)); }
// The heading (radians) that turns +z onto the direction, as scene files
// store it.
inline float headingOf(const Vector3& d) { return std::atan2(d.x, d.z); }

struct Rgb {
    float r = 0.0f, g = 0.0f, b = 0.0f;
    Rgb operator*(float s) const { return {r * s, g * s, b * s}; }
    Rgb operator+(const Rgb& o) const { return {r + o.r, g + o.g, b + o.b}; }
    Rgb operator-(const Rgb& o) const { return {r - o.r, g - o.g, b - o.b}; }
    Rgb operator*(const Rgb& o) const { return {r * o.r, g * o.g, b * o.b}; }
};
inline Rgb mix(const Rgb& a, const Rgb& b, float t) { return a + (b - a) * t; }

// A small deterministic generator: every level comes out the same on every
// build (xorshift32, never seeded with 0).
class Rng {
public:
    explicit Rng(uint32_t seed) : m_state(seed ? seed : 0x9E3779B9u) {}
    uint32_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    float unit() { return float(next() >> 8) / float(1u << 24); }
    float range(float a, float b) { return a + (b - a) * unit(); }
    int below(int n) { return n > 0 ? int(next() % uint32_t(n)) : 0; }

private:
    uint32_t m_state;
};

uint32_t hashName(const char* text);

// Smooth value noise in 0..1 with a period of `period` cells (tiles
// seamlessly when the picture spans whole periods), and its sum over
// octaves.
float valueNoise(float x, float y, uint32_t seed, int period = 1 << 16);
float fractalNoise(float x, float y, int octaves, uint32_t seed, int period = 1 << 16);

} // namespace track
