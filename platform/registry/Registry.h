#pragma once
#include "platform/win/WinTypes.h"

// platform/registry: the read-only registry the engine's settings come from,
// kept in a text file of typed values, one per line:
//
//   HKEY_LOCAL_MACHINE\Software\Brennic\Vantrel\MultisampleType = dword:00000004
//   HKEY_LOCAL_MACHINE\Software\Brennic\Vantrel\Comment = "any text"
//
// The left side is the key path and the value name after its last backslash,
// matched ignoring case like the real registry. dword values are hexadecimal
// as in .reg files; strings are quoted with \" and \\ escapes. Lines starting
// with '#' or ';' are comments. A key exists when any value lies at or below
// it. The file is $VORLUND_REGISTRY when set, else "registry.txt" beside the
// program; a missing file is an empty registry, and so is one over 1 MiB
// (no hand-written registry comes near that).

struct RegistryKeyTag;
using HKEY = RegistryKeyTag*;
using REGSAM = DWORD;

inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(uintptr_t(0x80000000));
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(uintptr_t(0x80000001));
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(uintptr_t(0x80000002));
inline const HKEY HKEY_USERS = reinterpret_cast<HKEY>(uintptr_t(0x80000003));

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_DWORD = 4;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;

// Asking for write access is refused: nothing is ever written.
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, HKEY* result);
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
LONG RegCloseKey(HKEY key);

// Test seam: read this file instead (null: back to the default lookup).
void setRegistryFile(const char* path);
