#include "engine/core/base/Report.h"
#include "engine/scene/Camera.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"

#include <gtest/gtest.h>

#include <ode/ode.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Items that note each device call and each initialisation in one log.
class LoggingObject : public MeshObject {
public:
    LoggingObject(Scene* scene, std::vector<std::string>* log, std::string tag)
        : MeshObject(scene), m_log(log), m_tag(std::move(tag))
    {
    }
    void onLostDevice() override { m_log->push_back("lost " + m_tag); }
    void onResetDevice() override { m_log->push_back("reset " + m_tag); }
    void initialize() override { m_log->push_back("init " + m_tag); }
    bool invalidateMatrices() override
    {
        m_log->push_back("invalidate " + m_tag);
        return MeshObject::invalidateMatrices();
    }

    std::vector<std::string>* m_log;
    std::string m_tag;
};

class LoggingCamera : public Camera {
public:
    LoggingCamera(Scene* scene, std::vector<std::string>* log, std::string tag)
        : Camera(scene), m_log(log), m_tag(std::move(tag))
    {
    }
    void onLostDevice() override { m_log->push_back("lost " + m_tag); }
    void onResetDevice() override { m_log->push_back("reset " + m_tag); }

    std::vector<std::string>* m_log;
    std::string m_tag;
};

// Items and cameras that count their own destruction.
class CountedObject : public MeshObject {
public:
    CountedObject(Scene* scene, int* destroyed) : MeshObject(scene), m_destroyed(destroyed) {}
    ~CountedObject() override { ++*m_destroyed; }
    int* m_destroyed;
};

class CountedCamera : public Camera {
public:
    CountedCamera(Scene* scene, int* destroyed) : Camera(scene), m_destroyed(destroyed) {}
    ~CountedCamera() override { ++*m_destroyed; }
    int* m_destroyed;
};

CountedObject* addCounted(Scene* scene, int* destroyed, SceneObject* parent)
{
    auto* object = new CountedObject(scene, destroyed);
    scene->m_objects.push_back(object);
    if (parent)
        parent->addChild(object);
    return object;
}

CountedCamera* addCountedCamera(Scene* scene, int* destroyed)
{
    auto* camera = new CountedCamera(scene, destroyed);
    scene->m_cameras.push_back(camera);
    return camera;
}

// Blocks ODE holds from its allocator (worlds, spaces, geoms, bodies, joint
// groups) while the handlers below are installed.
long g_odeBlocks = 0;

void* countedOdeAlloc(dsizeint size)
{
    ++g_odeBlocks;
    return std::malloc(size);
}

void* countedOdeRealloc(void* block, dsizeint, dsizeint size)
{
    if (!block)
        ++g_odeBlocks;
    return std::realloc(block, size);
}

void countedOdeFree(void* block, dsizeint)
{
    if (block)
        --g_odeBlocks;
    std::free(block);
}

class OdeBlockCount {
public:
    OdeBlockCount()
    {
        g_odeBlocks = 0;
        dSetAllocHandler(countedOdeAlloc);
        dSetReallocHandler(countedOdeRealloc);
        dSetFreeHandler(countedOdeFree);
    }
    ~OdeBlockCount()
    {
        dSetAllocHandler(nullptr);
        dSetReallocHandler(nullptr);
        dSetFreeHandler(nullptr);
    }
    long live() const { return g_odeBlocks; }
};

LoggingObject* addLogged(Scene* scene, std::vector<std::string>* log, const std::string& tag)
{
    auto* object = new LoggingObject(scene, log, tag);
    scene->m_objects.push_back(object);
    scene->m_root->addChild(object);
    return object;
}

// A ball with its body and sphere geom in the scene's top space, above a
// ground plane.
struct Ball {
    MeshObject* object;
    dGeomID geom;
};

