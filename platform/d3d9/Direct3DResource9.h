#pragma once
#include "platform/d3d9/D3D9Types.h"

#include <cstddef>

class IDirect3DDevice9;

// Reference counting shared by everything a device creates. A resource the
// program created holds a reference on its device; the device's own back
// buffer and depth surface hold one only while the program holds them, and
// live as long as the device or until Reset replaces them. A resource the
// device has bound stays alive after its last Release until the device lets
// go of it.
class IDirect3DResource9 {
public:
    ULONG AddRef();
    ULONG Release();
    // Managed resources upload what changed; the others have nothing to do.
    virtual void PreLoad() {}
    D3DPOOL pool() const { return m_pool; }
    D3DRESOURCETYPE resourceType() const { return m_type; }

    IDirect3DResource9(const IDirect3DResource9&) = delete;
    IDirect3DResource9& operator=(const IDirect3DResource9&) = delete;

protected:
    IDirect3DResource9(IDirect3DDevice9* device, D3DRESOURCETYPE type, D3DPOOL pool, bool implicit);
    virtual ~IDirect3DResource9();
    // One line for the report of resources still alive at Reset.
    virtual void describe(char* text, std::size_t size) const = 0;

    IDirect3DDevice9* m_device;
    D3DRESOURCETYPE m_type;
    D3DPOOL m_pool;
    bool m_implicit;
    ULONG m_refs;
    int m_bindings = 0;

private:
    void destroyIfUnused();
    friend class IDirect3DDevice9;
};
