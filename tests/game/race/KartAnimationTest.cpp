// The driver's animation blends over the race clock, the finish and the
// reset before a race.
#include "engine/scene/MixerChannel.h"
#include "engine/scene/MixerRecords.h"
#include "engine/scene/SceneItem.h"
#include "game/app/RaceSetup.h"
#include "game/race/Kart.h"
#include "game/race/KartController.h"
#include "game/race/Race.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class Driver : public KartController {
public:
    explicit Driver(int32_t type) : m_type(type) {}
    int32_t getType() const override { return m_type; }
    bool isAI() const override { return m_type == Computer; }
    int32_t m_resets = 0;
    void reset() override { ++m_resets; }
    int32_t m_type;
};

// A kart without a scene whose animation `id` drives one mixer entry.
class KartAnimation : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_setup.gameType = Race::SingleRace;
        m_race.m_setup = &m_setup;
        m_driver = new Driver(KartController::Human);
        m_finish = new Driver(KartController::Computer);
        m_kart = std::make_unique<Kart>(nullptr, nullptr, 0, nullptr, m_driver, m_finish, nullptr, nullptr, 0);
        m_channel.addEntry(nullptr);
        m_channel.addEntry(nullptr);
        m_motion.addChannel(&m_channel, 1);
        m_kart->m_animation[Kart::AnimCrash] = &m_motion;
    }
    void at(double clock) { m_race.m_timer.m_total = clock; }
    float level(int32_t id) const { return m_kart->m_animationLevel[id]; }
    const AnimationEnvelope& envelope(int32_t id) const { return m_kart->m_envelope[id]; }

    RaceSetup m_setup;
    Race m_race{nullptr, nullptr};
    Driver* m_driver;
    Driver* m_finish;
    std::unique_ptr<Kart> m_kart;
    MixerChannel m_channel;
    MixerMotion m_motion;
};

TEST_F(KartAnimation, AnEnvelopeRisesHoldsFallsAndEnds)
{
    at(10.0);
    m_kart->playAnimation(Kart::AnimCrash, 0.5f, 1.0f, 2.0f, 3.0f, true, false, false);
    EXPECT_TRUE(envelope(Kart::AnimCrash).active);
    EXPECT_FLOAT_EQ(envelope(Kart::AnimCrash).start, 10.0f);
    // The entry starts with the envelope and weighs weight x level.
    EXPECT_FLOAT_EQ(m_channel.entries[1].startTime, 10.0f);
    const struct {
        double time;
        float level;
    } samples[] = {{10.5, 0.5f}, {11.0, 1.0f}, {13.9, 1.0f}, {15.0, 0.5f}, {16.5, 0.0f}};
    for (const auto& s : samples) {
        m_kart->updateAnimations(float(s.time), 0.1f);
        EXPECT_NEAR(level(Kart::AnimCrash), s.level, 1e-5f) << s.time;
        EXPECT_NEAR(m_channel.entries[1].weight, 0.5f * s.level, 1e-5f) << s.time;
    }
    EXPECT_FALSE(envelope(Kart::AnimCrash).active);
}

TEST_F(KartAnimation, StartingWhileRisingOrHoldingChangesNothing)
{
    at(0.0);
    m_kart->playAnimation(Kart::AnimCrash, 1.0f, 1.0f, 1.0f, 5.0f, false, false, false);
    at(2.0);
    m_kart->playAnimation(Kart::AnimCrash, 1.0f, 0.1f, 0.1f, 0.1f, false, false, false);
    EXPECT_FLOAT_EQ(envelope(Kart::AnimCrash).start, 0.0f);
    EXPECT_FLOAT_EQ(envelope(Kart::AnimCrash).hold, 5.0f);
}

