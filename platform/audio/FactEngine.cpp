// The XACT interfaces over FAudio's FACT. This file and Xact3D.cpp are the
// only places that call FAudio. FACT checks no index and parses banks without
// bounds, so every call is guarded here first: bank bytes by XactBankReader,
// cue indices by the sound bank's cue count and loaded wave banks, categories
// and variables by the engine's settings.
#include "platform/audio/FactEngine.h"

#include "platform/audio/Xact.h"
#include "platform/audio/XactBankReader.h"

#include <FACT.h>

#if defined(__SANITIZE_ADDRESS__)
#define VORLUND_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VORLUND_LEAK_CHECK 1
#endif
#endif
#ifdef VORLUND_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

std::atomic<long> g_liveObjects{0};

void* countedMalloc(size_t size)
{
    void* p = std::malloc(size);
    if (p)
        ++g_liveObjects;
    return p;
}

void countedFree(void* p)
{
    if (p) {
        --g_liveObjects;
        std::free(p);
    }
}

void* countedRealloc(void* p, size_t size)
{
    if (!p)
        return countedMalloc(size);
    if (size == 0) {
        countedFree(p);
        return nullptr;
    }
    return std::realloc(p, size);
}

void reportRefused(const char* what, const std::string& why)
{
    std::fprintf(stderr, "XACT: %s refused: %s\n", what, why.c_str());
}

class FactEngine;
class FactSoundBank;

class FactCue final : public IXACT3Cue {
public:
    FactCue(FactSoundBank* bank, FACTCue* cue) : m_bank(bank), m_cue(cue) {}

    HRESULT Play() override { return FACTCue_Play(m_cue) == 0 ? S_OK : XACTENGINE_E_INSTANCELIMITFAILTOPLAY; }
    HRESULT Stop(DWORD flags) override
    {
        FACTCue_Stop(m_cue, (flags & XACT_FLAG_CUE_STOP_IMMEDIATE) ? FACT_FLAG_STOP_IMMEDIATE : 0);
        return S_OK;
    }
    HRESULT GetState(DWORD* state) override
    {
        uint32_t s = 0;
        FACTCue_GetState(m_cue, &s);
        if (state)
            *state = s;
        return S_OK;
    }
    HRESULT GetProperties(XACT_CUE_INSTANCE_PROPERTIES* properties) override
    {
        if (!properties)
            return E_FAIL;
        FACTCueInstanceProperties* fact = nullptr;
        if (FACTCue_GetProperties(m_cue, &fact) != 0 || !fact)
            return E_FAIL;
        properties->interactive = fact->cueProperties.interactive;
        properties->iaVariableIndex = fact->cueProperties.iaVariableIndex;
        properties->soundCategory = fact->activeVariationProperties.soundProperties.category;
        properties->soundPriority = fact->activeVariationProperties.soundProperties.priority;
        countedFree(fact); // allocated through the engine's allocator
        return S_OK;
    }
    HRESULT Destroy() override;

private:
    FactSoundBank* m_bank;
    FACTCue* m_cue;
};

class FactWaveBank final : public IXACT3WaveBank {
public:
    FactWaveBank(FactEngine* engine, FACTWaveBank* bank, XactWaveBankInfo info)
        : m_engine(engine), m_bank(bank), m_info(std::move(info))
    {
    }

    HRESULT GetNumWaves(XACTINDEX* count) override
    {
        if (count)
            *count = XACTINDEX(std::min<uint32_t>(m_info.waveCount, 0xFFFF));
        return S_OK;
    }
    HRESULT Destroy() override;

    const XactWaveBankInfo& info() const { return m_info; }
    FACTWaveBank* handle() const { return m_bank; }

private:
    FactEngine* m_engine;
    FACTWaveBank* m_bank;
    XactWaveBankInfo m_info;
};

class FactSoundBank final : public IXACT3SoundBank {
public:
    FactSoundBank(FactEngine* engine, FACTSoundBank* bank, XactSoundBankInfo info)
        : m_engine(engine), m_bank(bank), m_info(std::move(info))
    {
    }

