#pragma once
#include "platform/win/WinTypes.h"

// The main loop: each pass honours a pending device reset, then either waits
// for one window message (device lost, or the window inactive) or runs one
// application frame and drains the message queue. The loop's partners are
// the hooks below, so the program binds it to the real renderer and
// application and tests bind it to fakes.
class MainLoop {
public:
    virtual ~MainLoop() = default;

    // Runs until the application quits, WM_QUIT arrives or a frame fails.
    void run();
    // One pass.
    void pass();

    bool m_quitReceived = false;
    // Cleared by a failed frame; it chooses the shut-down log line.
    bool m_frameOk = true;

protected:
    // The application's quit flag.
    virtual bool quitRequested() = 0;
    // The renderer's mode-change request, true once per request.
    virtual bool takeResetRequest() = 0;
    virtual HRESULT testCooperativeLevel() = 0;
    // Application, then renderer: device resources go.
    virtual void lostDevice() = 0;
    // The renderer's new mode into the engine settings and the first head.
    virtual void takeNewMode() = 0;
    virtual void resetDevices() = 0;
    // Renderer, then application: device resources come back.
    virtual void resetDevice() = 0;
    virtual void giveInputNewMode() = 0;
    // One application frame, inside the crash guard unless a debugger runs;
    // false when the frame failed.
    virtual bool runFrame() = 0;
    // The input's per-frame reset.
    virtual void endFrame() = 0;

private:
    void dispatch(MSG& msg, BOOL got);
};

// Process-wide state the window procedure and the loop share.
// 0 while the window is minimised: no frames run.
extern uint8_t g_windowActive;
