#pragma once
#include "platform/win/WinTypes.h"

// The mouse cursor. Cursor handles name the system cursors by their IDC_
// resource numbers; a null cursor hides the pointer over our windows.

// MAKEINTRESOURCE numbers of the system cursors we offer.
inline const LPCSTR IDC_ARROW = reinterpret_cast<LPCSTR>(uintptr_t(32512));
inline const LPCSTR IDC_CROSS = reinterpret_cast<LPCSTR>(uintptr_t(32515));

// Only system cursors (a null instance); null for any other.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
// Answers the previous cursor.
HCURSOR SetCursor(HCURSOR cursor);
// The pointer in screen coordinates. FALSE without a display.
BOOL GetCursorPos(POINT* point);
