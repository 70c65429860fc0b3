#pragma once
#include "platform/audio/Xact.h"

#include <cstdint>
#include <functional>
#include <vector>

class Stream;

// The game's sound: one XACT engine with one in-memory wave bank and one
// sound bank read from the archive, and the few calls the game makes on them.
// The application owns one and forwards its audio wrappers here. Every call
// works unchanged when there is no engine (none installed, or start-up
// failed): it does nothing, and getCategory answers -1. Cues are played
// without a handle, so the sound bank frees each one when it ends.
class GameAudio {
public:
    using EngineFactory = std::function<HRESULT(IXACT3Engine** engine)>;

    static constexpr uint32_t kMenuMusicCue = 21;
    static constexpr uint32_t kMusicVariable = 7;

    // The two volumes are read where they live (the settings): at start-up,
    // and as the gates of pausing and resuming.
    GameAudio(const float& musicVolume, const float& effectsVolume, EngineFactory createEngine = {});
    ~GameAudio();
    GameAudio(const GameAudio&) = delete;
    GameAudio& operator=(const GameAudio&) = delete;

    // Creates the engine and the banks from the archive and starts the menu
    // music, reporting progress 0.8 to 0.95 on the way. A missing file skips
    // what needs it; an engine that will not start leaves the game silent.
    // False (after a message box) when a bank is refused, a sound file is
    // damaged in the archive or the menu music cannot be prepared: the game
    // cannot go on.
    bool startUp(Stream& archive, const std::function<void(float)>& progress = {});
    // Shuts the engine down and frees the files it used.
    void shutDown();

    // The cue belongs to the sound bank, so the answer is always none; it is
    // there for the callers that pass it on to apply3DAudio.
    IXACT3Cue* playCue(uint32_t cue);
    void stopCue(uint32_t cue);
    void apply3DAudio(IXACT3Cue* cue, int a, int b) {}
    void stopCategory(uint16_t category);
    // which 0: category 0 gated by the music volume; which 1: category 1
    // gated by the effects volume. A muted category stays paused.
    void setCategoryPaused(int32_t which, bool pause);
    void setCategoryVolume(uint16_t category, float volume);
    void setGlobalVariable(uint32_t index, float value);
    int getCategory(const char* name);
    // Once per application frame.
    void doWork();

    // While set, playCue starts nothing (the race sets it).
    uint8_t soundOff = 0;

    bool hasEngine() const { return m_engine != nullptr; }
    bool hasSoundBank() const { return m_soundBank != nullptr; }
    bool has3DAudio() const { return m_has3D; }
    const X3DAUDIO_DSP_SETTINGS& dspSettings() const { return m_dsp; }

private:
    bool cueExists(uint32_t cue);

    const float& m_musicVolume;
    const float& m_effectsVolume;
    EngineFactory m_createEngine;

    IXACT3Engine* m_engine = nullptr;
    IXACT3SoundBank* m_soundBank = nullptr;
    IXACT3WaveBank* m_waveBank = nullptr;
    // The engine reads these while it runs.
    std::vector<uint8_t> m_globalSettings;
    std::vector<uint8_t> m_waveBankFile;
    std::vector<uint8_t> m_soundBankFile;

    X3DAUDIO_HANDLE m_x3d = {};
    bool m_has3D = false;
    float m_matrix[16] = {};
    float m_delays[2] = {};
    X3DAUDIO_DSP_SETTINGS m_dsp;
};
