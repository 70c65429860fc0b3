// The race's views: two players split the screen, the chase camera on its
// leash, looking back, and the view widening with a boost.
#include "RaceRig.h"

#include "engine/scene/Camera.h"
#include "game/race/Kart.h"
#include "game/race/VectorOps.h"

#include <gtest/gtest.h>

namespace {

TEST(RaceView, TwoPlayersShareTheScreenTopAndBottom)
{
    RaceRig rig(false, 320, 240);
    RaceSetup& setup = rig.setUp(2);
    setup.mode = 1;
    setup.playerType[0] = 2;
    setup.playerType[1] = 3;
    Race& race = rig.load();
    ASSERT_TRUE(race.loaded());
    ASSERT_EQ(race.m_viewCount, 2);
    rig.startRace();
    rig.frame(0.05);
    ASSERT_EQ(race.m_cameraMode[0], Race::ChaseCamera);
    ASSERT_EQ(race.m_cameraMode[1], Race::ChaseCamera);
    const D3DVIEWPORT9 top = race.m_cameras[0]->m_viewport;
    const D3DVIEWPORT9 bottom = race.m_cameras[1]->m_viewport;
    EXPECT_EQ(top.Y, 0u);
    EXPECT_EQ(top.Height, 120u);
    EXPECT_EQ(bottom.Y, 120u);
    EXPECT_EQ(bottom.Height, 120u);
    EXPECT_EQ(top.Width, 320u);
    // Each view follows its own kart.
    EXPECT_EQ(race.m_cameras[0]->m_target, race.m_karts[0]->m_cameraTarget);
    EXPECT_EQ(race.m_cameras[1]->m_target, race.m_karts[1]->m_cameraTarget);
}

class ChaseCamera : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_rig.setUp(1);
        TestRace& race = m_rig.make();
        race.m_controllerMaker = [this, &race](int32_t) {
            auto drive = followPath(race, 0.0f, 1.0f);
            return new ScriptedController([this, drive](ScriptedController& c) {
                drive(c);
                c.m_lookBack = m_lookBack;
            });
        };
        ASSERT_TRUE(m_rig.load().loaded());
        m_rig.startRace();
    }
    Race& race() { return *m_rig.race; }
    Kart& kart() { return *race().m_karts[0]; }
    RaceRig m_rig;
    float m_lookBack = 0.0f;
};

TEST_F(ChaseCamera, FollowsOnALeashThatGrowsWithSpeed)
{
    for (int i = 0; i < 40; ++i) {
        m_rig.frame(0.05);
        Camera* camera = race().m_cameras[0];
        const Matrix4 t = kart().m_cameraTarget->getMatrix(0.0);
        const Vector3 target{t.at(3, 0), t.at(3, 1) + race().m_cameraHeight[0], t.at(3, 2)};
        const float allowed = kart().m_speed * race().m_cameraSpeedfactor[0] + race().m_cameraDistance[0];
        EXPECT_LE(vec::distance(camera->position(0.0), target), allowed + 0.05f) << i;
    }
    EXPECT_GT(kart().m_speed, 5.0f);
    EXPECT_FLOAT_EQ(race().m_cameras[0]->m_zoomFactor.evaluate(0.0), race().m_cameraFov[0]);
}

TEST_F(ChaseCamera, LookingBackWhileTheControlIsHeld)
{
    m_rig.run(0.5);
    m_lookBack = 1.0f;
    m_rig.run(0.2);
    EXPECT_EQ(race().m_cameraMode[0], Race::LookBack);
    Camera* camera = race().m_cameras[0];
    EXPECT_EQ(camera->m_parent, kart().m_cameraTarget);
    // It looks the way the kart came from.
    const Matrix4 m = camera->getMatrix(0.0);
    EXPECT_LT(vec::dot({m.at(2, 0), m.at(2, 1), m.at(2, 2)}, kart().m_forward), -0.9f);
    m_lookBack = 0.0f;
    m_rig.run(0.2);
    EXPECT_EQ(race().m_cameraMode[0], Race::ChaseCamera);
    EXPECT_EQ(camera->m_parent, nullptr);
}

TEST_F(ChaseCamera, ABoostWidensTheViewGraduallyAndBack)
{
    const float fov = race().m_cameraFov[0];
    const struct {
        int32_t steps; // left of a 5 s boost
        float zoom;
    } cases[] = {{500, fov}, {450, fov - 0.25f}, {300, fov - 0.5f}, {50, fov - 0.25f}};
    for (const auto& c : cases) {
        kart().m_boostSteps = c.steps;
        race().updateCameras();
        EXPECT_NEAR(race().m_cameras[0]->m_zoomFactor.evaluate(0.0), c.zoom, 1e-4f) << c.steps;
    }
}

} // namespace
