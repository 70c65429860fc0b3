#pragma once
#include "game/race/KartController.h"

// The computer driver. For now it only says what it is: its outputs stay
// zero, so a computer kart stands on the grid and a kart handed to it at the
// finish rolls out. The driver that follows the race's AI paths is filled
// in later.
class AIKartController : public KartController {
public:
    // The engine class is taken and not used.
    explicit AIKartController(int32_t ccm) {}

    bool isAI() const override { return true; }
    int32_t getType() const override { return Computer; }
};
