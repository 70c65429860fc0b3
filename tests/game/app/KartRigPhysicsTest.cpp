// Each kart rig of our data set as the engine loads it, dropped onto a flat
// floor and stepped the way a race steps it: 0.01 s quick steps of five
// iterations under the race's gravity, the wheels on the road with the
// road's contact values. Standing before the start it settles within a
// second and then stands still; driven, it rolls forward and steers the way
// the wheels are turned.
#include "KartSceneRig.h"

#include "engine/scene/CollisionObject.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/NearCallback.h"
#include "engine/scene/OdeJointItem.h"
#include "game/app/TuningValues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

namespace {

constexpr double kStep = 0.01;
constexpr double kFloorTop = -0.2; // the kart starts this far above the floor

double length(const dReal* v)
{
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

// The wheel on the road as the race's road contact makes it: grip along the
// rolling direction, the kart's slip and drift across it, hard contacts.
class RoadContact : public ContactHandler {
public:
    ContactHandler onContact(const dContactGeom& contact) override
    {
        auto* a = static_cast<CollisionObject*>(dGeomGetData(contact.g1));
        auto* b = static_cast<CollisionObject*>(dGeomGetData(contact.g2));
        CollisionObject* wheel = a && a->m_surfaceClass == 6 ? a : b;
        ContactHandler answer = *this;
        answer.m_surface.mode = dContactFDir1 | dContactSoftERP | dContactSoftCFM | dContactSlip1 | dContactSlip2 |
                                dContactApprox1;
        answer.m_surface.mu = mu;
        answer.m_surface.soft_erp = wheelsERP;
        answer.m_surface.soft_cfm = wheelsCFM;
        // Across the axle, the part of the wheel's velocity.
        dVector3 v = {0, 1, 0, 0};
        if (wheel && wheel->m_body) {
            const dReal* vel = dBodyGetLinearVel(wheel->m_body);
            if (length(vel) > 0.0)
                v[0] = vel[0], v[1] = vel[1], v[2] = vel[2];
        }
        const dReal* axis = axes.count(wheel) ? axes.at(wheel) : nullptr;
        dVector3 f = {v[0], v[1], v[2], 0};
        if (axis) {
            dVector3 va, ava;
            dCalcVectorCross3(va, v, axis);
            dCalcVectorCross3(ava, axis, va);
            f[0] = ava[0], f[1] = ava[1], f[2] = ava[2];
        }
        const double s = length(f);
        answer.m_surface.slip1 = driving ? slip : 0.0;
        answer.m_surface.slip2 = driving ? std::pow(s, driftExp) * drift : 0.0;
        // ODE wants the friction direction in the contact plane: the part
        // of f along the normal goes, and where nothing is left (a wheel at
        // rest, or moving straight down onto the road) the direction the
        // wheel rolls takes its place.
        const dReal along = f[0] * contact.normal[0] + f[1] * contact.normal[1] + f[2] * contact.normal[2];
        for (int k = 0; k < 3; ++k)
            f[k] -= along * contact.normal[k];
        if (length(f) < 1e-6 && axis)
            dCalcVectorCross3(f, axis, contact.normal);
        const double l = length(f);
        for (int k = 0; k < 3; ++k)
            answer.m_fdir1[k] = l > 0.0 ? f[k] / l : 0.0;
        return answer;
    }

    std::map<CollisionObject*, const dReal*> axes;
    double mu = 5.0, slip = 0.0, drift = 0.0, driftExp = 1.0;
    bool driving = false;
};

class KartRigPhysics : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rig.open()) << rig.error(); }
    void TearDown() override { resetTuningValues(); }

    // The kart's scene alone in a fresh scene, on a floor, with the race's
    // world settings, filters and contact values.
    void build(const KartInfo& kart)
    {
        rig.newScene();
        Scene& scene = *rig.scene;
        ASSERT_TRUE(rig.load(kart.kartFile)) << kart.kartFile;
        const float floorSize[3] = {200.0f, 1.0f, 200.0f};
        floor = scene.addCollisionObject(ShapeBox, 10, KartSceneRig::FloorSpace, floorSize, "floor");
        const float at[3] = {0.0f, float(kFloorTop) - 0.5f, 0.0f};
        floor->setPosition(at);
        floor->initialize();
        scene.prepare(nullptr, 0.0f, 1.0f);
        for (auto [a, b] : {std::pair{1u, 1u}, std::pair{1u, 2u}, std::pair{2u, 1u}})
            scene.m_collideFilterTable.m_filters[a][b] = &enabled;
        road.mu = kart.mu;
        road.slip = kart.slip;
        road.drift = kart.drift;
        road.driftExp = kart.driftexp;
        scrape.m_surface.mu = 0.0;
        scrape.m_surface.soft_erp = kartERP;
        scrape.m_surface.soft_cfm = kartCFM;
        noContact.m_createContact = false;
        scene.m_contactTable.m_handlers[6][10] = scene.m_contactTable.m_handlers[10][6] = &road;
        scene.m_contactTable.m_handlers[2][10] = scene.m_contactTable.m_handlers[10][2] = &scrape;
        scene.m_contactTable.m_handlers[6][2] = scene.m_contactTable.m_handlers[2][6] = &noContact;
        dWorldSetQuickStepNumIterations(scene.m_world, 5);
        dWorldSetGravity(scene.m_world, 0.0, -18.0, 0.0);

        chassis = rig.part("chassis", -1, 1);
        ASSERT_NE(chassis, nullptr);
        ASSERT_NE(chassis->m_body, nullptr);
        const std::string wheels[4] = {kart.wheelFL, kart.wheelFR, kart.wheelBL, kart.wheelBR};
        const std::string joints[4] = {kart.jointFLwheel, kart.jointFRwheel, kart.jointBLwheel, kart.jointBRwheel};
        const std::string springs[4] = {kart.jointFLsuspension, kart.jointFRsuspension, kart.jointBLsuspension,
                                        kart.jointBRsuspension};
        for (int w = 0; w < 4; ++w) {
            wheel[w] = static_cast<CollisionObject*>(rig.part(wheels[w], -1, 1));
            wheelJoint[w] = static_cast<OdeJointItem*>(rig.part(joints[w], -1, 1));
            spring[w] = static_cast<OdeJointItem*>(rig.part(springs[w], -1, 1));
            ASSERT_TRUE(wheel[w] && wheel[w]->m_body) << wheels[w];
            ASSERT_TRUE(wheelJoint[w] && wheelJoint[w]->m_joint) << joints[w];
            ASSERT_TRUE(spring[w] && spring[w]->m_joint) << springs[w];
            road.axes[wheel[w]] = axis[w];
        }
        steer = 0.0;
    }

    // One race step of the kart: wheel motors from the throttle and the
    // steering (before the start the wheels are held), the suspension
    // springs, collision, the quick step.
    void step(bool driving, double steerLeft, const KartInfo& kart)
    {
        road.driving = driving;
        const double speed = length(dBodyGetLinearVel(chassis->m_body));
        // Full throttle in the smallest engine class, whose speed is 70 %.
        const double force = driving ? kart.forwardForce : 1000.0;
        const double target = driving ? kart.forwardSpeed * 0.7 : 0.0;
        for (int w = 2; w < 4; ++w) {
            dJointSetHingeParam(wheelJoint[w]->m_joint, dParamFMax, driving ? 0.0 : force);
            dJointSetHingeParam(wheelJoint[w]->m_joint, dParamVel, target);
            dJointGetHingeAxis(wheelJoint[w]->m_joint, axis[w]);
        }
        const double limit = std::clamp((1.0 - speed / 12.0) * (kart.steerangle - kart.steeranglemin) +
                                            kart.steeranglemin,
                                        double(kart.steeranglemin), double(kart.steerangle));
        if (steerLeft != 0.0)
            steer = std::min(1.0, std::max(0.0, steer) + (limit - std::max(0.0, steer)) * kart.steerspeed);
        else
            steer = 0.0;
        for (int w = 0; w < 2; ++w) {
            dJointID j = wheelJoint[w]->m_joint;
            dJointSetHinge2Param(j, dParamFMax2, force);
            dJointSetHinge2Param(j, dParamVel2, -target);
            dJointGetHinge2Axis2(j, axis[w]);
            const double angle = dJointGetHinge2Angle1(j);
            dJointSetHinge2Param(j, dParamVel, (steer * limit - angle) / kStep);
            dJointSetHinge2Param(j, dParamFMax, 1000.0);
        }
        for (int w : {2, 3, 0, 1})
            spring[w]->evaluateMotion(time);
        dSpaceCollide(rig.scene->getSpace(0).space, rig.scene, nearCallback);
        dWorldQuickStep(rig.scene->m_world, kStep);
        dJointGroupEmpty(rig.scene->m_contactGroup);
        time += kStep;
    }

    KartSceneRig rig;
    CollideFilter enabled{true};
    RoadContact road;
    ContactHandler scrape;
    ContactHandler noContact;
    CollisionObject* floor = nullptr;
    MeshObject* chassis = nullptr;
    CollisionObject* wheel[4] = {};
    OdeJointItem* wheelJoint[4] = {};
    OdeJointItem* spring[4] = {};
    dVector3 axis[4] = {};
    double steer = 0.0;
    double time = 0.0;
};

