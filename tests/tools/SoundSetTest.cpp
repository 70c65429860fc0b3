// The sound set description: the game's own set builds the banks the game
// expects, and a description with a fault is refused at its line.
#include "platform/audio/XactBankReader.h"
#include "tools/lib/SoundSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string gameDescription()
{
    std::ifstream in(std::string(std::getenv("VORLUND_SOURCE_DIR")) + "/data/soundfx/sounds.txt");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(SoundSet, TheGameSetHasEveryCueTheGamePlays)
{
    SoundSet set;
    std::string error;
    ASSERT_TRUE(parseSoundSet(gameDescription(), set, error)) << error;
    ASSERT_EQ(set.soundBank.cues.size(), 27u);
    const xact::Cue& music = set.soundBank.cues[21];
    EXPECT_EQ(music.variable, 7);
    ASSERT_EQ(music.entries.size(), 2u); // menu and race
    EXPECT_EQ(set.settings.variables[6].name, "SpeedOfSound");
    EXPECT_EQ(set.settings.categories[1].name, "Default");
    EXPECT_EQ(set.settings.categories[2].name, "Music");
    for (const xact::Sound& s : set.soundBank.sounds) {
        const auto& samples = set.waves[s.wave].samples;
        const int peak = std::abs(*std::max_element(samples.begin(), samples.end(), [](int16_t a, int16_t b) {
            return std::abs(a) < std::abs(b);
        }));
        EXPECT_GT(peak, 1000) << "wave " << s.wave << " is silent";
    }
    for (const auto& e : music.entries)
        EXPECT_EQ(set.soundBank.sounds[e.sound].loopCount, 255);

    const auto globals = xact::writeGlobalSettings(set.settings);
    const auto waves = xact::writeWaveBank(set.soundBank.waveBankName, set.waves);
    const auto sounds = xact::writeSoundBank(set.soundBank);
    EXPECT_LT(globals.size() + waves.size() + sounds.size(), 4u << 20);
    XactGlobalInfo g;
    XactWaveBankInfo w;
    XactSoundBankInfo s;
    ASSERT_TRUE(readXactGlobalSettings(globals.data(), globals.size(), g, error)) << error;
    ASSERT_TRUE(readXactWaveBank(waves.data(), waves.size(), w, error)) << error;
    ASSERT_TRUE(readXactSoundBank(sounds.data(), sounds.size(), g, s, error)) << error;
    EXPECT_EQ(s.waveBanks, std::vector<std::string>{w.name});
}

TEST(SoundSet, WavesFollowTheirParameters)
{
    SoundSet set;
    std::string error;
    ASSERT_TRUE(parseSoundSet("bank S W\nrate 10000\ncategory Default\n"
                              "wave a dur=0.5\nwave b notes=C4:1,-:1,A4:2 tempo=120\n",
                              set, error))
        << error;
    EXPECT_EQ(set.waves[0].samples.size(), 5000u);
    EXPECT_EQ(set.waves[1].samples.size(), 20000u); // four beats of half a second
    // The rest is silent.
    EXPECT_EQ(set.waves[1].samples[7500], 0);
    SoundSet again;
    ASSERT_TRUE(parseSoundSet("bank S W\nrate 10000\ncategory Default\n"
                              "wave a dur=0.5\nwave b notes=C4:1,-:1,A4:2 tempo=120\n",
                              again, error));
    EXPECT_EQ(again.waves[1].samples, set.waves[1].samples);
}

TEST(SoundSet, FaultsAreReportedAtTheirLine)
{
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"bank S W\nwave a\n", "line 2: unknown category Default"},
        {"bank S W\ncategory Default\nwave a shape=pulse\n", "line 3: unknown shape pulse"},
        {"bank S W\ncategory Default\nwave a size=3\n", "line 3: unknown parameter size"},
        {"bank S W\ncategory Default\nwave a dur=100\n", "line 3: dur out of range"},
        {"bank S W\ncategory Default\nwave a notes=H4:1\n", "line 3: not a note: H4"},
        {"bank S W\ncategory Default\nwave a\ncue 1 c sound=a\n", "line 4: cues must be listed in index order from 0"},
        {"bank S W\ncategory Default\ncue 0 c sound=b\n", "line 3: unknown wave b"},
        {"bank S W\ncategory Default\nwave a\ncue 0 c var=0 entries=a:0:1\n", "line 4: var out of range"},
        {"bank S W\ncategory Default\nwave a\nwave a\n", "line 4: second wave named a"},
        {"category Default\n", "line 1: no bank statement"},
        {"bank S W\nfrobnicate\n", "line 2: unknown statement frobnicate"},
    };
    for (const Case& c : cases) {
        SoundSet set;
        std::string error;
        EXPECT_FALSE(parseSoundSet(c.text, set, error)) << c.text;
        EXPECT_EQ(error, c.error);
    }
}

} // namespace
