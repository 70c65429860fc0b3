// The bank writer's files loaded by FAudio itself, under SDL's dummy audio
// driver, through the engine layer the game uses.
#include "support/XactFixtures.h"
#include "tools/lib/SoundSet.h"

#include "platform/audio/FactEngine.h"
#include "platform/audio/Xact.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

class XactRoundTrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(XACTCreateEngine(0, &engine), S_OK);
        globals = fixture.globalBytes();
        waves = fixture.waveBytes();
        sounds = fixture.soundBytes();
    }
    void TearDown() override
    {
        if (engine)
            engine->Release();
    }

    void start(bool withGlobals = true)
    {
        XACT_RUNTIME_PARAMETERS params;
        params.lookAheadTime = 250;
        if (withGlobals) {
            params.pGlobalSettingsBuffer = globals.data();
            params.globalSettingsBufferSize = DWORD(globals.size());
        }
        ASSERT_EQ(engine->Initialize(&params), S_OK);
    }
    void loadBanks()
    {
        ASSERT_EQ(engine->CreateInMemoryWaveBank(waves.data(), DWORD(waves.size()), 0, 0, &waveBank), S_OK);
        ASSERT_EQ(engine->CreateSoundBank(sounds.data(), DWORD(sounds.size()), 0, 0, &soundBank), S_OK);
    }

    XactFixture fixture = gameXactFixture();
    std::vector<uint8_t> globals, waves, sounds;
    IXACT3Engine* engine = nullptr;
    IXACT3WaveBank* waveBank = nullptr;
    IXACT3SoundBank* soundBank = nullptr;
};

TEST_F(XactRoundTrip, AuthoredBanksLoadAndEveryCuePlaysAndStops)
{
    start();
    loadBanks();
    XACTINDEX cues = 0, waveCount = 0;
    soundBank->GetNumCues(&cues);
    waveBank->GetNumWaves(&waveCount);
    EXPECT_EQ(cues, 27);
    EXPECT_EQ(waveCount, 28);
    EXPECT_EQ(engine->GetCategory("Global"), 0);
    EXPECT_EQ(engine->GetCategory("Default"), 1);
    EXPECT_EQ(engine->GetCategory("Music"), 2);
    EXPECT_EQ(engine->GetGlobalVariableIndex("SpeedOfSound"), 6);

    for (XACTINDEX i = 0; i < cues; ++i) {
        SCOPED_TRACE(i);
        IXACT3Cue* cue = nullptr;
        ASSERT_EQ(soundBank->Prepare(i, 0, 0, &cue), S_OK);
        ASSERT_EQ(cue->Play(), S_OK);
        DWORD state = 0;
        cue->GetState(&state);
        EXPECT_TRUE(state & XACT_CUESTATE_PLAYING);
        cue->Stop(XACT_FLAG_CUE_STOP_IMMEDIATE);
        cue->GetState(&state);
        EXPECT_TRUE(state & XACT_CUESTATE_STOPPED);
        cue->Destroy();
        // And once more as the game plays them: without a handle, stopped by index.
        EXPECT_EQ(soundBank->Play(i, 0, 0, nullptr), S_OK);
        EXPECT_EQ(soundBank->Stop(i, XACT_FLAG_SOUNDBANK_STOP_IMMEDIATE), S_OK);
        engine->DoWork();
    }
    X3DAUDIO_HANDLE x3d = {};
    EXPECT_EQ(XACT3DInitialize(engine, x3d), S_OK);
}

