#pragma once
#include "tools/trackgen/Terrain.h"

namespace track {

// The road with its kerbs and verges, the barriers and the walls behind
// them, the start line and its gantry, bridge decks on pillars, tunnels,
// the arenas' boundaries.
void buildTrack(LevelModel& level, const LevelParams& params, const Centreline& line, const Terrain& terrain);

// The scenery of the level's scatter, row, place and backdrop lines.
void placeScenery(LevelModel& level, const LevelParams& params, const Centreline& line, const Terrain& terrain);

// What the race looks up in the scene: seven start slots behind the finish
// line, the three check boxes, the pickups, the start and overview cameras.
void placeRaceMarkers(LevelModel& level, const LevelParams& params, const Centreline& line, const Terrain& terrain);

} // namespace track
