#include "tools/kartdata/Shapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

Vec cross(Vec a, Vec b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float dot(Vec a, Vec b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Place Place::at(Vec t)
{
    Place p;
    p.t = t;
    return p;
}

Place Place::turn(int axis, float radians)
{
    // The rows are the images of the axes, as in the engine's axis turns.
    const float c = std::cos(radians), s = std::sin(radians);
    Place p;
    if (axis == 0)
        p.m = {1, 0, 0, 0, c, s, 0, -s, c};
    else if (axis == 1)
        p.m = {c, 0, -s, 0, 1, 0, s, 0, c};
    else
        p.m = {c, s, 0, -s, c, 0, 0, 0, 1};
    return p;
}

Place Place::scale(Vec s)
{
    Place p;
    p.m = {s.x, 0, 0, 0, s.y, 0, 0, 0, s.z};
    return p;
}

Place Place::axes(Vec u, Vec v, Vec w, Vec t)
{
    Place p;
    p.m = {u.x, u.y, u.z, v.x, v.y, v.z, w.x, w.y, w.z};
    p.t = t;
    return p;
}

Place Place::operator*(const Place& then) const
{
    Place out;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out.m[size_t(r * 3 + c)] = m[size_t(r * 3)] * then.m[size_t(c)] +
                                       m[size_t(r * 3 + 1)] * then.m[size_t(3 + c)] +
                                       m[size_t(r * 3 + 2)] * then.m[size_t(6 + c)];
    out.t = then.apply(t);
    return out;
}

Vec Place::apply(Vec p) const
{
    return {p.x * m[0] + p.y * m[3] + p.z * m[6] + t.x, p.x * m[1] + p.y * m[4] + p.z * m[7] + t.y,
            p.x * m[2] + p.y * m[5] + p.z * m[8] + t.z};
}

bool Place::mirrors() const
{
    const Vec x{m[0], m[1], m[2]}, y{m[3], m[4], m[5]}, z{m[6], m[7], m[8]};
    return dot(cross(x, y), z) < 0.0f;
}

uint32_t Mesh::add(Vec p)
{
    points.push_back(p);
    return uint32_t(points.size() - 1);
}

void Mesh::polygon(std::vector<uint32_t> corners, bool flip)
{
    if (flip)
        std::reverse(corners.begin() + 1, corners.end());
    polygons.push_back({std::move(corners), m_surface});
}

Mesh& Mesh::box(Vec lo, Vec hi, const Place& place)
{
    return taperedBox(lo, hi, 0.0f, 0.0f, place);
}

Mesh& Mesh::taperedBox(Vec lo, Vec hi, float taperX, float taperZ, const Place& place)
{
    // Corner i: x from bit 0, y from bit 1, z from bit 2; the top four are
    // drawn in by the taper.
    uint32_t c[8];
    for (int i = 0; i < 8; ++i) {
        const bool top = i & 2;
        Vec p{i & 1 ? hi.x : lo.x, top ? hi.y : lo.y, i & 4 ? hi.z : lo.z};
        if (top) {
            p.x += i & 1 ? -taperX : taperX;
            p.z += i & 4 ? -taperZ : taperZ;
        }
        c[i] = add(place.apply(p));
    }
    static const int faces[6][4] = {{2, 6, 7, 3}, {0, 1, 5, 4}, {1, 3, 7, 5},
                                    {0, 4, 6, 2}, {5, 7, 6, 4}, {0, 2, 3, 1}};
    const bool flip = place.mirrors();
    const size_t first = polygons.size();
    for (const auto& f : faces)
        polygon({c[f[0]], c[f[1]], c[f[2]], c[f[3]]}, flip);
    return checked(first);
}

Mesh& Mesh::lathe(const std::vector<Ring>& profile, int segments, const Place& place,
                  const std::vector<uint16_t>& bands)
{
    return revolve(profile, segments, place, bands, false);
}

Mesh& Mesh::ring(const std::vector<Ring>& loop, int segments, const Place& place)
{
    return revolve(loop, segments, place, {}, true);
}

Mesh& Mesh::revolve(const std::vector<Ring>& profile, int segments, const Place& place,
                    const std::vector<uint16_t>& bands, bool loop)
{
    if (profile.size() < 2 || segments < 3)
        return *this;
    const bool flip = place.mirrors();
    const uint16_t own = m_surface;
    const size_t first = polygons.size();
    // One point for a ring on the axis, `segments` for any other.
    std::vector<std::vector<uint32_t>> rings;
    for (const Ring& ring : profile) {
        std::vector<uint32_t> ids;
        if (ring.r <= 0.0f) {
            ids.assign(size_t(segments), add(place.apply({0.0f, ring.h, 0.0f})));
        } else {
            for (int k = 0; k < segments; ++k) {
                const float a = 2.0f * std::numbers::pi_v<float> * float(k) / float(segments);
                ids.push_back(add(place.apply({ring.r * std::cos(a), ring.h, ring.r * std::sin(a)})));
            }
        }
        rings.push_back(std::move(ids));
    }
    auto band = [&](size_t i) { return i < bands.size() ? bands[i] : own; };
    // Caps: the bottom faces down, the top up.
    if (!loop && profile.front().r > 0.0f) {
        m_surface = band(0);
        polygon(rings.front(), flip);
    }
    const size_t spans = loop ? rings.size() : rings.size() - 1;
    for (size_t i = 0; i < spans; ++i) {
        m_surface = band(i);
        const size_t next = (i + 1) % rings.size();
        const std::vector<uint32_t>& a = rings[i];
        const std::vector<uint32_t>& b = rings[next];
        for (int k = 0; k < segments; ++k) {
            const size_t k1 = size_t((k + 1) % segments);
            const size_t k0 = size_t(k);
            if (profile[i].r <= 0.0f)
                polygon({a[k0], b[k0], b[k1]}, flip);
            else if (profile[next].r <= 0.0f)
                polygon({a[k0], b[k0], a[k1]}, flip);
            else
                polygon({a[k0], b[k0], b[k1], a[k1]}, flip);
        }
    }
    if (!loop && profile.back().r > 0.0f) {
        m_surface = band(rings.size() - 2);
        std::vector<uint32_t> top(rings.back().rbegin(), rings.back().rend());
        polygon(top, flip);
    }
    m_surface = own;
    return checked(first);
}

Mesh& Mesh::ellipsoid(Vec radii, int segments, int rings, const Place& place)
{
    std::vector<Ring> profile;
    for (int i = 0; i <= rings; ++i) {
        const float a = std::numbers::pi_v<float> * float(i) / float(rings);
        profile.push_back({i == 0 || i == rings ? 0.0f : std::sin(a), -std::cos(a)});
    }
    return lathe(profile, segments, Place::scale(radii) * place);
}

Mesh& Mesh::cylinder(float radius, float length, int segments, const Place& place)
{
    return lathe({{radius, -0.5f * length}, {radius, 0.5f * length}}, segments, place);
}

Mesh& Mesh::prism(const std::vector<Flat>& outline, float z0, float z1, const Place& place)
{
    const size_t n = outline.size();
    if (n < 3)
        return *this;
    const bool flip = place.mirrors();
    const size_t first = polygons.size();
    std::vector<uint32_t> back, front;
    for (const Flat& f : outline) {
        back.push_back(add(place.apply({f.u, f.v, z0})));
        front.push_back(add(place.apply({f.u, f.v, z1})));
    }
    // Counter-clockwise seen from +Z faces +Z: the z1 end keeps the order,
    // the z0 end turns it round, and so do the sides.
    polygon(front, flip);
    polygon(back, !flip);
    for (size_t i = 0; i < n; ++i) {
        const size_t j = (i + 1) % n;
        polygon({back[i], front[i], front[j], back[j]}, !flip);
    }
    return checked(first);
}

bool Mesh::rodFrame(Vec from, Vec to, Place& frame, float& length)
{
    const Vec d = to - from;
    length = std::sqrt(dot(d, d));
    if (length <= 0.0f)
        return false;
    const Vec y = d * (1.0f / length);
    const Vec helper = std::fabs(y.y) < 0.9f ? Vec{0, 1, 0} : Vec{1, 0, 0};
    Vec x = cross(helper, y);
    x = x * (1.0f / std::sqrt(dot(x, x)));
    frame = Place::axes(x, y, cross(x, y), from + d * 0.5f);
    return true;
}

Mesh& Mesh::rod(Vec from, Vec to, float radius, int segments)
{
    Place frame;
    float length = 0.0f;
    return rodFrame(from, to, frame, length) ? cylinder(radius, length, segments, frame) : *this;
}

Mesh& Mesh::capsule(Vec from, Vec to, float radius, int segments)
{
    Place frame;
    float length = 0.0f;
    if (!rodFrame(from, to, frame, length))
        return ellipsoid({radius, radius, radius}, segments, segments / 2 + 1, Place::at(from));
    // Quarter circles of four steps close both ends.
    std::vector<Ring> profile{{0.0f, -0.5f * length - radius}};
    for (int i = 1; i <= 4; ++i) {
        const float a = 0.5f * std::numbers::pi_v<float> * float(i) / 4.0f;
        profile.push_back({radius * std::sin(a), -0.5f * length - radius * std::cos(a)});
    }
    for (int i = 4; i >= 1; --i) {
        const float a = 0.5f * std::numbers::pi_v<float> * float(i) / 4.0f;
        profile.push_back({radius * std::sin(a), 0.5f * length + radius * std::cos(a)});
    }
    profile.push_back({0.0f, 0.5f * length + radius});
    return lathe(profile, segments, frame);
}

Mesh& Mesh::face(const std::vector<Vec>& corners)
{
    std::vector<uint32_t> ids;
    for (const Vec& c : corners)
        ids.push_back(add(c));
    polygon(ids, false);
    return *this;
}

Mesh& Mesh::checked(size_t first)
{
    // Solids are built closed: one that encloses a negative volume was
    // wound inside out.
    if (signedVolume(first) < -1e-9)
        ++m_insideOut;
    return *this;
}

Mesh& Mesh::shift(Vec by)
{
    for (Vec& p : points)
        p = p + by;
    return *this;
}

size_t Mesh::triangleCount() const
{
    size_t n = 0;
    for (const Polygon& p : polygons)
        n += p.corners.size() >= 3 ? p.corners.size() - 2 : 0;
    return n;
}

double Mesh::signedVolume(size_t firstPolygon) const
{
    double sum = 0.0;
    for (size_t i = firstPolygon; i < polygons.size(); ++i) {
        const std::vector<uint32_t>& c = polygons[i].corners;
        for (size_t k = 1; k + 1 < c.size(); ++k)
            sum += dot(points[c[0]], cross(points[c[k]], points[c[k + 1]]));
    }
    return sum;
}

std::array<float, 3> rgb(uint32_t colour)
{
    return {float(colour >> 16 & 0xFF) / 255.0f, float(colour >> 8 & 0xFF) / 255.0f, float(colour & 0xFF) / 255.0f};
}
