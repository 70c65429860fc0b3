#pragma once
#include "platform/d3d9/Direct3DDeviceChild9.h"

#include <cstdint>

// An occlusion query: the samples that passed every test between
// Issue(D3DISSUE_BEGIN) and Issue(D3DISSUE_END). GetData answers S_FALSE
// until the count is known, then S_OK with it; a query that was never
// issued answers S_OK and 0.
class IDirect3DQuery9 : public IDirect3DDeviceChild9 {
public:
    D3DQUERYTYPE GetType() const { return D3DQUERYTYPE_OCCLUSION; }
    DWORD GetDataSize() const { return sizeof(DWORD); }
    HRESULT Issue(DWORD flags);
    HRESULT GetData(void* data, DWORD size, DWORD flags);

    // Layer internals.
    IDirect3DQuery9(IDirect3DDevice9* device, uint32_t storage);

private:
    ~IDirect3DQuery9() override;
    enum class Phase { Signaled, Building, Issued };

    uint32_t m_storage;
    Phase m_phase = Phase::Signaled;
    DWORD m_result = 0;
};
