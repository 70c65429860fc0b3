// The race's power-up objects: the models, the list of live objects, their
// steps and drawing, and what the contact handlers report about them.
#include "game/race/Extras.h"

#include "engine/core/base/Report.h"
#include "engine/scene/Camera.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/Scene.h"
#include "game/app/RaceSetup.h"
#include "game/app/RandomFunctions.h"
#include "game/net/NetControl.h"
#include "game/race/Kart.h"
#include "game/race/KartController.h"
#include "game/race/Race.h"
#include "game/race/VectorOps.h"

#include <ode/ode.h>

#include <cmath>
#include <string>

namespace {

constexpr float kPi = 3.14159265358979f;
// The surface classes of an object's body and of its ground probe.
constexpr uint32_t kBodyClass = 30;
constexpr uint32_t kProbeClass = 31;
// A hole that a kart fell into stays 3 s more.
constexpr int32_t kHoleAfterHit = 300;

bool finite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool isNetworkKart(const Kart& kart)
{
    return kart.m_controller && kart.m_controller->getType() == KartController::Network;
}

ExtraEffect* effectOf(const CollisionObject* object)
{
    return object ? static_cast<ExtraEffect*>(object->m_owner) : nullptr;
}

void refuse(const std::string& why)
{
    reportError(("power-up object refused: " + why).c_str());
}

} // namespace

Extras::Extras(Stream* files, Scene* scene) : m_files(files), m_scene(scene)
{
    int32_t count = 0;
    const ExtraKindInfo* kinds = extraKinds(count);
    for (int32_t i = 0; i < count && i < kModels && m_scene; ++i) {
        MeshObject* model = m_scene->loadObjectLayer(files, kinds[i].model, 0, m_scene->m_root);
        if (!model)
            continue;
        // Drawn by us, once for each object of its kind.
        model->m_hidden = 1;
        for (int32_t axis = ScaleX; axis <= ScaleZ; ++axis)
            model->m_motion[axis].m_value = kinds[i].modelScale;
        m_models[i] = model;
    }
}

// The collision objects and models are the scene's and go with it.
Extras::~Extras()
{
    for (ExtraEffect* effect : m_effects)
        delete effect;
}

MeshObject* Extras::model(int32_t kind) const
{
    int32_t count = 0;
    const ExtraKindInfo* kinds = extraKinds(count);
    for (int32_t i = 0; i < count && i < kModels; ++i)
        if (kinds[i].kind == kind)
            return m_models[i];
    return nullptr;
}

ExtraEffect* Extras::spawn(int32_t kind, const Vector3& p, const Vector3& d, int32_t owner)
{
    const ExtraKindInfo* info = extraKindInfo(kind);
    if (!info) {
        refuse("kind " + std::to_string(kind) + " leaves no object");
        return nullptr;
    }
    Race* race = Race::current();
    if (!race || owner < 0 || owner >= race->m_kartCount || !race->m_karts[owner]) {
        refuse("kart " + std::to_string(owner) + " is not in the race");
        return nullptr;
    }
    if (!finite(p) || !finite(d)) {
        refuse("its position or direction is not a number");
        return nullptr;
    }

    auto* effect = new ExtraEffect;
    effect->kind = kind;
    effect->owner = owner;
    effect->heightOffset = info->heightOffset;
    effect->position = p + d * info->along;
    effect->position.y += info->lift;
    switch (info->heading) {
    case ExtraKindInfo::AlongSpawn:
        effect->direction = d;
        break;
    case ExtraKindInfo::FlatAlongSpawn:
        effect->direction = vec::unit({d.x, 0.0f, d.z});
        break;
    case ExtraKindInfo::Fixed:
        effect->direction = {0.0f, 0.0f, 1.0f};
        break;
    }
    if (kind == ExtraBanana) {
        effect->pitch = kPi;
        effect->yaw = randomRange(0.0f, 360.0f) * kPi / 180.0f;
    }
    effect->model = model(kind);
    // Without its model the object shows nothing and hits nothing: it ends
    // in the next step.
    if (effect->model && m_scene) {
        effect->lifetime = info->lifetime;
        const float size[3] = {info->size, info->size, info->size};
        effect->body = m_scene->addCollisionObject(info->shape, kBodyClass, info->space, size, "");
        effect->body->m_owner = effect;
        if (info->groundRay) {
            const float unit[3] = {1.0f, 1.0f, 1.0f};
            effect->groundRay = m_scene->addCollisionObject(ShapeRay, kProbeClass, Race::SpaceRay, unit, "");
            effect->groundRay->m_owner = effect;
        }
        effect->placeBodies(race->m_physicsClock);
    }
    m_effects.push_back(effect);

    const Kart* kart = race->m_karts[owner];
    if (race->m_started && kart->m_controller && kart->m_controller->getType() == KartController::Human)
        sendSpawn(kind, p, d, owner);
    return effect;
}

