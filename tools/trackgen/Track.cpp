#include "tools/trackgen/Track.h"

#include "tools/trackgen/Props.h"

namespace track {

namespace {

constexpr float kKerb = 1.0f;
constexpr float kKerbRise = 0.06f;
constexpr float kVergeDrop = 0.25f;
constexpr float kBarrierHeight = 1.0f;
constexpr float kBarrierThickness = 0.4f;
constexpr float kWallHeight = 1.6f;
// The grid: the front slot this far behind the finish line, the next ones
// each a step further back, alternating left and right; each slot's line
// lies a little ahead of its kart.
constexpr float kGridFront = 6.0f;
constexpr float kGridStep = 3.2f;
constexpr float kGridMark = 1.3f;

// The points of one section's cross-section.
struct Profile {
    Vector3 roadLeft, roadRight;   // road edges
    Vector3 kerbLeft, kerbRight;   // outer kerb edges
    Vector3 vergeLeft, vergeRight; // outer verge edges
};

Profile profileOf(const Section& s)
{
    Profile p;
    const float half = s.width * 0.5f;
    p.roadLeft = s.at(half);
    p.roadRight = s.at(-half);
    const float kerb = s.kerbs ? kKerb : 0.0f;
    const Vector3 rise(0.0f, s.kerbs ? kKerbRise : 0.0f, 0.0f);
    p.kerbLeft = s.at(half + kerb) + rise;
    p.kerbRight = s.at(-half - kerb) + rise;
    const Vector3 drop(0.0f, -kVergeDrop * std::min(1.0f, s.vergeWidth / 3.0f), 0.0f);
    p.vergeLeft = p.kerbLeft + s.flatLeft * s.vergeWidth + drop;
    p.vergeRight = p.kerbRight - s.flatLeft * s.vergeWidth + drop;
    return p;
}

MeshVertex mv(const Vector3& p, float u, float v) { return {p, u, v}; }
MeshVertex ground(const Vector3& p) { return {p, p.x, p.z}; }

// A quad between two sections from lateral corner `a` (the more left) to
// `b`, facing up: a_i, a_next, b_next, b_i.
void upQuad(Mesh& m, uint16_t material, const Vector3& ai, const Vector3& an, const Vector3& bn, const Vector3& bi)
{
    m.quad(material, ground(ai), ground(an), ground(bn), ground(bi));
}

// A barrier on one side from section i to the next: inner face, top and
// outer face, standing on `base`. `left` says which side of the road.
void barrier(Mesh& m, uint16_t material, const Vector3& bi, const Vector3& bn, const Vector3& outward, float height,
             float thickness, float s0, float s1, bool left)
{
    const Vector3 up(0.0f, height, 0.0f), o = outward * thickness;
    const Vector3 ii = bi, in = bn, ti = bi + up, tn = bn + up;
    const Vector3 oi = bi + o, on = bn + o, toi = oi + up, ton = on + up;
    auto v = [&](const Vector3& p, float s, float y) { return MeshVertex{p, s, y}; };
    if (left) {
        // The inner face looks right, towards the road.
        m.quad(material, v(ii, s0, 0), v(ti, s0, height), v(tn, s1, height), v(in, s1, 0));
        m.quad(material, v(toi, s0, height), v(ton, s1, height), v(tn, s1, height + thickness), v(ti, s0, height + thickness));
        m.quad(material, v(oi, s0, 0), v(on, s1, 0), v(ton, s1, height), v(toi, s0, height));
    } else {
        m.quad(material, v(ii, s0, 0), v(in, s1, 0), v(tn, s1, height), v(ti, s0, height));
        m.quad(material, v(ti, s0, height + thickness), v(tn, s1, height + thickness), v(ton, s1, height), v(toi, s0, height));
        m.quad(material, v(oi, s0, 0), v(toi, s0, height), v(ton, s1, height), v(on, s1, 0));
    }
}

// A vertical band from the top edge down to `drop` metres lower, facing
// left (outward of the left side) or right.
void skirt(Mesh& m, uint16_t material, const Vector3& ti, const Vector3& tn, float drop, bool facingLeft)
{
    const Vector3 bi = ti - Vector3(0, drop, 0), bn = tn - Vector3(0, drop, 0);
    if (facingLeft)
        m.quad(material, ground(bi), ground(bn), {tn, tn.x + tn.z, tn.y}, {ti, ti.x + ti.z, ti.y});
    else
        m.quad(material, ground(bi), {ti, ti.x + ti.z, ti.y}, {tn, tn.x + tn.z, tn.y}, ground(bn));
}

void buildTunnel(LevelModel& level, const Section& a, const Section& b, float s0, float s1)
{
    const uint16_t m = level.id(a.tunnelMaterial);
    const int steps = 8;
    auto ring = [](const Section& s, float k, float radius, float rise) {
        const float angle = kPi * k;
        return s.centre + s.flatLeft * (std::cos(angle) * radius) + Vector3(0.0f, std::sin(angle) * rise - 0.5f, 0.0f);
    };
    const float r = a.width * 0.5f + 2.0f, h = 7.0f;
    for (int k = 0; k < steps; ++k) {
        const float k0 = float(k) / float(steps), k1 = float(k + 1) / float(steps);
        // Inside: seen from the road.
        level.scenery.quad(m, mv(ring(a, k0, r, h), s0, k0 * 20), mv(ring(b, k0, r, h), s1, k0 * 20),
                           mv(ring(b, k1, r, h), s1, k1 * 20), mv(ring(a, k1, r, h), s0, k1 * 20));
        // Outside: a rock shell.
        level.scenery.quad(m, mv(ring(a, k0, r + 3, h + 3), s0, k0 * 30), mv(ring(a, k1, r + 3, h + 3), s0, k1 * 30),
                           mv(ring(b, k1, r + 3, h + 3), s1, k1 * 30), mv(ring(b, k0, r + 3, h + 3), s1, k0 * 30));
    }
    level.shades.push_back({a.centre, b.centre, r, 0.45f});
}

void tunnelMouth(LevelModel& level, const Section& s, const std::string& material, bool entry)
{
    const uint16_t m = level.id(material);
    const int steps = 8;
    const float r = s.width * 0.5f + 2.0f, h = 7.0f;
    auto ring = [&](float k, float radius, float rise) {
        const float angle = kPi * k;
        return s.centre + s.flatLeft * (std::cos(angle) * radius) + Vector3(0.0f, std::sin(angle) * rise - 0.5f, 0.0f);
    };
    for (int k = 0; k < steps; ++k) {
        const float k0 = float(k) / float(steps), k1 = float(k + 1) / float(steps);
        const Vector3 a = ring(k0, r, h), b = ring(k1, r, h), c = ring(k1, r + 3, h + 3), d = ring(k0, r + 3, h + 3);
        if (entry)
            level.scenery.quad(m, mv(a, a.x + a.z, a.y), mv(d, d.x + d.z, d.y), mv(c, c.x + c.z, c.y), mv(b, b.x + b.z, b.y));
        else
            level.scenery.quad(m, mv(a, a.x + a.z, a.y), mv(b, b.x + b.z, b.y), mv(c, c.x + c.z, c.y), mv(d, d.x + d.z, d.y));
    }
}

} // namespace

int floorClass(const std::string& material)
{
    if (material == "grass")
        return ClassGrass;
    if (material == "sand" || material == "ash" || material == "dirt" || material == "rock")
        return ClassSand;
    if (material == "snow" || material == "ice")
        return ClassSnow;
    return ClassRoad;
}

void buildTrack(LevelModel& level, const LevelParams& params, const Centreline& line, const Terrain& terrain)
{
    const std::vector<Section>& sections = line.sections();
    const size_t n = sections.size();
    const float ds = line.length() / float(n);
    const bool paved = params.road != "none";
    const uint16_t road = paved ? level.id(params.road) : 0;
    const uint16_t kerb = level.id("kerb"), start = level.id("startline");
    const float roadTile = paved ? level.materials.at(road).tile : 1.0f;
    Mesh& roadFloor = level.floors[ClassRoad];
    // The grid's marks on a lined road: the front slot's line lies ahead of
    // its kart (see placeRaceMarkers), the last slot's ticks behind the
    // seventh.
    const bool gridMarks = paved && params.road == "road";
    const uint16_t grid = level.id("gridroad");
    const float gridLine = line.length() - kGridFront + kGridMark;
    const float gridFrom = line.length() - kGridFront - kGridStep * 6.0f - 3.0f;

    for (size_t i = 0; i < n; ++i) {
        const Section& a = sections[i];
        const Section& b = sections[(i + 1) % n];
        const float s0 = a.s, s1 = a.s + ds;
        const Profile pa = profileOf(a), pb = profileOf(b);

        if (paved) {
            // The road, its texture across the whole width; the first
            // stretch is the chequered start line.
            const bool onLine = a.s < ds * 0.9f;
            if (onLine) {
                roadFloor.quad(start, mv(pa.roadLeft, a.width * 0.5f, s0), mv(pb.roadLeft, b.width * 0.5f, s1),
                               mv(pb.roadRight, -b.width * 0.5f, s1), mv(pa.roadRight, -a.width * 0.5f, s0));
            } else if (gridMarks && a.s > gridFrom) {
                // The grid's slot marks: v runs from the front slot's line.
                const float tile = level.materials.at(grid).tile;
                roadFloor.quad(grid, mv(pa.roadLeft, tile, s0 - gridLine), mv(pb.roadLeft, tile, s1 - gridLine),
                               mv(pb.roadRight, 0, s1 - gridLine), mv(pa.roadRight, 0, s0 - gridLine));
            } else {
                roadFloor.quad(road, mv(pa.roadLeft, roadTile, s0), mv(pb.roadLeft, roadTile, s1),
                               mv(pb.roadRight, 0, s1), mv(pa.roadRight, 0, s0));
            }
            if (a.kerbs && b.kerbs) {
                roadFloor.quad(kerb, mv(pa.kerbLeft, 1, s0), mv(pb.kerbLeft, 1, s1), mv(pb.roadLeft, 0, s1),
                               mv(pa.roadLeft, 0, s0));
                roadFloor.quad(kerb, mv(pa.roadRight, 0, s0), mv(pb.roadRight, 0, s1), mv(pb.kerbRight, 1, s1),
                               mv(pa.kerbRight, 1, s0));
            } else if (a.kerbs != b.kerbs) {
                // Where kerbs start or stop, the road widens to meet them.
                roadFloor.quad(road, mv(pa.kerbLeft, roadTile, s0), mv(pb.kerbLeft, roadTile, s1),
                               mv(pb.roadLeft, roadTile, s1), mv(pa.roadLeft, roadTile, s0));
                roadFloor.quad(road, mv(pa.roadRight, 0, s0), mv(pb.roadRight, 0, s1), mv(pb.kerbRight, 0, s1),
                               mv(pa.kerbRight, 0, s0));
            }
            if (a.vergeWidth > 0.05f || b.vergeWidth > 0.05f) {
                const uint16_t verge = level.id(a.verge);
                Mesh& vergeFloor = level.floors[floorClass(a.verge)];
                upQuad(vergeFloor, verge, pa.vergeLeft, pb.vergeLeft, pb.kerbLeft, pa.kerbLeft);
                upQuad(vergeFloor, verge, pa.kerbRight, pb.kerbRight, pb.vergeRight, pa.vergeRight);
            }
            // The edges hang down to the ground, so no gap shows under them.
            const uint16_t side = level.id(a.bridge ? "concrete" : a.verge);
            const float drop = a.bridge ? 1.4f : 3.0f;
            skirt(level.scenery, side, pa.vergeLeft, pb.vergeLeft, drop, true);
            skirt(level.scenery, side, pa.vergeRight, pb.vergeRight, drop, false);
            if (a.bridge) {
                const Vector3 under(0.0f, -drop, 0.0f);
                level.scenery.quad(level.id("concrete"), ground(pa.vergeRight + under), ground(pb.vergeRight + under),
                                   ground(pb.vergeLeft + under), ground(pa.vergeLeft + under));
                level.shades.push_back({a.centre, b.centre, a.width * 0.5f + 2.0f, 0.55f});
            }
        }

        // Barriers, and the taller walls karts actually hit.
        const uint16_t barrierMaterial = level.id(a.barrier);
        if (a.walls & 1) {
            barrier(level.scenery, barrierMaterial, pa.vergeLeft, pb.vergeLeft, a.flatLeft, kBarrierHeight,
                    kBarrierThickness, s0, s1, true);
            barrier(level.walls, 0, pa.vergeLeft, pb.vergeLeft, a.flatLeft, kWallHeight, kBarrierThickness, s0, s1, true);
        }
        if (a.walls & 2) {
            barrier(level.scenery, barrierMaterial, pa.vergeRight, pb.vergeRight, a.flatLeft * -1.0f, kBarrierHeight,
                    kBarrierThickness, s0, s1, false);
            barrier(level.walls, 0, pa.vergeRight, pb.vergeRight, a.flatLeft * -1.0f, kWallHeight, kBarrierThickness,
                    s0, s1, false);
        }
        if (a.tunnel) {
            buildTunnel(level, a, b, s0, s1);
            if (!sections[(i + n - 1) % n].tunnel)
                tunnelMouth(level, a, a.tunnelMaterial, true);
            if (!b.tunnel)
                tunnelMouth(level, b, a.tunnelMaterial, false);
        }
    }

    // Pillars under the bridges, where nothing drives below them.
    float lastPillar = -1e9f;
    for (const Section& s : sections) {
        if (!s.bridge || s.s - lastPillar < 14.0f)
            continue;
        for (float side : {-1.0f, 1.0f}) {
            const Vector3 top = s.at(side * (s.width * 0.5f - 1.0f)) - Vector3(0.0f, 1.4f, 0.0f);
            const float foot = terrain.height(top.x, top.z);
            // No pillar where a road passes under the deck.
            bool roadBelow = false;
            for (const Section& other : sections)
                roadBelow = roadBelow || (!other.bridge && distance2d(other.centre, top) < other.width * 0.5f + 4.0f &&
                                          other.centre.y < top.y - 1.0f);
            if (top.y - foot > 1.0f && !roadBelow) {
                addBox(level.scenery, level.id("concrete"), Vector3(top.x - 0.6f, foot - 0.5f, top.z - 0.6f),
                       Vector3(top.x + 0.6f, top.y, top.z + 0.6f));
                addBox(level.walls, 0, Vector3(top.x - 0.6f, foot - 0.5f, top.z - 0.6f),
                       Vector3(top.x + 0.6f, top.y, top.z + 0.6f));
                lastPillar = s.s;
            }
        }
    }

    // The start gantry over the finish line.
    if (paved) {
        const Section& s = sections[0];
        const float half = s.width * 0.5f + (s.kerbs ? kKerb : 0.0f) + 1.2f;
        Mesh gantry;
        const uint16_t metal = level.id("metal");
        for (float x : {-half, half})
            addBox(gantry, metal, Vector3(x - 0.3f, -0.5f, -0.3f), Vector3(x + 0.3f, 6.2f, 0.3f));
        addBox(gantry, metal, Vector3(-half - 0.3f, 6.2f, -0.4f), Vector3(half + 0.3f, 6.6f, 0.4f));
        addBox(gantry, start, Vector3(-half + 0.5f, 5.0f, -0.15f), Vector3(half - 0.5f, 6.2f, 0.15f), 0.5f);
        // Local x runs across the road.
        level.scenery.append(gantry, s.centre, headingOf(s.forward));
        Mesh posts;
        for (float x : {-half, half})
            addBox(posts, 0, Vector3(x - 0.3f, -0.5f, -0.3f), Vector3(x + 0.3f, 3.0f, 0.3f));
        level.walls.append(posts, s.centre, headingOf(s.forward));
    }

    // The arenas' walls.
    for (const Boundary& b : params.boundaries) {
        const uint16_t m = level.id(b.material);
        std::vector<Vector3> ring;
        if (b.circle) {
            const int steps = std::max(24, int(b.radius * 2.0f * kPi / 6.0f));
            for (int i = 0; i < steps; ++i) {
                const float a = 2.0f * kPi * float(i) / float(steps);
                ring.push_back(Vector3(b.x + std::sin(a) * b.radius, 0.0f, b.z + std::cos(a) * b.radius));
            }
        } else {
            ring = {{b.x0, 0, b.z0}, {b.x0, 0, b.z1}, {b.x1, 0, b.z1}, {b.x1, 0, b.z0}};
        }
        float s = 0.0f;
        for (size_t i = 0; i < ring.size(); ++i) {
            Vector3 p0 = ring[i], p1 = ring[(i + 1) % ring.size()];
            p0.y = terrain.standHeight(p0.x, p0.z) - 0.3f;
            p1.y = terrain.standHeight(p1.x, p1.z) - 0.3f;
            const float len = float((p1 - p0).length());
            // The ring runs clockwise seen from above, so outward is the
            // left of its direction.
            const Vector3 out = leftOf(p1 - p0);
            barrier(level.scenery, m, p0, p1, out, b.height, 0.5f, s, s + len, true);
            barrier(level.walls, 0, p0, p1, out, b.height + 1.0f, 0.5f, s, s + len, true);
            s += len;
        }
    }
}

void placeScenery(LevelModel& level, const LevelParams& params, const Centreline& line, const Terrain& terrain)
{
    struct Spot {
        float x, z, r;
    };
    std::vector<Spot> taken;
    const std::vector<Section>& sections = line.sections();
    auto clearOfTrack = [&](float x, float z, float r) {
        const Section* s = nullptr;
        const float d = terrain.nearestTrack(x, z, &s);
        if (!s)
            return true;
        const float edge = s->width * 0.5f + (s->kerbs ? kKerb : 0.0f) + s->vergeWidth + 1.0f;
        return d > edge + r;
    };
    auto withinWalls = [&](float x, float z) {
        for (const Boundary& b : params.boundaries)
            if (b.circle ? std::hypot(x - b.x, z - b.z) < b.radius - 1.0f
                         : x > b.x0 + 1.0f && x < b.x1 - 1.0f && z > b.z0 + 1.0f && z < b.z1 - 1.0f)
                return true;
        return false;
    };
    auto clearOfOthers = [&](float x, float z, float r) {
        for (const Spot& t : taken)
            if (std::hypot(t.x - x, t.z - z) < t.r + r)
                return false;
        for (const std::vector<Area>* list : {&params.waters, &params.lavas})
            for (const Area& a : *list)
                if (x > a.x0 - r && x < a.x1 + r && z > a.z0 - r && z < a.z1 + r)
                    return false;
        return true;
    };
    auto put = [&](const std::string& kind, float x, float z, float heading, float scale, Rng& rng) {
        taken.push_back({x, z, propRadius(kind) * scale});
        placeProp(level, kind, Vector3(x, terrain.standHeight(x, z) - 0.15f, z), heading, scale, rng);
    };

    uint32_t seed = hashName(params.name.c_str());
    for (const Placement& p : params.placements) {
        Rng rng(seed += 7919u);
        const float r = propRadius(p.prop);
        switch (p.how) {
        case Placement::Place:
            put(p.prop, p.x, p.z, radians(p.heading), p.scaleMin, rng);
            break;
        case Placement::Row:
            for (int side = 0; side < 2; ++side) {
                if (!(p.sides & (1 << side)))
                    continue;
                float next = -1e9f;
                for (const Section& s : sections) {
                    if (!line.inRange(s, p.from, p.to) || std::fabs(s.s - next) < p.spacing * 0.5f)
                        continue;
                    if (s.s < next)
                        continue;
                    next = s.s + p.spacing;
                    const float lateral = side == 0 ? p.offset : -p.offset;
                    const Vector3 at = s.centre + s.flatLeft * lateral;
                    const float scale = rng.range(p.scaleMin, p.scaleMax);
                    const float heading = headingOf(s.forward) + (side == 0 ? -kPi / 2 : kPi / 2);
                    if (clearOfTrack(at.x, at.z, 0.0f))
                        put(p.prop, at.x, at.z, heading, scale, rng);
                }
            }
            break;
        case Placement::Scatter: {
            int placed = 0;
            for (int attempt = 0; placed < p.count && attempt < p.count * 30; ++attempt) {
                const Section& s = sections[size_t(rng.below(int(sections.size())))];
                const float d = rng.range(p.near, p.far) * (rng.unit() < 0.5f ? -1.0f : 1.0f);
                const Vector3 at = s.centre + s.flatLeft * d + s.forward * rng.range(-1.0f, 1.0f);
                const float scale = rng.range(p.scaleMin, p.scaleMax);
                if (!clearOfTrack(at.x, at.z, r * scale) || !clearOfOthers(at.x, at.z, r * scale * 0.8f))
                    continue;
                if (p.where != 0 && withinWalls(at.x, at.z) != (p.where > 0))
                    continue;
                put(p.prop, at.x, at.z, rng.range(0.0f, 2.0f * kPi), scale, rng);
                ++placed;
            }
            break;
        }
        case Placement::Backdrop: {
            const float cx = (terrain.x0() + terrain.x1()) * 0.5f, cz = (terrain.z0() + terrain.z1()) * 0.5f;
            for (int i = 0; i < p.count; ++i) {
                const float a = 2.0f * kPi * (float(i) + rng.range(-0.3f, 0.3f)) / float(p.count);
                const float radius = p.near * rng.range(0.9f, 1.15f);
                const float x = cx + std::sin(a) * radius, z = cz + std::cos(a) * radius;
                const float scale = rng.range(p.scaleMin, p.scaleMax);
                placeProp(level, p.prop, Vector3(x, terrain.natural(x, z) - 2.0f, z), rng.range(0.0f, 6.3f), scale, rng);
            }
            break;
        }
        }
    }
}

void placeRaceMarkers(LevelModel& level, const LevelParams& params, const Centreline& line, const Terrain& terrain)
{
    const float L = line.length();
    auto pitchOf = [](const Vector3& f) { return -std::asin(std::clamp(f.y, -1.0f, 1.0f)); };

    // Seven slots in two staggered rows behind the line, the front slot
    // first.
    for (int k = 0; k < 7; ++k) {
        const Section s = line.at(L - kGridFront - kGridStep * float(k));
        const float lateral = (k % 2 == 0 ? 1.0f : -1.0f) * s.width * 0.22f;
        Marker m;
        m.object = "start";
        m.at = s.at(lateral) + Vector3(0.0f, 0.1f, 0.0f);
        m.heading = headingOf(s.forward);
        m.pitch = pitchOf(s.forward);
        level.starts.push_back(m);
    }

    // The finish line, a third of the way on and two thirds: laps count
    // only when the line is reached from the last of them.
    for (int k = 0; k < 3; ++k) {
        const Section s = line.at(L * float(k) / 3.0f);
        const float reach = s.width + 2.0f * ((s.kerbs ? kKerb : 0.0f) + s.vergeWidth) + 4.0f;
        Marker m;
        m.object = "check";
        m.at = s.centre + Vector3(0.0f, 2.5f, 0.0f);
        m.heading = headingOf(s.forward);
        m.size = Vector3(reach, 9.0f, 3.0f);
        m.surfaceClass = ClassCheck;
        level.checks.push_back(m);
    }

    // Pickups: twelve coins weaving along the lap, then the file's own.
    const std::string extras = "D:\\Zoprax9/3dobjects_extras/";
    auto pickup = [&](const std::string& kind, float fraction, float offset) {
        static const struct {
            const char* kind;
            const char* file;
            int surfaceClass;
        } table[] = {{"coin", "coin.lwo", ClassCoin},           {"item", "extra_addon.lwo", ClassItem},
                     {"special", "spezial_addon.lwo", ClassSpecial}, {"health", "health_addon.lwo", ClassHealth},
                     {"hammer", "hammer_addon.lwo", ClassHammer}, {"quaddamage", "quaddamage_addon.lwo", ClassQuadDamage}};
        const Section s = line.at(fraction * L);
        for (const auto& t : table) {
            if (kind != t.kind)
                continue;
            Marker m;
            m.object = extras + t.file;
            m.at = s.at(offset * (s.width * 0.5f - 1.0f)) + Vector3(0.0f, 0.9f, 0.0f);
            m.heading = headingOf(s.forward);
            m.surfaceClass = t.surfaceClass;
            level.pickups.push_back(m);
        }
    };
    for (int k = 0; k < 12; ++k)
        pickup("coin", 0.06f + 0.9f * float(k) / 12.0f, 0.55f * std::sin(float(k) * 1.3f));
    for (const Pickup& p : params.pickups)
        pickup(p.kind, p.fraction, p.offset);

    // The start camera hangs over the road ahead of the line and looks back
    // down at the grid; the second one looks down on the whole track.
    const Section ahead = line.at(26.0f);
    const Section grid = line.at(L - 13.0f);
    CameraPlace startCamera;
    startCamera.name = "StartCamera";
    startCamera.eye = ahead.at(ahead.width * 0.2f) + Vector3(0.0f, 6.5f, 0.0f);
    startCamera.target = grid.centre + Vector3(0.0f, 0.5f, 0.0f);
    level.cameras.push_back(startCamera);
    CameraPlace overview;
    overview.name = "Overview";
    const Vector3 middle((terrain.x0() + terrain.x1()) * 0.5f, 0.0f, (terrain.z0() + terrain.z1()) * 0.5f);
    const float span = std::max(terrain.x1() - terrain.x0(), terrain.z1() - terrain.z0());
    overview.eye = middle + Vector3(0.0f, span * 0.7f, -span * 0.55f);
    overview.target = middle;
    level.cameras.push_back(overview);
}

} // namespace track
