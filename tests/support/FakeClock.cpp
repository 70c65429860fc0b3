#include "FakeClock.h"

#include "platform/time/Time.h"

#include <cmath>

namespace {
uint64_t g_now = 0;
}

FakeClock::FakeClock(uint64_t startNanoseconds)
{
    g_now = startNanoseconds;
    setMonotonicClock(&FakeClock::now);
}

FakeClock::~FakeClock()
{
    setMonotonicClock(nullptr);
}

void FakeClock::advanceNanoseconds(uint64_t nanoseconds)
{
    g_now += nanoseconds;
}

void FakeClock::advanceSeconds(double seconds)
{
    g_now += uint64_t(std::llround(seconds * 1e9));
}

uint64_t FakeClock::now()
{
    return g_now;
}
