#pragma once
#include "platform/d3d9/D3D9Types.h"

class IDirect3DDevice9;

// Reference counting for the device's objects that are not resources
// (declarations, queries, shaders): no pool, no part in the Reset check.
// Each holds a reference on its device; a bound one outlives its last
// Release until the device lets go of it.
class IDirect3DDeviceChild9 {
public:
    ULONG AddRef() { return ++m_refs; }
    ULONG Release();

    IDirect3DDeviceChild9(const IDirect3DDeviceChild9&) = delete;
    IDirect3DDeviceChild9& operator=(const IDirect3DDeviceChild9&) = delete;

protected:
    explicit IDirect3DDeviceChild9(IDirect3DDevice9* device);
    virtual ~IDirect3DDeviceChild9();
    void destroyIfUnused();

    IDirect3DDevice9* m_device;
    ULONG m_refs = 1;
    int m_bindings = 0;
    friend class IDirect3DDevice9;
};
