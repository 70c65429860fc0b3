#pragma once
// A hidden SDL window with a GL 3.3 compatibility context, a framebuffer
// object to draw into (stored top row first, as the device stores its
// targets) and helpers to feed the generated fixed-function programs and read
// pixels back. One per test process, kept until exit (GL drivers unloaded by
// a tear-down leave allocations the leak checker cannot attribute); null when
// no display is available.
#include "platform/d3d9/FixedFunctionKey.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct GlTestVertex {
    float position[3] = {0, 0, 0};
    float normal[3] = {0, 0, 1};
    uint32_t diffuse = 0xffffffffu;  // D3DCOLOR
    uint32_t specular = 0x00000000u; // D3DCOLOR
    std::array<std::array<float, 4>, 2> tex {};
};

class GlTestContext {
public:
    static GlTestContext* instance();
    // Why instance() is null.
    static const std::string& failure();

    // Other GL users in the same test program (the device's own context)
    // keep theirs current between calls: take ours for a test and give
    // theirs back after it.
    void acquire();
    void release();

    // Makes the target w x h (recreated when the size changes), binds it and
    // sets the viewport to all of it.
    void bindTarget(int width, int height);
    void clear(uint32_t argb, float depth = 1.0f);
    // Pixel (x, y) in Direct3D window coordinates, as 0xAARRGGBB.
    uint32_t pixel(int x, int y) const;
    float depth(int x, int y) const;

    // Draws a triangle list with the attributes the format names, through
    // whatever program is bound.
    void draw(const std::vector<GlTestVertex>& vertices, const FixedFunctionVertexFormat& format);

    // A 2D texture from rows of 0xAARRGGBB texels, top row first, on unit `stage`.
    unsigned createTexture(int width, int height, const std::vector<uint32_t>& argb, int stage);
    // A volume texture, slices front to back, each top row first.
    unsigned createVolumeTexture(int width, int height, int depth, const std::vector<uint32_t>& argb, int stage);
    void deleteTexture(unsigned id);

    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    GlTestContext() = default;
    bool init();

    void* m_window = nullptr;
    void* m_context = nullptr;
    void* m_previousWindow = nullptr;
    void* m_previousContext = nullptr;
    unsigned m_fbo = 0;
    unsigned m_color = 0;
    unsigned m_depth = 0;
    unsigned m_vao = 0;
    unsigned m_vbo = 0;
    int m_width = 0;
    int m_height = 0;
};
