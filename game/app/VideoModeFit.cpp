#include "game/app/VideoModeFit.h"

#include "engine/core/display/AdapterInfo.h"
#include "game/app/Settings.h"

#include <algorithm>

namespace {

constexpr int32_t kMinWindowWidth = 640;
constexpr int32_t kMinWindowHeight = 480;
constexpr int32_t kWindowWidth = 1024;
constexpr int32_t kWindowHeight = 768;

bool isMode(const AdapterInfo& adapter, int32_t width, int32_t height)
{
    return std::any_of(adapter.modes.begin(), adapter.modes.end(), [&](const D3DDISPLAYMODE& mode) {
        return int64_t(mode.Width) == width && int64_t(mode.Height) == height;
    });
}

} // namespace

bool fitVideoMode(Settings& settings, const AdapterInfo& adapter)
{
    const int32_t desktopWidth = int32_t(std::min<UINT>(adapter.currentMode.Width, INT32_MAX));
    const int32_t desktopHeight = int32_t(std::min<UINT>(adapter.currentMode.Height, INT32_MAX));
    if (desktopWidth <= 0 || desktopHeight <= 0)
        return false;
    int32_t width = settings.width;
    int32_t height = settings.height;
    if (!settings.windowed) {
        if (isMode(adapter, width, height) || (width == desktopWidth && height == desktopHeight))
            return false;
        width = desktopWidth;
        height = desktopHeight;
    } else {
        const bool fits = width >= std::min(kMinWindowWidth, desktopWidth) && width <= desktopWidth
                          && height >= std::min(kMinWindowHeight, desktopHeight) && height <= desktopHeight;
        if (fits)
            return false;
        width = std::min(kWindowWidth, desktopWidth);
        height = std::min(kWindowHeight, desktopHeight);
    }
    settings.width = width;
    settings.height = height;
    return true;
}
