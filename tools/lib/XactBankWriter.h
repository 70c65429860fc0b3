#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writers of the three XACT 3 bank files the game loads: global settings
// (.xgs), an in-memory wave bank of PCM waves (.xwb) and a sound bank (.xsb).
// Little-endian Windows layouts, content version 46. Every cue is written as
// a complex cue, so cue indices are exactly the order of `cues`.

namespace xact {

constexpr uint16_t kNoParent = 0xFFFF;
constexpr uint16_t kNoCategory = 0xFFFF;

// Variable accessibility bits.
constexpr uint8_t kPublic = 0x01;
constexpr uint8_t kReadOnly = 0x02;
constexpr uint8_t kCueInstance = 0x04;

struct Category {
    std::string name;
    uint16_t parent = kNoParent;
    uint8_t instanceLimit = 255;
    float volumeDb = 0.0f;
};

struct Variable {
    std::string name;
    uint8_t accessibility = kPublic;
    float initial = 0.0f;
    float minimum = 0.0f;
    float maximum = 1.0f;
};

struct GlobalSettings {
    std::vector<Category> categories;
    std::vector<Variable> variables;
};

// One mono or stereo wave of 16-bit samples (interleaved when stereo).
struct Wave {
    uint16_t channels = 1;
    uint32_t sampleRate = 22050;
    std::vector<int16_t> samples;
};

// One sound: one track that plays one wave of wave bank 0.
struct Sound {
    uint16_t category = 1;
    float volumeDb = 0.0f;
    uint16_t wave = 0;
    uint8_t loopCount = 0; // 255 loops for ever
    uint8_t priority = 0;
};

// A cue plays one sound, or chooses among sounds by the value of a variable:
// the entry whose [minimum, maximum] holds the value plays.
struct InteractiveEntry {
    uint16_t sound = 0;
    float minimum = 0.0f;
    float maximum = 0.0f;
};

struct Cue {
    std::string name;
    uint16_t sound = 0;                     // used when `entries` is empty
    uint16_t variable = 0;                  // the interactive variable
    std::vector<InteractiveEntry> entries;
    uint8_t instanceLimit = 255;
    uint8_t maxInstanceBehavior = 0;        // 0 fail, 2 replace the oldest
};

struct SoundBank {
    std::string name;
    std::string waveBankName;
    std::vector<Sound> sounds;
    std::vector<Cue> cues;
};

std::vector<uint8_t> writeGlobalSettings(const GlobalSettings& settings);
std::vector<uint8_t> writeWaveBank(const std::string& name, const std::vector<Wave>& waves);
// Throws std::invalid_argument when a cue names a sound that does not exist.
std::vector<uint8_t> writeSoundBank(const SoundBank& bank);

// The volume byte of the formats for a level in decibels (0 dB is 180).
uint8_t volumeByte(float decibels);

// Offsets of fields in the written files, for tests that damage them.
namespace layout {
constexpr size_t kGlobalCategoryCount = 19;
constexpr size_t kGlobalVariableCount = 21;
constexpr size_t kGlobalCategories = 77;      // first category record (10 bytes each)
constexpr size_t kSoundCueComplexCount = 21;
constexpr size_t kSoundWaveBankCount = 27;
constexpr size_t kSoundSoundCount = 28;
constexpr size_t kSoundFirstSound = 138 + 64; // behind one wave bank name
constexpr size_t kWaveSegments = 12;          // five (offset, length) pairs
constexpr size_t kWaveBankData = 52;
constexpr size_t kWaveEntryCount = 56;
constexpr size_t kWaveMetaElementSize = 124;
constexpr size_t kWaveFirstEntry = 148;       // 24 bytes each
} // namespace layout

} // namespace xact