TEST_F(KartAnimation, RestartingAndEndingContinueFromTheLevelReached)
{
    // Falling at level 0.5: a new rise of 2 s starts from there.
    at(0.0);
    m_kart->playAnimation(Kart::AnimCrash, 1.0f, 1.0f, 2.0f, 1.0f, false, false, false);
    at(3.0);
    m_kart->playAnimation(Kart::AnimCrash, 1.0f, 2.0f, 1.0f, 1.0f, false, false, false);
    m_kart->updateAnimations(3.0f, 0.0f);
    EXPECT_NEAR(level(Kart::AnimCrash), 0.5f, 1e-5f);

    // Ended while rising at level 0.25: the fall of 1 s starts from there.
    at(10.0);
    m_kart->playAnimation(Kart::AnimCrash, 1.0f, 2.0f, 2.0f, 5.0f, false, false, false);
    at(10.5);
    m_kart->endAnimation(Kart::AnimCrash, 1.0f, false);
    m_kart->updateAnimations(10.5f, 0.0f);
    EXPECT_NEAR(level(Kart::AnimCrash), 0.25f, 1e-5f);
    m_kart->updateAnimations(10.75f, 0.0f);
    EXPECT_NEAR(level(Kart::AnimCrash), 0.0f, 1e-5f);

    // Ended while holding: the fall starts now, with its own length kept.
    at(20.0);
    m_kart->playAnimation(Kart::AnimCrash, 1.0f, 0.5f, 2.0f, 5.0f, false, false, false);
    at(21.0);
    m_kart->endAnimation(Kart::AnimCrash, -1.0f, false);
    m_kart->updateAnimations(22.0f, 0.0f);
    EXPECT_NEAR(level(Kart::AnimCrash), 0.5f, 1e-5f);
}

TEST_F(KartAnimation, AnExclusiveAnimationSilencesTheOthersUntilItEnds)
{
    at(0.0);
    m_kart->playAnimation(Kart::AnimCrash, 1.0f, 0.0f, 0.0f, 100.0f, false, false, false);
    m_kart->updateAnimations(1.0f, 0.0f);
    EXPECT_FLOAT_EQ(level(Kart::AnimCrash), 1.0f);
    at(1.0);
    m_kart->playAnimation(Kart::AnimFalseStart, 1.0f, 0.0f, 0.0f, 1.0f, false, false, true);
    m_kart->updateAnimations(1.5f, 0.0f);
    EXPECT_FLOAT_EQ(level(Kart::AnimCrash), 0.0f);
    EXPECT_FLOAT_EQ(level(Kart::AnimFalseStart), 1.0f);
    m_kart->updateAnimations(2.0f, 0.0f);
    EXPECT_EQ(m_kart->m_exclusiveAnimation, -1);
    m_kart->updateAnimations(2.1f, 0.0f);
    EXPECT_FLOAT_EQ(level(Kart::AnimCrash), 1.0f);
}

TEST_F(KartAnimation, FallingHidesTheLayersForItsWholeLength)
{
    SceneItem shown(nullptr, ItemMesh), hidden(nullptr, ItemMesh);
    hidden.m_hidden = 1;
    m_kart->m_layer[1] = &shown;
    m_kart->m_layer[2] = &hidden;
    m_kart->m_layerVisible[1] = 1;
    at(0.0);
    m_kart->playAnimation(Kart::AnimFall, 0.5f, 0.0f, 0.0f, 3.0f, false, false, true);
    EXPECT_EQ(shown.m_hidden, 1);
    m_kart->updateAnimations(2.9f, 0.0f);
    EXPECT_EQ(shown.m_hidden, 1);
    m_kart->updateAnimations(3.0f, 0.0f);
    EXPECT_EQ(shown.m_hidden, 0);
    EXPECT_EQ(hidden.m_hidden, 1);
}

