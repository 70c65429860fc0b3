// The handlers that make no contact and only act: pickups, checkpoints,
// reset zones, the ground probes and the power-up objects.
#include "game/race/ContactHandlers.h"

#include "engine/scene/CollisionObject.h"
#include "game/race/Extras.h"
#include "game/race/Kart.h"
#include "game/race/KartController.h"
#include "game/race/Race.h"

namespace {

// Item pickups reappear after 15 s of simulation.
constexpr int32_t kPickupRespawnSteps = 1500;

Vector3 positionOf(const dContactGeom& contact)
{
    return {float(contact.pos[0]), float(contact.pos[1]), float(contact.pos[2])};
}

Vector3 normalOf(const dContactGeom& contact)
{
    return {float(contact.normal[0]), float(contact.normal[1]), float(contact.normal[2])};
}

bool enabled(const CollisionObject* object)
{
    return object && object->m_geom && dGeomIsEnabled(object->m_geom);
}

} // namespace

ContactHandler RaceContactHandler::takePickup(const dContactGeom& contact, uint32_t surfaceClass,
                                              void (Kart::*apply)())
{
    CollisionObject* pickup = object(contact, surfaceClass);
    Kart* kart = kartOf(other(contact, pickup));
    // The first contact takes it: the pickup is gone for the next one, until
    // its countdown brings it back.
    if (kart && enabled(pickup)) {
        (kart->*apply)();
        pickup->m_hidden = 1;
        pickup->m_trigger = kPickupRespawnSteps;
        dGeomDisable(pickup->m_geom);
    }
    return noContact();
}

CoinContact::CoinContact(Race* race) : RaceContactHandler(race) {}

ContactHandler CoinContact::onContact(const dContactGeom& contact)
{
    CollisionObject* coin = object(contact, 8);
    Kart* kart = kartOf(other(contact, coin));
    // Only the kart of view 0 collects coins.
    if (enabled(coin) && kart && kart->m_index == m_race->m_viewKart[0]) {
        if (kart->m_controller && kart->m_controller->getType() == KartController::Human)
            m_race->playCue(19);
        ++kart->m_coins;
        coin->m_hidden = 1;
        dGeomDisable(coin->m_geom);
    }
    return noContact();
}

ItemPickupContact::ItemPickupContact(Race* race) : RaceContactHandler(race) {}

ContactHandler ItemPickupContact::onContact(const dContactGeom& contact)
{
    return takePickup(contact, 7, &Kart::rollPowerup);
}

SpecialPickupContact::SpecialPickupContact(Race* race) : RaceContactHandler(race) {}

ContactHandler SpecialPickupContact::onContact(const dContactGeom& contact)
{
    return takePickup(contact, 5, &Kart::giveSpecial);
}

HealthPickupContact::HealthPickupContact(Race* race) : RaceContactHandler(race) {}

ContactHandler HealthPickupContact::onContact(const dContactGeom& contact)
{
    return takePickup(contact, 15, &Kart::applyHealth);
}

QuadDamagePickupContact::QuadDamagePickupContact(Race* race) : RaceContactHandler(race) {}

ContactHandler QuadDamagePickupContact::onContact(const dContactGeom& contact)
{
    return takePickup(contact, 16, &Kart::applyQuadDamage);
}

HammerPickupContact::HammerPickupContact(Race* race) : RaceContactHandler(race) {}

ContactHandler HammerPickupContact::onContact(const dContactGeom& contact)
{
    return takePickup(contact, 17, &Kart::applyHammer);
}

FinishLineContact::FinishLineContact(Race* race) : RaceContactHandler(race) {}

ContactHandler FinishLineContact::onContact(const dContactGeom& contact)
{
    CollisionObject* check = object(contact, 9);
    Kart* kart = kartOf(other(contact, check));
    if (!check || !kart)
        return noContact();
    // Checkpoint 0 is on the line, 1 just after it, 2 just before it: from 2
    // onto the line is a lap forwards, from 1 onto it a lap backwards.
    // A kart that backs off the line the way it came has crossed nothing:
    // without the undo, backing over the line into checkpoint 2 and driving
    // on again would count a lap each time.
    const int32_t previous = kart->m_direction;
    if (check->m_trigger == 0) {
        if (previous == 2) {
            ++kart->m_lap;
            kart->m_lineEntry = 2;
        } else if (previous == 1) {
            kart->m_lineEntry = kart->m_lap > 0 ? 1 : 0;
            if (kart->m_lap > 0)
                --kart->m_lap;
        }
    } else if (previous == 0) {
        if (check->m_trigger == 2 && kart->m_lineEntry == 2 && kart->m_lap > 0)
            --kart->m_lap;
        else if (check->m_trigger == 1 && kart->m_lineEntry == 1)
            ++kart->m_lap;
        kart->m_lineEntry = 0;
    }
    if (kart->m_lap > kart->m_maxLap) {
        kart->m_maxLap = kart->m_lap;
        const float raceTime = m_race->m_physicsClock - m_race->m_startTime;
        kart->m_lapTime = raceTime - kart->m_lapStartTime;
        kart->m_lapStartTime = raceTime;
        if (kart->m_bestLapTime == -1.0f || kart->m_bestLapTime > kart->m_lapTime)
            kart->m_bestLapTime = kart->m_lapTime;
    }
    kart->m_direction = check->m_trigger;
    return noContact();
}

GroundRayContact::GroundRayContact(Race* race) : RaceContactHandler(race) {}

ContactHandler GroundRayContact::onContact(const dContactGeom& contact)
{
    if (Kart* kart = kartOf(object(contact, 3)))
        kart->placeShadow(positionOf(contact), normalOf(contact));
    return noContact();
}

Class29FloorContact::Class29FloorContact(Race* race) : RaceContactHandler(race) {}

ContactHandler Class29FloorContact::onContact(const dContactGeom& contact)
{
    m_race->m_heightTestY = float(contact.pos[1]);
    return noContact();
}

Class25Contact::Class25Contact(Race* race) : RaceContactHandler(race) {}

ContactHandler Class25Contact::onContact(const dContactGeom& contact)
{
    if (Kart* kart = kartOf(other(contact, object(contact, 25))))
        kart->m_respawnRequest = 1;
    return noContact();
}

ProjectileKartContact::ProjectileKartContact(Race* race) : RaceContactHandler(race) {}

ContactHandler ProjectileKartContact::onContact(const dContactGeom& contact)
{
    CollisionObject* projectile = object(contact, 30);
    Kart* kart = kartOf(other(contact, projectile));
    if (enabled(projectile) && kart && m_race->m_extras)
        m_race->m_extras->hitKart(projectile, kart);
    return noContact();
}

EffectGroundContact::EffectGroundContact(Race* race) : RaceContactHandler(race) {}

ContactHandler EffectGroundContact::onContact(const dContactGeom& contact)
{
    if (CollisionObject* probe = object(contact, 31); probe && m_race->m_extras)
        m_race->m_extras->reportGround(probe, positionOf(contact), normalOf(contact));
    return noContact();
}

ProjectileWallContact::ProjectileWallContact(Race* race) : RaceContactHandler(race) {}

ContactHandler ProjectileWallContact::onContact(const dContactGeom& contact)
{
    if (CollisionObject* projectile = object(contact, 30); projectile && m_race->m_extras)
        m_race->m_extras->bounce(projectile, normalOf(contact), float(contact.depth));
    return noContact();
}
