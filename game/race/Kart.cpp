#include "game/race/Kart.h"

#include "engine/lightwave/LwoFile.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/MixerRecords.h"
#include "engine/scene/OdeJointItem.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "game/app/ConfigRecords.h"
#include "game/race/KartController.h"
#include "game/race/Race.h"
#include "game/race/SceneLookup.h"

#include <ode/ode.h>

#include <cmath>

namespace {

// The suspension bodies are layers of our one kart object.
const char* const kKartObjectFile = "D:\\Zoprax9/3dobjects_cars/kart_01.lwo";
const int32_t kSuspensionLayers[Kart::Corners] = {11, 5, 19, 13};
const char* const kSmokeObject = "D:\\Zoprax9/3dobjects_extras/rauch.lwo";
const char* const kShadowObject = "D:\\Zoprax9/3dobjects_cars/kart_shadow.lwo";

// Replicated energy values are numbered from here by kart index.
constexpr int32_t kEnergyIdBase = 39;

// The animation ids taken from the driver ("Character") and the kart's own
// actor ("kart"), by their motion names.
struct AnimationName {
    int32_t id;
    const char* actor;
    const char* motion;
};
const AnimationName kAnimationNames[Kart::kAnimations] = {
    {0, "Character", "Fahren"},
    {1, "Character", "Lenken_LI"},
    {2, "Character", "Lenken_RE"},
    {3, "Character", "Rueckwaerts"},
    {4, "Character", "Rueckwaerts_LI"},
    {5, "Character", "Rueckwaerts_RE"},
    {6, "Character", "Crash"},
    {7, "Character", "Sieger"},
    {8, "Character", "Verlierer"},
    {9, "Character", "Ueberholen_LI"},
    {10, "Character", "Ueberholen_RE"},
    {11, "Character", "Ueberholt_werden_LI"},
    {12, "Character", "Ueberholt_werden_RE"},
    {13, "Character", "Aktivieren"},
    {14, "Character", "Schneeball"},
    {15, "kart", "hammer"},
    {16, "kart", "health"},
    {17, "kart", "quaddamage"},
    {18, "Character", "Faser_schiessen"},
    {19, "Character", "huepfen"},
    {20, "Character", "Speedup"},
    {21, "Character", "Schleudern"},
    {22, "Character", "Kuerbis_werfen"},
    {23, "kart", "schutzschild"},
    {24, "kart", "elektroschock"},
    {25, "Character", "panzer"},
    {26, "Character", "Schleudern"},
    {27, "kart", "rauch"},
    {28, "Character", "Fallen"},
    {29, "Character", "Fehlstart"},
};

// Sets a body's total mass, keeping the shape of its mass distribution.
void setMass(SceneObject* object, float mass)
{
    if (!object || !object->m_body || !std::isfinite(mass) || !(mass > 0.0f) || !(object->m_mass.mass > 0.0))
        return;
    dMass m = object->m_mass;
    dMassAdjust(&m, mass);
    // ODE stops the process on a mass it rejects.
    if (!dMassCheck(&m))
        return;
    object->m_mass = m;
    dBodySetMass(object->m_body, &m);
}

// Rebuilds the bodies under `item`, parents before their children, so that
// a child's body is placed by its parent's new matrix.
void rebuildBodies(SceneObject* item)
{
    for (SceneObject* child : item->m_children) {
        if (child->m_body && child->m_itemType != ItemOdeJoint) {
            child->createBody();
            SceneObject::invalidateTree(child);
        }
        rebuildBodies(child);
    }
}

} // namespace