TEST_F(KartRigPhysics, EveryKartDroppedOnTheFloorSettlesAndStandsStill)
{
    for (const KartInfo& kart : rig.config.karts()) {
        SCOPED_TRACE(kart.name);
        build(kart);
        if (HasFatalFailure())
            return;
        for (int i = 0; i < 100; ++i)
            step(false, 0.0, kart);
        // Settled: from here on every body stays within a few millimetres
        // (a wheel on a hard contact may drop up to about one step's fall,
        // g dt^2 = 2 mm, before the contact holds it again) and the kart
        // does not creep away.
        const dBodyID bodies[5] = {chassis->m_body, wheel[0]->m_body, wheel[1]->m_body, wheel[2]->m_body,
                                   wheel[3]->m_body};
        const char* const names[5] = {"chassis", "front left wheel", "front right wheel", "back left wheel",
                                      "back right wheel"};
        dVector3 low[5], high[5], start;
        for (int b = 0; b < 5; ++b) {
            std::copy_n(dBodyGetPosition(bodies[b]), 3, low[b]);
            std::copy_n(dBodyGetPosition(bodies[b]), 3, high[b]);
        }
        std::copy_n(dBodyGetPosition(chassis->m_body), 3, start);
        double height[4] = {};
        for (int i = 0; i < 200; ++i) {
            step(false, 0.0, kart);
            for (int b = 0; b < 5; ++b) {
                const dReal* p = dBodyGetPosition(bodies[b]);
                for (int k = 0; k < 3; ++k) {
                    low[b][k] = std::min(low[b][k], p[k]);
                    high[b][k] = std::max(high[b][k], p[k]);
                }
                if (b > 0)
                    height[b - 1] += (p[1] - kFloorTop) / 200.0;
            }
        }
        for (int b = 0; b < 5; ++b)
            for (int k = 0; k < 3; ++k)
                EXPECT_LT(high[b][k] - low[b][k], 0.004) << names[b] << ": metres of movement along axis " << k;
        const dReal* end = dBodyGetPosition(chassis->m_body);
        EXPECT_LT(std::hypot(end[0] - start[0], end[2] - start[2]), 0.003) << "metres crept in 2 s";
        // Level: the chassis' up axis within half a degree of the vertical.
        const dReal* r = dBodyGetRotation(chassis->m_body);
        EXPECT_GT(r[5], std::cos(0.5 * M_PI / 180.0)) << "up axis (" << r[1] << ", " << r[5] << ", " << r[9] << ")";
        // Every wheel rests on the floor.
        for (int w = 0; w < 4; ++w)
            EXPECT_NEAR(height[w], dGeomSphereGetRadius(wheel[w]->m_geom), 0.004) << names[w + 1];
    }
}

