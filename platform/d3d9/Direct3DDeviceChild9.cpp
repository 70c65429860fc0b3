#include "platform/d3d9/Direct3DDeviceChild9.h"

#include "platform/d3d9/Direct3DDevice9.h"

IDirect3DDeviceChild9::IDirect3DDeviceChild9(IDirect3DDevice9* device) : m_device(device)
{
    m_device->AddRef();
}

IDirect3DDeviceChild9::~IDirect3DDeviceChild9()
{
    m_device->Release();
}

ULONG IDirect3DDeviceChild9::Release()
{
    if (m_refs == 0)
        return 0;
    const ULONG left = --m_refs;
    if (left == 0)
        destroyIfUnused();
    return left;
}

void IDirect3DDeviceChild9::destroyIfUnused()
{
    if (m_refs == 0 && m_bindings == 0)
        delete this;
}
