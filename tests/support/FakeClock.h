#pragma once
#include <cstdint>

// Puts the process on a clock that moves only when the test moves it: the
// performance counter, timeGetTime and the window timers all read it. The
// steady clock comes back when the object goes away.
class FakeClock {
public:
    explicit FakeClock(uint64_t startNanoseconds = 1000000000ull);
    ~FakeClock();
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    void advanceNanoseconds(uint64_t nanoseconds);
    void advanceSeconds(double seconds);
    void advanceMilliseconds(uint64_t milliseconds) { advanceNanoseconds(milliseconds * 1000000ull); }
    static uint64_t now();
};
