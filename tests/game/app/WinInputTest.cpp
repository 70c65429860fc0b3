#include "game/app/WinInput.h"

#include "engine/core/base/Report.h"
#include "game/app/GuiInputSink.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/SdlVideo.h"
#include "platform/win/Window.h"
#include "platform/win/WindowRecord.h"
#include "support/FakeClock.h"
#include "support/GlRequirement.h"

#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <string>
#include <vector>

namespace {

struct RecordingSink : GuiInputSink {
    std::vector<std::string> calls;
    void injectKeyDown(uint32_t scan) override { calls.push_back("down " + std::to_string(scan)); }
    void injectKeyUp(uint32_t scan) override { calls.push_back("up " + std::to_string(scan)); }
    void injectChar(uint32_t c) override { calls.push_back("char " + std::to_string(c)); }
    void injectMousePosition(float x, float y) override
    {
        calls.push_back("pos " + std::to_string(int(x)) + "," + std::to_string(int(y)));
    }
    void injectMouseWheelChange(float d) override { calls.push_back("wheel " + std::to_string(int(d))); }
    void injectMouseButtonDown(Button b) override { calls.push_back(b == LeftButton ? "ldown" : "rdown"); }
    void injectMouseButtonUp(Button b) override { calls.push_back(b == LeftButton ? "lup" : "rup"); }
};

WinInput* g_input = nullptr;

LRESULT inputProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (g_input)
        return g_input->handleMessage(window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* inputClass()
{
    static const char* name = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = inputProcedure;
        wc.lpszClassName = "WinInputTest";
        RegisterClassExA(&wc);
        return "WinInputTest";
    }();
    return name;
}

class WinInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_window = CreateWindowExA(0, inputClass(), "input", WS_OVERLAPPEDWINDOW, 0, 0, 320, 200, nullptr, nullptr,
                                   nullptr, nullptr);
        ASSERT_NE(m_window, nullptr);
        pump();
        m_input = new WinInput(&m_sink);
        g_input = m_input;
        m_input->attach(m_window);
        WinInput::s_previousLeft = WinInput::s_previousRight = 0;
    }
    void TearDown() override
    {
        g_input = nullptr;
        delete m_input;
        DestroyWindow(m_window);
        pump();
        resetReportSwitch();
    }
    void pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    void send(UINT message, WPARAM wParam, LPARAM lParam) { m_input->handleMessage(m_window, message, wParam, lParam); }
    void move(int x, int y, WPARAM keys = 0) { send(WM_MOUSEMOVE, keys, MAKELPARAM(WORD(int16_t(x)), WORD(int16_t(y)))); }

    HWND m_window = nullptr;
    WinInput* m_input = nullptr;
    RecordingSink m_sink;
};