TEST_F(KartAnimation, OvertakingPlaysBySideAndRemembersTheRank)
{
    const struct {
        bool overtaking, right;
        int32_t id;
    } cases[] = {{true, false, Kart::AnimOvertakeLeft},
                 {true, true, Kart::AnimOvertakeRight},
                 {false, false, Kart::AnimOvertakenLeft},
                 {false, true, Kart::AnimOvertakenRight}};
    for (const auto& c : cases) {
        m_kart->m_rank = 3;
        m_kart->m_previousRank = 5;
        m_kart->onOvertake(c.overtaking, c.right);
        EXPECT_EQ(m_kart->m_previousRank, 3);
        EXPECT_TRUE(envelope(c.id).active) << c.id;
        EXPECT_FLOAT_EQ(envelope(c.id).hold, 3.0f);
    }
}

TEST_F(KartAnimation, AKartFinishesAtLapsPlusOneAndTheFinishDriverTakesOver)
{
    m_kart->m_lap = 3;
    EXPECT_FALSE(m_kart->updateFinished(50.0f, 3));
    m_kart->m_lap = 4;
    m_kart->m_boostSteps = 100;
    EXPECT_TRUE(m_kart->updateFinished(60.0f, 3));
    EXPECT_FLOAT_EQ(m_kart->m_finishTime, 60.0f);
    EXPECT_EQ(m_kart->m_boostSteps, 0);
    EXPECT_EQ(m_kart->m_controller, m_finish);
    EXPECT_EQ(m_finish->m_resets, 1);
    EXPECT_FLOAT_EQ(m_kart->m_slip, 0.0f);
    EXPECT_FLOAT_EQ(m_kart->m_reverseThreshold, 0.05f);
    // Once finished it stays so, at its time.
    EXPECT_TRUE(m_kart->updateFinished(70.0f, 3));
    EXPECT_FLOAT_EQ(m_kart->m_finishTime, 60.0f);
}

TEST_F(KartAnimation, InLastManStandingAKartWithoutEnergyIsOut)
{
    m_setup.gameType = Race::LastManStanding;
    m_kart->m_gear = 1;
    m_kart->setEnergy(1);
    EXPECT_FALSE(m_kart->updateFinished(12.0f, -1));
    m_kart->setEnergy(-20);
    EXPECT_EQ(m_kart->energy(), 0);
    EXPECT_TRUE(m_kart->updateFinished(12.5f, -1));
    EXPECT_FLOAT_EQ(m_kart->m_finishTime, 12.5f);
    EXPECT_EQ(m_kart->m_gear, 0);
    EXPECT_EQ(m_kart->m_controller, m_driver);
    EXPECT_TRUE(envelope(Kart::AnimLoser).active);
}

TEST_F(KartAnimation, TheResetBeforeARaceClearsTheLapState)
{
    m_kart->m_lap = 5;
    m_kart->m_coins = 3;
    m_kart->m_powerup = 4;
    m_kart->m_finished = 1;
    m_kart->m_bestLapTime = 20.0f;
    m_kart->m_gear = 2;
    m_kart->m_rocketHitSteps = 50;
    m_kart->setEnergy(10);
    m_kart->resetForRace(4);
    EXPECT_EQ(m_kart->m_rank, 4);
    EXPECT_EQ(m_kart->m_previousRank, 4);
    EXPECT_EQ(m_kart->m_lap, 0);
    EXPECT_EQ(m_kart->m_maxLap, 1);
    EXPECT_EQ(m_kart->m_coins, 0);
    EXPECT_EQ(m_kart->m_powerup, -1);
    EXPECT_EQ(m_kart->m_finished, 0);
    EXPECT_EQ(m_kart->m_direction, 2);
    EXPECT_FLOAT_EQ(m_kart->m_bestLapTime, -1.0f);
    EXPECT_EQ(m_kart->m_gear, 0);
    EXPECT_EQ(m_kart->m_rocketHitSteps, 0);
    EXPECT_EQ(m_kart->energy(), 100);
    EXPECT_TRUE(envelope(Kart::AnimDrive).active);
    EXPECT_EQ(m_driver->m_resets, 1);
}

} // namespace
