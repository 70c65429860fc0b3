#pragma once
// An RGBA picture with anti-aliased drawing, for the GUI's pictures. Shapes
// are given by their signed distance (negative inside, in pixels), so every
// edge gets one pixel of coverage ramp; polygons are sampled 4 x 4 per pixel.
// Colours are straight (not premultiplied) alpha, 0..1.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Colour {
    float r = 0, g = 0, b = 0, a = 0;
};

// 0xRRGGBB with an alpha.
Colour rgb(uint32_t rrggbb, float alpha = 1.0f);
// a + (b - a) * t, channel by channel.
Colour mix(Colour a, Colour b, float t);
// The colour with every channel scaled (alpha kept), clamped to 1.
Colour shade(Colour c, float factor);

struct Point {
    float x, y;
};

// What a shape is filled with, asked per pixel centre.
using Paint = std::function<Colour(float x, float y)>;
Paint solid(Colour c);
// From c0 at y0 to c1 at y1, constant beyond.
Paint vertical(float y0, Colour c0, float y1, Colour c1);

class Canvas {
public:
    Canvas(int width, int height, Colour fill = {});

    int width() const { return m_width; }
    int height() const { return m_height; }
    Colour at(int x, int y) const { return m_pixels[size_t(y) * size_t(m_width) + size_t(x)]; }
    void set(int x, int y, Colour c) { m_pixels[size_t(y) * size_t(m_width) + size_t(x)] = c; }

    // Lays c over the pixel with the coverage as extra opacity.
    void blend(int x, int y, Colour c, float coverage);
    // Fills where the distance function is below 0 within the bounds.
    void fillShape(float x0, float y0, float x1, float y1, const std::function<float(float, float)>& distance,
                   const Paint& paint);

    void roundRect(float x0, float y0, float x1, float y1, float radius, const Paint& paint);
    // A band of the width just inside the rounded rectangle's edge.
    void roundRectEdge(float x0, float y0, float x1, float y1, float radius, float width, const Paint& paint);
    void circle(float cx, float cy, float r, const Paint& paint);
    void ellipse(float cx, float cy, float rx, float ry, const Paint& paint);
    void ring(float cx, float cy, float r, float width, const Paint& paint);
    // A line with round ends.
    void capsule(Point a, Point b, float radius, const Paint& paint);
    void polygon(const std::vector<Point>& corners, const Paint& paint);

    // Lays src over this picture with its top left at (x, y).
    void draw(const Canvas& src, int x, int y, float opacity = 1.0f);
    // The average of every factor x factor block.
    Canvas shrink(int factor) const;
    // A grey copy, each colour pulled towards its brightness by amount.
    Canvas greyed(float amount, float brightness) const;
    // Gives the fully transparent pixels next to drawn ones the colour of
    // their drawn neighbours, so a filtered stretch shows no dark fringe.
    void bleedEdges(int passes = 2);

    std::vector<uint8_t> rgba8() const;
    bool savePng(const std::string& path) const;

private:
    int m_width, m_height;
    std::vector<Colour> m_pixels;
};

// Signed distances, negative inside.
float roundRectDistance(float x, float y, float x0, float y0, float x1, float y1, float radius);
bool insidePolygon(const std::vector<Point>& corners, Point p);
