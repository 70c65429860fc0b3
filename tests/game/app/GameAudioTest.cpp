// The game's audio wrappers over a recording engine: what reaches the engine
// for each call, with sound on and off, muted categories, unknown cues and
// categories, and no engine at all; and start-up over banks in an archive.
#include "game/app/GameAudio.h"

#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

class FakeCue : public IXACT3Cue {
public:
    explicit FakeCue(Log& log) : m_log(log) {}
    HRESULT Play() override { return m_log.push_back("cue.Play"), S_OK; }
    HRESULT Stop(DWORD) override { return S_OK; }
    HRESULT GetState(DWORD*) override { return S_OK; }
    HRESULT GetProperties(XACT_CUE_INSTANCE_PROPERTIES*) override { return S_OK; }
    HRESULT Destroy() override { return S_OK; }

private:
    Log& m_log;
};

class FakeSoundBank : public IXACT3SoundBank {
public:
    explicit FakeSoundBank(Log& log) : m_log(log), m_cue(log) {}
    XACTINDEX cues = 27;
    HRESULT prepareResult = S_OK;

    HRESULT GetNumCues(XACTINDEX* count) override { return *count = cues, S_OK; }
    HRESULT Prepare(XACTINDEX cue, DWORD, XACTTIME, IXACT3Cue** out) override
    {
        m_log.push_back("Prepare " + std::to_string(cue));
        *out = SUCCEEDED(prepareResult) ? &m_cue : nullptr;
        return prepareResult;
    }
    HRESULT Play(XACTINDEX cue, DWORD, XACTTIME, IXACT3Cue** out) override
    {
        m_log.push_back("Play " + std::to_string(cue) + (out ? " with handle" : ""));
        return S_OK;
    }
    HRESULT Stop(XACTINDEX cue, DWORD flags) override
    {
        return m_log.push_back("Stop " + std::to_string(cue) + "," + std::to_string(flags)), S_OK;
    }
    HRESULT Destroy() override { return S_OK; }

private:
    Log& m_log;
    FakeCue m_cue;
};

class FakeWaveBank : public IXACT3WaveBank {
public:
    HRESULT GetNumWaves(XACTINDEX* count) override { return *count = 1, S_OK; }
    HRESULT Destroy() override { return S_OK; }
};

class FakeEngine : public IXACT3Engine {
public:
    explicit FakeEngine(Log& log) : soundBank(log), m_log(log) {}
    HRESULT initializeResult = S_OK;
    HRESULT bankResult = S_OK;
    FakeSoundBank soundBank;
    FakeWaveBank waveBank;
    DWORD settingsSize = 0;
    DWORD lookAhead = 0;
    bool released = false;

    ULONG Release() override { return released = true, 0; }
    HRESULT Initialize(const XACT_RUNTIME_PARAMETERS* p) override
    {
        settingsSize = p->globalSettingsBufferSize;
        lookAhead = p->lookAheadTime;
        return initializeResult;
    }
    HRESULT ShutDown() override { return m_log.push_back("ShutDown"), S_OK; }
    HRESULT DoWork() override { return m_log.push_back("DoWork"), S_OK; }
    HRESULT CreateSoundBank(const void*, DWORD size, DWORD, DWORD, IXACT3SoundBank** out) override
    {
        m_log.push_back("CreateSoundBank " + std::to_string(size));
        *out = SUCCEEDED(bankResult) ? &soundBank : nullptr;
        return bankResult;
    }
    HRESULT CreateInMemoryWaveBank(const void*, DWORD size, DWORD, DWORD, IXACT3WaveBank** out) override
    {
        m_log.push_back("CreateInMemoryWaveBank " + std::to_string(size));
        *out = SUCCEEDED(bankResult) ? &waveBank : nullptr;
        return bankResult;
    }
    HRESULT GetFinalMixFormat(WAVEFORMATEXTENSIBLE* f) override
    {
        f->Format.nChannels = 6;
        f->dwChannelMask = 0x3F;
        return S_OK;
    }
    XACTCATEGORY GetCategory(const char* name) override
    {
        const std::string n = name;
        return n == "Music" ? 2 : n == "Default" ? 1 : XACTCATEGORY_INVALID;
    }
    HRESULT Stop(XACTCATEGORY c, DWORD flags) override
    {
        return m_log.push_back("Stop category " + std::to_string(c) + "," + std::to_string(flags)), S_OK;
    }
    HRESULT SetVolume(XACTCATEGORY c, XACTVOLUME v) override
    {
        return m_log.push_back("SetVolume " + std::to_string(c) + "," + std::to_string(v)), S_OK;
    }
    HRESULT Pause(XACTCATEGORY c, BOOL pause) override
    {
        return m_log.push_back("Pause " + std::to_string(c) + "," + std::to_string(pause)), S_OK;
    }
    XACTVARIABLEINDEX GetGlobalVariableIndex(const char* name) override
    {
        return std::string(name) == "SpeedOfSound" ? 6 : XACTVARIABLEINDEX_INVALID;
    }
    HRESULT SetGlobalVariable(XACTVARIABLEINDEX i, XACTVARIABLEVALUE v) override
    {
        return m_log.push_back("SetGlobalVariable " + std::to_string(i) + "," + std::to_string(v)), S_OK;
    }
    HRESULT GetGlobalVariable(XACTVARIABLEINDEX, XACTVARIABLEVALUE* v) override { return *v = 343.5f, S_OK; }

private:
    Log& m_log;
};

