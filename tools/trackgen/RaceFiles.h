#pragma once
#include "tools/trackgen/Centreline.h"
#include "tools/trackgen/LevelModel.h"
#include "tools/trackgen/Picture.h"

#include <cstdint>
#include <vector>

namespace track {

// A rectangle of the world laid over a map picture: its top row at maxZ,
// its left column at minX.
struct WorldRect {
    float minX = 0, maxX = 1, minZ = 0, maxZ = 1;
    bool holds(float x, float z) const { return x >= minX && x <= maxX && z >= minZ && z <= maxZ; }
};

// The computer drivers' lines, one per lane of the level, each a loop of
// evenly spaced points from the finish line round to one step short of it.
std::vector<std::vector<Vector3>> lanePaths(const LevelParams& params, const Centreline& line);

// The position map: an 8-bit PCX whose value grows from 1 just past the
// finish line to 254 just before it, by the nearest point of the centre
// line. `size` must be a power of two.
std::vector<uint8_t> positionMap(const Centreline& line, const WorldRect& rect, int size);

// The colour map: the light a kart takes on at each place, 128 standing
// for its own colour; dimmer under roofs, warmer by lava.
Picture colourMap(const LevelModel& level, const LevelParams& params, const WorldRect& rect, int size);

// The HUD's map on a transparent ground: a circuit as its road seen from
// above, light with a dark rim and the finish line marked; an arena as its
// floor inside its walls with everything solid on it dark.
Picture minimap(const LevelModel& level, const LevelParams& params, const Centreline& line, const WorldRect& rect,
                int size);

} // namespace track
