#pragma once
#include <cstdint>

// Red, green, blue, alpha; nominally 0..1.
struct Color {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;
};

// Packs a colour into a Direct3D colour word 0xAARRGGBB, each channel clamped
// and rounded to 0..255.
inline uint32_t colorToArgb(const Color& c)
{
    auto channel = [](float v) -> uint32_t {
        if (v >= 1.0f)
            return 255;
        if (v <= 0.0f)
            return 0;
        return static_cast<uint32_t>(v * 255.0f + 0.5f);
    };
    return channel(c.a) << 24 | channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}
