#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The showcase scene: one small scene that exercises everything scene
// drawing does, made with our writers, for the drawing tests, lwsview and
// the drawing benchmark. The camera stands at the origin looking along +z
// at eye height 0; the floor lies at y = -1, so everything above the middle
// row of the image has the black backdrop behind it.
//
//   Floor      the floor in front (z 1 to 12), receives shadows
//   Mirror     the floor behind it (z 12 to 26): a mirror surface
//   Pole       stands on the mirror at z 20; its foot shows in the mirror
//   Box        an opaque box on the left
//   Arm        skinned: every point weighs fully on the bone "Lift", which
//              raises it by `kArmLift`
//   Blob       morphed: its morph "Stretch" pulls its top up by
//              `kBlobStretch`, at weight 1
//   GlassNear, GlassFar  two transparent boxes, blue in front of red, the
//              floor behind both
//   AntiPortal an occluder on the right at z 6; Hidden stands behind it
//   Aside      outside the view to the right; Behind, behind the camera
//   Sun        a distant light
//   Spot       a spot light above the scene that casts shadow-map shadows
namespace ShowcaseScene {

inline constexpr const char* SceneFile = "showcase.lws";
inline constexpr float kArmLift = 1.2f;
inline constexpr float kBlobStretch = 1.2f;

struct File {
    std::string name; // relative to the scene's folder, '/' separated
    std::vector<uint8_t> bytes;
};

// Every file of the scene: the .lws first, then its objects.
std::vector<File> files();

// An object of the scene: its name, the object file and where it stands.
struct Placement {
    const char* name;
    std::array<float, 3> position;
};
const std::vector<Placement>& placements();
// The object file of an object name ("Objects/NAME.lwo").
std::string objectFile(const std::string& name);

} // namespace ShowcaseScene
