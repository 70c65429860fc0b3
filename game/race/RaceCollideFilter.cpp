#include "game/race/RaceCollideFilter.h"

namespace {

bool fixedMesh(dGeomID geom) {
  return !dGeomIsSpace(geom) && dGeomGetClass(geom) == dTriMeshClass &&
         !dGeomGetBody(geom);
}

} // namespace

CollideFilter RaceCollideFilter::test(dGeomID first, dGeomID second) {
  if (fixedMesh(first) && fixedMesh(second))
    return CollideFilter(false);
  return *this;
}