TEST_F(WinInputTest, KeyEventsBecomeScanCodeFlagsAndGuiKeys)
{
    REQUIRE_GL(m_window->sdl, "no SDL window: the video driver did not start");
    struct Case {
        SDL_Scancode key;
        Uint8 repeat;
        int flag;     // the key flag set by the press
        uint32_t gui; // the scan code the GUI gets
    };
    const Case cases[] = {
        {SDL_SCANCODE_A, 0, 0x1E, 0x1E},      {SDL_SCANCODE_Z, 0, 0x2C, 0x2C},
        {SDL_SCANCODE_7, 0, 0x08, 0x08},      {SDL_SCANCODE_LCTRL, 0, 0x1D, 0x1D},
        {SDL_SCANCODE_RCTRL, 0, 0x9D, 0x9D},  {SDL_SCANCODE_RALT, 0, 0xB8, 0xB8},
        {SDL_SCANCODE_LEFT, 0, 0xCB, 0xCB},   {SDL_SCANCODE_PAGEDOWN, 0, 0xD1, 0xD1},
        {SDL_SCANCODE_RSHIFT, 0, 0x2A, 0x36}, {SDL_SCANCODE_KP_ENTER, 0, 0x1C, 0x9C},
        {SDL_SCANCODE_KP_4, 0, 0x4B, 0x4B},   {SDL_SCANCODE_F1, 0, 0x3B, 0x3B},
        {SDL_SCANCODE_F12, 0, 0x58, 0x58},    {SDL_SCANCODE_SPACE, 0, 0x39, 0x39},
        {SDL_SCANCODE_ESCAPE, 0, 0x01, 0x01}, {SDL_SCANCODE_GRAVE, 0, 0x29, 0x29},
    };
    const Uint32 id = SDL_GetWindowID(m_window->sdl);
    for (const Case& c : cases) {
        SCOPED_TRACE(SDL_GetScancodeName(c.key));
        m_sink.calls.clear();
        for (int step = 0; step < 3; ++step) {
            const Uint32 type = step < 2 ? SDL_KEYDOWN : SDL_KEYUP;
            SDL_Event e{};
            e.type = type;
            e.key.windowID = id;
            e.key.keysym.scancode = c.key;
            // The second press is the key's auto-repeat.
            e.key.repeat = step == 1 ? 1 : 0;
            ASSERT_EQ(SDL_PushEvent(&e), 1);
            pump();
            if (type == SDL_KEYDOWN)
                EXPECT_EQ(m_input->m_keys[c.flag], 1);
        }
        EXPECT_EQ(m_input->m_keys[c.flag], 0);
        const std::string down = "down " + std::to_string(c.gui);
        std::vector<std::string> expected = {down, down, "up " + std::to_string(c.gui)};
        // Escape's and Enter's characters ride along, as Windows translates them.
        if (c.key == SDL_SCANCODE_ESCAPE)
            expected = {down, "char 27", down, "char 27", "up 1"};
        if (c.key == SDL_SCANCODE_KP_ENTER)
            expected = {down, "char 13", down, "char 13", "up 156"};
        EXPECT_EQ(m_sink.calls, expected);
    }
}

TEST_F(WinInputTest, RepeatLeavesTheFlagAndBlockedGuiHearsNothing)
{
    struct Case {
        UINT message;
        WPARAM vk;
        LPARAM lParam;
        bool blocked;
        int flag;
        uint8_t flagAfter;
        std::vector<std::string> gui;
    };
    const LPARAM ext = LPARAM(1) << 24, repeat = LPARAM(1) << 30;
    const Case cases[] = {
        {WM_KEYDOWN, 0x11, 0x1D << 16, false, 0x1D, 1, {"down 29"}},           // left Ctrl
        {WM_KEYDOWN, 0x11, (0x1D << 16) | ext, false, 0x9D, 1, {"down 157"}},  // right Ctrl
        {WM_KEYDOWN, 0x12, (0x38 << 16) | ext, false, 0xB8, 1, {"down 184"}},  // right Alt
        {WM_KEYDOWN, 'A', (0x1E << 16) | repeat, false, 0x1E, 0, {"down 30"}}, // a repeat sets nothing
        {WM_KEYDOWN, 'A', 0x1E << 16, true, 0x1E, 1, {}},
        {WM_KEYDOWN, 0x0C, 0, false, 255, 1, {"down 0"}}, // VK_CLEAR: the unused entry
        {WM_CHAR, 'x', 0, false, 0, 0, {"char 120"}},
        {WM_CHAR, 'x', 0, true, 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.vk));
        m_input->reset();
        m_sink.calls.clear();
        m_input->m_guiBlocked = c.blocked ? 1 : 0;
        send(c.message, c.vk, c.lParam);
        if (c.flag)
            EXPECT_EQ(m_input->m_keys[c.flag], c.flagAfter);
        EXPECT_EQ(m_sink.calls, c.gui);
        if (c.message == WM_CHAR)
            EXPECT_EQ(m_input->m_lastChar, uint32_t(c.vk));
    }
    m_input->reset();
    EXPECT_EQ(m_input->m_lastChar, 255u);
}

TEST_F(WinInputTest, KeyCodesBeyondTheTableAreRefused)
{
    reportLevel = 3;
    reportToText = 1;
    lastErrorText.assignCString("x");
    uint8_t before[256];
    std::copy(std::begin(m_input->m_keys), std::end(m_input->m_keys), before);
    send(WM_KEYDOWN, 256, 0);
    send(WM_KEYUP, 0x10000, 0);
    EXPECT_TRUE(std::equal(std::begin(before), std::end(before), std::begin(m_input->m_keys)));
    EXPECT_STREQ(lastErrorText.c_str(), "");
    EXPECT_TRUE(m_sink.calls.empty());
}

