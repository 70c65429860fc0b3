#pragma once
#include "platform/d3d9/Direct3DResource9.h"

#include <cstdint>
#include <vector>

// What vertex and index buffers share: a memory copy that locks hand out,
// and a backend buffer that each unlock updates with the bytes the locks
// covered. The copy also lets the device check a draw against what the
// buffer holds before anything reads it.
class IDirect3DBuffer9 : public IDirect3DResource9 {
public:
    // Size 0 locks from `offset` to the end. Locks nest; the last unlock
    // uploads. D3DLOCK_DISCARD is honoured on dynamic buffers only, as the
    // retail runtime does.
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT Unlock();

    // Layer internals.
    HRESULT create();
    UINT size() const { return UINT(m_bytes.size()); }
    DWORD usage() const { return m_usage; }
    uint32_t storage() const { return m_storage; }
    const uint8_t* bytes() const { return m_bytes.data(); }
    bool locked() const { return m_locks > 0; }

protected:
    IDirect3DBuffer9(IDirect3DDevice9* device, D3DRESOURCETYPE type, D3DPOOL pool, UINT size, DWORD usage);
    ~IDirect3DBuffer9() override;

    DWORD m_usage;

private:
    std::vector<uint8_t> m_bytes;
    uint32_t m_storage = 0;
    int m_locks = 0;
    UINT m_dirtyBegin = 0;
    UINT m_dirtyEnd = 0;
    bool m_discard = false;
};
