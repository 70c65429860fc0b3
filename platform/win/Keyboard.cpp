#include "platform/win/Keyboard.h"

#include "platform/win/KeyTable.h"

UINT MapVirtualKeyA(UINT code, UINT mapType)
{
    if (mapType != MAPVK_VK_TO_VSC || code > 0xFF)
        return 0;
    // The left and right variants share their key's scan code.
    switch (code) {
    case VK_LSHIFT:
        return 0x2A;
    case VK_RSHIFT:
        return 0x36;
    case VK_LCONTROL:
    case VK_RCONTROL:
        return 0x1D;
    case VK_LMENU:
    case VK_RMENU:
        return 0x38;
    default:
        break;
    }
    const KeyCode* key = findVirtualKey(BYTE(code));
    return key ? UINT(key->dik & 0x7F) : 0;
}

UINT MapVirtualKeyExA(UINT code, UINT mapType, HKL layout)
{
    return MapVirtualKeyA(code, mapType);
}

HKL GetKeyboardLayout(DWORD thread)
{
    // US English, the one layout the key table knows.
    return reinterpret_cast<HKL>(uintptr_t(0x04090409));
}
