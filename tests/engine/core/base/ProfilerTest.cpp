#include "engine/core/base/EngineLog.h"
#include "engine/core/base/Profiler.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(Profiler, SectionsAccumulateAndReport)
{
    Profiler::reset();
    EXPECT_EQ(Profiler::registerSection("physics"), 0);
    EXPECT_EQ(Profiler::registerSection("idle"), 1);
    EXPECT_EQ(Profiler::count(), 2);

    for (uint64_t d : {5, 2, 9})
        Profiler::record(0, d);
    const ProfileEntry& e = Profiler::entry(0);
    EXPECT_EQ(e.execs, 3u);
    EXPECT_EQ(e.clocks, 16u);
    EXPECT_EQ(e.min, 2u);
    EXPECT_EQ(e.max, 9u);
    EXPECT_EQ(e.last, 9u);

    Profiler::start(1);
    Profiler::stop(1);
    EXPECT_EQ(Profiler::entry(1).execs, 1u);
    Profiler::entry(1) = ProfileEntry{"idle"};

    std::ostringstream log;
    setEngineLogSink(&log);
    Profiler::report();
    setEngineLogSink(nullptr);
    EXPECT_EQ(log.str(),
              "----------- Profiling report --------------\n"
              "                     name     execs        clocks    average      min        max\n"
              "physics                  :        3            16          5        2          9\n"
              "idle                     :        0             0          0        0          0\n");
    Profiler::reset();
}

TEST(Profiler, UnknownIndexDoesNotTouchTheTable)
{
    Profiler::reset();
    Profiler::registerSection("only");
    Profiler::record(5, 10);
    Profiler::stop(-1);
    EXPECT_EQ(Profiler::entry(0).execs, 0u);
    Profiler::reset();
}

TEST(Profiler, KeptSectionsRegisterAgainAfterAReset)
{
    // Measured code keeps its section in a function-level static. After a
    // reset its old index belongs to whatever registers first: the kept
    // section must measure into an entry of its own name, never that one.
    Profiler::reset();
    static ProfileSection kept("kept");
    EXPECT_EQ(kept.index(), 0);
    EXPECT_EQ(kept.index(), 0); // registered once, not on every use
    Profiler::record(kept.index(), 4);

    Profiler::reset();
    EXPECT_EQ(Profiler::registerSection("newcomer"), 0);
    Profiler::record(kept.index(), 7);
    ASSERT_EQ(Profiler::count(), 2);
    EXPECT_STREQ(Profiler::entry(1).name, "kept");
    EXPECT_EQ(Profiler::entry(1).execs, 1u);
    EXPECT_EQ(Profiler::entry(1).clocks, 7u);
    EXPECT_EQ(Profiler::entry(0).execs, 0u);
    Profiler::reset();
}
