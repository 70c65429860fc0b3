#include "RaceFixture.h"

#include "tools/lib/ArchiveWriter.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/Lwo2Writer.h"
#include "tools/lib/LwsWriter.h"
#include "tools/lib/PathWriter.h"
#include "tools/lib/PngWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr uint32_t kObject = 0x10000000u;

const char* const kLevel = "D:\\Zoprax9\\levels\\testring\\testring.lws";
const char* const kLevelNoChecks = "D:\\Zoprax9\\levels\\nochecks\\nochecks.lws";
const char* const kLevelMixed = "D:\\Zoprax9\\levels\\mixedring\\mixedring.lws";
const char* const kPatches = "D:\\Zoprax9/levels/mixedring/patches.lwo";
const char* const kGround = "D:\\Zoprax9/levels/testring/ground.lwo";
const char* const kAiFiles = "D:\\Zoprax9\\levels\\testring\\";
const char* const kPositionMap = "D:\\Zoprax9\\levels\\testring\\posmap.pcx";
// The position map's rectangle, a little wider than the ring.
constexpr float kMapHalf = 64.0f;
// The minimap every level of the fixture shows: the ring over the position
// map's rectangle, in the GUI's folder.
const char* const kMinimapName = "testring_minimap.png";
const char* const kMinimap = "D:\\Zoprax9\\menu\\testring_minimap.png";
constexpr int kMapSize = 128;
const char* const kKartScene = "D:\\Zoprax9\\karts\\testkart.lws";
const char* const kBrokenKartScene = "D:\\Zoprax9\\karts\\brokenkart.lws";
const char* const kKartObject = "D:\\Zoprax9/3dobjects_cars/kart_01.lwo";
const char* const kDriverScene = "D:\\Zoprax9\\chars\\testdriver.lws";
const char* const kDriverObject = "D:\\Zoprax9/3dobjects_chars/testdriver.lwo";
const char* const kItemPickup = "D:\\Zoprax9/3dobjects_extras/extra_addon.lwo";
const char* const kCoin = "D:\\Zoprax9/3dobjects_extras/coin.lwo";

using Point = std::array<float, 3>;
using Face = std::vector<uint32_t>;

// One layer of an object: points, faces and each face's surface.
struct Layer {
    uint32_t number = 0;
    std::vector<Point> points;
    std::vector<Face> faces;
    std::vector<uint16_t> surfaces;

    // A quad whose front faces `up` when `up` is set, else the other way.
    void quad(const Point& a, const Point& b, const Point& c, const Point& d, uint16_t surface)
    {
        const uint32_t base = uint32_t(points.size());
        for (const Point& p : {a, b, c, d})
            points.push_back(p);
        faces.push_back({base, base + 1, base + 2, base + 3});
        surfaces.push_back(surface);
    }
    // An axis-aligned box, faces out (or in, for a sky).
    void box(Point lo, Point hi, uint16_t surface, bool inward = false)
    {
        const uint32_t base = uint32_t(points.size());
        for (int i = 0; i < 8; ++i)
            points.push_back({i & 1 ? hi[0] : lo[0], i & 2 ? hi[1] : lo[1], i & 4 ? hi[2] : lo[2]});
        // Corner i: x from bit 0, y from bit 1, z from bit 2; each face's
        // front is where (p1 - p0) x (p2 - p0) points.
        static const uint32_t out[6][4] = {{2, 6, 7, 3}, {0, 1, 5, 4}, {1, 3, 7, 5},
                                           {0, 4, 6, 2}, {5, 7, 6, 4}, {0, 2, 3, 1}};
        for (const auto& f : out) {
            if (inward)
                faces.push_back({base + f[3], base + f[2], base + f[1], base + f[0]});
            else
                faces.push_back({base + f[0], base + f[1], base + f[2], base + f[3]});
            surfaces.push_back(surface);
        }
    }
};

// A lit surface of one colour; a luminous one shows its colour unlit.
Lwo2Surface surface(const char* name, Point colour, float luminosity = 0.0f)
{
    Lwo2Surface s;
    s.name = name;
    s.color = colour;
    s.values = {{"DIFF", 1.0f - luminosity}, {"LUMI", luminosity}};
    return s;
}

