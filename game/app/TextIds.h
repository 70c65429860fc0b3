#pragma once
// Every text number the game's own code asks the text table for: buttons and
// labels of the menus, the shop, the career screens, the HUD and the race
// dialogs. Levels and karts name their texts in config.xml instead. Texts.xml
// must hold each of these in every language.
#include <cstdint>

constexpr int32_t kGameTextIds[] = {
    // dialog buttons, menu buttons and headers
    1000, 1010, 1020, 1040, 1050, 1070, 1080, 1085, 1090, 1100, 1101, 1102, 1103, 1104, 1105, 1106, 1107,
    1200, 1210, 1220,
    // classes, laps, kudos, the shop and its categories
    2000, 2010, 2020, 2032, 2034, 2037, 2040, 2050, 2055, 2060, 2065, 2070, 2075, 2080, 2085, 2090,
    // language names
    3000, 3010, 3020, 3030, 3040,
    // game kinds and the main menu
    5000, 5010, 5015, 5020, 5030, 5040, 5050, 5070, 5080, 5110, 5120,
    // options
    6000, 6010, 6020, 6030, 6040, 6050, 6060, 6070, 6080, 6090, 6100, 6110,
    // ranks 1 to 7 and "not run"
    7000, 7010, 7020, 7030, 7040, 7050, 7060, 7070,
    // points and tries
    8500, 8510,
    // the upgrade descriptions: engine, spoiler, side skirts, tyres, five levels each
    9000, 9001, 9002, 9003, 9004, 9005, 9006, 9007, 9008, 9009, 9010, 9011, 9012, 9013, 9014, 9015, 9016, 9017,
    9018, 9019,
    // race start, pause menu, end of season, the race display's captions
    10300, 10310, 10340, 10350, 10360, 10500, 10505, 10510, 10520, 10530, 10540, 10600, 10610, 10620, 10630,
    // network
    20010, 20050,
    // questions and the profile screen
    30000, 30005, 30010, 30020, 30030, 30040, 30050, 30070, 30080, 30090,
};
