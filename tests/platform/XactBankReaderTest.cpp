// The bank checks that stand between a file and FAudio's parser: our writer's
// banks pass whole, and each kind of damage FAudio would walk into is refused.
#include "platform/audio/XactBankReader.h"
#include "support/XactFixtures.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Bytes = std::vector<uint8_t>;
using xact::layout::kGlobalCategories;

void put32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

XactGlobalInfo globalsOf(const XactFixture& f)
{
    XactGlobalInfo info;
    std::string error;
    const Bytes bytes = f.globalBytes();
    EXPECT_TRUE(readXactGlobalSettings(bytes.data(), bytes.size(), info, error)) << error;
    return info;
}

TEST(XactBankReader, OurBanksPassWhole)
{
    const XactFixture f = gameXactFixture();
    const XactGlobalInfo globals = globalsOf(f);
    EXPECT_EQ(globals.categories, (std::vector<std::string>{"Global", "Default", "Music"}));
    ASSERT_EQ(globals.variables.size(), 9u);
    EXPECT_EQ(globals.variables[6].name, "SpeedOfSound");

    XactWaveBankInfo waves;
    XactSoundBankInfo sounds;
    std::string error;
    const Bytes waveBytes = f.waveBytes(), soundBytes = f.soundBytes();
    ASSERT_TRUE(readXactWaveBank(waveBytes.data(), waveBytes.size(), waves, error)) << error;
    EXPECT_EQ(waves.name, "TestWaves");
    EXPECT_EQ(waves.waveCount, 28u);
    ASSERT_TRUE(readXactSoundBank(soundBytes.data(), soundBytes.size(), globals, sounds, error)) << error;
    EXPECT_EQ(sounds.cueCount, 27);
    EXPECT_EQ(sounds.waveBanks, (std::vector<std::string>{"TestWaves"}));
    EXPECT_EQ(sounds.wavesNeeded, (std::vector<uint32_t>{28}));
}

