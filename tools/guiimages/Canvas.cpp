#include "tools/guiimages/Canvas.h"

#include "tools/lib/PngWriter.h"

#include <algorithm>
#include <cmath>
#include <fstream>

Colour rgb(uint32_t rrggbb, float alpha)
{
    return {float(rrggbb >> 16 & 0xFF) / 255.0f, float(rrggbb >> 8 & 0xFF) / 255.0f, float(rrggbb & 0xFF) / 255.0f,
            alpha};
}

Colour mix(Colour a, Colour b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Colour shade(Colour c, float factor)
{
    return {std::min(c.r * factor, 1.0f), std::min(c.g * factor, 1.0f), std::min(c.b * factor, 1.0f), c.a};
}

Paint solid(Colour c)
{
    return [c](float, float) { return c; };
}

Paint vertical(float y0, Colour c0, float y1, Colour c1)
{
    return [=](float, float y) {
        const float t = y1 == y0 ? 0.0f : std::clamp((y - y0) / (y1 - y0), 0.0f, 1.0f);
        return mix(c0, c1, t);
    };
}

Canvas::Canvas(int width, int height, Colour fill)
    : m_width(width), m_height(height), m_pixels(size_t(width) * size_t(height), fill)
{
}

void Canvas::blend(int x, int y, Colour c, float coverage)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    const float a = std::clamp(c.a * coverage, 0.0f, 1.0f);
    if (a <= 0.0f)
        return;
    Colour& d = m_pixels[size_t(y) * size_t(m_width) + size_t(x)];
    const float out = a + d.a * (1.0f - a);
    const float keep = d.a * (1.0f - a);
    d.r = (c.r * a + d.r * keep) / out;
    d.g = (c.g * a + d.g * keep) / out;
    d.b = (c.b * a + d.b * keep) / out;
    d.a = out;
}

void Canvas::fillShape(float x0, float y0, float x1, float y1, const std::function<float(float, float)>& distance,
                       const Paint& paint)
{
    const int left = std::max(0, int(std::floor(x0)) - 1), right = std::min(m_width, int(std::ceil(x1)) + 1);
    const int top = std::max(0, int(std::floor(y0)) - 1), bottom = std::min(m_height, int(std::ceil(y1)) + 1);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            const float px = float(x) + 0.5f, py = float(y) + 0.5f;
            const float coverage = std::clamp(0.5f - distance(px, py), 0.0f, 1.0f);
            if (coverage > 0.0f)
                blend(x, y, paint(px, py), coverage);
        }
}

float roundRectDistance(float x, float y, float x0, float y0, float x1, float y1, float radius)
{
    const float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
    const float hx = (x1 - x0) * 0.5f - radius, hy = (y1 - y0) * 0.5f - radius;
    const float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

void Canvas::roundRect(float x0, float y0, float x1, float y1, float radius, const Paint& paint)
{
    fillShape(x0, y0, x1, y1, [=](float x, float y) { return roundRectDistance(x, y, x0, y0, x1, y1, radius); },
              paint);
}

void Canvas::roundRectEdge(float x0, float y0, float x1, float y1, float radius, float width, const Paint& paint)
{
    fillShape(x0, y0, x1, y1,
              [=](float x, float y) {
                  const float d = roundRectDistance(x, y, x0, y0, x1, y1, radius);
                  return std::max(d, -width - d);
              },
              paint);
}

void Canvas::circle(float cx, float cy, float r, const Paint& paint)
{
    fillShape(cx - r, cy - r, cx + r, cy + r, [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; },
              paint);
}

void Canvas::ellipse(float cx, float cy, float rx, float ry, const Paint& paint)
{
    const float scale = std::min(rx, ry);
    fillShape(cx - rx, cy - ry, cx + rx, cy + ry,
              [=](float x, float y) { return (std::hypot((x - cx) / rx, (y - cy) / ry) - 1.0f) * scale; }, paint);
}

void Canvas::ring(float cx, float cy, float r, float width, const Paint& paint)
{
    fillShape(cx - r, cy - r, cx + r, cy + r,
              [=](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - (r - width * 0.5f)) - width * 0.5f; },
              paint);
}

