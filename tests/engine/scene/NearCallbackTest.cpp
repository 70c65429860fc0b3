#include "engine/core/base/Report.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/NearCallback.h"
#include "engine/scene/Scene.h"
#include "support/RecordedReports.h"
#include "tools/lib/TriangleWriter.h"

#include <gtest/gtest.h>

#include <ode/ode.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// Counts what it is asked and notes which objects each contact joined, in
// the order ODE delivered them.
class CountingHandler : public ContactHandler {
public:
    ContactHandler onContact(const dContactGeom& contact) override
    {
        ++m_calls;
        auto* first = static_cast<CollisionObject*>(dGeomGetData(contact.g1));
        auto* second = static_cast<CollisionObject*>(dGeomGetData(contact.g2));
        m_pairs.insert({first->m_name, second->m_name});
        const std::string& x = first->m_name;
        const std::string& y = second->m_name;
        ++m_counts[x < y ? std::make_pair(x, y) : std::make_pair(y, x)];
        m_nearest = std::min(m_nearest, double(contact.depth));
        ContactHandler answer = ContactHandler::onContact(contact);
        answer.m_createContact = m_answerCreate;
        return answer;
    }
    int32_t maxCollisions() const override { return m_wanted; }

    int m_calls = 0;
    int32_t m_wanted = 16;
    bool m_answerCreate = true;
    double m_nearest = 1e30;
    std::set<std::pair<std::string, std::string>> m_pairs;
    // Contact points by unordered pair of names.
    std::map<std::pair<std::string, std::string>, int> m_counts;
};

class SwitchFilter : public CollideFilter {
public:
    CollideFilter test(dGeomID, dGeomID) override
    {
        ++m_calls;
        return CollideFilter(m_answer);
    }
    bool m_answer = true;
    int m_calls = 0;
};

struct PhysicsScene {
    PhysicsScene() : scene(nullptr) { scene.addSpace(1, "top", SpaceRecord::NoParent); }

    CollisionObject* add(uint32_t shape, uint32_t surfaceClass, uint32_t space, float x, float y, float z,
                         const std::string& name, float size = 1.0f, BoundingBox* mesh = nullptr)
    {
        auto* object = new CollisionObject(&scene);
        object->m_shapeType = shape;
        object->m_surfaceClass = surfaceClass;
        object->m_spaceIndex = space;
        for (int i = 0; i < 3; ++i)
            object->m_motion[ScaleX + i].m_value = size;
        object->m_motion[PositionX].m_value = x;
        object->m_motion[PositionY].m_value = y;
        object->m_motion[PositionZ].m_value = z;
        object->setName(name);
        if (mesh)
            object->addLod(mesh, 0.0f);
        scene.m_objects.push_back(object);
        object->initialize();
        return object;
    }
    CollisionObject* addBody(uint32_t shape, uint32_t surfaceClass, float x, float y, float z, const std::string& name,
                             float size = 1.0f)
    {
        CollisionObject* object = add(shape, surfaceClass, 0, x, y, z, name, size);
        if (shape == ShapeSphere)
            dMassSetSphereTotal(&object->m_mass, 1.0, size);
        else
            dMassSetBoxTotal(&object->m_mass, 1.0, size, size, size);
        object->createBody();
        return object;
    }
    void enableAll()
    {
        for (auto& row : scene.m_collideFilterTable.m_filters)
            for (CollideFilter*& entry : row)
                entry = &enabled;
    }
    void handleAll(ContactHandler* handler)
    {
        for (auto& row : scene.m_contactTable.m_handlers)
            for (ContactHandler*& entry : row)
                entry = handler;
    }
    // One physics step as the game runs it.
    void step(int steps)
    {
        for (int i = 0; i < steps; ++i) {
            dSpaceCollide(scene.getSpace(0).space, &scene, nearCallback);
            dWorldQuickStep(scene.m_world, 0.01);
            dJointGroupEmpty(scene.m_contactGroup);
        }
    }
    int collideOnce()
    {
        dSpaceCollide(scene.getSpace(0).space, &scene, nearCallback);
        int joints = 0;
        for (MeshObject* object : scene.m_objects)
            if (object->m_body)
                joints += dBodyGetNumJoints(object->m_body);
        dJointGroupEmpty(scene.m_contactGroup);
        return joints;
    }

    RecordedReports reports;
    CollideFilter enabled{true};
    Scene scene;
};

} // namespace