TEST(XactBankReader, DamageIsRefused)
{
    using namespace xact::layout;
    struct Case {
        const char* name;
        char bank; // 'g' global settings, 'w' wave bank, 's' sound bank
        std::function<void(Bytes&)> damage;
    };
    const Case cases[] = {
        {"empty settings", 'g', [](Bytes& b) { b.clear(); }},
        {"big-endian settings", 'g', [](Bytes& b) { std::swap(b[0], b[3]), std::swap(b[1], b[2]); }},
        {"settings tool version", 'g', [](Bytes& b) { b[6] = 41; }},
        {"more categories than written", 'g', [](Bytes& b) { b[kGlobalCategoryCount] = 200; }},
        {"more variables than written", 'g', [](Bytes& b) { b[kGlobalVariableCount + 1] = 0x80; }},
        {"category parent out of the table", 'g', [](Bytes& b) { b[kGlobalCategories + 10 + 6] = 9; }},
        {"category its own parent", 'g', [](Bytes& b) { b[kGlobalCategories + 10 + 6] = 1; }},
        {"settings cut short", 'g', [](Bytes& b) { b.resize(b.size() - 3); }},
        {"settings name unterminated", 'g', [](Bytes& b) { b.back() = 'x'; }},
        {"settings with a tail", 'g', [](Bytes& b) { b.push_back(0); }},

        {"wave bank header only", 'w', [](Bytes& b) { b.resize(52); }},
        {"wave segment past the end", 'w', [](Bytes& b) { put32(b, kWaveSegments + 4 * 8 + 4, 0x7FFFFFFF); }},
        {"more waves than records", 'w', [](Bytes& b) { put32(b, kWaveEntryCount, 1000); }},
        {"wave record size", 'w', [](Bytes& b) { put32(b, kWaveMetaElementSize, 200); }},
        {"wave bank name unterminated", 'w', [](Bytes& b) { std::fill(b.begin() + 60, b.begin() + 124, 'n'); }},
        {"streaming wave bank", 'w', [](Bytes& b) { b[kWaveBankData] |= 1; }},
        {"compressed wave", 'w', [](Bytes& b) { b[kWaveFirstEntry + 4] |= 2; }},
        {"wave without channels", 'w', [](Bytes& b) { b[kWaveFirstEntry + 4] &= ~0x1C; }},
        {"wave data past its segment", 'w', [](Bytes& b) { put32(b, kWaveFirstEntry + 8, 0x10000000); }},
        {"wave longer than its data", 'w', [](Bytes& b) { put32(b, kWaveFirstEntry, 0xFFFFFFF0); }},
        {"wave loop past its end", 'w', [](Bytes& b) { put32(b, kWaveFirstEntry + 20, 100000); }},

        {"sound bank cut in its header", 's', [](Bytes& b) { b.resize(40); }},
        {"sound tool version", 's', [](Bytes& b) { b[6] = 44; }},
        {"more sounds than written", 's', [](Bytes& b) { b[kSoundSoundCount] = 0xFF; }},
        {"more cues than written", 's', [](Bytes& b) { b[kSoundCueComplexCount] = 200; }},
        {"cue count at the invalid index", 's', [](Bytes& b) { b[kSoundCueComplexCount] = 0xFF, b[kSoundCueComplexCount + 1] = 0xFF; }},
        {"more wave banks than named", 's', [](Bytes& b) { b[kSoundWaveBankCount] = 2; }},
        {"sound in a missing category", 's', [](Bytes& b) { b[kSoundFirstSound + 1] = 3; }},
        {"sound with RPCs", 's', [](Bytes& b) { b[kSoundFirstSound] |= 0x02; }},
        {"track events misplaced", 's', [](Bytes& b) { b[kSoundFirstSound + 11] ^= 0x10; }},
        {"unknown event", 's', [](Bytes& b) { b[kSoundFirstSound + 20] = 5; }},
        {"event from a missing wave bank", 's', [](Bytes& b) { b[kSoundFirstSound + 30] = 1; }},
        {"sound bank cut short", 's', [](Bytes& b) { b.resize(b.size() - 1); }},
        {"sound bank with a tail", 's', [](Bytes& b) { b.push_back(0); }},
    };
    const XactFixture f = gameXactFixture();
    const XactGlobalInfo globals = globalsOf(f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes b = c.bank == 'g' ? f.globalBytes() : c.bank == 'w' ? f.waveBytes() : f.soundBytes();
        c.damage(b);
        std::string error;
        XactGlobalInfo g;
        XactWaveBankInfo w;
        XactSoundBankInfo s;
        const bool read = c.bank == 'g'   ? readXactGlobalSettings(b.data(), b.size(), g, error)
                          : c.bank == 'w' ? readXactWaveBank(b.data(), b.size(), w, error)
                                          : readXactSoundBank(b.data(), b.size(), globals, s, error);
        EXPECT_FALSE(read);
        EXPECT_FALSE(error.empty());
    }
}

TEST(XactBankReader, SoundBankReferencesAreCheckedAgainstTheSettings)
{
    XactFixture f = gameXactFixture();
    XactGlobalInfo globals = globalsOf(f);
    const Bytes sounds = f.soundBytes();
    XactSoundBankInfo info;
    std::string error;

    XactGlobalInfo noVariables = globals;
    noVariables.variables.resize(7); // the music cue follows variable 7
    EXPECT_FALSE(readXactSoundBank(sounds.data(), sounds.size(), noVariables, info, error));
    XactGlobalInfo oneCategory = globals;
    oneCategory.categories.resize(1);
    EXPECT_FALSE(readXactSoundBank(sounds.data(), sounds.size(), oneCategory, info, error));

    // A sound outside every category is allowed.
    f.soundBank.sounds[0].category = xact::kNoCategory;
    const Bytes uncategorised = f.soundBytes();
    EXPECT_TRUE(readXactSoundBank(uncategorised.data(), uncategorised.size(), globals, info, error)) << error;
}

} // namespace
