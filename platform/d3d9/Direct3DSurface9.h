#pragma once
#include "platform/d3d9/Direct3DResource9.h"

#include <cstdint>

class IDirect3DBaseTexture9;

// A render target or depth-stencil surface (a GL renderbuffer, or memory in
// the recording backend), or one level of a texture. A level surface keeps
// its texture alive; its locks are the texture's, and a level of a
// render-target texture can be bound as the render target.
class IDirect3DSurface9 : public IDirect3DResource9 {
public:
    HRESULT GetDesc(D3DSURFACE_DESC* desc) const;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
    HRESULT UnlockRect();

    // Layer internals.
    IDirect3DSurface9(IDirect3DDevice9* device, const D3DSURFACE_DESC& desc, uint32_t storage, bool implicit);
    static HRESULT createLevel(IDirect3DDevice9* device, const D3DSURFACE_DESC& desc, IDirect3DBaseTexture9* texture,
                               UINT face, UINT level, IDirect3DSurface9** surface);
    const D3DSURFACE_DESC& desc() const { return m_desc; }
    uint32_t storage() const { return m_storage; }
    IDirect3DBaseTexture9* container() const { return m_container; }

protected:
    ~IDirect3DSurface9() override;
    void describe(char* text, std::size_t size) const override;

private:
    D3DSURFACE_DESC m_desc;
    uint32_t m_storage;
    IDirect3DBaseTexture9* m_container = nullptr;
    UINT m_face = 0;
    UINT m_level = 0;
    friend class IDirect3DDevice9;
};
