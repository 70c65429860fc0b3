#pragma once
#include "engine/core/BoundingBox.h"
#include "engine/core/Vector3.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class LwMesh;
class LwoFile;
class LwoPointMap;

// One polygon of an object layer as loaded: its point indices, its tag
// (surface) index, and after the mesh build its index before degenerate
// polygons were dropped.
struct LwPolygon {
    std::vector<uint32_t> points;
    int32_t surface = 0;
    int32_t sourceIndex = 0;
    LwMesh* owner = nullptr;
};

// The renderable of one object layer: its points and polygons as loaded,
// turned into per-surface triangle batches when first prepared.
class LwMesh : public BoundingBox {
public:
    LwMesh(Renderer* context, LwoFile* file, std::vector<LwPolygon> polygons, std::vector<Vector3> points,
           std::vector<std::shared_ptr<LwoPointMap>> vertexMaps);
    ~LwMesh() override;

    void computeBounds() override;
    const Vector3* points() override;
    void render() override {}
    // Builds the render data for the object before its first draw.
    bool prepare(class MeshObject* owner);

    // The first vertex map of that name; null for an empty name.
    LwoPointMap* findVertexMap(const std::string& name) const;
    // Index of the (n+1)-th map of the type, -1 when fewer.
    int32_t findVertexMapOfType(uint32_t type, int32_t n) const;
    uint32_t numMorphmaps();

    LwoFile* file() const { return m_file; }
    int32_t pointCount() const { return int32_t(m_points.size()); }
    int32_t polygonCount() const { return int32_t(m_polygons.size()); }

    LwoFile* m_file;
    std::vector<Vector3> m_points;
    int32_t m_morphCount = -1;
    std::vector<LwPolygon> m_polygons;
    int32_t m_boneFalloffType = 0;
    std::vector<std::shared_ptr<LwoPointMap>> m_vertexMaps;
    uint8_t m_usesBlendedSurface = 0;
    bool m_pointsCached = false;
};
