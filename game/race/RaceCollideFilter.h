#pragma once
#include "engine/scene/CollideFilter.h"

// The race's one collide filter: enabled for the pairs of spaces it is
// stored at, except for two fixed triangle meshes (meshes without a body).
// The level's floors and walls never move, so such a pair can make no
// contact that does anything, and the collider would pay for every triangle
// of one against the other each step.
class RaceCollideFilter : public CollideFilter {
public:
  RaceCollideFilter() : CollideFilter(true) {}

  CollideFilter test(dGeomID first, dGeomID second) override;
};
