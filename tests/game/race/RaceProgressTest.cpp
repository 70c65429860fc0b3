// The race from the grid to the finish: a whole race of seven karts driven
// along the AI path, the order of the karts, the wrong-way warning, the
// pickups, and the end of a last-man-standing race.
#include "RaceRig.h"

#include "engine/scene/CollisionObject.h"
#include "game/race/GroundMap.h"
#include "game/race/Kart.h"
#include "game/race/VectorOps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

TEST(RaceProgress, SevenKartsDriveThreeLapsAndFinishInOrder)
{
    RaceRig rig;
    rig.setUp(7);
    TestRace& race = rig.make();
    // Kart i starts on grid place i and drives in the lane of its place,
    // going round slower than the one ahead (the inner lane is shorter, so
    // its karts drive slower). The last kart asks once to be put back on
    // the track half way round its second lap.
    bool resetAsked = false;
    race.m_controllerMaker = [&](int32_t i) {
        const float lane = i % 2 == 0 ? 2.5f : -2.5f;
        const float radius = RaceFixture::kRingRadius;
        auto drive = followPath(race, lane, (1.0f - 0.05f * float(i)) * (radius + lane) / (radius + 2.5f));
        return new ScriptedController([drive, i, &resetAsked](ScriptedController& c) {
            drive(c);
            const float across = std::atan2(c.m_kart->m_position.z, c.m_kart->m_position.x);
            if (i == 6 && c.m_kart->m_lap == 2 && std::fabs(across) > 3.0f && !resetAsked) {
                c.m_reset = 1.0f;
                resetAsked = true;
            }
        });
    };
    ASSERT_TRUE(rig.load().loaded());
    ASSERT_TRUE(race.canRespawn());
    rig.startRace();
    ASSERT_TRUE(race.m_started);

    std::vector<int32_t> finishOrder;
    bool over = false;
    for (int frame = 0; frame < 1500 && race.result() == 0; ++frame) {
        rig.frame(0.1);
        for (int32_t i = 0; i < race.m_kartCount; ++i)
            if (race.m_karts[i]->m_finished &&
                std::find(finishOrder.begin(), finishOrder.end(), i) == finishOrder.end())
                finishOrder.push_back(i);
        if (!over && race.m_countdownPhase == 6) {
            over = true;
            // Every kart has finished: ranks in the order of finishing.
            for (int32_t i = 0; i < race.m_kartCount; ++i)
                EXPECT_EQ(race.m_karts[i]->m_rank, i) << i;
        }
    }
    EXPECT_TRUE(over);
    EXPECT_TRUE(resetAsked);
    EXPECT_NEAR(std::hypot(race.m_karts[6]->m_lastRespawnPoint.x, race.m_karts[6]->m_lastRespawnPoint.z),
                RaceFixture::kRingRadius, 0.5f);
    ASSERT_EQ(finishOrder.size(), 7u);
    for (int32_t i = 0; i < 7; ++i) {
        const Kart& kart = *race.m_karts[i];
        EXPECT_EQ(finishOrder[size_t(i)], i);
        EXPECT_EQ(kart.m_lap, 4);
        // Three laps of about 314 m at 11 to 16 m/s.
        EXPECT_GT(kart.m_finishTime, 50.0f);
        EXPECT_LT(kart.m_finishTime, 110.0f);
        EXPECT_GT(kart.m_bestLapTime, 15.0f);
        EXPECT_LE(kart.m_bestLapTime, kart.m_lapTime);
    }
    // The race leaves for the menu a little after it was over.
    EXPECT_EQ(race.result(), 1);
    rig.destroy();
}

TEST(RaceProgress, EqualKartsKeepTheirOrderAndOvertakingIsNoticed)
{
    RaceRig rig;
    rig.setUp(3);
    Race& race = rig.load();
    ASSERT_TRUE(race.loaded());
    Kart* k[3] = {race.m_karts[0], race.m_karts[1], race.m_karts[2]};
    // All three on one spot of the lap: the last order holds.
    for (Kart* kart : k)
        kart->m_position = RaceFixture::ringPoint(100.0f);
    k[0]->m_rank = k[0]->m_previousRank = 2;
    k[1]->m_rank = k[1]->m_previousRank = 0;
    k[2]->m_rank = k[2]->m_previousRank = 1;
    race.updatePositions();
    EXPECT_EQ(k[0]->m_rank, 2);
    EXPECT_EQ(k[1]->m_rank, 0);
    EXPECT_EQ(k[2]->m_rank, 1);
    // A lap more puts kart 0 in front: it overtook kart 1.
    k[0]->m_lap = 1;
    race.updatePositions();
    EXPECT_EQ(k[0]->m_rank, 0);
    EXPECT_EQ(k[1]->m_rank, 1);
    EXPECT_EQ(k[2]->m_rank, 2);
    EXPECT_EQ(k[0]->m_previousRank, 0);
    EXPECT_TRUE(k[0]->m_envelope[Kart::AnimOvertakeLeft].active || k[0]->m_envelope[Kart::AnimOvertakeRight].active);
    EXPECT_TRUE(k[2]->m_envelope[Kart::AnimOvertakenLeft].active ||
                k[2]->m_envelope[Kart::AnimOvertakenRight].active);
}

