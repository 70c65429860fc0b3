#include "engine/core/base/Report.h"
#include "engine/scene/OdeJointItem.h"
#include "engine/scene/Scene.h"
#include "support/RecordedReports.h"

#include <gtest/gtest.h>

#include <ode/ode.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

constexpr float degrees = 0.017453292519943295f;

double distance(const dReal* a, const dReal* b)
{
    const double dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

double length(const dReal* v)
{
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

struct JointScene {
    JointScene() : scene(nullptr) {}

    MeshObject* body(float x, float y, float z, double mass = 1.0)
    {
        MeshObject* object = scene.addNullObject("body", scene.m_root);
        object->m_motion[PositionX].m_value = x;
        object->m_motion[PositionY].m_value = y;
        object->m_motion[PositionZ].m_value = z;
        dMassSetSphereTotal(&object->m_mass, mass, 0.2);
        object->createBody();
        return object;
    }
    OdeJointItem* joint(uint32_t type, SceneObject* first, SceneObject* second, float x = 0, float y = 0, float z = 0)
    {
        auto* item = new OdeJointItem(&scene);
        item->m_jointType = type;
        item->m_object1 = first;
        item->m_object2 = second;
        item->m_motion[PositionX].m_value = x;
        item->m_motion[PositionY].m_value = y;
        item->m_motion[PositionZ].m_value = z;
        scene.m_objects.push_back(item);
        scene.m_root->addChild(item);
        return item;
    }
    // Steps the world, letting every joint item apply its spring first.
    void step(int steps, const std::function<void()>& each = {})
    {
        for (int i = 0; i < steps; ++i) {
            for (MeshObject* object : scene.m_objects)
                if (object->m_itemType == ItemOdeJoint)
                    object->evaluateMotion(i * 0.01);
            dWorldQuickStep(scene.m_world, 0.01);
            if (each)
                each();
        }
    }

    RecordedReports reports;
    Scene scene;
};

} // namespace

TEST(OdeJointItemTest, JointsHoldTheirBodiesAsTheirKindPrescribes)
{
    struct Case {
        const char* name;
        std::function<void(JointScene&, MeshObject*&, MeshObject*&, OdeJointItem*&)> build;
        int steps;
        std::function<void(JointScene&, MeshObject*, MeshObject*, OdeJointItem*)> check;
        int jointType;
        const char* report;
    };
    const Case cases[] = {
        {"hinge about the item's X axis: a pendulum in the YZ plane",
         [](JointScene& s, MeshObject*& a, MeshObject*&, OdeJointItem*& j) {
             a = s.body(0, 0, 1);
             dBodySetLinearVel(a->m_body, 0.5, 0, 0);
             j = s.joint(JointHinge, a, nullptr);
         },
         300,
         [](JointScene&, MeshObject* a, MeshObject*, OdeJointItem*) {
             const dReal* p = dBodyGetPosition(a->m_body);
             EXPECT_NEAR(p[0], 0.0, 1e-3);
             EXPECT_NEAR(length(p), 1.0, 1e-2);
             EXPECT_LT(p[1], -0.1);
         },
         dJointTypeHinge, ""},
        {"hinge turned with its item: a pendulum in the XY plane",
         [](JointScene& s, MeshObject*& a, MeshObject*&, OdeJointItem*& j) {
             a = s.body(1, 0, 0);
             dBodySetLinearVel(a->m_body, 0, 0, 0.5);
             j = s.joint(JointHinge, a, nullptr);
             j->m_motion[RotationH].m_value = 90 * degrees;
         },
         300,
         [](JointScene&, MeshObject* a, MeshObject*, OdeJointItem*) {
             const dReal* p = dBodyGetPosition(a->m_body);
             EXPECT_NEAR(p[2], 0.0, 1e-3);
             EXPECT_NEAR(length(p), 1.0, 1e-2);
             EXPECT_LT(p[1], -0.1);
         },
         dJointTypeHinge, ""},
        {"ball: a pendulum at a fixed distance",
         [](JointScene& s, MeshObject*& a, MeshObject*&, OdeJointItem*& j) {
             a = s.body(1, 0, 0);
             dBodySetLinearVel(a->m_body, 0, 0.3, 0.7);
             j = s.joint(JointBall, nullptr, a);
         },
         300,
         [](JointScene&, MeshObject* a, MeshObject*, OdeJointItem*) {
             const dReal* p = dBodyGetPosition(a->m_body);
             EXPECT_NEAR(length(p), 1.0, 1e-2);
             EXPECT_GT(std::fabs(p[2]), 0.05);
         },
         dJointTypeBall, ""},
        {"hinge-2 on two bodies keeps its anchors together",
         [](JointScene& s, MeshObject*& a, MeshObject*& b, OdeJointItem*& j) {
             a = s.body(0, 0, 0, 5.0);
             b = s.body(1, 0, 0);
             dBodySetLinearVel(b->m_body, 0, 1, 1);
             dBodySetAngularVel(b->m_body, 2, 1, 0);
             j = s.joint(JointHinge2, a, b, 1, 0, 0);
         },
         200,
         [](JointScene&, MeshObject*, MeshObject*, OdeJointItem* j) {
             dVector3 anchor1, anchor2;
             dJointGetHinge2Anchor(j->m_joint, anchor1);
             dJointGetHinge2Anchor2(j->m_joint, anchor2);
             EXPECT_LT(distance(anchor1, anchor2), 1e-2);
         },
         dJointTypeHinge2, ""},
        {"universal on two bodies keeps its anchors together",
         [](JointScene& s, MeshObject*& a, MeshObject*& b, OdeJointItem*& j) {
             a = s.body(0, 0, 0);
             b = s.body(0, -1, 0);
             dBodySetLinearVel(b->m_body, 1, 0, 0.5);
             j = s.joint(JointUniversal, a, b, 0, -0.5f, 0);
         },
         200,
         [](JointScene&, MeshObject*, MeshObject*, OdeJointItem* j) {
             dVector3 anchor1, anchor2;
             dJointGetUniversalAnchor(j->m_joint, anchor1);
             dJointGetUniversalAnchor2(j->m_joint, anchor2);
             EXPECT_LT(distance(anchor1, anchor2), 1e-2);
         },
         dJointTypeUniversal, "untested"},
        {"fixed: the second body moves with the first",
         [](JointScene& s, MeshObject*& a, MeshObject*& b, OdeJointItem*& j) {
             a = s.body(0, 0, 0);
             b = s.body(2, 0, 0);
             j = s.joint(JointFixed, a, b);
             dBodySetLinearVel(a->m_body, 0, 0, 1);
         },
         200,
         [](JointScene&, MeshObject* a, MeshObject* b, OdeJointItem*) {
             EXPECT_NEAR(distance(dBodyGetPosition(a->m_body), dBodyGetPosition(b->m_body)), 2.0, 1e-2);
             // One rigid piece: the shared centre carries half the push, and
             // both turn alike.
             EXPECT_NEAR((dBodyGetPosition(a->m_body)[2] + dBodyGetPosition(b->m_body)[2]) / 2, 1.0, 1e-2);
             const dReal* qa = dBodyGetQuaternion(a->m_body);
             const dReal* qb = dBodyGetQuaternion(b->m_body);
             for (int i = 0; i < 4; ++i)
                 EXPECT_NEAR(qa[i], qb[i], 1e-2);
             EXPECT_GT(std::fabs(qa[2]), 0.1);
         },
         dJointTypeFixed, ""},
        {"angular motor without axes leaves its bodies free",
         [](JointScene& s, MeshObject*& a, MeshObject*& b, OdeJointItem*& j) {
             a = s.body(0, 0, 0);
             b = s.body(2, 0, 0);
             dBodySetAngularVel(b->m_body, 0, 3, 0);
             j = s.joint(JointAngularMotor, a, b);
         },
         100,
         [](JointScene&, MeshObject* a, MeshObject* b, OdeJointItem* j) {
             EXPECT_EQ(dJointGetAMotorNumAxes(j->m_joint), 0);
             EXPECT_NEAR(dBodyGetAngularVel(b->m_body)[1], 3.0, 1e-9);
             EXPECT_EQ(length(dBodyGetAngularVel(a->m_body)), 0.0);
         },
         dJointTypeAMotor, "implementation not finished"},
        {"slider without spring or damper slides freely along the item's X axis",
         [](JointScene& s, MeshObject*& a, MeshObject*&, OdeJointItem*& j) {
             a = s.body(0, 0, 0);
             dBodySetLinearVel(a->m_body, 1, 0.5, 0);
             j = s.joint(JointSlider, a, nullptr);
         },
         100,
         [](JointScene&, MeshObject* a, MeshObject*, OdeJointItem* j) {
             const dReal* p = dBodyGetPosition(a->m_body);
             EXPECT_NEAR(p[0], 1.0, 0.02);
             EXPECT_NEAR(p[1], 0.0, 1e-3);
             EXPECT_NEAR(std::fabs(dJointGetSliderPosition(j->m_joint)), 1.0, 0.02);
         },
         dJointTypeSlider, ""},
        {"slider with spring and damper comes back to rest",
         [](JointScene& s, MeshObject*& a, MeshObject*& b, OdeJointItem*& j) {
             a = s.body(0, 0, 0);
             b = s.body(0.5f, 0, 0);
             j = s.joint(JointSlider, a, b, 0.25f, 0, 0);
             j->m_springForce = 40.0f;
             j->m_damperForce = 20.0f;
             dBodySetLinearVel(b->m_body, 2, 0, 0);
         },
         600,
         [](JointScene&, MeshObject* a, MeshObject* b, OdeJointItem* j) {
             dVector3 w1, w2;
             dBodyGetRelPointPos(a->m_body, j->m_anchor1[0], j->m_anchor1[1], j->m_anchor1[2], w1);
             dBodyGetRelPointPos(b->m_body, j->m_anchor2[0], j->m_anchor2[1], j->m_anchor2[2], w2);
             EXPECT_LT(distance(w1, w2), 0.02);
             EXPECT_LT(std::fabs(dJointGetSliderPositionRate(j->m_joint)), 0.02);
             EXPECT_NEAR(distance(dBodyGetPosition(a->m_body), dBodyGetPosition(b->m_body)), 0.5, 0.02);
         },
         dJointTypeSlider, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JointScene s;
        if (std::string(c.name).find("pendulum") == std::string::npos)
            dWorldSetGravity(s.scene.m_world, 0, 0, 0);
        MeshObject* a = nullptr;
        MeshObject* b = nullptr;
        OdeJointItem* j = nullptr;
        c.build(s, a, b, j);
        s.scene.prepare(nullptr, 0.0f, 1.0f);
        ASSERT_NE(j->m_joint, nullptr);
        EXPECT_EQ(dJointGetType(j->m_joint), c.jointType);
        EXPECT_EQ(dJointGetData(j->m_joint), j);
        EXPECT_EQ(s.reports.last(), c.report);
        s.step(c.steps);
        c.check(s, a, b, j);
    }
}

TEST(OdeJointItemTest, SpringWithoutDamperKeepsSwinging)
{
    JointScene s;
    dWorldSetGravity(s.scene.m_world, 0, 0, 0);
    MeshObject* a = s.body(0, 0, 0);
    MeshObject* b = s.body(0.5f, 0, 0);
    OdeJointItem* j = s.joint(JointSlider, a, b);
    j->m_springForce = 40.0f;
    j->createJoint();
    dBodySetLinearVel(b->m_body, 2, 0, 0);
    double widest = 0.0;
    s.step(600, [&] { widest = std::max(widest, std::fabs(dJointGetSliderPosition(j->m_joint))); });
    double late = 0.0;
    s.step(100, [&] { late = std::max(late, std::fabs(dJointGetSliderPosition(j->m_joint))); });
    EXPECT_GT(widest, 0.1);
    EXPECT_GT(late, 0.5 * widest);
}

TEST(OdeJointItemTest, JointsODECannotMakeAreRefusedWithAReport)
{
    struct Case {
        const char* name;
        uint32_t type;
        bool first, second, same;
        const char* report;
    };
    const Case cases[] = {
        {"hinge-2 on one body", JointHinge2, true, false, false, "joint needs two bodies: no joint made"},
        {"hinge-2 on the other body", JointHinge2, false, true, false, "joint needs two bodies: no joint made"},
        {"fixed on one body", JointFixed, true, false, false, "joint needs two bodies: no joint made"},
        {"universal on one body", JointUniversal, false, true, false, "joint needs two bodies: no joint made"},
        {"motor on one body", JointAngularMotor, true, false, false, "joint needs two bodies: no joint made"},
        {"hinge on no body", JointHinge, false, false, false, "joint between two missing bodies: no joint made"},
        {"ball from a body to itself", JointBall, true, true, true, "joint joins a body to itself: no joint made"},
        {"no type", JointNone, true, true, false, ""},
        {"contact", 4, true, true, false, ""},
        {"null", 8, true, true, false, ""},
        {"beyond the list", 12, true, true, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JointScene s;
        MeshObject* a = s.body(0, 0, 0);
        MeshObject* b = c.same ? a : s.body(1, 0, 0);
        OdeJointItem* j = s.joint(c.type, c.first ? a : nullptr, c.second ? b : nullptr);
        lastErrorText.assignCString("nothing reported");
        j->createJoint();
        EXPECT_EQ(j->m_joint, nullptr);
        EXPECT_EQ(s.reports.last(), c.report);
        EXPECT_EQ(dBodyGetNumJoints(a->m_body), 0);
        // Stepping the world with the item in it is harmless.
        s.step(2);
    }

    // An object whose mass ODE refuses has no body to join.
    JointScene s;
    MeshObject* a = s.body(0, 0, 0);
    MeshObject* broken = s.scene.addNullObject("broken", s.scene.m_root);
    broken->createBody();
    EXPECT_EQ(broken->m_body, nullptr);
    EXPECT_EQ(s.reports.last(), "invalid mass: no rigid body made");
    OdeJointItem* j = s.joint(JointHinge2, a, broken);
    j->createJoint();
    EXPECT_EQ(j->m_joint, nullptr);
    EXPECT_EQ(s.reports.last(), "joint needs two bodies: no joint made");
}

TEST(OdeJointItemTest, MakingAJointAgainReplacesItAndDestroyingLeavesNone)
{
    JointScene s;
    MeshObject* a = s.body(0, 0, 0);
    MeshObject* b = s.body(1, 0, 0);
    OdeJointItem* j = s.joint(JointBall, a, b, 0.5f, 0, 0);
    j->createJoint();
    j->createJoint();
    j->createBody();
    EXPECT_EQ(dBodyGetNumJoints(a->m_body), 1);
    EXPECT_EQ(dBodyGetNumJoints(b->m_body), 1);
    dVector3 anchor;
    dJointGetBallAnchor(j->m_joint, anchor);
    EXPECT_NEAR(anchor[0], 0.5, 1e-6);

    // A copy joins the same objects only once it is initialised.
    OdeJointItem* twin = static_cast<OdeJointItem*>(j->clone());
    s.scene.m_objects.push_back(twin);
    s.scene.m_root->addChild(twin);
    EXPECT_EQ(twin->m_joint, nullptr);
    EXPECT_EQ(twin->m_object2, b);
    twin->initialize();
    EXPECT_EQ(dBodyGetNumJoints(b->m_body), 2);
    EXPECT_EQ(dJointGetBody(twin->m_joint, 0), a->m_body);
    EXPECT_EQ(dJointGetBody(twin->m_joint, 1), b->m_body);

    // A joined object removed while the slider lives on: ODE lets go of the
    // joint on both sides, and the spring reads nothing of the stale objects.
    twin->m_jointType = JointSlider;
    twin->m_springForce = 10.0f;
    twin->createJoint();
    b->remove();
    EXPECT_EQ(dJointGetBody(twin->m_joint, 0), nullptr);
    EXPECT_EQ(dJointGetBody(twin->m_joint, 1), nullptr);
    EXPECT_EQ(dBodyGetNumJoints(a->m_body), 0);
    twin->evaluateMotion(0.0);

    j->destroyBody();
    EXPECT_EQ(j->m_joint, nullptr);
    // Evaluating an item without a joint touches nothing.
    j->m_jointType = JointSlider;
    j->m_springForce = 10.0f;
    j->evaluateMotion(0.0);
    const dReal* force = dBodyGetForce(a->m_body);
    EXPECT_EQ(length(force), 0.0);
}
