#pragma once
// The game's tables from "config.xml": tuning values, upgrades, levels, karts,
// the track lists of single race and last man standing, and the career of
// the three engine classes. Loaded once at start-up, read-only afterwards.
#include "game/app/ConfigRecords.h"

#include <cstdint>
#include <string>
#include <vector>

class Stream;

class GameConfig {
public:
    static constexpr int kClasses = 3; // ccm 50, 100, 150
    // Stat bars of the kart selection and the shop, each 0..1.
    enum Stat { StatSpeed, StatAcceleration, StatBrake, StatDrift, StatMass, StatTurbo, StatCount };

    // Reads the file through the file system (the game's archive). False when
    // it is missing, does not parse or has no root "vrl9": error() says so,
    // and every table is left empty with the tuning values at their
    // defaults. A number a race cannot use is skipped (its record keeps the
    // default; a career race with one is left out) and the rest loads;
    // reports() names each, one line apiece.
    bool loadConfig(Stream& files, const char* path = "config.xml");
    const std::string& error() const { return m_error; }
    const std::vector<std::string>& reports() const { return m_reports; }

    // A new level or kart record, or null when the name is taken or a file it
    // names does not exist in the file system.
    LevelInfo* addLevel(Stream& files, const std::string& name, const std::string& fileName);
    KartInfo* addKart(Stream& files, const std::string& name, const std::string& kartFile,
                      const std::string& characterFile);

    // Exact, case-sensitive names; null when absent or out of range.
    const LevelInfo* findLevel(const std::string& name) const;
    const LevelInfo* levelAt(int32_t index) const;
    const KartInfo* findKart(const std::string& name) const;
    const KartInfo* kartAt(int32_t index) const;
    // Index of the first equal entry; 0 when the name is not listed.
    int32_t singleRaceTrackIndex(const std::string& name) const;
    int32_t lastManStandingTrackIndex(const std::string& name) const;
    // Number of career races of a class; 0 for an empty or unknown class.
    int32_t careerTrackCount(int32_t ccm) const;
    // The six stat-bar values of a kart, leaving room for the best upgrades.
    // False, with every value 0, when no kart has that name.
    bool kartStatRatios(const std::string& kartName, float ratios[StatCount]) const;

    const std::vector<LevelInfo>& levels() const { return m_levels; }
    const std::vector<KartInfo>& karts() const { return m_karts; }
    const UpgradeTable& upgrades() const { return m_upgrades; }
    const std::vector<std::string>& singleRaceTracks() const { return m_singleRaceTracks; }
    const std::vector<std::string>& lastManStandingTracks() const { return m_lastManStandingTracks; }
    // The career lists of a class; empty for a class outside 0-2. Entry r of
    // each list is career race r.
    const std::vector<std::string>& careerTracks(int32_t ccm) const;
    const std::vector<int32_t>& careerGames(int32_t ccm) const;
    const std::vector<float>& careerTimes(int32_t ccm) const;
    const std::vector<int32_t>& careerLaps(int32_t ccm) const;

    // Empties every table and restores the tuning values.
    void clear();

private:
    struct Career {
        std::vector<std::string> tracks;
        std::vector<int32_t> games;
        std::vector<float> times;
        std::vector<int32_t> laps;
    };
    class Reader;

    std::vector<LevelInfo> m_levels;
    std::vector<KartInfo> m_karts;
    UpgradeTable m_upgrades;
    std::vector<std::string> m_singleRaceTracks;
    std::vector<std::string> m_lastManStandingTracks;
    Career m_career[kClasses];
    std::string m_error;
    std::vector<std::string> m_reports;
};