Ball dropBall(Scene* scene, float height)
{
    if (scene->m_spaces.empty())
        scene->addSpace(1, "top", SpaceRecord::NoParent);
    dSpaceID space = scene->m_spaces.front().space;
    dCreatePlane(space, 0, 1, 0, 0);
    MeshObject* ball = scene->addNullObject("ball", scene->m_root);
    ball->m_motion[PositionY].m_value = height;
    dMassSetSphereTotal(&ball->m_mass, 1.0, 0.5);
    ball->createBody();
    dGeomID geom = dCreateSphere(space, 0.5);
    dGeomSetBody(geom, ball->m_body);
    return {ball, geom};
}

struct StepContext {
    Scene* scene;
    int contacts;
};

void collide(void* data, dGeomID a, dGeomID b)
{
    auto* context = static_cast<StepContext*>(data);
    dContact contact[4] = {};
    const int n = dCollide(a, b, 4, &contact[0].geom, sizeof(dContact));
    for (int i = 0; i < n; ++i) {
        contact[i].surface.mode = dContactApprox1;
        contact[i].surface.mu = dInfinity;
        dJointID joint = dJointCreateContact(context->scene->m_world, context->scene->m_contactGroup, &contact[i]);
        dJointAttach(joint, dGeomGetBody(a), dGeomGetBody(b));
    }
    context->contacts += n;
}

// What the game does each physics step.
int step(Scene* scene, int steps)
{
    StepContext context = {scene, 0};
    for (int i = 0; i < steps; ++i) {
        dSpaceCollide(scene->m_spaces.front().space, &context, collide);
        dWorldQuickStep(scene->m_world, 0.01);
        dJointGroupEmpty(scene->m_contactGroup);
    }
    return context.contacts;
}

} // namespace

TEST(SceneTest, NewSceneHoldsOnlyItsRootAndDefaultValues)
{
    SceneManager manager(nullptr, "game");
    Scene* scene = manager.loadScene("menu");
    EXPECT_EQ(scene->m_name, "menu");
    EXPECT_EQ(scene->asScene(), scene);
    ASSERT_EQ(scene->objectCount(), 1);
    EXPECT_EQ(scene->objectAt(0), scene->m_root);
    EXPECT_EQ(scene->objectAt(1), nullptr);
    EXPECT_EQ(scene->m_root->m_name, "root");
    EXPECT_EQ(scene->m_currentCamera, nullptr);
    EXPECT_TRUE(scene->m_cameras.empty());
    float ambient[4];
    scene->ambientColor(0.0, ambient);
    EXPECT_EQ(ambient[0], 1.0f);
    EXPECT_EQ(ambient[2], 1.0f);
    EXPECT_EQ(ambient[3], 1.0f);
    EXPECT_EQ(scene->m_ambientIntensity.m_value, 0.25f);
    EXPECT_EQ(scene->m_framesPerSecond, 30.0);
    dVector3 gravity;
    dWorldGetGravity(scene->m_world, gravity);
    EXPECT_NEAR(gravity[1], -9.81, 1e-6);
    EXPECT_EQ(gravity[0], 0.0);
    EXPECT_EQ(dWorldGetQuickStepNumIterations(scene->m_world), 5);
    EXPECT_EQ(dWorldGetAutoDisableFlag(scene->m_world), 0);
}

TEST(SceneTest, InstancesAreCountedByNameAndMeshId)
{
    resetReportSwitch();
    reportToText = 1;
    reportLevel = 3;
    SceneManager manager(nullptr, "game");
    Scene* scene = manager.loadScene("track");
    MeshObject* first = scene->addNullObject("cone", scene->m_root);
    MeshObject* second = scene->addNullObject("cone", scene->m_root);
    MeshObject* other = scene->addNullObject("barrel", first);

    EXPECT_EQ(scene->findObjectInstance("cone", -1, 1), first);
    EXPECT_EQ(scene->findObjectInstance("cone", -1, 2), second);
    EXPECT_EQ(scene->findObjectInstance("barrel", -1, 1), other);
    EXPECT_EQ(scene->findObjectInstance("cone", 3, 1), nullptr);
    EXPECT_EQ(scene->countInstances("cone", -1), 2);
    EXPECT_EQ(scene->countInstances("cone", 0), 0);
    EXPECT_STREQ(lastErrorText.c_str(), "");
    EXPECT_EQ(scene->findObjectInstance("cone", -1, 0), nullptr);
    EXPECT_STREQ(lastErrorText.c_str(), "object instance out of range");
    resetReportSwitch();
}

