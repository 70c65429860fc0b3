#include "engine/lightwave/LwMesh.h"

#include "engine/core/geometry/RenderGeometry.h"
#include "engine/lightwave/LwoVertexMaps.h"
#include "engine/lightwave/SurfaceStagePlan.h"

#include <algorithm>

LwMesh::LwMesh(Renderer* context, LwoFile* file, std::vector<LwPolygon> polygons, std::vector<Vector3> points,
               std::vector<std::shared_ptr<LwoPointMap>> vertexMaps)
    : BoundingBox(context, file),
      m_file(file),
      m_points(std::move(points)),
      m_polygons(std::move(polygons)),
      m_vertexMaps(std::move(vertexMaps))
{
    m_cornerCount = int32_t(m_points.size());
}

LwMesh::~LwMesh() = default;

void LwMesh::computeBounds()
{
    if (m_points.empty()) {
        setMinMax(Vector3(), Vector3());
        return;
    }
    Vector3 lo = m_points.front(), hi = m_points.front();
    for (const Vector3& p : m_points) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    setMinMax(lo, hi);
}

const Vector3* LwMesh::points()
{
    if (!m_pointsCached) {
        computeBounds();
        m_pointsCached = true;
    }
    return m_points.data();
}

LwoPointMap* LwMesh::findVertexMap(const std::string& name) const
{
    if (name.empty())
        return nullptr;
    for (const auto& map : m_vertexMaps)
        if (map && map->name == name)
            return map.get();
    return nullptr;
}

int32_t LwMesh::findVertexMapOfType(uint32_t type, int32_t n) const
{
    for (size_t i = 0; i < m_vertexMaps.size(); ++i)
        if (m_vertexMaps[i] && m_vertexMaps[i]->type() == type && n-- == 0)
            return int32_t(i);
    return -1;
}

uint32_t LwMesh::numMorphmaps()
{
    if (m_morphCount < 0)
        m_morphCount = int32_t(std::count_if(m_vertexMaps.begin(), m_vertexMaps.end(), [](const auto& map) {
            return map && map->type() == LwoPointMap::TypeMorph;
        }));
    return uint32_t(m_morphCount);
}
