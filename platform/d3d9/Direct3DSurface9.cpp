#include "platform/d3d9/Direct3DSurface9.h"

#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/Direct3DCubeTexture9.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DTexture9.h"

#include <cstdio>

IDirect3DSurface9::IDirect3DSurface9(IDirect3DDevice9* device, const D3DSURFACE_DESC& desc, uint32_t storage,
                                     bool implicit)
    : IDirect3DResource9(device, D3DRTYPE_SURFACE, desc.Pool, implicit), m_desc(desc), m_storage(storage)
{
}

HRESULT IDirect3DSurface9::createLevel(IDirect3DDevice9* device, const D3DSURFACE_DESC& desc,
                                       IDirect3DBaseTexture9* texture, UINT face, UINT level,
                                       IDirect3DSurface9** surface)
{
    uint32_t storage = 0;
    if (desc.Usage & D3DUSAGE_RENDERTARGET) {
        storage = device->backend().createTextureSurface(texture->storage(), face, level, desc);
        if (!storage)
            return D3DERR_OUTOFVIDEOMEMORY;
    }
    IDirect3DSurface9* made = new IDirect3DSurface9(device, desc, storage, false);
    made->m_container = texture;
    made->m_face = face;
    made->m_level = level;
    texture->AddRef();
    *surface = made;
    return D3D_OK;
}

IDirect3DSurface9::~IDirect3DSurface9()
{
    if (m_storage)
        m_device->backend().destroySurface(m_storage);
    if (m_container)
        m_container->Release();
}

HRESULT IDirect3DSurface9::GetDesc(D3DSURFACE_DESC* desc) const
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = m_desc;
    return D3D_OK;
}

HRESULT IDirect3DSurface9::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    if (!locked)
        return D3DERR_INVALIDCALL;
    locked->pBits = nullptr;
    if (!m_container)
        return D3DERR_INVALIDCALL;
    if (m_container->kind() == FixedFunctionTextureKind::Cube)
        return static_cast<IDirect3DCubeTexture9*>(m_container)
            ->LockRect(D3DCUBEMAP_FACES(m_face), m_level, locked, rect, flags);
    return static_cast<IDirect3DTexture9*>(m_container)->LockRect(m_level, locked, rect, flags);
}

HRESULT IDirect3DSurface9::UnlockRect()
{
    if (!m_container)
        return D3DERR_INVALIDCALL;
    if (m_container->kind() == FixedFunctionTextureKind::Cube)
        return static_cast<IDirect3DCubeTexture9*>(m_container)->UnlockRect(D3DCUBEMAP_FACES(m_face), m_level);
    return static_cast<IDirect3DTexture9*>(m_container)->UnlockRect(m_level);
}

void IDirect3DSurface9::describe(char* text, std::size_t size) const
{
    std::snprintf(text, size, "%s surface %ux%u format %u usage 0x%x, %lu reference(s)",
                  m_implicit ? "device" : m_container ? "texture level" : "created", m_desc.Width, m_desc.Height,
                  unsigned(m_desc.Format), unsigned(m_desc.Usage), static_cast<unsigned long>(m_refs));
}
