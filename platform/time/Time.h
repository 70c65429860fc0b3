#pragma once
#include "platform/win/WinTypes.h"

// platform/time: the performance counter and the multimedia timer over one
// monotonic clock. The counter counts nanoseconds; timeGetTime answers the
// same clock in milliseconds. Tests install a clock of their own so that
// everything timed through here (frame timers, window timers) runs on it.

struct TIMECAPS {
    UINT wPeriodMin;
    UINT wPeriodMax;
};

constexpr UINT TIMERR_NOERROR = 0;
constexpr UINT TIMERR_NOCANDO = 97;

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
DWORD timeGetTime();
UINT timeGetDevCaps(TIMECAPS* caps, UINT size);
// The scheduler needs no period raised here; both answer success for any
// period the caps allow.
UINT timeBeginPeriod(UINT period);
UINT timeEndPeriod(UINT period);

// Nanoseconds of the monotonic clock everything above reads.
using MonotonicClock = uint64_t (*)();
uint64_t monotonicNanoseconds();
// Null puts the steady clock back.
void setMonotonicClock(MonotonicClock clock);
