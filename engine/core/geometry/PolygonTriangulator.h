#pragma once
#include "engine/core/math/Vector3.h"

#include <array>
#include <cstdint>
#include <vector>

// Polygon operations of the mesh build. A polygon is a list of indices into
// a point array; corners are numbered by their place in that list.
namespace PolygonOps {

using Triangle = std::array<uint32_t, 3>;

// (p0 - p1) x (p2 - p1) of the first three points, unnormalised.
Vector3 computeFaceNormal(const Vector3* points, const uint32_t* polygon, uint32_t count);
// Signed area ratios of p against the triangle (a, b, c); each is positive
// when its sub-triangle turns the same way as the whole.
std::array<double, 3> barycentric(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& p);

// Cuts the polygon into at most count - 2 triangles of corner numbers by ear
// clipping in the plane its outline faces most, keeping its turning sense.
// Every corner is used: a concave outline loses no area, and an outline that
// crosses itself or lies on a line still ends, with a fan of what is left.
std::vector<Triangle> triangulate(const Vector3* points, const uint32_t* polygon, uint32_t count);

} // namespace PolygonOps
