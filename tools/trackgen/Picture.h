#pragma once
#include "tools/trackgen/Geometry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace track {

// An RGBA picture in floats, top row first, for everything trackgen draws:
// textures, maps and the pictures of the menus, the loading screen and the
// HUD. Drawn larger and filtered down (`shrink`) where edges must be smooth.
class Picture {
public:
    Picture() = default;
    Picture(int width, int height, Rgb fill = {}, float alpha = 1.0f);

    int width() const { return m_width; }
    int height() const { return m_height; }
    Rgb get(int x, int y) const { return m_rgb[index(x, y)]; }
    float alpha(int x, int y) const { return m_alpha[index(x, y)]; }
    // Wraps around both edges: textures tile.
    Rgb wrapped(int x, int y) const;
    // Bilinear, wrapping; u and v in pictures (1.0 = the whole width).
    Rgb sample(float u, float v) const;
    void set(int x, int y, Rgb c, float a = 1.0f);
    // Lays `c` over the pixel with coverage `a`.
    void blend(int x, int y, Rgb c, float a);

    // Averages each factor x factor block into one pixel (the alpha weights
    // the colour, so transparent surroundings do not darken edges).
    Picture shrink(int factor) const;
    // Fills the triangle (pixel coordinates, any winding) with `c`: every
    // pixel whose middle lies inside.
    void fillTriangle(const float (&x)[3], const float (&y)[3], Rgb c, float a = 1.0f);
    // Copies `from` into this picture with its top left at (x, y).
    void paste(const Picture& from, int x, int y);

    std::vector<uint8_t> jpeg(int quality) const;
    std::vector<uint8_t> png() const;
    // 24-bit BMP, as the engine's colour-map loader reads it.
    std::vector<uint8_t> bmp() const;

private:
    size_t index(int x, int y) const { return size_t(y) * size_t(m_width) + size_t(x); }
    int m_width = 0, m_height = 0;
    std::vector<Rgb> m_rgb;
    std::vector<float> m_alpha;
};

uint8_t toByte(float v);

} // namespace track
