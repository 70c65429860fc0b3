#pragma once
// A Direct3D device on the GL backend for pixel tests: a hidden 16x16
// window, a 16x16 back buffer with a D24S8 depth-stencil surface, identity
// transforms. ready() is false when it could not start; failure() says why.
#include "platform/d3d9/D3D9States.h"
#include "platform/d3d9/D3D9Types.h"

#include <string>
#include <vector>

class IDirect3D9;
class IDirect3DDevice9;

// The vertex most pixel tests draw: FVF XYZ | NORMAL | DIFFUSE | SPECULAR | TEX1.
struct RigVertex {
    float x, y, z;
    float nx, ny, nz;
    D3DCOLOR diffuse;
    D3DCOLOR specular;
    float u, v;
};
constexpr DWORD kRigVertexFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

class GlDeviceRig {
public:
    static constexpr int kSize = 16;

    GlDeviceRig();
    ~GlDeviceRig();
    GlDeviceRig(const GlDeviceRig&) = delete;
    GlDeviceRig& operator=(const GlDeviceRig&) = delete;

    bool ready() const { return m_device != nullptr; }
    const std::string& failure() const { return m_failure; }
    IDirect3DDevice9* device() const { return m_device; }
    IDirect3DDevice9* operator->() const { return m_device; }

    void clear(D3DCOLOR colour, float z = 1.0f, DWORD stencil = 0);
    D3DCOLOR pixel(int x, int y) const;
    // Draws `vertices` as a triangle list of RigVertex from user memory.
    HRESULT drawList(const std::vector<RigVertex>& vertices);

    // Two triangles over (x0, y0)-(x1, y1) at depth z, texture (0, 0) at
    // the top-left corner, normal (0, 0, -1) unless given.
    static std::vector<RigVertex> quad(float x0, float y0, float x1, float y1, float z, D3DCOLOR diffuse = 0xFFFFFFFF,
                                       D3DCOLOR specular = 0, float nz = -1.0f);

private:
    HWND m_window = nullptr;
    IDirect3D9* m_d3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    std::string m_failure;
};
