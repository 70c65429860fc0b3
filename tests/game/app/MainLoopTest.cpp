#include "game/app/MainLoop.h"

#include "game/app/WinMain.h"
#include "platform/crash/CrashDump.h"
#include "platform/d3d9/D3D9Types.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/Window.h"
#include "platform/win/WindowRecord.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A loop over a scripted device: each pass takes the next cooperative level
// and reset request, and every hook writes to the journal.
class FakeLoop : public MainLoop {
public:
    std::vector<std::string> journal;
    std::deque<HRESULT> levels;
    std::deque<bool> resetRequests;
    std::function<bool()> frame = [] { return true; };
    bool quit = false;
    int frames = 0;

protected:
    bool quitRequested() override { return quit; }
    bool takeResetRequest() override
    {
        if (resetRequests.empty())
            return false;
        const bool r = resetRequests.front();
        resetRequests.pop_front();
        return r;
    }
    HRESULT testCooperativeLevel() override
    {
        if (levels.empty()) {
            quit = true; // the script is over
            return D3D_OK;
        }
        const HRESULT r = levels.front();
        levels.pop_front();
        return r;
    }
    void lostDevice() override { journal.push_back("lost"); }
    void takeNewMode() override { journal.push_back("new mode"); }
    void resetDevices() override { journal.push_back("reset"); }
    void resetDevice() override { journal.push_back("restore"); }
    void giveInputNewMode() override { journal.push_back("input size"); }
    bool runFrame() override
    {
        ++frames;
        journal.push_back("frame");
        return guardedFrame(frame);
    }
    void endFrame() override { journal.push_back("end frame"); }
};

class MainLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        drain();
        g_windowActive = 1;
    }
    void TearDown() override
    {
        g_windowActive = 1;
        setCrashDumpFolder(nullptr);
        drain();
    }
    static void drain()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
};

