#include "engine/scene/ParticleRenderer.h"

#include "engine/core/render/DeviceMatrix.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/render/ShaderPass.h"
#include "engine/scene/Camera.h"
#include "platform/d3d9/Direct3DDevice9.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double DegreesToRadians = 0.017453292519943295;
// Every vertex is magenta, whatever the channels hold.
constexpr float QuadColor[4] = {1.0f, 0.0f, 1.0f, 1.0f};
constexpr float CornerTexCoords[4][2] = {{1, 1}, {0, 1}, {1, 0}, {0, 0}};
// Corner signs along right and up.
constexpr float CornerSigns[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};

Vector3 row(const Matrix4& m, int r)
{
    return Vector3(m.at(r, 0), m.at(r, 1), m.at(r, 2));
}

} // namespace

ParticleRenderer::ParticleRenderer(Renderer* renderer, Texture* texture, Texture* alphaTexture, float intensity)
    : HyperVoxel(renderer), m_texture(texture), m_alphaTexture(alphaTexture), m_intensity(intensity)
{
    m_geometry.slotCount = 1;
    m_geometry.animatedSlot[0] = true;
    m_geometry.hasColor = true;
}

int32_t ParticleRenderer::slotCount() const
{
    return std::max(1, m_surface.plan().count);
}

ParticleRenderer::~ParticleRenderer() = default;

void ParticleRenderer::createBuffers()
{
    layOutStages();
    const int32_t slots = slotCount();
    if (m_buffers && m_geometry.slotCount == slots)
        return;
    m_buffers.reset();
    m_geometry.slotCount = slots;
    for (int32_t s = 0; s < VertexLayout::MaxSlots; ++s)
        m_geometry.animatedSlot[s] = s < slots;
    m_capacity = std::clamp(m_capacity, 1, ParticleTableSize);
    m_buffers = std::make_unique<MeshBuffers>(&m_surface.plan(), &m_surface, m_renderer, m_geometry);
    m_buffers->create(false, false, VerticesPerQuad * m_capacity, IndicesPerQuad * m_capacity);
    m_vertices.assign(size_t(VerticesPerQuad * m_capacity), LwVertex{});
    m_indices.assign(size_t(IndicesPerQuad * m_capacity), 0u);
    m_texCoordSets.assign(size_t(m_capacity), {0.0f, 0.0f, 0.0f});
}

void ParticleRenderer::onResetDevice()
{
    if (m_buffers)
        m_buffers->onResetDevice();
}

void ParticleRenderer::onLostDevice()
{
    if (m_buffers)
        m_buffers->onLostDevice();
}

int32_t ParticleRenderer::buildQuads(const Particle* particles, const Vector3& right, const Vector3& up,
                                     const Vector3& normal)
{
    int32_t quads = 0;
    const int32_t slots = std::min<int32_t>(m_geometry.slotCount, slotCount());
    // The storage made, whatever the capacity says now.
    const int32_t room = int32_t(std::min(m_vertices.size() / VerticesPerQuad, m_indices.size() / IndicesPerQuad));
    for (int32_t i = 0; i < ParticleTableSize && quads < room; ++i) {
        const Particle& p = particles[i];
        if (!p.alive)
            continue;
        const float h = p.size * 0.5f;
        const float a = float(double(p.angle) * DegreesToRadians);
        const float c = std::cos(a), s = std::sin(a);
        const int32_t base = quads * VerticesPerQuad;
        LwVertex* quad = &m_vertices[size_t(base)];
        Vector3 corners[VerticesPerQuad];
        for (int32_t k = 0; k < VerticesPerQuad; ++k) {
            const float sr = CornerSigns[k][0] * h, su = CornerSigns[k][1] * h;
            const float dx = sr * right.x + su * up.x;
            const float dy = sr * right.y + su * up.y;
            const float dz = sr * right.z + su * up.z;
            LwVertex& v = quad[k];
            // Turned about the centre in the x-y plane.
            v.position[0] = p.position[0] + dx * c - dy * s;
            v.position[1] = p.position[1] + dx * s + dy * c;
            v.position[2] = p.position[2] + dz;
            v.normal[0] = normal.x;
            v.normal[1] = normal.y;
            v.normal[2] = normal.z;
            std::memcpy(v.color, QuadColor, sizeof QuadColor);
            corners[k] = Vector3(v.position[0], v.position[1], v.position[2]);
        }
        for (int32_t slot = 0; slot < slots; ++slot) {
            const int32_t source = m_surface.slotSource(slot);
            if (source == ParticleSurface::OwnCorners) {
                for (int32_t k = 0; k < VerticesPerQuad; ++k) {
                    quad[k].texCoords[slot][0] = CornerTexCoords[k][0];
                    quad[k].texCoords[slot][1] = CornerTexCoords[k][1];
                    quad[k].texCoords[slot][2] = 0.0f;
                }
                continue;
            }
            float coords[VerticesPerQuad][3];
            m_textureLayers[size_t(source)]->quadCoordinates(corners, normal, coords);
            for (int32_t k = 0; k < VerticesPerQuad; ++k)
                std::memcpy(quad[k].texCoords[slot], coords[k], sizeof coords[k]);
        }
        const uint32_t b = uint32_t(base);
        const uint32_t indices[IndicesPerQuad] = {b, b + 1, b + 2, b + 2, b + 1, b + 3};
        std::memcpy(&m_indices[size_t(quads * IndicesPerQuad)], indices, sizeof indices);
        ++quads;
    }
    return quads;
}

int32_t ParticleRenderer::buildFrame(double time, const Particle* particles, Camera* camera)
{
    if (!particles || !camera)
        return 0;
    // Nothing alive, nothing to prepare: most pooled emitters are idle.
    if (std::none_of(particles, particles + ParticleTableSize, [](const Particle& p) { return p.alive != 0; }))
        return 0;
    // A renderer nobody prepared makes its storage on its first frame, and
    // one whose stages changed since makes it again for their slots.
    layOutStages();
    if (!m_buffers || m_geometry.slotCount != slotCount())
        createBuffers();
    if (!camera->m_projectionValid || camera->m_depthRangeSet)
        camera->resetProjection(time);
    const Matrix4 world = camera->getMatrix(time, true);
    const Vector3 r = row(world, 0);
    const Vector3 right(-r.x, -r.y, -r.z);
    evaluateChannels(time);
    return buildQuads(particles, right, row(world, 1), row(world, 2));
}

void ParticleRenderer::render(double time, const Particle* particles, Camera* camera)
{
    const int32_t quads = buildFrame(time, particles, camera);
    if (quads == 0)
        return;
    m_buffers->setVertices(m_vertices.data(), quads * VerticesPerQuad);
    m_buffers->setIndices(m_indices.data(), quads * IndicesPerQuad);

    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    if (!device)
        return;
    const Matrix4 view = camera->getInvMatrix(time, true);
    if (ShaderFloatParams* params = m_renderer->m_shaderFloatParams.get()) {
        params->m_world = Matrix4::identity();
        params->m_view = view;
        params->m_transformsValid = false;
    }
    const D3DMATRIX d3dWorld = toD3D(Matrix4::identity());
    const D3DMATRIX d3dView = toD3D(view);
    device->SetTransform(D3DTS_WORLD, &d3dWorld);
    device->SetTransform(D3DTS_VIEW, &d3dView);
    m_buffers->draw(m_renderer->m_mainPass.get(), time, {});
}
