#pragma once
#include "tools/trackgen/Materials.h"
#include "tools/trackgen/Mesh.h"

#include <map>
#include <string>
#include <vector>

namespace track {

// Surface classes and collision spaces the race gives meaning to.
enum SurfaceClass : int {
    ClassSpecial = 5,
    ClassItem = 7,
    ClassCoin = 8,
    ClassCheck = 9,
    ClassRoad = 10,
    ClassSnow = 11,
    ClassGrass = 12,
    ClassSand = 13,
    ClassHealth = 15,
    ClassQuadDamage = 16,
    ClassHammer = 17,
    ClassWall = 20,
    ClassReset = 25,
};
enum Space : int { SpaceFloor = 2, SpaceCheck = 3 };

// The floor class a ground material drives like.
int floorClass(const std::string& material);

// A placed thing the race finds by name: a start slot, a check box or a
// pickup; heading in radians.
struct Marker {
    std::string object; // the pickup's object file, or "start" / "check"
    Vector3 at;
    float heading = 0.0f;
    float pitch = 0.0f;
    Vector3 size;       // the check box's extents
    int surfaceClass = 0;
};

struct CameraPlace {
    std::string name;
    Vector3 eye, target;
};

// Everything a level is made of, before it is written out.
struct LevelModel {
    MaterialSet materials;
    // Drawn only.
    Mesh scenery;
    Mesh sky;
    // Drawn and driven on, by floor class.
    std::map<int, Mesh> floors;
    // Collided with only, never drawn.
    Mesh walls;
    Mesh reset;
    std::vector<Marker> starts, checks, pickups;
    std::vector<CameraPlace> cameras;
    // Places under a roof (bridge decks, tunnels) and near glowing lava, for
    // the colour map: x0, z0, x1, z1 and the light there (1 = open sky).
    struct Shade {
        Vector3 a, b;
        float halfWidth;
        float light;
        Rgb tint{1.0f, 1.0f, 1.0f};
    };
    std::vector<Shade> shades;

    uint16_t id(const std::string& name) const { return materials.id(name); }
};

} // namespace track
