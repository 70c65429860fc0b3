#pragma once
#include "engine/core/render/ActiveLight.h"
#include "platform/d3d9/D3D9States.h"
#include "platform/d3d9/D3D9Types.h"

#include <cstdint>
#include <vector>

class IDirect3DDevice9;
class IDirect3DIndexBuffer9;
class IDirect3DVertexBuffer9;
class IDirect3DVertexDeclaration9;
class Renderer;
class ShaderPass;
class Material;
class StagePlan;
struct LwVertex;

// What a packed vertex holds, as the surface's stage plan decides it.
struct VertexLayout {
    static constexpr int32_t MaxSlots = 8;
    int32_t slotCount = 0;
    // Slots whose layer is placed per frame carry three coordinates.
    bool animatedSlot[MaxSlots] = {};
    bool hasColor = false;
    bool hasTangents = false;
    int32_t boneWeightCount = 0;
    bool softwareProcessing = false;
};

// The packed vertex of one layout and a declaration per display head.
struct VertexFormat {
    Renderer* m_renderer = nullptr;
    uint32_t m_stride = 0;
    uint8_t m_softwareProcessing = 0;
    std::vector<IDirect3DVertexDeclaration9*> m_declarations;
    const StagePlan* m_stagePlan = nullptr;
    uint32_t m_texCoordOffset = 0;
    uint32_t m_tangentOffset = 0;
    uint32_t m_colorOffset = 0;
    uint32_t m_boneOffset = 0;
    VertexLayout m_layout;

    // The declaration's elements, D3DDECL_END included.
    std::vector<D3DVERTEXELEMENT9> elements() const;
};

// Everything the engine draws as indexed triangle lists through a pass:
// the vertex declaration of its surface's layout, a vertex and an index
// buffer per display head, and the draw.
class RenderGeometry {
public:
    RenderGeometry(const StagePlan* stagePlan, Material* surface, Renderer* renderer, const VertexLayout& layout);
    virtual ~RenderGeometry();
    RenderGeometry(const RenderGeometry&) = delete;
    RenderGeometry& operator=(const RenderGeometry&) = delete;

    virtual void onResetDevice() {}
    virtual void onLostDevice() {}
    void draw(ShaderPass* pass, double time, const std::vector<ActiveLight>& lights);

    static void packVertex(const VertexFormat& format, const LwVertex& source, uint8_t* destination);
    // Fills the tangent blocks of packed vertices from their triangles.
    static void computeTangents(const VertexFormat& format, uint8_t* vertices, const std::vector<uint32_t>& indices,
                                int32_t vertexCount);

    int32_t headCount() const;
    IDirect3DDevice9* headDevice(int32_t head) const;

    Renderer* m_renderer;
    Material* m_surface;
    VertexFormat m_format;
    int32_t m_primitiveCount = 0;
    D3DPRIMITIVETYPE m_primitiveType = D3DPRIMITIVETYPE(0);
    DWORD m_vertexUsage = 0;
    uint32_t m_vertexBytes = 0;
    int32_t m_vertexCount = 0;
    std::vector<uint8_t> m_vertexData;
    std::vector<IDirect3DVertexBuffer9*> m_vertexBuffers;
    uint32_t m_indexBytes = 0;
    DWORD m_indexUsage = 0;
    D3DFORMAT m_indexFormat = D3DFMT_INDEX16;
    int32_t m_indexCount = 0;
    std::vector<uint32_t> m_indices;
    std::vector<IDirect3DIndexBuffer9*> m_indexBuffers;
    bool m_uploaded = false;

protected:
    void releaseBuffers();
};

// Static geometry: packed once, uploaded to managed buffers.
class MeshGeometry : public RenderGeometry {
public:
    using RenderGeometry::RenderGeometry;

    bool addVertices(const LwVertex* vertices, int32_t count);
    bool addTriangles(const uint32_t* indices, int32_t count);
    bool upload();
};

// Buffers of a fixed capacity written directly by their owner, static
// (managed) or dynamic (default pool, made again after a device reset).
class MeshBuffers : public RenderGeometry {
public:
    using RenderGeometry::RenderGeometry;

    bool create(bool staticVertices, bool staticIndices, int32_t vertexCapacity, int32_t indexCapacity);
    // Writes beyond the capacity given to create are refused.
    bool setVertices(const LwVertex* vertices, int32_t count);
    bool setVerticesAt(int32_t first, const LwVertex* vertices, int32_t count);
    bool setIndices(const uint32_t* indices, int32_t count);
    bool setIndicesAt(int32_t first, const uint32_t* indices, int32_t count);
    void onLostDevice() override;
    void onResetDevice() override;

    int32_t m_vertexCapacity = 0;
    int32_t m_indexCapacity = 0;
    bool m_dynamicVertices = false;
    bool m_dynamicIndices = false;

private:
    bool writeVertices(int32_t first, const LwVertex* vertices, int32_t count, bool discard);
    bool writeIndices(int32_t first, const uint32_t* indices, int32_t count, bool discard);
    bool makeBuffers(int32_t head);
};
