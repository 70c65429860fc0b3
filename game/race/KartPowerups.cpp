// What a kart does with power-ups and how hits reach it. The outline the
// race and the drive call: the power-ups, pickups and hits themselves are
// filled in later; only the reset of the timers is whole.
#include "game/race/Kart.h"

void Kart::usePowerup() {}

void Kart::rollPowerup() {}

void Kart::giveSpecial() {}

void Kart::applyHit(int32_t kind, int32_t attacker, uint8_t attackerFlags, bool send) {}

void Kart::applyHealth() {}

void Kart::applyQuadDamage() {}

void Kart::applyHammer() {}

void Kart::resetEffects(bool all)
{
    m_powerup = -1;
    m_boostSteps = m_shieldSteps = m_tankSteps = 0;
    m_jump1Steps = m_jump2Steps = m_jump3Steps = 0;
    m_speedupSteps = m_quadDamageSteps = m_hammerSteps = 0;
    for (int32_t id : {AnimHammer, AnimQuadDamage, AnimShield})
        endAnimation(id, -1.0f, true);
    if (!all)
        return;
    // The immunity is left to run out.
    m_oilHitSteps = m_bananaHitSteps = m_decoyHitSteps = m_snowballHitSteps = 0;
    m_spinHitSteps = m_pumpkinHitSteps = m_alienHitSteps = m_rocketHitSteps = 0;
    m_holeSteps = m_collisionHitSteps = 0;
}
