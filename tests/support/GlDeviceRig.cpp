#include "GlDeviceRig.h"

#include "DeviceReadBack.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3D9.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/win/Window.h"

#include <cstdio>

GlDeviceRig::GlDeviceRig()
{
    selectD3D9Backend(D3D9Backend::Gl);
    HWND window = CreateWindowExA(0, testWindowClass(), "device rig", WS_OVERLAPPEDWINDOW, 0, 0, kSize, kSize,
                                  nullptr, nullptr, nullptr, nullptr);
    m_window = window;
    m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = kSize;
    pp.BackBufferHeight = kSize;
    pp.BackBufferFormat = D3DFMT_A8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.hDeviceWindow = window;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    if (!window) {
        m_failure = "no window";
    } else if (!m_d3d) {
        m_failure = "no Direct3D object";
    } else if (const HRESULT hr =
                   m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &m_device);
               FAILED(hr)) {
        char text[64];
        std::snprintf(text, sizeof text, "CreateDevice failed with 0x%08X", unsigned(hr));
        m_failure = text;
        m_device = nullptr;
    }
    if (m_device) {
        m_device->SetRenderState(D3DRS_LIGHTING, FALSE);
        m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        m_device->SetFVF(kRigVertexFvf);
    }
}

GlDeviceRig::~GlDeviceRig()
{
    if (m_device)
        m_device->Release();
    if (m_d3d)
        m_d3d->Release();
    if (m_window)
        DestroyWindow(m_window);
    selectD3D9Backend(D3D9Backend::Default);
}

void GlDeviceRig::clear(D3DCOLOR colour, float z, DWORD stencil)
{
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, colour, z, stencil);
}

D3DCOLOR GlDeviceRig::pixel(int x, int y) const
{
    return readBackBufferPixel(m_device, x, y);
}

HRESULT GlDeviceRig::drawList(const std::vector<RigVertex>& vertices)
{
    return m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(vertices.size() / 3), vertices.data(),
                                     sizeof(RigVertex));
}

std::vector<RigVertex> GlDeviceRig::quad(float x0, float y0, float x1, float y1, float z, D3DCOLOR diffuse,
                                         D3DCOLOR specular, float nz)
{
    auto v = [&](float x, float y, float u, float t) { return RigVertex{x, y, z, 0, 0, nz, diffuse, specular, u, t}; };
    const RigVertex a = v(x0, y1, 0, 0), b = v(x1, y1, 1, 0), c = v(x1, y0, 1, 1), d = v(x0, y0, 0, 1);
    return {a, b, c, a, c, d};
}
