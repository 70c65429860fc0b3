// The menu's backgrounds: a stretch of race track with its start gantry and
// trees, and behind it a city with its landmark (a lattice tower, a clock
// tower and bridge, a television tower and gate, opera sails and a harbour
// bridge) under a sky of its own. The camera sways slowly to and fro.
#include "tools/menuscenes/MenuScenes.h"

#include "tools/lib/LwsWriter.h"
#include "tools/menuscenes/ObjectBuilder.h"

#include <cmath>
#include <functional>

namespace {

constexpr float kPi = 3.14159265f;
const char* const kFolder = "D:\\Zoprax9/menu/menu_bg_scenes/";

std::array<float, 3> rgbOf(uint32_t c)
{
    return {float(c >> 16 & 0xFF) / 255.0f, float(c >> 8 & 0xFF) / 255.0f, float(c & 0xFF) / 255.0f};
}

ObjectBuilder::Look plain(uint32_t colour, float specular = 0.1f)
{
    ObjectBuilder::Look look;
    look.colour = rgbOf(colour);
    look.specular = specular;
    return look;
}

// A small repeatable sequence, so that every build places the trees alike.
struct Scatter {
    uint32_t state;
    float next(float lo, float hi)
    {
        state = state * 1664525u + 1013904223u;
        return lo + (hi - lo) * float(state >> 8) / float(1u << 24);
    }
};

struct City {
    const char* name;   // the scene file is menu_bg_<name>.lws
    uint32_t skyTop, skyMiddle, skyHorizon;
    uint32_t grass, trees;
    uint32_t buildings[3];
    float sunHeading, sunPitch;
    uint32_t sunColour;
    std::function<void(ObjectBuilder&)> landmark;
};

void tree(ObjectBuilder& b, uint16_t trunk, uint16_t crown, Vec3 p, float size)
{
    b.cylinder(trunk, p, 0.25f * size, 0.2f * size, 1.4f * size, 6);
    b.cylinder(crown, {p.x, p.y + 1.0f * size, p.z}, 1.6f * size, 0.0f, 3.2f * size, 8);
    b.cylinder(crown, {p.x, p.y + 2.6f * size, p.z}, 1.1f * size, 0.0f, 2.4f * size, 8);
}

// The track across the view: asphalt, white edges, striped kerbs, the
// chequered start line under its gantry.
void track(ObjectBuilder& b, const City& city)
{
    const uint16_t grass = b.surface("grass", plain(city.grass));
    const uint16_t asphalt = b.surface("asphalt", plain(0x4c4c56, 0.25f));
    const uint16_t white = b.surface("white", plain(0xf4f4f0));
    const uint16_t red = b.surface("kerb red", plain(0xd83a2e));
    const uint16_t black = b.surface("black", plain(0x202024));
    const uint16_t steel = b.surface("steel", plain(0x9aa2b0, 0.5f));
    const uint16_t banner = b.surface("banner", plain(0x2a5cd8, 0.3f));
    b.box(grass, {-500, -1, -500}, {500, 0, 500});
    b.box(asphalt, {-120, 0, 2}, {120, 0.03f, 12});
    for (float z : {2.3f, 11.5f})
        b.box(white, {-120, 0.03f, z}, {120, 0.05f, z + 0.2f});
    for (int i = -60; i < 60; ++i) {
        const uint16_t s = i % 2 ? red : white;
        b.box(s, {float(i) * 2.0f, 0.0f, 1.2f}, {float(i) * 2.0f + 2.0f, 0.12f, 2.0f});
        b.box(s, {float(i) * 2.0f, 0.0f, 12.0f}, {float(i) * 2.0f + 2.0f, 0.12f, 12.8f});
    }
    for (int row = 0; row < 2; ++row)
        for (int k = 0; k < 10; ++k)
            b.box((row + k) % 2 ? black : white, {24.0f + 0.5f * float(row), 0.03f, 2.0f + float(k)},
                  {24.5f + 0.5f * float(row), 0.06f, 3.0f + float(k)});
    for (float z : {0.5f, 13.5f})
        b.block(steel, {24.5f, 0.0f, z}, {0.5f, 6.0f, 0.5f});
    b.box(banner, {24.2f, 5.2f, 0.5f}, {24.8f, 6.6f, 13.5f});
    b.box(white, {24.15f, 5.6f, 3.0f}, {24.85f, 6.2f, 11.0f});
}

void trees(ObjectBuilder& b, const City& city)
{
    const uint16_t trunk = b.surface("trunk", plain(0x6a4428));
    const uint16_t crown = b.surface("crown", plain(city.trees));
    Scatter random{uint32_t(std::hash<std::string>()(city.name))};
    for (int i = 0; i < 40; ++i) {
        const float x = random.next(-110.0f, 110.0f), z = random.next(18.0f, 60.0f);
        // Keep the middle free for the landmark.
        if (std::fabs(x) < 25.0f && z > 30.0f)
            continue;
        tree(b, trunk, crown, {x, 0.0f, z}, random.next(1.0f, 1.8f));
    }
}

// A skyline far behind: blocks of three tones, a few with pitched roofs.
void skyline(ObjectBuilder& b, const City& city)
{
    uint16_t tones[3];
    for (int i = 0; i < 3; ++i)
        tones[i] = b.surface("building " + std::to_string(i), plain(city.buildings[i]));
    const uint16_t roof = b.surface("roof", plain(0x5a6274));
    Scatter random{uint32_t(std::hash<std::string>()(city.name)) ^ 0x9e3779b9u};
    for (float x = -260.0f; x < 260.0f;) {
        const float w = random.next(10.0f, 22.0f), h = random.next(10.0f, 34.0f), z = random.next(120.0f, 170.0f);
        if (std::fabs(x) > 30.0f) {
            b.block(tones[int(random.next(0.0f, 2.99f))], {x, 0.0f, z}, {w, h, random.next(10.0f, 18.0f)});
            if (random.next(0.0f, 1.0f) > 0.6f) {
                b.place({x, h, z}, kPi * 0.25f);
                b.cylinder(roof, {0, 0, 0}, w * 0.72f, 0.0f, w * 0.35f, 4);
                b.place();
            }
        }
        x += w + random.next(1.0f, 6.0f);
    }
}

void clouds(ObjectBuilder& b)
{
    ObjectBuilder::Look look = plain(0xffffff, 0.0f);
    look.luminosity = 0.75f;
    look.diffuse = 0.4f;
    const uint16_t cloud = b.surface("cloud", look);
    Scatter random{7u};
    for (int i = 0; i < 9; ++i) {
        const float x = random.next(-380.0f, 380.0f), y = random.next(110.0f, 190.0f), z = random.next(330.0f, 420.0f);
        for (int k = 0; k < 3; ++k) {
            b.place({x + float(k - 1) * 16.0f, y + (k == 1 ? 5.0f : 0.0f), z}, 0.0f, 0.0f, 0.0f, {2.4f, 0.55f, 1.0f});
            b.sphere(cloud, {0, 0, 0}, 9.0f + (k == 1 ? 4.0f : 0.0f), 12);
        }
    }
    b.place();
}

void latticeTower(ObjectBuilder& b)
{
    const uint16_t iron = b.surface("iron", plain(0x8a6248, 0.3f));
    b.place({0, 0, 150}, kPi * 0.25f);
    b.lathe(iron, {0, 0, 0},
            {{0.0f, 0.0f}, {13.0f, 0.0f}, {8.5f, 10.0f}, {5.0f, 20.0f}, {3.0f, 30.0f}, {1.8f, 40.0f}, {0.9f, 48.0f},
             {0.35f, 54.0f}, {0.0f, 58.0f}},
            4);
    // The two platforms.
    b.lathe(iron, {0, 9.5f, 0}, {{0.0f, 0.0f}, {11.5f, 0.0f}, {11.5f, 1.2f}, {0.0f, 1.2f}}, 4);
    b.lathe(iron, {0, 20.0f, 0}, {{0.0f, 0.0f}, {6.5f, 0.0f}, {6.5f, 1.0f}, {0.0f, 1.0f}}, 4);
    b.place();
}

void clockTowerAndBridge(ObjectBuilder& b)
{
    const uint16_t stone = b.surface("sandstone", plain(0xc8a878));
    const uint16_t face = b.surface("clock face", plain(0xf4ecd8));
    const uint16_t hands = b.surface("clock hands", plain(0x202020));
    const uint16_t spire = b.surface("spire", plain(0x4a5460, 0.4f));
    b.block(stone, {-18, 0, 95}, {8, 40, 8});
    b.block(stone, {-18, 40, 95}, {9, 8, 9});
    b.place({-18, 48, 95}, kPi * 0.25f);
    b.cylinder(spire, {0, 0, 0}, 6.4f, 0.0f, 12.0f, 4);
    b.place();
    b.place({-18, 44, 90.4f}, 0.0f, -kPi * 0.5f);
    b.cylinder(face, {0, 0, 0}, 3.2f, 3.2f, 0.2f, 20);
    b.place();
    b.box(hands, {-18.2f, 44, 90.1f}, {-17.8f, 46.4f, 90.3f});
    b.box(hands, {-18.2f, 43.8f, 90.1f}, {-16.4f, 44.2f, 90.3f});
    // A bridge of two towers and its walkways.
    const uint16_t deck = b.surface("bridge deck", plain(0x6a8ab0, 0.3f));
    for (float x : {14.0f, 36.0f}) {
        b.block(stone, {x, 0, 100}, {7, 30, 7});
        b.place({x, 30, 100}, kPi * 0.25f);
        b.cylinder(spire, {0, 0, 0}, 5.4f, 0.0f, 8.0f, 4);
        b.place();
    }
    b.box(deck, {-2, 6, 98}, {52, 8, 102});
    b.box(deck, {14, 24, 99}, {36, 26, 101});
}

void tvTowerAndGate(ObjectBuilder& b)
{
    const uint16_t concrete = b.surface("concrete", plain(0xb4b8c0));
    const uint16_t ball = b.surface("sphere", plain(0xdfe4ec, 0.8f));
    const uint16_t red = b.surface("antenna red", plain(0xd83a2e));
    b.cylinder(concrete, {10, 0, 105}, 4.0f, 2.2f, 40.0f, 16);
    b.sphere(ball, {10, 44.0f, 105}, 6.0f, 20);
    b.cylinder(concrete, {10, 49.0f, 105}, 1.2f, 0.8f, 6.0f, 10);
    b.cylinder(red, {10, 55.0f, 105}, 0.7f, 0.1f, 12.0f, 8);
    const uint16_t sand = b.surface("gate stone", plain(0xe0cca0));
    for (int i = 0; i < 6; ++i)
        b.cylinder(sand, {-40.0f + float(i) * 4.4f, 0.0f, 75.0f}, 1.0f, 0.9f, 13.0f, 10);
    b.box(sand, {-42.0f, 13.0f, 73.5f}, {-16.8f, 16.0f, 76.5f});
    b.box(sand, {-36.0f, 16.0f, 74.0f}, {-22.8f, 19.0f, 76.0f});
}

void sailsAndBridge(ObjectBuilder& b)
{
    // The harbour's water before the far shore.
    const uint16_t water = b.surface("harbour water", plain(0x2a78c8, 0.7f));
    b.box(water, {-500, -0.5f, 70}, {500, 0.05f, 500});
    ObjectBuilder::Look shell = plain(0xf8f6ee, 0.4f);
    shell.bothSides = true;
    // White even against the sun.
    shell.luminosity = 0.5f;
    const uint16_t sail = b.surface("sail", shell);
    const uint16_t podium = b.surface("podium", plain(0xc89a6a));
    b.box(podium, {-40, 0, 85}, {0, 3, 105});
    // The sails: thin half shells leaning back, in two rows.
    const struct {
        float x, z, size;
    } sails[] = {{-36, 92, 12}, {-26, 93, 15}, {-15, 94, 13}, {-30, 101, 8}, {-10, 101, 7}};
    for (const auto& s : sails) {
        b.place({s.x, 3.0f, s.z}, 0.0f, 0.55f, 0.0f, {0.45f, 1.0f, 0.28f});
        b.lathe(sail, {0, 0, 0},
                {{0.0f, s.size}, {s.size * 0.55f, s.size * 0.85f}, {s.size * 0.85f, s.size * 0.5f}, {s.size, 0.0f},
                 {0.0f, 0.0f}},
                12);
        b.place();
    }
    // The arch bridge: an arc of steel segments, the deck hung beneath.
    const uint16_t steel = b.surface("bridge steel", plain(0x7a8490, 0.5f));
    const float cx = 48.0f, span = 40.0f, rise = 30.0f;
    const int pieces = 28;
    for (int i = 0; i < pieces; ++i) {
        const float a = kPi * (float(i) + 0.5f) / float(pieces);
        const float x = cx - span * std::cos(a), y = 6.0f + rise * std::sin(a);
        // Along the arc: its tangent (span sin a, rise cos a).
        const float tilt = std::atan2(rise * std::cos(a), span * std::sin(a));
        const float length = kPi * std::hypot(span * std::sin(a), rise * std::cos(a)) / float(pieces) + 0.4f;
        b.place({x, y, 118}, 0.0f, 0.0f, tilt);
        b.block(steel, {0.0f, -1.0f, 0.0f}, {length, 2.0f, 3.0f});
        b.place();
        if (i % 3 == 1 && y > 13.0f)
            b.box(steel, {x - 0.25f, 12.5f, 117.6f}, {x + 0.25f, y, 118.4f});
    }
    b.box(steel, {cx - span - 10, 11, 116}, {cx + span + 10, 12.5f, 120});
    for (float x : {cx - span - 5, cx + span + 5})
        b.block(podium, {x, 0, 118}, {7, 18, 7});
}

const std::vector<City>& cities()
{
    static const std::vector<City> list = {
        {"paris", 0x283c8c, 0x8a6aa8, 0xf5a070, 0x4e9a3c, 0x2e6e2e, {0xe8dcc0, 0xd8c8a8, 0xc8b8a0}, -0.7f, 0.35f,
         0xffd8a8, latticeTower},
        {"london", 0x3a5a9a, 0x8aa4c8, 0xdce6ee, 0x3e8a40, 0x2a5e30, {0xb8a890, 0x9a8a7a, 0xc8c0b0}, 0.6f, 0.6f,
         0xfff0d8, clockTowerAndBridge},
        {"berlin", 0x30285a, 0xa05a78, 0xffa04a, 0x5a8a3a, 0xc87828, {0xc8c4bc, 0xa8a8b0, 0xd8d0c0}, -0.4f, 0.25f,
         0xffc890, tvTowerAndGate},
        {"sydney", 0x1e64c8, 0x5aa0e8, 0xcaeaff, 0x5aaa48, 0x2e7a3a, {0xe8e4dc, 0xc8d4e0, 0xf0e0c8}, 0.5f, 0.9f,
         0xffffff, sailsAndBridge},
    };
    return list;
}

// The sky at t, 0 at the top of the dome to 1 at the horizon: the top colour
// to the middle one over the upper two thirds, then on to the horizon's.
std::array<float, 3> skyColour(const City& city, float t)
{
    const uint32_t a = t < 0.66f ? city.skyTop : city.skyMiddle, b = t < 0.66f ? city.skyMiddle : city.skyHorizon;
    const float f = t < 0.66f ? t / 0.66f : (t - 0.66f) / 0.34f;
    const std::array<float, 3> ca = rgbOf(a), cb = rgbOf(b);
    return {ca[0] + (cb[0] - ca[0]) * f, ca[1] + (cb[1] - ca[1]) * f, ca[2] + (cb[2] - ca[2]) * f};
}

} // namespace

