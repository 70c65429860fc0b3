#pragma once
#include "platform/d3d9/Direct3DResource9.h"

#include <cstdint>

// A render target or depth-stencil surface: a GL renderbuffer, or memory in
// the recording backend.
class IDirect3DSurface9 : public IDirect3DResource9 {
public:
    HRESULT GetDesc(D3DSURFACE_DESC* desc) const;

    // Layer internals.
    IDirect3DSurface9(IDirect3DDevice9* device, const D3DSURFACE_DESC& desc, uint32_t storage, bool implicit);
    const D3DSURFACE_DESC& desc() const { return m_desc; }
    uint32_t storage() const { return m_storage; }

protected:
    ~IDirect3DSurface9() override;
    void describe(char* text, std::size_t size) const override;

private:
    D3DSURFACE_DESC m_desc;
    uint32_t m_storage;
    friend class IDirect3DDevice9;
};
