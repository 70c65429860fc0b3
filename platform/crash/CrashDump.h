#pragma once
#include <cstddef>
#include <functional>
#include <string>

// platform/crash: crash reports in place of minidumps. A report is a text
// file in the working directory named
// "<version>-YYYYMMDD-hhmmss-<process id>-<thread id>.dmp" (local time)
// that says what failed (the signal, or the exception's type and message)
// and holds a backtrace of the failing thread.

// The version text that starts every report's name.
constexpr const char* kCrashDumpVersion = "v1.0";

// The report's name for a moment in local time and a process and thread.
// Writes at most `size` bytes, the terminator included; answers the length.
size_t crashDumpName(char* out, size_t size, long long seconds, long processId, long threadId);

// Writes a report for an exception that left a frame; `what` is its text.
// Answers the file's name, empty when it could not be created.
std::string writeCrashDump(const char* what);

// Runs the frame; an exception that leaves it is reported and answers false.
bool guardedFrame(const std::function<bool()>& frame);

// From now on SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT write a report
// (with async-signal-safe calls only) and then end the process by the same
// signal.
void installCrashSignalHandlers();

// True when a debugger traces the process (a tracer in /proc/self/status).
bool IsDebuggerPresent();

// Reports go to the working directory; tests name another folder.
void setCrashDumpFolder(const char* folder);
