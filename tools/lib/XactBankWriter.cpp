#include "tools/lib/XactBankWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace xact {
namespace {

constexpr uint16_t kContentVersion = 46;
constexpr uint16_t kGlobalToolVersion = 42;
constexpr uint16_t kSoundToolVersion = 43;
constexpr uint32_t kWaveHeaderVersion = 44;
constexpr uint32_t kWaveAlignment = 4;
constexpr uint32_t kWaveEntrySize = 24;

class Out {
public:
    std::vector<uint8_t> bytes;

    size_t size() const { return bytes.size(); }
    void u8(uint8_t v) { bytes.push_back(v); }
    void u16(uint16_t v) { put(v, 2); }
    void u32(uint32_t v) { put(v, 4); }
    void f32(float v)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        u32(bits);
    }
    void tag(const char* four) { bytes.insert(bytes.end(), four, four + 4); }
    void zeros(size_t count) { bytes.insert(bytes.end(), count, 0); }
    // A NUL-terminated string, or a fixed field of `width` bytes when given.
    void text(const std::string& s, size_t width = 0)
    {
        if (width && s.size() >= width)
            throw std::invalid_argument("name too long: " + s);
        bytes.insert(bytes.end(), s.begin(), s.end());
        zeros(width ? width - s.size() : 1);
    }
    void patch32(size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = uint8_t(v >> (8 * i));
    }
    void patch16(size_t at, uint16_t v)
    {
        bytes[at] = uint8_t(v);
        bytes[at + 1] = uint8_t(v >> 8);
    }

private:
    void put(uint32_t v, int count)
    {
        for (int i = 0; i < count; ++i)
            bytes.push_back(uint8_t(v >> (8 * i)));
    }
};

// The sound record is fixed in size: one complex track with one play-wave event.
constexpr uint32_t kSoundSize = 1 + 2 + 1 + 2 + 1 + 2 + 1 + 9 + 1 + 7 + 9;
constexpr uint32_t kComplexCueSize = 15;

} // namespace

uint8_t volumeByte(float decibels)
{
    // The formats store a byte b for a level of 3969 * log10(b / 28240) + 8715
    // hundredths of a decibel.
    const double b = 28240.0 * std::pow(10.0, (decibels * 100.0 - 8715.0) / 3969.0);
    return uint8_t(std::clamp(std::lround(b), 1L, 255L));
}

std::vector<uint8_t> writeGlobalSettings(const GlobalSettings& settings)
{
    Out out;
    out.tag("XGSF");
    out.u16(kContentVersion);
    out.u16(kGlobalToolVersion);
    out.u16(0);
    out.zeros(8); // last modified
    out.u8(3);    // Windows
    out.u16(uint16_t(settings.categories.size()));
    out.u16(uint16_t(settings.variables.size()));
    for (int i = 0; i < 5; ++i) // blob 1, blob 2, RPCs, DSP presets, DSP parameters
        out.u16(0);
    const size_t offsets = out.size();
    out.zeros(11 * 4);

    enum { Category, Variable, Blob1, CategoryNameIndex, Blob2, VariableNameIndex, CategoryName,
           VariableName, Rpc, DspPreset, DspParameter };
    auto mark = [&](int field) { out.patch32(offsets + 4 * field, uint32_t(out.size())); };

    mark(Category);
    for (const auto& c : settings.categories) {
        out.u8(c.instanceLimit);
        out.u16(0); // fade in
        out.u16(0); // fade out
        out.u8(0);  // behaviour at the instance limit: fail
        out.u16(c.parent);
        out.u8(volumeByte(c.volumeDb));
        out.u8(1); // visibility
    }
    mark(Variable);
    for (const auto& v : settings.variables) {
        out.u8(v.accessibility);
        out.f32(v.initial);
        out.f32(v.minimum);
        out.f32(v.maximum);
    }
    mark(Rpc);
    mark(DspPreset);
    mark(DspParameter);
    mark(Blob1);

    // Name tables: an index of (name offset, next in hash chain) records,
    // then the names themselves.
    auto names = [&](const auto& items, int indexField, int nameField) {
        mark(indexField);
        const size_t index = out.size();
        out.zeros(items.size() * 6);
        mark(nameField);
        for (size_t i = 0; i < items.size(); ++i) {
            out.patch32(index + i * 6, uint32_t(out.size()));
            out.patch16(index + i * 6 + 4, 0xFFFF);
            out.text(items[i].name);
        }
    };
    names(settings.categories, CategoryNameIndex, CategoryName);
    mark(Blob2);
    names(settings.variables, VariableNameIndex, VariableName);
    return out.bytes;
}

