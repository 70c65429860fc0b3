#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Structural checks of the three XACT bank files before FAudio sees them.
// FAudio parses a bank by walking it with no bounds at all and trusts every
// count, offset and index inside; one damaged byte is a crash. Each reader
// here walks the same layout with every read bounded and every reference
// checked, and answers what the engine layer needs to guard its calls. A
// refused bank comes back with `error` set and is never handed to FAudio.
//
// Only what the game's banks use is accepted: little-endian Windows banks,
// PCM waves, sounds without RPC or DSP attachments, cues without transitions.

struct XactVariableInfo {
    std::string name;
    uint8_t accessibility = 0;
};

struct XactGlobalInfo {
    std::vector<std::string> categories;
    std::vector<XactVariableInfo> variables;
};

struct XactWaveBankInfo {
    std::string name;
    uint32_t waveCount = 0;
};

struct XactSoundBankInfo {
    uint16_t cueCount = 0;
    // The wave banks the sounds play from, by name, and for each the highest
    // wave index used plus one: a cue may play only while every one of these
    // is loaded and holds that many waves.
    std::vector<std::string> waveBanks;
    std::vector<uint32_t> wavesNeeded;
};

// False with `error` set when the bytes are refused.
bool readXactGlobalSettings(const uint8_t* data, size_t size, XactGlobalInfo& info, std::string& error);
bool readXactWaveBank(const uint8_t* data, size_t size, XactWaveBankInfo& info, std::string& error);
// Category and variable references are checked against the engine's settings.
bool readXactSoundBank(const uint8_t* data, size_t size, const XactGlobalInfo& globals,
                       XactSoundBankInfo& info, std::string& error);

// Variable access bits as the settings store them.
constexpr uint8_t kXactVariablePublic = 0x01;
constexpr uint8_t kXactVariableReadOnly = 0x02;
constexpr uint8_t kXactVariableCueInstance = 0x04;