std::vector<uint8_t> object(const std::vector<Lwo2Surface>& surfaces, const std::vector<Layer>& layers)
{
    Lwo2Writer w;
    std::vector<std::string> names;
    for (const Lwo2Surface& s : surfaces)
        names.push_back(s.name);
    w.tags(names);
    for (const Layer& layer : layers) {
        w.layer(layer.number);
        w.points(layer.points);
        w.polygons(layer.faces);
        w.polygonTags(layer.surfaces);
    }
    for (const Lwo2Surface& s : surfaces)
        w.surface(s);
    return w.finish();
}

std::vector<uint8_t> bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

LwsEnvelope constant(float value)
{
    LwsEnvelope e;
    e.keys.push_back(LwsKey{value, 0.0f});
    return e;
}

// Position and heading, pitch, bank (radians) of the current item.
void place(LwsWriter& lws, const char* key, Point at, Point turn = {0, 0, 0})
{
    std::vector<LwsChannel> channels;
    for (int i = 0; i < 3; ++i)
        channels.push_back({i, constant(at[size_t(i)])});
    for (int i = 0; i < 3; ++i)
        channels.push_back({3 + i, constant(turn[size_t(i)])});
    lws.motion(key, channels);
}

void parent(LwsWriter& lws, uint32_t id)
{
    lws.key("ParentItem", {LwsWriter::itemId(kObject + id)});
}

void header(LwsWriter& lws)
{
    lws.key("FirstFrame", {0}).key("LastFrame", {60}).key("FramesPerSecond", {30});
}

// Ground (layer 0, the road surface for the physics), the ring road
// (layer 1) and the sky (layer 2).
std::vector<uint8_t> groundObject()
{
    enum : uint16_t { Grass, Road, Sky, Kerb };
    Layer ground;
    ground.number = 0;
    const float half = 400.0f;
    const int cells = 16;
    const float cell = 2.0f * half / float(cells);
    for (int i = 0; i < cells; ++i)
        for (int j = 0; j < cells; ++j) {
            const float x0 = -half + cell * float(i), z0 = -half + cell * float(j);
            ground.quad({x0, 0, z0}, {x0, 0, z0 + cell}, {x0 + cell, 0, z0 + cell}, {x0 + cell, 0, z0}, Grass);
        }
    Layer road;
    road.number = 1;
    const int segments = 96;
    const float inner = RaceFixture::kRingRadius - RaceFixture::kRoadWidth / 2.0f;
    const float outer = RaceFixture::kRingRadius + RaceFixture::kRoadWidth / 2.0f;
    for (int i = 0; i < segments; ++i) {
        const float a0 = 2.0f * kPi * float(i) / float(segments);
        const float a1 = 2.0f * kPi * float(i + 1) / float(segments);
        auto at = [](float r, float a, float y) { return Point{r * std::cos(a), y, r * std::sin(a)}; };
        // Going round with the angle, inner edge first, faces up.
        road.quad(at(inner, a0, 0.02f), at(inner, a1, 0.02f), at(outer, a1, 0.02f), at(outer, a0, 0.02f),
                  i == 0 ? Kerb : Road);
    }
    Layer sky;
    sky.number = 2;
    sky.box({-600, -50, -600}, {600, 300, 600}, Sky, true);
    return object({surface("grass", {0.30f, 0.62f, 0.25f}), surface("road", {0.45f, 0.45f, 0.48f}),
                   surface("sky", {0.45f, 0.70f, 0.95f}, 1.0f), surface("line", {0.95f, 0.95f, 0.95f})},
                  {ground, road, sky});
}

