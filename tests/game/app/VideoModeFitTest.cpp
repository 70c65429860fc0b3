// The video mode of settings.xml fitted to the display before the windows
// open: full screen at one of the adapter's modes or the desktop's, a window
// between 640 x 480 and the desktop, and nothing touched without a desktop
// mode to judge by.
#include "engine/core/display/AdapterInfo.h"
#include "game/app/Settings.h"
#include "game/app/VideoModeFit.h"

#include <gtest/gtest.h>

namespace {

AdapterInfo adapter(UINT desktopWidth, UINT desktopHeight, std::initializer_list<std::pair<UINT, UINT>> modes)
{
    AdapterInfo info;
    info.currentMode = {desktopWidth, desktopHeight, 60, D3DFMT_X8R8G8B8};
    for (const auto& [w, h] : modes)
        info.modes.push_back({w, h, 60, D3DFMT_X8R8G8B8});
    info.modeCount = int32_t(info.modes.size());
    return info;
}

} // namespace

TEST(VideoModeFit, FullScreenAndWindowTakeWhatTheDisplayShows)
{
    const AdapterInfo monitor = adapter(1920, 1080, {{800, 600}, {1024, 768}, {1280, 1024}, {1920, 1080}});
    const AdapterInfo single = adapter(1280, 1024, {{1280, 1024}}); // a display that cannot switch modes
    const AdapterInfo small = adapter(800, 600, {{800, 600}});
    struct Case {
        const char* what;
        const AdapterInfo& display;
        uint8_t windowed;
        int32_t width, height;
        bool changed;
        int32_t fittedWidth, fittedHeight;
    };
    const Case cases[] = {
        {"a mode of the display", monitor, 0, 1024, 768, false, 1024, 768},
        {"the desktop's own mode", single, 0, 1280, 1024, false, 1280, 1024},
        {"no mode of this display: the desktop's", single, 0, 1024, 768, true, 1280, 1024},
        {"no mode anywhere", monitor, 0, 100000, 0, true, 1920, 1080},
        {"a window that fits", monitor, 1, 1600, 900, false, 1600, 900},
        {"a window as large as the desktop", monitor, 1, 1920, 1080, false, 1920, 1080},
        {"a window larger than the desktop", monitor, 1, 100000, 768, true, 1024, 768},
        {"a window of no height", monitor, 1, 1024, 0, true, 1024, 768},
        {"a window too small to read", monitor, 1, 320, 200, true, 1024, 768},
        {"the default window on a small desktop", small, 1, 1024, 768, true, 800, 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Settings settings("unused");
        settings.windowed = c.windowed;
        settings.width = c.width;
        settings.height = c.height;
        EXPECT_EQ(fitVideoMode(settings, c.display), c.changed);
        EXPECT_EQ(settings.width, c.fittedWidth);
        EXPECT_EQ(settings.height, c.fittedHeight);
        EXPECT_EQ(settings.windowed, c.windowed);
    }
}

TEST(VideoModeFit, WithoutADesktopModeNothingChanges)
{
    Settings settings("unused");
    settings.width = 100000;
    settings.height = 0;
    EXPECT_FALSE(fitVideoMode(settings, AdapterInfo{}));
    EXPECT_EQ(settings.width, 100000);
    EXPECT_EQ(settings.height, 0);
}
