#include "platform/win/MessageQueue.h"
#include "platform/win/Window.h"
#include "platform/win/WindowRecord.h"
#include "support/GlRequirement.h"

#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <cstdio>
#include <vector>

namespace {

struct Seen {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Seen> g_seen;

LRESULT recordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_seen.push_back({window, message, wParam, lParam});
    if (message == WM_DESTROY) {
        PostQuitMessage(3);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* recordingClass()
{
    static const char* name = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = recordingProcedure;
        wc.lpszClassName = "MessageQueueTest";
        RegisterClassExA(&wc);
        return "MessageQueueTest";
    }();
    return name;
}

class MessageQueue : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_seen.clear();
        m_window = CreateWindowExA(0, recordingClass(), "test", WS_OVERLAPPEDWINDOW, 10, 20, 320, 200, nullptr,
                                   nullptr, nullptr, nullptr);
        ASSERT_NE(m_window, nullptr);
        drain();
        g_seen.clear();
    }
    void TearDown() override
    {
        if (windowIsLive(m_window))
            DestroyWindow(m_window);
        drain();
    }
    static void drain()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    // Runs the pump the way the game does until WM_QUIT; answers the exit code.
    static WPARAM pumpUntilQuit()
    {
        MSG msg{};
        for (int i = 0; i < 100; ++i) {
            const BOOL result = GetMessageA(&msg, nullptr, 0, 0);
            if (result == 0)
                return msg.wParam;
            if (result < 0)
                break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        ADD_FAILURE() << "no WM_QUIT";
        return WPARAM(-1);
    }

    HWND m_window = nullptr;
};

TEST_F(MessageQueue, ClassesMustBeRegisteredOnce)
{
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
    WNDCLASSEXA again{};
    again.lpfnWndProc = recordingProcedure;
    again.lpszClassName = "messagequeuetest";
    EXPECT_EQ(RegisterClassExA(&again), 0);
}

TEST_F(MessageQueue, CloseDestroysTheWindowAndQuits)
{
    postWindowMessage(m_window, WM_CLOSE, 0, 0);
    EXPECT_EQ(pumpUntilQuit(), 3u);
    EXPECT_FALSE(windowIsLive(m_window));
    ASSERT_EQ(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[0].message, WM_CLOSE);
    EXPECT_EQ(g_seen[1].message, WM_DESTROY);
}

TEST_F(MessageQueue, PeekHonoursRemovalAndFilters)
{
    postWindowMessage(m_window, WM_PAINT, 0, 0);
    postWindowMessage(m_window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 6));
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_MOUSEMOVE);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_PAINT);
    ASSERT_TRUE(PeekMessageA(&msg, m_window, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_MOUSEMOVE);
    EXPECT_EQ(msg.lParam, MAKELPARAM(5, 6));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, DestroyedWindowsLoseTheirMessages)
{
    postWindowMessage(m_window, WM_PAINT, 0, 0);
    DestroyWindow(m_window);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, WindowGeometryIsClientGeometry)
{
    RECT rect{0, 0, 400, 300};
    ASSERT_TRUE(AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE));
    EXPECT_EQ(rect.right - rect.left, 400);
    EXPECT_EQ(rect.bottom - rect.top, 300);
    ASSERT_TRUE(MoveWindow(m_window, 0, 0, 400, 300, TRUE));
    RECT client{};
    ASSERT_TRUE(GetClientRect(m_window, &client));
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.top, 0);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 300);
    EXPECT_FALSE(GetClientRect(nullptr, &client));
}

// SDL's events become Windows messages with Windows' packing.
TEST_F(MessageQueue, SdlEventsArriveAsWindowMessages)
{
    REQUIRE_GL(m_window->sdl, std::string("no SDL window: ") + SDL_GetError());
    const Uint32 id = SDL_GetWindowID(m_window->sdl);
    SDL_Event events[4] = {};
    events[0].type = SDL_MOUSEBUTTONDOWN;
    events[0].button = SDL_MouseButtonEvent{SDL_MOUSEBUTTONDOWN, 0, id, 0, SDL_BUTTON_RIGHT, SDL_PRESSED, 1, 0, -5, 7};
    events[1].type = SDL_WINDOWEVENT;
    events[1].window.type = SDL_WINDOWEVENT;
    events[1].window.windowID = id;
    events[1].window.event = SDL_WINDOWEVENT_MINIMIZED;
    events[2].type = SDL_WINDOWEVENT;
    events[2].window.type = SDL_WINDOWEVENT;
    events[2].window.windowID = id;
    events[2].window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    events[3].type = SDL_WINDOWEVENT;
    events[3].window.type = SDL_WINDOWEVENT;
    events[3].window.windowID = id;
    events[3].window.event = SDL_WINDOWEVENT_CLOSE;
    drain();
    for (SDL_Event& e : events)
        ASSERT_EQ(SDL_PushEvent(&e), 1);

    struct Expected {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    const Expected expected[] = {
        {WM_RBUTTONDOWN, 0, MAKELPARAM(WORD(-5), 7)},
        {WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), 0},
        {WM_SIZE, SIZE_MINIMIZED, 0},
        {WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0},
        {WM_CLOSE, 0, 0},
    };
    std::vector<MSG> got;
    MSG msg;
    while (PeekMessageA(&msg, m_window, 0, 0, PM_REMOVE))
        if (msg.message != WM_MOUSEMOVE && msg.message != WM_PAINT && msg.message != WM_MOVE)
            got.push_back(msg);
    ASSERT_EQ(got.size(), std::size(expected));
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].message, expected[i].message);
        if (expected[i].message != WM_RBUTTONDOWN)
            EXPECT_EQ(got[i].wParam, expected[i].wParam);
        else
            EXPECT_EQ(got[i].wParam & ~WPARAM(MK_RBUTTON | MK_SHIFT | MK_CONTROL | MK_LBUTTON | MK_MBUTTON), 0u);
        EXPECT_EQ(got[i].lParam, expected[i].lParam);
    }
}

