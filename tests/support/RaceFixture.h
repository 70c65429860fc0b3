#pragma once
// A small data set for the race's tests, written by our tools' writers and
// packed into an archive in memory, so that the race reads it through the
// game's own file system:
//   - config.xml: the level "testring", its copy "nochecks" without
//     checkpoints, seven karts "k0" to "k6" on one kart rig and driver, and
//     the kart "broken" whose rig lacks its back right wheel joint, the
//     single-race and last-man-standing track lists and a career;
//   - testring: a flat ground (road surface) with a ring of road of radius
//     kRingRadius around the origin, a sky box, a light, two cameras, seven
//     grid places behind the finish line, the checkpoints 0 (on the line), 1
//     (after it) and 2 (before it), an item pickup and a coin;
//   - mixedring: testring with sand, grass and snow slabs across the road
//     (surface classes 13, 12 and 11) centred kSandAt, kGrassAt and kSnowAt
//     along the lap;
//   - the seven power-up models and the race's particle pictures;
//   - the kart rig: chassis, four suspension bodies on sliders, two steered
//     front wheels on hinge-2 joints, two back wheels on hinges, a collision
//     box, a camera target and the painted body, driver on top.
//
// The rig follows the conventions the kart's drive expects (ODE measures a
// joint's angle and rate as body 1 against body 2, so a wheel spins against
// its joint's axis when the motor's velocity is positive): the kart looks
// along +Z of its scene and +X is its right; a front wheel joint (hinge-2)
// has its X axis, the steering axis, pointing up, so that a positive angle
// steers left, and its Y axis, the axle, pointing right, so that the drive's
// negative velocity rolls the kart forwards; a back wheel joint (hinge) has
// its X axis, the axle, pointing left; a suspension joint's X axis points up.
// The fixture's contacts are softer than the built-in ERP 1 and CFM 0, which
// let the light rig jitter.
#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/math/Vector3.h"
#include "tools/lib/MemoryFileSystem.h"

#include <cstdint>
#include <string>

class RaceFixture {
public:
    static constexpr float kRingRadius = 50.0f;
    static constexpr float kRoadWidth = 12.0f;
    static constexpr int32_t kGridPlaces = 7;
    static constexpr float kSandAt = 22.0f;
    static constexpr float kGrassAt = 42.0f;
    static constexpr float kSnowAt = 62.0f;
    // The target time, in whole seconds, of the careers' timed run (the third
    // race of each class; the others are a single race, a coin race and a
    // last man standing on "nochecks").
    static constexpr int32_t kCareerTargetTime = 60;
    // The length of one lap along the centre line.
    static float lapLength();
    // The point of the centre line at distance s along the lap from the
    // finish line, and the driving direction there.
    static Vector3 ringPoint(float s);
    static Vector3 ringDirection(float s);

    RaceFixture();
    RaceFixture(const RaceFixture&) = delete;
    RaceFixture& operator=(const RaceFixture&) = delete;

    ArchiveFile& files() { return m_archive; }
    // Mounts the data set over the archives already in `files` (the game's
    // packed data for the GUI): its entries win. The fixture outlives it.
    bool mountOn(ArchiveFile& files);

private:
    MemoryFileSystem m_memory;
    ArchiveFile m_archive;
};
