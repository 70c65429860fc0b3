#include "platform/d3d9/Direct3DIndexBuffer9.h"

#include <cstdio>

IDirect3DIndexBuffer9::IDirect3DIndexBuffer9(IDirect3DDevice9* device, UINT size, DWORD usage, D3DFORMAT format,
                                             D3DPOOL pool)
    : IDirect3DBuffer9(device, D3DRTYPE_INDEXBUFFER, pool, size, usage), m_format(format)
{
}

HRESULT IDirect3DIndexBuffer9::GetDesc(D3DINDEXBUFFER_DESC* desc) const
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = D3DINDEXBUFFER_DESC{m_format, D3DRTYPE_INDEXBUFFER, m_usage, m_pool, size()};
    return D3D_OK;
}

void IDirect3DIndexBuffer9::describe(char* text, std::size_t size) const
{
    std::snprintf(text, size, "index buffer %u bytes format %u usage 0x%x, %lu reference(s)", this->size(),
                  unsigned(m_format), unsigned(m_usage), static_cast<unsigned long>(m_refs));
}
