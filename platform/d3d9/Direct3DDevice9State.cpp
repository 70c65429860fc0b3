// The device's state setters: values go into the state block, which marks
// what changed; the backend applies the differences at the next draw.
#include "platform/d3d9/Direct3DDevice9.h"

#include "platform/d3d9/Direct3DShader9.h"

#include <algorithm>

HRESULT IDirect3DDevice9::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    if (state >= D3D9_RENDERSTATE_COUNT)
        return D3DERR_INVALIDCALL;
    m_state.setRenderState(state, value);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    if (!value || state >= D3D9_RENDERSTATE_COUNT)
        return D3DERR_INVALIDCALL;
    *value = m_state.renderState(state);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    if (sampler >= FixedFunctionState::kSamplerCount || type == 0 || type >= D3D9_SAMPLERSTATE_COUNT)
        return D3DERR_INVALIDCALL;
    m_state.setSamplerState(sampler, type, value);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    if (stage >= FixedFunctionState::kStageCount || type == 0 || type >= D3D9_TEXTURESTAGESTATE_COUNT)
        return D3DERR_INVALIDCALL;
    m_state.setTextureStageState(stage, type, value);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
{
    if (!matrix)
        return D3DERR_INVALIDCALL;
    m_state.setTransform(state, *matrix);
    // Transforms the fixed-function pipeline does not keep (the blend
    // palette beyond the world matrix) are accepted and have no effect, as
    // on a device without vertex blending.
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix)
{
    if (!matrix)
        return D3DERR_INVALIDCALL;
    *matrix = m_state.transform(state);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetLight(DWORD index, const D3DLIGHT9* light)
{
    if (!light || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL)
        return D3DERR_INVALIDCALL;
    return m_state.setLight(index, *light) ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT IDirect3DDevice9::LightEnable(DWORD index, BOOL enable)
{
    return m_state.lightEnable(index, enable) ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT IDirect3DDevice9::SetMaterial(const D3DMATERIAL9* material)
{
    if (!material)
        return D3DERR_INVALIDCALL;
    m_state.setMaterial(*material);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetClipPlane(DWORD index, const float* plane)
{
    if (!plane || index >= D3DMAXUSERCLIPPLANES)
        return D3DERR_INVALIDCALL;
    m_state.setClipPlane(index, plane);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetVertexShaderConstantF(UINT start, const float* data, UINT count)
{
    if (!data || uint64_t(start) + count > IDirect3DShader9::kVertexConstants)
        return D3DERR_INVALIDCALL;
    std::copy(data, data + size_t(count) * 4, m_vertexConstants.begin() + size_t(start) * 4);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetPixelShaderConstantF(UINT start, const float* data, UINT count)
{
    if (!data || uint64_t(start) + count > IDirect3DShader9::kPixelConstants)
        return D3DERR_INVALIDCALL;
    std::copy(data, data + size_t(count) * 4, m_pixelConstants.begin() + size_t(start) * 4);
    return D3D_OK;
}
