#include "game/app/GameAudio.h"

#include "engine/core/base/Report.h"
#include "engine/core/io/Stream.h"
#include "game/app/FatalError.h"
#include "platform/win/MessageBox.h"

#include <algorithm>
#include <string>

namespace {

const char* const kGlobalSettingsFile = "D:\\Zoprax9\\soundfx\\Win\\Zoprax9.xgs";
const char* const kWaveBankFile = "D:\\Zoprax9\\soundfx\\Win\\WaveBank.xwb";
const char* const kSoundBankFile = "D:\\Zoprax9\\soundfx\\Win\\SoundBank.xsb";

// Far beyond any bank of ours; a larger length is a damaged archive entry.
constexpr uint32_t kMaxBankBytes = 64u << 20;

enum class FileRead { Missing, Read, Refused, Damaged };

FileRead readWhole(Stream& archive, const char* name, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    auto file = archive.clone();
    if (!file->openRead(name)) {
        // An entry the archive lists but cannot unpack is damage, not a
        // missing file: the game would otherwise play on without a word.
        if (!file->exists(name))
            return FileRead::Missing;
        reportFatalError(std::string("The game cannot start: the sound file \"") + name
                         + "\" is damaged in the game's data.");
        return FileRead::Damaged;
    }
    const uint32_t length = file->length;
    if (length == 0 || length > kMaxBankBytes) {
        file->close();
        reportWarning((std::string(name) + ": sound file of unusable length").c_str(), "XACT");
        return FileRead::Refused;
    }
    bytes.resize(length);
    const uint32_t got = file->read(bytes.data(), length);
    file->close();
    if (got != length) {
        bytes.clear();
        return FileRead::Refused;
    }
    return FileRead::Read;
}

bool bankFailed()
{
    MessageBoxA(nullptr, "XACT", "mach mal 'n update und ruf xact.bat auf :)", MB_OK);
    return false;
}

} // namespace

GameAudio::GameAudio(const float& musicVolume, const float& effectsVolume, EngineFactory createEngine)
    : m_musicVolume(musicVolume), m_effectsVolume(effectsVolume), m_createEngine(std::move(createEngine))
{
    if (!m_createEngine)
        m_createEngine = [](IXACT3Engine** engine) { return XACTCreateEngine(0, engine); };
    m_dsp.pMatrixCoefficients = m_matrix;
    m_dsp.pDelayTimes = m_delays;
}

GameAudio::~GameAudio()
{
    shutDown();
}

