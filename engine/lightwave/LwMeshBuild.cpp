// The mesh build: from an object layer's polygons to welded, per-surface
// triangle batches of fat vertices and their geometries.
#include "engine/core/geometry/PolygonTriangulator.h"
#include "engine/core/geometry/RenderGeometry.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/lightwave/LwMesh.h"
#include "engine/lightwave/LwoFile.h"
#include "engine/lightwave/LwoVertexMaps.h"
#include "engine/lightwave/Surface.h"
#include "engine/lightwave/SurfaceStagePlan.h"
#include "engine/lightwave/TextureLayer.h"
#include "engine/scene/Bone.h"
#include "engine/scene/MeshObject.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The bone palette index is one byte in the vertex record: only the first
// 256 bones of an object can carry weights.
constexpr size_t kMaxWeightedBones = 256;

float dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vector3 cross(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

bool sameVertex(const LwVertex& a, const LwVertex& b, int32_t slots)
{
    for (int32_t j = 0; j < slots; ++j)
        for (int k = 0; k < 3; ++k)
            if (std::fabs(a.texCoords[j][k] - b.texCoords[j][k]) > 1e-6f)
                return false;
    for (int k = 0; k < 3; ++k)
        if (std::fabs(a.normal[k] - b.normal[k]) > 1e-6f)
            return false;
    return std::memcmp(a.color, b.color, sizeof a.color) == 0;
}

} // namespace

void LwMeshData::clear()
{
    *this = LwMeshData();
}

int32_t LwMesh::surfaceCount() const
{
    return (m_file ? m_file->m_tagCount : 0) + 1;
}

Surface* LwMesh::surfaceAt(int32_t index) const
{
    return m_file ? m_file->tagSurface(index) : nullptr;
}

int32_t LwMesh::polygonSurface(const LwPolygon& polygon) const
{
    const int32_t tags = surfaceCount() - 1;
    return polygon.surface >= 0 && polygon.surface < tags ? polygon.surface : tags;
}

bool LwMesh::build(MeshObject* owner, bool keepData)
{
    if (isBuilt())
        return true;
    m_keepData = keepData;
    m_deformable = (owner && !owner->m_bones.empty()) || numMorphmaps() != 0;
    if (m_deformable)
        m_keepData = 1;
    m_cornerCount = 0;
    points();
    if (m_geometries.empty()) {
        std::vector<LwPolygon> kept;
        kept.reserve(m_polygons.size());
        for (size_t i = 0; i < m_polygons.size(); ++i) {
            LwPolygon& polygon = m_polygons[i];
            if (polygon.points.size() < 3)
                continue;
            polygon.owner = this;
            polygon.sourceIndex = int32_t(i);
            m_cornerCount += int32_t(polygon.points.size());
            kept.push_back(std::move(polygon));
        }
        m_polygons = std::move(kept);
        buildRenderData(owner);
    } else {
        for (const LwPolygon& polygon : m_polygons)
            m_cornerCount += int32_t(polygon.points.size());
    }
    m_flags[1] = 1;
    // Without a device there is nothing to upload; the data stays.
    if (!m_context || !m_context->m_device)
        return true;
    for (size_t b = 0; b < m_geometries.size(); ++b) {
        RenderGeometry* geometry = m_geometries[b].get();
        bool ok;
        if (m_deformable) {
            auto* buffers = static_cast<MeshBuffers*>(geometry);
            const int32_t vertices = m_data.batchEndVertex[b] - m_data.batchFirstVertex[b];
            const int32_t indices = int32_t(m_data.batchIndices[b].size());
            ok = buffers->m_uploaded || buffers->create(false, true, vertices, indices);
            ok = ok && buffers->setIndices(m_data.batchIndices[b].data(), indices);
            ok = ok && buffers->setVertices(m_data.deformedVertices.data() + m_data.batchFirstVertex[b], vertices);
        } else {
            auto* mesh = static_cast<MeshGeometry*>(geometry);
            ok = mesh->m_uploaded || mesh->upload();
        }
        if (!ok)
            m_flags[1] = 0;
    }
    return isBuilt();
}

