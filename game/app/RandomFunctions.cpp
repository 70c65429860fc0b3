#include "game/app/RandomFunctions.h"

#include "engine/core/math/Random.h"

#include <algorithm>

namespace {
// The float nearest 1 / 32767.
constexpr float kInverseRandMax = 3.0518509e-5f;
} // namespace

float randomRange(float low, float high)
{
    const float value = low + float(engineRand()) * (high - low) * kInverseRandMax;
    // The factor is a hair above 1 / 32767, so the top draw may round past high.
    return low <= high ? std::clamp(value, low, high) : std::clamp(value, high, low);
}

float randomScaled(float max)
{
    const float value = float(engineRand()) * max * kInverseRandMax;
    return max >= 0.0f ? std::min(value, max) : std::max(value, max);
}

int32_t randomWeightedIndex(const float* weights)
{
    int32_t count = 0;
    float total = 0.0f;
    while (weights[count] >= 0.0f)
        total += weights[count++];
    if (count == 0)
        return 0;
    const float r = float(engineRand());
    float sum = 0.0f;
    for (int32_t i = 0; i < count; ++i) {
        sum += weights[i];
        // With a total of 0 no bound holds and the last index answers.
        if (total > 0.0f && r <= float(ENGINE_RAND_MAX) * sum / total)
            return i;
    }
    return count - 1;
}
