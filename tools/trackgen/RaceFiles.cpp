#include "tools/trackgen/RaceFiles.h"

#include "tools/lib/ImageWriters.h"

#include <cstring>

namespace track {

namespace {

// Nearest section in the plane, for any point of a map: sections by 8 m
// cells, searched ring by ring outward.
class SectionFinder {
public:
    explicit SectionFinder(const Centreline& line)
    {
        for (const Section& s : line.sections()) {
            m_x0 = std::min(m_x0, s.centre.x);
            m_z0 = std::min(m_z0, s.centre.z);
            m_x1 = std::max(m_x1, s.centre.x);
            m_z1 = std::max(m_z1, s.centre.z);
        }
        m_w = int((m_x1 - m_x0) / kCell) + 1;
        m_h = int((m_z1 - m_z0) / kCell) + 1;
        m_cells.assign(size_t(m_w) * size_t(m_h), {});
        for (const Section& s : line.sections())
            m_cells[size_t(cz(s.centre.z)) * size_t(m_w) + size_t(cx(s.centre.x))].push_back(&s);
    }

    // The nearest section and its distance.
    const Section* nearest(float x, float z, float& distance) const
    {
        const int x0 = cx(x), z0 = cz(z);
        const Section* best = nullptr;
        float bestD = 1e30f;
        auto visit = [&](int i, int j) {
            if (i < 0 || j < 0 || i >= m_w || j >= m_h)
                return;
            for (const Section* s : m_cells[size_t(j) * size_t(m_w) + size_t(i)]) {
                const float d = std::hypot(x - s->centre.x, z - s->centre.z);
                if (d < bestD) {
                    bestD = d;
                    best = s;
                }
            }
        };
        for (int ring = 0; ring < std::max(m_w, m_h) + 2; ++ring) {
            // The cells of the ring's border only.
            for (int i = x0 - ring; i <= x0 + ring; ++i) {
                visit(i, z0 - ring);
                if (ring)
                    visit(i, z0 + ring);
            }
            for (int j = z0 - ring + 1; j <= z0 + ring - 1; ++j) {
                visit(x0 - ring, j);
                visit(x0 + ring, j);
            }
            // Everything beyond this ring lies at least this far away.
            if (best && bestD < float(ring) * kCell)
                break;
        }
        distance = bestD;
        return best;
    }

private:
    static constexpr float kCell = 8.0f;
    int cx(float x) const { return std::clamp(int((x - m_x0) / kCell), 0, m_w - 1); }
    int cz(float z) const { return std::clamp(int((z - m_z0) / kCell), 0, m_h - 1); }
    float m_x0 = 1e30f, m_z0 = 1e30f, m_x1 = -1e30f, m_z1 = -1e30f;
    int m_w = 1, m_h = 1;
    std::vector<std::vector<const Section*>> m_cells;
};

// The world point at the middle of pixel (x, y) of a size x size map.
Vector3 worldAt(const WorldRect& r, int x, int y, int size)
{
    return Vector3(r.minX + (r.maxX - r.minX) * (float(x) + 0.5f) / float(size), 0.0f,
                   r.maxZ - (r.maxZ - r.minZ) * (float(y) + 0.5f) / float(size));
}

} // namespace

std::vector<std::vector<Vector3>> lanePaths(const LevelParams& params, const Centreline& line)
{
    const std::vector<Section>& sections = line.sections();
    const size_t n = sections.size();
    // Room a lane's centre has each side: the band (1.5 m) and a little
    // more stay on the road.
    auto usable = [](const Section& s) { return std::max(0.0f, s.width * 0.5f - 1.8f); };

    // The racing line: the offsets relaxed towards the straightest line the
    // road allows, cutting in at every apex.
    std::vector<float> racing(n, 0.0f);
    for (int pass = 0; pass < 400; ++pass)
        for (size_t i = 0; i < n; ++i) {
            const Section& s = sections[i];
            const Section& a = sections[(i + n - 1) % n];
            const Section& b = sections[(i + 1) % n];
            const Vector3 mid = (a.at(racing[(i + n - 1) % n]) + b.at(racing[(i + 1) % n])) * 0.5f;
            racing[i] = std::clamp(dot(mid - s.centre, s.left), -usable(s), usable(s));
        }

    std::vector<std::vector<Vector3>> out;
    for (const Lane& lane : params.lanes) {
        std::vector<Vector3> points;
        for (size_t i = 0; i < n; ++i) {
            const Section& s = sections[i];
            points.push_back(s.at(lane.racing ? racing[i] : lane.offset * usable(s)));
        }
        out.push_back(std::move(points));
    }
    return out;
}

std::vector<uint8_t> positionMap(const Centreline& line, const WorldRect& rect, int size)
{
    const SectionFinder finder(line);
    std::vector<uint8_t> values(size_t(size) * size_t(size));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const Vector3 p = worldAt(rect, x, y, size);
            float d = 0.0f;
            const Section* s = finder.nearest(p.x, p.z, d);
            const float along = s ? s->s / line.length() : 0.0f;
            values[size_t(y) * size_t(size) + size_t(x)] = uint8_t(1 + std::min(253, int(along * 254.0f)));
        }
    std::vector<uint8_t> palette(768);
    for (int i = 0; i < 256; ++i)
        palette[size_t(i) * 3] = palette[size_t(i) * 3 + 1] = palette[size_t(i) * 3 + 2] = uint8_t(i);
    return writePcx(size, size, size, values, &palette);
}

