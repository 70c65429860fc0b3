#include "tools/trackgen/Mesh.h"

#include <map>
#include <utility>

namespace track {

void Mesh::triangle(uint16_t material, const MeshVertex& a, const MeshVertex& b, const MeshVertex& c)
{
    m_polygons.push_back({material, 3, uint32_t(m_vertices.size())});
    m_vertices.insert(m_vertices.end(), {a, b, c});
}

void Mesh::quad(uint16_t material, const MeshVertex& a, const MeshVertex& b, const MeshVertex& c,
                const MeshVertex& d)
{
    m_polygons.push_back({material, 4, uint32_t(m_vertices.size())});
    m_vertices.insert(m_vertices.end(), {a, b, c, d});
}

void Mesh::append(const Mesh& other, const Vector3& at, float heading, float scale)
{
    const float c = std::cos(heading), s = std::sin(heading);
    const uint32_t base = uint32_t(m_vertices.size());
    for (MeshVertex v : other.m_vertices) {
        const Vector3 p = v.p * scale;
        // Heading turns +z towards +x, as in scene files.
        v.p = Vector3(p.x * c + p.z * s, p.y, -p.x * s + p.z * c) + at;
        m_vertices.push_back(v);
    }
    for (Polygon p : other.m_polygons) {
        p.first += base;
        m_polygons.push_back(p);
    }
}

size_t Mesh::triangleCount() const
{
    size_t n = 0;
    for (const Polygon& p : m_polygons)
        n += p.count - 2u;
    return n;
}

Vector3 Mesh::centroid(const Polygon& polygon) const
{
    Vector3 sum;
    for (uint32_t i = 0; i < polygon.count; ++i)
        sum = sum + m_vertices[polygon.first + i].p;
    return sum * (1.0f / float(polygon.count));
}

std::vector<Mesh> Mesh::splitIntoTiles(float size, float x0, float z0, float x1, float z1) const
{
    const int columns = std::max(1, int(std::lround((x1 - x0) / size)));
    const int rows = std::max(1, int(std::lround((z1 - z0) / size)));
    std::map<std::pair<int, int>, Mesh> cells;
    for (const Polygon& p : m_polygons) {
        const Vector3 c = centroid(p);
        std::pair<int, int> key;
        if (c.x < x0)
            key = {-1, 0};
        else if (c.x >= x1)
            key = {-1, 1};
        else if (c.z < z0)
            key = {-1, 2};
        else if (c.z >= z1)
            key = {-1, 3};
        else
            key = {std::min(rows - 1, int((c.z - z0) / (z1 - z0) * float(rows))),
                   std::min(columns - 1, int((c.x - x0) / (x1 - x0) * float(columns)))};
        Mesh& cell = cells[key];
        cell.m_polygons.push_back({p.material, p.count, uint32_t(cell.m_vertices.size())});
        cell.m_vertices.insert(cell.m_vertices.end(), m_vertices.begin() + p.first,
                               m_vertices.begin() + p.first + p.count);
    }
    std::vector<Mesh> out;
    for (auto& [key, mesh] : cells)
        out.push_back(std::move(mesh));
    return out;
}

void addBox(Mesh& mesh, uint16_t material, const Vector3& lo, const Vector3& hi, float uvScale, unsigned skip)
{
    auto at = [&](int i) { return Vector3(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z); };
    // Corner i: x from bit 0, y from bit 1, z from bit 2; each face's
    // corners run clockwise seen from outside. The face's two in-plane axes
    // give its UVs.
    static const struct {
        unsigned bit;
        int corners[4];
        int uAxis, vAxis;
    } faces[6] = {
        {1, {0, 1, 5, 4}, 0, 2}, {2, {2, 6, 7, 3}, 0, 2}, {4, {0, 4, 6, 2}, 2, 1},
        {8, {1, 3, 7, 5}, 2, 1}, {16, {0, 2, 3, 1}, 0, 1}, {32, {4, 5, 7, 6}, 0, 1},
    };
    for (const auto& f : faces) {
        if (skip & f.bit)
            continue;
        MeshVertex v[4];
        for (int k = 0; k < 4; ++k) {
            const Vector3 p = at(f.corners[k]);
            const float coords[3] = {p.x, p.y, p.z};
            v[k] = {p, coords[f.uAxis] * uvScale, coords[f.vAxis] * uvScale};
        }
        mesh.quad(material, v[0], v[1], v[2], v[3]);
    }
}

void addPrism(Mesh& mesh, uint16_t material, const Vector3& foot, float height, float r0, float r1, int sides,
              bool cap, float uvScale)
{
    const float top = foot.y + height;
    for (int i = 0; i < sides; ++i) {
        const float a0 = 2.0f * kPi * float(i) / float(sides), a1 = 2.0f * kPi * float(i + 1) / float(sides);
        const Vector3 d0(std::sin(a0), 0.0f, std::cos(a0)), d1(std::sin(a1), 0.0f, std::cos(a1));
        const float u0 = float(i) / float(sides), u1 = float(i + 1) / float(sides);
        const MeshVertex b0{foot + d0 * r0, u0, 0.0f}, b1{foot + d1 * r0, u1, 0.0f};
        const MeshVertex t0{Vector3(foot.x, top, foot.z) + d0 * r1, u0, height * uvScale};
        const MeshVertex t1{Vector3(foot.x, top, foot.z) + d1 * r1, u1, height * uvScale};
        // Increasing angle runs clockwise seen from above, so foot, next
        // foot, top faces out.
        if (r1 > 0.0f)
            mesh.quad(material, b0, b1, t1, t0);
        else
            mesh.triangle(material, b0, b1, t0);
    }
    if (!cap)
        return;
    // The foot's lid faces down, the top's up.
    for (int i = 1; i + 1 < sides; ++i) {
        auto corner = [&](int k, float r, float y) {
            const float a = 2.0f * kPi * float(k) / float(sides);
            const Vector3 p(foot.x + std::sin(a) * r, y, foot.z + std::cos(a) * r);
            return MeshVertex{p, p.x * uvScale, p.z * uvScale};
        };
        mesh.triangle(material, corner(0, r0, foot.y), corner(i + 1, r0, foot.y), corner(i, r0, foot.y));
        if (r1 > 0.0f)
            mesh.triangle(material, corner(0, r1, top), corner(i, r1, top), corner(i + 1, r1, top));
    }
}

} // namespace track
