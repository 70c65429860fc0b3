#include "game/app/MainLoop.h"
#include "game/app/WinInput.h"
#include "game/app/WinMain.h"
#include "platform/win/Cursor.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/Window.h"

WinInput* g_input = nullptr;
HCURSOR g_cursor = nullptr;

LRESULT mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && g_input) {
            g_input->reset();
            SetCursor(g_cursor);
            g_windowActive = 1;
        }
        // Being minimised stops the frames; losing the focus does not.
        if (HIWORD(wParam) != 0)
            g_windowActive = 0;
        return 0;
    case WM_PAINT:
        ValidateRect(window, nullptr);
        return 0;
    case WM_SETCURSOR:
        SetCursor(g_cursor);
        return 1;
    case WM_SYSCOMMAND: {
        const WPARAM command = wParam & 0xFFF0;
        // Alt, the screen saver and monitor power-off do nothing to the game.
        if (command == SC_KEYMENU || command == SC_SCREENSAVE || command == SC_MONITORPOWER)
            return 0;
        break;
    }
    default:
        break;
    }
    if (g_input)
        return g_input->handleMessage(window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}