std::vector<SceneFile> backgroundScenes()
{
    std::vector<SceneFile> files;
    for (const City& city : cities()) {
        const std::string name = city.name;
        const std::string skyObject = std::string(kFolder) + "sky_" + name + ".lwo";
        const std::string worldObject = std::string(kFolder) + name + ".lwo";

        // The sky: a dome lit by itself in bands of its gradient, finest near
        // the horizon where the colours turn fastest.
        ObjectBuilder sky;
        const int bands = 18;
        for (int i = 0; i < bands; ++i) {
            const float t0 = float(i) / float(bands), t1 = float(i + 1) / float(bands);
            // Heights by t squared: the bands thin out towards the horizon.
            const float a0 = kPi * 0.5f * (1.0f - t0 * t0), a1 = kPi * 0.5f * (1.0f - t1 * t1);
            ObjectBuilder::Look look;
            look.colour = skyColour(city, (t0 + t1) * 0.5f);
            look.specular = 0.0f;
            look.luminosity = 1.0f;
            look.diffuse = 0.0f;
            const uint16_t band = sky.surface("sky " + std::to_string(i), look);
            // From the top down, so the dome's faces look inwards.
            sky.lathe(band, {0, 0, 0},
                      {{i == 0 ? 0.0f : std::cos(a0) * 700.0f, -20.0f + std::sin(a0) * 560.0f},
                       {std::cos(a1) * 700.0f, -20.0f + std::sin(a1) * 560.0f}},
                      24);
        }

        ObjectBuilder world;
        track(world, city);
        trees(world, city);
        skyline(world, city);
        clouds(world);
        city.landmark(world);

        LwsWriter w;
        w.key("FirstFrame", {1}).key("LastFrame", {900}).key("FramesPerSecond", {30});
        w.key("AmbientColor", {0.75, 0.82, 1.0}).key("AmbientIntensity", {0.45});
        for (const std::string& object : {skyObject, worldObject}) {
            w.loadObjectLayer(1, object);
            w.motion("ObjectMotion", standingAt({0.0f, 0.0f, 0.0f}));
        }
        w.addLight("Sun");
        w.motion("LightMotion", standingAt({0.0f, 100.0f, 0.0f}, city.sunHeading, city.sunPitch));
        const std::array<float, 3> sun = rgbOf(city.sunColour);
        w.key("LightColor", {sun[0], sun[1], sun[2]});
        w.key("LightIntensity", {1.0});
        w.key("LightType", {0});
        // The camera by the track sways its heading slowly to and fro.
        std::vector<LwsChannel> camera = standingAt({0.0f, 6.0f, -48.0f}, 0.0f, -0.1f);
        LwsEnvelope sway;
        sway.keys = {{-0.1f, 0.0f, 0, {}}, {0.1f, 24.0f, 0, {}}};
        sway.pre = sway.post = 3; // oscillate
        camera[3].envelope = sway;
        w.addCamera("Camera", camera);
        w.key("ZoomFactor", {3.2});

        files.push_back({std::string(kFolder) + "menu_bg_" + name + ".lws",
                         std::vector<uint8_t>(w.text().begin(), w.text().end())});
        files.push_back({skyObject, sky.finish()});
        files.push_back({worldObject, world.finish()});
    }
    return files;
}
