#pragma once
#include "engine/core/LwVertex.h"
#include "engine/core/RenderGeometry.h"
#include "engine/core/Vector3.h"
#include "engine/scene/HyperVoxel.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// Draws an emitter's table as flat textured quads that face the camera,
// each turned by its particle's angle, through one dynamic buffer pair and
// the renderer's main pass. All storage is made once in createBuffers.
//
// Texture slot 0 holds the quad's own corner coordinates; slots 1 to 7
// hold the coordinates of the voxel's first seven texture layers, in
// layer order.
class ParticleRenderer : public HyperVoxel {
public:
    static constexpr int32_t VerticesPerQuad = 4;
    static constexpr int32_t IndicesPerQuad = 6;

    explicit ParticleRenderer(Renderer* renderer);
    ~ParticleRenderer() override;

    // Makes the storage, or makes it again when the texture layers have
    // changed the vertex layout since.
    void createBuffers() override;
    void onResetDevice() override;
    void onLostDevice() override;
    void render(double time, const Particle* particles, Camera* camera) override;

    // The texture slots a vertex carries for the present layers.
    int32_t slotCount() const;
    // The quads of the live records into m_vertices and m_indices; answers
    // how many.
    int32_t buildQuads(const Particle* particles, const Vector3& right, const Vector3& up, const Vector3& normal);

    int32_t m_capacity = 0;
    // Texture-coordinate scratch, one record per particle.
    std::vector<std::array<float, 3>> m_texCoordSets;
    std::vector<LwVertex> m_vertices;
    std::vector<uint32_t> m_indices;
    std::unique_ptr<MeshBuffers> m_buffers;
    // What the buffers hold per vertex: position, normal, colour and the
    // three-coordinate texture slots.
    VertexLayout m_geometry;
};
