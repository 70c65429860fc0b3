#pragma once
// The motions of the motion mixer: the driver's ("Character") and the kart
// effects' ("kart"). A motion is a few tracks of keys on its items'
// channels; written out, a driver motion records every channel of every
// driver part, the ones it leaves alone at the seated pose, so that motions
// playing at once blend into one pose.
#include "tools/kartdata/Driver.h"
#include "tools/lib/LwsWriter.h"

#include <string>
#include <vector>

// A key: time in seconds, value (radians for rotations, metres for
// offsets from the part's seated place).
struct MotionKey {
    float time, value;
};

struct MotionTrack {
    std::string item;    // a driver part or a kart effect item
    std::string channel; // "Position.Y", "Rotation.H", "Scale.X", ...
    std::vector<MotionKey> keys;
    bool loop = false; // repeats over its keys; otherwise holds its last key
};

// One motion as authored: its name, length and the tracks it keys.
struct MotionPlan {
    std::string name;
    float seconds = 1.0f;
    std::vector<MotionTrack> tracks;
};

// The driver's motions, by the names the race plays them by.
std::vector<MotionPlan> driverMotions();
// The kart effects' motions and the effect items they move.
std::vector<MotionPlan> kartMotions();
extern const char* const kKartEffectItems[6];
// Where each effect sits on the kart, and its place when it does not play:
// shrunk to nothing.
Vec kartEffectPlace(int item);

// The mixer's actor "Character" over the driver's parts (item ids by part)
// and actor "kart" over the effect items (ids by effect).
LwsMixerActor characterActor(const DriverRig& rig, const uint32_t (&partIds)[DriverPartCount]);
LwsMixerActor kartActor(const uint32_t (&effectIds)[6]);
