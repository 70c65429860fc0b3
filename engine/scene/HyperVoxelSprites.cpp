#include "engine/scene/HyperVoxelSprites.h"

#include "engine/core/render/DeviceMatrix.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/scene/Camera.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DIndexBuffer9.h"
#include "platform/d3d9/Direct3DVertexBuffer9.h"
#include "platform/d3d9/Direct3DVolumeTexture9.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double DegreesToRadians = 0.017453292519943295;
constexpr double TurnDegreesPerSecond = 14.0;
constexpr int32_t VerticesPerSlice = 4;
constexpr int32_t IndicesPerSlice = 6;
constexpr UINT VertexStride = 24;

struct SliceVertex {
    float x, y, z, u, v, w;
};
static_assert(sizeof(SliceVertex) == VertexStride, "x, y, z and three texture coordinates");

template <typename T>
void release(T*& object)
{
    if (object)
        object->Release();
    object = nullptr;
}

} // namespace

HyperVoxelSprites::HyperVoxelSprites(Renderer* renderer) : HyperVoxel(renderer)
{
    m_particles = ParticleTableSize;
    m_slices = VolumeSize;
    createVertexBuffer();
    createIndexBuffer();
    createVolumeTexture();
}

HyperVoxelSprites::~HyperVoxelSprites()
{
    release(m_vertexBuffer);
    release(m_indexBuffer);
    release(m_volumeTexture);
}

void HyperVoxelSprites::createVertexBuffer()
{
    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    const UINT bytes = UINT(m_slices * VerticesPerSlice) * VertexStride;
    if (!device || FAILED(device->CreateVertexBuffer(bytes, 0, Fvf, D3DPOOL_MANAGED, &m_vertexBuffer, nullptr))) {
        m_vertexBuffer = nullptr;
        return;
    }
    void* data = nullptr;
    if (FAILED(m_vertexBuffer->Lock(0, 0, &data, 0)) || !data)
        return;
    auto* out = static_cast<SliceVertex*>(data);
    constexpr float Corners[VerticesPerSlice][2] = {{0.5f, 0.5f}, {-0.5f, 0.5f}, {0.5f, -0.5f}, {-0.5f, -0.5f}};
    for (int32_t i = 0; i < m_slices; ++i) {
        const float z = float((double(i) - double(m_slices) * 0.5 + 0.5) / double(m_slices));
        for (const auto& corner : Corners)
            *out++ = {corner[0], corner[1], z, corner[0] + 0.5f, corner[1] + 0.5f, z + 0.5f};
    }
    m_vertexBuffer->Unlock();
}

void HyperVoxelSprites::createIndexBuffer()
{
    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    const UINT bytes = UINT(m_slices * m_particles * IndicesPerSlice) * sizeof(uint16_t);
    if (!device || FAILED(device->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DFMT_INDEX16,
                                                    D3DPOOL_DEFAULT, &m_indexBuffer, nullptr)))
        m_indexBuffer = nullptr;
}

uint32_t HyperVoxelSprites::volumeTexel(int32_t x, int32_t y, int32_t z)
{
    auto inside = [](int32_t v) { return v >= 8 && v <= 23; };
    if (!inside(x) || !inside(y) || !inside(z) || (x != 16 && y != 16 && z != 16))
        return 0;
    return 0xFF000000u | (z == 16 ? 0x00FF0000u : 0u) | (y == 16 ? 0x0000FF00u : 0u) | (x == 16 ? 0x000000FFu : 0u);
}

void HyperVoxelSprites::createVolumeTexture()
{
    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    if (!device || FAILED(device->CreateVolumeTexture(VolumeSize, VolumeSize, VolumeSize, 1, 0, D3DFMT_A8R8G8B8,
                                                      D3DPOOL_MANAGED, &m_volumeTexture, nullptr))) {
        m_volumeTexture = nullptr;
        return;
    }
    const D3DBOX whole{0, 0, VolumeSize, VolumeSize, 0, VolumeSize};
    D3DLOCKED_BOX box{};
    if (FAILED(m_volumeTexture->LockBox(0, &box, &whole, 0)) || !box.pBits)
        return;
    auto* bits = static_cast<uint8_t*>(box.pBits);
    for (int32_t z = 0; z < VolumeSize; ++z)
        for (int32_t y = 0; y < VolumeSize; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(bits + ptrdiff_t(z) * box.SlicePitch + ptrdiff_t(y) * box.RowPitch);
            for (int32_t x = 0; x < VolumeSize; ++x)
                row[x] = volumeTexel(x, y, z);
        }
    m_volumeTexture->AddDirtyBox(&whole);
    m_volumeTexture->UnlockBox(0);
}

void HyperVoxelSprites::onLostDevice()
{
    release(m_indexBuffer);
}

void HyperVoxelSprites::onResetDevice()
{
    if (!m_indexBuffer)
        createIndexBuffer();
}

