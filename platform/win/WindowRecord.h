#pragma once
#include "platform/win/Window.h"

#include <string>

struct SDL_Window;

// What an HWND points at. Only platform/ looks inside.
struct WindowRecord {
    WNDPROC procedure = nullptr;
    std::string className;
    std::string title;
    DWORD style = 0;
    int x = 0;
    int y = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    bool visible = false;
    // Null when no video driver could start: the window then exists as a
    // record only, which is enough for everything but drawing.
    SDL_Window* sdl = nullptr;
    bool destroying = false;
};

// Whether a handle names a window that still exists.
bool windowIsLive(HWND window);
// Sends a message straight to the window's procedure, as SendMessage does.
LRESULT sendWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The live window behind an SDL window id, or null.
HWND windowFromSdlId(uint32_t id);
// Every live window, oldest first.
int liveWindowCount();
HWND liveWindow(int index);
