#include "tools/lib/ShowcaseScene.h"

#include "tools/lib/Lwo2Writer.h"
#include "tools/lib/LwsWriter.h"

namespace ShowcaseScene {

namespace {

using Point = std::array<float, 3>;

struct Look {
    const char* surface;
    std::array<float, 3> colour;
    float transparency = 0.0f;
    float reflection = 0.0f;
    int reflectionMode = -1; // -1: none written
};

Lwo2Surface surfaceOf(const Look& look)
{
    Lwo2Surface s;
    s.name = look.surface;
    s.color = look.colour;
    s.values = {{"DIFF", 1.0f}};
    if (look.transparency > 0.0f)
        s.values.push_back({"TRAN", look.transparency});
    if (look.reflection > 0.0f)
        s.values.push_back({"REFL", look.reflection});
    s.reflectionMode = look.reflectionMode;
    return s;
}

// Corner i of a box: x from bit 2, y from bit 1, z from bit 0.
std::vector<Point> boxPoints(Point lo, Point hi)
{
    std::vector<Point> points;
    for (int i = 0; i < 8; ++i)
        points.push_back({i & 4 ? hi[0] : lo[0], i & 2 ? hi[1] : lo[1], i & 1 ? hi[2] : lo[2]});
    return points;
}

// A box, each face clockwise seen from outside: (p1 - p0) x (p2 - p0)
// points out. `maps` writes the object's vertex maps after its polygons.
template <typename Maps>
std::vector<uint8_t> box(const Look& look, Point lo, Point hi, Maps maps)
{
    Lwo2Writer w;
    w.tags({look.surface});
    w.layer(0);
    w.points(boxPoints(lo, hi));
    w.polygons({{4, 6, 7, 5}, {0, 1, 3, 2}, {2, 3, 7, 6}, {0, 4, 5, 1}, {1, 5, 7, 3}, {0, 2, 6, 4}});
    w.polygonTags({0, 0, 0, 0, 0, 0});
    maps(w);
    w.surface(surfaceOf(look));
    return w.finish();
}

std::vector<uint8_t> box(const Look& look, Point lo, Point hi)
{
    return box(look, lo, hi, [](Lwo2Writer&) {});
}

// One quad, its corners clockwise seen from the side it faces.
std::vector<uint8_t> quad(const Look& look, const std::vector<Point>& corners)
{
    Lwo2Writer w;
    w.tags({look.surface});
    w.layer(0);
    w.points(corners);
    w.polygons({{0, 1, 2, 3}});
    w.polygonTags({0});
    w.surface(surfaceOf(look));
    return w.finish();
}

std::vector<uint8_t> bytesOf(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

} // namespace

const std::vector<Placement>& placements()
{
    static const std::vector<Placement> table = {
        {"Floor", {0.0f, -1.0f, 0.0f}},      {"Mirror", {0.0f, -1.0f, 12.0f}}, {"Pole", {0.0f, -1.0f, 20.0f}},
        {"Box", {-3.3f, 0.0f, 10.0f}},       {"Arm", {-1.8f, 0.0f, 10.0f}},    {"Blob", {-0.6f, 0.0f, 10.0f}},
        {"GlassNear", {0.7f, 0.0f, 7.0f}},   {"GlassFar", {1.1f, 0.0f, 9.0f}}, {"AntiPortal", {0.0f, 0.0f, 6.0f}},
        {"Hidden", {4.0f, 0.0f, 11.0f}},     {"Aside", {30.0f, 0.0f, 10.0f}},  {"Behind", {0.0f, 0.0f, -5.0f}},
    };
    return table;
}

std::string objectFile(const std::string& name) { return "Objects/" + name + ".lwo"; }

std::vector<File> files()
{
    const Look stone{"Stone", {0.8f, 0.25f, 0.2f}};
    // Two glass colours, so that which one lies over the other shows.
    const Look blueGlass{"BlueGlass", {0.2f, 0.3f, 0.95f}, 0.5f};
    const Look redGlass{"RedGlass", {0.95f, 0.25f, 0.2f}, 0.5f};
    std::vector<File> out;
    auto add = [&](const char* name, std::vector<uint8_t> bytes) { out.push_back({objectFile(name), std::move(bytes)}); };

    add("Floor", quad({"Floor", {0.6f, 0.6f, 0.55f}}, {{-12, 0, 1}, {-12, 0, 12}, {12, 0, 12}, {12, 0, 1}}));
    // A mirror: reflection 1 and no reflection image; dark, so that what
    // it reflects is what shows.
    add("Mirror", quad({"Mirror", {0.08f, 0.08f, 0.1f}, 0.0f, 1.0f, 0}, {{-6, 0, 0}, {-6, 0, 14}, {6, 0, 14}, {6, 0, 0}}));
    add("Pole", box({"Pole", {0.9f, 0.8f, 0.2f}}, {-0.4f, 0.0f, -0.4f}, {0.4f, 2.2f, 0.4f}));
    add("Box", box(stone, {-0.5f, -1.0f, -0.5f}, {0.5f, 1.0f, 0.5f}));
    add("Arm", box({"Skin", {0.9f, 0.6f, 0.5f}}, {-0.3f, 0.2f, -0.3f}, {0.3f, 0.8f, 0.3f}, [](Lwo2Writer& w) {
            std::vector<std::pair<uint32_t, std::vector<float>>> weights;
            for (uint32_t i = 0; i < 8; ++i)
                weights.push_back({i, {1.0f}});
            w.vmap("WGHT", 1, "Lift", weights);
        }));
    add("Blob", box({"Blob", {0.3f, 0.8f, 0.3f}}, {-0.3f, 0.2f, -0.3f}, {0.3f, 0.8f, 0.3f}, [](Lwo2Writer& w) {
            // The top four corners (y bit set) move up.
            std::vector<std::pair<uint32_t, std::vector<float>>> offsets;
            for (uint32_t i : {2u, 3u, 6u, 7u})
                offsets.push_back({i, {0.0f, kBlobStretch, 0.0f}});
            w.vmap("MORF", 3, "Stretch", offsets);
        }));
    add("GlassNear", box(blueGlass, {-0.3f, -1.0f, -0.3f}, {0.3f, 0.6f, 0.3f}));
    add("GlassFar", box(redGlass, {-0.4f, -1.0f, -0.4f}, {0.4f, 0.8f, 0.4f}));
    // Flat along z and facing the camera (-z).
    add("AntiPortal", quad({"Portal", {1, 1, 1}}, {{1.6f, 2.5f, 0}, {4.5f, 2.5f, 0}, {4.5f, -1.0f, 0}, {1.6f, -1.0f, 0}}));
    add("Hidden", box(stone, {-0.4f, -1.0f, -0.4f}, {0.4f, 1.5f, 0.4f}));
    add("Aside", box(stone, {-0.5f, -1.0f, -0.5f}, {0.5f, 1.0f, 0.5f}));
    add("Behind", box(stone, {-0.5f, -1.0f, -0.5f}, {0.5f, 1.0f, 0.5f}));

    LwsWriter w;
    w.key("FirstFrame", {1}).key("LastFrame", {60}).key("FramesPerSecond", {30});
    w.key("AmbientColor", {1, 1, 1}).key("AmbientIntensity", {0.25});
    for (const Placement& p : placements()) {
        const std::string name = p.name;
        w.loadObjectLayer(1, objectFile(name));
        w.motion("ObjectMotion", standingAt(p.position));
        // Everything casts shadows; the floor and the mirror receive them.
        w.key("ShadowOptions", {name == "Floor" || name == "Mirror" ? 6.0 : 2.0});
        if (name == "Arm") {
            w.key("BoneFalloffType", {5});
            w.line("AddBone");
            w.key("BoneName", {"Lift"});
            w.key("BoneRestPosition", {0, 0, 0});
            w.key("BoneRestDirection", {0, 0, 0});
            w.key("BoneRestLength", {1});
            w.key("BoneWeightMapName", {"Lift"});
            w.motion("BoneMotion", standingAt({0.0f, kArmLift, 0.0f}));
        }
        if (name == "Blob")
            w.morphMixer({{"Stretch", constantEnvelope(1.0f)}});
    }
    // The sun lights the scene; the spot above it casts shadow-map shadows.
    w.addLight("Sun");
    w.motion("LightMotion", standingAt({-6.0f, 10.0f, -4.0f}, 0.4f, 0.9f));
    w.key("LightColor", {1, 1, 1});
    w.key("LightIntensity", {1});
    w.key("LightType", {0});
    w.addLight("Spot");
    w.motion("LightMotion", standingAt({0.0f, 12.0f, 8.0f}, 0.0f, 1.5707964f));
    w.key("LightColor", {1, 1, 1});
    w.key("LightIntensity", {1});
    w.key("LightType", {2});
    w.key("LightConeAngle", {50});
    w.key("LightEdgeAngle", {5});
    w.key("ShadowType", {2});
    w.key("ShadowMapSize", {512});
    w.addCamera("Camera", standingAt({0.0f, 0.0f, 0.0f}));
    w.key("ZoomFactor", {3.2});
    w.key("BackdropColor", {0, 0, 0});

    out.insert(out.begin(), File{SceneFile, bytesOf(w.text())});
    return out;
}

} // namespace ShowcaseScene
