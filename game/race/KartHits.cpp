// How the power-up objects, other karts' power-ups and collisions hit a
// kart: what each kind of hit sets, plays and costs.
#include "game/race/Kart.h"

#include "engine/core/base/Report.h"
#include "engine/scene/SceneObject.h"
#include "game/race/Race.h"

#include <ode/ode.h>

#include <string>

namespace {

// One kind of hit: the timer that ignores further hits of the kind while it
// runs (null: none), the timer it sets, the animation (-1 none, weight 1.0
// unless given, no fades), the cue, the push on the chassis along its own
// x axis at its corner (2, 0, 2) (0: none) and the damage.
struct HitKind {
    int32_t kind;
    int32_t Kart::*ignoredWhile;
    int32_t Kart::*timer;
    int32_t steps;
    int32_t animation;
    float hold;
    float weight;
    uint32_t cue;
    float push;
    int32_t damage;
};

const HitKind kHits[] = {
    {1, nullptr, &Kart::m_oilHitSteps, 500, Kart::AnimSpin2, 5.0f, 1.0f, 14, 50.0f, 10},
    {3, nullptr, &Kart::m_rocketHitSteps, 300, Kart::AnimSmoke, 3.0f, 1.0f, 17, 0.0f, 10},
    {4, nullptr, &Kart::m_decoyHitSteps, 500, Kart::AnimSmoke, 5.0f, 1.0f, 9, 0.0f, 10},
    {5, nullptr, &Kart::m_snowballHitSteps, 500, Kart::AnimSnowball, 5.0f, 1.0f, 11, 0.0f, 10},
    {10, &Kart::m_bananaHitSteps, &Kart::m_bananaHitSteps, 300, Kart::AnimSpin2, 3.0f, 1.0f, 10, 500.0f, 10},
    {14, &Kart::m_spinHitSteps, &Kart::m_spinHitSteps, 300, Kart::AnimSpin2, 3.0f, 1.0f, 16, 500.0f, 10},
    {15, nullptr, &Kart::m_pumpkinHitSteps, 500, Kart::AnimSmoke, 5.0f, 1.0f, 12, 0.0f, 10},
    {16, nullptr, &Kart::m_alienHitSteps, 500, Kart::AnimShock, 5.0f, 1.0f, 13, 0.0f, 10},
    {17, nullptr, &Kart::m_holeSteps, 300, Kart::AnimFall, 3.0f, 0.5f, 15, 0.0f, 10},
    {18, &Kart::m_collisionHitSteps, &Kart::m_collisionHitSteps, 300, -1, 0.0f, 1.0f, 25, 0.0f, 5},
};

// The kinds 2, 6 to 9 and 11 to 13 are no hits: they cost nothing.
constexpr int32_t kFirstHit = 1;
constexpr int32_t kLastHit = 18;

const HitKind* hitKind(int32_t kind)
{
    for (const HitKind& hit : kHits)
        if (hit.kind == kind)
            return &hit;
    return nullptr;
}

} // namespace

uint8_t Kart::attackerFlags(int32_t attacker, uint8_t flags)
{
    const Race* race = Race::current();
    if (!race || attacker < 0 || attacker >= race->m_kartCount || !race->m_karts[attacker])
        return flags;
    const Kart& a = *race->m_karts[attacker];
    if (a.m_quadDamageSteps != 0)
        flags |= HitQuadDamage;
    if (a.m_hammerSteps != 0)
        flags |= HitHammer;
    return flags;
}

void Kart::applyHit(int32_t kind, int32_t attacker, uint8_t flags, bool send)
{
    // The kind and the attacker may come from the network: neither is used
    // unchecked. No attacker (-1) deals the plain damage.
    const Race* race = Race::current();
    const int32_t karts = race ? race->m_kartCount : 0;
    if (kind < kFirstHit || kind > kLastHit || attacker < -1 || attacker >= karts) {
        reportError(("kart " + std::to_string(m_index) + " refused hit " + std::to_string(kind) + " from kart " +
                     std::to_string(attacker))
                        .c_str());
        return;
    }
    flags = attackerFlags(attacker, flags);
    // The machine that drives the kart applies its hits.
    if (networkDriver() && send && race && race->m_started) {
        sendHit(kind, attacker, flags);
        return;
    }
    if (m_shieldSteps != 0 || m_immunitySteps != 0 || m_finished)
        return;
    const HitKind* hit = hitKind(kind);
    if (!hit)
        return;
    if (hit->ignoredWhile && this->*hit->ignoredWhile > 0)
        return;
    this->*hit->timer = hit->steps;
    if (kind == 17)
        m_gear = 0;
    if (hit->animation >= 0)
        playAnimation(hit->animation, hit->weight, 0.0f, 0.0f, hit->hold, true, true, kind == 17);
    humanCue(hit->cue);
    if (hit->push != 0.0f && m_chassis && m_chassis->m_body)
        dBodyAddRelForceAtRelPos(m_chassis->m_body, hit->push, 0.0, 0.0, 2.0, 0.0, 2.0);

    int32_t damage = hit->damage;
    if (flags & HitQuadDamage)
        damage *= 4;
    if (flags & HitHammer)
        damage *= 2;
    if (m_hammerSteps != 0)
        damage /= 2;
    setEnergy(energy() - damage);
}
