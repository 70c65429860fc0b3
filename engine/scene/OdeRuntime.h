#pragma once

// ODE's process-wide set-up. The library must be initialised before the
// first collision and closed only once nothing uses it any more: the menu
// keeps several scenes alive at a time, so closing it with one scene would
// abort collision in the others. Every scene calls ensure() when it makes
// its world; the library is closed once, at process exit.
class OdeRuntime {
public:
    static void ensure();
};