TEST_F(XactRoundTrip, TheGameSoundSetPlaysEveryCue)
{
    std::ifstream in(std::string(std::getenv("VORLUND_SOURCE_DIR")) + "/data/soundfx/sounds.txt");
    std::stringstream text;
    text << in.rdbuf();
    SoundSet set;
    std::string error;
    ASSERT_TRUE(parseSoundSet(text.str(), set, error)) << error;
    globals = xact::writeGlobalSettings(set.settings);
    waves = xact::writeWaveBank(set.soundBank.waveBankName, set.waves);
    sounds = xact::writeSoundBank(set.soundBank);
    start();
    loadBanks();
    for (XACTINDEX i = 0; i < 27; ++i) {
        EXPECT_EQ(soundBank->Play(i, 0, 0, nullptr), S_OK) << i;
        engine->DoWork();
    }
    engine->Stop(0, XACT_FLAG_ENGINE_STOP_IMMEDIATE);
}

TEST_F(XactRoundTrip, VariableSevenSwitchesTheMusic)
{
    start();
    loadBanks();
    ASSERT_EQ(engine->SetGlobalVariable(7, -1.0f), S_OK);
    IXACT3Cue* music = nullptr;
    ASSERT_EQ(soundBank->Prepare(21, 0, 0, &music), S_OK);
    ASSERT_EQ(music->Play(), S_OK);
    XACT_CUE_INSTANCE_PROPERTIES props;
    ASSERT_EQ(music->GetProperties(&props), S_OK);
    EXPECT_TRUE(props.interactive);
    EXPECT_EQ(props.iaVariableIndex, 7);
    EXPECT_EQ(props.soundCategory, 2);
    EXPECT_EQ(props.soundPriority, kMenuPriority);

    // FACT's own thread picks the new variation up on its next pass.
    ASSERT_EQ(engine->SetGlobalVariable(7, 0.0f), S_OK);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
        engine->DoWork();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        music->GetProperties(&props);
    } while (props.soundPriority != kRacePriority && std::chrono::steady_clock::now() < deadline);
    EXPECT_EQ(props.soundPriority, kRacePriority);
}

TEST_F(XactRoundTrip, TenThousandSkidCuesLeaveNoLiveObjects)
{
    start();
    loadBanks();
    soundBank->Play(26, 0, 0, nullptr);
    soundBank->Stop(26, XACT_FLAG_SOUNDBANK_STOP_IMMEDIATE);
    const long before = xactLiveObjects();
    for (int i = 0; i < 10000; ++i) {
        ASSERT_EQ(soundBank->Play(26, 0, 0, nullptr), S_OK);
        if (i % 100 == 0)
            engine->DoWork();
    }
    soundBank->Stop(26, XACT_FLAG_SOUNDBANK_STOP_IMMEDIATE);
    EXPECT_EQ(xactLiveObjects(), before);
}

TEST_F(XactRoundTrip, IndicesOutsideTheBanksNeverReachFAudio)
{
    start();
    loadBanks();
    IXACT3Cue* cue = nullptr;
    for (XACTINDEX index : {XACTINDEX(27), XACTINDEX(1000), XACTINDEX_INVALID}) {
        EXPECT_EQ(soundBank->Play(index, 0, 0, nullptr), XACTENGINE_E_INVALIDCUEINDEX);
        EXPECT_EQ(soundBank->Prepare(index, 0, 0, &cue), XACTENGINE_E_INVALIDCUEINDEX);
        EXPECT_EQ(soundBank->Stop(index, XACT_FLAG_SOUNDBANK_STOP_IMMEDIATE), XACTENGINE_E_INVALIDCUEINDEX);
    }
    for (XACTCATEGORY category : {XACTCATEGORY(3), XACTCATEGORY_INVALID}) {
        EXPECT_EQ(engine->SetVolume(category, 0.5f), XACTENGINE_E_INVALIDCATEGORY);
        EXPECT_EQ(engine->Pause(category, TRUE), XACTENGINE_E_INVALIDCATEGORY);
        EXPECT_EQ(engine->Stop(category, XACT_FLAG_ENGINE_STOP_IMMEDIATE), XACTENGINE_E_INVALIDCATEGORY);
    }
    struct Case {
        XACTVARIABLEINDEX index;
        HRESULT set;
    };
    const Case cases[] = {
        {7, S_OK},                                   // public, global
        {6, S_OK},                                   // "SpeedOfSound"
        {0, XACTENGINE_E_INVALIDVARIABLEINDEX},      // read-only, per cue
        {4, XACTENGINE_E_INVALIDVARIABLEINDEX},      // per cue, not public
        {9, XACTENGINE_E_INVALIDVARIABLEINDEX},      // past the table
        {XACTVARIABLEINDEX_INVALID, XACTENGINE_E_INVALIDVARIABLEINDEX},
    };
    for (const Case& c : cases)
        EXPECT_EQ(engine->SetGlobalVariable(c.index, 1.0f), c.set) << c.index;
    float value = 0.0f;
    EXPECT_EQ(engine->GetGlobalVariable(8, &value), S_OK);
    EXPECT_EQ(engine->GetGlobalVariable(100, &value), XACTENGINE_E_INVALIDVARIABLEINDEX);
}

