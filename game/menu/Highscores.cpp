#include "game/menu/Highscores.h"

#include "platform/files/PlayerFiles.h"
#include "platform/memory/LittleEndian.h"

#include <cstring>
#include <memory>

namespace {

// 910 empty entries make 18,200 bytes; names are short. Anything far larger
// is not a highscore file.
constexpr size_t kMaxFileBytes = 16u << 20;

const HighscoreEntry kEmptyEntry;

void putInt(std::string& out, int32_t value)
{
    const uint32_t v = uint32_t(value);
    const char bytes[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    out.append(bytes, 4);
}

void putText(std::string& out, const std::string& text)
{
    putInt(out, int32_t(text.size()));
    out += text;
}

// Reads little-endian fields from the file's bytes and never past their end.
class FieldReader {
public:
    explicit FieldReader(const std::string& bytes) : m_bytes(bytes) {}

    bool readInt(int32_t& value)
    {
        if (m_bytes.size() - m_at < 4)
            return false;
        value = int32_t(readLe32(reinterpret_cast<const uint8_t*>(m_bytes.data() + m_at)));
        m_at += 4;
        return true;
    }
    bool readFloat(float& value)
    {
        int32_t bits = 0;
        if (!readInt(bits))
            return false;
        std::memcpy(&value, &bits, 4);
        return true;
    }
    // A length of 0 or less is followed by no bytes; a longer one than the
    // bytes that remain means the file is damaged.
    bool readText(std::string& text)
    {
        int32_t length = 0;
        if (!readInt(length))
            return false;
        text.clear();
        if (length <= 0)
            return true;
        if (size_t(length) > m_bytes.size() - m_at)
            return false;
        text.assign(m_bytes, m_at, size_t(length));
        m_at += size_t(length);
        return true;
    }

private:
    const std::string& m_bytes;
    size_t m_at = 0;
};

} // namespace

HighscoreEntry::HighscoreEntry(std::string kart, std::string name, int32_t score, float time, int32_t retries)
    : kart(std::move(kart)), name(std::move(name)), time(time), score(score), retries(retries)
{
}

const HighscoreEntry& HighscoreTable::entry(int32_t index) const
{
    return index >= 0 && index < kEntries ? m_entries[index] : kEmptyEntry;
}

int32_t HighscoreTable::insert(const HighscoreEntry& entry)
{
    for (int32_t index = 0; index < kEntries; ++index) {
        const HighscoreEntry& old = m_entries[index];
        if (old.isEmpty() || old.time > entry.time || (old.time == entry.time && old.score < entry.score)) {
            insertAt(index, entry);
            return index;
        }
    }
    return -1;
}

void HighscoreTable::insertAt(int32_t index, const HighscoreEntry& entry)
{
    if (index < 0 || index >= kEntries)
        return;
    for (int32_t i = kEntries - 1; i > index; --i)
        m_entries[i] = m_entries[i - 1];
    m_entries[index] = entry;
}

void HighscoreTable::clear()
{
    for (HighscoreEntry& e : m_entries)
        e = HighscoreEntry();
}

const int Highscores::kFileOrder[kTables] = {
    0,
    1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27,
    82, 83, 84,
    28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54,
    85, 86, 87,
    55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 80, 81,
    88, 89, 90,
};

int Highscores::tableIndex(int32_t ccm, int32_t track, int32_t laps)
{
    if (ccm < 0 || ccm >= kClasses || track < 0 || track >= kTracks)
        return -1;
    const int lapsIndex = laps == 5 ? 1 : laps == 8 ? 2 : 0;
    return 1 + (ccm * kTracks + track) * 3 + lapsIndex;
}

HighscoreTable* Highscores::table(int32_t ccm, int32_t track, int32_t laps)
{
    const int index = tableIndex(ccm, track, laps);
    return index < 0 ? nullptr : &m_tables[index];
}

HighscoreTable* Highscores::extraTable(int32_t ccm, int32_t arena)
{
    if (ccm < 0 || ccm >= kClasses || arena < 0 || arena >= kArenas)
        return nullptr;
    return &m_tables[82 + ccm * kArenas + arena];
}

void Highscores::clear()
{
    for (HighscoreTable& t : m_tables)
        t.clear();
}

const std::string& Highscores::path() const
{
    if (m_resolvedPath.empty())
        m_resolvedPath = m_path.empty() ? playerFilePath(kFileName) : m_path;
    return m_resolvedPath;
}

std::string Highscores::serialize() const
{
    std::string out;
    out.reserve(kTables * HighscoreTable::kEntries * 20);
    for (int index : kFileOrder)
        for (int32_t e = 0; e < HighscoreTable::kEntries; ++e) {
            const HighscoreEntry& entry = m_tables[index].entry(e);
            putText(out, entry.kart);
            putText(out, entry.name);
            int32_t bits = 0;
            std::memcpy(&bits, &entry.time, 4);
            putInt(out, bits);
            putInt(out, entry.score);
            putInt(out, entry.retries);
        }
    return out;
}

bool Highscores::parse(const std::string& bytes)
{
    // Read into a copy, so a file that fails halfway changes nothing.
    auto read = std::make_unique<HighscoreTable[]>(kTables);
    FieldReader reader(bytes);
    for (int index : kFileOrder)
        for (int32_t e = 0; e < HighscoreTable::kEntries; ++e) {
            HighscoreEntry entry;
            if (!reader.readText(entry.kart) || !reader.readText(entry.name) || !reader.readFloat(entry.time) ||
                !reader.readInt(entry.score) || !reader.readInt(entry.retries))
                return false;
            read[index].m_entries[e] = std::move(entry);
        }
    for (int index = 0; index < kTables; ++index)
        m_tables[index] = read[index];
    return true;
}

bool Highscores::load()
{
    std::string bytes;
    return readWholeFile(path(), bytes, kMaxFileBytes) && parse(bytes);
}

bool Highscores::save() const
{
    const std::string bytes = serialize();
    return replaceFile(path(), bytes.data(), bytes.size());
}

bool Highscores::loadOrReset()
{
    if (load())
        return true;
    m_damagedCopy.clear();
    if (fileExists(path()))
        keepBackup(path(), &m_damagedCopy);
    clear();
    save();
    return false;
}