TEST(NearCallbackTest, DefaultsAreHarmlessAndBuiltFromOdesNames)
{
    const ContactHandler handler;
    EXPECT_EQ(handler.maxCollisions(), 16);
    EXPECT_EQ(handler.m_surface.mode, dContactApprox1 | dContactSoftERP | dContactSoftCFM);
    EXPECT_EQ(handler.m_surface.mu, 1.0);
    EXPECT_EQ(handler.m_surface.mu2, 1.0);
    EXPECT_EQ(handler.m_surface.bounce, 1.0);
    EXPECT_EQ(handler.m_surface.soft_erp, 0.1);
    EXPECT_EQ(handler.m_surface.soft_cfm, 0.005);
    EXPECT_TRUE(handler.m_createContact);
    EXPECT_FALSE(handler.m_skipIfBodyDisabled);
    EXPECT_EQ(handler.m_fdir1[0], 0.0);

    Scene scene(nullptr);
    for (uint32_t i = 0; i < ContactTable::Size; ++i)
        for (uint32_t j = 0; j < ContactTable::Size; ++j) {
            EXPECT_EQ(scene.m_contactTable.m_handlers[i][j], &scene.m_contactTable.m_default);
            const CollideFilterTable& filters = scene.m_collideFilterTable;
            EXPECT_EQ(filters.m_filters[i][j], i == j ? &filters.m_diagonalDefault : &filters.m_default);
        }
    EXPECT_FALSE(scene.m_collideFilterTable.m_default.m_enabled);
    EXPECT_FALSE(scene.m_collideFilterTable.m_diagonalDefault.m_enabled);
}

TEST(NearCallbackTest, NewSceneCollidesNothingAndADiagonalFilterLetsItsSpaceCollide)
{
    PhysicsScene s;
    CountingHandler handler;
    s.handleAll(&handler);
    s.addBody(ShapeSphere, 0, 0, 0, 0, "a", 0.5f);
    s.addBody(ShapeSphere, 0, 0.5f, 0, 0, "b", 0.5f);
    EXPECT_EQ(s.collideOnce(), 0);
    EXPECT_EQ(handler.m_calls, 0);

    // With the default handler: contact joints and no handler call.
    s.handleAll(&s.scene.m_contactTable.m_default);
    s.scene.m_collideFilterTable.m_filters[0][0] = &s.enabled;
    EXPECT_GT(s.collideOnce(), 0);
    EXPECT_EQ(handler.m_calls, 0);

    // The filter is asked, and its answer counts, not its own flag.
    SwitchFilter filter;
    filter.m_enabled = false;
    s.scene.m_collideFilterTable.m_filters[0][0] = &filter;
    EXPECT_GT(s.collideOnce(), 0);
    EXPECT_GT(filter.m_calls, 0);
    filter.m_answer = false;
    EXPECT_EQ(s.collideOnce(), 0);
}

TEST(NearCallbackTest, HandlerIsLookedUpInTheOrderOdeDeliversTheGeoms)
{
    struct Case {
        uint32_t class1, class2;
        // Where the counting handler is stored.
        uint32_t row, column;
        bool counted;
    };
    const Case cases[] = {
        {2, 7, 2, 7, true},  {2, 7, 7, 2, false}, {7, 2, 7, 2, true},
        {7, 2, 2, 7, false}, {4, 4, 4, 4, true},  {0, 49, 0, 49, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.class1) + " " + std::to_string(c.class2));
        PhysicsScene s;
        s.enableAll();
        CountingHandler handler;
        s.scene.m_contactTable.m_handlers[c.row][c.column] = &handler;
        CollisionObject* a = s.addBody(ShapeSphere, c.class1, 0, 0, 0, "a", 0.5f);
        CollisionObject* b = s.addBody(ShapeSphere, c.class2, 0.5f, 0, 0, "b", 0.5f);
        nearCallback(&s.scene, a->m_geom, b->m_geom);
        EXPECT_EQ(handler.m_calls > 0, c.counted);
        // Joints are made either way, with the stored or the default handler.
        EXPECT_EQ(dBodyGetNumJoints(a->m_body), 1);
        dJointGroupEmpty(s.scene.m_contactGroup);
    }
}

