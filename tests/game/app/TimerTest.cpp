#include "game/app/Timer.h"

#include "support/FakeClock.h"

#include <gtest/gtest.h>

TEST(Timer, StoppedAfterConstructionAndStartExcludesWhatCameBefore)
{
    FakeClock clock;
    Timer timer;
    EXPECT_EQ(timer.m_running, 0);
    EXPECT_DOUBLE_EQ(timer.m_speedFactor, 1.0);
    clock.advanceSeconds(5.0); // loading
    EXPECT_DOUBLE_EQ(timer.getSeconds(), 0.0);
    timer.start();
    clock.advanceSeconds(0.02);
    timer.update();
    // The first frame is the time since the start, not since construction.
    EXPECT_NEAR(timer.m_frameTime, 0.02, 1e-9);
    EXPECT_NEAR(timer.m_total, 0.02, 1e-9);
    EXPECT_EQ(timer.m_frames, 1u);
}

TEST(Timer, StoppedSpanIsLeftOut)
{
    FakeClock clock;
    Timer timer;
    timer.start();
    clock.advanceSeconds(1.0);
    timer.stop();
    timer.stop(); // a second stop keeps the first stop's count
    clock.advanceSeconds(3.0);
    EXPECT_NEAR(timer.getSeconds(), 1.0, 1e-9);
    timer.start();
    timer.start();
    clock.advanceSeconds(0.5);
    EXPECT_NEAR(timer.getSeconds(), 1.5, 1e-9);
}

TEST(Timer, UpdatesWithinAMicrosecondAreOneFrame)
{
    FakeClock clock;
    Timer timer;
    timer.start();
    clock.advanceSeconds(0.016);
    timer.update();
    const double frame = timer.m_frameTime, total = timer.m_total;
    clock.advanceNanoseconds(900);
    timer.update();
    clock.advanceNanoseconds(900); // 1.8 us in all, but never 1 us between two updates
    timer.update();
    EXPECT_EQ(timer.m_frameTime, frame);
    EXPECT_EQ(timer.m_total, total);
    EXPECT_EQ(timer.m_frames, 1u);
    // The skipped microsecond is not carried into the next frame.
    clock.advanceSeconds(0.01);
    timer.update();
    EXPECT_NEAR(timer.m_frameTime, 0.01, 1e-9);
}

TEST(Timer, SpeedFactorScalesFramesButNotFramesPerSecond)
{
    struct Case {
        double speed;
        double frame;
        int frames;
        double total;
        double fps;
    };
    const Case cases[] = {
        {1.0, 0.1, 5, 0.5, 10.0},
        {2.0, 0.1, 5, 1.0, 10.0},
        {0.5, 0.05, 20, 0.5, 20.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        FakeClock clock;
        Timer timer;
        timer.m_speedFactor = c.speed;
        timer.start();
        for (int i = 0; i < c.frames; ++i) {
            clock.advanceSeconds(c.frame);
            timer.update();
        }
        EXPECT_NEAR(timer.m_total, c.total, 1e-9);
        EXPECT_NEAR(timer.m_frameTime, c.frame * c.speed, 1e-9);
        EXPECT_NEAR(timer.m_framesPerSecond, c.fps, 1e-6);
        EXPECT_EQ(timer.m_frames, 0u);
        EXPECT_NEAR(timer.m_lastFpsTime, c.frame * c.frames, 1e-9);
    }
}

TEST(Timer, FramesPerSecondWaitsForHalfASecond)
{
    FakeClock clock;
    Timer timer;
    timer.start();
    for (int i = 0; i < 4; ++i) {
        clock.advanceSeconds(0.1);
        timer.update();
    }
    EXPECT_EQ(timer.m_framesPerSecond, 0.0);
    EXPECT_EQ(timer.m_frames, 4u);
}