Kart::Kart(Stream* files, Scene* scene, int32_t index, const KartInfo* info, KartController* driver,
           KartController* finishDriver, const int32_t* look, const UpgradeTable* upgrades, int32_t ccm)
    : m_index(index), m_scene(scene)
{
    m_energy.setId(index + kEnergyIdBase);
    m_controller = driver;
    m_finishController = finishDriver;
    m_drivenElsewhere = driver && driver->getType() == KartController::Network;
    for (KartController* c : {driver, finishDriver}) {
        if (c) {
            c->addRef();
            c->m_kart = this;
        }
    }
    if (!scene || !info) {
        m_missing = "kart record";
        return;
    }
    if (!scene->loadLWS(files, info->kartFile, nullptr, 0.0f, 0.7f))
        m_missing += " " + info->kartFile;
    findParts(files, *info);
    static const int32_t stock[6] = {0, 0, 0, 0, -1, 0};
    applyLook(files, look ? look : stock);
    loadCharacter(files, *info);
    applyTuning(*info, upgrades, look ? look : stock, ccm);

    m_rank = m_previousRank = index;
    m_energy.set(100);
    // Every other starting value is the member's own.
    playAnimation(AnimDrive, 1.0f, 0.1f, 0.1f, 10000.0f, false, true, false);
    endAnimation(AnimReverse, -1.0f, true);
    for (int32_t i = 0; i < kLayers; ++i) {
        m_layer[i] = lookup::instance(scene, info->kartObject, i, index + 1);
        m_layerVisible[i] = m_layer[i] && !m_layer[i]->m_hidden ? 1 : 0;
    }
    if (m_controller)
        m_controller->reset();
}

Kart::~Kart()
{
    // Either may be the other: each reference is dropped on its own.
    if (m_finishController)
        m_finishController->release();
    if (m_controller)
        m_controller->release();
}

void Kart::findParts(Stream* files, const KartInfo& info)
{
    const int32_t instance = m_index + 1;
    auto find = [&](const std::string& name, bool needed) -> MeshObject* {
        MeshObject* object = lookup::instance(m_scene, name, -1, instance);
        if (!object && needed)
            m_missing += " " + name;
        return object;
    };
    // The kart scene's own root is the one its load just made.
    m_root = lookup::last(m_scene, info.kartFile);
    m_chassis = find("chassis", true);
    m_body = lookup::instance(m_scene, info.kartObject, 0, instance);
    if (m_body)
        m_body->m_hidden = 1;
    else
        m_missing += " " + info.kartObject;
    const std::string* jointNames[Corners][2] = {
        {&info.jointFLwheel, &info.jointFLsuspension},
        {&info.jointFRwheel, &info.jointFRsuspension},
        {&info.jointBLwheel, &info.jointBLsuspension},
        {&info.jointBRwheel, &info.jointBRsuspension},
    };
    const std::string* wheelNames[Corners] = {&info.wheelFL, &info.wheelFR, &info.wheelBL, &info.wheelBR};
    for (int c = 0; c < Corners; ++c) {
        m_wheelJoint[c] = find(*jointNames[c][0], true);
        m_suspensionJoint[c] = find(*jointNames[c][1], true);
        m_wheel[c] = find(*wheelNames[c], true);
        m_suspension[c] = lookup::instance(m_scene, kKartObjectFile, kSuspensionLayers[c], instance);
        if (!m_suspension[c])
            m_missing += " suspension layer " + std::to_string(kSuspensionLayers[c]);
        // The drive sets motors on these joints and reads the wheels' bodies.
        for (SceneObject* joint : {m_wheelJoint[c], m_suspensionJoint[c]})
            if (joint && joint->m_itemType != ItemOdeJoint)
                m_missing += " " + joint->m_name + " (not a joint)";
        if (m_wheel[c] && (!m_wheel[c]->m_body || m_wheel[c]->m_itemType != ItemCollision))
            m_missing += " " + m_wheel[c]->m_name + " (no body and geom)";
        if (m_wheel[c])
            m_wheel[c]->m_owner = this;
    }
    if (m_chassis && !m_chassis->m_body)
        m_missing += " chassis (no body)";
    if (!m_root)
        m_missing += " " + info.kartFile + " (root)";

    for (int c = 0; c < Corners; ++c) {
        setMass(m_suspension[c], info.masssuspensions);
        setMass(m_wheel[c], info.masswheels);
    }
    setMass(m_chassis, info.mass);
    setSpring(info.spring, info.damper);
    m_cameraTarget = find("CameraTarget", true);

    // Every kart scene carries the same number of chassis collision parts.
    const int32_t perKart = lookup::count(m_scene, "kartcol", -1) / instance;
    for (int32_t k = 0; k < perKart; ++k)
        if (MeshObject* part = lookup::instance(m_scene, "kartcol", -1, m_index * perKart + 1 + k))
            part->m_owner = this;
    for (int32_t k = 0; k < kSmoke; ++k)
        m_smoke[k] = lookup::instance(m_scene, kSmokeObject, k, instance);

    const float unit[3] = {1.0f, 1.0f, 1.0f};
    m_groundRay = m_scene->addCollisionObject(ShapeRay, 3, Race::SpaceRay, unit, "");
    if (m_groundRay->m_geom) {
        dGeomRaySetLength(m_groundRay->m_geom, 100.0);
        dGeomDisable(m_groundRay->m_geom);
    }
    m_groundRay->m_owner = this;
    // The kart draws its shadow itself.
    m_shadow = m_scene->loadObjectLayer(files, kShadowObject, 0, nullptr);
    if (m_shadow)
        m_shadow->m_hidden = 1;
}

