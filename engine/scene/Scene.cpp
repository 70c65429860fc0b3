#include "engine/scene/Scene.h"

#include "engine/core/math/BoundingBox.h"
#include "engine/core/render/LoadingScreen.h"
#include "engine/core/base/Report.h"
#include "engine/core/texture/Texture.h"
#include "engine/scene/Antiportal.h"
#include "engine/scene/Camera.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/FixedLightList.h"
#include "engine/scene/Light.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/OdeRuntime.h"
#include "engine/scene/ParticleEmitter.h"
#include "engine/scene/SceneManager.h"

#include <algorithm>
#include <cfloat>
#include <cstdint>

namespace {

void detach(SceneObject* item)
{
    if (item->m_parent)
        item->m_parent->removeChild(item);
    item->m_parent = nullptr;
}

} // namespace

Scene::Scene(SceneManager* manager) : ObjectList(manager ? manager->m_renderer : nullptr), m_manager(manager)
{
    m_root = addNullObject("root", nullptr);

    OdeRuntime::ensure();
    m_world = dWorldCreate();
    m_contactGroup = dJointGroupCreate(0);
    dWorldSetGravity(m_world, m_gravity[0], m_gravity[1], m_gravity[2]);
    dWorldSetCFM(m_world, 1e-10);
    dWorldSetERP(m_world, 0.3);
    // Bodies never put themselves to sleep: a kart at rest must still react
    // the moment another one touches it.
    dWorldSetAutoDisableFlag(m_world, 0);
    dWorldSetAutoDisableLinearThreshold(m_world, 0.5);
    dWorldSetAutoDisableAngularThreshold(m_world, 0.5);
    dWorldSetAutoDisableSteps(m_world, 0);
    dWorldSetAutoDisableTime(m_world, 1.0);
    dWorldSetQuickStepNumIterations(m_world, 5);
    dWorldSetContactMaxCorrectingVel(m_world, DBL_MAX);
    dWorldSetContactSurfaceLayer(m_world, 0.0);
}

Scene::~Scene()
{
    // They point at items, so they go before the items do.
    m_emitters.clear();
    m_particleEffects.clear();
    FixedLightList::forgetScene(this);
    // The game may have removed the root already; what hung below it is
    // still listed and goes with the loop below.
    if (m_root) {
        while (!m_root->m_children.empty())
            SceneObject::removeTree(m_root->m_children.back());
        m_root->remove();
    }
    // Objects made outside the tree (collision objects hang under no
    // parent) are still listed; each goes with whatever hangs below it.
    while (!m_objects.empty()) {
        SceneObject* top = m_objects.back();
        while (top->m_parent)
            top = top->m_parent;
        SceneObject::removeTree(top);
    }
    // Cameras and lights go before the world too, in case one carries a body.
    while (!m_cameras.empty()) {
        Camera* camera = m_cameras.back();
        while (!camera->m_children.empty())
            SceneObject::removeTree(camera->m_children.back());
        removeCamera(camera);
    }
    while (!m_lights.empty())
        removeLight(m_lights.back());
    dJointGroupDestroy(m_contactGroup);
    // Destroying a space destroys the spaces inside it, so only the spaces
    // that sit in no other space are destroyed here: the top space first,
    // then any further top-level one, which nothing else would free. They are
    // all picked before the first goes, as the others are freed with it.
    std::vector<dSpaceID> outermost;
    for (const SpaceRecord& record : m_spaces) {
        if (!dGeomGetSpace(reinterpret_cast<dGeomID>(record.space)))
            outermost.push_back(record.space);
    }
    for (dSpaceID space : outermost)
        dSpaceDestroy(space);
    dWorldDestroy(m_world);
    // ODE itself stays initialised: other scenes may still be colliding.
}

ViewState* Scene::view() const
{
    return m_manager ? &m_manager->m_view : nullptr;
}

MeshObject* Scene::addNullObject(const std::string& name, SceneObject* parent)
{
    auto* object = new MeshObject(this);
    object->setName(name);
    m_objects.push_back(object);
    if (parent)
        parent->addChild(object);
    return object;
}

Camera* Scene::addCamera(bool makeCurrent)
{
    auto* camera = new Camera(this);
    m_cameras.push_back(camera);
    if (makeCurrent)
        m_currentCamera = camera;
    return camera;
}

CollisionObject* Scene::addCollisionObject(uint32_t shapeType, uint32_t surfaceClass, uint32_t spaceIndex,
                                           const float size[3], const std::string& name)
{
    auto* object = new CollisionObject(this);
    object->m_shapeType = shapeType;
    object->m_surfaceClass = surfaceClass;
    object->m_spaceIndex = spaceIndex;
    for (int i = 0; i < 3; ++i)
        object->m_motion[ScaleX + i].m_value = size[i];
    object->setName(name);
    object->initialize();
    m_objects.push_back(object);
    return object;
}