    HRESULT GetNumCues(XACTINDEX* count) override
    {
        if (count)
            *count = m_info.cueCount;
        return S_OK;
    }
    HRESULT Prepare(XACTINDEX cue, DWORD flags, XACTTIME offset, IXACT3Cue** out) override;
    HRESULT Play(XACTINDEX cue, DWORD flags, XACTTIME offset, IXACT3Cue** out) override;
    HRESULT Stop(XACTINDEX cue, DWORD flags) override
    {
        if (cue >= m_info.cueCount)
            return XACTENGINE_E_INVALIDCUEINDEX;
        FACTSoundBank_Stop(m_bank, cue,
                           (flags & XACT_FLAG_SOUNDBANK_STOP_IMMEDIATE) ? FACT_FLAG_STOP_IMMEDIATE : 0);
        return S_OK;
    }
    HRESULT Destroy() override;

    void forgetCue(FactCue* cue)
    {
        std::erase_if(m_cues, [cue](const auto& c) { return c.get() == cue; });
    }
    FACTSoundBank* handle() const { return m_bank; }

private:
    HRESULT playable(XACTINDEX cue) const;
    IXACT3Cue* keep(FACTCue* cue)
    {
        m_cues.push_back(std::make_unique<FactCue>(this, cue));
        return m_cues.back().get();
    }

    FactEngine* m_engine;
    FACTSoundBank* m_bank;
    XactSoundBankInfo m_info;
    // Cues handed out by Prepare or Play; FACT frees its side with the bank.
    std::vector<std::unique_ptr<FactCue>> m_cues;
};

class FactEngine final : public IXACT3Engine {
public:
    explicit FactEngine(FACTAudioEngine* engine) : m_engine(engine) {}

    ULONG Release() override
    {
        if (m_initialized)
            ShutDown();
        FACTAudioEngine_Release(m_engine);
        delete this;
        return 0;
    }

    HRESULT Initialize(const XACT_RUNTIME_PARAMETERS* params) override
    {
        if (m_initialized)
            return XACTENGINE_E_ALREADYINITIALIZED;
        FACTRuntimeParameters fact;
        std::memset(&fact, 0, sizeof fact);
        m_globals = {};
        if (params) {
            fact.lookAheadTime = params->lookAheadTime;
            if (params->pGlobalSettingsBuffer) {
                std::string error;
                if (!readXactGlobalSettings(static_cast<const uint8_t*>(params->pGlobalSettingsBuffer),
                                            params->globalSettingsBufferSize, m_globals, error)) {
                    reportRefused("global settings", error);
                    return XACTENGINE_E_INVALIDDATA;
                }
                fact.pGlobalSettingsBuffer = params->pGlobalSettingsBuffer;
                fact.globalSettingsBufferSize = params->globalSettingsBufferSize;
            }
        }
        // FACT makes its own FAudio and mastering voice when it is given
        // none, and when the voice cannot be made (no sound device) it
        // releases that FAudio but keeps the pointer, which its shut-down
        // then releases a second time. Both are made here instead, and the
        // engine is started only once they exist; it owns them from then on.
        FAudio* audio = nullptr;
        if (FAudioCreate(&audio, 0, FAUDIO_DEFAULT_PROCESSOR) != 0 || !audio)
            return E_FAIL;
        FAudioMasteringVoice* master = nullptr;
        if (FAudio_CreateMasteringVoice(audio, &master, FAUDIO_DEFAULT_CHANNELS, FAUDIO_DEFAULT_SAMPLERATE, 0, 0,
                                        nullptr) != 0) {
            FAudio_Release(audio);
            return E_FAIL;
        }
        fact.pXAudio2 = audio;
        fact.pMasteringVoice = master;
        if (FACTAudioEngine_Initialize(m_engine, &fact) != 0) {
            // Refused before the engine took them.
            FAudioVoice_DestroyVoice(master);
            FAudio_Release(audio);
            return E_FAIL;
        }
        m_initialized = true;
        if (!fact.pGlobalSettingsBuffer)
            learnDefaultCategories();
        return S_OK;
    }

