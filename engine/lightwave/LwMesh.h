#pragma once
#include "engine/core/math/BoundingBox.h"
#include "engine/core/geometry/LwVertex.h"
#include "engine/core/math/Vector3.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class LwMesh;
class LwoFile;
class ReflectionView;
class SceneObject;
struct ActiveLight;
struct Matrix4;
class LwoPointMap;
class MeshObject;
class RenderGeometry;
class Surface;
class SurfaceStagePlan;
struct LwVertex;

// One polygon of an object layer as loaded: its point indices, its tag
// (surface) index, and after the mesh build its index before degenerate
// polygons were dropped.
struct LwPolygon {
    std::vector<uint32_t> points;
    int32_t surface = 0;
    int32_t sourceIndex = 0;
    LwMesh* owner = nullptr;
};

// The build record: the vertices and triangles as built, and one batch per
// surface that has triangles (vertex and index ranges into the merged
// arrays, and the batch's indices rebased to its first vertex).
struct LwMeshData {
    std::vector<LwVertex> vertices;
    // A deformable mesh's morphed and skinned copy of `vertices`.
    std::vector<LwVertex> deformedVertices;
    std::vector<uint32_t> indices;
    std::vector<int32_t> triangleSurfaces;
    std::vector<int32_t> batchSurface;
    std::vector<int32_t> batchFirstIndex;
    std::vector<int32_t> batchFirstVertex;
    std::vector<int32_t> batchEndVertex;
    std::vector<int32_t> batchEndIndex;
    std::vector<std::vector<uint32_t>> batchIndices;
    int32_t bonesPerVertex = 0;

    int32_t vertexCount() const { return int32_t(vertices.size()); }
    int32_t indexCount() const { return int32_t(indices.size()); }
    void clear();
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
    // Nested draws end here: a mesh drawn inside a mirror's reflection of a
    // mirror draws nothing. The count also picks the stencil values.
    static constexpr int32_t MaxRenderDepth = 2;
    // Room in the per-draw list of shadow-map lights.
    static constexpr size_t MaxDrawLights = 50;
    // Beyond this many units from the camera a skinned mesh keeps its last
    // pose; up to the first it is skinned every frame, in between every
    // other frame.
    static constexpr float SkinEveryFrameDistance = 10.0f;
    static constexpr float SkinNeverDistance = 30.0f;

    void render() override { renderFor(0.0, nullptr, nullptr); }
    bool prepareFor(MeshObject* owner) override { return prepare(owner); }
    // One draw for `owner` (may be null: no deformation, no shadow choice,
    // no mirrors) from `camera` (may be null: skinned as if near): morphs
    // and skins on the CPU, uploads when due, then draws every batch: into
    // a shadow map only for a shadow caster, with the shadow pass;
    // otherwise a surface with a reflection and no reflection image as a
    // stencil-masked mirror at the outermost depth, every other surface
    // plainly (a fully transparent one without a transparency image not
    // at all).
    void renderFor(double time, MeshObject* owner, SceneObject* camera) override;
    const void* activeReflection() const override { return m_activeReflection; }
    int32_t pointCount() const override { return int32_t(m_points.size()); }
    // How many LwMesh draws are in progress on the call stack, all meshes
    // together.
    static int32_t& renderDepthCounter();
    void onResetDevice() override;
    void onLostDevice() override;
    // A layer with a blended surface draws after the opaque ones, far to near.
    uint8_t depthSortFlag() const override { return m_usesBlendedSurface; }
    // The layer's triangles from its points and polygons, whether or not
    // the mesh is built and whatever its build kept: positions x, y, z per
    // point, three point indices per front-facing triangle.
    bool copyTriangles(std::vector<float>& positions, std::vector<uint32_t>& indices) override;

    // Builds the render data for the object before its first draw.
    bool prepare(MeshObject* owner);
    // Per-surface triangle batches with smoothed normals, texture
    // coordinates, colours, bone weights and morph offsets, and their
    // geometries. `owner` may be null. Once built, returns true at once.
    bool build(MeshObject* owner, bool keepData);
    bool isBuilt() const { return m_flags[1] != 0; }
    // Positions of `deformedVertices` from the morph weights (one per morph
    // map); all weights 0 leaves the base positions.
    void blendMorphs(const float* weights, size_t count);
    // Skins `deformedVertices` with the bone palette: from the morphed
    // positions when the mesh has morph maps, else from `vertices`. A
    // vertex without weight keeps its source position and normal; palette
    // indices beyond `paletteSize` count as no weight.
    void skinVertices(const Matrix4* palette, size_t paletteSize);
    // The surfaces the mesh batches by: the file's tags, then one slot for
    // polygons whose tag names no surface.
    int32_t surfaceCount() const;
    Surface* surfaceAt(int32_t index) const;

    // The first vertex map of that name; null for an empty name.
    LwoPointMap* findVertexMap(const std::string& name) const;
    // Index of the (n+1)-th map of the type, -1 when fewer.
    int32_t findVertexMapOfType(uint32_t type, int32_t n) const;
    uint32_t numMorphmaps();

    LwoFile* file() const { return m_file; }
    int32_t polygonCount() const { return int32_t(m_polygons.size()); }

    LwoFile* m_file;
    std::vector<Vector3> m_points;
    int32_t m_morphCount = -1;
    std::vector<LwPolygon> m_polygons;
    int32_t m_boneFalloffType = 0;
    std::vector<std::shared_ptr<LwoPointMap>> m_vertexMaps;
    uint8_t m_usesBlendedSurface = 0;
    bool m_pointsCached = false;
    std::vector<std::unique_ptr<SurfaceStagePlan>> m_surfaceSets;
    std::vector<std::unique_ptr<RenderGeometry>> m_geometries;
    LwMeshData m_data;
    uint8_t m_keepData = 0;
    uint8_t m_skinThisFrame = 0;
    uint8_t m_forceDeform = 1;
    uint8_t m_deformable = 0;
    int32_t m_renderDepth = 0;
    // The mirror view this mesh draws its reflection through right now.
    ReflectionView* m_activeReflection = nullptr;

private:
    void morphFor(MeshObject* owner, double time);
    void updateSkinSchedule(MeshObject* owner, SceneObject* camera, double time);
    void drawPlain(size_t batch, double time, const std::vector<ActiveLight>& lights);
    void drawMirror(size_t batch, double time, MeshObject* owner, SceneObject* camera,
                    const std::vector<ActiveLight>& lights);
    void buildRenderData(MeshObject* owner);
    void computeBoneWeights(MeshObject* owner, LwVertex& vertex, uint32_t point);
    void fillMorphDeltas(LwVertex& vertex, uint32_t point);
    void smoothNormals(const std::vector<Vector3>& faceNormals, const std::vector<int32_t>& surfaceOfPolygon);
    void splitBySurface();
    void createGeometries();
    int32_t polygonSurface(const LwPolygon& polygon) const;
};
