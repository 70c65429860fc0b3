#pragma once
#include "tools/trackgen/Geometry.h"

#include <cstdint>
#include <vector>

namespace track {

struct MeshVertex {
    Vector3 p;
    float u = 0.0f, v = 0.0f;
};

// Polygons of one object layer, each with its material. A polygon's front
// is where (p1 - p0) x (p2 - p0) points, as the engine draws and collides.
class Mesh {
public:
    struct Polygon {
        uint16_t material;
        uint8_t count;
        uint32_t first;
    };

    void triangle(uint16_t material, const MeshVertex& a, const MeshVertex& b, const MeshVertex& c);
    void quad(uint16_t material, const MeshVertex& a, const MeshVertex& b, const MeshVertex& c,
              const MeshVertex& d);
    // Copies every polygon of `other`, turned by `heading` about y, scaled
    // and moved to `at`.
    void append(const Mesh& other, const Vector3& at = {}, float heading = 0.0f, float scale = 1.0f);

    bool empty() const { return m_polygons.empty(); }
    size_t triangleCount() const;
    const std::vector<Polygon>& polygons() const { return m_polygons; }
    const std::vector<MeshVertex>& vertices() const { return m_vertices; }
    Vector3 centroid(const Polygon& polygon) const;
    // Cuts the mesh for culling: polygons whose centroid lies inside the
    // rectangle (x0, z0)-(x1, z1) go into square cells of about `size`
    // metres laid over it, the rest into one piece per side of it (left,
    // right, below, above). Empty pieces are left out.
    std::vector<Mesh> splitIntoTiles(float size, float x0, float z0, float x1, float z1) const;

private:
    std::vector<MeshVertex> m_vertices;
    std::vector<Polygon> m_polygons;
};

// Box corners from `lo` to `hi` with every face outward; UVs from the face
// plane in metres times `uvScale`. Faces whose bit is set in `skip`
// (1 bottom, 2 top, 4 -x, 8 +x, 16 -z, 32 +z) are left out.
void addBox(Mesh& mesh, uint16_t material, const Vector3& lo, const Vector3& hi, float uvScale = 0.5f,
            unsigned skip = 0);
// A prism standing on y = y0 up to y1: a regular polygon of `sides`
// corners, radius r0 at the foot and r1 at the top (0 makes a cone), centred
// on (x, z). Side UVs wrap once round (u) and run up in metres (v).
void addPrism(Mesh& mesh, uint16_t material, const Vector3& foot, float height, float r0, float r1, int sides,
              bool cap = true, float uvScale = 0.5f);

} // namespace track
