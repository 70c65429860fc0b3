#pragma once
#include "platform/win/WinTypes.h"

// Win32's longest computer name, without its terminating zero.
constexpr DWORD MAX_COMPUTERNAME_LENGTH = 15;

// This machine's name (the host name) into the buffer of *size bytes: TRUE
// with *size set to its length when it fits with its terminating zero, else
// FALSE with *size set to the bytes it needs and the buffer untouched.
BOOL GetComputerNameA(LPSTR buffer, DWORD* size);
