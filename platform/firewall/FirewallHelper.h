#pragma once
// platform/firewall: the program's entry in the system firewall. Linux
// desktops keep no per-application list of authorised programs, so every
// call answers as Windows does with its firewall switched off: nothing to
// add, nothing blocked.
#include "platform/win/WinTypes.h"

class FirewallHelper {
public:
    static constexpr HRESULT kOk = 0;
    static constexpr HRESULT kOutOfMemory = HRESULT(0x8007000E);

    // Never fails: there is always a profile to ask.
    static FirewallHelper* create();

    // An empty path or name answers E_OUTOFMEMORY and changes nothing.
    HRESULT addApp(const wchar_t* path, const wchar_t* name);
    HRESULT removeApp(const wchar_t* path);
    bool isAppEnabled(const wchar_t* path);
    bool canHost(const wchar_t* path);

    // At start-up and shut-down of the program: one line on the standard
    // output says that no registration is needed.
    static void onInstall(const wchar_t* name);
    static void onUninstall();
};
