// The power-up objects one by one: how each kind starts and moves, and its
// collision objects kept where it is.
#include "game/race/ExtraEffect.h"

#include "engine/scene/CollisionObject.h"
#include "game/race/Kart.h"
#include "game/race/Race.h"
#include "game/race/VectorOps.h"

#include <ode/ode.h>

#include <cmath>
#include <iterator>

namespace {

constexpr float kPi = 3.14159265358979f;

// In the order the models load.
const ExtraKindInfo kKinds[] = {
    {ExtraSnowball, "D:\\Zoprax9/3dobjects_extras/schneeball.lwo", 1.0f, 0.0f, ExtraKindInfo::FlatAlongSpawn, 1000,
     4.0f, ShapeSphere, 0.5f, Race::SpaceKarts, true, 0.4f},
    {ExtraOil, "D:\\Zoprax9/3dobjects_extras/oelspur.lwo", 1.0f, 0.1f, ExtraKindInfo::Fixed, 15000, 1.0f, ShapeBox,
     2.5f, Race::SpaceCheck, false, 1.0f},
    {ExtraRocket, "D:\\Zoprax9/3dobjects_extras/rakete.lwo", 1.0f, 0.0f, ExtraKindInfo::AlongSpawn, 1000, 3.0f,
     ShapeBox, 1.2f, Race::SpaceCheck, true, 1.0f},
    {ExtraBanana, "D:\\Zoprax9/3dobjects_extras/banane.lwo", 0.0f, 0.165f, ExtraKindInfo::AlongSpawn, 15000, 1.0f,
     ShapeBox, 0.5f, Race::SpaceCheck, false, 1.0f},
    {ExtraPumpkin, "D:\\Zoprax9/3dobjects_extras/kuerbis.lwo", 1.0f, 0.0f, ExtraKindInfo::AlongSpawn, 1000, 3.0f,
     ShapeSphere, 1.0f, Race::SpaceKarts, true, 1.0f},
    {ExtraHole, "D:\\Zoprax9/3dobjects_extras/loch.lwo", -1.0f, 0.1f, ExtraKindInfo::Fixed, 15000, 1.0f, ShapeSphere,
     0.25f, Race::SpaceCheck, false, 1.0f},
    {ExtraDecoy, "D:\\Zoprax9/3dobjects_extras/decoy.lwo", -1.0f, 1.0f, ExtraKindInfo::Fixed, 15000, 1.0f, ShapeBox,
     0.5f, Race::SpaceCheck, true, 0.5f},
};

// A homing pumpkin flies straight for its first half second, then turns
// toward a kart ahead of it within 60 degrees and 10 m.
constexpr int32_t kPumpkinSeekBelow = 950;
constexpr float kPumpkinReach = 10.0f;
constexpr float kPumpkinCone = 0.5f;

void refresh(CollisionObject* object, double clock)
{
    object->invalidateMatrices();
    object->getMatrix(clock);
}

} // namespace

const ExtraKindInfo* extraKinds(int32_t& count)
{
    count = int32_t(std::size(kKinds));
    return kKinds;
}

const ExtraKindInfo* extraKindInfo(int32_t kind)
{
    for (const ExtraKindInfo& info : kKinds)
        if (info.kind == kind)
            return &info;
    return nullptr;
}

void ExtraEffect::setPosition(const Vector3& ground)
{
    position = {ground.x, ground.y + heightOffset, ground.z};
}

void ExtraEffect::move(double clock, float dt, const Race* race)
{
    switch (kind) {
    case ExtraRocket:
        position = position + direction * (dt * 50.0f);
        roll += dt * 5.0f;
        break;
    case ExtraDecoy:
        yaw = float(clock) * kPi / 2.0f;
        break;
    case ExtraSnowball: {
        // It rolls and slows down: full speed at launch, none at its end.
        const float f = float(lifetime) * 0.001f;
        position = position + direction * (dt * f * 30.0f);
        pitch -= f * dt * 20.0f;
        break;
    }
    case ExtraBanana:
        yaw += dt * 5.0f;
        position.y += std::cos(4.0f * yaw) * 0.015f;
        break;
    case ExtraPumpkin: {
        if (lifetime < kPumpkinSeekBelow && race) {
            const Kart* target = nullptr;
            float nearest = 0.0f;
            const Vector3 heading = vec::unit(direction);
            for (int32_t i = 0; i < race->m_kartCount; ++i) {
                const Kart* kart = race->m_karts[i];
                if (!kart || i == owner)
                    continue;
                const Vector3 toKart = kart->m_position - position;
                const float d = float(toKart.length());
                if (d <= 0.000001f || vec::dot(toKart * (1.0f / d), heading) <= kPumpkinCone)
                    continue;
                if (!target || d < nearest) {
                    target = kart;
                    nearest = d;
                }
            }
            if (target && nearest < kPumpkinReach)
                direction = target->m_position - position;
        }
        direction = vec::unit(direction);
        position = position + direction * (dt * 25.0f);
        yaw += dt * 10.0f;
        break;
    }
    default:
        break;
    }
}

void ExtraEffect::placeBodies(double clock)
{
    if (groundRay && groundRay->m_geom) {
        // From 50 below the object straight up through 100.
        dGeomRaySetLength(groundRay->m_geom, 100.0);
        const float up[3] = {kPi / 2.0f, 0.0f, 0.0f};
        const float from[3] = {position.x, position.y - 50.0f, position.z};
        groundRay->setRotation(up, false);
        groundRay->setPosition(from);
        refresh(groundRay, clock);
    }
    if (body) {
        const float at[3] = {position.x, position.y, position.z};
        body->setPosition(at);
        refresh(body, clock);
    }
}
