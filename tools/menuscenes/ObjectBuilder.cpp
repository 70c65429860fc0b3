#include "tools/menuscenes/ObjectBuilder.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;

Vec3 sub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

} // namespace

uint16_t ObjectBuilder::surface(const std::string& name, const Look& look)
{
    const auto it = std::find(m_names.begin(), m_names.end(), name);
    if (it != m_names.end())
        return uint16_t(it - m_names.begin());
    m_names.push_back(name);
    m_looks.push_back(look);
    return uint16_t(m_names.size() - 1);
}

void ObjectBuilder::place(Vec3 offset, float heading, float pitch, float bank, Vec3 scale, Vec3 pivot)
{
    const float ch = std::cos(heading), sh = std::sin(heading), cp = std::cos(pitch), sp = std::sin(pitch);
    const float cb = std::cos(bank), sb = std::sin(bank);
    // Heading * bank * pitch * scale, as rows.
    const float pitchM[3][3] = {{1, 0, 0}, {0, cp, -sp}, {0, sp, cp}};
    const float bankM[3][3] = {{cb, -sb, 0}, {sb, cb, 0}, {0, 0, 1}};
    const float headingM[3][3] = {{ch, 0, sh}, {0, 1, 0}, {-sh, 0, ch}};
    auto multiply = [](const float a[3][3], const float b[3][3], float out[3][3]) {
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                out[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c];
    };
    float bp[3][3], hbp[3][3];
    multiply(bankM, pitchM, bp);
    multiply(headingM, bp, hbp);
    const float s[3] = {scale.x, scale.y, scale.z};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m_matrix[r][c] = hbp[r][c] * s[c];
    m_pivot = pivot;
    m_offset = offset;
}

Vec3 ObjectBuilder::turn(Vec3 v) const
{
    return {m_matrix[0][0] * v.x + m_matrix[0][1] * v.y + m_matrix[0][2] * v.z,
            m_matrix[1][0] * v.x + m_matrix[1][1] * v.y + m_matrix[1][2] * v.z,
            m_matrix[2][0] * v.x + m_matrix[2][1] * v.y + m_matrix[2][2] * v.z};
}

Vec3 ObjectBuilder::transform(Vec3 p) const
{
    const Vec3 t = turn(sub(p, m_pivot));
    return {t.x + m_pivot.x + m_offset.x, t.y + m_pivot.y + m_offset.y, t.z + m_pivot.z + m_offset.z};
}

uint32_t ObjectBuilder::point(Vec3 p)
{
    m_points.push_back({p.x, p.y, p.z});
    return uint32_t(m_points.size() - 1);
}

void ObjectBuilder::face(uint16_t surface, std::vector<Vec3> corners, Vec3 outward)
{
    if (corners.size() < 3)
        return;
    // A normal is carried by the inverse transpose; the turns are
    // orthonormal, so dividing by the scale on each axis is enough.
    const Vec3 c0 = transform({0, 0, 0});
    for (Vec3& c : corners)
        c = transform(c);
    Vec3 inverseScaled{outward.x, outward.y, outward.z};
    {
        const Vec3 ex = turn({1, 0, 0}), ey = turn({0, 1, 0}), ez = turn({0, 0, 1});
        const float sx = dot(ex, ex), sy = dot(ey, ey), sz = dot(ez, ez);
        inverseScaled = {outward.x / (sx > 0 ? sx : 1), outward.y / (sy > 0 ? sy : 1), outward.z / (sz > 0 ? sz : 1)};
    }
    outward = sub(transform(inverseScaled), c0);
    // The writer's faces show where (p1 - p0) x (p2 - p0) points.
    Vec3 normal{0, 0, 0};
    for (size_t i = 1; i + 1 < corners.size(); ++i) {
        const Vec3 n = cross(sub(corners[i], corners[0]), sub(corners[i + 1], corners[0]));
        normal = {normal.x + n.x, normal.y + n.y, normal.z + n.z};
    }
    if (dot(normal, outward) < 0.0f)
        std::reverse(corners.begin(), corners.end());
    std::vector<uint32_t> polygon;
    for (const Vec3& c : corners)
        polygon.push_back(point(c));
    m_polygons.push_back(polygon);
    m_tags.push_back(surface);
}

void ObjectBuilder::box(uint16_t surface, Vec3 lo, Vec3 hi)
{
    block(surface, {(lo.x + hi.x) * 0.5f, lo.y, (lo.z + hi.z) * 0.5f}, {hi.x - lo.x, hi.y - lo.y, hi.z - lo.z});
}

