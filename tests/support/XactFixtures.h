#pragma once
#include "tools/lib/XactBankWriter.h"

#include <cstdint>
#include <vector>

// Small banks laid out the way the game expects its own: categories Global,
// Default and Music; variables 0-8 with "SpeedOfSound" at 6, the music
// selector at 7 and the kart speed at 8; 27 cues of short tones, cue 21 the
// looping music that follows variable 7 (-1 the menu track, 0..1 the race
// track), cue 26 the skid limited to a few instances.
struct XactFixture {
    xact::GlobalSettings settings;
    xact::SoundBank soundBank;
    std::vector<xact::Wave> waves;

    std::vector<uint8_t> globalBytes() const { return xact::writeGlobalSettings(settings); }
    std::vector<uint8_t> waveBytes() const { return xact::writeWaveBank(soundBank.waveBankName, waves); }
    std::vector<uint8_t> soundBytes() const { return xact::writeSoundBank(soundBank); }
};

XactFixture gameXactFixture();

constexpr uint16_t kFixtureMenuSound = 21;
constexpr uint16_t kFixtureRaceSound = 27;
// The two music sounds tell themselves apart by priority.
constexpr uint8_t kMenuPriority = 0;
constexpr uint8_t kRacePriority = 2;