void Kart::loadCharacter(Stream* files, const KartInfo& info)
{
    if (!m_scene->loadLWS(files, info.characterFile, nullptr, 0.0f, 0.7f))
        m_missing += " " + info.characterFile;
    // The driver rides on the painted body.
    m_character = lookup::last(m_scene, info.characterFile);
    if (m_character && m_body)
        m_body->addChild(m_character);
    for (const AnimationName& a : kAnimationNames) {
        MixerActor* actor = m_scene->findObject(a.actor, m_index);
        if (!actor)
            continue;
        for (MixerMotion* motion : actor->motions)
            if (motion && motion->name == a.motion) {
                m_animation[a.id] = motion;
                break;
            }
    }
    m_exclusiveAnimation = -1;

    static const char* const tinted[] = {"chromed metal", "kart kunststoff", "kart logo", "kart metal",
                                         "kart reifen"};
    SceneManager* manager = m_scene->m_manager;
    if (!manager)
        return;
    for (const char* name : tinted)
        if (Surface* surface = manager->findSurface(info.kartObject + "@" + name))
            m_tintSurfaces.push_back(surface);
    if (LwoFile* file = manager->findLwoFile(info.characterObject))
        for (Surface* surface : file->m_tagSurfaces)
            if (surface)
                m_tintSurfaces.push_back(surface);
}

void Kart::applyTuning(const KartInfo& info, const UpgradeTable* upgrades, const int32_t* look, int32_t ccm)
{
    static const float classFactor[3] = {0.7f, 0.85f, 1.0f};
    const float factor = classFactor[ccm >= 0 && ccm <= 2 ? ccm : 0];
    m_forwardSpeed = m_baseForwardSpeed = info.forwardSpeed * factor;
    m_forwardForce = info.forwardForce;
    m_backwardSpeed = m_baseBackwardSpeed = info.backwardSpeed;
    m_backwardForce = info.backwardForce;
    m_brakeForce = info.brakeForce;
    m_idleForce = info.idleForce;
    m_reverseThreshold = 0.2f;
    m_mu = info.mu;
    m_slip = info.slip;
    m_drift = info.drift;
    m_driftExp = info.driftexp;
    m_steerSpeed = info.steerspeed;
    m_steerAngle = info.steerangle;
    m_steerAngleMin = info.steeranglemin;
    m_turboTime = info.turbotime;
    m_special = info.special;
    if (m_controller && m_controller->getType() == KartController::Computer)
        useComputerHandling(0.3f, 0.002f);
    if (!upgrades)
        return;
    // The look's levels come from profiles and peers: a level the tables do
    // not have changes nothing.
    const std::vector<UpgradeInfo>* lists[4] = {&upgrades->spoiler, &upgrades->sideskirts, &upgrades->engine,
                                                &upgrades->tires};
    const int32_t levels[4] = {look[0], look[2], look[3], look[1]};
    for (int k = 0; k < 4; ++k)
        if (const UpgradeInfo* u = UpgradeTable::at(*lists[k], levels[k])) {
            m_forwardSpeed *= u->speed;
            m_forwardForce *= u->acceleration;
        }
    for (int k = 0; k < 4; ++k)
        if (const UpgradeInfo* u = UpgradeTable::at(*lists[k], levels[k]))
            m_drift *= u->drift;
}