bool LwMesh::prepare(MeshObject* owner)
{
    return build(owner, false);
}

void LwMesh::buildRenderData(MeshObject* owner)
{
    const Vector3* positions = m_points.data();
    const size_t polygonCount = m_polygons.size();
    std::vector<Vector3> faceNormals(polygonCount);
    std::vector<int32_t> surfaceOf(polygonCount);
    // The face normal points out of the side the polygon is seen from
    // (its corners run clockwise there).
    for (size_t i = 0; i < polygonCount; ++i) {
        const LwPolygon& polygon = m_polygons[i];
        Vector3 n = PolygonOps::computeFaceNormal(positions, polygon.points.data(), uint32_t(polygon.points.size()));
        n = n * -1.0f;
        n.normalize();
        faceNormals[i] = n;
        surfaceOf[i] = polygonSurface(polygon);
    }

    // Triangles over corner numbers, with the back or double sides.
    const int32_t tags = surfaceCount() - 1;
    m_data.clear();
    std::vector<uint32_t>& indices = m_data.indices;
    std::vector<int32_t>& triangleSurfaces = m_data.triangleSurfaces;
    uint32_t base = 0;
    for (size_t i = 0; i < polygonCount; ++i) {
        const LwPolygon& polygon = m_polygons[i];
        const int32_t s = surfaceOf[i];
        const Surface* surface = surfaceAt(s);
        const int32_t back = surface ? surface->m_backSurfaceTag : -1;
        for (const auto& t : PolygonOps::triangulate(positions, polygon.points.data(), uint32_t(polygon.points.size()))) {
            indices.insert(indices.end(), {base + t[0], base + t[1], base + t[2]});
            triangleSurfaces.push_back(s);
            if (back >= 0 && back < tags) {
                indices.insert(indices.end(), {base + t[2], base + t[1], base + t[0]});
                triangleSurfaces.push_back(back);
            } else if (surface && surface->m_doubleSided) {
                indices.insert(indices.end(), {base + t[2], base + t[1], base + t[0]});
                triangleSurfaces.push_back(s);
            }
        }
        base += uint32_t(polygon.points.size());
    }

    // One vertex per corner.
    const int32_t bones = owner ? int32_t(std::min(owner->m_bones.size(), kMaxWeightedBones)) : 0;
    m_data.bonesPerVertex = std::min(bones, int32_t(LwVertex::MaxBoneWeights));
    if (owner && owner->m_bones.size() > kMaxWeightedBones)
        reportWarning("only the first 256 bones of an object weight its vertices", "Error");
    const bool morphs = numMorphmaps() != 0;
    std::vector<LwVertex>& vertices = m_data.vertices;
    vertices.assign(base, LwVertex{});
    uint32_t corner = 0;
    for (size_t i = 0; i < polygonCount; ++i) {
        for (uint32_t point : m_polygons[i].points) {
            LwVertex& v = vertices[corner];
            const Vector3& p = positions[point];
            v.position[0] = p.x, v.position[1] = p.y, v.position[2] = p.z;
            v.normal[0] = faceNormals[i].x, v.normal[1] = faceNormals[i].y, v.normal[2] = faceNormals[i].z;
            v.polygon = int32_t(i);
            v.pointGroup = int32_t(corner);
            if (bones > 0)
                computeBoneWeights(owner, v, point);
            if (morphs)
                fillMorphDeltas(v, point);
            ++corner;
        }
    }

    smoothNormals(faceNormals, surfaceOf);

    m_surfaceSets.clear();
    const bool shaders = m_context && !m_context->m_fixedFunction;
    for (int32_t s = 0; s < surfaceCount(); ++s) {
        auto plan = std::make_unique<SurfaceStagePlan>();
        plan->build(surfaceAt(s));
        if (shaders) {
            plan->boneWeightCount = m_data.bonesPerVertex;
            plan->hasTangents = plan->stageCount[SurfaceStagePlan::PlanBUMP] >= 1;
        }
        m_surfaceSets.push_back(std::move(plan));
    }
    corner = 0;
    for (size_t i = 0; i < polygonCount; ++i) {
        const LwPolygon& polygon = m_polygons[i];
        LayerPolygon lp;
        lp.count = uint32_t(polygon.points.size());
        lp.points = polygon.points.data();
        lp.index = polygon.sourceIndex;
        lp.normal = faceNormals[i];
        SurfaceStagePlan& plan = *m_surfaceSets[size_t(surfaceOf[i])];
        TextureLayer::computeLayerCoordinates(plan, lp, m_layer, positions, vertices.data() + corner);
        TextureLayer::applyVertexColors(plan, lp, m_layer, vertices.data() + corner);
        corner += lp.count;
    }

    splitBySurface();
    createGeometries();
    if (m_deformable)
        m_data.deformedVertices = m_data.vertices;
    // The morph offsets and weights are in the vertices now.
    m_vertexMaps.clear();
    m_data.triangleSurfaces = {};
    if (!m_keepData) {
        std::vector<int32_t> keep = m_data.batchSurface;
        m_data.clear();
        m_data.batchSurface = std::move(keep);
    }
}

