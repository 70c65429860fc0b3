#pragma once
#include "tools/trackgen/LevelModel.h"
#include "tools/trackgen/Params.h"

#include <string>
#include <vector>

namespace track {

// What the scene file loads: the level's objects by file and layer.
struct SceneObjects {
    std::string scenery;           // drawn only; its last layer is the sky
    int sceneryLayers = 0;         // layers before the sky's
    std::string floor;             // drawn and driven on
    std::vector<int> floorClasses; // the floor class of each of its layers
    std::string walls, reset;      // hidden colliders
};

// The level's scene file: the objects with their colliders, the start
// slots, check boxes and pickups the race looks up by name, the sun, the
// start camera first, then the overview camera, the backdrop and the fog.
std::string levelScene(const LevelModel& level, const LevelParams& params, const SceneObjects& objects);

} // namespace track
