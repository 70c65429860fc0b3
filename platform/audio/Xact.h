#pragma once
// The audio layer: the XACT 3 engine, sound bank, wave bank and cue
// interfaces the game calls, and X3DAudio's set-up, declared for the subset
// the game uses. XACTCreateEngine answers the implementation over FAudio's
// FACT (platform/audio/FactEngine.cpp); tests may implement the interfaces
// themselves. FAudio trusts every index it is given, so the FAudio backend
// checks each one against the loaded banks, and every bank's bytes before
// FAudio parses them (XactBankReader).
#include "platform/win/WinTypes.h"

#include <cstdint>

using XACTINDEX = uint16_t;
using XACTCATEGORY = uint16_t;
using XACTVARIABLEINDEX = uint16_t;
using XACTVARIABLEVALUE = float;
using XACTVOLUME = float;
using XACTTIME = int32_t;

constexpr XACTINDEX XACTINDEX_INVALID = 0xFFFF;
constexpr XACTCATEGORY XACTCATEGORY_INVALID = 0xFFFF;
constexpr XACTVARIABLEINDEX XACTVARIABLEINDEX_INVALID = 0xFFFF;

constexpr DWORD XACT_FLAG_ENGINE_STOP_IMMEDIATE = 0x00000001;
constexpr DWORD XACT_FLAG_SOUNDBANK_STOP_IMMEDIATE = 0x00000001;
constexpr DWORD XACT_FLAG_CUE_STOP_IMMEDIATE = 0x00000001;

constexpr DWORD XACT_CUESTATE_PREPARED = 0x00000004;
constexpr DWORD XACT_CUESTATE_PLAYING = 0x00000008;
constexpr DWORD XACT_CUESTATE_STOPPED = 0x00000020;
constexpr DWORD XACT_CUESTATE_PAUSED = 0x00000040;

constexpr HRESULT XACTENGINE_E_ALREADYINITIALIZED = HRESULT(0x8AC70001u);
constexpr HRESULT XACTENGINE_E_NOTINITIALIZED = HRESULT(0x8AC70002u);
constexpr HRESULT XACTENGINE_E_INVALIDDATA = HRESULT(0x8AC70007u);
constexpr HRESULT XACTENGINE_E_INSTANCELIMITFAILTOPLAY = HRESULT(0x8AC70008u);
constexpr HRESULT XACTENGINE_E_INVALIDVARIABLEINDEX = HRESULT(0x8AC7000Au);
constexpr HRESULT XACTENGINE_E_INVALIDCATEGORY = HRESULT(0x8AC7000Bu);
constexpr HRESULT XACTENGINE_E_INVALIDCUEINDEX = HRESULT(0x8AC7000Cu);
constexpr HRESULT XACTENGINE_E_NOWAVEBANK = HRESULT(0x8AC70011u);

struct XACT_RUNTIME_PARAMETERS {
    DWORD lookAheadTime = 0; // milliseconds
    void* pGlobalSettingsBuffer = nullptr;
    DWORD globalSettingsBufferSize = 0;
    DWORD globalSettingsFlags = 0;
    DWORD globalSettingsAllocAttributes = 0;
};

struct WAVEFORMATEX {
    WORD wFormatTag = 0;
    WORD nChannels = 0;
    DWORD nSamplesPerSec = 0;
    DWORD nAvgBytesPerSec = 0;
    WORD nBlockAlign = 0;
    WORD wBitsPerSample = 0;
    WORD cbSize = 0;
};

struct WAVEFORMATEXTENSIBLE {
    WAVEFORMATEX Format;
    WORD wValidBitsPerSample = 0;
    DWORD dwChannelMask = 0;
};

// What a cue is and plays now: whether a variable chooses its sound, and the
// category and priority of the sound playing.
struct XACT_CUE_INSTANCE_PROPERTIES {
    BOOL interactive = 0;
    XACTVARIABLEINDEX iaVariableIndex = 0;
    XACTCATEGORY soundCategory = XACTCATEGORY_INVALID;
    BYTE soundPriority = 0;
};

