#include "platform/firewall/FirewallHelper.h"

#include <cstdio>

static bool isEmpty(const wchar_t* text)
{
    return !text || !*text;
}

FirewallHelper* FirewallHelper::create()
{
    return new FirewallHelper;
}

HRESULT FirewallHelper::addApp(const wchar_t* path, const wchar_t* name)
{
    return isEmpty(path) || isEmpty(name) ? kOutOfMemory : kOk;
}

HRESULT FirewallHelper::removeApp(const wchar_t* path)
{
    return isEmpty(path) ? kOutOfMemory : kOk;
}

bool FirewallHelper::isAppEnabled(const wchar_t* path)
{
    return !isEmpty(path);
}

bool FirewallHelper::canHost(const wchar_t* path)
{
    return isAppEnabled(path);
}

void FirewallHelper::onInstall(const wchar_t*)
{
    std::printf("No per-application firewall list on this system: nothing to register.\n");
    std::fflush(stdout);
}

void FirewallHelper::onUninstall() {}
