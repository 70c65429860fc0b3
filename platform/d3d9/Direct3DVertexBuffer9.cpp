#include "platform/d3d9/Direct3DVertexBuffer9.h"

#include <cstdio>

IDirect3DVertexBuffer9::IDirect3DVertexBuffer9(IDirect3DDevice9* device, UINT size, DWORD usage, DWORD fvf,
                                               D3DPOOL pool)
    : IDirect3DBuffer9(device, D3DRTYPE_VERTEXBUFFER, pool, size, usage), m_fvf(fvf)
{
}

HRESULT IDirect3DVertexBuffer9::GetDesc(D3DVERTEXBUFFER_DESC* desc) const
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = D3DVERTEXBUFFER_DESC{D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, m_usage, m_pool, size(), m_fvf};
    return D3D_OK;
}

void IDirect3DVertexBuffer9::describe(char* text, std::size_t size) const
{
    std::snprintf(text, size, "vertex buffer %u bytes usage 0x%x, %lu reference(s)", this->size(),
                  unsigned(m_usage), static_cast<unsigned long>(m_refs));
}
