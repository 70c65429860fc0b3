#pragma once
// The game's best results: 91 tables of ten entries, kept in the binary file
// "highscores.dat" in the player folder. Table 0 holds completed careers,
// 1-81 single races by class, track and lap count, 82-90 last man standing
// by class and arena.
#include <cstdint>
#include <string>

struct HighscoreEntry {
    std::string kart;
    std::string name;
    float time = -1.0f; // -1.0: an empty entry
    int32_t score = 0;
    int32_t retries = 0;

    HighscoreEntry() = default;
    HighscoreEntry(std::string kart, std::string name, int32_t score, float time, int32_t retries);
    bool isEmpty() const { return time == -1.0f; }
};

// Ten entries, best first: ascending time, then descending score.
class HighscoreTable {
public:
    static constexpr int kEntries = 10;

    // Entries outside 0-9 read as an empty entry.
    const HighscoreEntry& entry(int32_t index) const;
    // The index at which the entry now stands, or -1 when it is not good
    // enough for the table.
    int32_t insert(const HighscoreEntry& entry);
    // Moves index..8 down a place, dropping entry 9, and puts the entry at index.
    void insertAt(int32_t index, const HighscoreEntry& entry);
    void clear();

private:
    friend class Highscores; // fills the entries in file order
    HighscoreEntry m_entries[kEntries];
};

class Highscores {
public:
    static constexpr int kTables = 91;
    static constexpr int kTracks = 9;
    static constexpr int kArenas = 3;
    static constexpr int kClasses = 3;
    static constexpr const char* kFileName = "highscores.dat";
    // The order in which the tables stand in the file.
    static const int kFileOrder[kTables];

    Highscores() = default;
    // Highscores kept somewhere else than the player folder (tests, tools).
    explicit Highscores(std::string path) : m_path(std::move(path)) {}

    HighscoreTable& overallTable() { return m_tables[0]; }
    // Null for a class, track or arena outside the tables.
    HighscoreTable* table(int32_t ccm, int32_t track, int32_t laps);
    HighscoreTable* extraTable(int32_t ccm, int32_t arena);
    HighscoreTable& tableAt(int index) { return m_tables[index]; }
    const HighscoreTable& tableAt(int index) const { return m_tables[index]; }
    void clear();

    // Reads highscores.dat. False, with the tables unchanged, when it is
    // missing, ends early, or a length runs past its end.
    bool load();
    // Writes it by write-then-rename. False when it was not written.
    bool save() const;
    // Start-up: load, or else keep a damaged file as highscores.dat.bak and
    // write fresh tables. True when the file loaded.
    bool loadOrReset();
    // Where the last loadOrReset kept a damaged file; empty when it kept none.
    const std::string& damagedCopy() const { return m_damagedCopy; }

    // The file's bytes and their reading.
    std::string serialize() const;
    bool parse(const std::string& bytes);
    const std::string& path() const;

    // Table index of a single race; -1 outside the tables.
    static int tableIndex(int32_t ccm, int32_t track, int32_t laps);

private:
    HighscoreTable m_tables[kTables];
    std::string m_path; // empty: the player folder's highscores.dat
    mutable std::string m_resolvedPath;
    std::string m_damagedCopy;
};
