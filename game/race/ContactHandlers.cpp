// The handlers of karts and wheels against the ground, walls and each other.
#include "game/race/ContactHandlers.h"

#include "engine/core/math/Random.h"
#include "engine/scene/CollisionObject.h"
#include "game/app/RaceSetup.h"
#include "game/app/TuningValues.h"
#include "game/race/Kart.h"
#include "game/race/KartController.h"
#include "game/race/Race.h"
#include "game/race/VectorOps.h"

#include <cmath>

namespace {

constexpr int kWheelMode =
    dContactFDir1 | dContactSoftERP | dContactSoftCFM | dContactSlip1 | dContactSlip2 | dContactApprox1;

Vector3 toVector(const dReal* v)
{
    return {float(v[0]), float(v[1]), float(v[2])};
}

// Grip and drift of a wheel on the ground: friction across the axle, slip
// along the axle growing with the wheel's speed across it.
ContactHandler wheelOnGround(ContactHandler answer, const CollisionObject& wheel, const Kart& kart, bool road)
{
    Vector3 fdir{0.0f, 1.0f, 0.0f};
    if (wheel.m_body) {
        Vector3 v = toVector(dBodyGetLinearVel(wheel.m_body));
        if (v.length() == 0.0)
            v = {0.0f, 1.0f, 0.0f};
        const Vector3 axis{wheel.m_axis[0], wheel.m_axis[1], wheel.m_axis[2]};
        fdir = vec::cross(axis, vec::cross(v, axis));
    }
    const float s = float(fdir.length());
    dSurfaceParameters& surface = answer.m_surface;
    surface.mode = kWheelMode;
    surface.mu = kart.m_mu;
    surface.soft_erp = wheelsERP;
    surface.soft_cfm = wheelsCFM;
    surface.slip1 = 0.0;
    surface.slip2 = 0.0;
    if (kart.m_gear != 0) {
        if (road) {
            float exponent = kart.m_driftExp;
            float slip = kart.m_slip;
            if (kart.m_oilHitSteps != 0) {
                exponent *= 3.0f;
                slip *= 4.0f;
            }
            surface.slip1 = slip;
            surface.slip2 = std::pow(s, exponent) * kart.m_drift;
        } else {
            surface.slip1 = kart.m_slip;
            surface.slip2 = s * kart.m_drift;
        }
    }
    fdir.normalize();
    answer.m_fdir1[0] = fdir.x;
    answer.m_fdir1[1] = fdir.y;
    answer.m_fdir1[2] = fdir.z;
    answer.m_fdir1[3] = 0.0;
    answer.m_createContact = true;
    return answer;
}

// A slippery contact of chassis parts, softened by the kart values.
ContactHandler slippery(ContactHandler answer)
{
    answer.m_surface.mu = 0.0;
    answer.m_surface.soft_erp = kartERP;
    answer.m_surface.soft_cfm = kartCFM;
    return answer;
}

} // namespace

CollisionObject* RaceContactHandler::object(const dContactGeom& contact, uint32_t surfaceClass)
{
    for (dGeomID geom : {contact.g1, contact.g2}) {
        auto* object = static_cast<CollisionObject*>(dGeomGetData(geom));
        if (object && object->m_surfaceClass == surfaceClass)
            return object;
    }
    return nullptr;
}

CollisionObject* RaceContactHandler::other(const dContactGeom& contact, const CollisionObject* one)
{
    auto* first = static_cast<CollisionObject*>(dGeomGetData(contact.g1));
    auto* second = static_cast<CollisionObject*>(dGeomGetData(contact.g2));
    return first == one ? second : first;
}

Kart* RaceContactHandler::kartOf(const CollisionObject* object)
{
    if (!object)
        return nullptr;
    const uint32_t c = object->m_surfaceClass;
    return c == 2 || c == 3 || c == 6 ? static_cast<Kart*>(object->m_owner) : nullptr;
}

ContactHandler RaceContactHandler::noContact() const
{
    ContactHandler answer = *this;
    answer.m_createContact = false;
    return answer;
}

WheelRoadContact::WheelRoadContact(Race* race) : RaceContactHandler(race) {}