int32_t Scene::addSpace(uint32_t type, const std::string& name, uint32_t parentIndex)
{
    dSpaceID parent = nullptr;
    if (parentIndex != SpaceRecord::NoParent) {
        if (parentIndex >= m_spaces.size())
            return -1;
        parent = m_spaces[parentIndex].space;
    }
    dSpaceID space = nullptr;
    if (type == 0)
        space = dSimpleSpaceCreate(parent);
    else if (type == 1)
        space = dHashSpaceCreate(parent);
    if (!space)
        return -1;
    SpaceRecord record;
    record.space = space;
    record.name = name;
    record.type = type;
    record.parentIndex = parentIndex;
    m_spaces.push_back(record);
    const int32_t index = int32_t(m_spaces.size()) - 1;
    // The space's class travels as its user data for the collide filters.
    dGeomSetData(reinterpret_cast<dGeomID>(space), reinterpret_cast<void*>(intptr_t(index)));
    return index;
}

SpaceRecord Scene::getSpace(uint32_t index) const
{
    return index < m_spaces.size() ? m_spaces[index] : SpaceRecord();
}

void Scene::removeObject(MeshObject* object)
{
    detach(object);
    std::unique_ptr<MeshObject> owned = m_objects.release(object);
    if (!owned) {
        reportAssertion("\"object not in the scene\"");
        owned.reset(object); // the caller meant it gone all the same
    }
    if (object == m_root)
        m_root = nullptr;
    std::erase_if(m_antiportals, [object](Antiportal* p) { return static_cast<MeshObject*>(p) == object; });
}

void Scene::removeCamera(Camera* camera)
{
    detach(camera);
    std::unique_ptr<Camera> owned = m_cameras.release(camera);
    if (!owned) {
        reportAssertion("\"camera not in the scene\"");
        owned.reset(camera);
    }
    if (m_currentCamera == camera)
        m_currentCamera = nullptr;
}

void Scene::removeLight(SceneItem* light)
{
    FixedLightList::forgetLight(light);
    detach(light);
    std::unique_ptr<SceneItem> owned = m_lights.release(light);
    if (!owned) {
        reportAssertion("\"light not in the scene\"");
        owned.reset(light);
    }
}

int32_t Scene::countInstances(const std::string& name, int32_t meshId) const
{
    return int32_t(std::count_if(m_objects.begin(), m_objects.end(), [&](const MeshObject* object) {
        return object->m_name == name && object->meshId() == meshId;
    }));
}

void Scene::ambientColor(double time, float out[4])
{
    out[0] = m_ambientRed.evaluate(time);
    out[1] = m_ambientGreen.evaluate(time);
    out[2] = m_ambientBlue.evaluate(time);
    out[3] = 1.0f;
}

void Scene::onLostDevice()
{
    for (MeshObject* object : m_objects)
        object->onLostDevice();
    for (SceneItem* light : m_lights)
        light->onLostDevice();
    for (Camera* camera : m_cameras)
        camera->onLostDevice();
}

void Scene::onResetDevice()
{
    for (MeshObject* object : m_objects)
        object->onResetDevice();
    for (SceneItem* light : m_lights)
        light->onResetDevice();
    for (Camera* camera : m_cameras)
        camera->onResetDevice();
}

void Scene::prepare(LoadingScreen* screen, float progressStart, float progressSpan)
{
    for (SceneItem* item : m_lights)
        if (item->m_itemType == ItemLight)
            static_cast<Light*>(item)->setup();
    // Joints join bodies, so every other object is initialised first.
    const size_t count = m_objects.size();
    for (size_t i = 0; i < m_objects.size(); ++i) {
        if (screen)
            screen->renderFrame(float(progressStart + double(progressSpan) * double(i) / double(count)));
        // Meshes build their render data for the object before its bounds
        // and bodies are set up; a build that failed is tried again here.
        for (const auto& record : m_objects[i]->m_lods)
            if (record->mesh)
                record->mesh->prepareFor(m_objects[i]);
        if (m_objects[i]->m_itemType != ItemOdeJoint)
            m_objects[i]->initialize();
    }
    for (size_t i = 0; i < m_objects.size(); ++i) {
        if (m_objects[i]->m_itemType == ItemOdeJoint)
            m_objects[i]->initialize();
    }
    if (m_backgroundImage)
        m_backgroundImage->create();
    if (m_root) {
        for (SceneObject* child : m_root->m_children)
            SceneObject::invalidateTree(child);
        m_root->invalidateMatrices();
    }
}

void Scene::updateParticles(Camera* camera, double time)
{
    const double dt = m_lastParticleTime < 0.0 ? 0.0 : time - m_lastParticleTime;
    if (dt != 0.0) {
        for (auto& emitter : m_emitters)
            emitter->update(time, dt);
        for (auto& emitter : m_emitters)
            emitter->apply(emitter->m_particles, 0, emitter->activeLimit(), time, dt, camera);
        for (auto& effect : m_particleEffects) {
            for (auto& emitter : m_emitters) {
                if (!effect->m_group || effect->m_group == emitter->m_group)
                    effect->apply(emitter->m_particles, 0, emitter->activeLimit(), time, dt, camera);
            }
        }
    }
    for (auto& emitter : m_emitters)
        emitter->step(camera, time, dt);
    m_lastParticleTime = time;
}