// The kart: body (0), tyres (1, 7, 18, 24), suspension struts (11, 5, 19, 13).
std::vector<uint8_t> kartObject()
{
    enum : uint16_t { Paint, Tyres, Metal };
    Layer body;
    body.number = 0;
    // Round the chassis item, which rides 0.3 above the ground.
    body.box({-0.5f, -0.1f, -0.85f}, {0.5f, 0.15f, 0.85f}, Paint);
    body.box({-0.3f, 0.15f, -0.5f}, {0.3f, 0.3f, 0.2f}, Metal);
    std::vector<Layer> layers{body};
    for (uint32_t number : {1u, 7u, 18u, 24u}) {
        Layer tyre;
    tyre.number = number;
        tyre.box({-0.12f, -0.28f, -0.28f}, {0.12f, 0.28f, 0.28f}, Tyres);
        layers.push_back(tyre);
    }
    Layer skirts;
    skirts.number = 25;
    skirts.box({-0.55f, -0.1f, -0.4f}, {-0.5f, 0.05f, 0.4f}, Paint);
    skirts.box({0.5f, -0.1f, -0.4f}, {0.55f, 0.05f, 0.4f}, Paint);
    layers.push_back(skirts);
    Layer spoiler;
    spoiler.number = 56;
    spoiler.box({-0.45f, 0.45f, -0.9f}, {0.45f, 0.5f, -0.7f}, Paint);
    layers.push_back(spoiler);
    for (uint32_t number : {11u, 5u, 19u, 13u}) {
        Layer strut;
    strut.number = number;
        strut.box({-0.04f, -0.04f, -0.04f}, {0.04f, 0.2f, 0.04f}, Metal);
        layers.push_back(strut);
    }
    return object({surface("kart logo", {0.85f, 0.15f, 0.1f}), surface("kart reifen", {0.1f, 0.1f, 0.1f}),
                   surface("kart metal", {0.7f, 0.7f, 0.75f})},
                  layers);
}

std::vector<uint8_t> boxObject(const char* name, Point colour, float size)
{
    Layer layer;
    layer.number = 0;
    layer.box({-size, -size, -size}, {size, size, size}, 0);
    return object({surface(name, colour, 0.3f)}, {layer});
}

std::vector<uint8_t> driverObject()
{
    Layer layer;
    layer.number = 0;
    layer.box({-0.18f, 0.0f, -0.3f}, {0.18f, 0.45f, 0.0f}, 0);
    layer.box({-0.11f, 0.45f, -0.25f}, {0.11f, 0.67f, -0.05f}, 1);
    return object({surface("driver", {0.2f, 0.4f, 0.9f}), surface("skin", {0.95f, 0.8f, 0.65f})}, {layer});
}

