// Whole races of computer drivers, headless on the recording device: on each
// circuit of our packed data set three laps in which every kart comes in and
// none stays stuck or leaves the level; on each arena a last man standing
// among computers only that ends by its rule; and on the tests' ring a player
// from the back of the grid whom the rubber band lets win. Each kart's lap
// times are printed.
#include "RaceRig.h"

#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/math/Random.h"
#include "engine/core/io/DiskFile.h"
#include "game/app/ConfigRecords.h"
#include "game/race/AIKartController.h"
#include "game/race/HumanKartController.h"
#include "game/race/Kart.h"
#include "game/race/VectorOps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int32_t kLaps = 3;
// The power-up rolls and path changes draw from the engine's generator,
// which the application seeds from the clock: the races here draw the same
// numbers every time.
constexpr uint32_t kSeed = 1;
// The longest frame the race steps whole (20 steps).
constexpr double kFrame = 0.2;
// Longer than three laps of any circuit take, and than any arena fight.
constexpr double kRaceLimit = 600.0;
// A kart that has not moved this far for this long is stuck.
constexpr float kStuckDistance = 3.0f;
constexpr double kStuckSeconds = 5.0;
// How far beyond its map a kart may be and still be on the level.
constexpr float kWorldMargin = 50.0f;
constexpr float kWorldFloor = -30.0f;
// The rubber band's bound: a player who starts last and drives at three
// quarters of the computers' pace comes in at most this long after the
// first (without the band, a quarter of the race time after it).
constexpr float kPlayerBehindFirst = 10.0f;
// The player drives the computer's line at this share of its speed.
constexpr float kPlayerPace = 0.75f;
// Slots for the levels of each kind, one test case each so that they run side
// by side; more levels than slots fail the first case.
constexpr int32_t kCircuitSlots = 8;
constexpr int32_t kArenaSlots = 4;
// The energy the karts of an arena fight start with (of 100): one hit each.
constexpr int32_t kArenaEnergy = 5;
// How long the computers fight it out alone.
constexpr double kArenaFight = 60.0;

// Gives the player's kart the computer's grip and steering.
void driveLikeAComputer(Kart& player, const Kart& computer)
{
    player.m_mu = computer.m_mu;
    player.m_slip = computer.m_slip;
    player.m_drift = computer.m_drift;
    player.m_driftExp = computer.m_driftExp;
    player.m_steerAngle = computer.m_steerAngle;
    player.m_steerAngleMin = computer.m_steerAngleMin;
    player.m_reverseThreshold = computer.m_reverseThreshold;
}

// A driver at the keyboard who keeps to the computer's line a little slower
// than the computer: it holds the race open, and it is the leader the
// computers' rubber band measures against.
class SteadyPlayer : public AIKartController {
public:
    SteadyPlayer() : AIKartController(0) {}
    int32_t getType() const override { return Human; }
    void update() override
    {
        AIKartController::update();
        const Race* race = Race::current();
        if (m_kart && race && race->m_started)
            m_kart->m_forwardSpeed *= kPlayerPace;
    }
};

// What the test sees of each kart, frame by frame.
struct KartWatch {
    int32_t lap = 0;
    std::vector<float> lapTimes;
    Vector3 anchor;
    double anchoredAt = 0.0;
    double longestStill = 0.0;
    bool leftWorld = false;
    Vector3 whereLeft;
};

class RaceWatch {
public:
    RaceWatch(const Race& race, const MapRect& area, int32_t laps)
        : m_race(race), m_area(area), m_laps(laps), m_karts(size_t(race.m_kartCount))
    {
    }

