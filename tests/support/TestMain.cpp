// The main of every test program. It sets the environment the tests expect
// before anything starts, so a test program behaves the same run by hand,
// under ctest or under ./test.sh.
#include <gtest/gtest.h>

#include <cstdlib>

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
