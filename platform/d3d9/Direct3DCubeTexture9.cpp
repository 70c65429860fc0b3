#include "platform/d3d9/Direct3DCubeTexture9.h"

#include "platform/d3d9/Direct3DSurface9.h"

IDirect3DCubeTexture9::IDirect3DCubeTexture9(IDirect3DDevice9* device, D3DPOOL pool, const BackendTextureDesc& desc)
    : IDirect3DBaseTexture9(device, D3DRTYPE_CUBETEXTURE, pool, desc, 6)
{
}

HRESULT IDirect3DCubeTexture9::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) const
{
    if (!desc || !validLevel(0, level))
        return D3DERR_INVALIDCALL;
    *desc = D3DSURFACE_DESC{m_desc.format, D3DRTYPE_SURFACE, m_desc.usage, m_pool, D3DMULTISAMPLE_NONE, 0,
                            levelWidth(level), levelHeight(level)};
    return D3D_OK;
}

HRESULT IDirect3DCubeTexture9::LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                                        DWORD flags)
{
    if (!locked)
        return D3DERR_INVALIDCALL;
    locked->pBits = nullptr;
    D3DBOX box{};
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->right < 0 || rect->bottom < 0)
            return D3DERR_INVALIDCALL;
        box = D3DBOX{UINT(rect->left), UINT(rect->top), UINT(rect->right), UINT(rect->bottom), 0, 1};
    }
    return lockLevel(face, level, rect ? &box : nullptr, flags, &locked->Pitch, nullptr, &locked->pBits);
}

HRESULT IDirect3DCubeTexture9::UnlockRect(D3DCUBEMAP_FACES face, UINT level)
{
    return unlockLevel(face, level);
}

HRESULT IDirect3DCubeTexture9::GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface9** surface)
{
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (!validLevel(face, level))
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc{};
    GetLevelDesc(level, &desc);
    return IDirect3DSurface9::createLevel(m_device, desc, this, face, level, surface);
}

HRESULT IDirect3DCubeTexture9::AddDirtyRect(D3DCUBEMAP_FACES face, const RECT* rect)
{
    if (face > D3DCUBEMAP_FACE_NEGATIVE_Z)
        return D3DERR_INVALIDCALL;
    markAllDirty(face);
    return D3D_OK;
}