void ObjectBuilder::block(uint16_t surface, Vec3 base, Vec3 size, float heading)
{
    const float c = std::cos(heading), s = std::sin(heading);
    auto at = [&](float x, float y, float z) {
        return Vec3{base.x + x * c + z * s, base.y + y, base.z - x * s + z * c};
    };
    const float hx = size.x * 0.5f, hz = size.z * 0.5f, h = size.y;
    const Vec3 corners[8] = {at(-hx, 0, -hz), at(hx, 0, -hz), at(hx, 0, hz), at(-hx, 0, hz),
                             at(-hx, h, -hz), at(hx, h, -hz), at(hx, h, hz), at(-hx, h, hz)};
    const Vec3 centre = at(0, h * 0.5f, 0);
    const int faces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
    for (const auto& f : faces) {
        std::vector<Vec3> quad;
        Vec3 middle{0, 0, 0};
        for (int i : f) {
            quad.push_back(corners[i]);
            middle = {middle.x + corners[i].x * 0.25f, middle.y + corners[i].y * 0.25f, middle.z + corners[i].z * 0.25f};
        }
        face(surface, quad, sub(middle, centre));
    }
}

void ObjectBuilder::lathe(uint16_t surface, Vec3 base, const std::vector<std::array<float, 2>>& profile, int segments)
{
    for (size_t k = 0; k + 1 < profile.size(); ++k) {
        const float r0 = profile[k][0], y0 = profile[k][1], r1 = profile[k + 1][0], y1 = profile[k + 1][1];
        for (int i = 0; i < segments; ++i) {
            const float a0 = 2.0f * kPi * float(i) / float(segments), a1 = 2.0f * kPi * float(i + 1) / float(segments);
            const float am = (a0 + a1) * 0.5f;
            // Outwards is across the profile: away from the axis as it
            // rises, up where it turns inwards (a rim), down where it widens.
            const Vec3 radial{std::cos(am), 0.0f, std::sin(am)};
            const Vec3 out{radial.x * (y1 - y0), -(r1 - r0), radial.z * (y1 - y0)};
            std::vector<Vec3> quad = {{base.x + r0 * std::cos(a0), base.y + y0, base.z + r0 * std::sin(a0)},
                                      {base.x + r0 * std::cos(a1), base.y + y0, base.z + r0 * std::sin(a1)},
                                      {base.x + r1 * std::cos(a1), base.y + y1, base.z + r1 * std::sin(a1)},
                                      {base.x + r1 * std::cos(a0), base.y + y1, base.z + r1 * std::sin(a0)}};
            // A point of the profile on the axis closes the quad to a triangle.
            if (r0 <= 0.0f)
                quad.erase(quad.begin());
            else if (r1 <= 0.0f)
                quad.pop_back();
            face(surface, quad, out);
        }
    }
}

void ObjectBuilder::cylinder(uint16_t surface, Vec3 base, float r0, float r1, float height, int segments)
{
    lathe(surface, base, {{0.0f, 0.0f}, {r0, 0.0f}, {r1, height}, {0.0f, height}}, segments);
}

void ObjectBuilder::sphere(uint16_t surface, Vec3 centre, float radius, int segments)
{
    std::vector<std::array<float, 2>> profile;
    const int rings = std::max(2, segments / 2);
    for (int i = 0; i <= rings; ++i) {
        const float a = -kPi * 0.5f + kPi * float(i) / float(rings);
        profile.push_back({radius * std::cos(a), radius * std::sin(a)});
    }
    profile.front()[0] = 0.0f;
    profile.back()[0] = 0.0f;
    lathe(surface, centre, profile, segments);
}

std::vector<uint8_t> ObjectBuilder::finish() const
{
    Lwo2Writer w;
    w.tags(m_names);
    w.layer(0);
    w.points(m_points);
    w.polygons(m_polygons);
    w.polygonTags(m_tags);
    for (size_t s = 0; s < m_names.size(); ++s) {
        const Look& look = m_looks[s];
        Lwo2Surface surface;
        surface.name = m_names[s];
        surface.color = look.colour;
        surface.values = {{"DIFF", look.diffuse}, {Lwo2Specularity, look.specular}};
        if (look.luminosity > 0.0f)
            surface.values.push_back({"LUMI", look.luminosity});
        if (look.bothSides)
            surface.sides = 3;
        w.surface(surface);
    }
    return w.finish();
}