Matrix4 HyperVoxelSprites::textureMatrix(double time)
{
    const double a = time * DegreesToRadians * TurnDegreesPerSecond;
    const float s = float(std::sin(a)), c = float(std::cos(a));
    const float r[3][3] = {
        {c * c - s * s * s, -s * c * (1.0f + s), -s * c},
        {s * c, c * c, -s},
        {s * c * (1.0f + s), s * c * c - s * s, c * c},
    };
    Matrix4 t;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            t.at(i, j) = r[i][j];
    for (int j = 0; j < 3; ++j)
        t.at(3, j) = 0.5f - 0.5f * (r[0][j] + r[1][j] + r[2][j]);
    t.at(3, 3) = 1.0f;
    return t;
}

Matrix4 HyperVoxelSprites::stackMatrix(const Vector3& eye, const Vector3& first)
{
    const double dx = double(eye.x) - first.x, dy = double(eye.y) - first.y, dz = double(eye.z) - first.z;
    const double y = std::atan2(dx, dz);
    const double p = std::atan2(dy, std::sqrt(dx * dx + dz * dz));
    const float sy = float(std::sin(y)), cy = float(std::cos(y));
    const float sp = float(std::sin(p)), cp = float(std::cos(p));
    Matrix4 w;
    const float rows[3][3] = {{cy, -sp * sy, cp * sy}, {0.0f, cp, sp}, {-sy, -sp * cy, cp * cy}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            w.at(i, j) = rows[i][j];
    w.at(3, 3) = 1.0f;
    return w;
}

int32_t HyperVoxelSprites::writeIndices(const Particle* particles)
{
    if (!m_indexBuffer)
        return 0;
    void* data = nullptr;
    if (FAILED(m_indexBuffer->Lock(0, 0, &data, D3DLOCK_DISCARD)) || !data)
        return 0;
    auto* out = static_cast<uint16_t*>(data);
    int32_t live = 0;
    const int32_t records = std::min<int32_t>(m_particles, ParticleTableSize);
    for (int32_t i = 0; i < records; ++i) {
        if (!particles[i].alive)
            continue;
        for (int32_t s = 0; s < m_slices; ++s) {
            uint16_t* slice = out + (ptrdiff_t(live) * m_slices + s) * IndicesPerSlice;
            const auto b = uint16_t(VerticesPerSlice * s);
            const uint16_t quad[IndicesPerSlice] = {b, uint16_t(b + 1), uint16_t(b + 2),
                                                    uint16_t(b + 2), uint16_t(b + 1), uint16_t(b + 3)};
            std::memcpy(slice, quad, sizeof quad);
        }
        ++live;
    }
    m_indexBuffer->Unlock();
    return live;
}

void HyperVoxelSprites::render(double time, const Particle* particles, Camera* camera)
{
    IDirect3DDevice9* device = m_renderer ? m_renderer->m_device : nullptr;
    if (!device || !particles || !camera)
        return;
    auto refreshProjection = [&] {
        if (!camera->m_projectionValid || camera->m_depthRangeSet) {
            camera->resetProjection(time);
            camera->m_depthRangeSet = 0;
        }
    };
    refreshProjection();
    const int32_t live = writeIndices(particles);

    device->SetStreamSource(0, m_vertexBuffer, 0, VertexStride);
    device->SetIndices(m_indexBuffer);
    device->SetVertexShader(nullptr);
    device->SetFVF(Fvf);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);

    ShaderFloatParams* params = m_renderer->m_shaderFloatParams.get();
    const Matrix4 eye = camera->getMatrix(time, true);
    const Vector3 first(particles[0].position[0], particles[0].position[1], particles[0].position[2]);
    const Matrix4 world = stackMatrix(Vector3(eye.at(3, 0), eye.at(3, 1), eye.at(3, 2)), first);
    const Matrix4 texture = textureMatrix(time);
    const Matrix4 view = camera->getInvMatrix(time, true);
    refreshProjection();
    const Matrix4 projection = camera->m_projection;
    if (params) {
        params->m_world = world;
        params->m_textureMatrices[0] = texture;
        params->m_view = view;
        params->m_projection = projection;
        params->m_transformsValid = false;
    }
    const D3DMATRIX d3dWorld = toD3D(world), d3dTexture = toD3D(texture);
    const D3DMATRIX d3dView = toD3D(view), d3dProjection = toD3D(projection);
    device->SetTransform(D3DTS_WORLD, &d3dWorld);
    device->SetTransform(D3DTS_TEXTURE0, &d3dTexture);
    device->SetTransform(D3DTS_VIEW, &d3dView);
    device->SetTransform(D3DTS_PROJECTION, &d3dProjection);

    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTexture(0, m_volumeTexture);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSW, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3);

    // Without its vertex stack there is nothing the indices could address.
    if (live > 0 && m_vertexBuffer)
        device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, UINT(m_slices * VerticesPerSlice), 0,
                                     UINT(m_slices * live * 2));
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}
