#include "platform/d3d9/Direct3DTexture9.h"

#include "platform/d3d9/Direct3DSurface9.h"

IDirect3DTexture9::IDirect3DTexture9(IDirect3DDevice9* device, D3DPOOL pool, const BackendTextureDesc& desc)
    : IDirect3DBaseTexture9(device, D3DRTYPE_TEXTURE, pool, desc, 1)
{
}

HRESULT IDirect3DTexture9::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) const
{
    if (!desc || !validLevel(0, level))
        return D3DERR_INVALIDCALL;
    *desc = D3DSURFACE_DESC{m_desc.format, D3DRTYPE_SURFACE, m_desc.usage, m_pool, D3DMULTISAMPLE_NONE, 0,
                            levelWidth(level), levelHeight(level)};
    return D3D_OK;
}

HRESULT IDirect3DTexture9::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    if (!locked)
        return D3DERR_INVALIDCALL;
    locked->pBits = nullptr;
    D3DBOX box{};
    if (rect) {
        if (rect->left < 0 || rect->top < 0)
            return D3DERR_INVALIDCALL;
        box = D3DBOX{UINT(rect->left), UINT(rect->top), UINT(rect->right), UINT(rect->bottom), 0, 1};
        if (rect->right < 0 || rect->bottom < 0)
            return D3DERR_INVALIDCALL;
    }
    return lockLevel(0, level, rect ? &box : nullptr, flags, &locked->Pitch, nullptr, &locked->pBits);
}

HRESULT IDirect3DTexture9::UnlockRect(UINT level)
{
    return unlockLevel(0, level);
}

HRESULT IDirect3DTexture9::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface)
{
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (!validLevel(0, level))
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc{};
    GetLevelDesc(level, &desc);
    return IDirect3DSurface9::createLevel(m_device, desc, this, 0, level, surface);
}

HRESULT IDirect3DTexture9::AddDirtyRect(const RECT* rect)
{
    markAllDirty(0);
    return D3D_OK;
}
