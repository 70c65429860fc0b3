// Full screen on the GL backend: at the desktop's size the window covers the
// whole display and the picture reaches its far corner, even with no window
// manager to resize the window (as under Xvfb); a full-screen size that is
// no mode of the display is refused, as Direct3D refuses it.
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3D9.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/Window.h"
#include "support/DeviceReadBack.h"

#include <gtest/gtest.h>

#include <GL/glew.h>

namespace {

class GlFullScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        selectD3D9Backend(D3D9Backend::Gl);
        m_window = CreateWindowExA(0, testWindowClass(), "full screen", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr,
                                   nullptr, nullptr, nullptr);
        m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
        if (!m_d3d || FAILED(m_d3d->GetAdapterDisplayMode(0, &m_desktop)))
            GTEST_SKIP() << "no OpenGL display";
    }
    void TearDown() override
    {
        if (m_device)
            m_device->Release();
        if (m_d3d)
            m_d3d->Release();
        DestroyWindow(m_window);
        selectD3D9Backend(D3D9Backend::Default);
    }
    HRESULT create(UINT width, UINT height)
    {
        D3DPRESENT_PARAMETERS pp{};
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = FALSE;
        pp.BackBufferWidth = width;
        pp.BackBufferHeight = height;
        pp.hDeviceWindow = m_window;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        return m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, m_window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &m_device);
    }
    static void pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }

    HWND m_window = nullptr;
    IDirect3D9* m_d3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    D3DDISPLAYMODE m_desktop{};
};

TEST_F(GlFullScreen, AtTheDesktopSizeThePictureCoversTheDisplay)
{
    ASSERT_EQ(create(m_desktop.Width, m_desktop.Height), D3D_OK);
    ShowWindow(m_window, SW_SHOW);
    pump();
    RECT client{};
    GetClientRect(m_window, &client);
    EXPECT_EQ(client.right - client.left, LONG(m_desktop.Width));
    EXPECT_EQ(client.bottom - client.top, LONG(m_desktop.Height));

    m_device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    ASSERT_EQ(m_device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    pump();
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    ASSERT_EQ(m_device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    glFinish();
    // The window's own buffer is as large as the X window really is: a pixel
    // beyond it would not be read at all and keep the marker.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    GLubyte corner[4] = {0x12, 0x34, 0x56, 0x78};
    glReadPixels(GLint(m_desktop.Width) - 1, GLint(m_desktop.Height) - 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corner);
    EXPECT_EQ(corner[0], 255);
    EXPECT_EQ(corner[1], 0);
    EXPECT_EQ(corner[2], 0);
}

TEST_F(GlFullScreen, ASizeThatIsNoModeIsRefused)
{
    // No display lists a mode one pixel narrower than its desktop.
    EXPECT_EQ(create(m_desktop.Width - 1, m_desktop.Height), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_device, nullptr);
}

} // namespace
