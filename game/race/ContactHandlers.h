#pragma once
#include "engine/scene/ContactHandler.h"

#include <cstdint>

class CollisionObject;
class Kart;
class Race;

// The race's contact handlers: one class per kind of pair of surface classes,
// each answering the contact parameters of one contact point and acting on
// the game (grip and drift of the wheels, pickups, laps, hits, the shadow's
// ground). The race makes them and puts them into its scene's contact table
// (RaceContacts.cpp).
//
// Surface classes of the race: 2 kart chassis, 3 kart ground ray, 5 special
// pickup, 6 wheels, 7 item pickup, 8 coin, 9 checkpoint, 10 road, 11 snow,
// 12 grass, 13 sand, 15 health, 16 quad damage, 17 hammer, 20 walls, 25 reset
// zone, 29 the load's height probe, 30 power-up object, 31 its ground probe,
// 35 plain solid level objects.
class RaceContactHandler : public ContactHandler {
public:
    explicit RaceContactHandler(Race* race) : m_race(race) {}

protected:
    // The contact's object of that surface class (the first when both are),
    // and the other object.
    static CollisionObject* object(const dContactGeom& contact, uint32_t surfaceClass);
    static CollisionObject* other(const dContactGeom& contact, const CollisionObject* one);
    // The kart that owns a chassis, ground-ray or wheel object; null for
    // anything else.
    static Kart* kartOf(const CollisionObject* object);
    // The defaults with no contact joint.
    ContactHandler noContact() const;
    // A kart touching a pickup of the class gets what `apply` gives, once;
    // no contact.
    ContactHandler takePickup(const dContactGeom& contact, uint32_t surfaceClass, void (Kart::*apply)());

    Race* m_race;
};

// Wheels on road (6-10): grip, drift growing with speed, no rough ground.
class WheelRoadContact : public RaceContactHandler {
public:
    explicit WheelRoadContact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// Wheels on snow, grass and sand (6-11, 6-12, 6-13): grip and drift, rough ground, dust.
class WheelRoughContact : public RaceContactHandler {
public:
    explicit WheelRoughContact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// Karts through checkpoints (2-9, 6-9): laps and lap times.
class FinishLineContact : public RaceContactHandler {
public:
    explicit FinishLineContact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// Karts on coins (2-8, 6-8): the kart of view 0 collects them.
class CoinContact : public RaceContactHandler {
public:
    explicit CoinContact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// Karts on item boxes (2-7, 6-7): a random power-up.
class ItemPickupContact : public RaceContactHandler {
public:
    explicit ItemPickupContact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// Karts on special pickups (2-5, 6-5): the kart's own special.
class SpecialPickupContact : public RaceContactHandler {
public:
    explicit SpecialPickupContact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// Chassis against chassis (2-2): slippery pushes; ramming hits in last man standing.
class KartKartContact : public RaceContactHandler {
public:
    explicit KartKartContact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// Chassis on ground and walls, wheels on walls (2-10 ... 2-20, 6-20): slippery, scrape sound and sparks.
class ChassisScrapeContact : public RaceContactHandler {
public:
    explicit ChassisScrapeContact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// Wheels against chassis (6-2): nothing; a kart's wheels never push its body.
class WheelChassisContact : public RaceContactHandler {
public:
    explicit WheelChassisContact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// Power-up objects against karts (30-2, 30-6): the hit, handed to the power-up objects.
class ProjectileKartContact : public RaceContactHandler {
public:
    explicit ProjectileKartContact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// A kart's ground ray on the ground (3-10 ... 3-13): the shadow's place.
class GroundRayContact : public RaceContactHandler {
public:
    explicit GroundRayContact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// The load's height probe on the ground (29-10 ... 29-13): the height found.
class Class29FloorContact : public RaceContactHandler {
public:
    explicit Class29FloorContact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// Karts in reset zones (25-2, 25-6): back on the track.
class Class25Contact : public RaceContactHandler {
public:
    explicit Class25Contact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// Karts on hammer pickups (17-2, 17-6).
class HammerPickupContact : public RaceContactHandler {
public:
    explicit HammerPickupContact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// Karts on health pickups (15-2, 15-6).
class HealthPickupContact : public RaceContactHandler {
public:
    explicit HealthPickupContact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// Karts on quad-damage pickups (16-2, 16-6).
class QuadDamagePickupContact : public RaceContactHandler {
public:
    explicit QuadDamagePickupContact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// Power-up objects' ground probes (31-10 ... 31-13): the ground report.
class EffectGroundContact : public RaceContactHandler {
public:
    explicit EffectGroundContact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// Power-up objects against walls (30-20): the bounce.
class ProjectileWallContact : public RaceContactHandler {
public:
    explicit ProjectileWallContact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};

// Plain solid level objects (35-10 ... 35-13, 35-2).
class Class35Contact : public RaceContactHandler {
public:
    explicit Class35Contact(Race* race);
    ContactHandler onContact(const dContactGeom& contact) override;
};
