#pragma once
// Every player record of the game: five profile slots, each a career with
// seven drivers (the human player 0 and six computer players), three engine
// classes and sixteen races a class. Kept in "profiles.dat" in the player
// folder: XML, scrambled as a whole.
//
// Every operation takes the slot last; -1 means the current slot. Indices
// outside slot 0-4, player 0-6, class 0-2 and race 0-15 address nothing:
// getters answer the empty value, setters change nothing.
#include <cstdint>
#include <string>
#include <vector>

struct UpgradeTable;

class ProfileStore {
public:
    static constexpr int kSlots = 5;
    static constexpr int kPlayers = 7;
    static constexpr int kClasses = 3;
    static constexpr int kRaces = 16;
    static constexpr const char* kFileName = "profiles.dat";

    ProfileStore();
    // A store kept somewhere else than the player folder (tests, tools).
    explicit ProfileStore(std::string path);

    int32_t getCurrentSlot() const { return m_currentSlot; }
    void setCurrentSlot(int32_t slot);
    uint8_t isEmpty(int32_t slot = -1) const;
    void setEmpty(uint8_t flag, int32_t slot = -1);
    uint8_t isGameOver(int32_t slot = -1) const;
    void setGameOver(uint8_t flag, int32_t slot = -1);
    int32_t getCcm(int32_t slot = -1) const;
    void setCcm(int32_t value, int32_t slot = -1);
    int32_t getRetries(int32_t slot = -1) const;
    void setRetries(int32_t value, int32_t slot = -1);
    int32_t getLevel(int32_t ccm, int32_t slot = -1) const;
    void setLevel(int32_t ccm, int32_t value, int32_t slot = -1);

    const std::string& getName(int32_t player, int32_t slot = -1) const;
    void setName(int32_t player, const std::string& name, int32_t slot = -1);
    const std::string& getKart(int32_t player, int32_t slot = -1) const;
    void setKart(int32_t player, const std::string& kart, int32_t slot = -1);
    // Kudos never read back negative.
    int32_t getKudos(int32_t player, int32_t slot = -1) const;
    void setKudos(int32_t player, int32_t value, int32_t slot = -1);

    int32_t getSeasonPoints(int32_t player, int32_t ccm, int32_t slot = -1) const;
    void setSeasonPoints(int32_t player, int32_t ccm, int32_t value, int32_t slot = -1);
    // How many of the other six players have strictly more points: 0 leads.
    int32_t getSeasonPosition(int32_t player, int32_t ccm, int32_t slot = -1) const;
    int32_t getRank(int32_t player, int32_t ccm, int32_t race, int32_t slot = -1) const; // -1: not raced
    void setRank(int32_t player, int32_t ccm, int32_t race, int32_t value, int32_t slot = -1);
    float getTime(int32_t player, int32_t ccm, int32_t race, int32_t slot = -1) const; // -1.0: none
    void setTime(int32_t player, int32_t ccm, int32_t race, float value, int32_t slot = -1);
    // Sum of the class's race times that are set; 0 when none is.
    float getTotalTime(int32_t player, int32_t ccm, int32_t slot = -1) const;
    // Grid slot 0-6: the reverse of the player number in race 0, else the
    // reverse of the player's rank in the race before.
    int32_t getStartPosition(int32_t player, int32_t ccm, int32_t race, int32_t slot = -1) const;

