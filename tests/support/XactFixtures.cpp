#include "XactFixtures.h"

#include <cmath>
#include <string>

XactFixture gameXactFixture()
{
    using namespace xact;
    XactFixture f;
    f.settings.categories = {{"Global", kNoParent}, {"Default", 0}, {"Music", 0}};
    const uint8_t cue = kPublic | kReadOnly | kCueInstance;
    f.settings.variables = {
        {"NumCueInstances", cue, 0, 0, 1024},     {"Distance", kPublic | kCueInstance, 0, 0, 1e6f},
        {"DopplerPitchScalar", kPublic | kCueInstance, 1, 0, 4}, {"OrientationAngle", kPublic | kCueInstance, 0, -180, 180},
        {"AttackTime", kCueInstance, 0, 0, 1e6f}, {"ReleaseTime", kCueInstance, 0, 0, 1e6f},
        {"SpeedOfSound", kPublic, 343.5f, 0, 1e6f}, {"MusicSelect", kPublic, -1, -2, 16},
        {"KartSpeed", kPublic, 0, 0, 20}};
    // One short tone per cue and a longer one for the race track.
    for (int i = 0; i < 28; ++i) {
        Wave w;
        w.sampleRate = 22050;
        for (int n = 0; n < 441; ++n)
            w.samples.push_back(int16_t(8000 * std::sin(n * (0.05 + 0.01 * i))));
        f.waves.push_back(std::move(w));
    }
    f.soundBank.name = "TestSounds";
    f.soundBank.waveBankName = "TestWaves";
    for (uint16_t i = 0; i < 28; ++i) {
        const bool music = i == kFixtureMenuSound || i == kFixtureRaceSound;
        f.soundBank.sounds.push_back({uint16_t(music ? 2 : 1), 0.0f, i, uint8_t(music ? 255 : 0), i == kFixtureRaceSound ? kRacePriority : kMenuPriority});
    }
    for (uint16_t i = 0; i < 27; ++i) {
        Cue c;
        c.name = "cue" + std::to_string(i);
        c.sound = i;
        if (i == 21) {
            c.variable = 7;
            c.entries = {{kFixtureMenuSound, -1, -1}, {kFixtureRaceSound, 0, 1}};
        }
        if (i == 26)
            c.instanceLimit = 4;
        f.soundBank.cues.push_back(std::move(c));
    }
    return f;
}
