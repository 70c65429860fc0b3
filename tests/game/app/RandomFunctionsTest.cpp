#include "game/app/RandomFunctions.h"

#include "engine/core/math/Random.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The index the weighted draw must answer for the draw r, by the rule.
int32_t expectedIndex(const std::vector<float>& weights, int r)
{
    float total = 0.0f;
    for (float w : weights)
        total += w;
    float sum = 0.0f;
    for (size_t i = 0; i < weights.size(); ++i) {
        sum += weights[i];
        if (total > 0.0f && float(r) <= 32767.0f * sum / total)
            return int32_t(i);
    }
    return weights.empty() ? 0 : int32_t(weights.size()) - 1;
}

TEST(RandomFunctions, RangeAndScaleUseTheEngineGeneratorsRange)
{
    engineSrand(1);
    const int first = engineRand();
    engineSrand(1);
    EXPECT_FLOAT_EQ(randomRange(2.0f, 4.0f), 2.0f + float(first) * 2.0f * 3.0518509e-5f);
    engineSrand(1);
    EXPECT_FLOAT_EQ(randomScaled(10.0f), float(first) * 10.0f * 3.0518509e-5f);

    engineSrand(7);
    for (int i = 0; i < 20000; ++i) {
        const float v = randomRange(-3.0f, 5.0f);
        ASSERT_GE(v, -3.0f);
        ASSERT_LE(v, 5.0f);
        const float s = randomScaled(1.0f);
        ASSERT_GE(s, 0.0f);
        ASSERT_LE(s, 1.0f);
    }
}

TEST(RandomFunctions, WeightedIndexFollowsTheCumulativeBounds)
{
    const std::vector<std::vector<float>> lists = {
        {1.0f},
        {1.0f, 1.0f},
        {0.0f, 3.0f, 1.0f},
        {0.5f, 0.0f, 0.0f, 0.5f},
        {0.0f, 0.0f},
        {},
        {1e-30f, 1e30f, 1e-30f},
    };
    for (const auto& list : lists) {
        SCOPED_TRACE(list.size());
        std::vector<float> terminated = list;
        terminated.push_back(-1.0f);
        terminated.push_back(5.0f); // past the end marker: never read
        engineSrand(99);
        std::vector<int> draws;
        for (int i = 0; i < 500; ++i)
            draws.push_back(engineRand());
        engineSrand(99);
        for (int r : draws) {
            const int32_t index = randomWeightedIndex(terminated.data());
            ASSERT_EQ(index, expectedIndex(list, r)) << "r " << r;
            ASSERT_LT(index, std::max<int32_t>(1, int32_t(list.size())));
        }
    }
}

} // namespace
