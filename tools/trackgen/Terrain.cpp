#include "tools/trackgen/Terrain.h"

namespace track {

namespace {

// How far from the verge's edge the ground leans towards the track.
constexpr float kBlend = 30.0f;
// The ground stays this far below the road surface under the track.
constexpr float kUnder = 0.45f;

bool inside(const Area& a, float x, float z, float margin = 0.0f)
{
    return x >= a.x0 - margin && x <= a.x1 + margin && z >= a.z0 - margin && z <= a.z1 + margin;
}

// 0 inside the area, 1 beyond `band` metres outside it.
float outside(const Area& a, float x, float z, float band)
{
    const float dx = std::max({a.x0 - x, 0.0f, x - a.x1});
    const float dz = std::max({a.z0 - z, 0.0f, z - a.z1});
    return smoothstep(0.0f, band, std::hypot(dx, dz));
}

// Grid lines from lo to hi: `cell` apart over [coreLo, coreHi], growing
// by half again per cell beyond it.
std::vector<float> gridLines(float lo, float hi, float coreLo, float coreHi, float cell)
{
    std::vector<float> out;
    float step = cell;
    for (float v = coreLo; v > lo; v -= step, step = std::min(step * 1.5f, 120.0f))
        out.insert(out.begin(), v);
    out.insert(out.begin(), lo);
    const int inner = std::max(1, int(std::ceil((coreHi - coreLo) / cell)));
    for (int i = 1; i <= inner; ++i)
        out.push_back(coreLo + (coreHi - coreLo) * float(i) / float(inner));
    step = cell;
    for (float v = coreHi + step; v < hi; step = std::min(step * 1.5f, 120.0f), v += step)
        out.push_back(v);
    out.push_back(hi);
    return out;
}

} // namespace

Terrain::Terrain(const LevelParams& params, const Centreline& line) : m_params(params), m_line(line)
{
    m_x0 = m_z0 = 1e30f;
    m_x1 = m_z1 = -1e30f;
    for (const Section& s : line.sections()) {
        const float r = footprint(s);
        m_x0 = std::min(m_x0, s.centre.x - r);
        m_x1 = std::max(m_x1, s.centre.x + r);
        m_z0 = std::min(m_z0, s.centre.z - r);
        m_z1 = std::max(m_z1, s.centre.z + r);
    }
    // An arena's walls, and everything inside them, belong to its footprint.
    for (const Boundary& b : params.boundaries) {
        const float x0 = b.circle ? b.x - b.radius : b.x0, x1 = b.circle ? b.x + b.radius : b.x1;
        const float z0 = b.circle ? b.z - b.radius : b.z0, z1 = b.circle ? b.z + b.radius : b.z1;
        m_x0 = std::min(m_x0, x0 - 1.0f);
        m_x1 = std::max(m_x1, x1 + 1.0f);
        m_z0 = std::min(m_z0, z0 - 1.0f);
        m_z1 = std::max(m_z1, z1 + 1.0f);
    }
    const float reach = kBlend + 40.0f;
    m_bx0 = int(std::floor((m_x0 - reach) / kBucket));
    m_bz0 = int(std::floor((m_z0 - reach) / kBucket));
    m_bw = int(std::ceil((m_x1 + reach) / kBucket)) - m_bx0 + 1;
    m_bh = int(std::ceil((m_z1 + reach) / kBucket)) - m_bz0 + 1;
    m_buckets.assign(size_t(m_bw) * size_t(m_bh), {});
    for (const Section& s : line.sections()) {
        // Each section goes into every bucket within the blend's reach.
        const float r = footprint(s) + kBlend;
        for (int bz = int(std::floor((s.centre.z - r) / kBucket)); bz <= int(std::floor((s.centre.z + r) / kBucket)); ++bz)
            for (int bx = int(std::floor((s.centre.x - r) / kBucket)); bx <= int(std::floor((s.centre.x + r) / kBucket));
                 ++bx) {
                const int i = bx - m_bx0, j = bz - m_bz0;
                if (i >= 0 && j >= 0 && i < m_bw && j < m_bh)
                    m_buckets[size_t(j) * size_t(m_bw) + size_t(i)].push_back(&s);
            }
    }
}

float Terrain::footprint(const Section& s) const
{
    return s.width * 0.5f + (s.kerbs ? 1.0f : 0.0f) + s.vergeWidth + 0.5f;
}

const Section* const* Terrain::bucket(int bx, int bz, size_t& count) const
{
    const int i = bx - m_bx0, j = bz - m_bz0;
    count = 0;
    if (i < 0 || j < 0 || i >= m_bw || j >= m_bh)
        return nullptr;
    const auto& list = m_buckets[size_t(j) * size_t(m_bw) + size_t(i)];
    count = list.size();
    return list.data();
}

float Terrain::natural(float x, float z) const
{
    const LevelParams& p = m_params;
    float h = p.terrainLevel;
    if (p.terrain == "hills") {
        const uint32_t seed = hashName(p.name.c_str());
        h += p.terrainA * (fractalNoise(x / p.terrainB + 100.0f, z / p.terrainB + 100.0f, 4, seed) - 0.5f) * 2.0f;
    } else if (p.terrain == "bowl") {
        const float r = std::hypot(x, z);
        h += p.terrainA * smoothstep(p.terrainB, p.terrainB * 1.35f, r);
    }
    // Basins under water and lava, sloping down from their shores.
    for (const std::vector<Area>* list : {&p.waters, &p.lavas})
        for (const Area& a : *list)
            h = lerp(a.height - 3.0f, h, outside(a, x, z, 8.0f));
    // The jumps' gulches run across the track and out into the land.
    for (const LevelParams::Jump& j : p.jumps) {
        float best = 1e9f;
        const Section* lip = nullptr;
        for (const Section& s : m_line.sections()) {
            const float d = std::fabs(s.param - float(j.at));
            if (d < best) {
                best = d;
                lip = &s;
            }
        }
        if (!lip)
            continue;
        const Vector3 mid = lip->centre + lip->forward * 2.0f;
        const Vector3 rel(x - mid.x, 0.0f, z - mid.z);
        const float along = std::fabs(dot(rel, unit(Vector3(lip->forward.x, 0, lip->forward.z))));
        const float across = std::fabs(dot(rel, lip->flatLeft));
        const float depth = 2.2f * smoothstep(5.0f, 1.5f, along) * smoothstep(90.0f, 40.0f, across);
        h = std::min(h, lerp(h, lip->centre.y - 1.6f - 1.3f, depth / 2.2f));
    }
    return h;
}

float Terrain::nearestTrack(float x, float z, const Section** section) const
{
    size_t count = 0;
    const Section* const* list = bucket(int(std::floor(x / kBucket)), int(std::floor(z / kBucket)), count);
    float best = 1e30f;
    const Section* nearest = nullptr;
    for (size_t i = 0; i < count; ++i) {
        const float d = std::hypot(x - list[i]->centre.x, z - list[i]->centre.z);
        if (d < best) {
            best = d;
            nearest = list[i];
        }
    }
    if (!nearest) {
        for (const Section& s : m_line.sections()) {
            const float d = std::hypot(x - s.centre.x, z - s.centre.z);
            if (d < best) {
                best = d;
                nearest = &s;
            }
        }
    }
    if (section)
        *section = nearest;
    return best;
}

float Terrain::height(float x, float z) const
{
    float h = natural(x, z);
    // An arena's floor is the ground itself, as it lies.
    if (m_params.road == "none")
        return h;
    size_t count = 0;
    const Section* const* list = bucket(int(std::floor(x / kBucket)), int(std::floor(z / kBucket)), count);
    float pull = 0.0f, target = 0.0f, weightSum = 0.0f, cap = 1e30f;
    for (size_t i = 0; i < count; ++i) {
        const Section& s = *list[i];
        const Vector3 rel(x - s.centre.x, 0.0f, z - s.centre.z);
        const float along = dot(rel, unit(Vector3(s.forward.x, 0.0f, s.forward.z)));
        if (std::fabs(along) > Centreline::kSpacing * 1.5f + 6.0f)
            continue;
        const float lateral = std::fabs(dot(rel, s.flatLeft));
        const float edge = footprint(s);
        const float below = s.centre.y - std::fabs(std::sin(radians(s.bank))) * s.width * 0.5f - 0.25f - kUnder;
        if (lateral <= edge + m_params.cell)
            cap = std::min(cap, below);
        if (s.bridge)
            continue;
        const float w = 1.0f - smoothstep(edge, edge + kBlend, lateral);
        if (w > 0.0f) {
            pull = std::max(pull, w);
            target += below * w;
            weightSum += w;
        }
    }
    if (weightSum > 0.0f)
        h = lerp(h, target / weightSum, pull);
    return std::min(h, cap);
}

float Terrain::standHeight(float x, float z) const
{
    for (const Area& a : m_params.platforms)
        if (inside(a, x, z))
            return a.height;
    return height(x, z);
}

void Terrain::build(LevelModel& level) const
{
    buildGround(level);
    buildSky(level);
}

void Terrain::buildGround(LevelModel& level) const
{
    const LevelParams& p = m_params;
    const float margin = 90.0f;
    const float cx = (m_x0 + m_x1) * 0.5f, cz = (m_z0 + m_z1) * 0.5f;
    const float outer = std::max(m_x1 - m_x0, m_z1 - m_z0) * 0.5f + 900.0f;
    const std::vector<float> xs = gridLines(cx - outer, cx + outer, m_x0 - margin, m_x1 + margin, p.cell);
    const std::vector<float> zs = gridLines(cz - outer, cz + outer, m_z0 - margin, m_z1 + margin, p.cell);
    std::vector<float> heights(xs.size() * zs.size());
    for (size_t j = 0; j < zs.size(); ++j)
        for (size_t i = 0; i < xs.size(); ++i)
            heights[j * xs.size() + i] = height(xs[i], zs[j]);

    const uint16_t ground = level.id(p.ground);
    Mesh& floor = level.floors[floorClass(p.ground)];
    auto vertex = [&](size_t i, size_t j) {
        const Vector3 v(xs[i], heights[j * xs.size() + i], zs[j]);
        return MeshVertex{v, v.x, v.z};
    };
    for (size_t j = 0; j + 1 < zs.size(); ++j)
        for (size_t i = 0; i + 1 < xs.size(); ++i) {
            bool covered = false;
            for (const Area& a : p.platforms)
                covered = covered || (inside(a, xs[i], zs[j]) && inside(a, xs[i + 1], zs[j + 1]));
            if (covered)
                continue;
            // Seen from above, (i, j), (i, j+1), (i+1, j+1), (i+1, j) runs clockwise.
            floor.quad(ground, vertex(i, j), vertex(i, j + 1), vertex(i + 1, j + 1), vertex(i + 1, j));
        }

    // Water and lava: a surface to see and, just under it, a zone that
    // puts a kart back on the track.
    for (const std::vector<Area>* list : {&p.waters, &p.lavas}) {
        const bool lava = list == &p.lavas;
        for (const Area& a : *list) {
            const uint16_t m = level.id(lava ? "lava" : "water");
            const int nx = std::max(1, int((a.x1 - a.x0) / 20.0f)), nz = std::max(1, int((a.z1 - a.z0) / 20.0f));
            for (int j = 0; j < nz; ++j)
                for (int i = 0; i < nx; ++i) {
                    auto v = [&](int ii, int jj) {
                        const Vector3 q(lerp(a.x0, a.x1, float(ii) / float(nx)), a.height,
                                        lerp(a.z0, a.z1, float(jj) / float(nz)));
                        return MeshVertex{q, q.x, q.z};
                    };
                    level.scenery.quad(m, v(i, j), v(i, j + 1), v(i + 1, j + 1), v(i + 1, j));
                }
            addBox(level.reset, 0, Vector3(a.x0 - 2.0f, a.height - 6.0f, a.z0 - 2.0f),
                   Vector3(a.x1 + 2.0f, a.height - 0.4f, a.z1 + 2.0f));
            if (lava)
                level.shades.push_back({Vector3(a.x0, 0, (a.z0 + a.z1) / 2), Vector3(a.x1, 0, (a.z0 + a.z1) / 2),
                                        (a.z1 - a.z0) / 2 + 20.0f, 1.0f, Rgb{1.25f, 0.85f, 0.7f}});
        }
    }

    // Platforms: a block with its facade, its top a floor.
    for (const Area& a : p.platforms) {
        const float base = height((a.x0 + a.x1) / 2, (a.z0 + a.z1) / 2) - 5.0f;
        const uint16_t top = level.id(a.material), facade = level.id(a.facade);
        addBox(level.scenery, facade, Vector3(a.x0, base, a.z0), Vector3(a.x1, a.height, a.z1), 1.0f / 6.0f, 2);
        Mesh& deck = level.floors[floorClass(a.material)];
        const int nx = std::max(1, int((a.x1 - a.x0) / 10.0f)), nz = std::max(1, int((a.z1 - a.z0) / 10.0f));
        for (int j = 0; j < nz; ++j)
            for (int i = 0; i < nx; ++i) {
                auto v = [&](int ii, int jj) {
                    const Vector3 q(lerp(a.x0, a.x1, float(ii) / float(nx)), a.height, lerp(a.z0, a.z1, float(jj) / float(nz)));
                    return MeshVertex{q, q.x, q.z};
                };
                deck.quad(top, v(i, j), v(i, j + 1), v(i + 1, j + 1), v(i + 1, j));
            }
    }

    // Whatever falls off the world lands here and is put back.
    float lowest = 1e30f;
    for (float h : heights)
        lowest = std::min(lowest, h);
    for (const Section& s : m_line.sections())
        lowest = std::min(lowest, s.centre.y);
    addBox(level.reset, 0, Vector3(cx - outer, lowest - 40.0f, cz - outer), Vector3(cx + outer, lowest - 20.0f, cz + outer));
}

void Terrain::buildSky(LevelModel& level) const
{
    // A dome seen from inside, its picture's top row at the zenith, and a
    // band below the horizon in the horizon's colour.
    const uint16_t sky = level.id("sky");
    const int around = 32, up = 8;
    const Vector3 middle((m_x0 + m_x1) * 0.5f, -40.0f, (m_z0 + m_z1) * 0.5f);
    auto point = [&](int i, float elevation) {
        const float a = 2.0f * kPi * float(i) / float(around);
        const float r = kSkyRadius * std::cos(elevation);
        const Vector3 p = middle + Vector3(std::sin(a) * r, kSkyRadius * std::sin(elevation), std::cos(a) * r);
        const float v = 1.0f - std::max(elevation, 0.0f) / (kPi / 2);
        return MeshVertex{p, float(i) / float(around), v};
    };
    for (int i = 0; i < around; ++i)
        for (int k = -1; k < up; ++k) {
            const float e0 = k < 0 ? -0.25f : (kPi / 2) * float(k) / float(up);
            const float e1 = (kPi / 2) * float(k + 1) / float(up);
            // Seen from the middle, this order runs clockwise.
            if (k + 1 == up)
                level.sky.triangle(sky, point(i, e0), point(i, e1), point(i + 1, e0));
            else
                level.sky.quad(sky, point(i, e0), point(i, e1), point(i + 1, e1), point(i + 1, e0));
        }
}

} // namespace track
