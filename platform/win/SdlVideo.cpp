#include "platform/win/SdlVideo.h"

#include "platform/d3d9/GlContext.h"

#include <SDL2/SDL.h>

bool sdlVideoReady()
{
    static const bool ready = [] {
        // Windows closes a program's windows without quitting it; the window
        // procedure decides. SDL's own quit on the last close would bypass it.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            return false;
        // X11 picks a window's visual from these when the window is made, so
        // they must be in place before the first window.
        GlContext::configureAttributes();
        return true;
    }();
    return ready;
}
