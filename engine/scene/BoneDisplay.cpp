#include "engine/scene/BoneDisplay.h"

#include "engine/core/Renderer.h"
#include "engine/core/ShaderFloatParams.h"
#include "engine/scene/Bone.h"
#include "platform/d3d9/Direct3DDevice9.h"

#include <cstring>

namespace {

D3DMATRIX toD3D(const Matrix4& m)
{
    D3DMATRIX out;
    std::memcpy(&out, m.m, sizeof m.m);
    return out;
}

} // namespace

BoneDisplay::BoneDisplay(Bone* bone) : BoundingBox(bone->m_renderer, bone), m_bone(bone) {}

void BoneDisplay::computeBounds()
{
    if (m_valid)
        return;
    setMinMax(Vector3(-1.0f, -1.0f, -1.0f), Vector3(1.0f, 1.0f, 1.0f));
    m_valid = true;
}

void BoneDisplay::render(double time)
{
    IDirect3DDevice9* device = m_context ? m_context->m_device : nullptr;
    ShaderFloatParams* params = m_context ? m_context->m_shaderFloatParams.get() : nullptr;
    if (!device || !params)
        return;
    BoneLineVertex vertices[VertexCount];
    buildShape(m_bone->m_restLength, vertices);

    const Matrix4 savedWorld = params->m_world;
    params->m_world = m_bone->getMatrix(time, true);
    const D3DMATRIX boneWorld = toD3D(params->m_world);
    device->SetTransform(D3DTS_WORLD, &boneWorld);
    params->m_transformsValid = false;

    D3DMATERIAL9 material{};
    material.Diffuse = material.Ambient = material.Specular = material.Emissive = {0.0f, 0.8f, 0.0f, 1.0f};
    material.Power = 0.0f;
    device->SetMaterial(&material);

    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device->SetVertexShader(nullptr);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTexture(0, nullptr);
    device->SetPixelShader(nullptr);
    device->DrawPrimitiveUP(D3DPT_LINELIST, VertexCount / 2, vertices, sizeof(BoneLineVertex));

    params->m_world = savedWorld;
    const D3DMATRIX restored = toD3D(savedWorld);
    device->SetTransform(D3DTS_WORLD, &restored);
    params->m_transformsValid = false;
}

void BoneDisplay::buildShape(float length, BoneLineVertex out[VertexCount])
{
    // Alpha 255, red 0, green 0.8 (204), blue 0.
    const uint32_t green = 0xFF00CC00u;
    const float d = 0.1f * length;
    const Vector3 base(0.0f, 0.0f, 0.0f), tip(0.0f, 0.0f, length);
    const Vector3 ring[4] = {{d, 0.0f, d}, {-d, 0.0f, d}, {0.0f, d, d}, {0.0f, -d, d}};
    const Vector3 lines[VertexCount] = {base,    ring[0], base,    ring[1], base,    ring[2], base,    ring[3],
                                        ring[0], ring[2], ring[2], ring[1], ring[1], ring[3], ring[3], ring[0],
                                        tip,     ring[0], tip,     ring[1], tip,     ring[2], tip,     ring[3]};
    for (int i = 0; i < VertexCount; ++i)
        out[i] = {lines[i].x, lines[i].y, lines[i].z, green};
}