    void observe()
    {
        const double clock = m_race.raceClock();
        for (int32_t i = 0; i < m_race.m_kartCount; ++i) {
            const Kart& kart = *m_race.m_karts[i];
            KartWatch& w = m_karts[size_t(i)];
            if (kart.m_lap > w.lap) {
                // The first crossing of the line starts lap 1; the laps
                // after the last are the finish driver's.
                if (w.lap >= 1 && w.lap <= m_laps && kart.m_lapTime > 0.0f)
                    w.lapTimes.push_back(kart.m_lapTime);
                w.lap = kart.m_lap;
            }
            const Vector3& p = kart.m_position;
            if (!w.leftWorld && (p.y < kWorldFloor || p.x < m_area.xmin - kWorldMargin ||
                                 p.x > m_area.xmax + kWorldMargin || p.z < m_area.zmin - kWorldMargin ||
                                 p.z > m_area.zmax + kWorldMargin)) {
                w.leftWorld = true;
                w.whereLeft = p;
            }
            if (!m_race.m_started || kart.m_finished || vec::distance(p, w.anchor) > kStuckDistance) {
                w.anchor = p;
                w.anchoredAt = clock;
            }
            w.longestStill = std::max(w.longestStill, clock - w.anchoredAt);
        }
    }

    void print(const std::string& level) const
    {
        for (int32_t i = 0; i < m_race.m_kartCount; ++i) {
            const Kart& kart = *m_race.m_karts[i];
            std::string line = level + " kart " + std::to_string(i) + ":";
            for (float t : m_karts[size_t(i)].lapTimes)
                line += " " + std::to_string(t).substr(0, 6);
            line += kart.m_finished ? "  in at " + std::to_string(kart.m_finishTime).substr(0, 6) : "  not in";
            std::printf("%s\n", line.c_str());
        }
    }

    // No kart left the level, and with `moving` none stood stuck.
    void expectSound(bool moving) const
    {
        for (int32_t i = 0; i < m_race.m_kartCount; ++i) {
            const KartWatch& w = m_karts[size_t(i)];
            EXPECT_FALSE(w.leftWorld) << "kart " << i << " left the level at " << w.whereLeft.x << ", "
                                      << w.whereLeft.y << ", " << w.whereLeft.z;
            if (moving)
                EXPECT_LE(w.longestStill, kStuckSeconds) << "kart " << i;
        }
    }

    const KartWatch& kart(int32_t i) const { return m_karts[size_t(i)]; }

private:
    const Race& m_race;
    MapRect m_area;
    int32_t m_laps;
    std::vector<KartWatch> m_karts;
};

class DataSetRace : public ::testing::Test {
protected:
    // The level of the given list at `index`; null (the case skipped) past
    // its end.
    const LevelInfo* mount(bool arenas, int32_t index, int32_t slots)
    {
        engineSrand(kSeed);
        const std::string packed = std::string(std::getenv("VORLUND_BINARY_DIR")) + "/bin/data.sar";
        EXPECT_TRUE(m_data.mount(m_disk, packed.c_str())) << packed;
        EXPECT_TRUE(m_rig.app->m_config.loadConfig(m_data)) << m_rig.app->m_config.error();
        const GameConfig& config = m_rig.app->m_config;
        const std::vector<std::string>& names = arenas ? config.lastManStandingTracks() : config.singleRaceTracks();
        EXPECT_FALSE(names.empty());
        EXPECT_LE(names.size(), size_t(slots));
        if (size_t(index) >= names.size())
            return nullptr;
        const LevelInfo* level = config.findLevel(names[size_t(index)]);
        EXPECT_NE(level, nullptr) << names[size_t(index)];
        return level;
    }

    RaceSetup& setUp(const LevelInfo& level)
    {
        RaceSetup& setup = m_rig.setUp(Race::kMaxKarts, 4, level.name);
        const std::vector<KartInfo>& karts = m_rig.app->m_config.karts();
        for (int32_t i = 0; i < Race::kMaxKarts; ++i)
            setup.kartName[i] = karts[size_t(i) % karts.size()].name;
        return setup;
    }

    // Frames until the results are shown (or the limit passes).
    void runToResults(RaceWatch& watch)
    {
        TestRace& race = *m_rig.race;
        while (race.m_countdownPhase != 6 && race.raceClock() < kRaceLimit) {
            m_rig.frame(kFrame);
            watch.observe();
        }
    }

    RaceRig m_rig;
    ArchiveFile m_data;
    DiskFile m_disk{""};
};

class Circuit : public DataSetRace, public ::testing::WithParamInterface<int32_t> {};

