// The main of every test program. It sets the environment the tests expect
// before anything starts, so a test program behaves the same run by hand,
// under ctest or under ./test.sh.
#include <gtest/gtest.h>

#include <cstdlib>

// A test program may add AddressSanitizer options of its own (a colon-
// separated list) by defining this function.
extern "C" const char* vorlund_test_asan_options() __attribute__((weak));

// AddressSanitizer's defaults for every test program. The leak check stays on
// everywhere. With __tls_get_addr intercepted, the leak checker misreads the
// dynamic thread-local block of the GL driver's libLLVM (whose start can sit
// 16 bytes into a page) and its exit-time tracer dies on signal 11; our code
// keeps no dynamic thread-local storage, so the interception buys nothing.
// Called while the sanitizer starts up, before the C library may be used:
// the options are joined by hand into a static buffer.
extern "C" const char* __asan_default_options()
{
    static char options[512];
    if (options[0] == 0) {
        const char* extra = vorlund_test_asan_options ? vorlund_test_asan_options() : nullptr;
        const char* parts[] = {"intercept_tls_get_addr=0:detect_leaks=1", extra ? ":" : "", extra ? extra : ""};
        size_t at = 0;
        for (const char* part : parts)
            for (const char* c = part; *c && at + 1 < sizeof options; ++c)
                options[at++] = *c;
        options[at] = 0;
    }
    return options;
}

// Leaks inside third-party libraries that we cannot free: SDL's D-Bus
// session, Mesa's and the X libraries' process-lifetime allocations, and
// FAudio's: the two bank-list mutexes of every FACT engine, and the sound an
// interactive cue drops when its variable picks another.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n"
           "leak:FACTCreateEngineWithCustomAllocatorEXT\n"
           "leak:FACT_INTERNAL_CreateSound\n"
           "leak:libGLX_mesa.so\n"
           "leak:libEGL_mesa.so\n"
           "leak:swrast_dri.so\n"
           "leak:libLLVM\n"
           "leak:libX11.so\n";
}

// ThreadSanitizer sees SDL's audio thread take SDL's own two locks in both
// orders; both ends are inside the library, which is not ours to mend.
extern "C" const char* __tsan_default_suppressions()
{
    return "deadlock:libSDL2-2.0.so\n";
}

int main(int argc, char** argv)
{
    // llvmpipe without rasterizer threads: LeakSanitizer's stop-the-world
    // tracer can crash on their stacks, and single-threaded software GL is
    // deterministic.
    setenv("LP_NUM_THREADS", "0", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("VORLUND_NO_MESSAGE_BOXES", "1", 0);
    setenv("VORLUND_SOURCE_DIR", VORLUND_TEST_SOURCE_DIR, 0);
    setenv("VORLUND_BINARY_DIR", VORLUND_TEST_BINARY_DIR, 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
