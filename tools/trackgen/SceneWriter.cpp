#include "tools/trackgen/SceneWriter.h"

#include "tools/lib/LwsWriter.h"

namespace track {

namespace {

LwsEnvelope constant(float value)
{
    LwsEnvelope e;
    e.keys.push_back({value, 0.0f, 0, {}});
    return e;
}

std::vector<LwsChannel> placed(const Vector3& at, float heading, float pitch = 0.0f)
{
    return {{0, constant(at.x)}, {1, constant(at.y)}, {2, constant(at.z)},
            {3, constant(heading)}, {4, constant(pitch)}, {5, constant(0.0f)}};
}

std::vector<LwsChannel> looking(const Vector3& eye, const Vector3& target)
{
    const Vector3 d = unit(target - eye);
    return placed(eye, headingOf(d), -std::asin(std::clamp(d.y, -1.0f, 1.0f)));
}

} // namespace

std::string levelScene(const LevelModel& level, const LevelParams& params, const SceneObjects& objects)
{
    LwsWriter w;
    w.key("FirstFrame", {0}).key("LastFrame", {600}).key("FramesPerSecond", {30});
    const Rgb a = params.ambientColour;
    w.key("AmbientColor", {a.r, a.g, a.b}).key("AmbientIntensity", {params.ambientIntensity});

    for (int i = 0; i < objects.sceneryLayers; ++i)
        w.loadObjectLayer(i + 1, objects.scenery);
    // The sky: fog must not touch it.
    w.loadObjectLayer(objects.sceneryLayers + 1, objects.scenery);
    w.key("UnaffectedByFog", {1});
    for (size_t i = 0; i < objects.floorClasses.size(); ++i) {
        w.loadObjectLayer(int32_t(i) + 1, objects.floor);
        w.odeGeom(3, objects.floorClasses[i], SpaceFloor, {1, 1, 1});
    }
    if (!level.walls.empty()) {
        w.loadObjectLayer(1, objects.walls);
        // Beside the check boxes: the karts meet them there, the floor
        // never does.
        w.odeGeom(3, ClassWall, SpaceCheck, {1, 1, 1});
    }
    if (!level.reset.empty()) {
        w.loadObjectLayer(1, objects.reset);
        w.odeGeom(3, ClassReset, SpaceCheck, {1, 1, 1});
    }
    // Start slots from the front of the grid, so instance k + 1 is slot k.
    for (const Marker& m : level.starts) {
        w.addNullObject("start");
        w.motion("ObjectMotion", placed(m.at, m.heading, m.pitch));
    }
    // Check boxes in the order the race numbers them: the finish line first.
    for (const Marker& m : level.checks) {
        w.addNullObject("check");
        w.motion("ObjectMotion", placed(m.at, m.heading));
        w.odeGeom(1, m.surfaceClass, SpaceCheck, {m.size.x, m.size.y, m.size.z});
    }
    for (const Marker& m : level.pickups) {
        w.loadObjectLayer(1, m.object);
        w.motion("ObjectMotion", placed(m.at, m.heading));
        w.odeGeom(0, m.surfaceClass, SpaceCheck, {1.0f, 1.0f, 1.0f});
    }

    // The sun shines from its heading and elevation.
    w.addLight("Sun");
    w.motion("LightMotion", placed({0.0f, 200.0f, 0.0f}, radians(params.sunHeading + 180.0f), radians(params.sunElevation)));
    const Rgb s = params.sunColour;
    w.key("LightColor", {s.r, s.g, s.b});
    w.key("LightIntensity", {params.sunIntensity});
    w.key("LightType", {0});

    for (const CameraPlace& c : level.cameras) {
        w.addCamera(c.name, looking(c.eye, c.target));
        w.key("ZoomFactor", {2.4});
    }
    const Rgb h = params.horizon;
    w.key("BackdropColor", {h.r, h.g, h.b});
    if (params.fogEnd > 0.0f) {
        w.key("FogType", {1});
        w.key("FogMinDistance", {params.fogStart});
        w.key("FogMaxDistance", {params.fogEnd});
        w.key("FogColor", {h.r, h.g, h.b});
    }
    return w.text();
}

} // namespace track
