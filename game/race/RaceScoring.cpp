#include "game/race/RaceScoring.h"

#include <cmath>
#include <cstdio>

namespace scoring {

namespace {

// The race kinds of the set-up's game type.
enum Kind : int32_t { SingleRace = 0, CoinRace = 1, TimedRun = 2, LastManStanding = 3 };

// The pay of the first three places; every other place gets the last entry.
constexpr int32_t kRaceKudos[4] = {50, 25, 10, 0};
constexpr int32_t kCoinKudosPerCoin[4] = {15, 10, 5, 1};
constexpr int32_t kSeasonPoints[4] = {3, 2, 1, 0};

int32_t place(int32_t rank)
{
    return rank >= 0 && rank < 3 ? rank : 3;
}

} // namespace

Award careerAward(int32_t kind, int32_t rank, int32_t coins, float margin)
{
    Award award;
    award.seasonPoints = kSeasonPoints[place(rank)];
    switch (kind) {
    case SingleRace:
        award.kudos = kRaceKudos[place(rank)];
        break;
    case CoinRace:
        award.kudos = kCoinKudosPerCoin[place(rank)] * coins;
        break;
    case TimedRun:
        award.kudos = margin > 20.0f ? 150 : margin > 10.0f ? 100 : margin > 0.0f ? 50 : 0;
        break;
    default:
        break;
    }
    return award;
}

void rankByTime(const float* finishTimes, int32_t count, bool lastManStanding, int32_t* order, int32_t* rank)
{
    for (int32_t i = 0; i < count; ++i) {
        int32_t j = i;
        while (j > 0 && finishTimes[order[j - 1]] >= finishTimes[i]) {
            order[j] = order[j - 1];
            --j;
        }
        order[j] = i;
    }
    for (int32_t position = 0; position < count; ++position)
        rank[order[position]] = lastManStanding ? count - 1 - position : position;
}

void estimateFinishTimes(float latest, int32_t laps, const Unfinished* karts, int32_t count, float* times,
                         const std::function<int()>& random)
{
    // The average time per position-map unit; nothing to add without laps.
    const float unit = laps > 0 ? latest / (float(laps) * float(kLapUnits)) : 0.0f;
    float base = latest;
    for (int32_t i = 0; i < count; ++i) {
        // 0.9 / 32767: 0.1 s to 1.0 s behind the one before.
        base = base + 0.1f + float(random()) * 2.7466658e-5f;
        const int32_t lapsLeft = laps - karts[i].lap > 0 ? laps - karts[i].lap : 0;
        times[i] = base + float(lapsLeft) * float(kLapUnits) * unit +
                   float(kLapUnits - karts[i].positionValue) * unit;
    }
}

std::string formatTime(float seconds)
{
    if (!(seconds >= 0.0f))
        return "--:--:--";
    if (seconds >= 3600.0f)
        return "59:59:99";
    const int64_t ms = int64_t(double(seconds) * 1000.0);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", int(ms / 60000 % 60), int(ms / 1000 % 60),
                  int(ms / 10 % 100));
    return text;
}

std::string resultTime(float finishTime, bool givenUp, bool timedRun, float targetTime)
{
    if (givenUp)
        return "--:--:--";
    if (!timedRun)
        return formatTime(finishTime);
    const float margin = targetTime - finishTime;
    return margin < 0.0f ? "-" + formatTime(-margin) : "+" + formatTime(margin);
}

} // namespace scoring
