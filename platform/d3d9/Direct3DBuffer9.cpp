#include "platform/d3d9/Direct3DBuffer9.h"

#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/Direct3DDevice9.h"

#include <algorithm>
#include <new>

IDirect3DBuffer9::IDirect3DBuffer9(IDirect3DDevice9* device, D3DRESOURCETYPE type, D3DPOOL pool, UINT size,
                                   DWORD usage)
    : IDirect3DResource9(device, type, pool, false), m_usage(usage)
{
    try {
        m_bytes.assign(size, 0);
    } catch (const std::bad_alloc&) {
    }
}

IDirect3DBuffer9::~IDirect3DBuffer9()
{
    if (m_storage)
        m_device->backend().destroyBuffer(m_storage);
}

HRESULT IDirect3DBuffer9::create()
{
    if (m_bytes.empty())
        return D3DERR_OUTOFVIDEOMEMORY;
    if (m_pool == D3DPOOL_SYSTEMMEM || m_pool == D3DPOOL_SCRATCH)
        return D3D_OK;
    m_storage = m_device->backend().createBuffer(size(), m_type == D3DRTYPE_INDEXBUFFER,
                                                 (m_usage & D3DUSAGE_DYNAMIC) != 0);
    return m_storage ? D3D_OK : D3DERR_OUTOFVIDEOMEMORY;
}

HRESULT IDirect3DBuffer9::Lock(UINT offset, UINT size, void** data, DWORD flags)
{
    if (!data)
        return D3DERR_INVALIDCALL;
    *data = nullptr;
    const uint64_t end = size == 0 ? uint64_t(this->size()) : uint64_t(offset) + size;
    if (offset >= this->size() || end > this->size())
        return D3DERR_INVALIDCALL;
    if (!(flags & D3DLOCK_READONLY)) {
        if (m_locks == 0 || m_dirtyBegin == m_dirtyEnd) {
            m_dirtyBegin = offset;
            m_dirtyEnd = UINT(end);
        } else {
            m_dirtyBegin = std::min(m_dirtyBegin, offset);
            m_dirtyEnd = std::max(m_dirtyEnd, UINT(end));
        }
        if ((flags & D3DLOCK_DISCARD) && (m_usage & D3DUSAGE_DYNAMIC))
            m_discard = true;
    }
    ++m_locks;
    *data = m_bytes.data() + offset;
    return D3D_OK;
}

HRESULT IDirect3DBuffer9::Unlock()
{
    if (m_locks == 0)
        return D3DERR_INVALIDCALL;
    if (--m_locks > 0)
        return D3D_OK;
    if (m_storage && m_dirtyBegin < m_dirtyEnd) {
        // A discard hands the backend the whole buffer: a fresh allocation
        // never waits for draws that still read the old one.
        if (m_discard)
            m_device->backend().uploadBuffer(m_storage, 0, m_bytes.data(), size(), true);
        else
            m_device->backend().uploadBuffer(m_storage, m_dirtyBegin, m_bytes.data() + m_dirtyBegin,
                                             m_dirtyEnd - m_dirtyBegin, false);
    }
    m_dirtyBegin = m_dirtyEnd = 0;
    m_discard = false;
    return D3D_OK;
}
