#pragma once
#include "platform/win/WinTypes.h"

#include <SDL2/SDL_scancode.h>

// One physical key: SDL's scancode, Windows' virtual-key code and the
// DirectInput DIK_ code, whose bit 7 is Windows' extended-key flag.
struct KeyCode {
    SDL_Scancode scancode;
    BYTE virtualKey;
    BYTE dik;
};

// Null for a key Windows has no virtual-key code for.
const KeyCode* findKeyCode(SDL_Scancode scancode);
// The first key (the left or main one) with that virtual-key code, or null.
const KeyCode* findVirtualKey(BYTE virtualKey);
