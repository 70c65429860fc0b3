#include "platform/crash/CrashDump.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cxxabi.h>
#include <exception>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Everything the signal handler needs is prepared here beforehand: it may
// not allocate, lock or ask the time-zone database.
char g_folder[512] = ".";
long g_utcOffsetSeconds = 0;
bool g_handlersInstalled = false;
alignas(16) char g_alternateStack[64 * 1024];

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

long currentThreadId()
{
    return long(syscall(SYS_gettid));
}

// Civil date from days since 1970-01-01 (proleptic Gregorian), without the C
// library, so the signal handler can use it.
void civilFromDays(long long days, int& year, int& month, int& day)
{
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

// Appends decimal digits, zero-padded to `width`.
size_t putNumber(char* out, size_t at, size_t size, long long value, int width)
{
    char digits[24];
    int count = 0;
    const bool negative = value < 0;
    unsigned long long v = negative ? 0ull - (unsigned long long)value : (unsigned long long)value;
    do {
        digits[count++] = char('0' + v % 10);
        v /= 10;
    } while (v && count < 20);
    while (count < width && count < 20)
        digits[count++] = '0';
    if (negative && at + 1 < size)
        out[at++] = '-';
    while (count > 0 && at + 1 < size)
        out[at++] = digits[--count];
    return at;
}

size_t putText(char* out, size_t at, size_t size, const char* text)
{
    while (*text && at + 1 < size)
        out[at++] = *text++;
    return at;
}

void writeAll(int fd, const char* text, size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd, text, length);
        if (n <= 0)
            return;
        text += n;
        length -= size_t(n);
    }
}

void writeText(int fd, const char* text)
{
    writeAll(fd, text, std::strlen(text));
}

// Creates the report file; -1 when it cannot. Async-signal-safe.
int createReport(char* path, size_t size)
{
    size_t at = putText(path, 0, size, g_folder);
    at = putText(path, at, size, "/");
    at += crashDumpName(path + at, size - at, (long long)time(nullptr) + g_utcOffsetSeconds, long(getpid()),
                        currentThreadId());
    path[at < size ? at : size - 1] = '\0';
    return ::open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

void writeBacktrace(int fd)
{
    void* frames[64];
    const int count = backtrace(frames, 64);
    writeText(fd, "backtrace:\n");
    backtrace_symbols_fd(frames, count, fd);
}

const char* signalName(int signal)
{
    switch (signal) {
    case SIGSEGV:
        return "SIGSEGV (invalid memory access)";
    case SIGBUS:
        return "SIGBUS (bus error)";
    case SIGFPE:
        return "SIGFPE (arithmetic fault)";
    case SIGILL:
        return "SIGILL (illegal instruction)";
    case SIGABRT:
        return "SIGABRT (abort)";
    default:
        return "fatal signal";
    }
}

void fatalSignalHandler(int signal, siginfo_t* info, void*)
{
    char path[768];
    const int fd = createReport(path, sizeof(path));
    if (fd >= 0) {
        writeText(fd, "Vorlund crash report\nsignal: ");
        writeText(fd, signalName(signal));
        char address[40];
        size_t at = putText(address, 0, sizeof(address), "\naddress: ");
        at = putNumber(address, at, sizeof(address), (long long)(uintptr_t)(info ? info->si_addr : nullptr), 1);
        address[at] = '\0';
        writeText(fd, address);
        writeText(fd, "\n");
        writeBacktrace(fd);
        ::close(fd);
    }
    // The handler was reset on entry: the same signal now ends the process
    // the way it would have without us.
    raise(signal);
}

std::string currentExceptionText(const char* fallback)
{
    std::string text;
    if (std::type_info* type = abi::__cxa_current_exception_type()) {
        int status = 0;
        char* name = abi::__cxa_demangle(type->name(), nullptr, nullptr, &status);
        text = status == 0 && name ? name : type->name();
        std::free(name);
    }
    if (fallback && *fallback)
        text += text.empty() ? std::string(fallback) : ": " + std::string(fallback);
    return text.empty() ? "unknown exception" : text;
}

} // namespace

size_t crashDumpName(char* out, size_t size, long long seconds, long processId, long threadId)
{
    if (!out || size == 0)
        return 0;
    long long days = seconds / 86400;
    long long rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    int year = 0, month = 0, day = 0;
    civilFromDays(days, year, month, day);
    size_t at = putText(out, 0, size, kCrashDumpVersion);
    at = putText(out, at, size, "-");
    at = putNumber(out, at, size, year, 4);
    at = putNumber(out, at, size, month, 2);
    at = putNumber(out, at, size, day, 2);
    at = putText(out, at, size, "-");
    at = putNumber(out, at, size, rest / 3600, 2);
    at = putNumber(out, at, size, rest / 60 % 60, 2);
    at = putNumber(out, at, size, rest % 60, 2);
    at = putText(out, at, size, "-");
    at = putNumber(out, at, size, processId, 1);
    at = putText(out, at, size, "-");
    at = putNumber(out, at, size, threadId, 1);
    at = putText(out, at, size, ".dmp");
    out[at] = '\0';
    return at;
}

std::string writeCrashDump(const char* what)
{
    // The offset of local time now, for the name.
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    g_utcOffsetSeconds = local.tm_gmtoff;
    char path[768];
    const int fd = createReport(path, sizeof(path));
    if (fd < 0)
        return {};
    writeText(fd, "Vorlund crash report\nexception: ");
    writeText(fd, what ? what : "unknown");
    writeText(fd, "\n");
    writeBacktrace(fd);
    ::close(fd);
    return path;
}

bool guardedFrame(const std::function<bool()>& frame)
{
    try {
        return frame();
    } catch (const std::exception& e) {
        writeCrashDump(currentExceptionText(e.what()).c_str());
    } catch (...) {
        writeCrashDump(currentExceptionText(nullptr).c_str());
    }
    return false;
}

void installCrashSignalHandlers()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    g_utcOffsetSeconds = local.tm_gmtoff;
    // The first backtrace loads the unwinder, which allocates; never in the
    // handler.
    void* frames[4];
    backtrace(frames, 4);
    if (g_handlersInstalled)
        return;
    g_handlersInstalled = true;
    // A stack of its own, so a stack overflow can still be reported.
    stack_t stack{};
    stack.ss_sp = g_alternateStack;
    stack.ss_size = sizeof(g_alternateStack);
    sigaltstack(&stack, nullptr);
    struct sigaction action{};
    action.sa_sigaction = fatalSignalHandler;
    action.sa_flags = SA_SIGINFO | SA_RESETHAND | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : kFatalSignals)
        sigaction(signal, &action, nullptr);
}

bool IsDebuggerPresent()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return false;
    char line[256];
    long tracer = 0;
    while (std::fgets(line, sizeof(line), status))
        if (std::strncmp(line, "TracerPid:", 10) == 0) {
            tracer = std::strtol(line + 10, nullptr, 10);
            break;
        }
    std::fclose(status);
    return tracer != 0;
}

void setCrashDumpFolder(const char* folder)
{
    const char* name = folder && *folder ? folder : ".";
    std::snprintf(g_folder, sizeof(g_folder), "%s", name);
}