TEST(SceneTest, TwoScenesAliveAndOneDestroyedTheOtherStillCollidesAndSteps)
{
    SceneManager manager(nullptr, "game");
    Scene* menu = manager.loadScene("kart preview");
    auto* other = new Scene(&manager);
    Ball kept = dropBall(menu, 2.0f);
    dropBall(other, 2.0f);
    // Both balls fall 1.5 m onto their planes within the first second.
    EXPECT_GT(step(other, 100), 0);
    EXPECT_GT(step(menu, 100), 0);

    delete other; // the other scene goes while this one keeps running

    const int contacts = step(menu, 300);
    EXPECT_GT(contacts, 0);
    const dReal* at = dBodyGetPosition(kept.object->m_body);
    EXPECT_NEAR(at[1], 0.5, 0.05); // resting on the plane

    // The item follows its body.
    kept.object->invalidateMatrices();
    EXPECT_NEAR(kept.object->getMatrix(0.0).at(3, 1), at[1], 1e-5);
}

TEST(SceneTest, BodyDrivenItemIgnoresItsParent)
{
    SceneManager manager(nullptr, "game");
    Scene* scene = manager.loadScene("physics");
    MeshObject* carrier = scene->addNullObject("carrier", scene->m_root);
    carrier->m_motion[PositionX].m_value = 100.0f;
    MeshObject* item = scene->addNullObject("item", carrier);
    item->m_motion[PositionY].m_value = 3.0f;
    dMassSetBoxTotal(&item->m_mass, 1.0, 1, 1, 1);
    item->createBody();
    // The body starts where the item was in the world: under its parent.
    const dReal* at = dBodyGetPosition(item->m_body);
    EXPECT_NEAR(at[0], 100.0, 1e-6);
    EXPECT_NEAR(at[1], 3.0, 1e-6);

    dBodySetPosition(item->m_body, 1, 2, 3);
    carrier->m_motion[PositionX].m_value = -50.0f;
    SceneObject::invalidateTree(scene->m_root);
    const Matrix4 world = item->getMatrix(0.0);
    EXPECT_FLOAT_EQ(world.at(3, 0), 1.0f);
    EXPECT_FLOAT_EQ(world.at(3, 1), 2.0f);
    EXPECT_FLOAT_EQ(world.at(3, 2), 3.0f);

    // A mass ODE would reject leaves the item without a body.
    resetReportSwitch();
    MeshObject* bad = scene->addNullObject("bad", scene->m_root);
    dMassSetZero(&bad->m_mass);
    bad->createBody();
    EXPECT_EQ(bad->m_body, nullptr);
}

TEST(SceneTest, DeviceLossAndResetAreForwardedInOrder)
{
    std::vector<std::string> log;
    SceneManager manager(nullptr, "game");
    Scene* first = manager.loadScene("first");
    Scene* second = manager.loadScene("second");
    LoggingObject* a = addLogged(first, &log, "a");
    auto* camera = new LoggingCamera(first, &log, "camera");
    first->m_cameras.push_back(camera);
    first->m_root->addChild(camera);
    addLogged(first, &log, "b");
    addLogged(second, &log, "c");
    a->m_wireframe = 1;

    manager.onLostDevice();
    manager.onResetDevice();
    const std::vector<std::string> expected = {"lost a",  "lost b",  "lost camera",  "lost c",
                                               "reset a", "reset b", "reset camera", "reset c"};
    EXPECT_EQ(log, expected);
}