void LwMesh::smoothNormals(const std::vector<Vector3>& faceNormals, const std::vector<int32_t>& surfaceOfPolygon)
{
    std::vector<LwVertex>& vertices = m_data.vertices;
    const size_t pointCount = m_points.size();
    // Vertices grouped by their point, in vertex order (a counting sort).
    std::vector<uint32_t> start(pointCount + 1, 0);
    std::vector<uint32_t> pointOf(vertices.size());
    uint32_t corner = 0;
    for (const LwPolygon& polygon : m_polygons)
        for (uint32_t point : polygon.points) {
            pointOf[corner++] = point;
            ++start[point + 1];
        }
    for (size_t p = 0; p < pointCount; ++p)
        start[p + 1] += start[p];
    std::vector<uint32_t> order(vertices.size());
    std::vector<uint32_t> fill(start.begin(), start.end() - 1);
    for (uint32_t v = 0; v < vertices.size(); ++v)
        order[fill[pointOf[v]]++] = v;
    std::vector<float> threshold(static_cast<size_t>(surfaceCount()));
    for (int32_t s = 0; s < surfaceCount(); ++s) {
        const Surface* surface = surfaceAt(s);
        threshold[size_t(s)] = surface ? surface->m_smoothingCosine : Surface::defaultSmoothingCosine();
    }
    for (size_t p = 0; p < pointCount; ++p) {
        const uint32_t first = start[p], end = start[p + 1];
        for (uint32_t i = first; i < end; ++i) {
            LwVertex& a = vertices[order[i]];
            const Vector3& na = faceNormals[size_t(a.polygon)];
            const float ta = threshold[size_t(surfaceOfPolygon[size_t(a.polygon)])];
            for (uint32_t j = i + 1; j < end; ++j) {
                LwVertex& b = vertices[order[j]];
                const Vector3& nb = faceNormals[size_t(b.polygon)];
                const float tb = threshold[size_t(surfaceOfPolygon[size_t(b.polygon)])];
                const float d = dot(na, nb);
                if (d >= ta)
                    for (int k = 0; k < 3; ++k)
                        a.normal[k] += (&nb.x)[k];
                if (d >= tb)
                    for (int k = 0; k < 3; ++k)
                        b.normal[k] += (&na.x)[k];
            }
            a.pointGroup = int32_t(order[first]);
        }
    }
    for (LwVertex& v : vertices) {
        Vector3 n(v.normal[0], v.normal[1], v.normal[2]);
        n.normalize();
        v.normal[0] = n.x, v.normal[1] = n.y, v.normal[2] = n.z;
    }
}

