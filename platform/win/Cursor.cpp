#include "platform/win/Cursor.h"

#include "platform/win/SdlVideo.h"

#include <SDL2/SDL.h>

namespace {

HCURSOR g_current = nullptr;

SDL_SystemCursor systemCursorOf(HCURSOR cursor)
{
    return reinterpret_cast<uintptr_t>(cursor) == reinterpret_cast<uintptr_t>(IDC_CROSS) ? SDL_SYSTEM_CURSOR_CROSSHAIR
                                                                                       : SDL_SYSTEM_CURSOR_ARROW;
}

} // namespace

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    if (instance || (name != IDC_ARROW && name != IDC_CROSS))
        return nullptr;
    return reinterpret_cast<HCURSOR>(const_cast<char*>(name));
}

HCURSOR SetCursor(HCURSOR cursor)
{
    const HCURSOR previous = g_current;
    g_current = cursor;
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return previous;
    if (!cursor) {
        SDL_ShowCursor(SDL_DISABLE);
        return previous;
    }
    // SDL keeps the cursor in use alive; the two system cursors are made once
    // and live as long as the process.
    static SDL_Cursor* made[SDL_NUM_SYSTEM_CURSORS] = {};
    const SDL_SystemCursor id = systemCursorOf(cursor);
    if (!made[id])
        made[id] = SDL_CreateSystemCursor(id);
    if (made[id])
        SDL_SetCursor(made[id]);
    SDL_ShowCursor(SDL_ENABLE);
    return previous;
}

BOOL GetCursorPos(POINT* point)
{
    if (!point || !SDL_WasInit(SDL_INIT_VIDEO))
        return FALSE;
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    *point = POINT{x, y};
    return TRUE;
}
