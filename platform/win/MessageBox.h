#pragma once
#include "platform/win/WinTypes.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr int IDOK = 1;

// Always writes "caption: text" to stderr; shows a real message box as well
// whenever a display exists, unless VORLUND_NO_MESSAGE_BOXES or CI is set
// (nobody would answer it).
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
