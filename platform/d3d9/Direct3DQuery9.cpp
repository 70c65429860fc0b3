#include "platform/d3d9/Direct3DQuery9.h"

#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/Direct3DDevice9.h"

#include <cstring>

IDirect3DQuery9::IDirect3DQuery9(IDirect3DDevice9* device, uint32_t storage)
    : IDirect3DDeviceChild9(device), m_storage(storage)
{
}

IDirect3DQuery9::~IDirect3DQuery9()
{
    if (m_phase == Phase::Building)
        m_device->backend().endQuery(m_storage);
    m_device->backend().destroyQuery(m_storage);
}

HRESULT IDirect3DQuery9::Issue(DWORD flags)
{
    if (flags == D3DISSUE_BEGIN) {
        // A second begin restarts the count, as Direct3D does.
        if (m_phase == Phase::Building)
            m_device->backend().endQuery(m_storage);
        m_device->backend().beginQuery(m_storage);
        m_phase = Phase::Building;
        return D3D_OK;
    }
    if (flags == D3DISSUE_END) {
        // An end without a begin counts an empty interval.
        if (m_phase != Phase::Building)
            m_device->backend().beginQuery(m_storage);
        m_device->backend().endQuery(m_storage);
        m_phase = Phase::Issued;
        return D3D_OK;
    }
    return D3DERR_INVALIDCALL;
}

HRESULT IDirect3DQuery9::GetData(void* data, DWORD size, DWORD flags)
{
    if ((size != 0 && !data) || (size != 0 && size < sizeof(DWORD)) || (flags & ~D3DGETDATA_FLUSH))
        return D3DERR_INVALIDCALL;
    if (m_phase == Phase::Building)
        return D3DERR_INVALIDCALL;
    if (m_phase == Phase::Issued) {
        DWORD samples = 0;
        if (!m_device->backend().queryResult(m_storage, &samples, (flags & D3DGETDATA_FLUSH) != 0))
            return S_FALSE;
        m_result = samples;
        m_phase = Phase::Signaled;
    }
    if (size != 0)
        std::memcpy(data, &m_result, sizeof(DWORD));
    return S_OK;
}