    HRESULT ShutDown() override
    {
        if (!m_initialized)
            return XACTENGINE_E_NOTINITIALIZED;
        FACTAudioEngine_ShutDown(m_engine);
        m_soundBanks.clear();
        m_waveBanks.clear();
        m_initialized = false;
        return S_OK;
    }

    HRESULT DoWork() override
    {
        if (!m_initialized)
            return XACTENGINE_E_NOTINITIALIZED;
        FACTAudioEngine_DoWork(m_engine);
        return S_OK;
    }

    HRESULT CreateSoundBank(const void* buffer, DWORD size, DWORD flags, DWORD allocAttributes,
                            IXACT3SoundBank** out) override
    {
        if (!out)
            return E_FAIL;
        *out = nullptr;
        if (!m_initialized)
            return XACTENGINE_E_NOTINITIALIZED;
        XactSoundBankInfo info;
        std::string error;
        if (!buffer || !readXactSoundBank(static_cast<const uint8_t*>(buffer), size, m_globals, info, error)) {
            reportRefused("sound bank", buffer ? error : "no data");
            return XACTENGINE_E_INVALIDDATA;
        }
        FACTSoundBank* bank = nullptr;
        if (FACTAudioEngine_CreateSoundBank(m_engine, buffer, size, flags, allocAttributes, &bank) != 0)
            return XACTENGINE_E_INVALIDDATA;
        m_soundBanks.push_back(std::make_unique<FactSoundBank>(this, bank, std::move(info)));
        *out = m_soundBanks.back().get();
        return S_OK;
    }

    HRESULT CreateInMemoryWaveBank(const void* buffer, DWORD size, DWORD flags, DWORD allocAttributes,
                                   IXACT3WaveBank** out) override
    {
        if (!out)
            return E_FAIL;
        *out = nullptr;
        if (!m_initialized)
            return XACTENGINE_E_NOTINITIALIZED;
        XactWaveBankInfo info;
        std::string error;
        if (!buffer || !readXactWaveBank(static_cast<const uint8_t*>(buffer), size, info, error)) {
            reportRefused("wave bank", buffer ? error : "no data");
            return XACTENGINE_E_INVALIDDATA;
        }
        // Sound banks find their wave banks by name; FACT takes the first.
        if (findWaveBank(info.name)) {
            reportRefused("wave bank", "a wave bank named \"" + info.name + "\" is loaded already");
            return XACTENGINE_E_INVALIDDATA;
        }
        FACTWaveBank* bank = nullptr;
        if (FACTAudioEngine_CreateInMemoryWaveBank(m_engine, buffer, size, flags, allocAttributes, &bank) != 0)
            return XACTENGINE_E_INVALIDDATA;
        m_waveBanks.push_back(std::make_unique<FactWaveBank>(this, bank, std::move(info)));
        *out = m_waveBanks.back().get();
        return S_OK;
    }

    HRESULT GetFinalMixFormat(WAVEFORMATEXTENSIBLE* format) override
    {
        if (!m_initialized || !format)
            return XACTENGINE_E_NOTINITIALIZED;
        FAudioWaveFormatExtensible mix;
        std::memset(&mix, 0, sizeof mix);
        FACTAudioEngine_GetFinalMixFormat(m_engine, &mix);
        format->Format.wFormatTag = mix.Format.wFormatTag;
        format->Format.nChannels = mix.Format.nChannels;
        format->Format.nSamplesPerSec = mix.Format.nSamplesPerSec;
        format->Format.nAvgBytesPerSec = mix.Format.nAvgBytesPerSec;
        format->Format.nBlockAlign = mix.Format.nBlockAlign;
        format->Format.wBitsPerSample = mix.Format.wBitsPerSample;
        format->Format.cbSize = mix.Format.cbSize;
        format->wValidBitsPerSample = mix.Samples.wValidBitsPerSample;
        format->dwChannelMask = mix.dwChannelMask;
        return S_OK;
    }

