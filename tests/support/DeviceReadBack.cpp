#include "DeviceReadBack.h"

#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/win/MessageQueue.h"

std::vector<D3DCOLOR> readBackBuffer(IDirect3DDevice9* device, const RECT& area)
{
    std::vector<D3DCOLOR> pixels;
    IDirect3DSurface9* backBuffer = nullptr;
    if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)))
        return pixels;
    if (!device->backend().readPixels(backBuffer->storage(), area, pixels))
        pixels.clear();
    backBuffer->Release();
    return pixels;
}

D3DCOLOR readBackBufferPixel(IDirect3DDevice9* device, int x, int y)
{
    const std::vector<D3DCOLOR> pixels = readBackBuffer(device, RECT{x, y, x + 1, y + 1});
    return pixels.empty() ? 0xDEADBEEF : pixels[0];
}

namespace {
LRESULT testProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

const char* testWindowClass()
{
    static const char* name = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = testProcedure;
        wc.lpszClassName = "VorlundTest";
        RegisterClassExA(&wc);
        return "VorlundTest";
    }();
    return name;
}

void drainWindowMessages()
{
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}