void Kart::useComputerHandling(float slip, float drift)
{
    m_mu = 5.0f;
    m_slip = slip;
    m_drift = drift;
    m_driftExp = 1.0f;
    m_steerAngle = m_steerAngleMin = 0.7853982f;
    m_reverseThreshold = 0.05f;
}

void Kart::setTransform(const Vector3& position, const Vector3& rotation)
{
    if (!m_root)
        return;
    const float p[3] = {position.x, position.y, position.z};
    const float r[3] = {rotation.x, rotation.y, rotation.z};
    m_root->setPosition(p);
    m_root->setRotation(r, false);
    SceneObject::invalidateTree(m_root);
    rebuildBodies(m_root);
    m_root->forEachChild([](SceneObject* item) {
        if (item->m_itemType == ItemOdeJoint)
            item->createBody();
    });
    m_root->forEachChild([](SceneObject* item) {
        if (item->m_itemType == ItemCollision)
            item->initialize();
    });
    SceneObject::invalidateTree(m_root);
    getChassisPosition(m_position);
}

void Kart::getVelocity(Vector3& out)
{
    out = {0.0f, 0.0f, 0.0f};
    if (m_chassis && m_chassis->m_body) {
        const dReal* v = dBodyGetLinearVel(m_chassis->m_body);
        out = {float(v[0]), float(v[1]), float(v[2])};
    }
}

void Kart::getChassisPosition(Vector3& out)
{
    if (!m_chassis)
        return;
    const Matrix4 m = m_chassis->getMatrix(0.0);
    out = {m.at(3, 0), m.at(3, 1), m.at(3, 2)};
}

void Kart::getBodyForward(Vector3& out)
{
    if (!m_body)
        return;
    const Matrix4 m = m_body->getMatrix(0.0);
    out = {m.at(2, 0), m.at(2, 1), m.at(2, 2)};
}

void Kart::predictPosition(float seconds, Vector3& out) const
{
    out = m_position + m_forward * (m_speed * seconds);
}

void Kart::setSpring(float spring, float damper)
{
    for (SceneObject* joint : m_suspensionJoint)
        if (joint && joint->m_itemType == ItemOdeJoint) {
            static_cast<OdeJointItem*>(joint)->m_springForce = spring;
            static_cast<OdeJointItem*>(joint)->m_damperForce = damper;
        }
}

void Kart::setSmoke(SceneObject* target)
{
    for (SceneObject* smoke : m_smoke)
        if (smoke)
            smoke->m_target = target;
}

void Kart::setEnergy(int32_t energy)
{
    m_energy.set(energy < 0 ? 0 : energy > 100 ? 100 : energy);
}

void Kart::setPhysicsEnabled(bool on)
{
    if (!m_root)
        return;
    m_root->forEachChild([on](SceneObject* item) {
        if (item->m_body)
            on ? dBodyEnable(item->m_body) : dBodyDisable(item->m_body);
        if (item->m_itemType == ItemCollision)
            if (dGeomID geom = static_cast<CollisionObject*>(item)->m_geom)
                on ? dGeomEnable(geom) : dGeomDisable(geom);
    });
    if (!on) {
        m_shadow = nullptr;
        m_holeSteps = -1;
    }
}

void Kart::playCue(uint32_t cue)
{
    if (Race* race = Race::current())
        race->playCue(cue);
}
