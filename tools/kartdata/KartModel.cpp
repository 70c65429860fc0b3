#include "tools/kartdata/KartModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// The kart's surfaces: the names are the ones the race tints and the shop
// paints; "kart logo" carries the kart's colour picture over the whole kart
// and its logo on the bonnet.
struct KartSurfaces {
    uint16_t paint, chrome, plastic, metal, rubber;
};

// The paint: two image layers seen from above, the kart's colour picture
// over the whole kart (its stripes run along the kart), then its logo once
// on the bonnet. The logo layer stretches the picture's edge, which is
// transparent in every logo, beyond it: a "reset" layer would show the
// surface's own colour there and cover the paint. A kart, and each kart
// preview, points these two layers at its own colour and logo just before it
// is drawn; the pictures named here are what the object shows otherwise.
Lwo2Surface paintSurface(ModelFile& file, float logoZ)
{
    Lwo2Surface s = material("kart logo", 0xFFFFFF, 0.45f, 0.45f, 0.9f);
    Lwo2Block colour;
    colour.ordinal = "\x80";
    colour.projection = 0; // planar
    colour.axis = 1;       // along y
    colour.size = {1.0f, 1.0f, 2.0f};
    colour.image = file.image("D:/Zoprax9/textures_cars/kart_blau_0001.bmp");
    colour.wrapU = colour.wrapV = 1; // repeat
    Lwo2Block logo = colour;
    logo.ordinal = "\x81";
    logo.center = {0.0f, 0.0f, logoZ};
    logo.size = {0.3f, 1.0f, 0.3f};
    logo.image = file.image("D:/Zoprax9/textures_cars/kartlogo_01.png");
    logo.wrapU = logo.wrapV = 3; // edge
    s.blocks = {colour, logo};
    return s;
}

// Lathes turn about Y: these put that axis along the axle (+X outward on
// the right, -X on the left) or along the kart.
Place alongX(float outward, Vec at)
{
    return Place::turn(2, outward > 0 ? -kPi / 2 : kPi / 2) * Place::at(at);
}

Place alongZ(Vec at)
{
    return Place::turn(0, kPi / 2) * Place::at(at);
}