// 38: i8 owner, i8 kind, f32 x3 position, f32 x3 direction.
void Extras::sendSpawn(int32_t kind, const Vector3& p, const Vector3& d, int32_t owner)
{
    const Race* race = Race::current();
    if (!race || !race->m_setup || race->m_setup->mode != 2)
        return;
    NetControl& net = NetControl::getInstance();
    net.beginChunk(38);
    net.writeByte(uint8_t(owner));
    net.writeByte(uint8_t(kind));
    for (float v : {p.x, p.y, p.z, d.x, d.y, d.z})
        net.writeFloat(v);
    net.sendChunk();
}

void Extras::removeObjects(ExtraEffect& effect)
{
    auto drop = [](CollisionObject*& object) {
        if (object)
            object->remove();
        object = nullptr;
    };
    drop(effect.body);
    drop(effect.groundRay);
}

void Extras::update(double clock, float dt)
{
    const Race* race = Race::current();
    for (auto it = m_effects.begin(); it != m_effects.end();) {
        ExtraEffect* effect = *it;
        if (--effect->lifetime < 1 || effect->removeNow) {
            removeObjects(*effect);
            delete effect;
            it = m_effects.erase(it);
            continue;
        }
        effect->move(clock, dt, race);
        effect->placeBodies(clock);
        ++it;
    }
}

void Extras::render(Camera* camera, float time)
{
    if (!camera || !m_scene)
        return;
    for (const ExtraEffect* effect : m_effects) {
        MeshObject* model = effect->model;
        if (!model)
            continue;
        const float at[3] = {effect->position.x, effect->position.y, effect->position.z};
        const Vector3 heading = directionToAngles(effect->direction);
        const float turn[3] = {heading.x + effect->pitch, heading.y + effect->yaw, heading.z + effect->roll};
        model->setPosition(at);
        model->setRotation(turn, false);
        model->invalidateMatrices();
        m_scene->selectLights(model, camera, time);
        model->render(time, camera);
    }
}

void Extras::hitKart(CollisionObject* object, Kart* kart)
{
    ExtraEffect* effect = effectOf(object);
    if (!effect || !kart || kart->m_index == effect->owner)
        return;
    // A kart another machine drives takes its hits there.
    if (!isNetworkKart(*kart))
        kart->applyHit(effect->kind, effect->owner, 0, true);
    if (effect->kind == ExtraHole)
        effect->lifetime = kHoleAfterHit;
    else
        effect->removeNow = 1;
    if (object->m_geom)
        dGeomDisable(object->m_geom);
}

void Extras::reportGround(CollisionObject* probe, const Vector3& position, const Vector3&)
{
    if (ExtraEffect* effect = effectOf(probe))
        effect->setPosition(position);
}

void Extras::bounce(CollisionObject* object, const Vector3& normal, float depth)
{
    ExtraEffect* effect = effectOf(object);
    if (!effect)
        return;
    Vector3& d = effect->direction;
    d = d - normal * (2.0f * vec::dot(d, normal));
    effect->position = effect->position + d * depth;
}

Vector3 Extras::directionToAngles(const Vector3& v)
{
    float yaw = std::atan2(v.x, v.z);
    if (yaw < 0.0f)
        yaw += 2.0f * kPi;
    // Our turn about x lifts a model's nose for a positive angle.
    float pitch = kPi / 2.0f - std::atan2(std::sqrt(v.x * v.x + v.z * v.z), v.y);
    if (pitch < 0.0f)
        pitch += 2.0f * kPi;
    return {pitch, yaw, 0.0f};
}
