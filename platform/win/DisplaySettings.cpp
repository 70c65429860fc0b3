#include "platform/win/DisplaySettings.h"

#include "platform/win/SdlVideo.h"

#include <SDL2/SDL.h>
#include <cstring>

BOOL EnumDisplaySettingsA(LPCSTR deviceName, DWORD modeNumber, DEVMODEA* mode)
{
    if (!mode || modeNumber != ENUM_CURRENT_SETTINGS || !sdlVideoReady())
        return FALSE;
    int display = 0;
    if (deviceName) {
        display = -1;
        for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
            const char* name = SDL_GetDisplayName(i);
            if (name && std::strcmp(name, deviceName) == 0)
                display = i;
        }
        if (display < 0)
            return FALSE;
    }
    SDL_DisplayMode current;
    if (SDL_GetDesktopDisplayMode(display, &current) != 0)
        return FALSE;
    const WORD size = mode->dmSize;
    std::memset(mode, 0, sizeof(*mode));
    mode->dmSize = size;
    if (const char* name = SDL_GetDisplayName(display))
        std::strncpy(mode->dmDeviceName, name, sizeof(mode->dmDeviceName) - 1);
    mode->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    mode->dmBitsPerPel = SDL_BITSPERPIXEL(current.format) == 24 ? 32 : SDL_BITSPERPIXEL(current.format);
    mode->dmPelsWidth = DWORD(current.w);
    mode->dmPelsHeight = DWORD(current.h);
    mode->dmDisplayFrequency = DWORD(current.refresh_rate);
    return TRUE;
}
