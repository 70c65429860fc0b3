// Feeds arbitrary bytes to the checks that guard FAudio's bank parsers. The
// first byte chooses the bank kind: 0 global settings, 1 wave bank, 2 sound
// bank (checked against settings of three categories and nine variables).
#include "platform/audio/XactBankReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::string error;
    switch (data[0] % 3) {
    case 0: {
        XactGlobalInfo info;
        readXactGlobalSettings(data + 1, size - 1, info, error);
        break;
    }
    case 1: {
        XactWaveBankInfo info;
        readXactWaveBank(data + 1, size - 1, info, error);
        break;
    }
    default: {
        XactGlobalInfo globals;
        globals.categories = {"Global", "Default", "Music"};
        globals.variables.resize(9, {"v", kXactVariablePublic});
        XactSoundBankInfo info;
        readXactSoundBank(data + 1, size - 1, globals, info, error);
        break;
    }
    }
    return 0;
}
