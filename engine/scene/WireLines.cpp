#include "engine/scene/WireLines.h"

#include "engine/core/render/DeviceMatrix.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "platform/d3d9/Direct3DDevice9.h"

#include <cstring>

namespace {

void setWorld(IDirect3DDevice9* device, ShaderFloatParams& params, const Matrix4& world)
{
    params.m_world = world;
    const D3DMATRIX deviceWorld = toD3D(world);
    device->SetTransform(D3DTS_WORLD, &deviceWorld);
    params.m_transformsValid = false;
}

} // namespace

void drawWireLines(IDirect3DDevice9* device, ShaderFloatParams& params, const Matrix4& world, const float colour[4],
                   const void* vertices, uint32_t lineCount, uint32_t stride)
{
    const Matrix4 savedWorld = params.m_world;
    setWorld(device, params, world);

    D3DMATERIAL9 material{};
    material.Diffuse = material.Ambient = material.Specular = material.Emissive = {colour[0], colour[1], colour[2],
                                                                                   colour[3]};
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
    device->DrawPrimitiveUP(D3DPT_LINELIST, lineCount, vertices, stride);

    setWorld(device, params, savedWorld);
}
