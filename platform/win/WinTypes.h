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

using ULONG = unsigned long;
using SHORT = int16_t;
using ATOM = WORD;
using LPVOID = void*;
using HANDLE = void*;
using INT_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using LONG_PTR = intptr_t;

// Handles the layer never looks into: the program instance, icons, cursors,
// brushes and menus are carried through and compared, nothing more.
struct InstanceTag;
using HINSTANCE = InstanceTag*;
struct IconTag;
using HICON = IconTag*;
using HCURSOR = HICON;
struct BrushTag;
using HBRUSH = BrushTag*;
struct MenuTag;
using HMENU = MenuTag*;
// A monitor is named by its display index + 1, so null stays "no monitor".
struct MonitorTag;
using HMONITOR = MonitorTag*;

struct POINT {
    LONG x;
    LONG y;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};

union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    };
    int64_t QuadPart;
};

constexpr WORD LOWORD(uintptr_t v) { return WORD(v & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) { return WPARAM(DWORD(low) | (DWORD(high) << 16)); }
constexpr LPARAM MAKELPARAM(WORD low, WORD high) { return LPARAM(DWORD(low) | (DWORD(high) << 16)); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001u);
constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = HRESULT(0x8007000Eu);
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
