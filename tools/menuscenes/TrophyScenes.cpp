// The prizes of a finished career season, drawn over the winning screen: a
// cup of bronze, silver or gold on a wooden plinth, turning slowly under a
// warm key light, or a copper medal on its ribbon for a season lost.
#include "tools/menuscenes/MenuScenes.h"

#include "tools/lib/LwsWriter.h"
#include "tools/menuscenes/ObjectBuilder.h"

#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;
const char* const kFolder = "D:\\Zoprax9\\menu\\winner\\";
const char* const kObjectFolder = "D:\\Zoprax9/menu/winner/";

ObjectBuilder::Look metal(std::array<float, 3> colour)
{
    ObjectBuilder::Look look;
    look.colour = colour;
    look.specular = 0.9f;
    return look;
}

ObjectBuilder::Look plain(std::array<float, 3> colour)
{
    ObjectBuilder::Look look;
    look.colour = colour;
    look.specular = 0.15f;
    return look;
}

// A ring of tube: the circle (radius tube) at distance ring from the axis.
void torus(ObjectBuilder& b, uint16_t surface, float ring, float tube, int segments)
{
    std::vector<std::array<float, 2>> profile;
    for (int i = 0; i <= 10; ++i) {
        const float a = -kPi * 0.5f + 2.0f * kPi * float(i) / 10.0f;
        profile.push_back({ring + tube * std::cos(a), tube * std::sin(a)});
    }
    b.lathe(surface, {0, 0, 0}, profile, segments);
}

std::vector<uint8_t> cup(std::array<float, 3> colour)
{
    ObjectBuilder b;
    const uint16_t gleam = b.surface("cup", metal(colour));
    const uint16_t wood = b.surface("plinth", plain({0.32f, 0.18f, 0.1f}));
    const uint16_t plate = b.surface("plate", metal({0.95f, 0.8f, 0.35f}));
    b.block(wood, {0, 0, 0}, {0.7f, 0.3f, 0.7f});
    b.block(plate, {0, 0.08f, -0.352f}, {0.4f, 0.14f, 0.01f});
    // The cup from its foot up: foot, stem, knob, bowl and rim.
    b.lathe(gleam, {0, 0.3f, 0},
            {{0.0f, 0.0f}, {0.26f, 0.0f}, {0.26f, 0.04f}, {0.12f, 0.1f}, {0.05f, 0.2f}, {0.05f, 0.34f},
             {0.1f, 0.38f}, {0.05f, 0.42f}, {0.08f, 0.46f}, {0.22f, 0.56f}, {0.32f, 0.72f}, {0.36f, 0.92f},
             {0.37f, 1.0f}, {0.33f, 1.0f}, {0.32f, 0.92f}, {0.28f, 0.76f}, {0.0f, 0.66f}},
            28);
    // Two handles, rings stood on edge at the bowl's sides.
    for (float side : {-1.0f, 1.0f}) {
        b.place({side * 0.37f, 1.05f, 0.0f}, 0.0f, 0.0f, kPi * 0.5f, {1.0f, 1.0f, 1.4f});
        torus(b, gleam, 0.14f, 0.03f, 16);
    }
    b.place();
    return b.finish();
}

