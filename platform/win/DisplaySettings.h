#pragma once
#include "platform/win/WinTypes.h"

// The fields of DEVMODEA that describe a display mode; the printer half of
// the Windows record is left out.
struct DEVMODEA {
    char dmDeviceName[32];
    WORD dmSize;
    DWORD dmFields;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmDisplayFrequency;
};

constexpr DWORD ENUM_CURRENT_SETTINGS = DWORD(-1);
constexpr DWORD DM_BITSPERPEL = 0x00040000;
constexpr DWORD DM_PELSWIDTH = 0x00080000;
constexpr DWORD DM_PELSHEIGHT = 0x00100000;
constexpr DWORD DM_DISPLAYFREQUENCY = 0x00400000;

// Answers the current mode of the first display (deviceName null) or of the
// display whose SDL name is deviceName. FALSE without a display.
BOOL EnumDisplaySettingsA(LPCSTR deviceName, DWORD modeNumber, DEVMODEA* mode);
