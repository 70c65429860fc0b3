#pragma once
#include "game/race/KartController.h"

class WinInput;

// A player at the keyboard, on one of three key sets: 1 the arrows with
// Space, 2 the arrows with right Ctrl, 3 W, A, S, D with left Ctrl.
class HumanKartController : public KartController {
public:
    // The DirectInput scan codes of one key set.
    struct Keys {
        uint8_t throttle, brake, left, right, fire, reset, lookBack;
    };
    static const Keys kKeySets[3];

    // A key set outside 1 to 3 reads set 1.
    HumanKartController(WinInput* input, int32_t keySet);

    int32_t getType() const override { return Human; }
    void update() override;

    WinInput* m_input;
    const Keys& m_keys;
};