ContactHandler WheelRoadContact::onContact(const dContactGeom& contact)
{
    CollisionObject* wheel = object(contact, 6);
    Kart* kart = kartOf(wheel);
    if (!kart)
        return *this;
    kart->m_onRoughGround = 0;
    return wheelOnGround(*this, *wheel, *kart, true);
}

WheelRoughContact::WheelRoughContact(Race* race) : RaceContactHandler(race) {}

ContactHandler WheelRoughContact::onContact(const dContactGeom& contact)
{
    CollisionObject* wheel = object(contact, 6);
    Kart* kart = kartOf(wheel);
    if (!kart)
        return *this;
    kart->m_onRoughGround = 1;
    Vector3 velocity;
    kart->getVelocity(velocity);
    if (velocity.length() > 4.0) {
        // Dust of the ground: snow, grass or sand, one of two looks each.
        const CollisionObject* ground = other(contact, wheel);
        const uint32_t kind = ground ? ground->m_surfaceClass : 0;
        const int32_t base = kind == 11 ? 4 : kind == 12 ? 6 : kind == 13 ? 2 : -1;
        if (base >= 0) {
            const float at[3] = {float(contact.pos[0]), float(contact.pos[1]), float(contact.pos[2])};
            const Vector3& h = kart->m_forward;
            const float direction[3] = {-h.x, -h.y + 0.5f, -h.z};
            m_race->spawnEffect(base + (engineRand() & 1), at, direction, 1.0f, 1);
        }
    }
    return wheelOnGround(*this, *wheel, *kart, false);
}

ChassisScrapeContact::ChassisScrapeContact(Race* race) : RaceContactHandler(race) {}

ContactHandler ChassisScrapeContact::onContact(const dContactGeom& contact)
{
    const ContactHandler answer = slippery(*this);
    auto* first = static_cast<CollisionObject*>(dGeomGetData(contact.g1));
    auto* second = static_cast<CollisionObject*>(dGeomGetData(contact.g2));
    Kart* kart = kartOf(first && first->m_surfaceClass == 2 ? first : second);
    if (!kart)
        return answer;
    if (kart->m_index == 0 && kart->m_controller && kart->m_controller->getType() == KartController::Human)
        m_race->playCue(24);
    const float at[3] = {float(contact.pos[0]), float(contact.pos[1]), float(contact.pos[2])};
    const float none[3] = {0.0f, 0.0f, 0.0f};
    m_race->spawnEffect(13, at, none, 1.0f, 1);
    return answer;
}

KartKartContact::KartKartContact(Race* race) : RaceContactHandler(race) {}

ContactHandler KartKartContact::onContact(const dContactGeom& contact)
{
    const ContactHandler answer = slippery(*this);
    if (!m_race->m_setup || m_race->m_setup->gameType != Race::LastManStanding)
        return answer;
    Kart* karts[2] = {kartOf(static_cast<CollisionObject*>(dGeomGetData(contact.g1))),
                      kartOf(static_cast<CollisionObject*>(dGeomGetData(contact.g2)))};
    if (!karts[0] || !karts[1] || karts[0] == karts[1])
        return answer;
    // A kart driving straight at another rams it.
    for (int a = 0; a < 2; ++a) {
        Kart& attacker = *karts[a];
        Kart& victim = *karts[1 - a];
        if (attacker.m_controller && attacker.m_controller->getType() == KartController::Network)
            continue;
        const Vector3 toVictim = vec::unit(victim.m_position - attacker.m_position);
        if (vec::dot(attacker.m_forward, toVictim) > 0.707f && attacker.m_speed > 1.0f)
            victim.applyHit(18, attacker.m_index, 0, true);
    }
    return answer;
}

WheelChassisContact::WheelChassisContact(Race* race) : RaceContactHandler(race) {}

ContactHandler WheelChassisContact::onContact(const dContactGeom&)
{
    return noContact();
}

Class35Contact::Class35Contact(Race* race) : RaceContactHandler(race) {}

ContactHandler Class35Contact::onContact(const dContactGeom&)
{
    return *this;
}