TEST(SceneTest, PreparingInitialisesEveryObjectOfEveryScene)
{
    std::vector<std::string> log;
    SceneManager manager(nullptr, "game");
    Scene* first = manager.loadScene("first");
    addLogged(first, &log, "a");
    LoggingObject* joint = addLogged(first, &log, "joint");
    joint->m_itemType = ItemOdeJoint;
    addLogged(first, &log, "b");
    manager.loadScene("second"); // prepares the first scene again
    // Joints last, then every matrix of the tree invalidated.
    const std::vector<std::string> expected = {"init a",       "init b",           "init joint",
                                               "invalidate a", "invalidate joint", "invalidate b"};
    EXPECT_EQ(log, expected);

    const float starts[3] = {0.72f, 0.81333333f, 0.90666667f};
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(SceneManager::sceneProgressStart(i, 3), starts[i], 1e-6f);
    EXPECT_NEAR(SceneManager::sceneProgressSpan(3), 0.0933333f, 1e-6f);
}

TEST(SceneTest, DestroyingASceneRemovesTreesDetachedObjectsAndCameras)
{
    int destroyed = 0;
    {
        SceneManager manager(nullptr, "game");
        Scene* scene = manager.loadScene("level");
        CountedObject* top = addCounted(scene, &destroyed, scene->m_root);
        addCounted(scene, &destroyed, top);
        // Made outside the tree, as collision objects are, with a child of its own.
        CountedObject* loose = addCounted(scene, &destroyed, nullptr);
        addCounted(scene, &destroyed, loose);
        Camera* camera = addCountedCamera(scene, &destroyed);
        scene->m_currentCamera = camera;
        top->addChild(camera);
        // A free camera riding a body, with an object hung under it.
        Camera* chase = addCountedCamera(scene, &destroyed);
        dMassSetSphereTotal(&chase->m_mass, 1.0, 0.5);
        chase->createBody();
        ASSERT_NE(chase->m_body, nullptr);
        addCounted(scene, &destroyed, chase);
        scene->addSpace(0, "top", SpaceRecord::NoParent);
        EXPECT_EQ(scene->addSpace(1, "inner", 0), 1);
        EXPECT_EQ(scene->addSpace(1, "orphan", 7), -1);
        EXPECT_EQ(scene->addSpace(2, "unknown", 0), -1);
        EXPECT_EQ(scene->getSpace(1).parentIndex, 0u);
        EXPECT_EQ(dGeomGetData(reinterpret_cast<dGeomID>(scene->getSpace(1).space)), reinterpret_cast<void*>(1));
        EXPECT_EQ(scene->getSpace(5).space, nullptr);

        // Removing one camera through the tree unlinks it everywhere.
        camera->remove();
        EXPECT_EQ(destroyed, 1);
        EXPECT_EQ(scene->m_currentCamera, nullptr);
        EXPECT_EQ(scene->m_cameras.size(), 1u);
        EXPECT_TRUE(top->m_children.size() == 1);
    }
    // Five objects, in and out of the tree and under a camera, and both cameras.
    EXPECT_EQ(destroyed, 7);
}

TEST(SceneTest, TreeInvalidationVisitsChildrenBeforeTheirParent)
{
    std::vector<std::string> log;
    SceneManager manager(nullptr, "game");
    Scene* scene = manager.loadScene("level");
    LoggingObject* a = addLogged(scene, &log, "a");
    LoggingObject* b = addLogged(scene, &log, "b");
    auto* c = new LoggingObject(scene, &log, "c");
    scene->m_objects.push_back(c);
    a->addChild(c);
    auto* d = new LoggingObject(scene, &log, "d");
    scene->m_objects.push_back(d);
    c->addChild(d);
    a->getMatrix(0.0);
    d->getMatrix(0.0);

    SceneObject::invalidateTree(a);
    const std::vector<std::string> expected = {"invalidate d", "invalidate c", "invalidate a"};
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(a->m_matrixValid);
    EXPECT_FALSE(d->m_matrixValid);
    (void)b;
}

