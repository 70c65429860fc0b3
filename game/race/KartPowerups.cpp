// What a kart does with the power-up it holds, the item boxes and pickups
// that give it one, and the reset of the power-up timers. The hits they
// deal are KartHits.cpp.
#include "game/race/Kart.h"

#include "engine/core/base/Report.h"
#include "game/app/RaceSetup.h"
#include "game/app/RandomFunctions.h"
#include "game/race/ExtraEffect.h"
#include "game/race/Extras.h"
#include "game/race/KartController.h"
#include "game/race/Race.h"
#include "game/race/VectorOps.h"

#include <algorithm>
#include <string>

namespace {

// Item-box odds of boost, oil, shield, rocket, decoy and snowball by the
// kart's place: the leaders get defensive things, the last ones speed.
const float kEvenOdds[] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, -1.0f};
const float kLeaderOdds[] = {0.5f, 2.5f, 2.5f, 1.0f, 2.5f, 1.0f, -1.0f};
const float kTrailerOdds[] = {3.0f, 0.5f, 2.0f, 2.0f, 0.5f, 2.0f, -1.0f};

constexpr int32_t kShieldSteps = 1200;
constexpr int32_t kSpeedupSteps = 800;
constexpr int32_t kJumpSteps = 300;
constexpr int32_t kTankSteps = 1000;
constexpr int32_t kBoosterSteps = 3000;
constexpr int32_t kBananas = 10;
constexpr float kBananaSpread = 5.0f;
constexpr float kAlienReach = 9.0f;

// The boost's length comes from the kart's record: counted in whole steps
// and kept within a timer's range.
int32_t boostSteps(float seconds)
{
    const float steps = seconds * 100.0f;
    return steps > 0.0f ? int32_t(std::min(steps, 1.0e9f)) : 0;
}

} // namespace

bool Kart::validPowerup(int32_t kind)
{
    return kind >= PowerupBoost && kind <= PowerupHole;
}

bool Kart::humanDriver() const
{
    return m_controller && m_controller->getType() == KartController::Human;
}

bool Kart::networkDriver() const
{
    return m_controller && m_controller->getType() == KartController::Network;
}

void Kart::humanCue(uint32_t cue)
{
    if (humanDriver())
        playCue(cue);
}

void Kart::effectAnimation(int32_t id, float hold, float fadeIn, float fadeOut)
{
    playAnimation(id, 1.0f, fadeIn, fadeOut, hold, true, true, false);
}

void Kart::dropExtra(int32_t kind, const Vector3& offset, bool alongForward)
{
    Race* race = Race::current();
    if (!race || !race->m_extras)
        return;
    Vector3 at = m_position;
    getChassisPosition(at);
    Vector3 along = m_forward;
    if (!alongForward)
        getBodyForward(along);
    race->m_extras->spawn(kind, at + offset, along, m_index);
}