// A key message carries the virtual key in wParam and the scan code as its
// DirectInput code in lParam: bits 16-23 the code's low seven bits, bit 24 its
// extended flag, then Alt, previous state and transition in bits 29-31.
TEST_F(MessageQueue, KeysCarryVirtualKeyAndScanCode)
{
    REQUIRE_GL(m_window->sdl, std::string("no SDL window: ") + SDL_GetError());
    const Uint32 id = SDL_GetWindowID(m_window->sdl);
    struct Case {
        Uint32 type;
        SDL_Scancode scancode;
        Uint16 mod;
        Uint8 repeat;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    const Case cases[] = {
        {SDL_KEYDOWN, SDL_SCANCODE_A, 0, 0, WM_KEYDOWN, 'A', LPARAM(0x001E0001)},
        {SDL_KEYDOWN, SDL_SCANCODE_A, 0, 1, WM_KEYDOWN, 'A', LPARAM(0x401E0001)},
        {SDL_KEYUP, SDL_SCANCODE_A, 0, 0, WM_KEYUP, 'A', LPARAM(0xC01E0001u)},
        // Right Ctrl is VK_CONTROL with the extended bit: DIK_RCONTROL 0x9D.
        {SDL_KEYDOWN, SDL_SCANCODE_RCTRL, 0, 0, WM_KEYDOWN, 0x11, LPARAM(0x011D0001)},
        {SDL_KEYDOWN, SDL_SCANCODE_LCTRL, 0, 0, WM_KEYDOWN, 0x11, LPARAM(0x001D0001)},
        {SDL_KEYDOWN, SDL_SCANCODE_KP_ENTER, 0, 0, WM_KEYDOWN, 0x0D, LPARAM(0x011C0001)},
        {SDL_KEYDOWN, SDL_SCANCODE_LEFT, 0, 0, WM_KEYDOWN, 0x25, LPARAM(0x014B0001)},
        {SDL_KEYDOWN, SDL_SCANCODE_F12, 0, 0, WM_KEYDOWN, 0x7B, LPARAM(0x00580001)},
        {SDL_KEYDOWN, SDL_SCANCODE_LALT, KMOD_LALT, 0, WM_SYSKEYDOWN, 0x12, LPARAM(0x20380001)},
        {SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, 0, 0, WM_KEYDOWN, 0x1B, LPARAM(0x00010001)},
    };
    drain();
    for (const Case& c : cases) {
        SDL_Event e{};
        e.key.type = c.type;
        e.key.windowID = id;
        e.key.state = c.type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = c.repeat;
        e.key.keysym.scancode = c.scancode;
        e.key.keysym.mod = c.mod;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    // A key Windows has no code for sends nothing.
    SDL_Event unknown{};
    unknown.key.type = SDL_KEYDOWN;
    unknown.key.windowID = id;
    unknown.key.keysym.scancode = SDL_SCANCODE_F20;
    ASSERT_EQ(SDL_PushEvent(&unknown), 1);

    std::vector<MSG> got;
    MSG msg;
    while (PeekMessageA(&msg, m_window, WM_KEYDOWN, WM_SYSKEYUP, PM_REMOVE))
        if (msg.message != WM_CHAR)
            got.push_back(msg);
    ASSERT_EQ(got.size(), std::size(cases));
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].message, cases[i].message);
        EXPECT_EQ(got[i].wParam, cases[i].wParam);
        EXPECT_EQ(got[i].lParam, cases[i].lParam);
    }
}