// The kart rig; without `lastJoint` it lacks the back right wheel joint.
std::string kartScene(bool lastJoint)
{
    LwsWriter lws;
    header(lws);
    const Point corners[4] = {{-0.55f, 0.28f, 0.6f}, {0.55f, 0.28f, 0.6f}, {-0.55f, 0.28f, -0.6f},
                              {0.55f, 0.28f, -0.6f}};
    const char* const cornerNames[4] = {"FL", "FR", "BL", "BR"};
    const int strutLayers[4] = {11, 5, 19, 13};
    const int tyreLayers[4] = {1, 7, 18, 24};

    // 0: the chassis, carrying the body, its weight low between the wheels.
    lws.addNullObject("chassis");
    place(lws, "ObjectMotion", {0.0f, 0.3f, 0.0f});
    lws.odeBody(1, 1.0f, {1.0f, 0.3f, 1.6f});
    // 1: what the chase camera looks at.
    lws.addNullObject("CameraTarget");
    place(lws, "ObjectMotion", {0.0f, 0.6f, 0.0f});
    parent(lws, 0);
    // 2: the chassis's collision box, fixed to it, clear of the ground.
    lws.addNullObject("kartcol");
    place(lws, "ObjectMotion", {0.0f, 0.35f, 0.0f});
    lws.odeGeom(1, 2, 1, {1.0f, 0.3f, 1.7f}, kObject + 0);
    // 3: the painted body.
    lws.loadObjectLayer(1, kKartObject);
    parent(lws, 0);
    // 4-7: the suspension bodies.
    for (int c = 0; c < 4; ++c) {
        lws.loadObjectLayer(strutLayers[c] + 1, kKartObject);
        place(lws, "ObjectMotion", corners[c]);
        lws.odeBody(0, 1.0f, {0.3f, 0.3f, 0.3f});
    }
    // 8-11: the wheels.
    for (int c = 0; c < 4; ++c) {
        lws.addNullObject(std::string("wheel") + cornerNames[c]);
        place(lws, "ObjectMotion", corners[c]);
        lws.odeBody(0, 1.0f, {0.28f, 0.28f, 0.28f});
        lws.odeGeom(0, 6, 1, {0.28f, 0.28f, 0.28f});
    }
    // 12-15: the tyres on them.
    for (int c = 0; c < 4; ++c) {
        lws.loadObjectLayer(tyreLayers[c] + 1, kKartObject);
        parent(lws, 8 + uint32_t(c));
    }
    // 16-19: the suspensions, sliding up and down.
    for (int c = 0; c < 4; ++c) {
        lws.addNullObject(std::string("joint") + cornerNames[c] + "suspension");
        place(lws, "ObjectMotion", corners[c], {0.0f, 0.0f, kPi / 2.0f});
        lws.odeJoint(3, kObject + 0, kObject + 4 + uint32_t(c), 120.0f, 12.0f);
    }
    // 20-23: the wheel joints.
    for (int c = 0; c < (lastJoint ? 4 : 3); ++c) {
        lws.addNullObject(std::string("joint") + cornerNames[c] + "wheel");
        const bool front = c < 2;
        place(lws, "ObjectMotion", corners[c], front ? Point{kPi, 0.0f, kPi / 2.0f} : Point{kPi, 0.0f, 0.0f});
        lws.odeJoint(front ? 6 : 2, kObject + 4 + uint32_t(c), kObject + 8 + uint32_t(c));
    }
    // The exchangeable parts the fixture has: side skirts and spoiler of
    // level 1, on the chassis.
    for (int layer : {25, 56}) {
        lws.loadObjectLayer(layer + 1, kKartObject);
        parent(lws, 0);
    }
    return lws.text();
}

std::string driverScene()
{
    LwsWriter lws;
    header(lws);
    lws.loadObjectLayer(1, kDriverObject);
    place(lws, "ObjectMotion", {0.0f, 0.15f, -0.1f});
    auto bob = [](const char* name, float low, float high) {
        LwsEnvelope e;
        e.keys = {LwsKey{low, 0.0f}, LwsKey{high, 0.5f}, LwsKey{low, 1.0f}};
        return LwsMixerMotion{name, 0.0f, 30.0f, {{kDriverObject, {{"Position.Y", e}}}}};
    };
    LwsMixerActor character{"Character", {{kDriverObject, kObject}}, {}};
    character.motions = {bob("Fahren", -0.05f, -0.02f), bob("Sieger", 0.1f, 0.4f), bob("Verlierer", -0.2f, -0.15f),
                         bob("Rueckwaerts", -0.05f, 0.0f)};
    lws.motionMixer({character});
    return lws.text();
}

// The rough ground of the mixed ring: sand, grass and snow across the road,
// each a flat slab whose top lies just above the road.
struct Patch {
    float s;
    uint32_t surfaceClass;
};
const Patch kPatchesOnTheRing[] = {{RaceFixture::kSandAt, 13}, {RaceFixture::kGrassAt, 12}, {RaceFixture::kSnowAt, 11}};
constexpr float kPatchLength = 14.0f;
constexpr float kPatchTop = 0.03f;
constexpr float kPatchDepth = 0.26f;

// One layer per patch, in the order above: a quad on the slab's top.
std::vector<uint8_t> patchObject()
{
    std::vector<Layer> layers;
    const float half = kPatchLength / 2.0f, top = kPatchDepth / 2.0f;
    for (uint16_t i = 0; i < 3; ++i) {
        Layer layer;
        layer.number = i;
        layer.quad({-half, top, -half}, {-half, top, half}, {half, top, half}, {half, top, -half}, i);
        layers.push_back(layer);
    }
    return object({surface("sand", {0.86f, 0.74f, 0.45f}), surface("grass", {0.25f, 0.55f, 0.18f}),
                   surface("snow", {0.92f, 0.95f, 1.0f})},
                  layers);
}

