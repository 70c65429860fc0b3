#pragma once
// platform/: our own replacements for the Windows interfaces the engine and
// the game were written against, with the names and numeric values they use.
// Only platform/ includes SDL, GL, FAudio or socket headers.
#include <cstdint>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = unsigned int;
using INT = int;
using LONG = int32_t;
using BOOL = int;
using HRESULT = int32_t;
using LPCSTR = const char*;
using LPSTR = char*;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

struct WindowRecord;
using HWND = WindowRecord*;
