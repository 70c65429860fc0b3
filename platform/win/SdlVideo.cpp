#include "platform/win/SdlVideo.h"

#include "platform/d3d9/GlContext.h"

#include <SDL2/SDL.h>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {

std::string& videoProblem()
{
    static std::string problem;
    return problem;
}

// Without a display SDL settles on a driver that draws nowhere; a game
// window there would be invisible and its GUI cannot start. Such a driver
// counts only when it was asked for by name.
bool headless(const char* driver)
{
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (asked && *asked)
        return false;
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

std::string describeMissingDisplay()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (x11 && *x11)
        return std::string("the display \"") + x11 + "\" could not be opened";
    if (wayland && *wayland)
        return std::string("the Wayland display \"") + wayland + "\" could not be opened";
    return "DISPLAY is not set";
}

sigset_t closeRequests()
{
    sigset_t requests;
    sigemptyset(&requests);
    sigaddset(&requests, SIGINT);
    sigaddset(&requests, SIGTERM);
    return requests;
}

} // namespace

void holdCloseRequests()
{
    const sigset_t requests = closeRequests();
    pthread_sigmask(SIG_BLOCK, &requests, nullptr);
}

std::string sdlVideoProblem()
{
    sdlVideoReady();
    return videoProblem();
}

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
        const sigset_t requests = closeRequests();
        pthread_sigmask(SIG_UNBLOCK, &requests, nullptr);
        if (started && headless(SDL_GetCurrentVideoDriver()))
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (!started || !SDL_WasInit(SDL_INIT_VIDEO)) {
            videoProblem() = describeMissingDisplay();
            return false;
        }
        // X11 picks a window's visual from these when the window is made, so
        // they must be in place before the first window.
        GlContext::configureAttributes();
        return true;
    }();
    return ready;
}
