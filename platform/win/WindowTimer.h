#pragma once
#include "platform/win/WinTypes.h"

// Window timers. Like Windows, a due timer is not queued: the queue makes a
// WM_TIMER message for it when nothing else is waiting, so a busy queue
// delays it and a timer that was due several times fires once. Timers run on
// the platform clock (platform/time), so tests move them with a fake clock.

using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

constexpr UINT WM_TIMER = 0x0113;

// Starts or restarts the timer (window, id). A timer with a procedure is
// dispatched to the procedure, one without to the window. Answers the id.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure);
BOOL KillTimer(HWND window, UINT_PTR id);

// Layer internals for the message queue and the window module.
// Takes the first due timer that matches the filter, as a WM_TIMER message.
bool takeDueTimer(MSG* msg, HWND window, bool remove);
// Milliseconds until the next timer is due (0 when one is), -1 when none runs.
int64_t millisecondsToNextTimer();
void killWindowTimers(HWND window);
