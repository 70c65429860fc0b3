// The race frame: fixed 0.01 s steps behind the race clock, the backlog
// dropped after 20 steps, pause and single steps, the countdown and the
// start.
#include "RaceRig.h"

#include "game/race/Kart.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class RaceFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_rig.setUp(3);
        ASSERT_TRUE(m_rig.load().loaded());
    }
    TestRace& race() { return *m_rig.race; }
    RaceRig m_rig;
};

TEST_F(RaceFrame, StepsFollowTheRaceClockInHundredths)
{
    m_rig.frame(0.05);
    m_rig.frame(0.05);
    // The simulation runs up to the clock the frame started with.
    EXPECT_NEAR(race().raceClock(), 0.1, 1e-9);
    EXPECT_NEAR(race().m_physicsClock, 0.05f, 0.0101f);
    m_rig.frame(0.05);
    EXPECT_NEAR(race().m_physicsClock, 0.1f, 0.0101f);
    EXPECT_GE(double(race().m_physicsClock) + 1e-5, 0.1);
}

TEST_F(RaceFrame, ASlowFrameRunsTwentyStepsAndDropsTheRest)
{
    m_rig.frame(0.35);
    // The frame that measured 0.35 s comes next.
    m_rig.frame(0.01);
    EXPECT_FLOAT_EQ(race().m_physicsClock, float(race().raceClock() - 0.01));
}

TEST_F(RaceFrame, APausedClockRunsNoSteps)
{
    m_rig.frame(0.1);
    m_rig.input.m_keys[0x01] = 1; // Escape
    m_rig.frame(0.1);
    const float before = race().m_physicsClock;
    const double clock = race().raceClock();
    m_rig.run(1.0, 0.1);
    EXPECT_EQ(race().m_physicsClock, before);
    EXPECT_NEAR(race().raceClock(), clock, 0.11);
    // Resuming goes on; the countdown was never started.
    m_rig.input.m_keys[0x01] = 1;
    m_rig.run(0.5, 0.1);
    EXPECT_GT(race().m_physicsClock, before);
    EXPECT_EQ(race().m_countdownStart, -1.0f);
}

TEST_F(RaceFrame, SingleStepModeStepsOnlyWhileSpaceIsDown)
{
    m_rig.frame(0.1);
    race().m_singleStep = 1;
    const float before = race().m_physicsClock;
    m_rig.run(0.5, 0.1);
    EXPECT_EQ(race().m_physicsClock, before);
    for (int i = 0; i < 3; ++i) {
        m_rig.input.m_keys[0x39] = 1;
        m_rig.frame(0.1);
    }
    EXPECT_NEAR(race().m_physicsClock, before + 0.03f, 1e-4f);
}

TEST_F(RaceFrame, CountdownCuesAndTheStart)
{
    m_rig.run(0.5, 0.1);
    // Karts wait on the grid with their wheels held.
    for (int32_t i = 0; i < race().m_kartCount; ++i)
        EXPECT_EQ(race().m_karts[i]->m_gear, 0);
    m_rig.input.m_keys[0x39] = 1;
    m_rig.frame(0.1);
    const double t0 = race().m_countdownStart;
    ASSERT_GE(t0, 0.0);
    EXPECT_EQ(race().m_cameraMode[0], Race::ChaseCamera);
    m_rig.run(4.5, 0.1);
    std::vector<std::pair<uint32_t, double>> cues;
    for (const TestRace::Cue& c : race().m_cues)
        if (c.cue == 22 || c.cue == 23 || c.cue == 8) {
            EXPECT_FALSE(c.muted) << c.cue;
            cues.push_back({c.cue, c.clock - t0});
        }
    ASSERT_EQ(cues.size(), 4u);
    const std::pair<uint32_t, double> expected[] = {{22, 0.0}, {23, 1.0}, {23, 2.0}, {8, 3.0}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(cues[i].first, expected[i].first);
        EXPECT_NEAR(cues[i].second, expected[i].second, 0.1 + 1e-6);
        EXPECT_GE(cues[i].second, expected[i].second - 1e-6);
    }
    EXPECT_TRUE(race().m_started);
    EXPECT_NEAR(race().m_startTime, t0 + 3.0, 0.1 + 1e-4);
    EXPECT_EQ(race().m_countdownPhase, 0);
    for (int32_t i = 0; i < race().m_kartCount; ++i)
        EXPECT_EQ(race().m_karts[i]->m_gear, 1);
}

TEST_F(RaceFrame, KartsRestOnTheGroundBeforeTheStart)
{
    m_rig.run(3.0, 0.05);
    for (int32_t i = 0; i < race().m_kartCount; ++i) {
        const Kart& kart = *race().m_karts[i];
        EXPECT_NEAR(kart.m_position.y, 0.3f, 0.05f) << i;
        EXPECT_LT(kart.m_speed, 0.2f) << i;
        EXPECT_FALSE(kart.m_respawnRequest);
    }
}

} // namespace