TEST(NearCallbackTest, HandlerSettingsDecideWhetherAndHowManyContactsAreMade)
{
    struct Case {
        const char* name;
        int32_t wanted;
        bool answerCreate;
        bool skipIfDisabled;
        bool disableBody;
        bool disableGeom;
        bool apart;
        int calls;  // -1: some
        int joints; // -1: as many as calls
        const char* report;
    };
    const Case cases[] = {
        {"plain", 16, true, false, false, false, false, -1, -1, ""},
        {"no contact joints", 16, false, false, false, false, false, -1, 0, ""},
        {"disabled body, skipped", 16, true, true, true, false, false, 0, 0, ""},
        {"disabled body, not skipped", 16, true, false, true, false, false, -1, -1, ""},
        {"disabled geom", 16, true, false, false, true, false, 0, 0, ""},
        {"no contact found", 16, true, false, false, false, true, 0, 0, ""},
        {"32 asked", 32, true, false, false, false, false, 32, 32, ""},
        {"40 asked", 40, true, false, false, false, false, 32, 32, "js->maxCollisions() <= 32"},
        {"none asked", 0, true, false, false, false, false, 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PhysicsScene s;
        s.enableAll();
        CountingHandler handler;
        handler.m_wanted = c.wanted;
        handler.m_answerCreate = c.answerCreate;
        handler.m_skipIfBodyDisabled = c.skipIfDisabled;
        s.handleAll(&handler);
        // A fine floor gives a box resting in it one contact per triangle
        // corner it touches: more than 32.
        std::unique_ptr<TriangleSource> floor(writeFloor(2.0f, 0.0f, 40));
        CollisionObject* ground = s.add(ShapeTriMesh, 1, 0, 0, 0, 0, "floor", 1.0f, floor.get());
        CollisionObject* box = s.addBody(ShapeBox, 2, 0, c.apart ? 3.0f : 0.4f, 0, "box", 1.0f);
        if (c.disableBody)
            dBodyDisable(box->m_body);
        if (c.disableGeom)
            dGeomDisable(box->m_geom);
        nearCallback(&s.scene, box->m_geom, ground->m_geom);
        if (c.calls < 0)
            EXPECT_GT(handler.m_calls, 0);
        else
            EXPECT_EQ(handler.m_calls, c.calls);
        EXPECT_EQ(dBodyGetNumJoints(box->m_body), c.joints < 0 ? handler.m_calls : c.joints);
        EXPECT_EQ(s.reports.last(), c.report);
        dJointGroupEmpty(s.scene.m_contactGroup);
        ground->m_lods.clear();
    }
}

TEST(NearCallbackTest, NestedSpacesPassTheFiltersOfTheirClasses)
{
    struct Case {
        const char* name;
        std::vector<std::pair<uint32_t, uint32_t>> enabled;
        std::set<std::pair<std::string, std::string>> pairs;
    };
    // Space 0 (top) holds a and d and the hash space 1, which holds b and c;
    // space 2 inside space 1 holds e. All five overlap.
    const Case cases[] = {
        {"nothing", {}, {}},
        {"top only", {{0, 0}}, {{"a", "d"}}},
        {"inner only", {{1, 1}}, {{"b", "c"}}},
        {"top with inner", {{0, 1}, {1, 0}}, {{"a", "b"}, {"a", "c"}, {"d", "b"}, {"d", "c"}}},
        // A space is collided inside only under its own diagonal filter, so
        // its child space is reached through that, or through a cross filter
        // from outside.
        {"deepest with its parent, no inner diagonal", {{1, 2}, {2, 1}}, {}},
        {"deepest with its parent", {{1, 2}, {2, 1}, {1, 1}}, {{"b", "c"}, {"b", "e"}, {"c", "e"}}},
        {"deepest with top alone", {{0, 2}, {2, 0}}, {}},
        {"deepest with top through the inner diagonal", {{0, 2}, {2, 0}, {1, 1}}, {{"b", "c"}}},
        {"deepest with top through the cross filter", {{0, 2}, {2, 0}, {0, 1}, {1, 0}},
         {{"a", "b"}, {"a", "c"}, {"d", "b"}, {"d", "c"}, {"a", "e"}, {"d", "e"}}},
        {"all", {{0, 0}, {1, 1}, {2, 2}, {0, 1}, {1, 0}, {1, 2}, {2, 1}},
         {{"a", "d"}, {"b", "c"}, {"a", "b"}, {"a", "c"}, {"d", "b"}, {"d", "c"}, {"b", "e"}, {"c", "e"}}},
    };
    // The near callback from the top space, and the collision pass, which
    // finds the same pairs and each of them once (spheres meet in one point).
    auto check = [](const Case& c, bool pass) {
        SCOPED_TRACE(std::string(c.name) + (pass ? " (collision pass)" : " (near callback)"));
        PhysicsScene s;
        ASSERT_EQ(s.scene.addSpace(1, "inner", 0), 1);
        ASSERT_EQ(s.scene.addSpace(0, "deepest", 1), 2);
        CountingHandler handler;
        s.handleAll(&handler);
        for (const auto& [i, j] : c.enabled)
            s.scene.m_collideFilterTable.m_filters[i][j] = &s.enabled;
        s.add(ShapeSphere, 0, 0, 0, 0, 0, "a");
        s.add(ShapeSphere, 0, 1, 0.1f, 0, 0, "b");
        s.add(ShapeSphere, 0, 1, 0.2f, 0, 0, "c");
        s.add(ShapeSphere, 0, 0, 0.3f, 0, 0, "d");
        s.add(ShapeSphere, 0, 2, 0.4f, 0, 0, "e");
        if (pass)
            collideSpace(&s.scene, s.scene.getSpace(0).space);
        else
            dSpaceCollide(s.scene.getSpace(0).space, &s.scene, nearCallback);
        // Pairs as unordered names.
        std::set<std::pair<std::string, std::string>> got;
        for (auto [x, y] : handler.m_pairs)
            got.insert(x < y ? std::make_pair(x, y) : std::make_pair(y, x));
        std::set<std::pair<std::string, std::string>> want;
        for (auto [x, y] : c.pairs)
            want.insert(x < y ? std::make_pair(x, y) : std::make_pair(y, x));
        EXPECT_EQ(got, want);
        if (pass)
            for (const auto& [names, count] : handler.m_counts)
                EXPECT_EQ(count, 1) << names.first << " " << names.second;
    };
    for (const Case& c : cases) {
        check(c, false);
        check(c, true);
    }
}

TEST(NearCallbackTest, BadDataIsSkippedNeverAnAbort)
{
    PhysicsScene s;
    s.enableAll();
    CountingHandler handler;
    s.handleAll(&handler);
    CollisionObject* a = s.addBody(ShapeSphere, 0, 0, 0, 0, "a", 0.5f);

    // A geom without an object is reported and skipped.
    dGeomID stray = dCreateSphere(s.scene.getSpace(0).space, 0.5);
    nearCallback(&s.scene, a->m_geom, stray);
    EXPECT_EQ(s.reports.last(), "geomData1 && geomData2");
    EXPECT_EQ(handler.m_calls, 0);
    dGeomDestroy(stray);

    // A surface class beyond the table collides with nothing.
    CollisionObject* b = s.addBody(ShapeSphere, 50, 0.2f, 0, 0, "b", 0.5f);
    nearCallback(&s.scene, a->m_geom, b->m_geom);
    EXPECT_EQ(handler.m_calls, 0);
    b->m_surfaceClass = 1;

    // A space whose class would not index the table is not collided.
    dGeomSetData(reinterpret_cast<dGeomID>(s.scene.getSpace(0).space), reinterpret_cast<void*>(intptr_t(50)));
    nearCallback(&s.scene, a->m_geom, b->m_geom);
    EXPECT_EQ(handler.m_calls, 0);
    dGeomSetData(reinterpret_cast<dGeomID>(s.scene.getSpace(0).space), reinterpret_cast<void*>(intptr_t(-1)));
    nearCallback(&s.scene, a->m_geom, b->m_geom);
    EXPECT_EQ(handler.m_calls, 0);
    dGeomSetData(reinterpret_cast<dGeomID>(s.scene.getSpace(0).space), nullptr);
    nearCallback(&s.scene, a->m_geom, b->m_geom);
    EXPECT_GT(handler.m_calls, 0);

    // Two geoms on one body never make a joint from the body to itself
    // (ODE would stop the process on one); two static geoms make none either.
    dJointGroupEmpty(s.scene.m_contactGroup);
    CollisionObject* rider = s.add(ShapeSphere, 0, 0, 0.1f, 0, 0, "rider", 0.5f);
    rider->m_attachedTo = a;
    rider->initialize();
    nearCallback(&s.scene, a->m_geom, rider->m_geom);
    EXPECT_EQ(dBodyGetNumJoints(a->m_body), 0);
    CollisionObject* post = s.add(ShapeBox, 0, 0, 3.0f, 0, 0, "post");
    CollisionObject* rail = s.add(ShapeBox, 0, 0, 3.2f, 0, 0, "rail");
    lastErrorText.assignCString("");
    const int before = handler.m_calls;
    nearCallback(&s.scene, post->m_geom, rail->m_geom);
    EXPECT_GT(handler.m_calls, before);
    EXPECT_EQ(s.reports.last(), "");
}

TEST(NearCallbackTest, BoxSettlesOnAPlaneWithoutSinking)
{
    PhysicsScene s;
    s.enableAll();
    s.add(ShapePlane, 0, 0, 0, 0, 0, "ground");
    // The plane object's Z axis is the normal: pitch it up.
    CollisionObject* ground = static_cast<CollisionObject*>(s.scene.m_objects.back());
    ground->m_motion[RotationP].m_value = -1.5707964f;
    ground->initialize();
    dVector4 plane;
    dGeomPlaneGetParams(ground->m_geom, plane);
    ASSERT_NEAR(plane[1], 1.0, 1e-6);

    CollisionObject* box = s.addBody(ShapeBox, 0, 0, 2.0f, 0, "box", 1.0f);
    s.step(300);
    const dReal* p = dBodyGetPosition(box->m_body);
    EXPECT_NEAR(p[1], 0.5, 0.01);
    const dReal* v = dBodyGetLinearVel(box->m_body);
    EXPECT_LT(std::fabs(v[1]), 0.01);
    // The object follows its body.
    box->invalidateMatrices();
    EXPECT_NEAR(box->getMatrix(3.0).at(3, 1), p[1], 1e-5);
}

TEST(NearCallbackTest, SphereRollsDownATriangleValleyAndComesToRestAtTheBottom)
{
    PhysicsScene s;
    s.enableAll();
    // Down from x = -4 (height 2) to the bottom at x = 0, and up again.
    std::vector<float> xs, ys;
    for (int i = -8; i <= 8; ++i) {
        xs.push_back(0.5f * float(i));
        ys.push_back(0.25f * float(std::abs(i)));
    }
    std::unique_ptr<TriangleSource> valley(writeProfile(xs, ys, 4.0f));
    CollisionObject* ground = s.add(ShapeTriMesh, 0, 0, 0, 0, 0, "valley", 1.0f, valley.get());
    ASSERT_NE(ground->m_geom, nullptr);

    CollisionObject* ball = s.addBody(ShapeSphere, 0, -3.5f, 2.5f, 0, "ball", 0.3f);
    // Nothing in a rigid-body world resists rolling; the game damps its
    // bodies as this does.
    dBodySetAngularDamping(ball->m_body, 0.05);
    dBodySetLinearDamping(ball->m_body, 0.05);
    s.step(50);
    const dReal* p = dBodyGetPosition(ball->m_body);
    EXPECT_GT(p[0], -3.5);
    s.step(2000);
    p = dBodyGetPosition(ball->m_body);
    EXPECT_NEAR(p[0], 0.0, 0.1);
    // Resting on the two slopes near the bottom, not through them.
    EXPECT_GT(p[1], 0.3);
    EXPECT_LT(p[1], 0.45);
    const dReal* v = dBodyGetLinearVel(ball->m_body);
    EXPECT_LT(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]), 0.02);
    ground->m_lods.clear();
}

