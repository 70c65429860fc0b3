#pragma once
#include "platform/d3d9/Direct3DBaseTexture9.h"

class IDirect3DSurface9;

// Six square faces in Direct3D's face order, each with the same level chain.
class IDirect3DCubeTexture9 : public IDirect3DBaseTexture9 {
public:
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) const;
    HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
    HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level);
    HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface9** surface);
    HRESULT AddDirtyRect(D3DCUBEMAP_FACES face, const RECT* rect);

    // Layer internals.
    IDirect3DCubeTexture9(IDirect3DDevice9* device, D3DPOOL pool, const BackendTextureDesc& desc);

protected:
    ~IDirect3DCubeTexture9() override = default;
};
