#include "engine/core/display/EngineSettings.h"

#include "platform/registry/Registry.h"

namespace {

// Only a REG_DWORD replaces the default; anything else stored under the
// name is ignored, as the registry's readers on Windows do.
template <typename T>
void readDword(HKEY key, const char* name, T& field)
{
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS
        && type == REG_DWORD && size == sizeof(value))
        field = T(value);
}

} // namespace

EngineSettings::EngineSettings() : title("Quenlight 3D Realtime Technology by Brennic")
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Brennic\\Vantrel", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    readDword(key, "ResolutionWidth", width);
    readDword(key, "ResolutionHeight", height);
    readDword(key, "MultisampleType", multisampleType);
    readDword(key, "MultisampleQuality", multisampleQuality);
    RegCloseKey(key);
}
