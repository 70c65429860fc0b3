#include "engine/scene/Antiportal.h"

#include "engine/core/math/BoundingBox.h"
#include "engine/core/base/EngineLog.h"

#include <cstring>
#include <ostream>

namespace {

Vector3 cross(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// (x, y, w) of the row vector (c, 1) times m: the clip-space position with
// the depth dropped, so that the eye sits at the origin.
Vector3 toClip(const Vector3& c, const Matrix4& m)
{
    auto column = [&](int k) { return c.x * m.at(0, k) + c.y * m.at(1, k) + c.z * m.at(2, k) + m.at(3, k); };
    return {column(0), column(1), column(3)};
}

// The sides run round the rectangle: c0-c2, c3-c1, c2-c3 and c1-c0, so that
// each cross product taken from the eye points into the volume when the eye
// is on the front side.
constexpr int kSides[4][2] = {{0, 2}, {3, 1}, {2, 3}, {1, 0}};

} // namespace

Antiportal::Antiportal(Scene* scene) : MeshObject(scene)
{
    m_portalPlanes = std::make_unique<float[]>(12);
    std::memset(m_portalPlanes.get(), 0, 12 * sizeof(float));
}

void Antiportal::initialize()
{
    MeshObject::initialize();
    BoundingBox* mesh = firstLodMesh();
    if (!mesh)
        return;
    // Corner i of a box takes max.x for bit 2, max.y for bit 1, max.z for bit 0.
    const Vector3 lo = mesh->m_corners[0];
    const Vector3 hi = mesh->m_corners[7];
    Vector3 c[4];
    if (lo.x == hi.x) {
        c[0] = {lo.x, lo.y, lo.z}, c[1] = {lo.x, hi.y, lo.z}, c[2] = {lo.x, lo.y, hi.z}, c[3] = {lo.x, hi.y, hi.z};
    } else if (lo.y == hi.y) {
        c[0] = {lo.x, lo.y, lo.z}, c[1] = {hi.x, lo.y, lo.z}, c[2] = {lo.x, lo.y, hi.z}, c[3] = {hi.x, lo.y, hi.z};
    } else if (lo.z == hi.z) {
        c[0] = {lo.x, lo.y, lo.z}, c[1] = {hi.x, lo.y, lo.z}, c[2] = {lo.x, hi.y, lo.z}, c[3] = {hi.x, hi.y, lo.z};
    } else {
        engineLog() << "Antiportal " << m_name << ":" << mesh->m_name << " is not axisaligned!\n";
        return;
    }
    for (int i = 0; i < 4; ++i)
        m_corners[i] = c[i];

    // The front is the side the occluder's first polygon faces; a mesh that
    // hands out no triangles is seen from the positive axis.
    const Vector3 gridNormal = cross(c[1] - c[0], c[2] - c[0]);
    Vector3 faceNormal = lo.x == hi.x ? Vector3{1, 0, 0} : lo.y == hi.y ? Vector3{0, 1, 0} : Vector3{0, 0, 1};
    std::vector<float> points;
    std::vector<uint32_t> triangles;
    if (mesh->copyTriangles(points, triangles) && triangles.size() >= 3) {
        auto point = [&](uint32_t i) {
            return 3 * size_t(i) + 2 < points.size() ? Vector3{points[3 * i], points[3 * i + 1], points[3 * i + 2]}
                                                      : Vector3{};
        };
        const Vector3 a = point(triangles[0]), b = point(triangles[1]), d = point(triangles[2]);
        const Vector3 n = cross(b - a, d - a);
        if (dot(n, n) > 0.0f)
            faceNormal = n;
    }
    m_orientation = dot(gridNormal, faceNormal) < 0.0f ? -1.0f : 1.0f;
}

bool Antiportal::updatePlanes(const Matrix4& m)
{
    Vector3 q[4];
    for (int i = 0; i < 4; ++i)
        q[i] = toClip(m_corners[i], m);
    m_apex = {};
    for (int s = 0; s < 4; ++s) {
        Vector3 n = cross(q[kSides[s][0]] - m_apex, q[kSides[s][1]] - m_apex) * m_orientation;
        n.normalize();
        std::memcpy(m_portalPlanes.get() + 3 * s, &n, sizeof(float) * 3);
    }
    m_planeNormal = cross(q[1] - q[0], q[2] - q[0]) * m_orientation;
    m_planePoint = q[0];
    return dot(m_apex - m_planePoint, m_planeNormal) > 1e-6f;
}

bool Antiportal::occludesPoint(const float clip[4]) const
{
    const Vector3 p{clip[0], clip[1], clip[3]};
    for (int s = 0; s < 4; ++s) {
        const float* n = m_portalPlanes.get() + 3 * s;
        if (dot({n[0], n[1], n[2]}, p - m_apex) <= 0.0f)
            return false;
    }
    return dot(p - m_planePoint, m_planeNormal) < 0.0f;
}

bool Antiportal::occludesBox(const float corners[32]) const
{
    for (int i = 0; i < 8; ++i) {
        if (!occludesPoint(corners + 4 * i))
            return false;
    }
    return true;
}