class IXACT3Cue {
public:
    virtual HRESULT Play() = 0;
    virtual HRESULT Stop(DWORD flags) = 0;
    virtual HRESULT GetState(DWORD* state) = 0;
    virtual HRESULT GetProperties(XACT_CUE_INSTANCE_PROPERTIES* properties) = 0;
    // Frees the cue; the pointer is dead afterwards.
    virtual HRESULT Destroy() = 0;

protected:
    virtual ~IXACT3Cue() = default;
};

class IXACT3SoundBank {
public:
    virtual HRESULT GetNumCues(XACTINDEX* count) = 0;
    // The cue stays the caller's until it calls Destroy (or the bank goes).
    virtual HRESULT Prepare(XACTINDEX cue, DWORD flags, XACTTIME offset, IXACT3Cue** out) = 0;
    // Without `out` the bank frees the cue itself once it has stopped.
    virtual HRESULT Play(XACTINDEX cue, DWORD flags, XACTTIME offset, IXACT3Cue** out) = 0;
    virtual HRESULT Stop(XACTINDEX cue, DWORD flags) = 0;
    virtual HRESULT Destroy() = 0;

protected:
    virtual ~IXACT3SoundBank() = default;
};

class IXACT3WaveBank {
public:
    virtual HRESULT GetNumWaves(XACTINDEX* count) = 0;
    virtual HRESULT Destroy() = 0;

protected:
    virtual ~IXACT3WaveBank() = default;
};

class IXACT3Engine {
public:
    virtual ULONG Release() = 0;
    virtual HRESULT Initialize(const XACT_RUNTIME_PARAMETERS* params) = 0;
    // Destroys every bank and cue; the buffers handed in may be freed after.
    virtual HRESULT ShutDown() = 0;
    virtual HRESULT DoWork() = 0;
    // The buffers must stay alive until the bank is destroyed.
    virtual HRESULT CreateSoundBank(const void* buffer, DWORD size, DWORD flags, DWORD allocAttributes,
                                    IXACT3SoundBank** out) = 0;
    virtual HRESULT CreateInMemoryWaveBank(const void* buffer, DWORD size, DWORD flags,
                                           DWORD allocAttributes, IXACT3WaveBank** out) = 0;
    virtual HRESULT GetFinalMixFormat(WAVEFORMATEXTENSIBLE* format) = 0;
    virtual XACTCATEGORY GetCategory(const char* name) = 0;
    virtual HRESULT Stop(XACTCATEGORY category, DWORD flags) = 0;
    virtual HRESULT SetVolume(XACTCATEGORY category, XACTVOLUME volume) = 0;
    virtual HRESULT Pause(XACTCATEGORY category, BOOL pause) = 0;
    virtual XACTVARIABLEINDEX GetGlobalVariableIndex(const char* name) = 0;
    virtual HRESULT SetGlobalVariable(XACTVARIABLEINDEX index, XACTVARIABLEVALUE value) = 0;
    virtual HRESULT GetGlobalVariable(XACTVARIABLEINDEX index, XACTVARIABLEVALUE* value) = 0;

protected:
    virtual ~IXACT3Engine() = default;
};

HRESULT XACTCreateEngine(DWORD creationFlags, IXACT3Engine** engine);

// X3DAudio. The handle is opaque instance data.
constexpr int X3DAUDIO_HANDLE_BYTECOUNT = 20;
using X3DAUDIO_HANDLE = uint8_t[X3DAUDIO_HANDLE_BYTECOUNT];

struct X3DAUDIO_DSP_SETTINGS {
    float* pMatrixCoefficients = nullptr;
    float* pDelayTimes = nullptr;
    UINT SrcChannelCount = 0;
    UINT DstChannelCount = 0;
    float LPFDirectCoefficient = 0.0f;
    float LPFReverbCoefficient = 0.0f;
    float ReverbLevel = 0.0f;
    float DopplerFactor = 0.0f;
    float EmitterToListenerAngle = 0.0f;
    float EmitterToListenerDistance = 0.0f;
    float EmitterVelocityComponent = 0.0f;
    float ListenerVelocityComponent = 0.0f;
};

// Sets up X3DAudio for the engine's final mix with the engine's global
// variable "SpeedOfSound"; fails, touching nothing, when the engine's
// settings have no such variable.
HRESULT XACT3DInitialize(IXACT3Engine* engine, X3DAUDIO_HANDLE instance);