void LwMesh::splitBySurface()
{
    const std::vector<LwVertex>& oldVertices = m_data.vertices;
    const std::vector<uint32_t>& oldIndices = m_data.indices;
    const size_t triangles = oldIndices.size() / 3;
    const int32_t surfaces = surfaceCount();
    // Triangles bucketed by surface, in their order.
    std::vector<uint32_t> bucketStart(size_t(surfaces) + 1, 0);
    for (size_t t = 0; t < triangles; ++t)
        ++bucketStart[size_t(m_data.triangleSurfaces[t]) + 1];
    for (int32_t s = 0; s < surfaces; ++s)
        bucketStart[size_t(s) + 1] += bucketStart[size_t(s)];
    std::vector<uint32_t> byTriangle(triangles);
    {
        std::vector<uint32_t> fill(bucketStart.begin(), bucketStart.end() - 1);
        for (size_t t = 0; t < triangles; ++t)
            byTriangle[fill[size_t(m_data.triangleSurfaces[t])]++] = uint32_t(t);
    }
    std::vector<LwVertex> vertices;
    vertices.reserve(oldVertices.size());
    std::vector<uint32_t> indices;
    indices.reserve(oldIndices.size());
    std::vector<int32_t> head(oldVertices.size(), -1);
    std::vector<int32_t> representative(oldVertices.size(), -1);
    std::vector<int32_t> chain;
    std::vector<uint32_t> touched;
    LwMeshData& d = m_data;
    std::vector<int32_t> batchSurface, batchFirstIndex, batchFirstVertex, batchEndVertex, batchEndIndex;
    std::vector<std::vector<uint32_t>> batchIndices;
    for (int32_t s = 0; s < surfaces; ++s) {
        for (uint32_t g : touched)
            head[g] = -1;
        touched.clear();
        const int32_t slots = m_surfaceSets[size_t(s)]->count;
        const int32_t firstVertex = int32_t(vertices.size());
        const int32_t firstIndex = int32_t(indices.size());
        for (uint32_t k = bucketStart[size_t(s)]; k < bucketStart[size_t(s) + 1]; ++k) {
            const uint32_t t = byTriangle[k];
            uint32_t made[3];
            for (int c = 0; c < 3; ++c) {
                const uint32_t v = oldIndices[3 * t + size_t(c)];
                const uint32_t g = uint32_t(oldVertices[v].pointGroup);
                int32_t found = -1, last = -1;
                for (int32_t n = head[g]; n >= 0; n = chain[size_t(n)]) {
                    if (sameVertex(vertices[size_t(n)], oldVertices[v], slots)) {
                        found = n;
                        break;
                    }
                    last = n;
                }
                if (found < 0) {
                    found = int32_t(vertices.size());
                    vertices.push_back(oldVertices[v]);
                    chain.push_back(-1);
                    if (representative[g] < 0)
                        representative[g] = found;
                    vertices.back().pointGroup = representative[g];
                    if (last >= 0)
                        chain[size_t(last)] = found;
                    else {
                        head[g] = found;
                        touched.push_back(g);
                    }
                }
                made[c] = uint32_t(found);
            }
            if (made[0] == made[1] || made[1] == made[2] || made[0] == made[2])
                continue;
            indices.insert(indices.end(), made, made + 3);
        }
        if (int32_t(indices.size()) == firstIndex)
            continue;
        batchSurface.push_back(s);
        batchFirstVertex.push_back(firstVertex);
        batchEndVertex.push_back(int32_t(vertices.size()));
        batchFirstIndex.push_back(firstIndex);
        batchEndIndex.push_back(int32_t(indices.size()));
        std::vector<uint32_t> rebased(indices.begin() + firstIndex, indices.end());
        for (uint32_t& i : rebased)
            i -= uint32_t(firstVertex);
        batchIndices.push_back(std::move(rebased));
    }
    d.vertices = std::move(vertices);
    d.indices = std::move(indices);
    d.batchSurface = std::move(batchSurface);
    d.batchFirstIndex = std::move(batchFirstIndex);
    d.batchFirstVertex = std::move(batchFirstVertex);
    d.batchEndVertex = std::move(batchEndVertex);
    d.batchEndIndex = std::move(batchEndIndex);
    d.batchIndices = std::move(batchIndices);
}

