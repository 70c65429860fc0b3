#pragma once
// When a test that needs a display may skip: only where no display exists
// at all. Where one exists, a GL set-up that does not start is a failure
// that names its reason, so a broken GL stack cannot pass the suite with
// nothing run. VORLUND_REQUIRE_GL (test.sh sets it) makes a missing display
// a failure too: a run in which no GL test ran fails.
#include <gtest/gtest.h>

#include <string>

// DISPLAY or WAYLAND_DISPLAY names a display.
bool displayExists();
bool glRequired();

// In a test body or fixture set-up: skips without a display, else fails
// with the reason when `started` is false.
#define REQUIRE_GL(started, reason) \
    do { \
        if (!(started)) { \
            if (!displayExists() && !glRequired()) \
                GTEST_SKIP() << "no display"; \
            FAIL() << "the GL set-up did not start although " \
                   << (displayExists() ? "a display exists" : "VORLUND_REQUIRE_GL is set") << ": " << (reason); \
        } \
    } while (0)