TEST(NearCallbackTest, RayReportsItsFirstHit)
{
    PhysicsScene s;
    s.enableAll();
    CountingHandler sensor;
    sensor.m_answerCreate = false;
    s.handleAll(&sensor);
    // Two boxes under a ray that points down (its Z axis pitched down).
    s.add(ShapeBox, 0, 0, 0, 1.0f, 0, "upper");
    s.add(ShapeBox, 0, 0, 0, -2.0f, 0, "lower");
    std::unique_ptr<TriangleSource> floor(writeFloor(2.0f, -5.0f, 4));
    CollisionObject* ground = s.add(ShapeTriMesh, 0, 0, 0, 0, 0, "floor", 1.0f, floor.get());
    CollisionObject* ray = s.add(ShapeRay, 0, 0, 0.1f, 10.0f, 0.2f, "ray");
    ray->m_motion[RotationP].m_value = 1.5707964f;
    ray->invalidateMatrices();
    ray->getMatrix(0.0);
    dVector3 start, direction;
    dGeomRayGet(ray->m_geom, start, direction);
    ASSERT_NEAR(direction[1], -1.0, 1e-6);

    dSpaceCollide(s.scene.getSpace(0).space, &s.scene, nearCallback);
    // The upper box's top face at y = 1.5 is 8.5 below the start.
    EXPECT_NEAR(sensor.m_nearest, 8.5, 1e-4);
    EXPECT_TRUE(sensor.m_pairs.count({"ray", "lower"}) || sensor.m_pairs.count({"lower", "ray"}));
    EXPECT_TRUE(sensor.m_pairs.count({"ray", "floor"}) || sensor.m_pairs.count({"floor", "ray"}));

    // Moved aside, the ray first meets the floor.
    ray->m_motion[PositionX].m_value = 1.8f;
    ray->invalidateMatrices();
    ray->getMatrix(0.0);
    sensor.m_nearest = 1e30;
    dSpaceCollide(s.scene.getSpace(0).space, &s.scene, nearCallback);
    EXPECT_NEAR(sensor.m_nearest, 15.0, 1e-4);
    ground->m_lods.clear();
}