void addPatches(LwsWriter& lws)
{
    for (int i = 0; i < 3; ++i) {
        const Patch& p = kPatchesOnTheRing[i];
        const Vector3 at = RaceFixture::ringPoint(p.s);
        const Vector3 d = RaceFixture::ringDirection(p.s);
        lws.loadObjectLayer(i + 1, kPatches);
        place(lws, "ObjectMotion", {at.x, kPatchTop - kPatchDepth / 2.0f, at.z}, {std::atan2(d.x, d.z), 0.0f, 0.0f});
        lws.odeGeom(1, int32_t(p.surfaceClass), 2, {kPatchLength, kPatchDepth, kPatchLength});
    }
}

std::string levelScene(bool checks, bool patches = false)
{
    LwsWriter lws;
    header(lws);
    lws.key("AmbientColor", {0.8, 0.85, 1.0}).key("AmbientIntensity", {0.45});
    lws.loadObjectLayer(1, kGround);
    lws.odeGeom(3, 10, 2, {1.0f, 1.0f, 1.0f});
    lws.loadObjectLayer(2, kGround);
    lws.loadObjectLayer(3, kGround);
    // The grid: two staggered rows behind the line.
    for (int k = 0; k < RaceFixture::kGridPlaces; ++k) {
        const float s = -(6.0f + 3.0f * float(k));
        const Vector3 centre = RaceFixture::ringPoint(s);
        const Vector3 d = RaceFixture::ringDirection(s);
        // Across the road: the direction turned a quarter to the right.
        const float side = k % 2 == 0 ? 2.5f : -2.5f;
        lws.addNullObject("start");
        place(lws, "ObjectMotion", {centre.x + d.z * side, 0.02f, centre.z - d.x * side},
              {std::atan2(d.x, d.z), 0.0f, 0.0f});
    }
    if (checks) {
        // 0 on the line, 1 just after it, 2 just before it.
        for (float s : {0.0f, 5.0f, -4.0f}) {
            const Vector3 at = RaceFixture::ringPoint(s);
            const Vector3 d = RaceFixture::ringDirection(s);
            lws.addNullObject("check");
            place(lws, "ObjectMotion", {at.x, 1.0f, at.z}, {std::atan2(d.x, d.z), 0.0f, 0.0f});
            lws.odeGeom(1, 9, 3, {RaceFixture::kRoadWidth + 2.0f, 3.0f, 0.6f});
        }
    }
    const Vector3 item = RaceFixture::ringPoint(60.0f);
    lws.loadObjectLayer(1, kItemPickup);
    place(lws, "ObjectMotion", {item.x, 0.8f, item.z});
    lws.odeGeom(0, 7, 3, {0.8f, 0.8f, 0.8f});
    const Vector3 coin = RaceFixture::ringPoint(90.0f);
    lws.loadObjectLayer(1, kCoin);
    place(lws, "ObjectMotion", {coin.x, 0.8f, coin.z});
    lws.odeGeom(0, 8, 3, {0.5f, 0.5f, 0.5f});
    if (patches)
        addPatches(lws);

    lws.addLight("sun");
    lws.key("LightType", {0}).key("LightColor", {1.0, 0.97, 0.9}).key("LightIntensity", {1.0});
    place(lws, "LightMotion", {0, 50, 0}, {0.6f, 0.9f, 0.0f});
    // The start camera behind the grid, and an overview.
    const Vector3 behind = RaceFixture::ringPoint(-34.0f);
    const Vector3 d = RaceFixture::ringDirection(-34.0f);
    lws.addCamera("start", {{0, constant(behind.x)},
                            {1, constant(4.0f)},
                            {2, constant(behind.z)},
                            {3, constant(std::atan2(d.x, d.z))},
                            {4, constant(0.12f)}});
    lws.addCamera("overview", {{1, constant(140.0f)}, {2, constant(-1.0f)}, {4, constant(kPi / 2.0f)}});
    return lws.text();
}

