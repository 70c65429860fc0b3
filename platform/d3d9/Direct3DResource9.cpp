#include "platform/d3d9/Direct3DResource9.h"

#include "platform/d3d9/Direct3DDevice9.h"

IDirect3DResource9::IDirect3DResource9(IDirect3DDevice9* device, D3DRESOURCETYPE type, D3DPOOL pool, bool implicit)
    : m_device(device), m_type(type), m_pool(pool), m_implicit(implicit), m_refs(implicit ? 0 : 1)
{
    if (!m_implicit) {
        m_device->AddRef();
        m_device->trackResource(this);
    }
}

IDirect3DResource9::~IDirect3DResource9()
{
    if (!m_implicit) {
        m_device->untrackResource(this);
        m_device->Release();
    }
}

// The device's own surfaces hold it while the program holds them, as on
// Direct3D: a program may let the device go before a back buffer or depth
// surface it kept, and the last Release of that surface takes the device
// (and the surface with it) down.
ULONG IDirect3DResource9::AddRef()
{
    if (++m_refs == 1 && m_implicit)
        m_device->AddRef();
    return m_refs;
}

ULONG IDirect3DResource9::Release()
{
    if (m_refs == 0)
        return 0;
    const ULONG left = --m_refs;
    if (left == 0) {
        if (m_implicit) {
            // May delete this surface: nothing of it is touched afterwards.
            m_device->Release();
            return 0;
        }
        destroyIfUnused();
    }
    return left;
}

void IDirect3DResource9::destroyIfUnused()
{
    if (!m_implicit && m_refs == 0 && m_bindings == 0)
        delete this;
}