    XACTCATEGORY GetCategory(const char* name) override
    {
        if (!m_initialized || !name)
            return XACTCATEGORY_INVALID;
        return FACTAudioEngine_GetCategory(m_engine, name);
    }

    HRESULT Stop(XACTCATEGORY category, DWORD flags) override
    {
        if (!knownCategory(category))
            return XACTENGINE_E_INVALIDCATEGORY;
        FACTAudioEngine_Stop(m_engine, category,
                             (flags & XACT_FLAG_ENGINE_STOP_IMMEDIATE) ? FACT_FLAG_STOP_IMMEDIATE : 0);
        return S_OK;
    }

    HRESULT SetVolume(XACTCATEGORY category, XACTVOLUME volume) override
    {
        if (!knownCategory(category))
            return XACTENGINE_E_INVALIDCATEGORY;
        FACTAudioEngine_SetVolume(m_engine, category, volume);
        return S_OK;
    }

    HRESULT Pause(XACTCATEGORY category, BOOL pause) override
    {
        if (!knownCategory(category))
            return XACTENGINE_E_INVALIDCATEGORY;
        FACTAudioEngine_Pause(m_engine, category, pause ? 1 : 0);
        return S_OK;
    }

    XACTVARIABLEINDEX GetGlobalVariableIndex(const char* name) override
    {
        if (!m_initialized || !name)
            return XACTVARIABLEINDEX_INVALID;
        return FACTAudioEngine_GetGlobalVariableIndex(m_engine, name);
    }

    HRESULT SetGlobalVariable(XACTVARIABLEINDEX index, XACTVARIABLEVALUE value) override
    {
        if (!globalVariable(index, true))
            return XACTENGINE_E_INVALIDVARIABLEINDEX;
        FACTAudioEngine_SetGlobalVariable(m_engine, index, value);
        return S_OK;
    }

    HRESULT GetGlobalVariable(XACTVARIABLEINDEX index, XACTVARIABLEVALUE* value) override
    {
        if (!value || !globalVariable(index, false))
            return XACTENGINE_E_INVALIDVARIABLEINDEX;
        FACTAudioEngine_GetGlobalVariable(m_engine, index, value);
        return S_OK;
    }

    const FactWaveBank* findWaveBank(const std::string& name) const
    {
        for (const auto& bank : m_waveBanks)
            if (bank->info().name == name)
                return bank.get();
        return nullptr;
    }

    void destroyWaveBank(FactWaveBank* bank)
    {
        FACTWaveBank_Destroy(bank->handle());
        std::erase_if(m_waveBanks, [bank](const auto& b) { return b.get() == bank; });
    }

    void destroySoundBank(FactSoundBank* bank)
    {
        FACTSoundBank_Destroy(bank->handle());
        std::erase_if(m_soundBanks, [bank](const auto& b) { return b.get() == bank; });
    }

private:
    bool knownCategory(XACTCATEGORY category) const
    {
        return m_initialized && category < m_globals.categories.size();
    }

    // Only public global variables may be read, and only writable ones set:
    // FACT would read or write any slot it is given.
    bool globalVariable(XACTVARIABLEINDEX index, bool write) const
    {
        if (!m_initialized || index >= m_globals.variables.size())
            return false;
        const uint8_t access = m_globals.variables[index].accessibility;
        if (!(access & kXactVariablePublic) || (access & kXactVariableCueInstance))
            return false;
        return !write || !(access & kXactVariableReadOnly);
    }

