#include "game/app/MainLoop.h"

#include "platform/d3d9/D3D9Types.h"
#include "platform/win/MessageQueue.h"

uint8_t g_windowActive = 1;

void MainLoop::run()
{
    while (!quitRequested() && !m_quitReceived && m_frameOk)
        pass();
}

void MainLoop::dispatch(MSG& msg, BOOL got)
{
    // -1 says there is nothing the queue could ever deliver (no display
    // left): waiting again would spin forever, so the run ends as on WM_QUIT.
    if (got <= 0) {
        m_quitReceived = true;
        return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

void MainLoop::pass()
{
    if (takeResetRequest()) {
        lostDevice();
        takeNewMode();
        resetDevices();
        resetDevice();
        giveInputNewMode();
    }
    const HRESULT level = testCooperativeLevel();
    if (level == D3DERR_DEVICELOST || !g_windowActive) {
        MSG msg{};
        dispatch(msg, GetMessageA(&msg, nullptr, 0, 0));
    } else if (level == D3D_OK) {
        if (!runFrame())
            m_frameOk = false;
        endFrame();
        MSG msg{};
        while (!m_quitReceived && PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
            dispatch(msg, GetMessageA(&msg, nullptr, 0, 0));
    } else if (level == D3DERR_DEVICENOTRESET) {
        lostDevice();
        resetDevices();
        resetDevice();
    }
}