TEST_F(XactRoundTrip, WithoutGlobalSettingsNothingReadsAMissingVariable)
{
    start(false);
    EXPECT_EQ(engine->SetGlobalVariable(7, -1.0f), XACTENGINE_E_INVALIDVARIABLEINDEX);
    X3DAUDIO_HANDLE x3d = {};
    EXPECT_EQ(XACT3DInitialize(engine, x3d), XACTENGINE_E_INVALIDVARIABLEINDEX);
    // The music cue follows variable 7, which these settings lack.
    EXPECT_EQ(engine->CreateSoundBank(sounds.data(), DWORD(sounds.size()), 0, 0, &soundBank),
              XACTENGINE_E_INVALIDDATA);
}

TEST_F(XactRoundTrip, CuesWaitForTheWaveBankTheyPlayFrom)
{
    start();
    ASSERT_EQ(engine->CreateSoundBank(sounds.data(), DWORD(sounds.size()), 0, 0, &soundBank), S_OK);
    EXPECT_EQ(soundBank->Play(3, 0, 0, nullptr), XACTENGINE_E_NOWAVEBANK);

    // A bank of another name, or one too small, does not do.
    auto shortBank = fixture.waves;
    shortBank.resize(5);
    const auto small = xact::writeWaveBank(fixture.soundBank.waveBankName, shortBank);
    ASSERT_EQ(engine->CreateInMemoryWaveBank(small.data(), DWORD(small.size()), 0, 0, &waveBank), S_OK);
    EXPECT_EQ(soundBank->Play(3, 0, 0, nullptr), XACTENGINE_E_NOWAVEBANK);
    EXPECT_EQ(engine->CreateInMemoryWaveBank(waves.data(), DWORD(waves.size()), 0, 0, &waveBank),
              XACTENGINE_E_INVALIDDATA); // the same name twice
}

TEST_F(XactRoundTrip, DamagedBanksAreRefusedBeforeFAudioParsesThem)
{
    auto badGlobals = globals;
    badGlobals[xact::layout::kGlobalVariableCount] = 200;
    XACT_RUNTIME_PARAMETERS params;
    params.pGlobalSettingsBuffer = badGlobals.data();
    params.globalSettingsBufferSize = DWORD(badGlobals.size());
    EXPECT_EQ(engine->Initialize(&params), XACTENGINE_E_INVALIDDATA);

    start();
    auto badWaves = waves;
    badWaves[xact::layout::kWaveEntryCount] = 0xFF;
    EXPECT_EQ(engine->CreateInMemoryWaveBank(badWaves.data(), DWORD(badWaves.size()), 0, 0, &waveBank),
              XACTENGINE_E_INVALIDDATA);
    auto badSounds = sounds;
    badSounds[xact::layout::kSoundSoundCount] = 0xFF;
    EXPECT_EQ(engine->CreateSoundBank(badSounds.data(), DWORD(badSounds.size()), 0, 0, &soundBank),
              XACTENGINE_E_INVALIDDATA);
    EXPECT_EQ(soundBank, nullptr);
}

} // namespace