std::vector<uint8_t> writeWaveBank(const std::string& name, const std::vector<Wave>& waves)
{
    Out out;
    out.tag("WBND");
    out.u32(kContentVersion);
    out.u32(kWaveHeaderVersion);
    const size_t segments = out.size();
    out.zeros(5 * 8);

    const uint32_t bankData = uint32_t(out.size());
    out.u32(0); // in-memory bank, no names, no seek tables
    out.u32(uint32_t(waves.size()));
    out.text(name, 64);
    out.u32(kWaveEntrySize);
    out.u32(0); // entry name size
    out.u32(kWaveAlignment);
    out.u32(0); // compact format
    out.zeros(8); // build time
    const uint32_t bankDataSize = uint32_t(out.size()) - bankData;

    const uint32_t meta = uint32_t(out.size());
    uint32_t dataOffset = 0;
    for (const auto& w : waves) {
        const uint32_t frames = uint32_t(w.samples.size() / std::max<uint16_t>(w.channels, 1));
        const uint32_t length = frames * w.channels * 2;
        const uint32_t blockAlign = w.channels * 2u;
        out.u32(frames << 4); // flags 0, duration in samples
        out.u32(0u | (uint32_t(w.channels) << 2) | (w.sampleRate << 5) | (blockAlign << 23) |
                (1u << 31)); // PCM, 16 bits
        out.u32(dataOffset);
        out.u32(length);
        out.u32(0);      // loop start
        out.u32(frames); // loop length: the whole wave
        dataOffset += (length + kWaveAlignment - 1) / kWaveAlignment * kWaveAlignment;
    }
    const uint32_t metaSize = uint32_t(out.size()) - meta;
    const uint32_t empty = uint32_t(out.size());
    const uint32_t data = uint32_t(out.size());
    for (const auto& w : waves) {
        for (int16_t s : w.samples)
            out.u16(uint16_t(s));
        while ((out.size() - data) % kWaveAlignment)
            out.u8(0);
    }
    const uint32_t segment[5][2] = {
        {bankData, bankDataSize}, {meta, metaSize}, {empty, 0}, {empty, 0},
        {data, uint32_t(out.size()) - data}};
    for (int i = 0; i < 5; ++i) {
        out.patch32(segments + 8 * i, segment[i][0]);
        out.patch32(segments + 8 * i + 4, segment[i][1]);
    }
    return out.bytes;
}

std::vector<uint8_t> writeSoundBank(const SoundBank& bank)
{
    for (const auto& cue : bank.cues) {
        if (cue.entries.empty() && cue.sound >= bank.sounds.size())
            throw std::invalid_argument("cue " + cue.name + " names a missing sound");
        for (const auto& e : cue.entries)
            if (e.sound >= bank.sounds.size())
                throw std::invalid_argument("cue " + cue.name + " names a missing sound");
    }
    Out out;
    out.tag("SDBK");
    out.u16(kContentVersion);
    out.u16(kSoundToolVersion);
    out.u16(0);   // checksum, not checked by readers
    out.zeros(8); // last modified
    out.u8(1);    // Windows
    out.u16(0);   // simple cues
    out.u16(uint16_t(bank.cues.size()));
    out.u16(0);
    out.u16(0); // cue hash table size
    out.u8(1);  // wave banks
    out.u16(uint16_t(bank.sounds.size()));
    const size_t nameLengthField = out.size();
    out.u16(0);
    out.u16(0);
    const size_t offsets = out.size();
    out.zeros(10 * 4);
    enum { Simple, Complex, CueName, Unknown, Variation, Transition, WaveBankName, CueHash,
           CueNameIndex, SoundTable };
    auto set = [&](int field, uint32_t value) { out.patch32(offsets + 4 * field, value); };
    auto mark = [&](int field) { set(field, uint32_t(out.size())); };

    out.text(bank.name, 64);
    mark(WaveBankName);
    out.text(bank.waveBankName, 64);

    mark(SoundTable);
    const uint32_t firstSound = uint32_t(out.size());
    for (const auto& s : bank.sounds) {
        const uint32_t start = uint32_t(out.size());
        out.u8(0x01); // complex: has tracks
        out.u16(s.category);
        out.u8(volumeByte(s.volumeDb));
        out.u16(0); // pitch
        out.u8(s.priority);
        out.u16(uint16_t(kSoundSize));
        out.u8(1); // tracks
        out.u8(volumeByte(0.0f));
        out.u32(start + 1 + 2 + 1 + 2 + 1 + 2 + 1 + 9); // the track's events follow its record
        out.u8(0);  // no filter
        out.u8(1);  // filter Q
        out.u16(0); // filter frequency
        out.u8(1);  // events
        out.u32(1); // play wave at time 0
        out.u16(0); // random offset
        out.u8(0xFF);
        out.u8(0); // flags
        out.u16(s.wave);
        out.u8(0); // wave bank 0
        out.u8(s.loopCount);
        out.u16(0); // position
        out.u16(0); // angle
    }
    auto soundCode = [&](uint16_t sound) { return firstSound + sound * kSoundSize; };

    set(Simple, 0xFFFFFFFF);
    mark(Complex);
    uint32_t variation = uint32_t(out.size() + bank.cues.size() * kComplexCueSize);
    for (const auto& cue : bank.cues) {
        const bool interactive = !cue.entries.empty();
        out.u8(interactive ? 0x00 : 0x04);
        out.u32(interactive ? variation : soundCode(cue.sound));
        out.u32(0xFFFFFFFF); // no transitions
        out.u8(cue.instanceLimit);
        out.u16(0);
        out.u16(0);
        out.u8(uint8_t(cue.maxInstanceBehavior << 3));
        if (interactive)
            variation += uint32_t(8 + 16 * cue.entries.size());
    }
    mark(Variation);
    for (const auto& cue : bank.cues) {
        if (cue.entries.empty())
            continue;
        out.u16(uint16_t(cue.entries.size()));
        out.u16(3 << 3); // interactive, float bounds
        out.u16(0);
        out.u16(cue.variable);
        for (const auto& e : cue.entries) {
            out.u32(soundCode(e.sound));
            out.f32(e.minimum);
            out.f32(e.maximum);
            out.u32(0); // linger
        }
    }
    set(Transition, 0xFFFFFFFF);
    set(CueHash, 0xFFFFFFFF);
    set(CueNameIndex, 0xFFFFFFFF);
    mark(CueName);
    const size_t names = out.size();
    for (const auto& cue : bank.cues)
        out.text(cue.name);
    out.patch16(nameLengthField, uint16_t(out.size() - names));
    return out.bytes;
}

} // namespace xact