TEST_P(Circuit, ComputersDriveThreeLapsAndAllComeIn)
{
    const LevelInfo* level = mount(false, GetParam(), kCircuitSlots);
    if (!level)
        GTEST_SKIP() << "no circuit " << GetParam();
    SCOPED_TRACE(level->name);
    // Seven computers; kart 0 is built as a player's kart and handed to its
    // computer driver at GO, as a player's kart is at the finish.
    RaceSetup& setup = setUp(*level);
    TestRace& race = m_rig.make();
    race.m_controllerMaker = [this](int32_t player) -> KartController* {
        return player == 0 ? new HumanKartController(&m_rig.input, 1) : nullptr;
    };
    race.m_finishControllerMaker = [](int32_t) { return new AIKartController(0); };
    race.load(&m_data, setup, &m_rig.input);
    ASSERT_TRUE(race.loaded());
    ASSERT_EQ(race.m_kartCount, Race::kMaxKarts);

    m_rig.startRace();
    m_rig.input.m_keys[0x39] = 0;
    ASSERT_TRUE(race.m_started) << "a race of computers only starts";
    race.m_karts[0]->switchToFinishController();
    ASSERT_EQ(race.m_karts[0]->m_controller->getType(), KartController::Computer);

    RaceWatch watch(race, level->posmapRect, kLaps);
    runToResults(watch);
    watch.print(level->name);
    ASSERT_EQ(race.m_countdownPhase, 6) << "the race did not end in " << kRaceLimit << " s";
    watch.expectSound(true);
    float first = race.m_karts[0]->m_finishTime, last = first;
    for (int32_t i = 0; i < race.m_kartCount; ++i) {
        const Kart& kart = *race.m_karts[i];
        // Over the line on its own wheels, not given an estimated time.
        EXPECT_GT(kart.m_lap, kLaps) << "kart " << i;
        EXPECT_EQ(watch.kart(i).lapTimes.size(), size_t(kLaps)) << "kart " << i;
        first = std::min(first, kart.m_finishTime);
        last = std::max(last, kart.m_finishTime);
    }
    std::printf("%s: first in at %.1f s, last %.1f s later\n", level->name.c_str(), first, last - first);
}

INSTANTIATE_TEST_SUITE_P(Levels, Circuit, ::testing::Range(0, kCircuitSlots));

class Arena : public DataSetRace, public ::testing::WithParamInterface<int32_t> {};

TEST_P(Arena, ComputersAloneFightItOutToTheLastKart)
{
    const LevelInfo* level = mount(true, GetParam(), kArenaSlots);
    if (!level)
        GTEST_SKIP() << "no arena " << GetParam();
    SCOPED_TRACE(level->name);
    RaceSetup& setup = setUp(*level);
    setup.gameType = Race::LastManStanding;
    setup.laps = -1;
    TestRace& race = m_rig.make();
    race.load(&m_data, setup, &m_rig.input);
    ASSERT_TRUE(race.loaded());
    m_rig.startRace();
    ASSERT_TRUE(race.m_started) << "a race of computers only starts";
    // Late in a fight: every kart is down to its last hits.
    for (int32_t i = 0; i < race.m_kartCount; ++i)
        race.m_karts[i]->setEnergy(kArenaEnergy);

    RaceWatch watch(race, level->posmapRect, 0);
    int32_t outBeforeEnd = 0;
    double nextKnockOut = race.raceClock() + kArenaFight;
    while (race.m_countdownPhase != 6 && race.raceClock() < kRaceLimit) {
        outBeforeEnd = 0;
        int32_t lastIn = -1;
        for (int32_t i = 0; i < race.m_kartCount; ++i) {
            const bool out = race.m_karts[i]->energy() < 1;
            outBeforeEnd += out ? 1 : 0;
            lastIn = out ? lastIn : i;
        }
        // Two computers can circle the arena apart for a long time: after
        // the fight's time the referee puts the last one in out, a kart a
        // second, until one is left.
        if (race.raceClock() >= nextKnockOut && outBeforeEnd < race.m_kartCount - 1) {
            race.m_karts[lastIn]->setEnergy(0);
            ++outBeforeEnd;
            nextKnockOut = race.raceClock() + 1.0;
        }
        m_rig.frame(kFrame);
        watch.observe();
    }
    watch.print(level->name);
    ASSERT_EQ(race.m_countdownPhase, 6) << "the fight did not end in " << kRaceLimit << " s";
    // The karts that are out stay where they stopped, in the others' way:
    // a kart may be jammed among them for a while.
    watch.expectSound(false);
    // Ended when all but one had run out of energy.
    EXPECT_EQ(outBeforeEnd, race.m_kartCount - 1);
    // The survivor comes in a second after the last kart out.
    std::vector<float> times;
    for (int32_t i = 0; i < race.m_kartCount; ++i) {
        EXPECT_TRUE(race.m_karts[i]->m_finished);
        times.push_back(race.m_karts[i]->m_finishTime);
    }
    std::sort(times.begin(), times.end());
    EXPECT_NEAR(times[times.size() - 1] - times[times.size() - 2], 1.0f, 1e-3f);
}

