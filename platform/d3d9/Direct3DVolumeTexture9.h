#pragma once
#include "platform/d3d9/Direct3DBaseTexture9.h"

// A 3D texture: slices of rows, front slice first, each level half the last.
class IDirect3DVolumeTexture9 : public IDirect3DBaseTexture9 {
public:
    HRESULT GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) const;
    HRESULT LockBox(UINT level, D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags);
    HRESULT UnlockBox(UINT level);
    // A null box dirties the whole texture.
    HRESULT AddDirtyBox(const D3DBOX* box);

    // Layer internals.
    IDirect3DVolumeTexture9(IDirect3DDevice9* device, D3DPOOL pool, const BackendTextureDesc& desc);

protected:
    ~IDirect3DVolumeTexture9() override = default;
};