// The racing line: the ring's centre line, sampled evenly as a loop.
std::vector<uint8_t> ringPath()
{
    std::vector<Vector3> points;
    const int n = 96;
    for (int k = 0; k < n; ++k)
        points.push_back(RaceFixture::ringPoint(RaceFixture::lapLength() * float(k) / float(n)));
    return writePathFile(makePath(points, true));
}

// Progress along the lap from the finish line, 1 to 254, round the origin.
std::vector<uint8_t> positionMap()
{
    std::vector<uint8_t> cells(size_t(kMapSize) * kMapSize);
    for (int row = 0; row < kMapSize; ++row)
        for (int column = 0; column < kMapSize; ++column) {
            // Row 0 lies at the rectangle's largest z.
            const float x = -kMapHalf + (float(column) + 0.5f) * 2.0f * kMapHalf / float(kMapSize);
            const float z = kMapHalf - (float(row) + 0.5f) * 2.0f * kMapHalf / float(kMapSize);
            float a = std::atan2(z, x);
            if (a < 0.0f)
                a += 2.0f * kPi;
            cells[size_t(row) * kMapSize + size_t(column)] = uint8_t(1 + int(a / (2.0f * kPi) * 253.0f));
        }
    return writePcx(kMapSize, kMapSize, kMapSize, cells, nullptr);
}

std::vector<uint8_t> minimap()
{
    constexpr int size = 64;
    std::vector<uint8_t> rgba(size_t(size) * size * 4);
    for (int row = 0; row < size; ++row)
        for (int column = 0; column < size; ++column) {
            const float x = -kMapHalf + (float(column) + 0.5f) * 2.0f * kMapHalf / float(size);
            const float z = kMapHalf - (float(row) + 0.5f) * 2.0f * kMapHalf / float(size);
            const float off = std::abs(std::hypot(x, z) - RaceFixture::kRingRadius);
            const bool road = off < RaceFixture::kRoadWidth / 2.0f;
            uint8_t* p = &rgba[(size_t(row) * size + size_t(column)) * 4];
            p[0] = p[1] = p[2] = road ? 235 : 40;
            p[3] = road ? 220 : 90;
        }
    return writePng(size, size, rgba);
}

// The power-up objects' models, small shapes of one colour each.
struct ExtraModel {
    const char* file;
    const char* surface;
    Point colour;
    float size;
};
const ExtraModel kExtraModels[] = {
    {"D:\\Zoprax9/3dobjects_extras/schneeball.lwo", "snowball", {0.95f, 0.97f, 1.0f}, 0.125f},
    {"D:\\Zoprax9/3dobjects_extras/oelspur.lwo", "oil", {0.1f, 0.1f, 0.12f}, 1.2f},
    {"D:\\Zoprax9/3dobjects_extras/rakete.lwo", "rocket", {0.9f, 0.2f, 0.1f}, 0.2f},
    {"D:\\Zoprax9/3dobjects_extras/banane.lwo", "banana", {1.0f, 0.9f, 0.2f}, 0.25f},
    {"D:\\Zoprax9/3dobjects_extras/kuerbis.lwo", "pumpkin", {0.95f, 0.5f, 0.05f}, 0.3f},
    {"D:\\Zoprax9/3dobjects_extras/loch.lwo", "hole", {0.05f, 0.05f, 0.05f}, 1.0f},
    {"D:\\Zoprax9/3dobjects_extras/decoy.lwo", "decoy", {0.4f, 0.8f, 0.9f}, 0.25f},
};

// The particle pictures: for each ground look a speckled picture in its
// colours and a round alpha picture (white is clear), and the white cloud.
struct ParticleLook {
    const char* name;
    uint32_t dark;
    uint32_t light;
};
const ParticleLook kParticleLooks[] = {
    {"grass_01", 0x2E6B1F, 0x7BC043}, {"grass_02", 0x3F7F2A, 0xA6D96A}, {"rauch_01", 0x6E6E6E, 0xBDBDBD},
    {"rauch_02", 0x8A8A8A, 0xDADADA}, {"sand_01", 0xB08A4A, 0xE8CF8E}, {"sand_02", 0x9C7A3C, 0xD9BC7A},
    {"schnee_01", 0xC8D8F0, 0xFFFFFF}, {"schnee_02", 0xB0C4E0, 0xF4F8FF},
};
constexpr int kParticleSize = 32;