TEST(SceneTest, ASceneWhoseRootWasRemovedStillPreparesAndIsDestroyed)
{
    int destroyed = 0;
    {
        SceneManager manager(nullptr, "game");
        Scene* scene = manager.loadScene("emptied");
        addCounted(scene, &destroyed, scene->m_root);
        CountedObject* loose = addCounted(scene, &destroyed, nullptr);
        SceneObject::removeTree(scene->m_root);
        EXPECT_EQ(destroyed, 1);
        EXPECT_EQ(scene->m_root, nullptr);
        ASSERT_EQ(scene->objectCount(), 1);
        EXPECT_EQ(scene->objectAt(0), loose);

        manager.loadScene("next"); // prepares the emptied scene again
        EXPECT_EQ(destroyed, 1);
    }
    EXPECT_EQ(destroyed, 2); // the loose object went with the manager
}

TEST(SceneTest, EveryTopLevelSpaceIsFreedWithTheScene)
{
    const struct {
        const char* name;
        uint32_t type;
        uint32_t parent;
        int32_t index;
    } spaces[] = {
        {"top", 1, SpaceRecord::NoParent, 0},
        {"inner", 0, 0, 1},
        {"second top", 0, SpaceRecord::NoParent, 2},
        {"inside the second", 1, 2, 3},
    };
    SceneManager manager(nullptr, "game");
    auto build = [&](Scene* scene) {
        for (const auto& space : spaces) {
            ASSERT_EQ(scene->addSpace(space.type, space.name, space.parent), space.index) << space.name;
            dCreateSphere(scene->getSpace(uint32_t(space.index)).space, 1.0);
        }
        EXPECT_EQ(dSpaceGetNumGeoms(scene->getSpace(2).space), 2);
        // A top-level space the game later puts inside another one goes with
        // that one, and only once (ASan catches the second time).
        const int32_t moved = scene->addSpace(0, "moved", SpaceRecord::NoParent);
        dSpaceAdd(scene->getSpace(0).space, reinterpret_cast<dGeomID>(scene->getSpace(uint32_t(moved)).space));
    };
    // The first scene sets up what ODE keeps for the process (its runtime,
    // the collider tables), and ODE keeps the placement of the last geom
    // freed for the next one: both are in place before the count starts.
    build(manager.loadScene("first"));
    dGeomDestroy(dCreateSphere(nullptr, 1.0));
    const OdeBlockCount blocks;
    auto* scene = new Scene(&manager);
    const long empty = blocks.live();
    build(scene);
    EXPECT_GT(blocks.live(), empty);

    delete scene;
    EXPECT_EQ(blocks.live(), 0) << "ODE blocks left over from the scene";
}

TEST(SceneTest, LightItemsLeaveTheLightListWithTheirTree)
{
    SceneManager manager(nullptr, "game");
    Scene* scene = manager.loadScene("lit");
    auto addLight = [&](SceneObject* parent) {
        auto* light = new SceneItem(scene, ItemLight);
        scene->m_lights.push_back(light);
        parent->addChild(light);
        return light;
    };
    SceneItem* lamp = addLight(scene->m_root);
    scene->addNullObject("shade", lamp);
    SceneItem* sun = addLight(scene->m_root);
    ASSERT_EQ(scene->m_lights.size(), 2u);

    SceneObject::removeTree(lamp);
    ASSERT_EQ(scene->m_lights.size(), 1u);
    EXPECT_EQ(scene->m_lights.front(), sun);
    EXPECT_EQ(scene->objectCount(), 1);
    EXPECT_EQ(scene->m_root->m_children.size(), 1u);
    // The sun goes with the scene, through the tree and the light list at once.
}
