#include "platform/win/WindowTimer.h"

#include "platform/time/Time.h"

#include <vector>

namespace {

struct RunningTimer {
    HWND window;
    UINT_PTR id;
    uint64_t periodNs;
    uint64_t dueNs;
    TIMERPROC procedure;
};

std::vector<RunningTimer>& timers()
{
    static std::vector<RunningTimer> running;
    return running;
}

} // namespace

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure)
{
    // Windows raises periods below 10 ms to 10 ms.
    const uint64_t period = uint64_t(elapse < 10 ? 10 : elapse) * 1000000ull;
    const uint64_t due = monotonicNanoseconds() + period;
    for (RunningTimer& timer : timers())
        if (timer.window == window && timer.id == id) {
            timer = RunningTimer{window, id, period, due, procedure};
            return id;
        }
    timers().push_back(RunningTimer{window, id, period, due, procedure});
    return id;
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
    auto& running = timers();
    for (auto it = running.begin(); it != running.end(); ++it)
        if (it->window == window && it->id == id) {
            running.erase(it);
            return TRUE;
        }
    return FALSE;
}

bool takeDueTimer(MSG* msg, HWND window, bool remove)
{
    const uint64_t now = monotonicNanoseconds();
    for (RunningTimer& timer : timers()) {
        if ((window && timer.window != window) || timer.dueNs > now)
            continue;
        if (msg)
            *msg = MSG{timer.window, WM_TIMER, timer.id, LPARAM(timer.procedure), DWORD(now / 1000000), POINT{0, 0}};
        // Missed periods are not made up.
        if (remove)
            timer.dueNs = now + timer.periodNs;
        return true;
    }
    return false;
}

int64_t millisecondsToNextTimer()
{
    const uint64_t now = monotonicNanoseconds();
    int64_t next = -1;
    for (const RunningTimer& timer : timers()) {
        const int64_t wait = timer.dueNs <= now ? 0 : int64_t((timer.dueNs - now + 999999) / 1000000);
        if (next < 0 || wait < next)
            next = wait;
    }
    return next;
}

void killWindowTimers(HWND window)
{
    auto& running = timers();
    for (auto it = running.begin(); it != running.end();)
        it = it->window == window ? running.erase(it) : it + 1;
}
