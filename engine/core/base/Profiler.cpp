#include "engine/core/base/Profiler.h"

#include "engine/core/base/EngineLog.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

std::vector<ProfileEntry>& Profiler::table()
{
    static std::vector<ProfileEntry> sections;
    return sections;
}

int32_t Profiler::registerSection(const char* name)
{
    ProfileEntry e;
    e.name = name;
    table().push_back(e);
    return int32_t(table().size()) - 1;
}

int32_t Profiler::count()
{
    return int32_t(table().size());
}

ProfileEntry& Profiler::entry(int32_t index)
{
    // An unregistered index lands in a scratch entry rather than past the table.
    static ProfileEntry scratch;
    if (index < 0 || index >= count())
        return scratch;
    return table()[size_t(index)];
}

uint64_t Profiler::timeStamp()
{
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    return uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

void Profiler::stop(int32_t index)
{
    ProfileEntry& e = entry(index);
    record(index, timeStamp() - e.start);
}

void Profiler::record(int32_t index, uint64_t d)
{
    ProfileEntry& e = entry(index);
    e.last = d;
    e.clocks += d;
    if (e.execs == 0 || d < e.min)
        e.min = d;
    if (d > e.max)
        e.max = d;
    e.execs += 1;
}

void Profiler::report()
{
    std::ostream& log = engineLog();
    log << "----------- Profiling report --------------\n";
    log << "                     name     execs        clocks    average      min        max\n";
    char line[256];
    for (const ProfileEntry& e : table()) {
        const uint64_t average = e.execs ? e.clocks / e.execs : 0;
        std::snprintf(line, sizeof line, "%-25s: %8u %13" PRId64 " %10" PRId64 " %8" PRId64 " %10" PRId64 "\n",
                      e.name ? e.name : "", e.execs, int64_t(e.clocks), int64_t(average), int64_t(e.min),
                      int64_t(e.max));
        log << line;
    }
    log.flush();
}

void Profiler::reset()
{
    table().clear();
    ++resets();
}

uint32_t Profiler::generation()
{
    return resets();
}

uint32_t& Profiler::resets()
{
    static uint32_t count = 0;
    return count;
}
