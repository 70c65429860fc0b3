#pragma once
#include "platform/d3d9/Direct3DBaseTexture9.h"

class IDirect3DSurface9;

// A 2D texture with its mip levels. Level 0 is the largest; row 0 of a
// locked level is its top row.
class IDirect3DTexture9 : public IDirect3DBaseTexture9 {
public:
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) const;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
    HRESULT UnlockRect(UINT level);
    // The caller owns the surface's reference; the surface keeps the texture alive.
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface);
    // A null rectangle dirties the whole texture.
    HRESULT AddDirtyRect(const RECT* rect);

    // Layer internals.
    IDirect3DTexture9(IDirect3DDevice9* device, D3DPOOL pool, const BackendTextureDesc& desc);

protected:
    ~IDirect3DTexture9() override = default;
};