void LwMesh::createGeometries()
{
    m_geometries.clear();
    if (!m_context || !m_context->m_device)
        return;
    for (size_t b = 0; b < m_data.batchSurface.size(); ++b) {
        const int32_t s = m_data.batchSurface[b];
        const SurfaceStagePlan* plan = m_surfaceSets[size_t(s)].get();
        VertexLayout layout;
        layout.slotCount = plan->count;
        for (int32_t k = 0; k < plan->count && k < VertexLayout::MaxSlots; ++k)
            layout.animatedSlot[k] = plan->layers[k] && plan->layers[k]->hasAnimatedTransform();
        layout.hasColor = plan->vertexColorLayer != nullptr;
        layout.hasTangents = plan->hasTangents != 0;
        layout.boneWeightCount = plan->boneWeightCount;
        layout.softwareProcessing = plan->boneWeightCount > 0 && !m_context->m_hardwareVertexShaders;
        Surface* surface = surfaceAt(s);
        if (m_deformable) {
            m_geometries.push_back(std::make_unique<MeshBuffers>(plan, surface, m_context, layout));
        } else {
            auto geometry = std::make_unique<MeshGeometry>(plan, surface, m_context, layout);
            const int32_t first = m_data.batchFirstVertex[b];
            geometry->addTriangles(m_data.batchIndices[b].data(), int32_t(m_data.batchIndices[b].size()));
            geometry->addVertices(m_data.vertices.data() + first, m_data.batchEndVertex[b] - first);
            m_geometries.push_back(std::move(geometry));
        }
    }
}

