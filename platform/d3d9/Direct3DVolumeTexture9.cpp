#include "platform/d3d9/Direct3DVolumeTexture9.h"

IDirect3DVolumeTexture9::IDirect3DVolumeTexture9(IDirect3DDevice9* device, D3DPOOL pool,
                                                 const BackendTextureDesc& desc)
    : IDirect3DBaseTexture9(device, D3DRTYPE_VOLUMETEXTURE, pool, desc, 1)
{
}

HRESULT IDirect3DVolumeTexture9::GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) const
{
    if (!desc || !validLevel(0, level))
        return D3DERR_INVALIDCALL;
    *desc = D3DVOLUME_DESC{m_desc.format, D3DRTYPE_VOLUME, m_desc.usage, m_pool,
                           levelWidth(level), levelHeight(level), levelDepth(level)};
    return D3D_OK;
}

HRESULT IDirect3DVolumeTexture9::LockBox(UINT level, D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags)
{
    if (!locked)
        return D3DERR_INVALIDCALL;
    locked->pBits = nullptr;
    return lockLevel(0, level, box, flags, &locked->RowPitch, &locked->SlicePitch, &locked->pBits);
}

HRESULT IDirect3DVolumeTexture9::UnlockBox(UINT level)
{
    return unlockLevel(0, level);
}

HRESULT IDirect3DVolumeTexture9::AddDirtyBox(const D3DBOX* box)
{
    markAllDirty(0);
    return D3D_OK;
}