TEST_F(MainLoopTest, ResetHandlingInOrder)
{
    struct Case {
        const char* name;
        std::vector<HRESULT> levels;
        std::vector<bool> requests;
        std::vector<std::string> journal;
    };
    const Case cases[] = {
        {"frames", {D3D_OK, D3D_OK}, {}, {"frame", "end frame", "frame", "end frame"}},
        {"mode change", {D3D_OK}, {true}, {"lost", "new mode", "reset", "restore", "input size", "frame", "end frame"}},
        {"not reset", {D3DERR_DEVICENOTRESET, D3D_OK}, {}, {"lost", "reset", "restore", "frame", "end frame"}},
        {"other result", {E_FAIL, D3D_OK}, {}, {"frame", "end frame"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeLoop loop;
        loop.levels.assign(c.levels.begin(), c.levels.end());
        loop.resetRequests.assign(c.requests.begin(), c.requests.end());
        for (size_t i = 0; i < c.levels.size(); ++i)
            loop.pass();
        EXPECT_EQ(loop.journal, c.journal);
        EXPECT_TRUE(loop.m_frameOk);
    }
}

TEST_F(MainLoopTest, LostDeviceOrInactiveWindowWaitsForAMessageInsteadOfAFrame)
{
    for (bool lost : {true, false}) {
        SCOPED_TRACE(lost);
        FakeLoop loop;
        g_windowActive = lost ? 1 : 0;
        loop.levels = {lost ? D3DERR_DEVICELOST : D3D_OK};
        // The message it waits for: the quit.
        PostQuitMessage(0);
        loop.pass();
        EXPECT_EQ(loop.frames, 0);
        EXPECT_TRUE(loop.m_quitReceived);
        EXPECT_TRUE(loop.journal.empty());
    }
}

TEST_F(MainLoopTest, QuitMessageOrQuitFlagEndsTheLoop)
{
    FakeLoop loop;
    loop.levels = {D3D_OK, D3D_OK, D3D_OK, D3D_OK};
    loop.frame = [] {
        PostQuitMessage(0);
        return true;
    };
    loop.run();
    EXPECT_EQ(loop.frames, 1);
    EXPECT_TRUE(loop.m_quitReceived);

    FakeLoop flagged;
    flagged.levels = {D3D_OK, D3D_OK, D3D_OK};
    flagged.frame = [&flagged] {
        flagged.quit = flagged.frames == 2;
        return true;
    };
    flagged.run();
    EXPECT_EQ(flagged.frames, 2);
    EXPECT_FALSE(flagged.m_quitReceived);
}

TEST_F(MainLoopTest, ClosingTheMainWindowEndsTheLoop)
{
    static bool registered = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = mainWindowProc;
        wc.lpszClassName = "MainLoopTest";
        return RegisterClassExA(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    HWND window = CreateWindowExA(0, "MainLoopTest", "main", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    FakeLoop loop;
    loop.levels = {D3D_OK, D3D_OK, D3D_OK};
    loop.frame = [&] {
        if (loop.frames == 1)
            postWindowMessage(window, WM_CLOSE, 0, 0);
        return true;
    };
    loop.run();
    EXPECT_EQ(loop.frames, 1);
    EXPECT_TRUE(loop.m_quitReceived);
    EXPECT_FALSE(windowIsLive(window));
}

TEST_F(MainLoopTest, WindowProcedureKeepsFramesWhileFocusedAndStopsThemWhenMinimised)
{
    struct Case {
        WPARAM wParam;
        uint8_t before, after;
    };
    const Case cases[] = {
        {MAKEWPARAM(WA_ACTIVE, 1), 1, 0},   // minimised
        {MAKEWPARAM(WA_INACTIVE, 0), 1, 1}, // another window took the focus
        {MAKEWPARAM(WA_INACTIVE, 0), 0, 0},
        {MAKEWPARAM(WA_ACTIVE, 0), 0, 0},   // no input object yet
    };
    for (const Case& c : cases) {
        g_windowActive = c.before;
        EXPECT_EQ(mainWindowProc(nullptr, WM_ACTIVATE, c.wParam, 0), 0);
        EXPECT_EQ(g_windowActive, c.after);
    }
    for (WPARAM command : {SC_KEYMENU, SC_SCREENSAVE, SC_MONITORPOWER | 2})
        EXPECT_EQ(mainWindowProc(nullptr, WM_SYSCOMMAND, command, 0), 0);
    EXPECT_EQ(mainWindowProc(nullptr, WM_SETCURSOR, 0, 0), 1);
}

TEST_F(MainLoopTest, AThrowingFrameWritesADumpAndEndsTheLoop)
{
    const auto folder = std::filesystem::temp_directory_path() / ("vorlund-dumps-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    setCrashDumpFolder(folder.c_str());
    FakeLoop loop;
    loop.levels = {D3D_OK, D3D_OK, D3D_OK};
    loop.frame = [&loop]() -> bool {
        if (loop.frames == 2)
            throw std::runtime_error("wheel fell off");
        return true;
    };
    loop.run();
    EXPECT_EQ(loop.frames, 2);
    EXPECT_FALSE(loop.m_frameOk);
    // The input's per-frame reset still runs after the failed frame.
    EXPECT_EQ(loop.journal.back(), "end frame");
    std::vector<std::filesystem::path> dumps;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        dumps.push_back(entry.path());
    ASSERT_EQ(dumps.size(), 1u);
    const std::string name = dumps[0].filename().string();
    const std::string tail = "-" + std::to_string(getpid()) + "-" + std::to_string(gettid()) + ".dmp";
    EXPECT_EQ(name.rfind("v1.0-", 0), 0u) << name;
    EXPECT_EQ(name.size(), std::string("v1.0-20261210-171500").size() + tail.size()) << name;
    EXPECT_EQ(name.substr(name.size() - tail.size()), tail);
    std::FILE* file = std::fopen(dumps[0].c_str(), "r");
    ASSERT_NE(file, nullptr);
    char text[512] = {};
    std::fread(text, 1, sizeof(text) - 1, file);
    std::fclose(file);
    EXPECT_NE(std::string(text).find("std::runtime_error: wheel fell off"), std::string::npos) << text;
    EXPECT_NE(std::string(text).find("backtrace:"), std::string::npos);
    std::filesystem::remove_all(folder);
}

} // namespace
