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
    // Drops every section; for tests and shutdown. Indices handed out
    // before are void afterwards; ProfileSection registers anew.
    static void reset();
    // Counts the resets, so a kept index can tell that it is void.
    static uint32_t generation();

private:
    static std::vector<ProfileEntry>& table();
    static uint32_t& resets();
};

// A section registered where it is measured, typically a function-level
// static: it registers its name on first use, and again on the first use
// after a Profiler::reset, so it never measures into another section's
// entry under an index from before the reset.
class ProfileSection {
public:
    explicit ProfileSection(const char* name) : m_name(name) {}
    int32_t index()
    {
        if (m_index < 0 || m_generation != Profiler::generation()) {
            m_index = Profiler::registerSection(m_name);
            m_generation = Profiler::generation();
        }
        return m_index;
    }

private:
    const char* m_name;
    int32_t m_index = -1;
    uint32_t m_generation = 0;
};