std::vector<uint8_t> bmp(const std::vector<uint32_t>& pixels)
{
    BmpLayout layout;
    layout.width = layout.height = kParticleSize;
    return writeBmp(layout, {}, pixels);
}

std::vector<uint8_t> speckledPicture(const ParticleLook& look)
{
    std::vector<uint32_t> pixels(size_t(kParticleSize) * kParticleSize);
    uint32_t seed = look.dark ^ look.light;
    for (uint32_t& p : pixels) {
        seed = seed * 1103515245u + 12345u;
        p = (seed >> 16) % 3 == 0 ? look.light : look.dark;
    }
    return bmp(pixels);
}

std::vector<uint8_t> roundAlpha()
{
    std::vector<uint32_t> pixels;
    const float centre = (kParticleSize - 1) / 2.0f;
    for (int y = 0; y < kParticleSize; ++y)
        for (int x = 0; x < kParticleSize; ++x) {
            const float r = std::hypot(float(x) - centre, float(y) - centre) / centre;
            const uint32_t clear = uint32_t(255.0f * std::clamp((r - 0.4f) / 0.6f, 0.0f, 1.0f));
            pixels.push_back(clear * 0x010101u);
        }
    return bmp(pixels);
}

std::string kartRecord(const std::string& name, const char* scene)
{
    return "    <kart name=\"" + name + "\" kart=\"" + scene + "\" character=\"" + kDriverScene +
           "\">\n"
           "      <kartObject>" +
           kKartObject + "</kartObject>\n      <characterObject>" + kDriverObject +
           "</characterObject>\n"
           "      <forwardSpeed>80</forwardSpeed><forwardForce>1.2</forwardForce>\n"
           "      <backwardSpeed>30</backwardSpeed><backwardForce>0.8</backwardForce>\n"
           "      <brakeForce>10</brakeForce><idleForce>0.3</idleForce>\n"
           "      <mu>1.5</mu><slip>0.01</slip><drift>0.002</drift><driftexp>1</driftexp>\n"
           "      <spring>120</spring><damper>12</damper>\n"
           "      <mass>0.6</mass><masssuspensions>0.05</masssuspensions><masswheels>0.1</masswheels>\n"
           "      <steerspeed>0.05</steerspeed><steerangle>30</steerangle><steeranglemin>10</steeranglemin>\n"
           "      <turbotime>5</turbotime>\n"
           "    </kart>\n";
}

std::string config()
{
    std::string text = "<vrl9>\n  <game>\n    <wheelsERP>0.5</wheelsERP><wheelsCFM>0.001</wheelsCFM>\n"
                       "    <kartERP>0.5</kartERP><kartCFM>0.001</kartCFM>\n"
                       "    <upgrades>\n"
                       "      <engine speed=\"1.1\" acceleration=\"1.2\" drift=\"1.0\"/>\n"
                       "      <spoiler speed=\"1.0\" acceleration=\"1.0\" drift=\"1.5\"/>\n"
                       "    </upgrades>\n  </game>\n  <levels>\n";
    const std::string half = std::to_string(int(kMapHalf));
    const std::string rect = " xmin=\"-" + half + "\" xmax=\"" + half + "\" zmin=\"-" + half + "\" zmax=\"" + half + "\"";
    for (const auto& [name, file] : {std::pair{"testring", kLevel}, std::pair{"nochecks", kLevelNoChecks},
                                     std::pair{"mixedring", kLevelMixed}}) {
        text += std::string("    <level name=\"") + name + "\" filename=\"" + file + "\">\n";
        text += std::string("      <aifiles path=\"") + kAiFiles + "\" lanes=\"1\"/>\n";
        text += std::string("      <posmap filename=\"") + kPositionMap + "\"" + rect + "/>\n";
        text += std::string("      <minimap filename=\"") + kMinimapName + "\"" + rect + "/>\n";
        text += "    </level>\n";
    }
    text += "  </levels>\n  <karts>\n";
    for (int k = 0; k < 7; ++k)
        text += kartRecord("k" + std::to_string(k), kKartScene);
    text += kartRecord("broken", kBrokenKartScene);
    text += "  </karts>\n";
    // One-lap races on the ring for the results: the single-race and last-
    // man-standing lists, and a season of every race kind in each class.
    text += "  <singlerace><tracklist><track name=\"testring\"/><track name=\"mixedring\"/></tracklist>"
            "</singlerace>\n";
    text += "  <lastmanstanding><tracklist><track name=\"nochecks\"/><track name=\"testring\"/></tracklist>"
            "</lastmanstanding>\n  <career>\n";
    for (const char* ccm : {"50", "100", "150"})
        text += std::string("    <ccm class=\"") + ccm +
                "\"><tracklist>\n"
                "      <track name=\"testring\" game=\"singlerace\" time=\"0\" laps=\"1\"/>\n"
                "      <track name=\"testring\" game=\"coinrace\" time=\"0\" laps=\"1\"/>\n"
                "      <track name=\"testring\" game=\"timedrun\" time=\"" +
                std::to_string(RaceFixture::kCareerTargetTime) +
                "\" laps=\"1\"/>\n"
                "      <track name=\"nochecks\" game=\"lastmanstanding\" time=\"0\" laps=\"0\"/>\n"
                "    </tracklist></ccm>\n";
    text += "  </career>\n</vrl9>\n";
    return text;
}

} // namespace

