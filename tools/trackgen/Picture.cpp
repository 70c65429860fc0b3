#include "tools/trackgen/Picture.h"

#include "tools/lib/ImageWriters.h"
#include "tools/lib/PngWriter.h"

namespace track {

uint8_t toByte(float v) { return uint8_t(std::lround(clamp01(v) * 255.0f)); }

Picture::Picture(int width, int height, Rgb fill, float alpha)
    : m_width(width), m_height(height), m_rgb(size_t(width) * size_t(height), fill),
      m_alpha(size_t(width) * size_t(height), alpha)
{
}

Rgb Picture::wrapped(int x, int y) const
{
    x %= m_width;
    y %= m_height;
    return get(x < 0 ? x + m_width : x, y < 0 ? y + m_height : y);
}

Rgb Picture::sample(float u, float v) const
{
    const float x = u * float(m_width) - 0.5f, y = v * float(m_height) - 0.5f;
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    const float tx = x - fx, ty = y - fy;
    const Rgb a = mix(wrapped(ix, iy), wrapped(ix + 1, iy), tx);
    const Rgb b = mix(wrapped(ix, iy + 1), wrapped(ix + 1, iy + 1), tx);
    return mix(a, b, ty);
}

void Picture::set(int x, int y, Rgb c, float a)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    m_rgb[index(x, y)] = c;
    m_alpha[index(x, y)] = a;
}

void Picture::blend(int x, int y, Rgb c, float a)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height || a <= 0.0f)
        return;
    const size_t i = index(x, y);
    const float under = m_alpha[i] * (1.0f - a);
    const float out = a + under;
    m_rgb[i] = out > 0.0f ? (c * a + m_rgb[i] * under) * (1.0f / out) : c;
    m_alpha[i] = out;
}

Picture Picture::shrink(int factor) const
{
    Picture out(m_width / factor, m_height / factor);
    const float n = float(factor * factor);
    for (int y = 0; y < out.m_height; ++y)
        for (int x = 0; x < out.m_width; ++x) {
            Rgb sum;
            float alphaSum = 0.0f;
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i) {
                    const size_t at = index(x * factor + i, y * factor + j);
                    sum = sum + m_rgb[at] * m_alpha[at];
                    alphaSum += m_alpha[at];
                }
            out.set(x, y, alphaSum > 0.0f ? sum * (1.0f / alphaSum) : Rgb{}, alphaSum / n);
        }
    return out;
}

void Picture::fillTriangle(const float (&x)[3], const float (&y)[3], Rgb c, float a)
{
    const float area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
    if (std::fabs(area) < 1e-9f)
        return;
    const int x0 = std::max(0, int(std::floor(std::min({x[0], x[1], x[2]}))));
    const int x1 = std::min(m_width - 1, int(std::ceil(std::max({x[0], x[1], x[2]}))));
    const int y0 = std::max(0, int(std::floor(std::min({y[0], y[1], y[2]}))));
    const int y1 = std::min(m_height - 1, int(std::ceil(std::max({y[0], y[1], y[2]}))));
    for (int py = y0; py <= y1; ++py)
        for (int px = x0; px <= x1; ++px) {
            const float mx = float(px) + 0.5f, my = float(py) + 0.5f;
            const float w0 = ((x[1] - mx) * (y[2] - my) - (x[2] - mx) * (y[1] - my)) / area;
            const float w1 = ((x[2] - mx) * (y[0] - my) - (x[0] - mx) * (y[2] - my)) / area;
            if (w0 >= 0.0f && w1 >= 0.0f && w0 + w1 <= 1.0f)
                blend(px, py, c, a);
        }
}

void Picture::paste(const Picture& from, int x, int y)
{
    for (int j = 0; j < from.m_height; ++j)
        for (int i = 0; i < from.m_width; ++i)
            set(x + i, y + j, from.get(i, j), from.alpha(i, j));
}

std::vector<uint8_t> Picture::jpeg(int quality) const
{
    std::vector<uint8_t> samples;
    samples.reserve(m_rgb.size() * 3);
    for (const Rgb& c : m_rgb)
        samples.insert(samples.end(), {toByte(c.r), toByte(c.g), toByte(c.b)});
    return writeJpeg(m_width, m_height, 3, samples, quality);
}

std::vector<uint8_t> Picture::png() const
{
    std::vector<uint8_t> rgba;
    rgba.reserve(m_rgb.size() * 4);
    for (size_t i = 0; i < m_rgb.size(); ++i)
        rgba.insert(rgba.end(), {toByte(m_rgb[i].r), toByte(m_rgb[i].g), toByte(m_rgb[i].b), toByte(m_alpha[i])});
    return writePng(m_width, m_height, rgba);
}

std::vector<uint8_t> Picture::bmp() const
{
    BmpLayout layout;
    layout.width = m_width;
    layout.height = m_height;
    std::vector<uint32_t> pixels;
    pixels.reserve(m_rgb.size());
    for (const Rgb& c : m_rgb)
        pixels.push_back(uint32_t(toByte(c.r)) << 16 | uint32_t(toByte(c.g)) << 8 | toByte(c.b));
    return writeBmp(layout, {}, pixels);
}

} // namespace track
