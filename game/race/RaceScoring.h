#pragma once
// The rules by which a finished race is ranked and paid: the order of the
// karts by their finish times, the times estimated for karts still under
// way, the kudos and season points a career race books, and the time a
// results row shows. Free of the race itself, so that each rule can be
// checked on its own.
#include <cstdint>
#include <functional>
#include <string>

namespace scoring {

constexpr int32_t kMaxKarts = 7;
// Position-map values run 0 to 255 along one lap.
constexpr int32_t kLapUnits = 255;

// What one career race books for a player.
struct Award {
    int32_t kudos = 0;
    int32_t seasonPoints = 0;
};

// The career award of a rank (0 first) in a race kind (0 single race,
// 1 coin race, 2 timed run, 3 last man standing): `coins` counts in a coin
// race, `margin` (target time minus finish time, seconds) in a timed run.
// Season points go by rank in every kind; an unknown kind pays no kudos.
Award careerAward(int32_t kind, int32_t rank, int32_t coins, float margin);

// Fills order[0..count) with the kart indices sorted by finish time,
// smallest first, and rank[kart] with each kart's rank. A kart whose time
// equals that of a kart before it in kart order goes in front of it. In last
// man standing the kart out last ranks first: rank = count - 1 - position.
void rankByTime(const float* finishTimes, int32_t count, bool lastManStanding, int32_t* order, int32_t* rank);

// A kart still under way when the race is over.
struct Unfinished {
    int32_t lap = 0;           // its lap counter
    int32_t positionValue = 0; // the position map under it, 0 to 255
};

// Estimated finish times for the karts still under way, in kart order,
// behind the latest finish time `latest` of a race of `laps` laps: each one
// 0.1 s to 1.0 s after the one before (`random` answers 0..32767), plus the
// rest of its laps and of the current lap at the average pace of `latest`.
// The rest of a kart's own way does not carry into the next one's.
void estimateFinishTimes(float latest, int32_t laps, const Unfinished* karts, int32_t count, float* times,
                         const std::function<int()>& random);

// The time a results row shows: "--:--:--" for a race given up; in a timed
// run the margin to the target time, "-" and the formatted amount when the
// kart was slower than the target, else "+" and the amount; otherwise the
// finish time. Formatted as minutes, seconds and hundredths.
std::string resultTime(float finishTime, bool givenUp, bool timedRun, float targetTime);

// Minutes, seconds and hundredths ("%02d:%02d:%02d"), from the whole
// milliseconds; "--:--:--" below 0 (or no number) and "59:59:99" from an
// hour on. The menu's highscores and ranking show times the same way.
std::string formatTime(float seconds);

} // namespace scoring
