#include "platform/win/Window.h"

#include "platform/d3d9/GlContext.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/SdlVideo.h"
#include "platform/win/WindowRecord.h"
#include "platform/win/WindowTimer.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <strings.h>
#include <vector>

namespace {

struct RegisteredClass {
    std::string name;
    WNDPROC procedure;
};

std::vector<RegisteredClass>& classes()
{
    static std::vector<RegisteredClass> table;
    return table;
}

std::vector<WindowRecord*>& windows()
{
    static std::vector<WindowRecord*> live;
    return live;
}

const RegisteredClass* findClass(const char* name)
{
    if (!name)
        return nullptr;
    for (const RegisteredClass& c : classes())
        if (strcasecmp(c.name.c_str(), name) == 0)
            return &c;
    return nullptr;
}

bool isLive(HWND window)
{
    if (!window)
        return false;
    const auto& live = windows();
    return std::find(live.begin(), live.end(), window) != live.end();
}

} // namespace

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass)
{
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc)
        return 0;
    if (findClass(windowClass->lpszClassName))
        return 0;
    classes().push_back({windowClass->lpszClassName, windowClass->lpfnWndProc});
    return ATOM(0xC000 + classes().size() - 1);
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    const RegisteredClass* windowClass = findClass(className);
    if (!windowClass)
        return nullptr;
    auto* record = new WindowRecord;
    record->procedure = windowClass->procedure;
    record->className = windowClass->name;
    record->title = windowName ? windowName : "";
    record->style = style;
    record->x = x == CW_USEDEFAULT ? 0 : x;
    record->y = y == CW_USEDEFAULT ? 0 : y;
    record->clientWidth = width == CW_USEDEFAULT || width <= 0 ? 640 : width;
    record->clientHeight = height == CW_USEDEFAULT || height <= 0 ? 480 : height;
    record->visible = (style & WS_VISIBLE) != 0;

    if (sdlVideoReady()) {
        const int sdlX = x == CW_USEDEFAULT ? int(SDL_WINDOWPOS_UNDEFINED) : x;
        const int sdlY = x == CW_USEDEFAULT ? int(SDL_WINDOWPOS_UNDEFINED) : y;
        Uint32 flags = record->visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
        if (style & WS_THICKFRAME)
            flags |= SDL_WINDOW_RESIZABLE;
        if (!(style & WS_CAPTION))
            flags |= SDL_WINDOW_BORDERLESS;
        record->sdl = SDL_CreateWindow(record->title.c_str(), sdlX, sdlY, record->clientWidth,
                                       record->clientHeight, flags | SDL_WINDOW_OPENGL);
        // A video driver without OpenGL still gives us windows for messages.
        if (!record->sdl)
            record->sdl = SDL_CreateWindow(record->title.c_str(), sdlX, sdlY, record->clientWidth,
                                           record->clientHeight, flags);
    }
    windows().push_back(record);
    return record;
}

bool windowIsLive(HWND window)
{
    return isLive(window);
}

BOOL DestroyWindow(HWND window)
{
    if (!isLive(window) || window->destroying)
        return FALSE;
    window->destroying = true;
    sendWindowMessage(window, WM_DESTROY, 0, 0);
    discardWindowMessages(window);
    killWindowTimers(window);
    auto& live = windows();
    live.erase(std::find(live.begin(), live.end(), window));
    if (window->sdl) {
        GlContext::windowDestroyed(window->sdl);
        SDL_DestroyWindow(window->sdl);
    }
    delete window;
    return TRUE;
}

BOOL ShowWindow(HWND window, int command)
{
    if (!isLive(window))
        return FALSE;
    const BOOL wasVisible = window->visible ? TRUE : FALSE;
    window->visible = command != SW_HIDE;
    if (window->sdl) {
        switch (command) {
        case SW_HIDE:
            SDL_HideWindow(window->sdl);
            break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
            SDL_MinimizeWindow(window->sdl);
            break;
        case SW_SHOWMAXIMIZED:
            SDL_MaximizeWindow(window->sdl);
            break;
        case SW_RESTORE:
            SDL_RestoreWindow(window->sdl);
            break;
        default:
            SDL_ShowWindow(window->sdl);
            break;
        }
    }
    return wasVisible;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER);
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    if (!isLive(window))
        return FALSE;
    if (!(flags & SWP_NOMOVE)) {
        window->x = x;
        window->y = y;
        if (window->sdl)
            SDL_SetWindowPosition(window->sdl, x, y);
    }
    if (!(flags & SWP_NOSIZE) && cx > 0 && cy > 0) {
        window->clientWidth = cx;
        window->clientHeight = cy;
        if (window->sdl)
            SDL_SetWindowSize(window->sdl, cx, cy);
    }
    if (window->sdl && !(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOPMOST)
            SDL_SetWindowAlwaysOnTop(window->sdl, SDL_TRUE);
        else if (insertAfter == HWND_NOTOPMOST)
            SDL_SetWindowAlwaysOnTop(window->sdl, SDL_FALSE);
    }
    if (flags & SWP_SHOWWINDOW)
        ShowWindow(window, SW_SHOW);
    if (flags & SWP_HIDEWINDOW)
        ShowWindow(window, SW_HIDE);
    return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect)
{
    if (!isLive(window) || !rect)
        return FALSE;
    int width = window->clientWidth;
    int height = window->clientHeight;
    // The window manager may have resized a window behind our back; SDL knows.
    if (window->sdl && !(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_MINIMIZED))
        SDL_GetWindowSize(window->sdl, &width, &height);
    *rect = RECT{0, 0, width, height};
    return TRUE;
}

BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu)
{
    return rect ? TRUE : FALSE;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE)
        DestroyWindow(window);
    return 0;
}

LRESULT sendWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!isLive(window) || !window->procedure)
        return 0;
    return window->procedure(window, message, wParam, lParam);
}

HWND windowFromSdlId(uint32_t id)
{
    for (WindowRecord* record : windows())
        if (record->sdl && SDL_GetWindowID(record->sdl) == id)
            return record;
    return nullptr;
}

int liveWindowCount()
{
    return int(windows().size());
}

HWND liveWindow(int index)
{
    return index >= 0 && index < liveWindowCount() ? windows()[size_t(index)] : nullptr;
}

BOOL UpdateWindow(HWND window)
{
    if (!isLive(window))
        return FALSE;
    sendWindowMessage(window, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL ValidateRect(HWND window, const RECT* rect)
{
    // Nothing is ever invalid: every frame draws the whole window.
    return TRUE;
}

HWND SetFocus(HWND window)
{
    static HWND focus = nullptr;
    const HWND previous = isLive(focus) ? focus : nullptr;
    if (!isLive(window))
        return previous;
    if (window->sdl)
        SDL_RaiseWindow(window->sdl);
    focus = window;
    return previous;
}

BOOL ClientToScreen(HWND window, POINT* point)
{
    if (!isLive(window) || !point)
        return FALSE;
    int x = window->x, y = window->y;
    if (window->sdl)
        SDL_GetWindowPosition(window->sdl, &x, &y);
    point->x += x;
    point->y += y;
    return TRUE;
}

HWND WindowFromPoint(POINT point)
{
    for (int i = liveWindowCount() - 1; i >= 0; --i) {
        HWND window = liveWindow(i);
        if (!window->sdl || !window->visible)
            continue;
        POINT origin{0, 0};
        RECT client{};
        ClientToScreen(window, &origin);
        GetClientRect(window, &client);
        if (point.x >= origin.x && point.x < origin.x + client.right && point.y >= origin.y
            && point.y < origin.y + client.bottom)
            return window;
    }
    return nullptr;
}
