#include "engine/core/texture/TextureTexels.h"

#include "engine/core/math/Color.h"
#include "platform/d3d9/D3D9Types.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

uint32_t powerOfTwoAtLeast(int32_t side, uint32_t start)
{
    uint32_t size = start;
    while (int64_t(size) < side && size < 0x80000000u)
        size <<= 1;
    return size;
}

} // namespace

void fileTextureSize(int32_t imageWidth, int32_t imageHeight, uint32_t flags, const D3DCAPS9& caps,
                     int32_t textureDetail, uint32_t* width, uint32_t* height)
{
    uint32_t w;
    uint32_t h;
    if ((flags & 0x40) && (caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL)) {
        w = uint32_t(std::max(imageWidth, 1));
        h = uint32_t(std::max(imageHeight, 1));
    } else {
        w = powerOfTwoAtLeast(imageWidth, 128);
        h = powerOfTwoAtLeast(imageHeight, 1);
    }
    // The reduction halves the size just chosen rather than the image: a
    // texture of an odd-sized image stays a power of two on devices that need
    // one. For images with power-of-two sides of 128 and up both are the same.
    // A small texture halved too often would be 0 texels wide, which no device
    // creates; it stops at 1.
    if (!(flags & 0x100) && textureDetail < 0) {
        const int shift = std::min(-int64_t(textureDetail), int64_t(31));
        w = std::max(w >> shift, 1u);
        h = std::max(h >> shift, 1u);
    }
    if (caps.MaxTextureWidth)
        w = std::min<uint32_t>(w, caps.MaxTextureWidth);
    if (caps.MaxTextureHeight)
        h = std::min<uint32_t>(h, caps.MaxTextureHeight);
    *width = w;
    *height = h;
}

NearestSteps::NearestSteps(int32_t imageSide, uint32_t side)
    : m_step(float(imageSide) / float(side)), m_last(std::max(imageSide - 1, 0))
{
}

int32_t NearestSteps::next()
{
    // Accumulating the step in single precision can land a hair past the
    // image on the last texel; that texel repeats the image's edge instead.
    const float position = m_position;
    m_position += m_step;
    if (!(position >= 0.0f))
        return 0;
    if (position >= float(m_last))
        return m_last;
    return int32_t(position);
}

uint32_t convertPixel(uint32_t argb, int32_t conversion)
{
    switch (conversion) {
    case 1:
        return argb | 0xFF000000u;
    case 2: {
        const uint32_t a = argb >> 24;
        return 0xFF000000u | a << 16 | a << 8 | a;
    }
    default:
        return argb;
    }
}

void makeNormalMapLevel(const TexelLevel& level)
{
    const uint32_t w = level.width;
    const uint32_t h = level.height;
    if (!w || !h)
        return;
    std::vector<int32_t> heights(size_t(w) * h);
    for (uint32_t y = 0; y < h; ++y) {
        const uint32_t* row = level.row(y);
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t t = row[x];
            heights[size_t(y) * w + x] = int32_t(16 * (((t >> 16) & 0xFF) + ((t >> 8) & 0xFF) + (t & 0xFF)) / 3);
        }
    }
    auto heightAt = [&](uint32_t x, uint32_t y) { return heights[size_t(y & (h - 1)) * w + (x & (w - 1))]; };
    struct Normal {
        double x, y, z;
    };
    auto unit = [](Normal n) {
        const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (length != 0.0) {
            n.x /= length;
            n.y /= length;
            n.z /= length;
        }
        return n;
    };
    auto component = [](double c) {
        const double v = std::trunc((c + 1.0) * 127.5);
        return uint32_t(std::clamp(v, 0.0, 255.0));
    };
    std::vector<uint32_t> result(size_t(w) * h);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            const int32_t here = heights[size_t(y) * w + x];
            const double dR = heightAt(x + 1, y) - here;
            const double dL = heightAt(x - 1, y) - here;
            const double dD = heightAt(x, y + 1) - here;
            const double dU = heightAt(x, y - 1) - here;
            const Normal faces[4] = {
                unit({-255.0 * dR, -255.0 * dD, 65025.0}),
                unit({255.0 * dL, -255.0 * dD, 65025.0}),
                unit({255.0 * dL, 255.0 * dU, 65025.0}),
                unit({-255.0 * dR, 255.0 * dU, 65025.0}),
            };
            Normal sum {0.0, 0.0, 0.0};
            for (const Normal& f : faces) {
                sum.x += f.x;
                sum.y += f.y;
                sum.z += f.z;
            }
            const Normal n = unit(sum);
            result[size_t(y) * w + x] = component(n.x) << 16 | component(n.y) << 8 | component(n.z);
        }
    }
    for (uint32_t y = 0; y < h; ++y)
        std::copy_n(result.data() + size_t(y) * w, w, level.row(y));
}

void alphaAwareMipLevel(const TexelLevel& level, const TexelLevel& above)
{
    constexpr double scale = 1.0 / 255.0;
    for (uint32_t y = 0; y < level.height; ++y) {
        uint32_t* out = level.row(y);
        for (uint32_t x = 0; x < level.width; ++x) {
            double alpha = 1.0;
            double weights = 0.0;
            double r = 0.0, g = 0.0, b = 0.0;
            for (uint32_t k = 0; k < 4; ++k) {
                const uint32_t sx = 2 * x + (k & 1);
                const uint32_t sy = 2 * y + (k >> 1);
                const uint32_t t = (sx < above.width && sy < above.height) ? above.row(sy)[sx] : 0xFF000000u;
                const double a = (t >> 24) * scale;
                alpha = std::min(alpha, a);
                const double weight = 1.0 - a;
                weights += weight;
                r += weight * ((t >> 16) & 0xFF) * scale;
                g += weight * ((t >> 8) & 0xFF) * scale;
                b += weight * (t & 0xFF) * scale;
            }
            Color c;
            if (weights > 0.000001) {
                c = {float(r / weights), float(g / weights), float(b / weights), float(alpha)};
            } else {
                c = {0.0f, 0.0f, 0.0f, 1.0f};
            }
            out[x] = colorToArgb(c);
        }
    }
}