float RaceFixture::lapLength()
{
    return 2.0f * kPi * kRingRadius;
}

Vector3 RaceFixture::ringPoint(float s)
{
    const float a = s / kRingRadius;
    return {kRingRadius * std::cos(a), 0.0f, kRingRadius * std::sin(a)};
}

Vector3 RaceFixture::ringDirection(float s)
{
    const float a = s / kRingRadius;
    return {-std::sin(a), 0.0f, std::cos(a)};
}

RaceFixture::RaceFixture()
{
    ArchiveWriter archive;
    // Entry names carry backslashes only, as our packer writes them; the
    // game's lookups turn every "/" into one.
    auto add = [&](std::string name, const std::vector<uint8_t>& data) {
        for (char& c : name)
            if (c == '/')
                c = '\\';
        archive.addEntry(name, data, 0);
    };
    add("config.xml", bytes(config()));
    add(kLevel, bytes(levelScene(true)));
    add(kLevelNoChecks, bytes(levelScene(false)));
    add(kLevelMixed, bytes(levelScene(true, true)));
    add(kPatches, patchObject());
    for (const ExtraModel& m : kExtraModels)
        add(m.file, boxObject(m.surface, m.colour, m.size));
    const std::string particles = "D:\\Zoprax9\\textures_extras\\partikel_";
    for (const ParticleLook& look : kParticleLooks) {
        add(particles + look.name + ".bmp", speckledPicture(look));
        add(particles + look.name + "_alpha.bmp", roundAlpha());
    }
    add("X:\\Ormlib\\cartoon\\textures_fx\\partikel_wolke_0001.bmp",
        bmp(std::vector<uint32_t>(size_t(kParticleSize) * kParticleSize, 0xFFFFFF)));
    add(kGround, groundObject());
    add(std::string(kAiFiles) + "path01.dat", ringPath());
    add(kPositionMap, positionMap());
    add(kMinimap, minimap());
    add(kKartScene, bytes(kartScene(true)));
    add(kBrokenKartScene, bytes(kartScene(false)));
    add(kKartObject, kartObject());
    add(kDriverScene, bytes(driverScene()));
    add(kDriverObject, driverObject());
    add(kItemPickup, boxObject("item", {0.9f, 0.8f, 0.1f}, 0.4f));
    add(kCoin, boxObject("coin", {1.0f, 0.85f, 0.2f}, 0.25f));
    m_memory.addFile("fixture.sar", archive.build(1));
    m_archive.mount(m_memory, "fixture.sar");
}

bool RaceFixture::mountOn(ArchiveFile& files)
{
    return files.mount(m_memory, "fixture.sar");
}