Picture colourMap(const LevelModel& level, const LevelParams& params, const WorldRect& rect, int size)
{
    // The light of the open track: the sun's colour warmed or cooled, with
    // its brightest channel at 1 (128 in the map, the kart's own colour).
    Rgb open = params.sunColour * 0.75f + params.ambientColour * 0.25f;
    const float peak = std::max({open.r, open.g, open.b, 1e-3f});
    open = open * (1.0f / peak);
    Picture p(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const Vector3 w = worldAt(rect, x, y, size);
            float light = 1.0f;
            Rgb tint{1.0f, 1.0f, 1.0f};
            for (const LevelModel::Shade& s : level.shades) {
                // Distance to the shade's segment in the plane.
                const Vector3 a(s.a.x, 0, s.a.z), b(s.b.x, 0, s.b.z), q(w.x, 0, w.z);
                const Vector3 ab = b - a;
                const float len2 = dot(ab, ab);
                const float t = len2 > 0.0f ? clamp01(dot(q - a, ab) / len2) : 0.0f;
                const float d = float((q - (a + ab * t)).length());
                const float k = smoothstep(s.halfWidth + 3.0f, s.halfWidth - 1.0f, d);
                light = std::min(light, lerp(1.0f, s.light, k));
                tint = mix(tint, s.tint, k);
            }
            p.set(x, y, open * tint * (light * 0.5f));
        }
    return p;
}

Picture minimap(const LevelModel& level, const LevelParams& params, const Centreline& line, const WorldRect& rect,
                int size)
{
    // Drawn four times as large and filtered down.
    const int big = size * 4;
    if (params.road == "none") {
        Picture p(big, big, Rgb{}, 0.0f);
        auto pixelX = [&](float x) { return (x - rect.minX) / (rect.maxX - rect.minX) * float(big); };
        auto pixelY = [&](float z) { return (rect.maxZ - z) / (rect.maxZ - rect.minZ) * float(big); };
        for (const Boundary& b : params.boundaries)
            for (int y = 0; y < big; ++y)
                for (int x = 0; x < big; ++x) {
                    const Vector3 w = worldAt(rect, x, y, big);
                    const bool inside = b.circle ? std::hypot(w.x - b.x, w.z - b.z) < b.radius
                                                 : w.x > b.x0 && w.x < b.x1 && w.z > b.z0 && w.z < b.z1;
                    if (inside)
                        p.set(x, y, Rgb{0.92f, 0.92f, 0.88f}, 0.8f);
                }
        const Mesh& walls = level.walls;
        for (const Mesh::Polygon& poly : walls.polygons())
            for (uint32_t t = 1; t + 1 < poly.count; ++t) {
                const MeshVertex* v[3] = {&walls.vertices()[poly.first], &walls.vertices()[poly.first + t],
                                          &walls.vertices()[poly.first + t + 1]};
                const float xs[3] = {pixelX(v[0]->p.x), pixelX(v[1]->p.x), pixelX(v[2]->p.x)};
                const float ys[3] = {pixelY(v[0]->p.z), pixelY(v[1]->p.z), pixelY(v[2]->p.z)};
                p.fillTriangle(xs, ys, Rgb{0.12f, 0.12f, 0.16f});
            }
        return p.shrink(4);
    }
    const float metresPerPixel = (rect.maxX - rect.minX) / float(big);
    Picture p(big, big, Rgb{}, 0.0f);
    auto toPixel = [&](const Vector3& w, float& px, float& py) {
        px = (w.x - rect.minX) / (rect.maxX - rect.minX) * float(big);
        py = (rect.maxZ - w.z) / (rect.maxZ - rect.minZ) * float(big);
    };
    // Each stretch of road as a quad across it, `half` metres each side;
    // the dark rim first, the road over it, the finish line last.
    auto band = [&](float extra, Rgb colour, bool finishOnly) {
        const std::vector<Section>& sections = line.sections();
        for (size_t i = 0; i < sections.size(); ++i) {
            const Section& a = sections[i];
            const Section& b = sections[(i + 1) % sections.size()];
            if (finishOnly && a.s > 3.0f)
                continue;
            // Wide enough to read on a small map: at least six pixels across.
            auto half = [&](const Section& q) { return std::max(q.width * 0.5f, 12.0f * metresPerPixel) + extra; };
            const Vector3 c[4] = {a.centre + a.flatLeft * half(a), b.centre + b.flatLeft * half(b),
                                  b.centre - b.flatLeft * half(b), a.centre - a.flatLeft * half(a)};
            float x[4], y[4];
            for (int k = 0; k < 4; ++k)
                toPixel(c[k], x[k], y[k]);
            p.fillTriangle({x[0], x[1], x[2]}, {y[0], y[1], y[2]}, colour);
            p.fillTriangle({x[0], x[2], x[3]}, {y[0], y[2], y[3]}, colour);
        }
    };
    band(9.0f * metresPerPixel, Rgb{0.12f, 0.12f, 0.16f}, false);
    band(0.0f, Rgb{0.95f, 0.95f, 0.92f}, false);
    band(0.0f, Rgb{0.95f, 0.25f, 0.15f}, true);
    return p.shrink(4);
}

} // namespace track
