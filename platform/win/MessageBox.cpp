#include "platform/win/MessageBox.h"

#include <SDL2/SDL_messagebox.h>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

namespace {

// A game started from a desktop launcher has no terminal, and the box is
// the only report its player sees: it is shown whenever there is a display
// to show it on. Test runs and CI, where nobody answers it, turn it off.
bool boxesWanted()
{
    if (std::getenv("CI") || std::getenv("VORLUND_NO_MESSAGE_BOXES"))
        return false;
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

using ShowSimpleMessageBox = decltype(&SDL_ShowSimpleMessageBox);

// SDL's message box, looked up the first time a box is shown: programs that
// never show one (the command-line tools) do not load SDL for it. In the
// game SDL is loaded already and this finds the same library.
ShowSimpleMessageBox showSimpleMessageBox()
{
    static const ShowSimpleMessageBox show = [] {
        void* sdl = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        return sdl ? reinterpret_cast<ShowSimpleMessageBox>(dlsym(sdl, "SDL_ShowSimpleMessageBox")) : nullptr;
    }();
    return show;
}

} // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    const char* body = text ? text : "";
    const char* title = caption ? caption : "Error";
    std::fprintf(stderr, "%s: %s\n", title, body);
    if (boxesWanted()) {
        if (ShowSimpleMessageBox show = showSimpleMessageBox()) {
            const Uint32 flags = (type & 0xF0) == MB_ICONHAND ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_WARNING;
            show(flags, title, body, nullptr);
        }
    }
    return IDOK;
}
