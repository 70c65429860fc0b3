#include "platform/win/MessageBox.h"

#include <SDL2/SDL.h>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

static bool interactiveDisplay()
{
    if (std::getenv("CI") || std::getenv("VORLUND_NO_MESSAGE_BOXES"))
        return false;
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        return false;
    return isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    const char* body = text ? text : "";
    const char* title = caption ? caption : "Error";
    std::fprintf(stderr, "%s: %s\n", title, body);
    if (interactiveDisplay()) {
        Uint32 flags = (type & 0xF0) == MB_ICONHAND ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_WARNING;
        SDL_ShowSimpleMessageBox(flags, title, body, nullptr);
    }
    return IDOK;
}
