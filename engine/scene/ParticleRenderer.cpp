#include "engine/scene/ParticleRenderer.h"

#include "engine/core/DeviceMatrix.h"
#include "engine/core/Renderer.h"
#include "engine/core/ShaderFloatParams.h"
#include "engine/core/ShaderPass.h"
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

ParticleRenderer::ParticleRenderer(Renderer* renderer) : HyperVoxel(renderer)
{
    m_geometry.slotCount = 1;
    m_geometry.animatedSlot[0] = true;
    m_geometry.hasColor = true;
}

int32_t ParticleRenderer::slotCount() const
{
    return 1 + int32_t(std::min<size_t>(m_textureLayers.size(), size_t(VertexLayout::MaxSlots - 1)));
}

ParticleRenderer::~ParticleRenderer() = default;

void ParticleRenderer::createBuffers()
{
    const int32_t slots = slotCount();
    if (m_buffers && m_geometry.slotCount == slots)
        return;
    m_buffers.reset();
    m_geometry.slotCount = slots;
    for (int32_t s = 0; s < VertexLayout::MaxSlots; ++s)
        m_geometry.animatedSlot[s] = s < slots;
    m_capacity = ParticleTableSize;
    m_buffers = std::make_unique<MeshBuffers>(nullptr, nullptr, m_renderer, m_geometry);
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
    const int32_t limit = std::min<int32_t>(m_capacity, ParticleTableSize);
    const int32_t layers = std::min<int32_t>(m_geometry.slotCount, slotCount()) - 1;
    for (int32_t i = 0; i < limit; ++i) {
        const Particle& p = particles[i];
        if (!p.alive)
            continue;
        const float h = p.size * 0.5f;
        const double a = double(p.angle) * DegreesToRadians;
        const float c = float(std::cos(a)), s = float(std::sin(a));
        const int32_t base = quads * VerticesPerQuad;
        for (int32_t k = 0; k < VerticesPerQuad; ++k) {
            const float sr = CornerSigns[k][0] * h, su = CornerSigns[k][1] * h;
            const float dx = sr * right.x + su * up.x;
            const float dy = sr * right.y + su * up.y;
            const float dz = sr * right.z + su * up.z;
            LwVertex& v = m_vertices[size_t(base + k)];
            // Turned about the centre in the x-y plane.
            v.position[0] = p.position[0] + dx * c - dy * s;
            v.position[1] = p.position[1] + dx * s + dy * c;
            v.position[2] = p.position[2] + dz;
            v.normal[0] = normal.x;
            v.normal[1] = normal.y;
            v.normal[2] = normal.z;
            std::memcpy(v.color, QuadColor, sizeof QuadColor);
            v.texCoords[0][0] = CornerTexCoords[k][0];
            v.texCoords[0][1] = CornerTexCoords[k][1];
            v.texCoords[0][2] = 0.0f;
        }
        if (layers > 0) {
            LwVertex* quad = &m_vertices[size_t(base)];
            const Vector3 corners[VerticesPerQuad] = {
                {quad[0].position[0], quad[0].position[1], quad[0].position[2]},
                {quad[1].position[0], quad[1].position[1], quad[1].position[2]},
                {quad[2].position[0], quad[2].position[1], quad[2].position[2]},
                {quad[3].position[0], quad[3].position[1], quad[3].position[2]},
            };
            for (int32_t l = 0; l < layers; ++l) {
                float coords[VerticesPerQuad][3];
                m_textureLayers[size_t(l)]->quadCoordinates(corners, normal, coords);
                for (int32_t k = 0; k < VerticesPerQuad; ++k)
                    std::memcpy(quad[k].texCoords[1 + l], coords[k], sizeof coords[k]);
            }
        }
        const uint32_t b = uint32_t(base);
        const uint32_t quad[IndicesPerQuad] = {b, b + 1, b + 2, b + 2, b + 1, b + 3};
        std::memcpy(&m_indices[size_t(quads * IndicesPerQuad)], quad, sizeof quad);
        ++quads;
    }
    return quads;
}

void ParticleRenderer::render(double time, const Particle* particles, Camera* camera)
{
    if (!particles || !camera)
        return;
    // A renderer nobody prepared makes its storage on its first frame, and
    // one whose layers came after it makes it again for their slots.
    if (!m_buffers || m_geometry.slotCount != slotCount())
        createBuffers();
    if (!camera->m_projectionValid || camera->m_depthRangeSet)
        camera->resetProjection(time);
    const Matrix4 world = camera->getMatrix(time, true);
    const Vector3 r = row(world, 0);
    const Vector3 right(-r.x, -r.y, -r.z);
    evaluateChannels(time);

    const int32_t quads = buildQuads(particles, right, row(world, 1), row(world, 2));
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
