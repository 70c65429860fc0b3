// Feeds arbitrary bytes to the settings reader as the text of settings.xml.
#include "game/app/Settings.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Settings settings;
    settings.parse(std::string(reinterpret_cast<const char*>(data), size));
    // Whatever was read must be in range.
    if (settings.language < 0 || settings.language > 4 || !(settings.gamma >= 0.0f && settings.gamma <= 1.0f) ||
        settings.textureDetail < -2 || settings.textureDetail > 0)
        __builtin_trap();
    return 0;
}
