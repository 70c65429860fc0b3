#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3D9.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/Window.h"
#include "support/DeviceReadBack.h"
#include "support/GlRequirement.h"

#include <gtest/gtest.h>

#include <GL/glew.h>

namespace {

// Present turns the top-row-first back buffer over into the window, whose
// rows GL counts from the bottom: the top of the picture must arrive at the
// top of the window.
TEST(GlPresent, PictureArrivesRightWayUp)
{
    selectD3D9Backend(D3D9Backend::Gl);
    HWND window = CreateWindowExA(0, testWindowClass(), "present", WS_OVERLAPPEDWINDOW, 0, 0, 32, 32, nullptr,
                                  nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOW);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    IDirect3DDevice9* device = nullptr;
    D3DPRESENT_PARAMETERS pp{};
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.hDeviceWindow = window;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    const HRESULT created =
        d3d ? d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device) : E_FAIL;
    if (FAILED(created)) {
        if (d3d)
            d3d->Release();
        DestroyWindow(window);
        selectD3D9Backend(D3D9Backend::Default);
        REQUIRE_GL(false, d3d ? "CreateDevice failed with " + std::to_string(created) : "no Direct3D object");
    }
    const D3DVIEWPORT9 top{0, 0, 32, 16, 0.0f, 1.0f};
    const D3DVIEWPORT9 bottom{0, 16, 32, 16, 0.0f, 1.0f};
    device->SetViewport(&top);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    device->SetViewport(&bottom);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    // Let the window be mapped before anything lands in it.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    device->SetViewport(&top);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    glFinish();

    // Mesa's software rasteriser copies the back buffer out at the swap and
    // keeps it, so it still shows what the window received.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    GLubyte windowTop[4] = {}, windowBottom[4] = {};
    glReadPixels(16, 31, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, windowTop);
    glReadPixels(16, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, windowBottom);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(windowTop[0], 255);
    EXPECT_EQ(windowTop[2], 0);
    EXPECT_EQ(windowBottom[0], 0);
    EXPECT_EQ(windowBottom[2], 255);

    device->Release();
    d3d->Release();
    DestroyWindow(window);
    selectD3D9Backend(D3D9Backend::Default);
}

} // namespace