std::vector<uint8_t> medal()
{
    ObjectBuilder b;
    const uint16_t copper = b.surface("medal", metal({0.78f, 0.42f, 0.24f}));
    const uint16_t ribbon = b.surface("ribbon", plain({0.16f, 0.36f, 0.8f}));
    const uint16_t stripe = b.surface("ribbon stripe", plain({0.95f, 0.95f, 0.92f}));
    ObjectBuilder::Look shine = metal({1.0f, 0.82f, 0.4f});
    shine.luminosity = 0.35f;
    const uint16_t gold = b.surface("star", shine);
    // The disc faces the camera (along -z), a star raised on it.
    b.place({0.0f, 0.55f, 0.0f}, 0.0f, -kPi * 0.5f);
    b.cylinder(copper, {0, 0, 0}, 0.36f, 0.36f, 0.06f, 32);
    b.place();
    std::vector<Vec3> star;
    for (int i = 0; i < 10; ++i) {
        const float r = i % 2 ? 0.1f : 0.24f, a = float(i) * kPi / 5.0f;
        star.push_back({r * std::sin(a), 0.55f + r * std::cos(a), -0.07f});
    }
    b.face(gold, star, {0, 0, -1});
    // The ribbon: two bands meeting at the medal's top, with a stripe each.
    for (float side : {-1.0f, 1.0f}) {
        b.place({0.0f, 0.85f, 0.02f}, 0.0f, 0.0f, -side * 0.3f);
        b.block(ribbon, {side * 0.12f, 0.0f, 0.0f}, {0.22f, 0.7f, 0.02f});
        b.block(stripe, {side * 0.12f, 0.0f, -0.012f}, {0.06f, 0.7f, 0.01f});
        b.place();
    }
    return b.finish();
}

// The camera looks at the prize's middle (at the height) from the distance,
// a little above it.
std::string scene(const std::string& object, bool turns, float height, float distance)
{
    LwsWriter w;
    w.key("FirstFrame", {1}).key("LastFrame", {300}).key("FramesPerSecond", {30});
    w.key("AmbientColor", {0.8, 0.85, 1.0}).key("AmbientIntensity", {0.35});
    w.loadObjectLayer(1, object);
    std::vector<LwsChannel> motion = standingAt({0.0f, 0.0f, 0.0f});
    // A turn every eight seconds, or a gentle swing for the medal.
    LwsEnvelope heading;
    if (turns) {
        heading.keys = {{0.0f, 0.0f, 3, {}}, {2.0f * kPi, 8.0f, 3, {}}};
        heading.post = 4; // offset repeat: on round and round
    } else {
        heading.keys = {{-0.35f, 0.0f, 0, {}}, {0.35f, 3.0f, 0, {}}};
        heading.pre = heading.post = 3; // oscillate
    }
    motion[3].envelope = heading;
    w.motion("ObjectMotion", motion);
    w.addLight("Key");
    w.motion("LightMotion", standingAt({0.0f, 5.0f, -5.0f}, -0.5f, 0.7f));
    w.key("LightColor", {1.0, 0.93, 0.8});
    w.key("LightIntensity", {1.1});
    w.key("LightType", {0});
    w.addLight("Rim");
    w.motion("LightMotion", standingAt({0.0f, 3.0f, 5.0f}, 2.6f, 0.3f));
    w.key("LightColor", {0.6, 0.75, 1.0});
    w.key("LightIntensity", {0.5});
    w.key("LightType", {0});
    w.addCamera("Camera", standingAt({0.0f, height + distance * 0.125f, -distance}, 0.0f, 0.12f));
    w.key("ZoomFactor", {3.2});
    return w.text();
}

} // namespace

std::vector<SceneFile> trophyScenes()
{
    const struct {
        const char* name;
        std::array<float, 3> colour;
    } cups[] = {
        {"pokal_bronze", {0.8f, 0.5f, 0.28f}},
        {"pokal_silver", {0.86f, 0.88f, 0.92f}},
        {"pokal_gold", {1.0f, 0.78f, 0.25f}},
    };
    std::vector<SceneFile> files;
    for (const auto& c : cups) {
        const std::string object = std::string(kObjectFolder) + c.name + ".lwo";
        const std::string text = scene(object, true, 0.75f, 4.4f);
        files.push_back({std::string(kFolder) + c.name + ".lws", std::vector<uint8_t>(text.begin(), text.end())});
        files.push_back({object, cup(c.colour)});
    }
    const std::string object = std::string(kObjectFolder) + "trostpreis.lwo";
    const std::string text = scene(object, false, 0.6f, 3.0f);
    files.push_back({std::string(kFolder) + "trostpreis.lws", std::vector<uint8_t>(text.begin(), text.end())});
    files.push_back({object, medal()});
    return files;
}
