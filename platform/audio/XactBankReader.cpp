#include "platform/audio/XactBankReader.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace {

// A bounded little-endian cursor. A read past the end returns zero and marks
// the cursor failed; callers check `ok` once per record.
class Cursor {
public:
    Cursor(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool ok = true;

    size_t pos() const { return m_pos; }
    size_t left() const { return m_size - m_pos; }
    bool atEnd() const { return m_pos == m_size; }

    bool skip(size_t count)
    {
        if (!ok || count > left())
            return fail();
        m_pos += count;
        return true;
    }
    uint8_t u8() { return uint8_t(take(1)); }
    uint16_t u16() { return uint16_t(take(2)); }
    uint32_t u32() { return uint32_t(take(4)); }
    float f32()
    {
        const uint32_t bits = u32();
        float value;
        std::memcpy(&value, &bits, 4);
        return value;
    }
    // A NUL-terminated string that ends inside the data.
    std::string text()
    {
        if (!ok)
            return {};
        const void* end = std::memchr(m_data + m_pos, 0, left());
        if (!end) {
            fail();
            return {};
        }
        std::string s(reinterpret_cast<const char*>(m_data + m_pos));
        m_pos += s.size() + 1;
        return s;
    }
    // A fixed field of `width` bytes holding a NUL-terminated string.
    std::string field(size_t width)
    {
        if (!ok || width > left() || !std::memchr(m_data + m_pos, 0, width)) {
            fail();
            return {};
        }
        std::string s(reinterpret_cast<const char*>(m_data + m_pos));
        m_pos += width;
        return s;
    }

private:
    bool fail()
    {
        ok = false;
        return false;
    }
    uint64_t take(size_t count)
    {
        if (!skip(count))
            return 0;
        uint64_t v = 0;
        for (size_t i = 0; i < count; ++i)
            v |= uint64_t(m_data[m_pos - count + i]) << (8 * i);
        return v;
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

bool refuse(std::string& error, const char* what)
{
    error = what;
    return false;
}

bool supportedContent(uint32_t version)
{
    return version == 44 || version == 45 || version == 46;
}

constexpr uint32_t kNoOffset = 0xFFFFFFFF;
constexpr uint16_t kNoCategory = 0xFFFF;

} // namespace

bool readXactGlobalSettings(const uint8_t* data, size_t size, XactGlobalInfo& info, std::string& error)
{
    info = {};
    Cursor in(data, size);
    const uint32_t magic = in.u32();
    if (!in.ok || magic != 0x46534758u) // "XGSF", little-endian
        return refuse(error, "not a little-endian XACT global settings file");
    if (!supportedContent(in.u16()) || in.u16() != 42)
        return refuse(error, "unsupported global settings version");
    in.skip(2 + 8);
    const uint8_t platform = in.u8();
    if (platform != 3 && platform != 7)
        return refuse(error, "unsupported global settings platform");
    const uint16_t categoryCount = in.u16();
    const uint16_t variableCount = in.u16();
    const uint16_t blob1Count = in.u16();
    const uint16_t blob2Count = in.u16();
    const uint16_t rpcCount = in.u16();
    const uint16_t presetCount = in.u16();
    in.u16(); // parameter count: the presets carry their own
    uint32_t offset[11];
    for (auto& o : offset)
        o = in.u32();
    enum { Category, Variable, Blob1, CategoryNameIndex, Blob2, VariableNameIndex, CategoryName,
           VariableName, Rpc, DspPreset, DspParameter };
    if (!in.ok)
        return refuse(error, "global settings header cut short");
    auto at = [&](int field) { return in.ok && in.pos() == offset[field]; };

    if (!at(Category))
        return refuse(error, "global settings category table misplaced");
    std::vector<uint16_t> parents(categoryCount);
    for (auto& parent : parents) {
        in.skip(1 + 2 + 2 + 1);
        parent = in.u16();
        in.skip(2);
    }
    if (!at(Variable))
        return refuse(error, "global settings variable table misplaced");
    info.variables.resize(variableCount);
    for (auto& v : info.variables) {
        v.accessibility = in.u8();
        in.skip(12);
    }
    if (rpcCount > 0) {
        if (!at(Rpc))
            return refuse(error, "global settings RPC table misplaced");
        for (uint16_t i = 0; i < rpcCount && in.ok; ++i) {
            if (in.u16() >= variableCount)
                return refuse(error, "RPC names a missing variable");
            const uint8_t points = in.u8();
            in.skip(2 + size_t(points) * 9);
        }
    }
    if (presetCount > 0) {
        if (!at(DspPreset))
            return refuse(error, "global settings DSP table misplaced");
        uint64_t parameters = 0;
        for (uint16_t i = 0; i < presetCount && in.ok; ++i) {
            in.skip(1);
            parameters += in.u32();
        }
        if (!at(DspParameter) || parameters > in.left() / 15)
            return refuse(error, "global settings DSP parameters cut short");
        in.skip(size_t(parameters) * 15);
    }
    if (!at(Blob1) || !in.skip(size_t(blob1Count) * 2) || !at(CategoryNameIndex) ||
        !in.skip(size_t(categoryCount) * 6) || !at(CategoryName))
        return refuse(error, "global settings category names misplaced");
    for (uint16_t i = 0; i < categoryCount && in.ok; ++i)
        info.categories.push_back(in.text());
    if (!at(Blob2) || !in.skip(size_t(blob2Count) * 2) || !at(VariableNameIndex) ||
        !in.skip(size_t(variableCount) * 6) || !at(VariableName))
        return refuse(error, "global settings variable names misplaced");
    for (auto& v : info.variables)
        v.name = in.text();
    if (!in.ok || !in.atEnd())
        return refuse(error, "global settings length does not match its tables");

    // FAudio walks parent chains until it meets "no parent": a chain must end
    // inside the table and never loop.
    for (uint16_t i = 0; i < categoryCount; ++i) {
        uint16_t c = i;
        for (uint32_t steps = 0; parents[c] != kNoCategory; ++steps) {
            if (parents[c] >= categoryCount || steps >= categoryCount)
                return refuse(error, "category parents do not form a tree");
            c = parents[c];
        }
    }
    return true;
}

bool readXactWaveBank(const uint8_t* data, size_t size, XactWaveBankInfo& info, std::string& error)
{
    info = {};
    Cursor in(data, size);
    if (in.u32() != 0x444E4257u) // "WBND", little-endian
        return refuse(error, "not a little-endian XACT wave bank");
    if (!supportedContent(in.u32()))
        return refuse(error, "unsupported wave bank version");
    const uint32_t headerVersion = in.u32();
    if (headerVersion < 42 || headerVersion > 44)
        return refuse(error, "unsupported wave bank header version");
    uint32_t segOffset[5], segLength[5];
    for (int i = 0; i < 5; ++i) {
        segOffset[i] = in.u32();
        segLength[i] = in.u32();
        if (uint64_t(segOffset[i]) + segLength[i] > size)
            return refuse(error, "wave bank segment outside the file");
    }
    if (!in.ok)
        return refuse(error, "wave bank header cut short");
    enum { BankData, EntryMeta, SeekTables, EntryNames, WaveData };

    // FAudio reads the whole bank record whatever its segment says.
    Cursor bank(data, size);
    bank.skip(segOffset[BankData]);
    const uint32_t flags = bank.u32();
    const uint32_t count = bank.u32();
    info.name = bank.field(64);
    const uint32_t elementSize = bank.u32();
    bank.skip(4 + 4 + 4 + 8);
    if (!bank.ok)
        return refuse(error, "wave bank record cut short");
    if (flags & 0x1u)
        return refuse(error, "streaming wave banks are not supported");
    if (flags & 0x20000u)
        return refuse(error, "compact wave banks are not supported");
    if ((flags & 0x80000u) && segLength[SeekTables] > 0)
        return refuse(error, "wave banks with seek tables are not supported");
    // FAudio copies each record into a 24-byte entry.
    if (elementSize != 24)
        return refuse(error, "unsupported wave bank entry size");
    if (count > segLength[EntryMeta] / 24)
        return refuse(error, "wave bank entries outside their segment");

    Cursor entry(data, size);
    entry.skip(segOffset[EntryMeta]);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t duration = entry.u32() >> 4;
        const uint32_t format = entry.u32();
        const uint32_t playOffset = entry.u32();
        const uint32_t playLength = entry.u32();
        const uint32_t loopStart = entry.u32();
        const uint32_t loopLength = entry.u32();
        const uint32_t tag = format & 0x3;
        const uint32_t channels = (format >> 2) & 0x7;
        const uint32_t rate = (format >> 5) & 0x3FFFF;
        const uint32_t sampleBytes = (format >> 31) ? 2 : 1;
        if (tag != 0)
            return refuse(error, "only PCM waves are supported");
        if (channels == 0 || rate < 1000 || rate > 200000)
            return refuse(error, "wave format out of range");
        if (uint64_t(playOffset) + playLength > segLength[WaveData])
            return refuse(error, "wave data outside its segment");
        if (duration == 0 || uint64_t(duration) * channels * sampleBytes > playLength)
            return refuse(error, "wave duration longer than its data");
        if (uint64_t(loopStart) + loopLength > duration)
            return refuse(error, "wave loop outside the wave");
    }
    info.waveCount = count;
    return true;
}

namespace {

// Reads one track's events; false when refused.
bool readEvents(Cursor& in, uint8_t waveBankCount, XactSoundBankInfo& info, std::string& error)
{
    auto useWave = [&](uint16_t track, uint8_t bank) {
        if (bank >= waveBankCount)
            return refuse(error, "sound names a missing wave bank");
        info.wavesNeeded[bank] = std::max<uint32_t>(info.wavesNeeded[bank], track + 1u);
        return true;
    };
    auto trackVariation = [&]() {
        const uint16_t tracks = in.u16();
        in.skip(2 + 4);
        if (tracks == 0)
            return refuse(error, "wave variation without waves");
        for (uint16_t j = 0; j < tracks && in.ok; ++j) {
            const uint16_t track = in.u16();
            if (!useWave(track, in.u8()))
                return false;
            in.skip(2);
        }
        return true;
    };
    constexpr size_t kEffectVariation = 2 + 2 + 1 + 1 + 16 + 2;

    const uint8_t count = in.u8();
    bool playsWave = false;
    for (uint8_t i = 0; i < count && in.ok; ++i) {
        const uint32_t type = in.u32() & 0x1F;
        in.skip(2);
        if (in.u8() != 0xFF && in.ok)
            return refuse(error, "event separator missing");
        switch (type) {
        case 0: // stop
            in.skip(1);
            break;
        case 1: // play wave
        case 4: { // play wave with effect variation
            in.skip(1);
            const uint16_t track = in.u16();
            if (!useWave(track, in.u8()))
                return false;
            in.skip(1 + 2 + 2 + (type == 4 ? kEffectVariation : 0));
            playsWave = true;
            break;
        }
        case 3: // play one of several waves
        case 6:
            in.skip(1 + 1 + 2 + 2 + (type == 6 ? kEffectVariation : 0));
            if (!trackVariation())
                return false;
            playsWave = true;
            break;
        case 7: case 8: case 16: case 17: { // pitch and volume, once or repeating
            if (in.u8() & 1) {
                in.skip(4 + 4 + 4 + 2);
            } else {
                in.skip(1 + 4 + 4 + 5);
                if (type >= 16)
                    in.skip(4);
            }
            break;
        }
        case 9:
            in.skip(4);
            break;
        case 18:
            in.skip(8);
            break;
        default:
            return refuse(error, "unknown sound event");
        }
    }
    // The mixer follows each track's wave event without looking.
    if (in.ok && !playsWave)
        return refuse(error, "track without a wave");
    return true;
}

} // namespace

bool readXactSoundBank(const uint8_t* data, size_t size, const XactGlobalInfo& globals,
                       XactSoundBankInfo& info, std::string& error)
{
    info = {};
    Cursor in(data, size);
    if (in.u32() != 0x4B424453u) // "SDBK", little-endian
        return refuse(error, "not a little-endian XACT sound bank");
    if (!supportedContent(in.u16()) || in.u16() != 43)
        return refuse(error, "unsupported sound bank version");
    in.skip(2 + 8);
    const uint8_t platform = in.u8();
    if (platform != 0 && platform != 1 && platform != 3)
        return refuse(error, "unsupported sound bank platform");
    const uint16_t simpleCount = in.u16();
    const uint16_t complexCount = in.u16();
    in.skip(2);
    const uint16_t hashSize = in.u16();
    const uint8_t waveBankCount = in.u8();
    const uint16_t soundCount = in.u16();
    in.skip(2 + 2);
    uint32_t offset[10];
    for (auto& o : offset)
        o = in.u32();
    enum { Simple, Complex, CueName, Unknown, Variation, Transition, WaveBankName, CueHash,
           CueNameIndex, SoundTable };
    if (!in.ok)
        return refuse(error, "sound bank header cut short");
    // FAudio keeps the cue count in 16 bits and 0xFFFF means "no cue".
    if (uint32_t(simpleCount) + complexCount >= 0xFFFF)
        return refuse(error, "too many cues");
    info.cueCount = uint16_t(simpleCount + complexCount);
    auto at = [&](int field) { return in.ok && in.pos() == offset[field]; };

    in.field(64);
    if (!at(WaveBankName))
        return refuse(error, "sound bank wave bank names misplaced");
    for (uint8_t i = 0; i < waveBankCount && in.ok; ++i)
        info.waveBanks.push_back(in.field(64));
    info.wavesNeeded.assign(waveBankCount, 0);

    if (!at(SoundTable))
        return refuse(error, "sound bank sound table misplaced");
    std::set<uint32_t> soundCodes;
    for (uint16_t i = 0; i < soundCount && in.ok; ++i) {
        soundCodes.insert(uint32_t(in.pos()));
        const uint8_t flags = in.u8();
        const uint16_t category = in.u16();
        in.skip(1 + 2 + 1 + 2);
        if (flags & 0x1E)
            return refuse(error, "sounds with RPC or DSP attachments are not supported");
        if (category != kNoCategory && category >= globals.categories.size())
            return refuse(error, "sound names a missing category");
        if (!(flags & 0x01)) {
            const uint16_t track = in.u16();
            const uint8_t bank = in.u8();
            if (in.ok && bank >= waveBankCount)
                return refuse(error, "sound names a missing wave bank");
            if (in.ok)
                info.wavesNeeded[bank] = std::max<uint32_t>(info.wavesNeeded[bank], track + 1u);
            continue;
        }
        const uint8_t tracks = in.u8();
        if (in.ok && tracks == 0)
            return refuse(error, "sound without tracks");
        std::vector<uint32_t> codes(tracks);
        for (auto& code : codes) {
            in.skip(1);
            code = in.u32();
            in.skip(1 + 1 + 2);
        }
        for (uint32_t code : codes) {
            if (!in.ok || in.pos() != code)
                return refuse(error, "track events misplaced");
            if (!readEvents(in, waveBankCount, info, error))
                return false;
        }
    }

    struct CueRef {
        bool sound;
        uint32_t code;
    };
    std::vector<CueRef> cues;
    uint32_t variationCount = 0;
    if (simpleCount > 0 && !at(Simple))
        return refuse(error, "sound bank cue table misplaced");
    for (uint16_t i = 0; i < simpleCount && in.ok; ++i) {
        const bool sound = in.u8() & 0x04;
        cues.push_back({sound, in.u32()});
    }
    if (complexCount > 0 && !at(Complex))
        return refuse(error, "sound bank cue table misplaced");
    for (uint16_t i = 0; i < complexCount && in.ok; ++i) {
        const bool sound = in.u8() & 0x04;
        cues.push_back({sound, in.u32()});
        const uint32_t transition = in.u32();
        in.skip(1 + 2 + 2 + 1);
        if (transition != 0 && transition != kNoOffset)
            return refuse(error, "cue transitions are not supported");
        if (!sound)
            ++variationCount;
    }

    std::set<uint32_t> variationCodes;
    if (variationCount > 0 && !at(Variation))
        return refuse(error, "sound bank variation table misplaced");
    for (uint32_t i = 0; i < variationCount && in.ok; ++i) {
        variationCodes.insert(uint32_t(in.pos()));
        const uint16_t entries = in.u16();
        const uint32_t type = (in.u16() >> 3) & 0x7;
        in.skip(2);
        const uint16_t variable = in.u16();
        if (in.ok && entries == 0)
            return refuse(error, "variation without entries");
        for (uint16_t j = 0; j < entries && in.ok; ++j) {
            if (type == 0 || type == 4) {
                const uint16_t track = in.u16();
                const uint8_t bank = in.u8();
                if (in.ok && bank >= waveBankCount)
                    return refuse(error, "variation names a missing wave bank");
                if (in.ok)
                    info.wavesNeeded[bank] = std::max<uint32_t>(info.wavesNeeded[bank], track + 1u);
                in.skip(type == 0 ? 2 : 0);
            } else if (type == 1 || type == 3) {
                if (!soundCodes.count(in.u32()) && in.ok)
                    return refuse(error, "variation names a missing sound");
                in.skip(type == 1 ? 2 : 12);
            } else {
                return refuse(error, "unknown variation type");
            }
        }
        if (type == 3 && variable >= globals.variables.size())
            return refuse(error, "interactive variation names a missing variable");
    }
    if (offset[CueHash] != kNoOffset && (!at(CueHash) || !in.skip(size_t(hashSize) * 2)))
        return refuse(error, "sound bank cue hash misplaced");
    if (offset[CueNameIndex] != kNoOffset &&
        (!at(CueNameIndex) || !in.skip(size_t(info.cueCount) * 6)))
        return refuse(error, "sound bank cue name index misplaced");
    if (offset[CueName] != kNoOffset) {
        if (!at(CueName))
            return refuse(error, "sound bank cue names misplaced");
        for (uint16_t i = 0; i < info.cueCount && in.ok; ++i)
            in.text();
    }
    if (!in.ok || !in.atEnd())
        return refuse(error, "sound bank length does not match its tables");
    for (const auto& cue : cues)
        if (!(cue.sound ? soundCodes : variationCodes).count(cue.code))
            return refuse(error, "cue names a missing sound or variation");
    return true;
}
