#pragma once
// The race set-up selectors' steps and labels, shared by the set-up screens
// and the lobby: class, laps and game kind with their texts, and a step
// through a list.
#include <cstddef>
#include <cstdint>

namespace selector {

inline int32_t classText(int32_t ccm)
{
    return 2000 + 10 * ccm;
}

inline int32_t lapsText(int32_t laps)
{
    return laps == 8 ? 2037 : laps == 5 ? 2034 : 2032;
}

inline int32_t gameText(int32_t gameType)
{
    return gameType == 3 ? 5020 : 5010;
}

// One step through a list of `count` entries, wrapping; an empty list keeps 0.
inline int32_t wrapStep(int32_t index, int32_t step, size_t count)
{
    if (count == 0)
        return 0;
    const int32_t n = int32_t(count);
    return ((index + step) % n + n) % n;
}

// The laps cycle 3, 5, 8; any other value stays as it is.
inline int32_t lapsStep(int32_t laps, int32_t step)
{
    static const int32_t kLaps[3] = {3, 5, 8};
    for (int32_t i = 0; i < 3; ++i)
        if (kLaps[i] == laps)
            return kLaps[wrapStep(i, step, 3)];
    return laps;
}

// Class 0, 1, 2 in a ring; any other value stays as it is.
inline int32_t classStep(int32_t ccm, int32_t step)
{
    return ccm >= 0 && ccm <= 2 ? wrapStep(ccm, step, 3) : ccm;
}

} // namespace selector
