// The kart's drive on the fixture's rig: pedals, reverse, steering and its
// limit, the boost and hit modifiers, the timers, the upside-down reset.
#include "RaceRig.h"

#include "engine/scene/OdeJointItem.h"
#include "game/race/Kart.h"
#include "game/race/VectorOps.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kDegree = 0.017453292f;

// One kart on the ring with a controller the test sets each step.
class KartDrive : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_rig.setUp(1);
        m_rig.make().m_controllerMaker = [this](int32_t) {
            return new ScriptedController([this](ScriptedController& c) {
                c.m_throttle = m_throttle;
                c.m_brake = m_brake;
                c.m_steerLeft = m_left;
                c.m_steerRight = m_right;
                if (m_step)
                    m_step(*c.m_kart);
            });
        };
        ASSERT_TRUE(m_rig.load().loaded());
        m_rig.startRace();
        ASSERT_TRUE(m_rig.race->m_started);
    }
    Kart& kart() { return *m_rig.race->m_karts[0]; }
    float steeringAngle()
    {
        return float(dJointGetHinge2Angle1(static_cast<OdeJointItem*>(kart().m_wheelJoint[Kart::FL])->m_joint));
    }
    // Distance moved along the kart's own forward axis over `seconds`.
    float driveFor(double seconds)
    {
        const Vector3 from = kart().m_position, forward = kart().m_forward;
        m_rig.run(seconds, 0.05);
        return vec::dot(kart().m_position - from, forward);
    }

    RaceRig m_rig;
    float m_throttle = 0.0f, m_brake = 0.0f, m_left = 0.0f, m_right = 0.0f;
    std::function<void(Kart&)> m_step;
};

TEST_F(KartDrive, ThrottleDrivesForwardsToTheTopSpeed)
{
    m_throttle = 1.0f;
    EXPECT_GT(driveFor(2.0), 5.0f);
    m_rig.run(2.0);
    // The front wheels turn at the drive's speed: 80 x 0.7 radians a
    // second on wheels of 0.28.
    EXPECT_NEAR(kart().m_speed, 80.0f * 0.7f * 0.28f, 2.0f);
    EXPECT_EQ(kart().m_gear, 1);
}

TEST_F(KartDrive, BrakingWhileRollingStopsThenReverses)
{
    m_throttle = 1.0f;
    m_rig.run(1.5);
    m_throttle = 0.0f;
    m_brake = 1.0f;
    m_rig.run(5.0, 0.05, [this] { return kart().m_gear == 2; });
    EXPECT_EQ(kart().m_gear, 2);
    EXPECT_TRUE(kart().m_envelope[Kart::AnimReverse].active);
    EXPECT_LT(driveFor(2.0), -1.0f);
    // Throttle again: back to forward once the wheels are still.
    m_brake = 0.0f;
    m_throttle = 1.0f;
    m_rig.run(5.0, 0.05, [this] { return kart().m_gear == 1; });
    EXPECT_EQ(kart().m_gear, 1);
}

TEST_F(KartDrive, SteeringTurnsToTheLimitOfTheSpeed)
{
    // At a standstill the limit is steerangle.
    m_left = 1.0f;
    m_rig.run(0.5);
    EXPECT_NEAR(steeringAngle(), 30.0f * kDegree, 2.0f * kDegree);
    m_left = 0.0f;
    m_right = 1.0f;
    m_rig.run(0.5);
    EXPECT_NEAR(steeringAngle(), -30.0f * kDegree, 2.0f * kDegree);
    // Both at once centre the wheels.
    m_left = 1.0f;
    m_rig.run(0.5);
    EXPECT_NEAR(steeringAngle(), 0.0f, 1.0f * kDegree);
    // Above 12 units a second the limit is steeranglemin.
    m_left = 0.0f;
    m_right = 0.0f;
    m_throttle = 1.0f;
    m_rig.run(4.0);
    ASSERT_GT(kart().m_speed, 12.0f);
    m_left = 1.0f;
    m_rig.run(0.3);
    EXPECT_NEAR(steeringAngle(), 10.0f * kDegree, 2.0f * kDegree);
}

TEST_F(KartDrive, SteeringLeftTurnsTowardsTheKartsLeftSide)
{
    m_throttle = 1.0f;
    m_rig.run(1.0);
    const Vector3 side = kart().m_side, forward = kart().m_forward;
    m_left = 1.0f;
    m_rig.run(0.3);
    EXPECT_GT(vec::dot(kart().m_forward, side), 0.2f);
    EXPECT_GT(vec::dot(kart().m_forward, forward), 0.0f);
}

TEST_F(KartDrive, BoostsDriveFasterAndHitsSlowDown)
{
    m_throttle = 1.0f;
    m_rig.run(4.0);
    const float top = kart().m_speed;
    m_step = [](Kart& k) { k.m_boostSteps = 100; };
    m_rig.run(3.0);
    EXPECT_NEAR(kart().m_speed, top * 1.25f, top * 0.1f);
    m_step = [](Kart& k) { k.m_rocketHitSteps = 100; };
    m_rig.run(4.0);
    EXPECT_LT(kart().m_speed, 2.0f);
}

TEST_F(KartDrive, TimersCountDownAndAHoleBringsTheKartBack)
{
    kart().m_bananaHitSteps = 10;
    kart().m_holeSteps = 5;
    kart().m_gear = 0;
    m_rig.race->stepOnce();
    EXPECT_EQ(kart().m_bananaHitSteps, 9);
    EXPECT_EQ(kart().m_holeSteps, 4);
    for (int i = 0; i < 3; ++i)
        m_rig.race->stepOnce();
    // At 1 the kart asks to be put back, and the race does so at once.
    EXPECT_EQ(kart().m_holeSteps, 0);
    EXPECT_EQ(kart().m_bananaHitSteps, 0);
    EXPECT_EQ(kart().m_respawnRequest, 0);
    EXPECT_EQ(kart().m_gear, 1);
    EXPECT_LT(kart().m_lastRespawnPoint.length(), 1000.0);
}

TEST_F(KartDrive, AKartOnItsRoofIsPutBackOnTheTrack)
{
    m_throttle = 1.0f;
    m_rig.run(1.0);
    dMatrix3 upsideDown;
    dRFromAxisAndAngle(upsideDown, 0.0, 0.0, 1.0, 3.14159265358979);
    dBodySetRotation(kart().m_chassis->m_body, upsideDown);
    m_rig.race->stepOnce();
    // Back on the path, upright, heading along it.
    const Vector3 place = kart().m_lastRespawnPoint;
    EXPECT_NEAR(std::hypot(place.x, place.z), RaceFixture::kRingRadius, 0.5f);
    EXPECT_NEAR(place.y, 0.1f, 0.05f);
    m_throttle = 0.0f;
    m_rig.run(1.0);
    EXPECT_GT(kart().m_chassis->getMatrix(0.0).at(1, 1), 0.9f);
    const float s = std::atan2(place.z, place.x) * RaceFixture::kRingRadius;
    EXPECT_GT(vec::dot(kart().m_forward, RaceFixture::ringDirection(s)), 0.9f);
}

} // namespace
