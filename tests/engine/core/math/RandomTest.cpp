#include "engine/core/math/Random.h"

#include <gtest/gtest.h>

TEST(EngineRandom, FollowsTheRuntimeSequence)
{
    engineSrand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int e : expected)
        EXPECT_EQ(engineRand(), e);
    engineSrand(1);
    EXPECT_EQ(engineRand(), 41);
    for (int i = 0; i < 1000; ++i) {
        const int r = engineRand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, ENGINE_RAND_MAX);
    }
}
