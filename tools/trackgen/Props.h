#pragma once
#include "tools/trackgen/LevelModel.h"

#include <string>

namespace track {

// The scenery kit: small low-poly things built from boxes and prisms in the
// level's materials. Solid ones also put a simple shape into the level's
// walls, so karts bump into what they see.
bool isPropKind(const std::string& kind);
// Radius of the ground a prop of that kind covers at scale 1: placement
// keeps props apart and off the road by it.
float propRadius(const std::string& kind);
void placeProp(LevelModel& level, const std::string& kind, const Vector3& foot, float heading, float scale,
               Rng& rng);

} // namespace track
