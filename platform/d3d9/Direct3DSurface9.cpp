#include "platform/d3d9/Direct3DSurface9.h"

#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/Direct3DDevice9.h"

#include <cstdio>

IDirect3DSurface9::IDirect3DSurface9(IDirect3DDevice9* device, const D3DSURFACE_DESC& desc, uint32_t storage,
                                     bool implicit)
    : IDirect3DResource9(device, D3DRTYPE_SURFACE, desc.Pool, implicit), m_desc(desc), m_storage(storage)
{
}

IDirect3DSurface9::~IDirect3DSurface9()
{
    if (m_storage)
        m_device->backend().destroySurface(m_storage);
}

HRESULT IDirect3DSurface9::GetDesc(D3DSURFACE_DESC* desc) const
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = m_desc;
    return D3D_OK;
}

void IDirect3DSurface9::describe(char* text, std::size_t size) const
{
    std::snprintf(text, size, "%s surface %ux%u format %u usage 0x%x, %lu reference(s)",
                  m_implicit ? "device" : "created", m_desc.Width, m_desc.Height, unsigned(m_desc.Format),
                  unsigned(m_desc.Usage), static_cast<unsigned long>(m_refs));
}