const char* const kSettings = "D:\\Zoprax9\\soundfx\\Win\\Zoprax9.xgs";
const char* const kWaves = "D:\\Zoprax9\\soundfx\\Win\\WaveBank.xwb";
const char* const kSounds = "D:\\Zoprax9\\soundfx\\Win\\SoundBank.xsb";

struct Rig {
    Log log;
    FakeEngine engine{log};
    float music = 0.5f;
    float effects = 0.7f;
    bool createFails = false;
    GameAudio audio{music, effects, [this](IXACT3Engine** e) {
                        *e = createFails ? nullptr : &engine;
                        return createFails ? E_FAIL : S_OK;
                    }};
    MemoryFileSystem files;

    Rig()
    {
        files.addFile(kSettings, std::vector<uint8_t>(10, 1));
        files.addFile(kWaves, std::vector<uint8_t>(20, 2));
        files.addFile(kSounds, std::vector<uint8_t>(30, 3));
    }
    bool start()
    {
        const bool ok = audio.startUp(files);
        log.clear();
        return ok;
    }
};

TEST(GameAudio, EveryWrapperReachesTheEngineOnlyWhenItShould)
{
    struct Case {
        const char* name;
        std::function<void(Rig&)> arrange;
        std::function<void(GameAudio&)> act;
        Log expected;
    };
    const Case cases[] = {
        {"play", {}, [](GameAudio& a) { a.playCue(26); }, {"Play 26"}},
        {"play while sound is off", [](Rig& r) { r.audio.soundOff = 1; }, [](GameAudio& a) { a.playCue(26); }, {}},
        {"stop while sound is off", [](Rig& r) { r.audio.soundOff = 1; }, [](GameAudio& a) { a.stopCue(21); },
         {"Stop 21,1"}},
        {"no cue", {}, [](GameAudio& a) { a.playCue(65535); }, {}},
        {"cue past the bank", {}, [](GameAudio& a) { a.playCue(27); a.stopCue(27); a.playCue(0x10000 + 3); }, {}},
        {"stop category", {}, [](GameAudio& a) { a.stopCategory(1); }, {"Stop category 1,1"}},
        {"unknown category",
         {},
         [](GameAudio& a) {
             a.setCategoryVolume(uint16_t(a.getCategory("Nope")), 1.0f);
             a.stopCategory(0xFFFF);
         },
         {}},
        {"volume", {}, [](GameAudio& a) { a.setCategoryVolume(uint16_t(a.getCategory("Music")), 0.25f); },
         {"SetVolume 2,0.250000"}},
        {"variable", {}, [](GameAudio& a) { a.setGlobalVariable(8, 12.5f); }, {"SetGlobalVariable 8,12.500000"}},
        {"variable past 16 bits", {}, [](GameAudio& a) { a.setGlobalVariable(0x10007, 1.0f); }, {}},
        {"resume music", {}, [](GameAudio& a) { a.setCategoryPaused(0, false); }, {"Pause 0,0"}},
        {"resume effects", {}, [](GameAudio& a) { a.setCategoryPaused(1, false); }, {"Pause 1,0"}},
        {"muted music stays paused", [](Rig& r) { r.music = 0.0f; },
         [](GameAudio& a) { a.setCategoryPaused(0, false); }, {"Pause 0,1"}},
        {"muted effects stay paused", [](Rig& r) { r.effects = 0.0f; },
         [](GameAudio& a) { a.setCategoryPaused(1, false); }, {"Pause 1,1"}},
        {"other pause targets", {}, [](GameAudio& a) { a.setCategoryPaused(2, true); a.setCategoryPaused(-1, true); }, {}},
        {"per frame", {}, [](GameAudio& a) { a.doWork(); }, {"DoWork"}},
        {"no engine",
         [](Rig& r) { r.audio.shutDown(); r.log.clear(); },
         [](GameAudio& a) {
             a.playCue(1);
             a.stopCue(1);
             a.stopCategory(1);
             a.setCategoryPaused(0, true);
             a.setCategoryVolume(1, 1.0f);
             a.setGlobalVariable(7, 1.0f);
             a.doWork();
             a.apply3DAudio(a.playCue(2), 0, 0);
             EXPECT_EQ(a.getCategory("Music"), -1);
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        ASSERT_TRUE(rig.start());
        if (c.arrange)
            c.arrange(rig);
        c.act(rig.audio);
        EXPECT_EQ(rig.log, c.expected);
        EXPECT_EQ(rig.audio.playCue(3), nullptr);
    }
}

TEST(GameAudio, StartUpLoadsTheBanksAndStartsTheMenuMusic)
{
    Rig rig;
    std::vector<float> progress;
    ASSERT_TRUE(rig.audio.startUp(rig.files, [&](float p) { progress.push_back(p); }));
    EXPECT_EQ(progress, (std::vector<float>{0.8f, 0.85f, 0.9f, 0.95f}));
    EXPECT_EQ(rig.engine.lookAhead, 250u);
    EXPECT_EQ(rig.engine.settingsSize, 10u);
    EXPECT_EQ(rig.audio.getCategory("Music"), 2);
    EXPECT_TRUE(rig.audio.has3DAudio());
    EXPECT_EQ(rig.audio.dspSettings().SrcChannelCount, 2u);
    EXPECT_EQ(rig.audio.dspSettings().DstChannelCount, 6u);
}

TEST(GameAudio, StartUpSkipsWhatAMissingFileTakesWithIt)
{
    struct Case {
        const char* name;
        std::vector<const char*> missing;
        Log expected;
    };
    const Case cases[] = {
        {"all there",
         {},
         {"CreateInMemoryWaveBank 20", "CreateSoundBank 30", "SetVolume 2,0.500000", "SetVolume 1,0.700000",
          "Prepare 21", "cue.Play", "SetGlobalVariable 7,-1.000000"}},
        {"no wave bank",
         {kWaves},
         {"CreateSoundBank 30", "SetVolume 2,0.500000", "SetVolume 1,0.700000", "Prepare 21", "cue.Play",
          "SetGlobalVariable 7,-1.000000"}},
        {"no sound bank: no music to prepare",
         {kSounds},
         {"CreateInMemoryWaveBank 20", "SetVolume 2,0.500000", "SetVolume 1,0.700000",
          "SetGlobalVariable 7,-1.000000"}},
        {"no settings: the sound bank cannot be used",
         {kSettings},
         {"CreateInMemoryWaveBank 20", "SetVolume 2,0.500000", "SetVolume 1,0.700000",
          "SetGlobalVariable 7,-1.000000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        MemoryFileSystem files;
        for (const char* keep : {kSettings, kWaves, kSounds})
            if (std::find(c.missing.begin(), c.missing.end(), keep) == c.missing.end())
                files.addFile(keep, *rig.files.file(keep));
        EXPECT_TRUE(rig.audio.startUp(files));
        EXPECT_EQ(rig.log, c.expected);
        EXPECT_EQ(rig.engine.settingsSize, c.missing.size() == 1 && c.missing[0] == kSettings ? 0u : 10u);
    }
}

TEST(GameAudio, StartUpEndsOnARefusedBankAndRunsSilentWithoutAnEngine)
{
    {
        Rig rig;
        rig.engine.bankResult = XACTENGINE_E_INVALIDDATA;
        EXPECT_FALSE(rig.audio.startUp(rig.files));
    }
    {
        Rig rig;
        rig.engine.soundBank.prepareResult = XACTENGINE_E_INVALIDCUEINDEX;
        EXPECT_FALSE(rig.audio.startUp(rig.files));
    }
    {
        Rig rig;
        rig.engine.soundBank.cues = 21; // no menu music
        EXPECT_FALSE(rig.audio.startUp(rig.files));
        EXPECT_EQ(std::count(rig.log.begin(), rig.log.end(), "Prepare 21"), 0);
    }
    {
        Rig rig;
        rig.engine.initializeResult = E_FAIL;
        EXPECT_TRUE(rig.audio.startUp(rig.files));
        EXPECT_FALSE(rig.audio.hasEngine());
        EXPECT_TRUE(rig.engine.released);
    }
    {
        Rig rig;
        rig.createFails = true;
        EXPECT_TRUE(rig.audio.startUp(rig.files));
        EXPECT_FALSE(rig.audio.hasEngine());
        EXPECT_EQ(rig.audio.getCategory("Music"), -1);
    }
}

} // namespace