// Characters come from text input, and for Backspace, Tab, Enter and Escape
// (which have no text) from the key itself, right behind its key message.
TEST_F(MessageQueue, CharactersFollowTheirKeys)
{
    REQUIRE_GL(m_window->sdl, std::string("no SDL window: ") + SDL_GetError());
    const Uint32 id = SDL_GetWindowID(m_window->sdl);
    drain();
    const SDL_Scancode keys[] = {SDL_SCANCODE_RETURN, SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_A};
    for (SDL_Scancode key : keys) {
        SDL_Event e{};
        e.key.type = SDL_KEYDOWN;
        e.key.windowID = id;
        e.key.state = SDL_PRESSED;
        e.key.keysym.scancode = key;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    SDL_Event text{};
    text.text.type = SDL_TEXTINPUT;
    text.text.windowID = id;
    std::snprintf(text.text.text, sizeof text.text.text, "a\xC3\xA9");
    ASSERT_EQ(SDL_PushEvent(&text), 1);

    const struct {
        UINT message;
        WPARAM wParam;
    } expected[] = {
        {WM_KEYDOWN, 0x0D}, {WM_CHAR, 0x0D}, {WM_KEYDOWN, 0x08}, {WM_CHAR, 0x08},
        {WM_KEYDOWN, 'A'},  {WM_CHAR, 'a'},  {WM_CHAR, 0xE9},
    };
    std::vector<MSG> got;
    MSG msg;
    while (PeekMessageA(&msg, m_window, WM_KEYDOWN, WM_CHAR, PM_REMOVE))
        got.push_back(msg);
    ASSERT_EQ(got.size(), std::size(expected));
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].message, expected[i].message);
        EXPECT_EQ(got[i].wParam, expected[i].wParam);
    }
    EXPECT_EQ(got[1].lParam, got[0].lParam) << "the character carries its key's lParam";
}

// A click whose down and up are translated in one pump still reports the
// button down on its down message and up on its up message.
TEST_F(MessageQueue, ButtonMessagesReportTheirOwnButton)
{
    REQUIRE_GL(m_window->sdl, std::string("no SDL window: ") + SDL_GetError());
    const Uint32 id = SDL_GetWindowID(m_window->sdl);
    const struct {
        Uint32 type;
        Uint8 button;
        UINT message;
        WORD set;
    } cases[] = {
        {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, WM_LBUTTONDOWN, MK_LBUTTON},
        {SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, WM_LBUTTONUP, 0},
        {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, WM_MBUTTONDOWN, MK_MBUTTON},
        {SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, WM_MBUTTONUP, 0},
    };
    drain();
    for (const auto& c : cases) {
        SDL_Event e{};
        e.button = SDL_MouseButtonEvent{c.type, 0, id, 0, c.button,
                                        Uint8(c.type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED), 1, 0, 3, -4};
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    std::vector<MSG> got;
    MSG msg;
    while (PeekMessageA(&msg, m_window, WM_LBUTTONDOWN, WM_MBUTTONUP, PM_REMOVE))
        got.push_back(msg);
    ASSERT_EQ(got.size(), std::size(cases));
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].message, cases[i].message);
        const WORD own = cases[i].button == SDL_BUTTON_LEFT ? MK_LBUTTON : MK_MBUTTON;
        EXPECT_EQ(got[i].wParam & own, cases[i].set);
        EXPECT_EQ(got[i].lParam, MAKELPARAM(3, WORD(-4)));
    }
}

// WM_QUIT comes after every other message, ignores the range filter, and a
// second PostQuitMessage before it is taken only replaces the exit code.
TEST_F(MessageQueue, QuitComesLastOnceAndPassesRangeFilters)
{
    PostQuitMessage(5);
    postWindowMessage(m_window, WM_PAINT, 0, 0);
    PostQuitMessage(-2);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYUP, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_QUIT) << "outside the range only the quit message matches";
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, WM_PAINT);
    EXPECT_FALSE(PeekMessageA(&msg, m_window, 0, 0, PM_NOREMOVE)) << "quit is no message of the window";
    ASSERT_EQ(GetMessageA(&msg, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE), FALSE);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.wParam, WPARAM(-2));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "one quit message only";
}

// A destroyed window's handle is refused: nothing is queued for it, and
// waiting on it ends with -1 instead of never.
TEST_F(MessageQueue, DestroyedHandlesAreRefused)
{
    const HWND dead = m_window;
    ASSERT_TRUE(DestroyWindow(dead));
    drain();
    postWindowMessage(dead, WM_PAINT, 0, 0);
    MSG msg{};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_FALSE(PeekMessageA(&msg, dead, 0, 0, PM_REMOVE));
    EXPECT_EQ(GetMessageA(&msg, dead, 0, 0), -1);
    g_seen.clear();
    msg = MSG{dead, WM_PAINT, 0, 0, 0, {}};
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    EXPECT_TRUE(g_seen.empty());
}

} // namespace