    // Without a settings file FACT makes its own few categories and no
    // variables; learn which.
    void learnDefaultCategories()
    {
        for (const char* name : {"Global", "Default", "Music"}) {
            const uint16_t index = FACTAudioEngine_GetCategory(m_engine, name);
            if (index != FACTCATEGORY_INVALID && index < 64) {
                if (m_globals.categories.size() <= index)
                    m_globals.categories.resize(index + 1u);
                m_globals.categories[index] = name;
            }
        }
    }

    FACTAudioEngine* m_engine;
    bool m_initialized = false;
    XactGlobalInfo m_globals;
    std::vector<std::unique_ptr<FactWaveBank>> m_waveBanks;
    std::vector<std::unique_ptr<FactSoundBank>> m_soundBanks;
};

HRESULT FactCue::Destroy()
{
    FACTCue_Destroy(m_cue);
    m_bank->forgetCue(this);
    return S_OK;
}

HRESULT FactWaveBank::Destroy()
{
    m_engine->destroyWaveBank(this);
    return S_OK;
}

HRESULT FactSoundBank::Destroy()
{
    m_engine->destroySoundBank(this);
    return S_OK;
}

// A cue may start only when it exists and every wave bank this bank plays
// from is loaded with the waves it needs: FACT would follow a missing bank
// or wave without looking.
HRESULT FactSoundBank::playable(XACTINDEX cue) const
{
    if (cue >= m_info.cueCount)
        return XACTENGINE_E_INVALIDCUEINDEX;
    for (size_t i = 0; i < m_info.waveBanks.size(); ++i) {
        if (m_info.wavesNeeded[i] == 0)
            continue;
        const FactWaveBank* bank = m_engine->findWaveBank(m_info.waveBanks[i]);
        if (!bank || bank->info().waveCount < m_info.wavesNeeded[i])
            return XACTENGINE_E_NOWAVEBANK;
    }
    return S_OK;
}

HRESULT FactSoundBank::Prepare(XACTINDEX cue, DWORD flags, XACTTIME offset, IXACT3Cue** out)
{
    if (!out)
        return E_FAIL;
    *out = nullptr;
    if (HRESULT hr = playable(cue); FAILED(hr))
        return hr;
    FACTCue* prepared = nullptr;
    if (FACTSoundBank_Prepare(m_bank, cue, flags, offset, &prepared) != 0 || !prepared)
        return E_FAIL;
    *out = keep(prepared);
    return S_OK;
}

HRESULT FactSoundBank::Play(XACTINDEX cue, DWORD flags, XACTTIME offset, IXACT3Cue** out)
{
    if (out)
        *out = nullptr;
    if (HRESULT hr = playable(cue); FAILED(hr))
        return hr;
    if (!out) {
        // FACT owns a cue played without a handle and frees it once stopped.
        FACTSoundBank_Play(m_bank, cue, flags, offset, nullptr);
        return S_OK;
    }
    FACTCue* played = nullptr;
    if (FACTSoundBank_Play(m_bank, cue, flags, offset, &played) != 0 || !played)
        return E_FAIL;
    *out = keep(played);
    return S_OK;
}

} // namespace

long xactLiveObjects()
{
    return g_liveObjects.load();
}

HRESULT XACTCreateEngine(DWORD creationFlags, IXACT3Engine** engine)
{
    if (!engine)
        return E_FAIL;
    *engine = nullptr;
    FACTAudioEngine* fact = nullptr;
#ifdef VORLUND_LEAK_CHECK
    // FAudio never frees the two bank-list mutexes an engine makes here. The
    // leak checker is told to overlook what this one call allocates: the
    // name-based suppression needs the slow unwinder, which deadlocks in
    // programs whose GL driver compiles shaders.
    __lsan_disable();
#endif
    const bool created = FACTCreateEngineWithCustomAllocatorEXT(creationFlags, &fact, countedMalloc, countedFree,
                                                                countedRealloc) == 0;
#ifdef VORLUND_LEAK_CHECK
    __lsan_enable();
#endif
    if (!created || !fact)
        return E_FAIL;
    *engine = new FactEngine(fact);
    return S_OK;
}
