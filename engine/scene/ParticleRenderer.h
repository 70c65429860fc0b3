#pragma once
#include "engine/core/geometry/LwVertex.h"
#include "engine/core/geometry/RenderGeometry.h"
#include "engine/core/math/Vector3.h"
#include "engine/scene/HyperVoxel.h"
#include "engine/scene/ParticleSurface.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class Texture;

// Draws an emitter's table as flat textured quads that face the camera,
// each turned by its particle's angle, through one dynamic buffer pair and
// the renderer's main pass. All storage is made once in createBuffers.
//
// The quads are drawn with a ParticleSurface: the renderer's own picture
// and alpha picture and the images of the voxel's texture layers, one
// texture stage each. A vertex carries one coordinate slot per stage, in
// stage order: the quad's own corner coordinates for the renderer's
// pictures, the layer's coordinates for a layer's image; without any stage
// slot 0 holds the corner coordinates.
class ParticleRenderer : public HyperVoxel {
public:
    static constexpr int32_t VerticesPerQuad = 4;
    static constexpr int32_t IndicesPerQuad = 6;

    // The picture and its alpha picture belong to the scene manager's
    // textures; the intensity scales the particles' brightness.
    explicit ParticleRenderer(Renderer* renderer, Texture* texture = nullptr, Texture* alphaTexture = nullptr,
                              float intensity = 1.0f);
    ~ParticleRenderer() override;

    // Makes the storage, or makes it again when the pictures or the texture
    // layers have changed the vertex layout since.
    void createBuffers() override;
    void onResetDevice() override;
    void onLostDevice() override;
    void render(double time, const Particle* particles, Camera* camera) override;

    // The frame's work before the device: the camera's projection, the
    // look channels, the stages and the quads of the live records. Answers
    // how many quads there are.
    int32_t buildFrame(double time, const Particle* particles, Camera* camera);
    // The texture slots a vertex carries for the present stages.
    int32_t slotCount() const;
    // The quads of the live records into m_vertices and m_indices; answers
    // how many.
    int32_t buildQuads(const Particle* particles, const Vector3& right, const Vector3& up, const Vector3& normal);

    Texture* m_texture;
    // Its brightness is the particles' transparency: white is clear.
    Texture* m_alphaTexture;
    float m_intensity;
    ParticleSurface m_surface{*this};
    // Quads drawn at most: the records of the table, unless the emitter is
    // known to keep fewer alive. Set before createBuffers.
    int32_t m_capacity = ParticleTableSize;
    // Texture-coordinate scratch, one record per particle.
    std::vector<std::array<float, 3>> m_texCoordSets;
    std::vector<LwVertex> m_vertices;
    std::vector<uint32_t> m_indices;
    std::unique_ptr<MeshBuffers> m_buffers;
    // What the buffers hold per vertex: position, normal, colour and the
    // three-coordinate texture slots.
    VertexLayout m_geometry;

private:
    void layOutStages() { m_surface.build(m_texture, m_alphaTexture, m_intensity); }
};
