#pragma once
// The next race: filled by the menus and the career step, read once by the
// race when it loads, and by the HUD and the results while it runs.
#include <cstdint>
#include <string>

struct RaceSetup {
    static constexpr int kPlayers = 7;
    static constexpr int kLooks = 6; // spoiler, tires, sideskirts, engine levels, colour, logo

    int32_t mode = 0;      // 0 single player, 1 two players on one machine, 2 network, 3 career
    int32_t gameType = -1; // 0 single race, 1 coin race, 2 timed run, 3 last man standing
    std::string level;     // name of the level record
    int32_t careerRace = 0; // race index within the class; career only
    int32_t ccm = 0;        // engine class 0, 1, 2
    int32_t laps = -1;      // -1: none (last man standing)
    // 0 none, 1-3 human on key set 1-3, 4 computer, 5 network
    int32_t playerType[kPlayers] = {};
    std::string kartName[kPlayers];
    std::string playerName[kPlayers];
    int32_t upgrades[kPlayers][kLooks] = {};
    int32_t startSlot[kPlayers] = {0, 1, 2, 3, 4, 5, 6};
    int32_t kudos[kPlayers] = {};
    int32_t highscoreSlot = -1; // career's overall highscore entry, -1 none
    int32_t careerResult = 0;   // 0 running, 1 season won, 2 season not won
    int32_t localSlot = 0;      // this machine's player in a network game
    // Network game: each player's lobby slot (-1 none), which tells whose
    // karts a departing machine leaves behind.
    int32_t lobbySlot[kPlayers] = {-1, -1, -1, -1, -1, -1, -1};
    // A network race ended because the connection to the game was lost.
    bool connectionLost = false;
};
