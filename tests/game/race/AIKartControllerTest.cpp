// The computer driver on a straight path, without a scene: its rubber band
// against the leading driver, its power-up choices, its reset when stuck, and
// a race without a path to follow.
#include "RaceRig.h"

#include "game/race/AIKartController.h"
#include "game/race/GroundMap.h"
#include "game/race/Kart.h"
#include "game/race/Race.h"
#include "game/race/VectorOps.h"
#include "support/RecordedReports.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/MemoryFileSystem.h"
#include "tools/lib/PathWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr float kBaseSpeed = 100.0f;

// A race on the line x = 0 from z = 0 to z = 260 (a point every 10 m) whose
// position map reads floor(z) for z from 0 to 256.
class StraightRace {
public:
    StraightRace()
    {
        std::vector<Vector3> points;
        for (int i = 0; i <= 26; ++i)
            points.push_back({0.0f, 0.0f, 10.0f * float(i)});
        files.addFile("path01.dat", writePathFile(makePath(points, false)));
        race.m_pathCount = 1;
        EXPECT_TRUE(race.m_paths[0].load(files, "path01.dat"));
        race.m_paths[0].halfWidth = 1.5f;
        // Row r (row 0 at the far end) holds 255 - r.
        std::vector<uint8_t> cells;
        for (int row = 0; row < 256; ++row)
            for (int column = 0; column < 4; ++column)
                cells.push_back(uint8_t(255 - row));
        files.addFile("pos.pcx", writePcx(4, 256, 4, cells, nullptr));
        race.m_posMap = new GroundMap(files, "pos.pcx", -10.0f, 10.0f, 0.0f, 256.0f);
        race.m_started = 1;
    }

    // A kart on the line at z, driven by `driver`, heading along the path.
    Kart& add(KartController* driver, float z)
    {
        const int32_t index = race.m_kartCount++;
        Kart* kart = new Kart(nullptr, nullptr, index, nullptr, driver, driver, nullptr, nullptr, 0);
        kart->m_position = {0.0f, 0.0f, z};
        kart->m_baseForwardSpeed = kart->m_forwardSpeed = kBaseSpeed;
        kart->m_rank = index;
        race.m_karts[index] = kart;
        return *kart;
    }

    MemoryFileSystem files;
    Race race{nullptr, nullptr};
};

