#include "engine/core/geometry/PolygonTriangulator.h"

#include <cmath>
#include <list>

namespace PolygonOps {

namespace {

struct Plane {
    int u = 0;
    int v = 1;
    double sign = 1.0;
};

double component(const Vector3& p, int axis)
{
    return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
}

// The plane comes from the whole outline (Newell's normal), not from one
// corner: a polygon whose first corner is reflex still gets its true sense.
Plane projectionPlane(const Vector3* points, const uint32_t* polygon, uint32_t count)
{
    double nx = 0.0, ny = 0.0, nz = 0.0;
    for (uint32_t i = 0; i < count; ++i) {
        const Vector3& a = points[polygon[i]];
        const Vector3& b = points[polygon[(i + 1) % count]];
        nx += (double(a.y) - b.y) * (double(a.z) + b.z);
        ny += (double(a.z) - b.z) * (double(a.x) + b.x);
        nz += (double(a.x) - b.x) * (double(a.y) + b.y);
    }
    Plane plane;
    if (std::fabs(nx) >= std::fabs(ny) && std::fabs(nx) >= std::fabs(nz)) {
        plane = {1, 2, nx > 0 ? 1.0 : -1.0};
    } else if (std::fabs(ny) >= std::fabs(nz)) {
        plane = {0, 2, ny <= 0 ? 1.0 : -1.0};
    } else {
        plane = {0, 1, nz > 0 ? 1.0 : -1.0};
    }
    return plane;
}

double turn(const Plane& plane, const Vector3& p, const Vector3& q, const Vector3& r)
{
    const double qu = component(q, plane.u) - component(p, plane.u), qv = component(q, plane.v) - component(p, plane.v);
    const double ru = component(r, plane.u) - component(p, plane.u), rv = component(r, plane.v) - component(p, plane.v);
    return (qu * rv - qv * ru) * plane.sign;
}

bool inside(const Plane& plane, const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& p)
{
    // In the projection plane: p is inside (or on an edge) when it lies on
    // the inner side of all three edges.
    return turn(plane, a, b, p) >= 0.0 && turn(plane, b, c, p) >= 0.0 && turn(plane, c, a, p) >= 0.0;
}

} // namespace

Vector3 computeFaceNormal(const Vector3* points, const uint32_t* polygon, uint32_t count)
{
    if (count < 3)
        return Vector3();
    const Vector3& p0 = points[polygon[0]];
    const Vector3& p1 = points[polygon[1]];
    const Vector3& p2 = points[polygon[2]];
    const Vector3 a = p0 - p1, b = p2 - p1;
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

std::array<double, 3> barycentric(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& p)
{
    auto cross = [](const Vector3& u, const Vector3& v) {
        return std::array<double, 3>{double(u.y) * v.z - double(u.z) * v.y, double(u.z) * v.x - double(u.x) * v.z,
                                     double(u.x) * v.y - double(u.y) * v.x};
    };
    auto length = [](const std::array<double, 3>& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); };
    const auto n = cross(b - a, c - a);
    const double area = length(n);
    if (area == 0.0)
        return {0.0, 0.0, 0.0};
    const Vector3* corners[3] = {&a, &b, &c};
    std::array<double, 3> out{};
    for (int i = 0; i < 3; ++i) {
        const Vector3& u = *corners[(i + 1) % 3];
        const Vector3& v = *corners[(i + 2) % 3];
        const auto s = cross(u - p, v - p);
        const double dot = s[0] * n[0] + s[1] * n[1] + s[2] * n[2];
        out[size_t(i)] = (dot >= 0.0 ? 1.0 : -1.0) * length(s) / area;
    }
    return out;
}

std::vector<Triangle> triangulate(const Vector3* points, const uint32_t* polygon, uint32_t count)
{
    std::vector<Triangle> triangles;
    if (count < 3)
        return triangles;
    if (count == 3) {
        triangles.push_back({0, 1, 2});
        return triangles;
    }
    triangles.reserve(count - 2);
    const Plane plane = projectionPlane(points, polygon, count);
    std::vector<uint32_t> ring(count);
    for (uint32_t i = 0; i < count; ++i)
        ring[i] = i;
    auto at = [&](uint32_t corner) -> const Vector3& { return points[polygon[corner]]; };
    auto isEar = [&](size_t i) {
        const size_t n = ring.size();
        const uint32_t a = ring[(i + n - 1) % n], b = ring[i], c = ring[(i + 1) % n];
        if (turn(plane, at(a), at(b), at(c)) <= 0.0)
            return false;
        for (size_t k = 0; k < n; ++k) {
            const uint32_t other = ring[k];
            if (other == a || other == b || other == c)
                continue;
            // Only corners that turn the other way can reach into an ear.
            const uint32_t before = ring[(k + n - 1) % n], after = ring[(k + 1) % n];
            if (turn(plane, at(before), at(other), at(after)) > 0.0)
                continue;
            if (inside(plane, at(a), at(b), at(c), at(other)))
                return false;
        }
        return true;
    };
    // Each round cuts one corner, so the loop ends after count - 3 rounds
    // whatever the outline looks like. Ears are looked for from where the
    // last one was cut, which for a convex outline gives a fan from the
    // first corner.
    size_t from = 1;
    while (ring.size() > 3) {
        const size_t n = ring.size();
        size_t cut = n;
        for (size_t step = 0; step < n && cut == n; ++step) {
            const size_t i = (from + step) % n;
            if (isEar(i))
                cut = i;
        }
        if (cut == n) {
            // Crossed or flat outline: no true ear is left. Cut the first
            // corner that at least turns the right way, else any.
            for (size_t i = 0; i < n && cut == n; ++i)
                if (turn(plane, at(ring[(i + n - 1) % n]), at(ring[i]), at(ring[(i + 1) % n])) > 0.0)
                    cut = i;
            if (cut == n)
                cut = 1;
        }
        triangles.push_back({ring[(cut + n - 1) % n], ring[cut], ring[(cut + 1) % n]});
        ring.erase(ring.begin() + std::ptrdiff_t(cut));
        from = cut == 0 ? 0 : cut - 1;
        if (from == 0 && ring.size() > 3)
            from = 1;
    }
    triangles.push_back({ring[1], ring[2], ring[0]});
    return triangles;
}

} // namespace PolygonOps
