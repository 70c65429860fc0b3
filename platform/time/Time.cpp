#include "platform/time/Time.h"

#include <chrono>

namespace {

uint64_t steadyNanoseconds()
{
    using namespace std::chrono;
    return uint64_t(duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count());
}

MonotonicClock g_clock = steadyNanoseconds;

} // namespace

uint64_t monotonicNanoseconds()
{
    return g_clock();
}

void setMonotonicClock(MonotonicClock clock)
{
    g_clock = clock ? clock : steadyNanoseconds;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (!frequency)
        return FALSE;
    frequency->QuadPart = 1000000000;
    return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count)
{
    if (!count)
        return FALSE;
    count->QuadPart = int64_t(monotonicNanoseconds());
    return TRUE;
}

DWORD timeGetTime()
{
    // Wraps after 49.7 days, as Windows' does.
    return DWORD(monotonicNanoseconds() / 1000000);
}

UINT timeGetDevCaps(TIMECAPS* caps, UINT size)
{
    if (!caps || size < sizeof(TIMECAPS))
        return TIMERR_NOCANDO;
    caps->wPeriodMin = 1;
    caps->wPeriodMax = 1000000;
    return TIMERR_NOERROR;
}

UINT timeBeginPeriod(UINT period)
{
    return period >= 1 ? TIMERR_NOERROR : TIMERR_NOCANDO;
}

UINT timeEndPeriod(UINT period)
{
    return period >= 1 ? TIMERR_NOERROR : TIMERR_NOCANDO;
}