// An outline drawn in the kart's side view (u forward along z, v up),
// extruded across the kart from x0 to x1.
Place sideView(float x0)
{
    return Place::axes({0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {x0, 0, 0});
}

Mesh& sideProfile(Mesh& m, const std::vector<Flat>& outline, float x0, float x1)
{
    return m.prism(outline, 0.0f, x1 - x0, sideView(x0));
}

// A cooling-finned cylinder standing on its base at `at`, tipped by `lean`
// radians across the kart.
void finnedCylinder(Mesh& m, Vec at, float radius, float height, int fins, float lean)
{
    std::vector<Ring> profile{{0, 0}};
    for (int i = 0; i < fins; ++i) {
        const float h0 = height * float(i) / float(fins), h1 = height * float(i + 1) / float(fins);
        profile.push_back({radius, h0});
        profile.push_back({radius * 1.3f, h0 + 0.2f * (h1 - h0)});
        profile.push_back({radius * 1.3f, h0 + 0.5f * (h1 - h0)});
        profile.push_back({radius, h0 + 0.7f * (h1 - h0)});
    }
    profile.push_back({radius * 0.8f, height});
    profile.push_back({0, height});
    m.lathe(profile, 14, Place::turn(2, lean) * Place::at(at));
}

// Tyre and rim of one level round its own centre, the axle along X and its
// face to the side `outward` (+1 right, -1 left).
void tyre(Mesh& m, const KartSurfaces& s, int level, float radius, float width, float outward)
{
    struct Look {
        float extraWidth, rimRadius, hubRadius;
        uint16_t lip, dish, hub;
        int spokes;
    };
    const Look looks[6] = {
        {0.00f, 0.150f, 0.05f, s.metal, s.metal, s.metal, 0},
        {0.01f, 0.155f, 0.06f, s.chrome, s.chrome, s.chrome, 0},
        {0.02f, 0.160f, 0.05f, s.paint, s.paint, s.chrome, 0},
        {0.03f, 0.165f, 0.05f, s.chrome, s.paint, s.chrome, 5},
        {0.04f, 0.185f, 0.06f, s.chrome, s.paint, s.chrome, 3},
        {0.05f, 0.190f, 0.05f, s.paint, s.chrome, s.paint, 8},
    };
    const Look& l = looks[std::clamp(level, 0, 5)];
    const float w = 0.5f * (width + l.extraWidth);
    const float rr = l.rimRadius, r = radius;
    const Place side = alongX(outward, {});
    m.lathe({{0, -w + 0.02f},
             {rr, -w + 0.02f},
             {r - 0.035f, -w},
             {r, -w + 0.035f},
             {r, w - 0.035f},
             {r - 0.035f, w},
             {rr + 0.012f, w - 0.006f},
             {rr, w - 0.02f},
             {l.hubRadius, w - 0.045f},
             {l.hubRadius, w - 0.012f},
             {0, w - 0.012f}},
            20, side, {l.dish, s.rubber, s.rubber, s.rubber, s.rubber, s.rubber, l.lip, l.dish, l.hub, l.hub});
    // Bolts round the hub, or spokes across the dish: they show the wheel
    // turning.
    const int studs = l.spokes ? l.spokes : 4;
    for (int k = 0; k < studs; ++k) {
        const Place spin = Place::turn(1, 2.0f * kPi * float(k) / float(studs) + 0.3f);
        if (l.spokes) {
            m.use(l.hub).box({-0.014f, w - 0.05f, l.hubRadius * 0.6f}, {0.014f, w - 0.022f, rr - 0.005f},
                             spin * side);
        } else {
            m.use(s.chrome).box({-0.012f, w - 0.02f, l.hubRadius + 0.01f}, {0.012f, w - 0.004f, l.hubRadius + 0.034f},
                                spin * side);
        }
    }
}

// The painted body, the frame, the seat, the steering wheel and the
// bumpers: everything of the kart that no upgrade changes.
void body(Mesh& m, const KartSurfaces& s, const KartFrame& f)
{
    // Floor tray and tubular frame.
    m.use(s.metal).box({-0.3f, 0.07f, -0.62f}, {0.3f, 0.095f, 0.72f});
    for (float x : {-0.3f, 0.3f})
        m.rod({x, 0.09f, -0.74f}, {x, 0.09f, 0.78f}, 0.022f);
    m.rod({-0.33f, 0.09f, 0.76f}, {0.33f, 0.09f, 0.76f}, 0.022f);
    m.rod({-0.33f, 0.09f, -0.72f}, {0.33f, 0.09f, -0.72f}, 0.022f);
    const float frontHub = f.frontTrack - f.hubInset, rearHub = f.rearTrack - f.hubInset;
    m.rod({-frontHub, f.wheelRadius, f.frontAxle}, {frontHub, f.wheelRadius, f.frontAxle}, 0.025f);
    for (float x : {-0.3f, 0.3f})
        m.rod({x, 0.09f, f.frontAxle}, {x * 1.05f, f.wheelRadius, f.frontAxle}, 0.02f);
    m.use(s.chrome).rod({-rearHub, f.wheelRadius, f.rearAxle}, {rearHub, f.wheelRadius, f.rearAxle}, 0.028f);
    // Brake disc and sprocket on the rear axle.
    m.use(s.chrome).cylinder(0.1f, 0.012f, 18, alongX(1, {-0.16f, f.wheelRadius, f.rearAxle}));
    m.use(s.metal).cylinder(0.075f, 0.018f, 16, alongX(1, {0.2f, f.wheelRadius, f.rearAxle}));

    // Nose: a wedge seen from the side, with a cowl round the steering
    // column, and the number plate the logo sits on.
    m.use(s.paint);
    sideProfile(m, {{0.34f, 0.1f}, {0.9f, 0.1f}, {1.0f, 0.16f}, {0.97f, 0.23f}, {0.74f, 0.29f}, {0.4f, 0.34f}},
                -0.31f, 0.31f);
    sideProfile(m, {{0.32f, 0.1f}, {0.86f, 0.1f}, {0.95f, 0.2f}, {0.72f, 0.26f}, {0.38f, 0.3f}}, -0.38f, -0.31f);
    sideProfile(m, {{0.32f, 0.1f}, {0.86f, 0.1f}, {0.95f, 0.2f}, {0.72f, 0.26f}, {0.38f, 0.3f}}, 0.31f, 0.38f);
    sideProfile(m, {{0.22f, 0.3f}, {0.56f, 0.3f}, {0.42f, 0.43f}, {0.26f, 0.45f}}, -0.17f, 0.17f);
    m.box({-0.15f, -0.008f, -0.15f}, {0.15f, 0.008f, 0.15f},
          Place::turn(0, 0.16f) * Place::at(0.0f, 0.318f, 0.62f));

    // Bumpers and side bars.
    m.use(s.plastic);
    m.rod({-0.42f, 0.15f, 1.02f}, {0.42f, 0.15f, 1.02f}, 0.035f);
    for (float x : {-0.3f, 0.3f})
        m.rod({x, 0.15f, 1.02f}, {x * 0.8f, 0.12f, 0.9f}, 0.025f);
    m.rod({-0.46f, 0.17f, -0.93f}, {0.46f, 0.17f, -0.93f}, 0.04f);
    for (float x : {-0.3f, 0.3f}) {
        m.rod({x, 0.17f, -0.93f}, {x, 0.1f, -0.72f}, 0.025f);
        const float side = x < 0 ? -0.55f : 0.55f;
        m.rod({side, 0.15f, -0.26f}, {side, 0.15f, 0.34f}, 0.028f);
        m.rod({side, 0.15f, -0.26f}, {x, 0.1f, -0.3f}, 0.022f);
        m.rod({side, 0.15f, 0.34f}, {x, 0.1f, 0.38f}, 0.022f);
    }

    // The bucket seat, leaning back.
    m.box({-0.19f, 0.1f, -0.4f}, {0.19f, 0.19f, -0.06f});
    m.taperedBox({-0.21f, 0.0f, -0.035f}, {0.21f, 0.46f, 0.035f}, 0.03f, 0.0f,
                 Place::turn(0, -0.35f) * Place::at(0.0f, 0.16f, -0.38f));
    for (float x : {-0.2f, 0.2f})
        m.box({-0.03f, 0.0f, -0.17f}, {0.03f, 0.16f, 0.17f}, Place::at(x, 0.17f, -0.24f));

    // Steering column and wheel, tipped towards the driver.
    const Vec wheelAt = f.steeringWheel;
    const float rim = f.steeringRadius;
    m.use(s.chrome).rod({0.0f, 0.32f, 0.5f}, wheelAt, 0.02f);
    const Place wheelPlace = Place::turn(0, -0.95f) * Place::at(wheelAt);
    m.use(s.rubber).ring({{rim - 0.016f, -0.016f}, {rim + 0.016f, -0.016f}, {rim + 0.016f, 0.016f}, {rim - 0.016f, 0.016f}},
                         20, wheelPlace);
    m.use(s.chrome).cylinder(0.035f, 0.04f, 12, wheelPlace);
    for (int k = 0; k < 3; ++k)
        m.box({-0.012f, -0.008f, 0.03f}, {0.012f, 0.008f, rim - 0.01f},
              Place::turn(1, kPi / 2 + 2.0f * kPi * float(k) / 3.0f) * wheelPlace);
}

// A wheel carrier: the upright block at the hub and the stub axle out to
// the wheel; the front ones carry a steering arm too.
Mesh& carrier(Mesh& m, const KartSurfaces& s, const KartFrame& f, int wheel)
{
    const Vec hub = f.hub(wheel), centre = f.wheel(wheel);
    const float out = centre.x < 0 ? -1.0f : 1.0f;
    m.use(s.metal).box({hub.x - 0.03f, hub.y - 0.08f, hub.z - 0.035f}, {hub.x + 0.03f, hub.y + 0.08f, hub.z + 0.035f});
    m.use(s.chrome).rod(hub, {centre.x - out * 0.04f, centre.y, centre.z}, 0.022f);
    if (wheel < 2)
        m.use(s.metal).rod({hub.x, hub.y - 0.04f, hub.z}, {hub.x - out * 0.06f, hub.y - 0.05f, hub.z - 0.12f}, 0.012f);
    else
        m.use(s.metal).cylinder(0.06f, 0.03f, 14, alongX(out, {hub.x + out * 0.05f, hub.y, hub.z}));
    return m;
}

// Side pods of level 1-5 on both sides: deeper and taller each level, with
// trim from level 2 on.
void skirts(Mesh& m, const KartSurfaces& s, int level)
{
    const float k = float(level);
    for (float side : {-1.0f, 1.0f}) {
        const float inner = 0.3f, outer = 0.44f + 0.025f * k, top = 0.17f + 0.03f * k;
        const float x0 = side < 0 ? -outer : inner, x1 = side < 0 ? -inner : outer;
        m.use(s.paint);
        sideProfile(m, {{-0.3f, 0.09f}, {0.36f, 0.09f}, {0.4f, 0.12f}, {0.3f, top}, {-0.24f, top}, {-0.32f, top - 0.04f}},
                    x0, x1);
        const float edge = side < 0 ? x0 : x1;
        if (level >= 2)
            m.use(s.plastic).box({edge - 0.02f, 0.08f, -0.3f}, {edge + 0.02f, 0.11f, 0.38f});
        if (level >= 3)
            m.use(s.chrome).rod({edge, top - 0.015f, -0.22f}, {edge, top - 0.015f, 0.28f}, 0.012f);
        if (level >= 4)
            for (int v = 0; v < 3; ++v) {
                const float z = -0.12f + 0.12f * float(v);
                m.use(s.plastic).box({edge - 0.012f, 0.12f, z}, {edge + 0.012f, top - 0.04f, z + 0.06f});
            }
        if (level >= 5)
            m.use(s.paint).prism({{-0.3f, 0.0f}, {-0.02f, 0.0f}, {-0.24f, 0.14f}}, -0.012f, 0.012f,
                                 Place::axes({0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {side * (inner + 0.08f), top, 0.0f}));
    }
}

// Engine blocks 46-48: single, twin and V-twin, each bigger and brighter.
void engineBlock(Mesh& m, const KartSurfaces& s, int which)
{
    const float z0 = -0.74f, z1 = -0.46f;
    if (which == 0) {
        m.use(s.metal).box({-0.12f, 0.12f, z0 + 0.02f}, {0.12f, 0.3f, z1});
        finnedCylinder(m.use(s.chrome), {0.0f, 0.3f, -0.6f}, 0.06f, 0.13f, 3, 0.0f);
    } else if (which == 1) {
        m.use(s.paint).taperedBox({-0.16f, 0.12f, z0}, {0.16f, 0.32f, z1}, 0.02f, 0.02f);
        for (float x : {-0.075f, 0.075f})
            finnedCylinder(m.use(s.chrome), {x, 0.32f, -0.6f}, 0.06f, 0.15f, 4, 0.0f);
    } else {
        m.use(s.metal).box({-0.17f, 0.12f, z0}, {0.17f, 0.3f, z1});
        for (float side : {-1.0f, 1.0f})
            finnedCylinder(m.use(s.chrome), {side * 0.05f, 0.28f, -0.6f}, 0.075f, 0.2f, 5, side * -0.5f);
        m.use(s.paint).ellipsoid({0.1f, 0.06f, 0.14f}, 14, 7, Place::at(0.0f, 0.45f, -0.52f));
    }
}

// Exhausts 50-51: one dull pipe, or two chrome megaphones that point up.
void exhaust(Mesh& m, const KartSurfaces& s, int which, const KartFrame& f)
{
    const Vec end = f.exhaust;
    if (which == 0) {
        m.use(s.metal).rod({0.1f, 0.22f, -0.62f}, {end.x, end.y - 0.04f, -0.76f}, 0.028f);
        m.rod({end.x, end.y - 0.04f, -0.76f}, {end.x, end.y, end.z + 0.07f}, 0.028f);
        m.use(s.chrome).cylinder(0.042f, 0.14f, 14, alongZ({end.x, end.y, end.z + 0.05f}));
        return;
    }
    for (float side : {-1.0f, 1.0f}) {
        const Vec tip{side * end.x, end.y + 0.04f, end.z};
        m.use(s.chrome).rod({side * 0.1f, 0.24f, -0.6f}, {tip.x, tip.y - 0.05f, -0.8f}, 0.026f);
        m.lathe({{0.0f, -0.02f}, {0.03f, -0.02f}, {0.055f, 0.14f}, {0.045f, 0.145f}, {0.0f, 0.13f}}, 14,
                Place::turn(0, kPi / 2 - 0.35f) * Place::at(tip.x, tip.y - 0.05f, -0.8f));
    }
}

// Air intakes 53-55: a filter can, two velocity stacks, a ram-air scoop.
void intake(Mesh& m, const KartSurfaces& s, int which)
{
    if (which == 0) {
        m.use(s.plastic).cylinder(0.065f, 0.12f, 14, alongX(-1, {-0.24f, 0.3f, -0.58f}));
        m.use(s.metal).rod({-0.12f, 0.3f, -0.58f}, {-0.18f, 0.3f, -0.58f}, 0.025f);
    } else if (which == 1) {
        for (float x : {-0.075f, 0.075f})
            m.use(s.chrome).lathe({{0, 0}, {0.03f, 0}, {0.032f, 0.1f}, {0.055f, 0.16f}, {0.048f, 0.165f}, {0, 0.15f}}, 14,
                                  Place::at(x, 0.45f, -0.58f));
    } else {
        m.use(s.paint).taperedBox({-0.13f, 0.42f, -0.74f}, {0.13f, 0.6f, -0.42f}, 0.03f, 0.04f);
        m.use(s.plastic).box({-0.09f, 0.46f, -0.43f}, {0.09f, 0.57f, -0.4f});
    }
}

// Rear wings of levels 1-5: wider, higher and busier each level.
void spoiler(Mesh& m, const KartSurfaces& s, int level)
{
    const float k = float(level);
    const float half = 0.3f + 0.06f * k, height = 0.56f + 0.05f * k, chord = 0.15f + 0.025f * k;
    const float lead = -0.78f;
    const std::vector<Flat> wing = {{0, 0}, {-0.2f * chord, 0.035f}, {-chord, 0.0f}, {-chord, -0.012f}};
    auto wingAt = [&](float y, float z, float span) {
        m.use(s.paint).prism(wing, -span, span,
                             Place::axes({0, 0, 1}, {0, 1, 0}, {1, 0, 0}) * Place::turn(0, -0.12f) *
                                 Place::at(0.0f, y, z));
    };
    wingAt(height, lead, half);
    if (level >= 4)
        wingAt(height - 0.1f, lead + 0.05f, half * 0.8f);
    m.use(level >= 3 ? s.chrome : s.metal);
    for (float x : {-0.16f, 0.16f}) {
        if (level >= 5) {
            m.rod({x, 0.3f, -0.7f}, {x, height + 0.08f, lead - 0.06f}, 0.018f);
            m.rod({x, height + 0.08f, lead - 0.06f}, {x, height + 0.02f, lead - 0.1f}, 0.018f);
        } else {
            m.rod({x, 0.3f, -0.7f}, {x, height, lead - 0.08f}, 0.016f);
        }
    }
    if (level >= 2) {
        const float plate = 0.06f + 0.03f * k;
        m.use(level >= 5 ? s.paint : s.plastic);
        for (float side : {-1.0f, 1.0f})
            m.box({side * half - 0.01f, height - plate, lead - chord - 0.03f},
                  {side * half + 0.01f, height + 0.04f, lead + 0.03f});
    }
    if (level >= 3)
        m.use(s.plastic).box({-half, height - 0.005f, lead - chord - 0.01f}, {half, height + 0.03f, lead - chord});
}

} // namespace

namespace KartLayers {

std::vector<uint32_t> all()
{
    std::vector<uint32_t> layers{Body};
    for (const auto& set : Tyres)
        layers.insert(layers.end(), std::begin(set), std::end(set));
    layers.insert(layers.end(), std::begin(Suspension), std::end(Suspension));
    for (uint32_t k = 1; k <= 5; ++k) {
        layers.push_back(SkirtBase + k);
        layers.push_back(SpoilerBase + k);
    }
    layers.insert(layers.end(), std::begin(EngineParts), std::end(EngineParts));
    std::sort(layers.begin(), layers.end());
    return layers;
}

int wheelOf(uint32_t layer)
{
    for (const auto& set : Tyres)
        for (int w = 0; w < 4; ++w)
            if (set[w] == layer)
                return w;
    return -1;
}

bool onChassis(uint32_t layer)
{
    return wheelOf(layer) < 0 && std::find(std::begin(Suspension), std::end(Suspension), layer) == std::end(Suspension);
}

} // namespace KartLayers

ModelFile kartObject(const KartFrame& f)
{
    ModelFile file;
    KartSurfaces s{};
    s.paint = file.surface(paintSurface(file, 0.62f));
    s.chrome = file.surface(material("chromed metal", 0xD6DCE4, 0.9f, 0.75f));
    s.plastic = file.surface(material("kart kunststoff", 0x2A2C31, 0.3f, 0.35f));
    s.metal = file.surface(material("kart metal", 0x8A9099, 0.55f, 0.5f));
    s.rubber = file.surface(material("kart reifen", 0x1E1E20, 0.08f, 0.2f));

    body(file.layer(KartLayers::Body, "body"), s, f);
    for (int level = 0; level < 6; ++level)
        for (int w = 0; w < 4; ++w) {
            const Vec centre = f.wheel(w);
            tyre(file.layer(KartLayers::Tyres[level][w], "tyre", centre), s, level, f.wheelRadius, f.tyreWidth(w),
                 centre.x < 0 ? -1.0f : 1.0f);
        }
    // The carriers ride bodies of their own, whose centres are the hubs.
    for (int w = 0; w < 4; ++w)
        carrier(file.bodyLayer(KartLayers::Suspension[w], "carrier", f.hub(w)), s, f, w).shift(Vec{} - f.hub(w));
    for (int k = 1; k <= 5; ++k) {
        skirts(file.layer(KartLayers::SkirtBase + uint32_t(k), "sideskirts"), s, k);
        spoiler(file.layer(KartLayers::SpoilerBase + uint32_t(k), "spoiler"), s, k);
    }
    for (int i = 0; i < 3; ++i) {
        engineBlock(file.layer(46 + uint32_t(i), "engine"), s, i);
        intake(file.layer(53 + uint32_t(i), "intake"), s, i);
    }
    for (int i = 0; i < 2; ++i)
        exhaust(file.layer(50 + uint32_t(i), "exhaust"), s, i, f);
    return file;
}

ModelFile kartShadow(const KartFrame& f)
{
    ModelFile file;
    Lwo2Surface dark = material("kart shadow", 0x000000, 0.0f, 0.0f, 0.0f);
    Lwo2Block soft;
    soft.channel = "TRAN";
    soft.projection = 0;
    soft.axis = 1;
    soft.size = {2.0f * f.rearTrack + f.rearTyreWidth + 0.25f, 1.0f, f.frontAxle - f.rearAxle + 2.0f * f.wheelRadius + 0.3f};
    soft.image = file.image(kShadowPicture);
    soft.wrapU = soft.wrapV = 3; // edge: the quad ends where the picture does
    dark.blocks = {soft};
    const uint16_t surface = file.surface(dark);
    const float hx = 0.5f * soft.size[0], hz = 0.5f * soft.size[2], y = -0.19f;
    file.layer(0, "shadow").use(surface).face({{-hx, y, -hz}, {-hx, y, hz}, {hx, y, hz}, {hx, y, -hz}});
    return file;
}

ModelFile smokeObject()
{
    ModelFile file;
    Lwo2Surface puff = material("rauch", 0xB8BCC4, 0.0f, 0.0f, 0.0f);
    puff.values.push_back({"LUMI", 0.35f});
    puff.sides = 3;
    Lwo2Block soft;
    soft.channel = "TRAN";
    soft.projection = 0;
    soft.axis = 2; // along z: the puffs face the camera
    soft.size = {0.3f, 0.3f, 1.0f};
    soft.image = file.image(kSmokePicture);
    soft.wrapU = soft.wrapV = 3;
    puff.blocks = {soft};
    const uint16_t surface = file.surface(puff);
    for (uint32_t layer = 0; layer < 5; ++layer) {
        const float h = 0.15f;
        file.layer(layer, "puff").use(surface).face({{-h, -h, 0}, {h, -h, 0}, {h, h, 0}, {-h, h, 0}});
    }
    return file;
}
