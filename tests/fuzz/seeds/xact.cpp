// Seeds for the bank checks: a small set of the three banks from our writer,
// each behind the byte that selects its kind.
#include "SeedRegistry.h"

#include "tools/lib/XactBankWriter.h"

#include <cmath>
#include <string>

VORLUND_SEEDS(fuzz_xact_banks)
{
    using namespace xact;
    GlobalSettings settings;
    settings.categories = {{"Global", kNoParent}, {"Default", 0}, {"Music", 0}};
    for (int i = 0; i < 9; ++i)
        settings.variables.push_back({"var" + std::to_string(i), kPublic, 0, -2, 20});
    std::vector<Wave> waves(3);
    for (size_t i = 0; i < waves.size(); ++i) {
        waves[i].channels = uint16_t(1 + i % 2);
        for (int n = 0; n < 64; ++n)
            waves[i].samples.push_back(int16_t(3000 * std::sin(n * 0.3 * (i + 1))));
    }
    SoundBank bank;
    bank.name = "Seeds";
    bank.waveBankName = "SeedWaves";
    bank.sounds = {{1, 0, 0, 0, 0}, {2, -3, 1, 255, 1}, {1, 0, 2, 0, 0}};
    for (uint16_t sound : {0, 2}) {
        Cue cue;
        cue.name = "cue" + std::to_string(sound);
        cue.sound = sound;
        bank.cues.push_back(cue);
    }
    Cue music;
    music.name = "music";
    music.variable = 7;
    music.entries = {{1, -1, -1}, {2, 0, 3}};
    bank.cues.push_back(music);

    auto kind = [](uint8_t k, std::vector<uint8_t> bytes) {
        bytes.insert(bytes.begin(), k);
        return std::vector<unsigned char>(bytes.begin(), bytes.end());
    };
    seeds::writeFile(dir / "settings", kind(0, writeGlobalSettings(settings)));
    seeds::writeFile(dir / "waves", kind(1, writeWaveBank(bank.waveBankName, waves)));
    seeds::writeFile(dir / "sounds", kind(2, writeSoundBank(bank)));
}
