#include "tools/trackgen/Props.h"

#include <functional>
#include <map>

namespace track {

namespace {

struct Kit {
    Mesh look;
    Mesh solid;
};

using Builder = std::function<void(Kit&, const LevelModel&, Rng&)>;

// A convex lump: an icosahedron with each corner pushed in or out, every
// face turned to look away from the middle.
void addLump(Mesh& mesh, uint16_t material, const Vector3& centre, const Vector3& radii, Rng& rng, float jitter,
             float uvScale = 0.5f)
{
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    Vector3 v[12] = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
                     {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    static const int f[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
                                 {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
                                 {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    for (Vector3& p : v) {
        const float k = 1.0f + jitter * (rng.unit() * 2.0f - 1.0f);
        const Vector3 n = unit(p);
        p = centre + Vector3(n.x * radii.x * k, n.y * radii.y * k, n.z * radii.z * k);
    }
    for (const auto& face : f) {
        Vector3 a = v[face[0]], b = v[face[1]], c = v[face[2]];
        if (dot(cross(b - a, c - a), (a + b + c) * (1.0f / 3.0f) - centre) < 0.0f)
            std::swap(b, c);
        auto mv = [&](const Vector3& p) { return MeshVertex{p, (p.x + p.z) * uvScale, p.y * uvScale}; };
        mesh.triangle(material, mv(a), mv(b), mv(c));
    }
}

// A gable roof over a w x d box whose walls end at `top`, ridge along z.
void addGableRoof(Mesh& mesh, uint16_t roof, uint16_t wall, float w, float d, float top, float rise)
{
    const float x = w / 2 + 0.3f, z = d / 2 + 0.3f;
    const Vector3 l0(-x, top, -z), l1(-x, top, z), r0(x, top, -z), r1(x, top, z);
    const Vector3 k0(0, top + rise, -z), k1(0, top + rise, z);
    auto mv = [](const Vector3& p, float u, float v) { return MeshVertex{p, u, v}; };
    const float slope = std::hypot(x, rise);
    mesh.quad(roof, mv(l0, 0, 0), mv(l1, 0, d), mv(k1, slope, d), mv(k0, slope, 0));
    mesh.quad(roof, mv(r1, 0, d), mv(r0, 0, 0), mv(k0, slope, 0), mv(k1, slope, d));
    // The gable ends, in the wall's material.
    const Vector3 g0(-w / 2, top, -d / 2), g1(w / 2, top, -d / 2), gk(0, top + rise - 0.2f, -d / 2);
    mesh.triangle(wall, mv(g0, 0, 0), mv(gk, w / 2, rise), mv(g1, w, 0));
    const Vector3 h0(-w / 2, top, d / 2), h1(w / 2, top, d / 2), hk(0, top + rise - 0.2f, d / 2);
    mesh.triangle(wall, mv(h1, 0, 0), mv(hk, w / 2, rise), mv(h0, w, 0));
}

void box(Mesh& m, uint16_t material, float x0, float y0, float z0, float x1, float y1, float z1, float uv = 0.5f)
{
    addBox(m, material, Vector3(x0, y0, z0), Vector3(x1, y1, z1), uv);
}

const std::map<std::string, std::pair<float, Builder>>& kit()
{
    static const std::map<std::string, std::pair<float, Builder>> table = {
        {"pine", {2.4f, [](Kit& k, const LevelModel& l, Rng& r) {
             addPrism(k.look, l.id("bark"), {}, 1.6f, 0.3f, 0.22f, 6, false);
             const float tiers[3][3] = {{1.1f, 2.5f, 3.2f}, {2.7f, 2.0f, 2.8f}, {4.2f, 1.4f, 2.6f}};
             const float lean = r.range(0.9f, 1.1f);
             // Only the lowest tier's underside can be seen.
             for (const auto& t : tiers)
                 addPrism(k.look, l.id("pine"), Vector3(0, t[0] * lean, 0), t[2] * lean, t[1], 0.0f, 7, &t == &tiers[0], 0.4f);
             addPrism(k.solid, 0, {}, 3.0f, 0.5f, 0.5f, 6);
         }}},
        {"tree", {2.6f, [](Kit& k, const LevelModel& l, Rng& r) {
             addPrism(k.look, l.id("bark"), {}, 2.4f, 0.32f, 0.24f, 6, false);
             addLump(k.look, l.id("foliage"), Vector3(0, 3.4f, 0), Vector3(2.3f, 1.9f, 2.3f), r, 0.18f, 0.3f);
             addPrism(k.solid, 0, {}, 3.0f, 0.5f, 0.5f, 6);
         }}},
        {"bush", {1.2f, [](Kit& k, const LevelModel& l, Rng& r) {
             addLump(k.look, l.id("foliage"), Vector3(0, 0.5f, 0), Vector3(1.2f, 0.8f, 1.1f), r, 0.2f);
         }}},
        {"rock", {1.8f, [](Kit& k, const LevelModel& l, Rng& r) {
             addLump(k.look, l.id("boulder"), Vector3(0, 0.4f, 0), Vector3(1.7f, 1.1f, 1.4f), r, 0.3f);
             addPrism(k.solid, 0, {}, 1.4f, 1.4f, 0.9f, 6);
         }}},
        {"redrock", {4.0f, [](Kit& k, const LevelModel& l, Rng& r) {
             addLump(k.look, l.id("rockwall"), Vector3(0, 3.5f, 0), Vector3(3.2f, 5.0f, 2.8f), r, 0.25f, 0.15f);
             addLump(k.look, l.id("rockwall"), Vector3(1.0f, 8.0f, 0.5f), Vector3(2.2f, 2.2f, 2.0f), r, 0.3f, 0.15f);
             addPrism(k.solid, 0, {}, 8.0f, 3.0f, 2.0f, 6);
         }}},
        {"iceblock", {2.2f, [](Kit& k, const LevelModel& l, Rng& r) {
             addLump(k.look, l.id("icewall"), Vector3(0, 1.2f, 0), Vector3(2.0f, 2.2f, 1.8f), r, 0.35f, 0.25f);
             addPrism(k.solid, 0, {}, 2.5f, 1.7f, 1.2f, 6);
         }}},
        {"snowbank", {2.5f, [](Kit& k, const LevelModel& l, Rng& r) {
             addLump(k.look, l.id("snow"), Vector3(0, 0.0f, 0), Vector3(2.8f, 1.2f, 2.2f), r, 0.15f, 0.2f);
             addPrism(k.solid, 0, {}, 1.0f, 2.2f, 1.6f, 6);
         }}},
        {"deadtree", {1.5f, [](Kit& k, const LevelModel& l, Rng& r) {
             addPrism(k.look, l.id("darkrock"), {}, 4.5f, 0.3f, 0.12f, 5, false);
             const float a = r.range(0.0f, 6.0f);
             for (int i = 0; i < 3; ++i) {
                 Mesh branch;
                 addBox(branch, l.id("darkrock"), Vector3(0.0f, -0.06f, -0.06f), Vector3(1.3f - 0.3f * float(i), 0.06f, 0.06f));
                 k.look.append(branch, Vector3(0, 2.0f + 0.8f * float(i), 0), a + float(i) * 2.3f);
             }
             addPrism(k.solid, 0, {}, 3.0f, 0.4f, 0.4f, 5);
         }}},
        {"logs", {2.2f, [](Kit& k, const LevelModel& l, Rng&) {
             for (int i = 0; i < 4; ++i)
                 box(k.look, l.id("bark"), -1.8f, 0.0f, -1.2f + 0.62f * float(i), 1.8f, 0.55f, -0.66f + 0.62f * float(i));
             for (int i = 0; i < 3; ++i)
                 box(k.look, l.id("bark"), -1.7f, 0.55f, -0.9f + 0.62f * float(i), 1.7f, 1.1f, -0.35f + 0.62f * float(i));
             box(k.solid, 0, -1.8f, 0, -1.3f, 1.8f, 1.1f, 1.3f);
         }}},
        {"tyres", {0.6f, [](Kit& k, const LevelModel& l, Rng&) {
             for (int i = 0; i < 4; ++i)
                 addPrism(k.look, l.id("tyre"), Vector3(0, 0.3f * float(i), 0), 0.3f, 0.5f, 0.5f, 8, i == 3);
             addPrism(k.solid, 0, {}, 1.2f, 0.5f, 0.5f, 8);
         }}},
        {"fence", {2.0f, [](Kit& k, const LevelModel& l, Rng&) {
             for (float x : {-2.0f, 2.0f})
                 box(k.look, l.id("planks"), x - 0.08f, 0.0f, -0.08f, x + 0.08f, 1.2f, 0.08f);
             for (float y : {0.45f, 0.95f})
                 box(k.look, l.id("planks"), -2.0f, y, -0.04f, 2.0f, y + 0.16f, 0.04f);
             box(k.solid, 0, -2.0f, 0, -0.1f, 2.0f, 1.2f, 0.1f);
         }}},
        {"container", {3.4f, [](Kit& k, const LevelModel& l, Rng& r) {
             static const char* const paints[4] = {"container_red", "container_blue", "container_green",
                                                   "container_yellow"};
             const uint16_t m = l.id(paints[r.below(4)]);
             box(k.look, m, -1.2f, 0.0f, -3.0f, 1.2f, 2.6f, 3.0f, 1.0f / 6.0f);
             if (r.unit() < 0.4f)
                 box(k.look, l.id(paints[r.below(4)]), -1.2f, 2.6f, -3.0f, 1.2f, 5.2f, 3.0f, 1.0f / 6.0f);
             box(k.solid, 0, -1.2f, 0.0f, -3.0f, 1.2f, 2.6f, 3.0f);
         }}},
        {"crane", {6.0f, [](Kit& k, const LevelModel& l, Rng&) {
             const uint16_t m = l.id("crane");
             for (float x : {-3.5f, 3.5f})
                 for (float z : {-3.5f, 3.5f})
                     box(k.look, m, x - 0.4f, 0, z - 0.4f, x + 0.4f, 10.0f, z + 0.4f);
             box(k.look, m, -4.0f, 10.0f, -4.0f, 4.0f, 12.0f, 4.0f);
             box(k.look, m, -1.0f, 12.0f, -1.0f, 1.0f, 30.0f, 1.0f);
             box(k.look, m, -1.2f, 30.0f, -8.0f, 1.2f, 31.5f, 26.0f);
             box(k.look, l.id("dark"), -2.0f, 29.0f, -8.0f, 2.0f, 32.0f, -4.0f);
             box(k.look, l.id("windows"), -1.4f, 27.0f, 0.5f, 1.4f, 29.5f, 3.0f);
             for (float x : {-3.5f, 3.5f})
                 for (float z : {-3.5f, 3.5f})
                     box(k.solid, 0, x - 0.5f, 0, z - 0.5f, x + 0.5f, 3.0f, z + 0.5f);
         }}},
        {"lamp", {0.5f, [](Kit& k, const LevelModel& l, Rng&) {
             addPrism(k.look, l.id("metal"), {}, 6.0f, 0.12f, 0.08f, 6, false);
             box(k.look, l.id("metal"), -0.1f, 5.9f, -0.1f, 0.1f, 6.1f, 1.2f);
             box(k.look, l.id("lamp"), -0.25f, 5.7f, 0.9f, 0.25f, 5.9f, 1.5f);
             addPrism(k.solid, 0, {}, 2.0f, 0.2f, 0.2f, 6);
         }}},
        {"stand", {11.0f, [](Kit& k, const LevelModel& l, Rng&) {
             // Seven steps rising away from the road (+z), crowd on each.
             for (int i = 0; i < 7; ++i) {
                 const float z0 = float(i) * 1.2f, y1 = 0.8f + 0.7f * float(i);
                 box(k.look, l.id("concrete"), -10.0f, 0.0f, z0, 10.0f, y1 - 0.4f, z0 + 1.2f);
                 box(k.look, l.id("crowd"), -10.0f, y1 - 0.4f, z0, 10.0f, y1, z0 + 1.2f, 0.25f);
             }
             for (float x : {-9.8f, 9.8f})
                 box(k.look, l.id("metal"), x - 0.15f, 0.0f, 8.0f, x + 0.15f, 8.5f, 8.3f);
             box(k.look, l.id("metal"), -10.5f, 8.5f, -0.5f, 10.5f, 8.8f, 8.6f);
             box(k.solid, 0, -10.0f, 0.0f, 0.0f, 10.0f, 5.0f, 8.4f);
         }}},
        {"house", {6.0f, [](Kit& k, const LevelModel& l, Rng& r) {
             const float w = r.range(6.0f, 9.0f), d = r.range(6.0f, 8.0f), h = r.range(5.0f, 9.0f);
             box(k.look, l.id("windows"), -w / 2, 0.0f, -d / 2, w / 2, h, d / 2, 1.0f / 6.0f);
             addGableRoof(k.look, l.id("roof"), l.id("plaster"), w, d, h, r.range(2.0f, 3.5f));
             box(k.solid, 0, -w / 2, 0.0f, -d / 2, w / 2, h, d / 2);
         }}},
        {"tower", {9.0f, [](Kit& k, const LevelModel& l, Rng& r) {
             static const char* const facades[4] = {"windows", "facade_stone", "facade_glass", "facade_brick"};
             const float w = r.range(10.0f, 18.0f), d = r.range(10.0f, 18.0f), h = r.range(25.0f, 70.0f);
             box(k.look, l.id(facades[r.below(4)]), -w / 2, 0.0f, -d / 2, w / 2, h, d / 2, 1.0f / 6.0f);
             box(k.look, l.id("concrete"), -w / 2 - 0.3f, h, -d / 2 - 0.3f, w / 2 + 0.3f, h + 1.0f, d / 2 + 0.3f);
             if (r.unit() < 0.5f)
                 box(k.look, l.id("metal"), -1.0f, h + 1.0f, -1.0f, 1.0f, h + 6.0f, 1.0f);
             box(k.solid, 0, -w / 2, 0.0f, -d / 2, w / 2, h, d / 2);
         }}},
        {"market", {2.5f, [](Kit& k, const LevelModel& l, Rng& r) {
             static const char* const colours[3] = {"awning", "flag_red", "flag_yellow"};
             for (float x : {-1.8f, 1.8f})
                 for (float z : {-1.2f, 1.2f})
                     box(k.look, l.id("planks"), x - 0.06f, 0, z - 0.06f, x + 0.06f, 2.4f, z + 0.06f);
             box(k.look, l.id(colours[r.below(3)]), -2.1f, 2.4f, -1.5f, 2.1f, 2.6f, 1.5f);
             box(k.look, l.id("planks"), -1.8f, 0.0f, -1.2f, 1.8f, 0.9f, -0.6f);
             box(k.solid, 0, -1.9f, 0.0f, -1.3f, 1.9f, 1.0f, 1.3f);
         }}},
        {"crate", {0.9f, [](Kit& k, const LevelModel& l, Rng& r) {
             box(k.look, l.id("planks"), -0.7f, 0.0f, -0.7f, 0.7f, 1.4f, 0.7f, 0.7f);
             if (r.unit() < 0.3f)
                 box(k.look, l.id("planks"), -0.5f, 1.4f, -0.5f, 0.5f, 2.4f, 0.5f, 0.7f);
             box(k.solid, 0, -0.7f, 0.0f, -0.7f, 0.7f, 1.4f, 0.7f);
         }}},
        {"vent", {1.2f, [](Kit& k, const LevelModel& l, Rng&) {
             addPrism(k.look, l.id("metal"), {}, 1.6f, 0.9f, 0.9f, 10, false);
             addPrism(k.look, l.id("dark"), Vector3(0, 1.6f, 0), 0.35f, 1.1f, 0.2f, 10, false);
             addPrism(k.solid, 0, {}, 1.6f, 0.9f, 0.9f, 8);
         }}},
        {"boat", {4.0f, [](Kit& k, const LevelModel& l, Rng& r) {
             const uint16_t hull = l.id(r.unit() < 0.5f ? "flag_red" : "flag_blue");
             box(k.look, hull, -1.6f, -0.4f, -4.0f, 1.6f, 0.9f, 3.0f);
             addPrism(k.look, hull, Vector3(0, -0.4f, 3.0f), 1.3f, 1.6f, 0.0f, 4, false);
             box(k.look, l.id("white"), -1.1f, 0.9f, -3.0f, 1.1f, 2.4f, 0.0f);
             box(k.look, l.id("windows"), -1.15f, 1.5f, -2.8f, 1.15f, 2.1f, -0.2f, 0.3f);
         }}},
        {"snowpine", {2.4f, [](Kit& k, const LevelModel& l, Rng& r) {
             addPrism(k.look, l.id("bark"), {}, 1.6f, 0.3f, 0.22f, 6, false);
             const float tiers[3][3] = {{1.1f, 2.5f, 3.2f}, {2.7f, 2.0f, 2.8f}, {4.2f, 1.4f, 2.6f}};
             const float lean = r.range(0.9f, 1.1f);
             for (const auto& t : tiers) {
                 addPrism(k.look, l.id("pine"), Vector3(0, t[0] * lean, 0), t[2] * 0.55f * lean, t[1], t[1] * 0.45f, 7,
                          &t == &tiers[0], 0.4f);
                 addPrism(k.look, l.id("snow"), Vector3(0, (t[0] + t[2] * 0.55f) * lean, 0), t[2] * 0.45f * lean,
                          t[1] * 0.45f, 0.0f, 7, false, 0.4f);
             }
             addPrism(k.solid, 0, {}, 3.0f, 0.5f, 0.5f, 6);
         }}},
        {"cactus", {0.8f, [](Kit& k, const LevelModel& l, Rng& r) {
             const uint16_t m = l.id("cactus");
             const float h = r.range(2.2f, 3.6f);
             addPrism(k.look, m, {}, h, 0.32f, 0.28f, 6, true, 0.5f);
             for (float side : {-1.0f, 1.0f}) {
                 if (r.unit() < 0.3f)
                     continue;
                 const float y = r.range(0.8f, h * 0.6f);
                 addBox(k.look, m, Vector3(side > 0 ? 0.2f : -0.8f, y, -0.18f), Vector3(side > 0 ? 0.8f : -0.2f, y + 0.32f, 0.18f));
                 addPrism(k.look, m, Vector3(side * 0.62f, y, 0.0f), r.range(0.8f, 1.4f), 0.2f, 0.17f, 6, true, 0.5f);
             }
             addPrism(k.solid, 0, {}, 2.0f, 0.4f, 0.4f, 6);
         }}},
        {"blackrock", {1.8f, [](Kit& k, const LevelModel& l, Rng& r) {
             addLump(k.look, l.id("darkrock"), Vector3(0, 0.6f, 0), Vector3(1.6f, 1.4f, 1.5f), r, 0.35f);
             addPrism(k.solid, 0, {}, 1.6f, 1.3f, 0.8f, 6);
         }}},
        {"mesa", {90.0f, [](Kit& k, const LevelModel& l, Rng& r) {
             const float h = r.range(40.0f, 80.0f), rad = r.range(70.0f, 120.0f);
             addPrism(k.look, l.id("rockwall"), Vector3(0, -20.0f, 0), h + 20.0f, rad, rad * 0.8f, 10, true, 0.03f);
         }}},
        {"mountain", {60.0f, [](Kit& k, const LevelModel& l, Rng& r) {
             const float h = r.range(60.0f, 120.0f), rad = r.range(80.0f, 140.0f);
             addPrism(k.look, l.id("rockwall"), Vector3(0, -20.0f, 0), h * 0.7f + 20.0f, rad, rad * 0.3f, 9, false, 0.05f);
             addPrism(k.look, l.id("snow"), Vector3(0, h * 0.7f, 0), h * 0.3f, rad * 0.3f, 0.0f, 9, false, 0.05f);
         }}},
        {"hill", {60.0f, [](Kit& k, const LevelModel& l, Rng& r) {
             addLump(k.look, l.id("grass"), Vector3(0, -10.0f, 0), Vector3(90.0f, 45.0f, 70.0f), r, 0.15f, 0.05f);
         }}},
        {"volcanocone", {80.0f, [](Kit& k, const LevelModel& l, Rng&) {
             addPrism(k.look, l.id("darkrock"), Vector3(0, -20.0f, 0), 150.0f, 220.0f, 40.0f, 12, false, 0.05f);
             addPrism(k.look, l.id("lava"), Vector3(0, 129.0f, 0), 1.0f, 40.0f, 30.0f, 12, true, 0.05f);
         }}},
        {"flag", {0.5f, [](Kit& k, const LevelModel& l, Rng& r) {
             static const char* const colours[3] = {"flag_red", "flag_blue", "flag_yellow"};
             addPrism(k.look, l.id("metal"), {}, 7.0f, 0.08f, 0.06f, 5, false);
             box(k.look, l.id(colours[r.below(3)]), 0.05f, 5.2f, -0.03f, 2.2f, 6.8f, 0.03f);
         }}},
    };
    return table;
}

} // namespace

bool isPropKind(const std::string& kind) { return kit().count(kind) != 0; }

float propRadius(const std::string& kind)
{
    const auto it = kit().find(kind);
    return it == kit().end() ? 1.0f : it->second.first;
}

void placeProp(LevelModel& level, const std::string& kind, const Vector3& foot, float heading, float scale, Rng& rng)
{
    const auto it = kit().find(kind);
    if (it == kit().end())
        return;
    Kit k;
    it->second.second(k, level, rng);
    level.scenery.append(k.look, foot, heading, scale);
    level.walls.append(k.solid, foot, heading, scale);
}

} // namespace track
