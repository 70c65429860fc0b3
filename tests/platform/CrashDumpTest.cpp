#include "platform/crash/CrashDump.h"

#include "engine/core/base/LoadingAbortedException.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(CrashDump, NameFollowsThePattern)
{
    struct Case {
        long long seconds;
        long pid, tid;
        const char* name;
    };
    const Case cases[] = {
        {0, 1, 1, "v1.0-19700101-000000-1-1.dmp"},
        {951782400, 42, 43, "v1.0-20000229-000000-42-43.dmp"},      // a leap day
        {1798761599, 4194304, 7, "v1.0-20261231-235959-4194304-7.dmp"},
        {-1, 5, 5, "v1.0-19691231-235959-5-5.dmp"},
    };
    for (const Case& c : cases) {
        char name[128];
        EXPECT_EQ(crashDumpName(name, sizeof(name), c.seconds, c.pid, c.tid), std::strlen(c.name));
        EXPECT_STREQ(name, c.name);
    }
    // Two runs in the same second differ by their process id.
    char a[64], b[64];
    crashDumpName(a, sizeof(a), 100, 10, 10);
    crashDumpName(b, sizeof(b), 100, 11, 11);
    EXPECT_STRNE(a, b);
    // A short buffer is cut, never overrun.
    char small[10];
    crashDumpName(small, sizeof(small), 0, 1, 1);
    EXPECT_STREQ(small, "v1.0-1970");
}

class CrashFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = std::filesystem::temp_directory_path() / ("vorlund-crash-" + std::to_string(getpid()));
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
        setCrashDumpFolder(m_folder.c_str());
    }
    void TearDown() override
    {
        setCrashDumpFolder(nullptr);
        std::filesystem::remove_all(m_folder);
    }
    std::vector<std::string> reports() const
    {
        std::vector<std::string> texts;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder)) {
            std::ifstream in(entry.path());
            std::stringstream text;
            text << in.rdbuf();
            texts.push_back(entry.path().filename().string() + "\n" + text.str());
        }
        return texts;
    }
    std::filesystem::path m_folder;
};

TEST_F(CrashFolder, GuardedFrameReportsAnyException)
{
    struct Case {
        std::function<bool()> frame;
        bool result;
        const char* text; // in the report, or null when none is written
    };
    const Case cases[] = {
        {[] { return true; }, true, nullptr},
        {[] { return false; }, false, nullptr},
        {[]() -> bool { throw LoadingAbortedException(); }, false, "exception: LoadingAbortedException\n"},
        {[]() -> bool { throw 7; }, false, "exception: int\n"},
        {[]() -> bool { throw std::out_of_range("past the end"); }, false, "std::out_of_range: past the end"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
        EXPECT_EQ(guardedFrame(c.frame), c.result);
        const auto texts = reports();
        if (!c.text) {
            EXPECT_TRUE(texts.empty());
            continue;
        }
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_NE(texts[0].find(c.text), std::string::npos) << texts[0];
    }
}

// Faults made for real, not only raised: the handler must write its report
// from inside the faulting instruction's signal and still end the process.
[[gnu::noinline]] void writeThroughNull()
{
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

TEST_F(CrashFolder, AFatalSignalInAChildWritesItsReport)
{
    struct Case {
        int signal;
        std::function<void()> fault;
        const char* name;
    };
    const Case cases[] = {
        {SIGSEGV, writeThroughNull, "signal: SIGSEGV"},
        {SIGSEGV, [] { raise(SIGSEGV); }, "signal: SIGSEGV"},
        {SIGFPE, [] { raise(SIGFPE); }, "signal: SIGFPE"},
        {SIGBUS, [] { raise(SIGBUS); }, "signal: SIGBUS"},
        {SIGILL, [] { __builtin_trap(); }, "signal: SIGILL"},
        {SIGABRT, [] { std::abort(); }, "signal: SIGABRT"},
    };
    for (const Case& c : cases) {
        const int signal = c.signal;
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            installCrashSignalHandlers();
            c.fault();
            _exit(3); // not reached
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        // The report does not swallow the signal.
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), signal);
        const auto texts = reports();
        ASSERT_EQ(texts.size(), 1u);
        const std::string tail = "-" + std::to_string(child) + "-" + std::to_string(child) + ".dmp\n";
        EXPECT_NE(texts[0].find(tail), std::string::npos) << texts[0];
        EXPECT_NE(texts[0].find(c.name), std::string::npos) << texts[0];
        EXPECT_NE(texts[0].find("backtrace:"), std::string::npos);
    }
}

TEST(CrashDump, ADebuggerIsATracerOfTheProcess)
{
    if (IsDebuggerPresent())
        GTEST_SKIP() << "the tests run under a debugger";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool before = IsDebuggerPresent();
        // The parent becomes the child's tracer.
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
            _exit(2);
        _exit(!before && IsDebuggerPresent() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "tracing is not allowed here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