TEST_F(WinInputTest, MouseDeltasWheelAndButtons)
{
    move(10, 20);
    EXPECT_EQ(m_input->m_mouseDeltaX, 0); // the first move after attaching
    move(15, 17);
    move(16, 27);
    EXPECT_EQ(m_input->m_mouseDeltaX, 6);
    EXPECT_EQ(m_input->m_mouseDeltaY, 7);
    EXPECT_EQ(m_input->m_mouseX, 16);
    EXPECT_EQ(m_input->m_mouseY, 27);
    move(-5, -3); // signed words
    EXPECT_EQ(m_input->m_mouseDeltaX, -15);
    EXPECT_EQ(m_input->m_mouseY, -3);

    m_sink.calls.clear();
    send(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(120)), 0);
    send(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(120)), 0);
    move(-5, -3);
    EXPECT_EQ(m_sink.calls, (std::vector<std::string>{"wheel 2", "wheel 4", "pos -5,-3", "wheel 4"}));
    EXPECT_EQ(m_input->m_wheel, 240);
    EXPECT_TRUE(m_input->endFrame());
    EXPECT_EQ(m_input->m_wheel, 0);
    EXPECT_EQ(m_input->m_mouseDeltaX, 0);
    EXPECT_EQ(m_input->m_mouseDeltaY, 0);
    m_sink.calls.clear();
    send(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(int16_t(-90))), 0);
    EXPECT_EQ(m_sink.calls, (std::vector<std::string>{"wheel -1"}));

    struct Step {
        UINT message;
        WPARAM keys;
        bool blocked;
        uint8_t left, right, middle;
        std::vector<std::string> gui;
    };
    const Step steps[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON, false, 1, 0, 0, {"ldown"}},
        {WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, false, 1, 1, 0, {"rdown"}},
        {WM_MBUTTONDOWN, MK_LBUTTON | MK_RBUTTON | MK_MBUTTON, false, 1, 1, 1, {}},
        {WM_LBUTTONUP, MK_RBUTTON | MK_MBUTTON, false, 0, 1, 1, {"lup"}},
        {WM_RBUTTONUP, MK_MBUTTON, true, 0, 0, 1, {}}, // blocked: the GUI still thinks right is down
        {WM_MBUTTONUP, 0, false, 0, 0, 0, {"rup"}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.message);
        m_sink.calls.clear();
        m_input->m_guiBlocked = s.blocked ? 1 : 0;
        send(s.message, s.keys, 0);
        EXPECT_EQ(m_input->m_leftButton, s.left);
        EXPECT_EQ(m_input->m_rightButton, s.right);
        EXPECT_EQ(m_input->m_middleButton, s.middle);
        EXPECT_EQ(m_sink.calls, s.gui);
    }
}

TEST_F(WinInputTest, AMouseThatRestsAQuarterSecondStartsAFreshDelta)
{
    FakeClock clock;
    m_input->attach(m_window); // the position timer on the fake clock
    move(100, 100);
    move(101, 100);
    EXPECT_EQ(m_input->m_mouseDeltaX, 1);
    // Moves keep restarting the timer.
    clock.advanceMilliseconds(200);
    pump();
    move(103, 100);
    clock.advanceMilliseconds(200);
    pump();
    move(104, 100);
    EXPECT_EQ(m_input->m_mouseDeltaX, 4);
    // 250 ms of rest: the next move only learns the position.
    clock.advanceMilliseconds(249);
    pump();
    EXPECT_EQ(WinInput::s_positionValid, 1);
    clock.advanceMilliseconds(1);
    pump();
    EXPECT_EQ(WinInput::s_positionValid, 0);
    move(300, 50);
    EXPECT_EQ(m_input->m_mouseDeltaX, 4);
    EXPECT_EQ(m_input->m_mouseDeltaY, 0);
    move(302, 51);
    EXPECT_EQ(m_input->m_mouseDeltaX, 6);
    EXPECT_EQ(m_input->m_mouseDeltaY, 1);
}

} // namespace
