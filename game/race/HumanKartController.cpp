#include "game/race/HumanKartController.h"

#include "game/app/WinInput.h"
#include "game/race/Race.h"

const HumanKartController::Keys HumanKartController::kKeySets[3] = {
    // throttle, brake, left, right, fire, reset, look back
    {0xC8, 0xD0, 0xCB, 0xCD, 0x39, 0xD3, 0x0F},
    {0xC8, 0xD0, 0xCB, 0xCD, 0x9D, 0xD3, 0x0E},
    {0x11, 0x1F, 0x1E, 0x20, 0x1D, 0x13, 0x0F},
};

HumanKartController::HumanKartController(WinInput* input, int32_t keySet)
    : m_input(input), m_keys(kKeySets[keySet >= 1 && keySet <= 3 ? keySet - 1 : 0])
{
}

void HumanKartController::update()
{
    if (!m_input)
        return;
    uint8_t* keys = m_input->m_keys;
    auto held = [keys](uint8_t code) { return keys[code] ? 1.0f : 0.0f; };
    m_throttle = held(m_keys.throttle);
    m_brake = held(m_keys.brake);
    m_steerLeft = held(m_keys.left);
    m_steerRight = held(m_keys.right);
    m_fire = held(m_keys.fire);
    m_lookBack = held(m_keys.lookBack);
    // The reset key is taken once per press.
    m_reset = 0.0f;
    if (keys[m_keys.reset]) {
        keys[m_keys.reset] = 0;
        if (!isBusy())
            m_reset = 1.0f;
    }

    // The start: GO comes 3 s after the countdown starts; throttle in the
    // good window shortly before it boosts, too early or too late stalls.
    const Race* race = Race::current();
    if (!race || race->m_countdownStart == -1.0f)
        return;
    const double d = race->raceClock() - double(race->m_countdownStart) - 3.0;
    if (d > -1.0 && d < -0.5 && m_throttle > 0.0f)
        m_falseStart = 1.0f;
    if (d > -0.2 && d < 0.0 && m_throttle > 0.0f)
        m_falseStart = 1.0f;
    if (d > -0.5 && d < -0.2 && m_throttle > 0.0f && m_falseStart <= 0.0f)
        m_startBoost = 1.0f;
    if (d > 1.0) {
        m_startBoost = 0.0f;
        m_falseStart = 0.0f;
    }
}