TEST(RaceProgress, DrivingBackwardsGivesOneWrongWayPulse)
{
    RaceRig rig;
    rig.setUp(1);
    Race& race = rig.load();
    ASSERT_TRUE(race.loaded());
    Kart& kart = *race.m_karts[0];
    int32_t pulses = 0;
    int32_t last = -1;
    // Backwards round the lap from a third of the way, a metre at a time.
    for (float s = 100.0f; s > 40.0f; s -= 1.0f) {
        kart.m_position = RaceFixture::ringPoint(s);
        race.updatePosmapHistory();
        race.updateWrongWay();
        pulses += race.m_wrongWay[0];
        if (race.m_wrongWay[0]) {
            EXPECT_EQ(race.m_posHistory[0][1], race.m_posHistory[0][0]);
            if (last >= 0)
                EXPECT_GE(last - race.positionValue(kart.m_position), 3);
            last = race.positionValue(kart.m_position);
        }
    }
    // One pulse for each three values the position fell.
    const int32_t fallen = race.positionValue(RaceFixture::ringPoint(100.0f)) -
                           race.positionValue(RaceFixture::ringPoint(41.0f));
    EXPECT_GE(pulses, fallen / 3 - 1);
    EXPECT_LE(pulses, fallen / 3 + 1);
    EXPECT_GT(pulses, 0);
    // Forwards again: no pulse.
    for (float s = 41.0f; s < 100.0f; s += 1.0f) {
        kart.m_position = RaceFixture::ringPoint(s);
        race.updatePosmapHistory();
        race.updateWrongWay();
        EXPECT_EQ(race.m_wrongWay[0], 0);
    }
}

TEST(RaceProgress, ATakenPickupReappearsAfterFifteenSecondsOfSteps)
{
    RaceRig rig;
    rig.setUp(1);
    Race& race = rig.load();
    ASSERT_TRUE(race.loaded());
    auto* pickup = static_cast<CollisionObject*>(race.m_itemPickups.at(0));
    pickup->m_hidden = 1;
    pickup->m_trigger = 1500;
    dGeomDisable(pickup->m_geom);
    for (int step = 0; step < 1499; ++step)
        race.updatePickups(0.01f * float(step), 0.01f);
    EXPECT_EQ(pickup->m_hidden, 1);
    race.updatePickups(15.0f, 0.01f);
    EXPECT_EQ(pickup->m_hidden, 0);
    EXPECT_EQ(pickup->m_trigger, -1);
    EXPECT_TRUE(dGeomIsEnabled(pickup->m_geom));
    // Pickups spin a quarter turn a second.
    EXPECT_FLOAT_EQ(pickup->m_motion[RotationH].evaluate(0.0), 15.0f * 3.14159265f / 2.0f);
}

TEST(RaceProgress, LastManStandingEndsWhenOneDriverIsLeft)
{
    RaceRig rig;
    RaceSetup& setup = rig.setUp(3);
    setup.gameType = Race::LastManStanding;
    setup.laps = -1;
    Race& race = rig.load();
    ASSERT_TRUE(race.loaded());
    rig.startRace();
    rig.run(1.0);
    race.m_karts[1]->setEnergy(0);
    rig.frame(0.1);
    const float firstOut = race.m_karts[1]->m_finishTime;
    EXPECT_TRUE(race.m_karts[1]->m_finished);
    EXPECT_EQ(race.m_countdownPhase, 0);
    // Out is last.
    EXPECT_EQ(race.m_karts[1]->m_rank, 2);
    rig.run(1.0);
    race.m_karts[2]->setEnergy(0);
    rig.frame(0.1);
    const float secondOut = race.m_karts[2]->m_finishTime;
    EXPECT_GT(secondOut, firstOut);
    // The survivor finishes a second after the last one out, with no
    // energy left.
    EXPECT_TRUE(race.m_karts[0]->m_finished);
    EXPECT_FLOAT_EQ(race.m_karts[0]->m_finishTime, secondOut + 1.0f);
    EXPECT_EQ(race.m_karts[0]->energy(), 0);
    rig.run(4.0, 0.1, [&] { return race.result() != 0; });
    EXPECT_EQ(race.result(), 1);
}

TEST(RaceProgress, ComputerKartsDoNotHoldARaceOpen)
{
    RaceRig rig;
    RaceSetup& setup = rig.setUp(3, 4);
    setup.playerType[0] = 1;
    Race& race = rig.load();
    ASSERT_TRUE(race.loaded());
    EXPECT_FALSE(race.checkFinished(1.0f));
    race.m_karts[0]->m_lap = 4;
    EXPECT_TRUE(race.checkFinished(70.0f));
    EXPECT_FLOAT_EQ(race.m_karts[0]->m_finishTime, 70.0f);
    EXPECT_FALSE(race.m_karts[1]->m_finished);
}

// A kart put back twice at the same place: a player's goes back half a
// metre, a computer's goes on three metres past the point it was put on
// (it could not get on from there).
TEST(RaceProgress, AKartPutBackTwiceAtOnePlaceMovesOn)
{
    struct Case {
        int32_t type;
        float along;
    };
    for (const Case& c : {Case{1, -0.5f}, Case{4, 3.0f}}) {
        SCOPED_TRACE(c.type);
        RaceRig rig;
        rig.setUp(1, c.type);
        Race& race = rig.load();
        ASSERT_TRUE(race.loaded());
        rig.startRace();
        ASSERT_TRUE(race.m_started);
        Kart& kart = *race.m_karts[0];
        kart.m_position = RaceFixture::ringPoint(100.0f);
        race.respawnKart(0);
        const Vector3 first = kart.m_lastRespawnPoint;
        race.respawnKart(0);
        const Vector3 step = kart.m_lastRespawnPoint - first;
        EXPECT_NEAR(vec::dot(step, RaceFixture::ringDirection(100.0f)), c.along, 0.1f);
    }
}

} // namespace
