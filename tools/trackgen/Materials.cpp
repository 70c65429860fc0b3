#include "tools/trackgen/Materials.h"

#include <cstdio>
#include <cstdlib>

namespace track {

namespace {

Material textured(const char* name, const char* kind, float tile, float smoothing = 0.0f)
{
    Material m;
    m.name = name;
    m.kind = kind;
    m.paint = defaultPaint(kind);
    m.tile = tile;
    m.smoothing = smoothing;
    return m;
}

Material painted(const char* name, const char* kind, Paint paint, float tile)
{
    Material m = textured(name, kind, tile);
    m.paint = paint;
    return m;
}

Material plain(const char* name, Rgb colour, float luminosity = 0.0f)
{
    Material m;
    m.name = name;
    m.colour = colour;
    m.luminosity = luminosity;
    return m;
}

} // namespace

MaterialSet::MaterialSet()
{
    // Ground and road surfaces: smoothed, so that terrain reads as rolling
    // ground rather than facets.
    for (const char* kind : {"asphalt", "cobble", "concrete", "grass", "sand", "snow", "ice", "ash", "dirt", "rock"})
        m_materials.push_back(textured(kind, kind, kind[0] == 'r' ? 8.0f : 6.0f, 50.0f));
    Material road = textured("road", "asphalt", 12.0f, 50.0f);
    road.roadLines = true;
    m_materials.push_back(road);
    Material grid = road;
    grid.name = "gridroad";
    grid.tile = 6.4f;
    grid.gridMarks = true;
    m_materials.push_back(grid);
    m_materials.push_back(textured("kerb", "kerb", 8.0f, 50.0f));
    m_materials.push_back(textured("startline", "checker", 2.0f));
    Material water = textured("water", "water", 16.0f, 50.0f);
    water.specular = 0.6f;
    water.glossiness = 0.6f;
    water.luminosity = 0.15f;
    m_materials.push_back(water);
    Material lava = textured("lava", "lava", 12.0f, 50.0f);
    lava.luminosity = 1.0f;
    m_materials.push_back(lava);
    Material sky = textured("sky", "", 1.0f, 89.0f);
    sky.luminosity = 1.0f;
    sky.edgeClamp = true;
    m_materials.push_back(sky);
    // Barriers, walls and buildings.
    m_materials.push_back(textured("barrier", "stripes", 2.0f));
    m_materials.push_back(painted("barrier_red", "stripes", {{0.92f, 0.14f, 0.12f}, {0.96f, 0.96f, 0.96f}}, 2.0f));
    m_materials.push_back(textured("rockwall", "rock", 8.0f, 40.0f));
    m_materials.push_back(textured("brick", "brick", 4.0f));
    m_materials.push_back(textured("planks", "planks", 3.0f));
    m_materials.push_back(textured("plaster", "plaster", 4.0f));
    m_materials.push_back(textured("roof", "roof", 4.0f));
    Material windows = textured("windows", "windows", 6.0f);
    windows.luminosity = 0.3f;
    m_materials.push_back(windows);
    // Towers of the skylines in three facades.
    for (const auto& [name, paint] : {std::pair<const char*, Paint>{"facade_stone", {{0.78f, 0.68f, 0.52f}, {1.0f, 0.86f, 0.55f}}},
                                      std::pair<const char*, Paint>{"facade_glass", {{0.30f, 0.48f, 0.56f}, {0.75f, 0.90f, 1.0f}}},
                                      std::pair<const char*, Paint>{"facade_brick", {{0.62f, 0.34f, 0.26f}, {1.0f, 0.80f, 0.50f}}}}) {
        Material m = painted(name, "windows", paint, 6.0f);
        m.luminosity = 0.25f;
        m_materials.push_back(m);
    }
    m_materials.push_back(textured("crowd", "crowd", 6.0f));
    m_materials.push_back(textured("metal", "metal", 4.0f));
    m_materials.push_back(painted("crane", "metal", {{0.95f, 0.72f, 0.10f}, {0.80f, 0.58f, 0.08f}}, 4.0f));
    m_materials.push_back(textured("tyre", "tyre", 1.0f));
    m_materials.push_back(painted("container_red", "container", {{0.80f, 0.22f, 0.16f}, {0.50f, 0.20f, 0.12f}}, 6.0f));
    m_materials.push_back(painted("container_blue", "container", {{0.16f, 0.36f, 0.75f}, {0.40f, 0.26f, 0.20f}}, 6.0f));
    m_materials.push_back(painted("container_green", "container", {{0.18f, 0.58f, 0.32f}, {0.40f, 0.30f, 0.18f}}, 6.0f));
    m_materials.push_back(painted("container_yellow", "container", {{0.95f, 0.76f, 0.18f}, {0.55f, 0.35f, 0.15f}}, 6.0f));
    // Nature.
    m_materials.push_back(textured("bark", "bark", 2.0f));
    m_materials.push_back(textured("foliage", "foliage", 4.0f));
    m_materials.push_back(painted("pine", "foliage", {{0.10f, 0.32f, 0.18f}, {0.18f, 0.44f, 0.22f}}, 4.0f));
    m_materials.push_back(painted("cactus", "bark", {{0.30f, 0.55f, 0.25f}, {0.20f, 0.42f, 0.18f}}, 2.0f));
    m_materials.push_back(painted("boulder", "rock", {{0.55f, 0.53f, 0.50f}, {0.42f, 0.40f, 0.38f}}, 4.0f));
    m_materials.push_back(painted("icewall", "ice", {{0.55f, 0.78f, 0.95f}, {0.85f, 0.95f, 1.0f}}, 6.0f));
    m_materials.push_back(painted("darkrock", "ash", {{0.16f, 0.14f, 0.15f}, {0.30f, 0.16f, 0.12f}}, 6.0f));
    // Plain colours.
    m_materials.push_back(plain("white", {0.95f, 0.95f, 0.95f}));
    m_materials.push_back(plain("dark", {0.15f, 0.15f, 0.17f}));
    m_materials.push_back(plain("shadow", {0.0f, 0.0f, 0.0f}));
    m_materials.push_back(plain("lamp", {1.0f, 0.92f, 0.65f}, 1.0f));
    m_materials.push_back(plain("glow", {1.0f, 0.55f, 0.12f}, 1.0f));
    m_materials.push_back(plain("flag_red", {0.92f, 0.18f, 0.14f}));
    m_materials.push_back(plain("flag_blue", {0.15f, 0.35f, 0.85f}));
    m_materials.push_back(plain("flag_yellow", {0.98f, 0.82f, 0.15f}));
    m_materials.push_back(plain("awning", {0.20f, 0.55f, 0.85f}));
}

int MaterialSet::find(const std::string& name) const
{
    for (size_t i = 0; i < m_materials.size(); ++i)
        if (m_materials[i].name == name)
            return int(i);
    return -1;
}

uint16_t MaterialSet::id(const std::string& name) const
{
    const int i = find(name);
    if (i < 0) {
        std::fprintf(stderr, "trackgen: no material \"%s\"\n", name.c_str());
        std::abort();
    }
    return uint16_t(i);
}

Picture materialTexture(const Material& m, uint32_t seed)
{
    Picture p = drawTexture(m.kind, m.paint, seed);
    if (!m.roadLines)
        return p;
    // Solid white edge lines; u runs across the road, 1 at its left edge.
    const Rgb white{0.94f, 0.94f, 0.92f};
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x) {
            const float u = (float(x) + 0.5f) / float(p.width()), v = (float(y) + 0.5f) / float(p.height());
            const float edge = std::min(u, 1.0f - u);
            float paint = smoothstep(0.012f, 0.008f, std::fabs(edge - 0.03f));
            if (m.gridMarks) {
                // A slot's line, and its ticks running back from it.
                auto slot = [&](float u0, float u1, float v0) {
                    const float dv = std::fmod(v - v0 + 1.0f, 1.0f);
                    const bool line = u > u0 && u < u1 && (dv < 0.03f);
                    const bool tick = (std::fabs(u - u0) < 0.008f || std::fabs(u - u1) < 0.008f) && dv > 0.88f;
                    return line || tick ? 1.0f : 0.0f;
                };
                paint = std::max({paint, slot(0.60f, 0.84f, 0.0f), slot(0.16f, 0.40f, 0.5f)});
            }
            p.set(x, y, mix(p.get(x, y), white, paint));
        }
    return p;
}

} // namespace track
