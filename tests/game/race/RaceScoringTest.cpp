// The rules that rank and pay a finished race, case by case.
#include "game/race/RaceScoring.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TEST(RaceScoring, CareerAwardsByKindRankCoinsAndMargin)
{
    struct Case {
        const char* name;
        int32_t kind, rank, coins;
        float margin;
        int32_t kudos, points;
    };
    const Case cases[] = {
        {"single race won", 0, 0, 9, 0.0f, 50, 3},
        {"single race second", 0, 1, 0, 0.0f, 25, 2},
        {"single race third", 0, 2, 0, 0.0f, 10, 1},
        {"single race fourth", 0, 3, 0, 0.0f, 0, 0},
        {"single race last", 0, 6, 0, 0.0f, 0, 0},
        {"coin race won with 4 coins", 1, 0, 4, 0.0f, 60, 3},
        {"coin race second with 4 coins", 1, 1, 4, 0.0f, 40, 2},
        {"coin race third with 4 coins", 1, 2, 4, 0.0f, 20, 1},
        {"coin race fifth with 4 coins", 1, 4, 4, 0.0f, 4, 0},
        {"coin race won without coins", 1, 0, 0, 0.0f, 0, 3},
        {"timed run 21 s under", 2, 0, 0, 21.0f, 150, 3},
        {"timed run 20 s under", 2, 0, 0, 20.0f, 100, 3},
        {"timed run 12 s under", 2, 0, 0, 12.0f, 100, 3},
        {"timed run 10 s under", 2, 0, 0, 10.0f, 50, 3},
        {"timed run just under", 2, 1, 0, 0.01f, 50, 2},
        {"timed run on the target", 2, 0, 0, 0.0f, 0, 3},
        {"timed run over the target", 2, 0, 0, -5.0f, 0, 3},
        {"last man standing won", 3, 0, 5, 30.0f, 0, 3},
        {"last man standing third", 3, 2, 0, 0.0f, 0, 1},
        {"an unknown kind pays points only", 7, 0, 3, 30.0f, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const scoring::Award award = scoring::careerAward(c.kind, c.rank, c.coins, c.margin);
        EXPECT_EQ(award.kudos, c.kudos);
        EXPECT_EQ(award.seasonPoints, c.points);
    }
}

TEST(RaceScoring, RanksGoByFinishTimeTiesToTheLaterKart)
{
    struct Case {
        const char* name;
        std::vector<float> times;
        bool lastManStanding;
        std::vector<int32_t> order, rank;
    };
    const Case cases[] = {
        {"in order", {10.0f, 11.0f, 12.0f}, false, {0, 1, 2}, {0, 1, 2}},
        {"reversed", {12.0f, 11.0f, 10.0f}, false, {2, 1, 0}, {2, 1, 0}},
        {"a tie puts the later kart in front", {10.0f, 10.0f, 9.0f}, false, {2, 1, 0}, {2, 1, 0}},
        {"all equal: the last kart first", {5.0f, 5.0f, 5.0f, 5.0f}, false, {3, 2, 1, 0}, {3, 2, 1, 0}},
        {"last man standing: out last is first", {3.0f, 8.0f, 5.0f}, true, {0, 2, 1}, {2, 0, 1}},
        {"one kart", {42.0f}, false, {0}, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t n = int32_t(c.times.size());
        std::vector<int32_t> order(size_t(n), -1), rank(size_t(n), -1);
        scoring::rankByTime(c.times.data(), n, c.lastManStanding, order.data(), rank.data());
        EXPECT_EQ(order, c.order);
        EXPECT_EQ(rank, c.rank);
    }
}

TEST(RaceScoring, KartsStillUnderWayFinishBehindTheLastOneAtItsPace)
{
    // The last finish at 153 s over three laps: 0.2 s a position unit.
    const float latest = 153.0f;
    const int32_t laps = 3;
    const float unit = latest / (3.0f * 255.0f);
    struct Case {
        const char* name;
        std::vector<scoring::Unfinished> karts;
        std::vector<int> randoms;
        std::vector<float> times;
    };
    const Case cases[] = {
        {"on the line of the last lap",
         {{3, 255}},
         {0},
         {latest + 0.1f}},
        {"half a lap to go, the slowest gap",
         {{3, 127}},
         {32767},
         {latest + 1.0f + 128.0f * unit}},
        {"the gaps add up, the rest of the way does not",
         {{2, 0}, {3, 255}, {1, 255}},
         {0, 0, 32767},
         {latest + 0.1f + 255.0f * unit + 255.0f * unit, latest + 0.2f, latest + 1.2f + 2.0f * 255.0f * unit}},
        {"a lap counter past the laps adds no laps",
         {{5, 255}},
         {0},
         {latest + 0.1f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        size_t next = 0;
        std::vector<float> times(c.karts.size(), -1.0f);
        scoring::estimateFinishTimes(latest, laps, c.karts.data(), int32_t(c.karts.size()), times.data(),
                                     [&] { return c.randoms[next++]; });
        EXPECT_EQ(next, c.randoms.size());
        for (size_t i = 0; i < times.size(); ++i)
            EXPECT_NEAR(times[i], c.times[i], 1e-3f) << i;
    }
    // Without laps there is no pace: only the gaps.
    const scoring::Unfinished kart{0, 0};
    float time = 0.0f;
    scoring::estimateFinishTimes(10.0f, 0, &kart, 1, &time, [] { return 0; });
    EXPECT_FLOAT_EQ(time, 10.1f);
}

TEST(RaceScoring, TimesAreMinutesSecondsAndHundredths)
{
    const std::pair<float, const char*> cases[] = {
        {61.234f, "01:01:23"}, {0.0f, "00:00:00"},     {-1.0f, "--:--:--"},   {3599.999f, "59:59:99"},
        {7200.0f, "59:59:99"}, {3600.0f, "59:59:99"},  {0.009f, "00:00:00"},  {59.99f, "00:59:99"},
        {600.5f, "10:00:50"},  {-0.001f, "--:--:--"}, {std::nanf(""), "--:--:--"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(scoring::formatTime(seconds), text) << seconds;
}

TEST(RaceScoring, AResultRowShowsTheTimeTheMarginOrNothing)
{
    struct Case {
        const char* name;
        float finish;
        bool givenUp, timedRun;
        float target;
        const char* text;
    };
    const Case cases[] = {
        {"a race's finish time", 75.5f, false, false, 0.0f, "01:15:50"},
        {"a race given up", 75.5f, true, false, 0.0f, "--:--:--"},
        {"a timed run given up", 75.5f, true, true, 60.0f, "--:--:--"},
        {"a timed run 12 s under the target", 48.0f, false, true, 60.0f, "+00:12:00"},
        {"a timed run on the target", 60.0f, false, true, 60.0f, "+00:00:00"},
        {"a timed run 2.5 s over the target", 62.5f, false, true, 60.0f, "-00:02:50"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(scoring::resultTime(c.finish, c.givenUp, c.timedRun, c.target), c.text);
    }
}

} // namespace
