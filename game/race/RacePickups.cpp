// The pickups on the track and the karts put back onto it.
#include "game/race/Race.h"

#include "engine/scene/CollisionObject.h"
#include "game/race/Kart.h"

#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;

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
    return 0;
}

bool Race::canRespawn() const
{
    return false;
}

void Race::respawnKart(int32_t index) {}

void Race::applyTint(Kart& kart)
{
    kart.applyTint(nullptr);
}