void Canvas::capsule(Point a, Point b, float radius, const Paint& paint)
{
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float length2 = dx * dx + dy * dy;
    fillShape(std::min(a.x, b.x) - radius, std::min(a.y, b.y) - radius, std::max(a.x, b.x) + radius,
              std::max(a.y, b.y) + radius,
              [=](float x, float y) {
                  const float t = length2 > 0 ? std::clamp(((x - a.x) * dx + (y - a.y) * dy) / length2, 0.0f, 1.0f) : 0;
                  return std::hypot(x - (a.x + dx * t), y - (a.y + dy * t)) - radius;
              },
              paint);
}

bool insidePolygon(const std::vector<Point>& corners, Point p)
{
    bool inside = false;
    for (size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
        const Point a = corners[i], b = corners[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

void Canvas::polygon(const std::vector<Point>& corners, const Paint& paint)
{
    if (corners.size() < 3)
        return;
    float x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0;
    for (const Point& p : corners) {
        x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
    }
    const int left = std::max(0, int(std::floor(x0))), right = std::min(m_width, int(std::ceil(x1)) + 1);
    const int top = std::max(0, int(std::floor(y0))), bottom = std::min(m_height, int(std::ceil(y1)) + 1);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    hits += insidePolygon(corners, {float(x) + (float(sx) + 0.5f) / 4.0f,
                                                    float(y) + (float(sy) + 0.5f) / 4.0f});
            if (hits)
                blend(x, y, paint(float(x) + 0.5f, float(y) + 0.5f), float(hits) / 16.0f);
        }
}

void Canvas::draw(const Canvas& src, int x, int y, float opacity)
{
    for (int sy = 0; sy < src.m_height; ++sy)
        for (int sx = 0; sx < src.m_width; ++sx)
            blend(x + sx, y + sy, src.at(sx, sy), opacity);
}

Canvas Canvas::shrink(int factor) const
{
    Canvas out(m_width / factor, m_height / factor);
    const float n = float(factor * factor);
    for (int y = 0; y < out.m_height; ++y)
        for (int x = 0; x < out.m_width; ++x) {
            // Averaged weighted by alpha, so transparent pixels lend no colour.
            float r = 0, g = 0, b = 0, a = 0;
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i) {
                    const Colour c = at(x * factor + i, y * factor + j);
                    r += c.r * c.a, g += c.g * c.a, b += c.b * c.a, a += c.a;
                }
            out.set(x, y, a > 0 ? Colour{r / a, g / a, b / a, a / n} : Colour{});
        }
    return out;
}

Canvas Canvas::greyed(float amount, float brightness) const
{
    Canvas out = *this;
    for (Colour& c : out.m_pixels) {
        const float grey = (c.r * 0.3f + c.g * 0.59f + c.b * 0.11f) * brightness;
        c = {c.r + (grey - c.r) * amount, c.g + (grey - c.g) * amount, c.b + (grey - c.b) * amount, c.a};
    }
    return out;
}

void Canvas::bleedEdges(int passes)
{
    for (int pass = 0; pass < passes; ++pass) {
        std::vector<Colour> next = m_pixels;
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) {
                if (at(x, y).a > 0.0f)
                    continue;
                float r = 0, g = 0, b = 0, n = 0;
                for (int j = -1; j <= 1; ++j)
                    for (int i = -1; i <= 1; ++i) {
                        const int nx = x + i, ny = y + j;
                        if (nx < 0 || ny < 0 || nx >= m_width || ny >= m_height)
                            continue;
                        const Colour c = at(nx, ny);
                        // Drawn pixels, and those an earlier pass gave a colour.
                        if (c.a > 0.0f || c.r + c.g + c.b > 0.0f)
                            r += c.r, g += c.g, b += c.b, n += 1;
                    }
                if (n > 0)
                    next[size_t(y) * size_t(m_width) + size_t(x)] = {r / n, g / n, b / n, 0.0f};
            }
        m_pixels.swap(next);
    }
}

std::vector<uint8_t> Canvas::rgba8() const
{
    std::vector<uint8_t> out;
    out.reserve(m_pixels.size() * 4);
    for (const Colour& c : m_pixels)
        for (float v : {c.r, c.g, c.b, c.a})
            out.push_back(uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)));
    return out;
}

bool Canvas::savePng(const std::string& path) const
{
    const std::vector<uint8_t> png = writePng(m_width, m_height, rgba8());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    return !png.empty() && bool(out);
}
