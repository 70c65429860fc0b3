#pragma once
#include <cstdint>
#include <functional>

class Application;
class Renderer;
class Stream;
class WinInput;
struct RaceSetup;

// The application hands each frame to exactly one of the menu or the race.
// Both live in folders built on this one, so the application drives them
// through these two interfaces and the program entry supplies the makers.

class MenuStage {
public:
    virtual ~MenuStage() = default;
    virtual void load(Stream* archive, RaceSetup& setup) = 0;
    // 0 stay, 1 quit, 2 start the race (held back while a fade runs).
    virtual int32_t update() = 0;
    virtual void onLostDevice() = 0;
    virtual void onResetDevice() = 0;
};

class RaceStage {
public:
    virtual ~RaceStage() = default;
    virtual void load(Stream* archive, RaceSetup& setup, WinInput* input) = 0;
    virtual void update(WinInput* input) = 0;
    // The race's result word: 0 while it runs, 1 back to the menu, 2 start
    // the race set-up again, 3 back to the menu.
    virtual int32_t result() const = 0;
    virtual void onLostDevice() = 0;
    virtual void onResetDevice() = 0;
};

struct StageMakers {
    std::function<MenuStage*(Application* application, Renderer* renderer, WinInput* input)> makeMenu;
    std::function<RaceStage*(Application* application, Renderer* renderer)> makeRace;
};