void LwMesh::computeBoneWeights(MeshObject* owner, LwVertex& vertex, uint32_t point)
{
    const size_t bones = std::min(owner->m_bones.size(), kMaxWeightedBones);
    std::vector<std::pair<float, uint32_t>> weights;
    weights.reserve(bones);
    const Vector3 x(vertex.position[0], vertex.position[1], vertex.position[2]);
    const double exponent = std::pow(2.0, double(m_boneFalloffType) - 1.0);
    for (size_t b = 0; b < bones; ++b) {
        Bone* bone = owner->m_bones[b];
        const Matrix4& rest = bone->restMatrix();
        const Vector3 p(rest.at(3, 0), rest.at(3, 1), rest.at(3, 2));
        Vector3 dir(rest.at(2, 0), rest.at(2, 1), rest.at(2, 2));
        dir.normalize();
        const float length = bone->m_restLength;
        const Vector3 v = x - p;
        double distance;
        if (dot(v, dir) < 0.0f) {
            distance = v.length();
        } else {
            const Vector3 t = x - (p + dir * length);
            distance = dot(t, dir) <= 0.0f ? cross(dir, v).length() : t.length();
        }
        const double s = double(bone->m_strength) * (bone->m_scaleStrength ? length : 1.0f);
        const double dn = std::pow(distance, exponent);
        double w = dn > s * 2.938736052218037e-39 ? s / dn : 3.4028235e+38;
        if (bone->m_limitedRange) {
            const double max = bone->m_maxRange;
            if (distance > max || max <= 0.0)
                w = 0.0;
            else
                w = (max - distance) / max;
            if (distance < bone->m_minRange)
                w = s;
        }
        if (auto* map = findVertexMap(bone->m_weightMapName)) {
            const auto* weightMap = map->type() == LwoPointMap::TypeWeight ? static_cast<LwoWeightMap*>(map) : nullptr;
            w *= weightMap && point < weightMap->weights.size() ? weightMap->weights[point] : 0.0f;
        }
        weights.push_back({float(std::min(w, 3.4028235e+38)), uint32_t(b)});
    }
    std::stable_sort(weights.begin(), weights.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    const int32_t count = std::min(m_data.bonesPerVertex, int32_t(weights.size()));
    double sum = 0.0;
    for (int32_t k = 0; k < count; ++k)
        sum += weights[size_t(k)].first;
    for (int32_t k = 0; k < count; ++k) {
        vertex.boneIndex[k] = uint8_t(weights[size_t(k)].second);
        vertex.boneWeight[k] = sum > 0.0 ? float(weights[size_t(k)].first / sum) : 0.0f;
    }
}

void LwMesh::fillMorphDeltas(LwVertex& vertex, uint32_t point)
{
    if (numMorphmaps() > uint32_t(LwVertex::MaxMorphs))
        reportAssertion("\"numMorphmaps() <= 32\"");
    const int32_t morphs = std::min(int32_t(numMorphmaps()), LwVertex::MaxMorphs);
    for (int32_t m = 0; m < morphs; ++m) {
        const int32_t index = findVertexMapOfType(LwoPointMap::TypeMorph, m);
        if (index < 0)
            break;
        const auto* map = static_cast<const LwoMorphMap*>(m_vertexMaps[size_t(index)].get());
        if (point < map->offsets.size()) {
            vertex.morphOffsets[m][0] = map->offsets[point].x;
            vertex.morphOffsets[m][1] = map->offsets[point].y;
            vertex.morphOffsets[m][2] = map->offsets[point].z;
        }
    }
}

void LwMesh::blendMorphs(const float* weights, size_t count)
{
    if (m_data.deformedVertices.size() != m_data.vertices.size())
        return;
    const size_t morphs = std::min<size_t>(count, size_t(LwVertex::MaxMorphs));
    double total = 0.0;
    for (size_t m = 0; m < morphs; ++m)
        total += weights[m];
    for (size_t i = 0; i < m_data.vertices.size(); ++i) {
        const LwVertex& source = m_data.vertices[i];
        LwVertex& out = m_data.deformedVertices[i];
        for (int k = 0; k < 3; ++k) {
            double offset = 0.0;
            for (size_t m = 0; m < morphs; ++m)
                offset += double(weights[m]) * source.morphOffsets[m][k];
            // No weight at all: the base shape, not a division by zero.
            out.position[k] = total != 0.0 ? float(source.position[k] + offset / total) : source.position[k];
            out.normal[k] = source.normal[k];
        }
    }
}

bool LwMesh::copyTriangles(std::vector<float>& positions, std::vector<uint32_t>& indices)
{
    const size_t first = positions.size() / 3;
    positions.reserve(positions.size() + 3 * m_points.size());
    for (const Vector3& p : m_points)
        positions.insert(positions.end(), {p.x, p.y, p.z});
    const size_t before = indices.size();
    for (const LwPolygon& polygon : m_polygons) {
        if (polygon.points.size() < 3)
            continue;
        bool sound = true;
        for (uint32_t index : polygon.points)
            sound = sound && index < m_points.size();
        if (!sound)
            continue;
        for (const auto& t : PolygonOps::triangulate(m_points.data(), polygon.points.data(),
                                                      uint32_t(polygon.points.size())))
            for (int c = 0; c < 3; ++c)
                indices.push_back(uint32_t(first) + polygon.points[t[size_t(c)]]);
    }
    return indices.size() > before;
}

void LwMesh::onResetDevice()
{
    for (auto& geometry : m_geometries)
        geometry->onResetDevice();
    m_skinThisFrame = 0;
    m_forceDeform = 1;
}

void LwMesh::onLostDevice()
{
    for (auto& geometry : m_geometries)
        geometry->onLostDevice();
}
