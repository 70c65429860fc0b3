#include "tools/trackgen/Textures.h"

#include <functional>
#include <map>

namespace track {

namespace {

constexpr int kSize = 256;

using Shader = std::function<Rgb(float u, float v, const Paint& p, uint32_t seed)>;

// Noise over the unit square that tiles: `cells` lattice cells across.
float tiled(float u, float v, int cells, int octaves, uint32_t seed)
{
    return fractalNoise(u * float(cells), v * float(cells), octaves, seed, cells);
}

float grain(float u, float v, uint32_t seed) { return tiled(u, v, 64, 2, seed); }

// Distance to the nearest of a jittered grid of points (cells x cells),
// and the cell's own random value: stones, cobbles, speckles.
void cellular(float u, float v, int cells, uint32_t seed, float& nearest, float& id)
{
    nearest = 10.0f;
    id = 0.0f;
    const float x = u * float(cells), y = v * float(cells);
    const int cx = int(std::floor(x)), cy = int(std::floor(y));
    for (int j = -1; j <= 1; ++j)
        for (int i = -1; i <= 1; ++i) {
            const int gx = cx + i, gy = cy + j;
            const int wx = ((gx % cells) + cells) % cells, wy = ((gy % cells) + cells) % cells;
            Rng r(seed ^ uint32_t(wx * 7919 + wy * 104729 + 1));
            const float px = float(gx) + 0.2f + 0.6f * r.unit(), py = float(gy) + 0.2f + 0.6f * r.unit();
            const float d = std::hypot(x - px, y - py);
            if (d < nearest) {
                nearest = d;
                id = r.unit();
            }
        }
}

Rgb shade(const Rgb& c, float f) { return c * f; }

const std::map<std::string, std::pair<Paint, Shader>>& kinds()
{
    static const std::map<std::string, std::pair<Paint, Shader>> table = {
        {"asphalt", {{{0.30f, 0.30f, 0.32f}, {0.55f, 0.55f, 0.55f}}, [](float u, float v, const Paint& p, uint32_t s) {
             const float n = tiled(u, v, 8, 3, s) * 0.25f + grain(u, v, s + 1) * 0.35f;
             const float speck = grain(u * 3.0f, v * 3.0f, s + 2) > 0.8f ? 0.5f : 0.0f;
             return mix(shade(p.base, 0.8f + n), p.accent, speck);
         }}},
        {"concrete", {{{0.62f, 0.62f, 0.60f}, {0.45f, 0.45f, 0.44f}}, [](float u, float v, const Paint& p, uint32_t s) {
             const float n = tiled(u, v, 4, 4, s) * 0.2f + grain(u, v, s) * 0.12f;
             const float seam = (std::fmod(u, 0.5f) < 0.008f || std::fmod(v, 0.5f) < 0.008f) ? 1.0f : 0.0f;
             return mix(shade(p.base, 0.88f + n), p.accent, seam);
         }}},
        {"cobble", {{{0.58f, 0.54f, 0.50f}, {0.22f, 0.20f, 0.18f}}, [](float u, float v, const Paint& p, uint32_t s) {
             float d, id;
             cellular(u, v, 10, s, d, id);
             const float stone = smoothstep(0.62f, 0.45f, d);
             const Rgb c = shade(p.base, 0.75f + 0.4f * id + 0.15f * grain(u, v, s));
             return mix(p.accent, shade(c, 0.8f + 0.3f * (0.6f - d)), stone);
         }}},
        {"grass", {{{0.34f, 0.58f, 0.22f}, {0.52f, 0.70f, 0.28f}}, [](float u, float v, const Paint& p, uint32_t s) {
             const float n = tiled(u, v, 6, 4, s);
             const float blades = tiled(u * 4.0f, v * 0.5f, 32, 1, s + 5);
             return mix(shade(p.base, 0.8f + 0.3f * blades), p.accent, smoothstep(0.45f, 0.75f, n));
         }}},
        {"sand", {{{0.86f, 0.74f, 0.52f}, {0.74f, 0.60f, 0.40f}}, [](float u, float v, const Paint& p, uint32_t s) {
             const float ripple = 0.5f + 0.5f * std::sin((u * 6.0f + v * 10.0f + tiled(u, v, 4, 2, s) * 2.0f) * 2.0f * kPi);
             return mix(shade(p.base, 0.92f + 0.12f * grain(u, v, s)), p.accent, ripple * 0.35f);
         }}},
        {"snow", {{{0.93f, 0.95f, 0.99f}, {0.76f, 0.84f, 0.95f}}, [](float u, float v, const Paint& p, uint32_t s) {
             const float n = tiled(u, v, 4, 4, s);
             const float sparkle = grain(u * 2.0f, v * 2.0f, s + 3) > 0.9f ? 0.06f : 0.0f;
             return shade(mix(p.base, p.accent, smoothstep(0.4f, 0.8f, n)), 1.0f + sparkle);
         }}},
        {"ice", {{{0.72f, 0.88f, 0.96f}, {0.95f, 0.98f, 1.0f}}, [](float u, float v, const Paint& p, uint32_t s) {
             float d, id;
             cellular(u, v, 5, s, d, id);
             const float wobble = 0.12f * tiled(u, v, 16, 2, s + 2);
             const float crack = smoothstep(0.025f, 0.0f, std::fabs(d + wobble - 0.6f)) * (id < 0.6f ? 1.0f : 0.0f);
             const Rgb c = shade(p.base, 0.88f + 0.18f * tiled(u, v, 4, 3, s + 1));
             return mix(c, p.accent, crack * 0.5f);
         }}},
        {"ash", {{{0.20f, 0.19f, 0.20f}, {0.40f, 0.30f, 0.28f}}, [](float u, float v, const Paint& p, uint32_t s) {
             const float n = tiled(u, v, 6, 4, s);
             return mix(shade(p.base, 0.8f + 0.4f * grain(u, v, s)), p.accent, smoothstep(0.55f, 0.8f, n) * 0.6f);
         }}},
        {"dirt", {{{0.50f, 0.38f, 0.26f}, {0.38f, 0.28f, 0.18f}}, [](float u, float v, const Paint& p, uint32_t s) {
             const float n = tiled(u, v, 6, 4, s);
             return mix(shade(p.base, 0.85f + 0.3f * grain(u, v, s)), p.accent, smoothstep(0.4f, 0.7f, n));
         }}},
        {"rock", {{{0.72f, 0.38f, 0.24f}, {0.55f, 0.26f, 0.16f}}, [](float u, float v, const Paint& p, uint32_t s) {
             const float warp = tiled(u, v, 4, 3, s) * 0.3f;
             const float band = 0.5f + 0.5f * std::sin((v * 8.0f + warp) * 2.0f * kPi);
             return mix(shade(p.base, 0.85f + 0.25f * grain(u, v, s)), p.accent, band * 0.6f);
         }}},
        {"kerb", {{{0.92f, 0.12f, 0.10f}, {0.96f, 0.96f, 0.96f}}, [](float, float v, const Paint& p, uint32_t) {
             return std::fmod(v * 4.0f, 1.0f) < 0.5f ? p.base : p.accent;
         }}},
        {"checker", {{{0.08f, 0.08f, 0.08f}, {0.96f, 0.96f, 0.96f}}, [](float u, float v, const Paint& p, uint32_t) {
             return (int(u * 8.0f) + int(v * 8.0f)) % 2 ? p.base : p.accent;
         }}},
        {"stripes", {{{0.95f, 0.80f, 0.10f}, {0.12f, 0.12f, 0.12f}}, [](float u, float v, const Paint& p, uint32_t) {
             return std::fmod(u * 4.0f + v * 4.0f, 1.0f) < 0.5f ? p.base : p.accent;
         }}},
        {"brick", {{{0.70f, 0.32f, 0.22f}, {0.80f, 0.76f, 0.68f}}, [](float u, float v, const Paint& p, uint32_t s) {
             const float row = std::floor(v * 16.0f);
             const float x = u * 8.0f + (int(row) % 2 ? 0.5f : 0.0f);
             const bool mortar = std::fmod(v * 16.0f, 1.0f) < 0.12f || std::fmod(x, 1.0f) < 0.06f;
             Rng r(s ^ uint32_t(row * 31.0f + std::floor(x) * 7.0f));
             return mortar ? p.accent : shade(p.base, 0.85f + 0.25f * r.unit());
         }}},
        {"planks", {{{0.62f, 0.44f, 0.26f}, {0.34f, 0.22f, 0.12f}}, [](float u, float v, const Paint& p, uint32_t s) {
             const float plank = std::floor(u * 6.0f);
             const bool gap = std::fmod(u * 6.0f, 1.0f) < 0.06f;
             const float streak = tiled(u * 0.25f + plank * 0.17f, v, 16, 2, s);
             return gap ? p.accent : shade(p.base, 0.8f + 0.35f * streak);
         }}},
        {"bark", {{{0.40f, 0.27f, 0.17f}, {0.24f, 0.16f, 0.10f}}, [](float u, float v, const Paint& p, uint32_t s) {
             const float streak = tiled(u, v * 0.25f, 16, 2, s);
             return mix(p.base, p.accent, smoothstep(0.45f, 0.7f, streak));
         }}},
        {"foliage", {{{0.18f, 0.45f, 0.20f}, {0.30f, 0.60f, 0.26f}}, [](float u, float v, const Paint& p, uint32_t s) {
             float d, id;
             cellular(u, v, 12, s, d, id);
             return mix(shade(p.base, 0.8f + 0.3f * id), p.accent, smoothstep(0.5f, 0.1f, d) * 0.5f);
         }}},
        {"roof", {{{0.72f, 0.28f, 0.20f}, {0.45f, 0.16f, 0.12f}}, [](float u, float v, const Paint& p, uint32_t s) {
             const float row = std::floor(v * 12.0f);
             const float x = u * 12.0f + (int(row) % 2 ? 0.5f : 0.0f);
             const float inRow = std::fmod(v * 12.0f, 1.0f);
             Rng r(s ^ uint32_t(row * 13.0f + std::floor(x) * 5.0f));
             const bool edge = inRow < 0.1f || std::fmod(x, 1.0f) < 0.05f;
             return edge ? p.accent : shade(p.base, 0.8f + 0.3f * r.unit() + 0.15f * inRow);
         }}},
        {"windows", {{{0.42f, 0.44f, 0.52f}, {1.0f, 0.84f, 0.45f}}, [](float u, float v, const Paint& p, uint32_t s) {
             const float fx = std::fmod(u * 4.0f, 1.0f), fy = std::fmod(v * 4.0f, 1.0f);
             const bool pane = fx > 0.25f && fx < 0.75f && fy > 0.2f && fy < 0.7f;
             Rng r(s ^ uint32_t(std::floor(u * 4.0f) * 17.0f + std::floor(v * 4.0f) * 131.0f));
             const bool lit = r.unit() < 0.55f;
             if (!pane)
                 return shade(p.base, 0.9f + 0.15f * grain(u, v, s));
             return lit ? shade(p.accent, 0.85f + 0.15f * fy) : Rgb{0.10f, 0.12f, 0.18f};
         }}},
        {"plaster", {{{0.92f, 0.86f, 0.72f}, {0.80f, 0.72f, 0.58f}}, [](float u, float v, const Paint& p, uint32_t s) {
             return mix(p.base, p.accent, smoothstep(0.4f, 0.8f, tiled(u, v, 6, 4, s)) * 0.6f);
         }}},
        {"container", {{{0.80f, 0.22f, 0.16f}, {0.55f, 0.14f, 0.10f}}, [](float u, float v, const Paint& p, uint32_t s) {
             const float ridge = 0.5f + 0.5f * std::sin(u * 24.0f * 2.0f * kPi);
             const float rust = smoothstep(0.6f, 0.85f, tiled(u, v, 8, 3, s));
             return mix(shade(p.base, 0.8f + 0.25f * ridge), p.accent, rust * 0.5f);
         }}},
        {"water", {{{0.12f, 0.36f, 0.55f}, {0.55f, 0.78f, 0.90f}}, [](float u, float v, const Paint& p, uint32_t s) {
             const float w = tiled(u, v, 8, 3, s);
             const float crest = smoothstep(0.66f, 0.8f, w);
             return mix(shade(p.base, 0.85f + 0.3f * w), p.accent, crest * 0.6f);
         }}},
        {"lava", {{{1.0f, 0.45f, 0.08f}, {0.16f, 0.09f, 0.08f}}, [](float u, float v, const Paint& p, uint32_t s) {
             float d, id;
             cellular(u, v, 6, s, d, id);
             const float crust = smoothstep(0.35f, 0.55f, d + 0.15f * tiled(u, v, 8, 2, s));
             const Rgb glow = mix(p.base, Rgb{1.0f, 0.85f, 0.3f}, smoothstep(0.8f, 0.3f, d));
             return mix(p.accent, glow, 1.0f - crust);
         }}},
        {"crowd", {{{0.35f, 0.35f, 0.40f}, {0.95f, 0.85f, 0.70f}}, [](float u, float v, const Paint& p, uint32_t s) {
             float d, id;
             cellular(u, v, 24, s, d, id);
             static const Rgb shirts[6] = {{0.9f, 0.2f, 0.2f}, {0.2f, 0.4f, 0.9f}, {0.95f, 0.85f, 0.2f},
                                           {0.2f, 0.7f, 0.3f}, {0.95f, 0.95f, 0.95f}, {0.9f, 0.5f, 0.1f}};
             if (d > 0.45f)
                 return p.base;
             return d < 0.2f ? p.accent : shirts[int(id * 6.0f) % 6];
         }}},
        {"metal", {{{0.60f, 0.62f, 0.66f}, {0.40f, 0.42f, 0.46f}}, [](float u, float v, const Paint& p, uint32_t s) {
             return mix(p.base, p.accent, tiled(u * 0.1f, v, 64, 1, s) * 0.5f);
         }}},
        {"tyre", {{{0.12f, 0.12f, 0.13f}, {0.25f, 0.25f, 0.27f}}, [](float u, float v, const Paint& p, uint32_t) {
             return std::fmod(u * 16.0f + v * 2.0f, 1.0f) < 0.3f ? p.accent : p.base;
         }}},
    };
    return table;
}

} // namespace

bool isTextureKind(const std::string& kind) { return kinds().count(kind) != 0; }

Paint defaultPaint(const std::string& kind)
{
    const auto it = kinds().find(kind);
    return it == kinds().end() ? Paint{} : it->second.first;
}

Picture drawTexture(const std::string& kind, const Paint& paint, uint32_t seed)
{
    const auto it = kinds().find(kind);
    // Drawn at twice the size and filtered down: stripe and checker edges
    // stay smooth.
    const int big = kSize * 2;
    Picture p(big, big);
    if (it == kinds().end())
        return p.shrink(2);
    for (int y = 0; y < big; ++y)
        for (int x = 0; x < big; ++x)
            p.set(x, y, it->second.second((float(x) + 0.5f) / float(big), (float(y) + 0.5f) / float(big), paint, seed));
    return p.shrink(2);
}

Picture drawSky(Rgb zenith, Rgb horizon, float clouds, uint32_t seed, float sunHeading, float sunElevation, Rgb sun)
{
    const float sh = radians(sunHeading), se = radians(sunElevation);
    const Vector3 toSun(std::sin(sh) * std::cos(se), std::sin(se), std::cos(sh) * std::cos(se));
    const int width = 512, height = 256;
    Picture p(width, height);
    for (int y = 0; y < height; ++y) {
        // Row 0 is the zenith; the colour leaves the horizon fast, as a
        // real sky does.
        const float up = 1.0f - (float(y) + 0.5f) / float(height);
        const Rgb base = mix(horizon, zenith, std::pow(up, 0.4f));
        for (int x = 0; x < width; ++x) {
            const float u = (float(x) + 0.5f) / float(width);
            // Clouds stretched along the horizon, thinning out towards the
            // zenith and into the horizon's haze.
            const float n = fractalNoise(u * 12.0f, up * 4.0f, 4, seed, 12);
            const float band = smoothstep(0.01f, 0.08f, up) * smoothstep(0.8f, 0.3f, up);
            const float c = smoothstep(0.6f - 0.15f * clouds, 0.72f - 0.12f * clouds, n) * band;
            // The sun's glow: a bright core and a wide warm halo.
            const float a = 2.0f * kPi * u, e = up * kPi / 2.0f;
            const Vector3 dir(std::sin(a) * std::cos(e), std::sin(e), std::cos(a) * std::cos(e));
            const float facing = std::max(0.0f, dot(dir, toSun));
            const float glow = std::pow(facing, 600.0f) + 0.35f * std::pow(facing, 12.0f);
            const Rgb sky = mix(base, mix(Rgb{1.0f, 1.0f, 1.0f}, horizon, 0.25f), c * 0.85f);
            p.set(x, y, sky + (sun * glow) * (1.0f - c * 0.6f));
        }
    }
    return p;
}

} // namespace track
