#pragma once
#include "engine/core/display/DisplayChecker.h"

// The program's display-capability check: the engine's check chain for the
// adapter of the engine settings, whose outcome never stops the start-up.
class VideoSettingsWrapper : public DisplayChecker {
public:
    explicit VideoSettingsWrapper(DisplayManager* displayManager) : DisplayChecker(displayManager) {}

    bool check(int flags) override
    {
        DisplayChecker::check(flags);
        return true;
    }
};
