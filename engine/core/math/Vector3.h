#pragma once
// engine/core: math, buffers and reporting, streams and archives, display and
// renderer, textures and images, shaders and passes, geometry. Includes only
// platform/ and the engine's own dependencies.

#include <cmath>

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vector3() = default;
    constexpr Vector3(float ax, float ay, float az) : x(ax), y(ay), z(az) {}

    // Length in double precision; the single-precision sum loses too much on
    // the large track coordinates.
    double length() const
    {
        double dx = x, dy = y, dz = z;
        return std::sqrt(dx * dx + dy * dy + dz * dz);
    }

    // Scales to unit length and returns the length before; a zero vector stays.
    double normalize()
    {
        double len = length();
        if (len != 0.0) {
            float s = 1.0f / static_cast<float>(len);
            x *= s;
            y *= s;
            z *= s;
        }
        return len;
    }

    Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vector3 operator*(float s) const { return {x * s, y * s, z * s}; }
    bool operator==(const Vector3& o) const = default;
};