TEST(AIKartController, RubberBandSpeedsUpBehindTheLeaderAndHoldsBackAheadOfIt)
{
    struct Case {
        const char* name;
        float own, leader;
        int32_t ownLap = 0;
        float climb = 0.0f;
        bool leaderIsComputer = false;
        float factor;
    };
    const Case cases[] = {
        {"level", 100.5f, 100.5f, 0, 0.0f, false, 1.0f},
        {"3 behind: not yet", 100.5f, 103.5f, 0, 0.0f, false, 1.0f},
        {"4 behind: the threshold", 100.5f, 104.5f, 0, 0.0f, false, 1.0f},
        {"7 behind", 100.5f, 107.5f, 0, 0.0f, false, 1.25f},
        {"40 behind: at most x 1.5", 100.5f, 140.5f, 0, 0.0f, false, 1.5f},
        {"9 ahead: not yet", 109.5f, 100.5f, 0, 0.0f, false, 1.0f},
        {"15 ahead", 115.5f, 100.5f, 0, 0.0f, false, 0.75f},
        {"40 ahead: at least x 0.5", 140.5f, 100.5f, 0, 0.0f, false, 0.5f},
        {"ahead while climbing", 140.5f, 100.5f, 0, 0.2f, false, 1.0f},
        {"a lap ahead near the line", 5.5f, 250.5f, 1, 0.0f, false, 0.95f},
        {"on a cell of 0", 0.5f, 100.5f, 0, 0.0f, false, 1.0f},
        {"beyond the map's 255", 255.5f, 100.5f, 0, 0.0f, false, 1.0f},
        {"the leader on a cell of 0", 100.5f, 0.5f, 0, 0.0f, false, 1.0f},
        {"only computers: no leader", 100.5f, 140.5f, 0, 0.0f, true, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StraightRace s;
        auto* driver = new AIKartController(0);
        Kart& kart = s.add(driver, c.own);
        kart.m_lap = c.ownLap;
        kart.m_forward = vec::unit({0.0f, c.climb, 1.0f});
        KartController* leaderDriver =
            c.leaderIsComputer ? static_cast<KartController*>(new AIKartController(0)) : new ScriptedController(nullptr);
        Kart& leader = s.add(leaderDriver, c.leader);
        leader.m_rank = 0;
        kart.m_rank = 1;
        driver->reset();
        driver->update();
        EXPECT_NEAR(kart.m_forwardSpeed, kBaseSpeed * c.factor, 1e-3f);
        EXPECT_EQ(driver->m_throttle, 1.0f);
    }
}

TEST(AIKartController, TheLeaderItselfDrivesAtItsOwnSpeed)
{
    StraightRace s;
    auto* driver = new AIKartController(0);
    Kart& kart = s.add(driver, 150.5f);
    // A driver at the keyboard far behind, ranked ahead: the kart is ranked
    // first of those that lead, and only a driver who is not a computer leads.
    s.add(new ScriptedController(nullptr), 100.5f).m_rank = 1;
    kart.m_rank = 0;
    driver->reset();
    driver->update();
    EXPECT_NEAR(kart.m_forwardSpeed, kBaseSpeed * 0.5f, 1e-3f);
    // Once that driver is in, there is nobody to measure against.
    s.race.m_karts[1]->m_finished = 1;
    driver->update();
    EXPECT_NEAR(kart.m_forwardSpeed, kBaseSpeed, 1e-3f);
}

TEST(AIKartController, ARefusedPositionMapTurnsTheRubberBandOff)
{
    StraightRace s;
    delete s.race.m_posMap;
    // Three cells wide: not a power of two.
    s.files.addFile("odd.pcx", writePcx(3, 256, 4, std::vector<uint8_t>(4 * 256, 100), nullptr));
    {
        RecordedReports reports;
        s.race.m_posMap = new GroundMap(s.files, "odd.pcx", -10.0f, 10.0f, 0.0f, 256.0f);
        EXPECT_NE(reports.last().find("power of two"), std::string::npos) << reports.last();
    }
    auto* driver = new AIKartController(0);
    Kart& kart = s.add(driver, 100.5f);
    s.add(new ScriptedController(nullptr), 140.5f).m_rank = 0;
    kart.m_rank = 1;
    driver->reset();
    driver->update();
    EXPECT_NEAR(kart.m_forwardSpeed, kBaseSpeed, 1e-3f);
    EXPECT_EQ(driver->m_throttle, 1.0f);
}

TEST(AIKartController, FiresEachPowerupWhereItHits)
{
    enum Where { None, Ahead, Behind, Beside };
    struct Case {
        int32_t kind;
        std::vector<Where> fires;
    };
    const std::vector<Where> always = {None, Ahead, Behind, Beside};
    const Case cases[] = {
        {-1, {}},
        {Kart::PowerupBoost, always},
        {Kart::PowerupOil, {Behind}},
        {Kart::PowerupShield, always},
        {Kart::PowerupRocket, {Ahead}},
        {Kart::PowerupDecoy, {Behind}},
        {Kart::PowerupSnowball, {Ahead}},
        {Kart::PowerupHealth, always},
        {Kart::PowerupQuadDamage, always},
        {Kart::PowerupHammer, {}},
        {Kart::PowerupSpeedup, {Ahead}},
        {Kart::PowerupBananas, {Behind}},
        {Kart::PowerupFrog, {Ahead}},
        {Kart::PowerupFrog2, {Ahead}},
        {Kart::PowerupFrog3, {Ahead}},
        {Kart::PowerupTank, {Beside}},
        {Kart::PowerupPumpkin, {Ahead}},
        {Kart::PowerupAlien, {Ahead}},
        {Kart::PowerupHole, {Ahead}},
    };
    for (const Case& c : cases) {
        for (Where where : always) {
            SCOPED_TRACE(testing::Message() << "kind " << c.kind << ", target " << where);
            auto* driver = new AIKartController(0);
            Kart kart(nullptr, nullptr, 0, nullptr, driver, driver, nullptr, nullptr, 0);
            Kart target(nullptr, nullptr, 1, nullptr, nullptr, nullptr, nullptr, nullptr, 0);
            kart.m_powerup = c.kind;
            // The kart looks along +z.
            const Vector3 at[] = {{}, {1.0f, 0.0f, 10.0f}, {-1.0f, 0.0f, -10.0f}, {10.0f, 0.0f, 1.0f}};
            target.m_position = at[where];
            driver->decidePowerupUse(where == None ? nullptr : &target);
            const bool fires = std::find(c.fires.begin(), c.fires.end(), where) != c.fires.end();
            EXPECT_EQ(driver->m_fire, fires ? 1.0f : 0.0f);
        }
    }
}

TEST(AIKartController, AStuckKartAsksForAResetOnceNoHitHoldsIt)
{
    StraightRace s;
    auto* driver = new AIKartController(0);
    Kart& kart = s.add(driver, 100.5f);
    driver->reset();
    // Standing still from GO: the count starts after a second, and a banana
    // holds the kart all along.
    kart.m_bananaHitSteps = 1000;
    for (int step = 0; step < 400; ++step)
        driver->update();
    EXPECT_EQ(kart.m_respawnRequest, 0);
    EXPECT_GT(driver->m_stuckSteps, 100u);
    kart.m_bananaHitSteps = 0;
    driver->update();
    EXPECT_EQ(kart.m_respawnRequest, 1);
    EXPECT_EQ(driver->m_stuckSteps, 0u);
}

TEST(AIKartController, AKartRockingInPlaceIsStuckToo)
{
    StraightRace s;
    auto* driver = new AIKartController(0);
    Kart& kart = s.add(driver, 100.5f);
    driver->reset();
    // Fast now and then, but it never gets anywhere.
    int32_t steps = 0;
    for (; steps < 400 && !kart.m_respawnRequest; ++steps) {
        kart.m_speed = steps % 2 == 0 ? 2.0f : 0.5f;
        kart.m_position.z = 100.5f + (steps % 2 == 0 ? 0.5f : 0.0f);
        driver->update();
    }
    EXPECT_EQ(kart.m_respawnRequest, 1);
    // A second to settle after GO, then a second of no headway and a second
    // stuck.
    EXPECT_GT(steps, 190);
    EXPECT_LT(steps, 210);
}

TEST(AIKartController, WithoutAPathToFollowItLetsGo)
{
    struct Case {
        const char* name;
        int32_t paths;
        std::vector<Vector3> points;
    };
    const Case cases[] = {
        {"no paths", 0, {}},
        {"a path that did not load", 1, {}},
        {"one point", 1, {{0.0f, 0.0f, 5.0f}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Race race(nullptr, nullptr);
        race.m_started = 1;
        race.m_pathCount = c.paths;
        race.m_paths[0].count = int32_t(c.points.size());
        race.m_paths[0].points = c.points;
        auto* driver = new AIKartController(0);
        Kart* kart = new Kart(nullptr, nullptr, 0, nullptr, driver, driver, nullptr, nullptr, 0);
        race.m_karts[0] = kart;
        race.m_kartCount = 1;
        kart->m_baseForwardSpeed = kart->m_forwardSpeed = kBaseSpeed;
        driver->reset();
        for (int step = 0; step < 300; ++step)
            driver->update();
        EXPECT_EQ(driver->m_throttle, 0.0f);
        EXPECT_EQ(driver->m_steerLeft + driver->m_steerRight + driver->m_brake + driver->m_fire, 0.0f);
        EXPECT_EQ(kart->m_respawnRequest, 0);
    }
}

TEST(AIKartController, BeforeGoItOnlyHoldsTheThrottle)
{
    StraightRace s;
    s.race.m_started = 0;
    auto* driver = new AIKartController(0);
    Kart& kart = s.add(driver, 100.5f);
    kart.m_powerup = Kart::PowerupBoost;
    driver->reset();
    driver->update();
    EXPECT_EQ(driver->m_throttle, 1.0f);
    EXPECT_EQ(driver->m_fire, 0.0f);
    EXPECT_EQ(driver->m_step, 0u);
    EXPECT_EQ(driver->getType(), KartController::Computer);
    EXPECT_TRUE(driver->isAI());
}

TEST(KartController, TheNetworkDriverGivesNothing)
{
    KartController driver;
    driver.update();
    driver.reset();
    EXPECT_EQ(driver.getType(), KartController::Network);
    EXPECT_FALSE(driver.isAI());
    for (float output : {driver.m_steerLeft, driver.m_steerRight, driver.m_throttle, driver.m_brake,
                         driver.m_startBoost, driver.m_falseStart, driver.m_fire, driver.m_reset, driver.m_lookBack})
        EXPECT_EQ(output, 0.0f);
}

} // namespace