TEST_F(KartRigPhysics, DrivenTheKartRollsForwardAndTurnsLeftWhenSteeredLeft)
{
    const KartInfo& kart = rig.config.karts().front();
    build(kart);
    ASSERT_FALSE(HasFatalFailure());
    for (int i = 0; i < 100; ++i)
        step(false, 0.0, kart);
    const dReal* p = dBodyGetPosition(chassis->m_body);
    const double startX = p[0], startZ = p[2];
    // The kart's forward axis is +Z; full throttle for two seconds.
    for (int i = 0; i < 200; ++i)
        step(true, 0.0, kart);
    p = dBodyGetPosition(chassis->m_body);
    EXPECT_GT(p[2] - startZ, 5.0) << "metres forward";
    EXPECT_LT(std::fabs(p[0] - startX), 0.1 * (p[2] - startZ)) << "metres aside";
    const dReal* r = dBodyGetRotation(chassis->m_body);
    EXPECT_GT(r[5], 0.98) << "still upright";
    // Steering left turns the nose to -X, the kart's left.
    for (int i = 0; i < 100; ++i) {
        step(true, 1.0, kart);

    }
    r = dBodyGetRotation(chassis->m_body);
    const double heading = std::atan2(r[2], r[10]); // the forward axis' x over its z
    EXPECT_LT(heading, -0.1) << "radians turned";
    EXPECT_GT(r[5], 0.95) << "still upright";
}

} // namespace
