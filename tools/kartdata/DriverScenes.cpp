#include "tools/kartdata/DriverScenes.h"

#include "tools/kartdata/DriverMotions.h"
#include "tools/kartdata/KartEffects.h"

namespace {

// The menu's idle: the driver looks round and waves now and then, over
// four seconds, for ever.
std::vector<MotionTrack> idleTracks()
{
    return {
        {"head", "Rotation.H", {{0, 0}, {0.8f, 0.5f}, {1.6f, 0.45f}, {2.4f, -0.4f}, {3.2f, -0.35f}, {4.0f, 0}}, true},
        {"head", "Rotation.P", {{0, 0}, {1.0f, -0.1f}, {2.0f, 0.05f}, {3.0f, -0.08f}, {4.0f, 0}}, true},
        {"torso", "Rotation.H", {{0, 0}, {1.0f, 0.12f}, {2.5f, -0.1f}, {4.0f, 0}}, true},
        {"upperArmR", "Rotation.P", {{0, 0}, {0.6f, -2.5f}, {2.0f, -2.5f}, {2.6f, 0}, {4.0f, 0}}, true},
        {"upperArmR", "Rotation.B", {{0, 0}, {0.6f, 0.5f}, {2.0f, 0.5f}, {2.6f, 0}, {4.0f, 0}}, true},
        {"lowerArmR",
         "Rotation.B",
         {{0, 0}, {0.6f, 0.4f}, {0.9f, -0.5f}, {1.2f, 0.4f}, {1.5f, -0.5f}, {1.8f, 0.4f}, {2.6f, 0}, {4.0f, 0}},
         true},
    };
}

// A part's motion channels: its place, and any tracks of `tracks` for it
// on top of the seated pose.
std::vector<LwsChannel> partChannels(const DriverRig& rig, DriverPart part, const std::vector<MotionTrack>& tracks)
{
    const Vec at = rig.pivot(part);
    const float rest[6] = {at.x, at.y, at.z, 0.0f, 0.0f, 0.0f};
    const char* const names[6] = {"Position.X", "Position.Y", "Position.Z", "Rotation.H", "Rotation.P", "Rotation.B"};
    std::vector<LwsChannel> channels;
    for (int32_t c = 0; c < 6; ++c) {
        LwsEnvelope e = SceneItems::constant(rest[c]);
        for (const MotionTrack& t : tracks)
            if (t.item == kDriverPartNames[part] && t.channel == names[c]) {
                e.keys.clear();
                for (const MotionKey& k : t.keys)
                    e.keys.push_back({k.value + rest[c], k.time, 0, {}});
                e.pre = e.post = t.loop ? 2 : 1;
            }
        channels.push_back({c, e});
    }
    return channels;
}

void addParts(SceneItems& s, const DriverRig& rig, const std::string& object, uint32_t (&ids)[DriverPartCount],
              const std::vector<MotionTrack>& tracks, uint32_t root = 0)
{
    // The hips first: every other part hangs from them.
    const DriverPart order[DriverPartCount] = {Legs, Torso, Head, UpperArmL, LowerArmL, UpperArmR, LowerArmR};
    for (DriverPart part : order) {
        ids[part] = s.loadLayer(object, part);
        if (part != Legs)
            s.parent(ids[kDriverPartParents[part]]);
        else if (root)
            s.parent(root);
        s.motion(partChannels(rig, part, tracks));
    }
}

} // namespace

void addDriverParts(SceneItems& s, const DriverRig& rig, const std::string& driverObject,
                    uint32_t (&ids)[DriverPartCount], uint32_t root)
{
    addParts(s, rig, driverObject, ids, {}, root);
}

std::string characterScene(const DriverRig& rig, const std::string& driverObject)
{
    SceneItems s;
    uint32_t parts[DriverPartCount];
    addDriverParts(s, rig, driverObject, parts);
    // The kart's effects wait shrunk to nothing at their places.
    uint32_t effects[6];
    for (uint32_t i = 0; i < 6; ++i) {
        effects[i] = s.loadLayer(kKartEffectsObject, i);
        s.place(kartEffectPlace(int(i)), {}, {0.001f, 0.001f, 0.001f});
    }
    s.writer().motionMixer({characterActor(rig, parts), kartActor(effects)});
    return s.text();
}

std::string menuDriverScene(const DriverRig& rig, const std::string& driverObject)
{
    SceneItems s(120);
    uint32_t parts[DriverPartCount];
    addParts(s, rig, driverObject, parts, idleTracks());
    return s.text();
}
