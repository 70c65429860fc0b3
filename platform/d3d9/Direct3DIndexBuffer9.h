#pragma once
#include "platform/d3d9/Direct3DBuffer9.h"

// 16- or 32-bit indices (D3DFMT_INDEX16, D3DFMT_INDEX32).
class IDirect3DIndexBuffer9 : public IDirect3DBuffer9 {
public:
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) const;

    // Layer internals.
    IDirect3DIndexBuffer9(IDirect3DDevice9* device, UINT size, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    D3DFORMAT format() const { return m_format; }
    UINT indexBytes() const { return m_format == D3DFMT_INDEX32 ? 4 : 2; }

protected:
    ~IDirect3DIndexBuffer9() override = default;
    void describe(char* text, std::size_t size) const override;

private:
    D3DFORMAT m_format;
};