    int32_t getSpoiler(int32_t player, int32_t ccm, int32_t slot = -1) const;
    int32_t getTires(int32_t player, int32_t ccm, int32_t slot = -1) const;
    int32_t getSideskirts(int32_t player, int32_t ccm, int32_t slot = -1) const;
    int32_t getEngine(int32_t player, int32_t ccm, int32_t slot = -1) const;
    int32_t getColor(int32_t player, int32_t ccm, int32_t slot = -1) const;
    int32_t getLogo(int32_t player, int32_t ccm, int32_t slot = -1) const;
    // Each writes all three classes' records; the class is not used.
    void setSpoiler(int32_t player, int32_t ccm, int32_t value, int32_t slot = -1);
    void setTires(int32_t player, int32_t ccm, int32_t value, int32_t slot = -1);
    void setSideskirts(int32_t player, int32_t ccm, int32_t value, int32_t slot = -1);
    void setEngine(int32_t player, int32_t ccm, int32_t value, int32_t slot = -1);
    void setColor(int32_t player, int32_t ccm, int32_t value, int32_t slot = -1);
    void setLogo(int32_t player, int32_t ccm, int32_t value, int32_t slot = -1);

    const std::string& getCreationDate(int32_t slot = -1) const;
    const std::string& getCreationTime(int32_t slot = -1) const;
    const std::string& getLastUsedDate(int32_t slot = -1) const;
    const std::string& getLastUsedTime(int32_t slot = -1) const;
    // The creation date and time from the current calendar time, as UTC.
    void stampCreation(int32_t slot = -1);
    const std::vector<std::string>& getTracks(int32_t ccm, int32_t slot = -1) const;
    // Appends the track unless that exact name is already unlocked.
    void unlockTrack(int32_t ccm, const std::string& track, int32_t slot = -1);

    void resetSlot(int32_t slot = -1);
    void resetClass(int32_t ccm, int32_t slot = -1);
    void resetAll();
    // The computer players spend their kudos on engine, spoiler, side skirts
    // and tyres, a level at a time, up to level 4.
    void buyOpponentUpgrades(const UpgradeTable& upgrades, int32_t slot = -1);

    // Writes profiles.dat by write-then-rename. False when it was not written.
    bool save() const;
    // Resets every slot, then reads profiles.dat. False when it is missing or
    // breaks a rule of the format.
    bool load();
    // Start-up: load, or else keep a damaged file as profiles.dat.bak and
    // write a fresh one. True when the file loaded.
    bool loadOrReset();
    // Where the last loadOrReset kept a damaged file; empty when it kept none.
    const std::string& damagedCopy() const { return m_damagedCopy; }

    // The plain XML of the file, before scrambling, and its reading (after
    // the reset of every slot that load does).
    std::string print() const;
    bool parse(const std::string& text);
    const std::string& path() const;

private:
    enum Look { LookSpoiler, LookTires, LookSideskirts, LookEngine, LookColor, LookLogo, LookCount };
    struct ClassRecord {
        int32_t seasonPoints = 0;
        int32_t rank[kRaces];
        float time[kRaces];
        int32_t look[LookCount] = {};
        ClassRecord();
    };
    struct Player {
        std::string name;
        std::string kart;
        int32_t kudos = 0;
        ClassRecord classes[kClasses];
    };
    struct Slot {
        uint8_t empty = 0;
        uint8_t gameOver = 0;
        int32_t ccm = 0;
        int32_t retries = 0;
        int32_t level[kClasses] = {};
        std::vector<std::string> tracks[kClasses];
        Player players[kPlayers];
        std::string creationDate;
        std::string creationTime;
        std::string lastUsedDate;
        std::string lastUsedTime;
    };

    Slot* slotAt(int32_t slot);
    const Slot* slotAt(int32_t slot) const;
    Player* playerAt(int32_t player, int32_t slot);
    const Player* playerAt(int32_t player, int32_t slot) const;
    ClassRecord* recordAt(int32_t player, int32_t ccm, int32_t slot);
    const ClassRecord* recordAt(int32_t player, int32_t ccm, int32_t slot) const;
    int32_t getLook(Look look, int32_t player, int32_t ccm, int32_t slot) const;
    void setLook(Look look, int32_t player, int32_t value, int32_t slot);

    Slot m_slots[kSlots];
    int32_t m_currentSlot = 0;
    std::string m_path; // empty: the player folder's profiles.dat
    mutable std::string m_resolvedPath;
    std::string m_damagedCopy;
};
