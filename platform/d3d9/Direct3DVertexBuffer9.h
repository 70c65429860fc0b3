#pragma once
#include "platform/d3d9/Direct3DBuffer9.h"

class IDirect3DVertexBuffer9 : public IDirect3DBuffer9 {
public:
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) const;

    // Layer internals.
    IDirect3DVertexBuffer9(IDirect3DDevice9* device, UINT size, DWORD usage, DWORD fvf, D3DPOOL pool);

protected:
    ~IDirect3DVertexBuffer9() override = default;
    void describe(char* text, std::size_t size) const override;

private:
    DWORD m_fvf;
};
