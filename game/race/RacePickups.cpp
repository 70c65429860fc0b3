// The pickups on the track and the karts put back onto it.
#include "game/race/Race.h"

#include "engine/scene/CollisionObject.h"
#include "game/race/GroundMap.h"
#include "game/race/Kart.h"
#include "game/race/KartController.h"
#include "game/race/VectorOps.h"

#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;
// A kart is put back this far above the path.
constexpr float kRespawnLift = 0.1f;
// A computer kart put back within this many metres of where it was last put
// is stuck there, and goes on as far past it.
constexpr float kComputerRepeat = 3.0f;

CollisionObject* asCollision(SceneObject* object)
{
    return object && object->m_itemType == ItemCollision ? static_cast<CollisionObject*>(object) : nullptr;
}

void setConstant(AnimatedValue& value, float constant)
{
    value.m_envelope.reset();
    value.m_value = constant;
}

void setActive(SceneObject* object, bool on)
{
    object->m_hidden = on ? 0 : 1;
    if (CollisionObject* c = asCollision(object); c && c->m_geom)
        on ? dGeomEnable(c->m_geom) : dGeomDisable(c->m_geom);
}

// A taken pickup comes back when its countdown runs out.
void countDown(SceneObject* object)
{
    CollisionObject* c = asCollision(object);
    if (!c || c->m_trigger <= 0)
        return;
    if (--c->m_trigger == 0) {
        c->m_trigger = -1;
        setActive(c, true);
    }
}

} // namespace

void Race::updatePickups(float time, float dt)
{
    const float spin = time * kPi / 2.0f;
    for (SceneObject* coin : m_coins)
        setConstant(coin->m_motion[RotationH], spin);
    for (const std::vector<SceneObject*>* list : {&m_itemPickups, &m_healthPickups, &m_quadDamagePickups,
                                                  &m_hammerPickups})
        for (SceneObject* pickup : *list) {
            countDown(pickup);
            setConstant(pickup->m_motion[RotationH], spin);
        }
    // Special pickups pulse instead of spinning.
    const float pulse = 1.0f + 0.15f * std::sin(2.0f * kPi * time);
    for (SceneObject* pickup : m_specialPickups) {
        countDown(pickup);
        for (int32_t c = ScaleX; c <= ScaleZ; ++c)
            setConstant(pickup->m_motion[c], pulse);
    }
}

void Race::setCoinsActive(bool on)
{
    for (SceneObject* coin : m_coins)
        setActive(coin, on);
}

void Race::setPickupsActive(bool on)
{
    for (SceneObject* pickup : m_itemPickups)
        setActive(pickup, on);
    for (SceneObject* pickup : m_specialPickups)
        setActive(pickup, on);
}

int32_t Race::positionValue(const Vector3& position) const
{
    return m_posMap ? m_posMap->valueAt(position) : 0;
}

bool Race::canRespawn() const
{
    return m_pathCount > 0 && m_paths[0].usable();
}

void Race::respawnKart(int32_t index)
{
    Kart& kart = *m_karts[index];
    // The nearest point of the path whose band is nearest.
    int32_t best = -1;
    float bestLateral = 0.0f;
    Vector3 point, direction;
    for (int32_t i = 0; i < m_pathCount; ++i) {
        if (!m_paths[i].usable())
            continue;
        Vector3 d;
        float lateral;
        const Vector3 p = m_paths[i].closestPoint(kart.m_position, d, lateral);
        if (best < 0 || lateral < bestLateral) {
            best = i;
            bestLateral = lateral;
            point = p;
            direction = d;
        }
    }
    if (best < 0)
        return;
    if (m_started) {
        // A kart stuck where it was last put moves on: the computer driver
        // forwards, anyone else back. Nor does it land on another kart. A
        // computer kart stuck again near where it was put (it could not
        // climb the ramp there from a standstill, and rolled back) goes on
        // past that point, not from the nearer one behind it, or it would be
        // put back at the foot of the ramp for ever.
        const bool computer = kart.m_controller && kart.m_controller->getType() == KartController::Computer;
        const Vector3 lastPoint = kart.m_lastRespawnPoint - Vector3{0.0f, kRespawnLift, 0.0f};
        if (computer && vec::distance(point, lastPoint) < kComputerRepeat)
            point = lastPoint + direction * kComputerRepeat;
        else if (!computer && vec::distance(point, kart.m_lastRespawnPoint) < 0.5f)
            point = point - direction * 0.5f;
        // Bounded: a degenerate path gives no direction to move along.
        for (int32_t tries = 0; tries < 2 * kMaxKarts; ++tries) {
            bool occupied = false;
            for (int32_t j = 0; j < m_kartCount && !occupied; ++j)
                occupied = j != index && vec::distance(m_karts[j]->m_position, point) < 1.2f;
            if (!occupied)
                break;
            point = point - direction * 1.2f;
        }
        // The heading follows the path where the point ended up.
        float lateral;
        Vector3 d;
        m_paths[best].closestPoint(point, d, lateral);
        if (d.length() > 0.0)
            direction = d;
    }
    point.y += kRespawnLift;
    kart.m_lastRespawnPoint = point;
    kart.setTransform(point, {0.0f, std::atan2(direction.x, direction.z), 0.0f});
    if (kart.m_controller)
        kart.m_controller->reset();
    kart.resetEffects(true);
}

void Race::applyTint(Kart& kart)
{
    kart.applyTint(m_colourMap);
}
