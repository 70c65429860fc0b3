#include "platform/win/SdlVideo.h"

#include "platform/d3d9/GlContext.h"

#include <SDL2/SDL.h>
#include <csignal>

bool sdlVideoReady()
{
    static const bool ready = [] {
        // Windows closes a program's windows without quitting it; the window
        // procedure decides. SDL's own quit on the last close would bypass it.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
        const bool started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        // A program may hold back interrupt and termination requests until
        // SDL has its handlers in place, which turn them into a close of
        // every window; from here on they arrive that way.
        sigset_t requests;
        sigemptyset(&requests);
        sigaddset(&requests, SIGINT);
        sigaddset(&requests, SIGTERM);
        pthread_sigmask(SIG_UNBLOCK, &requests, nullptr);
        if (!started)
            return false;
        // X11 picks a window's visual from these when the window is made, so
        // they must be in place before the first window.
        GlContext::configureAttributes();
        return true;
    }();
    return ready;
}