void Kart::usePowerup()
{
    if (m_finished || m_powerup == -1)
        return;
    const int32_t kind = m_powerup;
    if (!validPowerup(kind)) {
        reportError(("kart " + std::to_string(m_index) + " held power-up " + std::to_string(kind) +
                     ", which does not exist")
                        .c_str());
        m_powerup = -1;
        return;
    }
    // "Aktivieren": the driver's gesture for most power-ups.
    auto activate = [this] { effectAnimation(AnimActivate, 0.5f); };
    constexpr float kThird = 1.0f / 3.0f;
    switch (kind) {
    case PowerupBoost:
        m_boostSteps = boostSteps(m_turboTime);
        activate();
        humanCue(0);
        break;
    case PowerupOil:
        dropExtra(ExtraOil);
        activate();
        humanCue(1);
        break;
    case PowerupShield:
        m_shieldSteps = kShieldSteps;
        effectAnimation(AnimShield, 12.0f);
        activate();
        humanCue(2);
        break;
    case PowerupRocket:
        dropExtra(ExtraRocket);
        activate();
        humanCue(3);
        break;
    case PowerupDecoy:
        dropExtra(ExtraDecoy);
        activate();
        humanCue(4);
        break;
    case PowerupSnowball:
        dropExtra(ExtraSnowball, {}, true);
        activate();
        humanCue(5);
        break;
    case PowerupHealth:
        applyHealth();
        break;
    case PowerupQuadDamage:
        applyQuadDamage();
        break;
    case PowerupHammer:
        applyHammer();
        break;
    case PowerupSpeedup:
        m_speedupSteps = kSpeedupSteps;
        effectAnimation(AnimSpeedup, 8.0f, 0.2f, 0.2f);
        break;
    case PowerupBananas:
        for (int32_t i = 0; i < kBananas; ++i) {
            const float x = randomRange(-kBananaSpread, kBananaSpread);
            const float z = randomRange(-kBananaSpread, kBananaSpread);
            dropExtra(ExtraBanana, {x, 0.0f, z});
        }
        activate();
        break;
    case PowerupFrog:
        m_jump1Steps = kJumpSteps;
        m_jump2Steps = m_jump3Steps = 0;
        effectAnimation(AnimJump, kThird, 0.0f, kThird);
        m_powerup = PowerupFrog2;
        break;
    case PowerupFrog2:
        // Each jump waits for the one before to end.
        if (m_jump1Steps != 0)
            break;
        m_jump2Steps = kJumpSteps;
        m_jump1Steps = m_jump3Steps = 0;
        effectAnimation(AnimJump, kThird, 0.0f, kThird);
        m_powerup = PowerupFrog3;
        break;
    case PowerupFrog3:
        if (m_jump2Steps != 0)
            break;
        m_jump3Steps = kJumpSteps;
        m_jump1Steps = m_jump2Steps = 0;
        effectAnimation(AnimJump, kThird, 0.0f, kThird);
        m_powerup = -1;
        break;
    case PowerupTank:
        m_tankSteps = m_immunitySteps = kTankSteps;
        effectAnimation(AnimTank, 10.0f);
        break;
    case PowerupPumpkin:
        dropExtra(ExtraPumpkin);
        effectAnimation(AnimThrow, 0.05f);
        break;
    case PowerupAlien:
        if (Race* race = Race::current())
            for (int32_t i = 0; i < race->m_kartCount; ++i) {
                Kart* other = race->m_karts[i];
                if (other && other != this && vec::distance(other->m_position, m_position) < kAlienReach)
                    other->applyHit(PowerupAlien, m_index, 0, true);
            }
        effectAnimation(AnimShoot, 2.0f / 3.0f);
        humanCue(6);
        break;
    case PowerupHole:
        dropExtra(ExtraHole);
        activate();
        humanCue(7);
        break;
    default:
        break;
    }
    // The frog keeps its remaining jumps.
    if (m_powerup != PowerupFrog2 && m_powerup != PowerupFrog3)
        m_powerup = -1;
}

void Kart::rollPowerup()
{
    if (m_finished)
        return;
    const Race* race = Race::current();
    const bool lastManStanding = race && race->m_setup && race->m_setup->gameType == Race::LastManStanding;
    const float* odds = kEvenOdds;
    if (!lastManStanding)
        odds = m_rank <= 1 ? kLeaderOdds : m_rank >= 5 ? kTrailerOdds : kEvenOdds;
    m_powerup = randomWeightedIndex(odds);
}

void Kart::giveSpecial()
{
    if (m_finished)
        return;
    // The special comes from the kart's record in config.xml.
    if (!validPowerup(m_special)) {
        reportError(("kart " + std::to_string(m_index) + " has special power-up " + std::to_string(m_special) +
                     ", which does not exist")
                        .c_str());
        return;
    }
    m_powerup = m_special;
}

void Kart::applyHealth()
{
    if (m_finished)
        return;
    setEnergy(energy() + 10);
    effectAnimation(AnimHealth, 2.0f);
}

void Kart::applyQuadDamage()
{
    if (m_finished)
        return;
    // A kart another machine drives keeps its timers there.
    if (!networkDriver())
        m_quadDamageSteps = kBoosterSteps;
    effectAnimation(AnimQuadDamage, 30.0f);
}

void Kart::applyHammer()
{
    if (m_finished)
        return;
    if (!networkDriver())
        m_hammerSteps = kBoosterSteps;
    effectAnimation(AnimHammer, 30.0f);
}

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