INSTANTIATE_TEST_SUITE_P(Levels, Arena, ::testing::Range(0, kArenaSlots));

// Progress along the race: laps and the position map; -1 near the line,
// where the lap counter and the map do not turn over at the same place.
int32_t progress(const Race& race, const Kart& kart)
{
    const int32_t value = race.positionValue(kart.m_position);
    return value < 8 || value > 247 ? -1 : kart.m_lap * 256 + value;
}

// A player slower than the computers, from the back of the grid on the
// tests' ring: the rubber band holds the computers ahead back, so that the
// player can still win.
TEST(RubberBand, APlayerFromTheBackStaysInTheRace)
{
    RaceRig rig;
    engineSrand(kSeed);
    RaceSetup& setup = rig.setUp(Race::kMaxKarts, 4);
    // The player starts from the back of the grid.
    setup.playerType[0] = 1;
    std::swap(setup.startSlot[0], setup.startSlot[Race::kMaxKarts - 1]);
    TestRace& race = rig.make();
    race.m_controllerMaker = [](int32_t player) -> KartController* {
        return player == 0 ? new SteadyPlayer() : nullptr;
    };
    race.m_finishControllerMaker = [](int32_t) { return new AIKartController(0); };
    race.load(&rig.fixture.files(), setup, &rig.input);
    ASSERT_TRUE(race.loaded());
    const LevelInfo* level = rig.app->m_config.findLevel(setup.level);
    ASSERT_NE(level, nullptr);
    driveLikeAComputer(*race.m_karts[0], *race.m_karts[1]);
    rig.startRace();
    rig.input.m_keys[0x39] = 0;
    ASSERT_TRUE(race.m_started);

    RaceWatch watch(race, level->posmapRect, kLaps);
    const Kart& player = *race.m_karts[0];
    int32_t mostLead = 0;
    while (race.m_countdownPhase != 6 && race.raceClock() < kRaceLimit) {
        rig.frame(kFrame);
        watch.observe();
        const int32_t own = progress(race, player);
        for (int32_t i = 1; i < race.m_kartCount && own >= 0; ++i) {
            const Kart& kart = *race.m_karts[i];
            const int32_t theirs = progress(race, kart);
            if (!kart.m_finished && theirs >= 0)
                mostLead = std::max(mostLead, theirs - own);
        }
    }
    watch.print("ring");
    float first = player.m_finishTime;
    for (int32_t i = 0; i < race.m_kartCount; ++i)
        if (race.m_karts[i]->m_lap > kLaps)
            first = std::min(first, race.m_karts[i]->m_finishTime);
    std::printf("ring: the computers led the player by at most %d units; the player came in %.1f s after the first\n",
                mostLead, player.m_finishTime - first);
    ASSERT_EQ(race.m_countdownPhase, 6) << "the player did not come in in " << kRaceLimit << " s";
    watch.expectSound(true);
    EXPECT_LE(player.m_finishTime - first, kPlayerBehindFirst);
}

} // namespace
