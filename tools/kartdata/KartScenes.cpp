#include "tools/kartdata/KartScenes.h"

#include "tools/kartdata/KartModel.h"
#include "tools/kartdata/SceneItems.h"

#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// The race's surface classes and collision space of a kart's parts, and
// the scene file's body, shape and joint numbers.
constexpr int32_t kChassisClass = 2;
constexpr int32_t kWheelClass = 6;
constexpr int32_t kKartSpace = 1;
constexpr int32_t kSphere = 0;
constexpr int32_t kBox = 1;
constexpr int32_t kHinge = 2;
constexpr int32_t kSlider = 3;
constexpr int32_t kHinge2 = 6;
// The carriers' mass is spread like a ball's of this radius: far more
// turning inertia than the small parts have, which keeps the race's few
// solver iterations from shaking the light bodies between chassis and
// wheels.
constexpr float kCarrierRadius = 0.3f;

// The exhaust puffs: each rises, drifts back and grows from the pipe, then
// shrinks away, one after the other over a second and a quarter, for ever.
std::vector<LwsChannel> puffMotion(Vec from, int index)
{
    const float period = 1.25f, start = period * float(index) / 5.0f;
    auto track = [&](float a, float b, float c) {
        LwsEnvelope e;
        e.keys = {{a, start, 3, {}}, {b, start + 0.6f * period, 3, {}}, {c, start + period, 3, {}}};
        e.pre = e.post = 2; // repeat
        return e;
    };
    return {{0, track(from.x, from.x + 0.04f, from.x + 0.06f)},
            {1, track(from.y, from.y + 0.22f, from.y + 0.36f)},
            {2, track(from.z, from.z - 0.35f, from.z - 0.55f)},
            {6, track(0.25f, 1.0f, 0.05f)},
            {7, track(0.25f, 1.0f, 0.05f)},
            {8, track(0.25f, 1.0f, 0.05f)}};
}

} // namespace

std::string raceKartScene(const KartFrame& f, const KartEntry& kart, const ModelFile& kartObject)
{
    const std::string& object = kart.kartObject;
    const Vec lift{0.0f, f.chassisHeight, 0.0f};
    SceneItems s;
    LwsWriter& w = s.writer();

    // The chassis body: a box's inertia with the kart's mass; everything
    // else of the kart's frame hangs on it.
    const uint32_t chassis = s.addNull(KartNames::Chassis);
    s.place(lift);
    const Vec box = f.chassisBox;
    w.odeBody(kBox, kart.mass / (box.x * box.y * box.z), {box.x, box.y, box.z});
    s.addNull(KartNames::CameraTarget);
    s.parent(chassis).place(f.cameraTarget - lift);
    // Collision boxes riding the chassis body.
    s.addNull(KartNames::Collision);
    s.place({0.0f, f.bodyCollisionY, 0.0f});
    w.odeGeom(kBox, kChassisClass, kKartSpace, {f.bodyCollision.x, f.bodyCollision.y, f.bodyCollision.z}, chassis);
    s.addNull(KartNames::Collision);
    s.place(f.cabinCollisionAt);
    w.odeGeom(kBox, kChassisClass, kKartSpace, {f.cabinCollision.x, f.cabinCollision.y, f.cabinCollision.z},
              chassis);

    // Wheels: balls that roll on the ground, each its own body.
    uint32_t wheels[4], carriers[4];
    const float r = f.wheelRadius;
    for (int i = 0; i < 4; ++i) {
        wheels[i] = s.addNull(KartNames::Wheels[i]);
        s.place(f.wheel(i));
        w.odeBody(kSphere, kart.massWheels, {r, r, r});
        w.odeGeom(kSphere, kWheelClass, kKartSpace, {r, r, r});
    }
    // The wheel carriers ride the suspension sliders.
    for (int i = 0; i < 4; ++i) {
        carriers[i] = s.loadLayer(object, KartLayers::Suspension[i]);
        s.place(kartObject.home(KartLayers::Suspension[i]));
        w.odeBody(kSphere, kart.massSuspensions, {kCarrierRadius, kCarrierRadius, kCarrierRadius});
    }
    // A slider slides along the item's X axis: banked a quarter turn, that
    // points up.
    for (int i = 0; i < 4; ++i) {
        s.addNull(KartNames::SuspensionJoints[i]);
        s.place(f.hub(i), {0.0f, 0.0f, kPi / 2});
        w.odeJoint(kSlider, chassis, carriers[i], kart.spring, kart.damper);
    }
    // Front: hinge-2 joints, the item's X axis the steering axis and its Y
    // axis the axle; back: plain hinges about the item's X axis. A joint
    // measures and drives the carrier (its first body) against the wheel
    // (its second), so the wheel turns the other way round the axis: with X
    // up and Y to the right a positive steering angle turns the front wheels
    // left and a negative axle speed rolls the kart forward; with X to the
    // left a positive speed rolls the back wheels forward.
    for (int i = 0; i < 4; ++i) {
        s.addNull(KartNames::WheelJoints[i]);
        if (i < 2) {
            s.place(f.wheel(i), {kPi, 0.0f, kPi / 2});
            w.odeJoint(kHinge2, carriers[i], wheels[i]);
        } else {
            s.place(f.wheel(i), {kPi, 0.0f, 0.0f});
            w.odeJoint(kHinge, carriers[i], wheels[i]);
        }
    }

    // Every look layer of the kart object: the body and the parts on the
    // chassis, the tyre sets on their wheels. Each comes in shown; the
    // kart's look shows or hides them.
    for (uint32_t layer : KartLayers::all()) {
        const int wheel = KartLayers::wheelOf(layer);
        if (!KartLayers::onChassis(layer) && wheel < 0)
            continue;
        s.loadLayer(object, layer);
        if (wheel >= 0)
            s.parent(wheels[wheel]).place({});
        else
            s.parent(chassis).place(kartObject.home(layer) - lift);
    }

    // The exhaust smoke, turned towards whatever the kart names as the
    // smoke's target (the camera that looks at it).
    for (uint32_t k = 0; k < 5; ++k) {
        s.loadLayer(kSmokeObject, k);
        s.parent(chassis);
        w.key("HController", {1}).key("PController", {1});
        s.motion(puffMotion(f.exhaust - lift, int(k)));
    }
    return s.text();
}

std::string chooseKartScene(const ModelFile& kartObject, const std::string& kartObjectName)
{
    SceneItems s;
    LwsWriter& w = s.writer();
    // Object 0: the turning chassis; every layer of the kart hangs under it
    // at its place.
    const uint32_t chassis = s.addNull(KartNames::Chassis);
    for (uint32_t layer : KartLayers::all()) {
        s.loadLayer(kartObjectName, layer);
        s.parent(chassis).place(kartObject.home(layer));
    }
    w.addLight("sun");
    // The sun from above the camera's right shoulder.
    w.motion("LightMotion", {{3, SceneItems::constant(kPi + 0.6f)}, {4, SceneItems::constant(0.8f)}});
    w.key("LightColor", {1, 0.97, 0.92}).key("LightIntensity", {1}).key("LightType", {0});
    w.key("AmbientIntensity", {0.35});
    // The camera looks at the kart from ahead and above, over its nose.
    w.addCamera("camera", {{0, SceneItems::constant(0.0f)},
                           {1, SceneItems::constant(1.5f)},
                           {2, SceneItems::constant(3.5f)},
                           {3, SceneItems::constant(kPi)},
                           {4, SceneItems::constant(0.28f)}});
    return s.text();
}
