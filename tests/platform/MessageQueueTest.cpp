#include "platform/win/MessageQueue.h"
#include "platform/win/Window.h"
#include "platform/win/WindowRecord.h"

#include <gtest/gtest.h>

#include <SDL2/SDL.h>
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
    if (!m_window->sdl)
        GTEST_SKIP() << "no video driver";
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

} // namespace
