#pragma once
#include <cstdint>
#include <vector>

// One timing section, measured in time-stamp counter ticks.
struct ProfileEntry {
    const char* name = nullptr; // the caller's constant text, not copied
    uint32_t execs = 0;
    uint64_t clocks = 0;
    uint64_t min = 0;
    uint64_t max = 0;
    uint64_t start = 0;
    uint64_t last = 0;
};

// The process-wide table of named timing sections. A measurement stores the
// counter in its entry's `start` (start()) and closes with stop().
class Profiler {
public:
    static int32_t registerSection(const char* name);
    static int32_t count();
    static ProfileEntry& entry(int32_t index);

    static uint64_t timeStamp();
    static void start(int32_t index) { entry(index).start = timeStamp(); }
    static void stop(int32_t index);
    // Folds one measured duration into a section (what stop() does with the
    // counter difference).
    static void record(int32_t index, uint64_t duration);

    // One line per section to the engine log.
    static void report();
    // Drops every section; for tests and shutdown.
    static void reset();

private:
    static std::vector<ProfileEntry>& table();
};