bool GameAudio::startUp(Stream& archive, const std::function<void(float)>& progress)
{
    auto step = [&](float p) {
        if (progress)
            progress(p);
    };
    shutDown();
    if (FAILED(m_createEngine(&m_engine)) || !m_engine) {
        m_engine = nullptr;
        step(0.8f);
        return true;
    }
    const FileRead settingsFile = readWhole(archive, kGlobalSettingsFile, m_globalSettings);
    if (settingsFile == FileRead::Damaged)
        return false;
    const bool haveSettings = settingsFile == FileRead::Read;
    step(0.8f);
    XACT_RUNTIME_PARAMETERS params;
    params.lookAheadTime = 250;
    if (haveSettings) {
        params.pGlobalSettingsBuffer = m_globalSettings.data();
        params.globalSettingsBufferSize = DWORD(m_globalSettings.size());
    }
    if (FAILED(m_engine->Initialize(&params))) {
        // No sound device, or settings the engine refuses: the game runs silent.
        shutDown();
        return true;
    }

    step(0.85f);
    switch (readWhole(archive, kWaveBankFile, m_waveBankFile)) {
    case FileRead::Missing:
        break;
    case FileRead::Damaged:
        return false;
    case FileRead::Read:
        if (SUCCEEDED(m_engine->CreateInMemoryWaveBank(m_waveBankFile.data(), DWORD(m_waveBankFile.size()),
                                                       0, 0, &m_waveBank)))
            break;
        [[fallthrough]];
    case FileRead::Refused:
        return bankFailed();
    }
    step(0.9f);
    // The sound bank's cues name the settings' categories and variables;
    // without the settings file it is skipped like a missing file.
    const FileRead soundFile = readWhole(archive, kSoundBankFile, m_soundBankFile);
    if (soundFile == FileRead::Damaged)
        return false;
    if (soundFile == FileRead::Refused)
        return bankFailed();
    if (soundFile == FileRead::Read && !haveSettings)
        reportWarning("the sound bank needs the global settings file; playing no sounds", "XACT");
    else if (soundFile == FileRead::Read &&
             FAILED(m_engine->CreateSoundBank(m_soundBankFile.data(), DWORD(m_soundBankFile.size()), 0, 0,
                                              &m_soundBank)))
        return bankFailed();
    step(0.95f);

    m_has3D = SUCCEEDED(XACT3DInitialize(m_engine, m_x3d));
    WAVEFORMATEXTENSIBLE mix;
    std::fill(std::begin(m_matrix), std::end(m_matrix), 0.0f);
    std::fill(std::begin(m_delays), std::end(m_delays), 0.0f);
    m_dsp.SrcChannelCount = 2;
    // The matrix holds 16 coefficients: two sources to at most eight speakers.
    m_dsp.DstChannelCount = SUCCEEDED(m_engine->GetFinalMixFormat(&mix)) ? std::min<UINT>(mix.Format.nChannels, 8) : 0;

    setCategoryVolume(uint16_t(getCategory("Music")), m_musicVolume);
    setCategoryVolume(uint16_t(getCategory("Default")), m_effectsVolume);
    // Without a sound bank there is no menu music to prepare.
    if (m_soundBank) {
        IXACT3Cue* music = nullptr;
        if (!cueExists(kMenuMusicCue) || FAILED(m_soundBank->Prepare(kMenuMusicCue, 0, 0, &music)))
            return bankFailed();
        music->Play();
    }
    setGlobalVariable(kMusicVariable, -1.0f);
    return true;
}

void GameAudio::shutDown()
{
    if (m_engine) {
        m_engine->ShutDown();
        m_engine->Release();
    }
    m_engine = nullptr;
    m_soundBank = nullptr;
    m_waveBank = nullptr;
    m_has3D = false;
    m_globalSettings = {};
    m_waveBankFile = {};
    m_soundBankFile = {};
}

bool GameAudio::cueExists(uint32_t cue)
{
    XACTINDEX count = 0;
    return m_soundBank && SUCCEEDED(m_soundBank->GetNumCues(&count)) && cue < count;
}

IXACT3Cue* GameAudio::playCue(uint32_t cue)
{
    // 65535, the bank's "no cue", is what the power-up tables give for silence.
    if (m_engine && !soundOff && cueExists(cue))
        m_soundBank->Play(XACTINDEX(cue), 0, 0, nullptr);
    return nullptr;
}

void GameAudio::stopCue(uint32_t cue)
{
    if (m_engine && cueExists(cue))
        m_soundBank->Stop(XACTINDEX(cue), XACT_FLAG_SOUNDBANK_STOP_IMMEDIATE);
}

void GameAudio::stopCategory(uint16_t category)
{
    if (m_engine && category != XACTCATEGORY_INVALID)
        m_engine->Stop(category, XACT_FLAG_ENGINE_STOP_IMMEDIATE);
}

void GameAudio::setCategoryPaused(int32_t which, bool pause)
{
    if (!m_engine || (which != 0 && which != 1))
        return;
    const float gate = which == 0 ? m_musicVolume : m_effectsVolume;
    m_engine->Pause(XACTCATEGORY(which), gate > 0.0f ? pause : true);
}

void GameAudio::setCategoryVolume(uint16_t category, float volume)
{
    if (m_engine && category != XACTCATEGORY_INVALID)
        m_engine->SetVolume(category, volume);
}

void GameAudio::setGlobalVariable(uint32_t index, float value)
{
    if (m_engine && index < XACTVARIABLEINDEX_INVALID)
        m_engine->SetGlobalVariable(XACTVARIABLEINDEX(index), value);
}

int GameAudio::getCategory(const char* name)
{
    if (!m_engine)
        return -1;
    return m_engine->GetCategory(name) & 0xFFFF;
}

void GameAudio::doWork()
{
    if (m_engine)
        m_engine->DoWork();
}
