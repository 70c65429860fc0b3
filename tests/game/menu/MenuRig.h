#pragma once
// The menu over our packed data set, as the application builds it: the
// application started on the archive (CEGUI's null renderer unless a
// renderer is given), a clock the test moves, and the player's input
// injected into the GUI the way the window's messages reach it.
#include "engine/core/archive/ArchiveFile.h"
#include "game/app/Application.h"
#include "game/app/WinInput.h"
#include "game/menu/Menu.h"
#include "support/FakeClock.h"
#include "support/PlayerFolderRig.h"
#include "support/ScopedWorkingDirectory.h"

#include <memory>
#include <string>

class Renderer;
namespace CEGUI {
class Window;
}

class MenuRig {
public:
    // The folder names the test's own working directory.
    explicit MenuRig(const std::string& folder, Renderer* renderer = nullptr);
    ~MenuRig();

    // The packed data set (bin/data.sar) as the archive.
    bool mount();
    // The application, started on the packed data set, or on the files
    // given (read through the archive); false (with the reason) when it
    // could not.
    bool start(std::string& why, Stream* files = nullptr);
    // A used profile in the current slot 0 (kudos to spend, game not over).
    void addProfile();
    // The profile's season under way: six named computer drivers in the
    // other karts, three races of class 0 run with places, times, points,
    // kudos and a few parts bought.
    void addSeason();
    // Makes and loads the menu with the application's race set-up.
    void openMenu();
    void closeMenu();

    // One menu frame, the clock moved by the seconds first.
    int32_t frame(double seconds = 0.1);
    // Frames of the step until no fade runs (at most a few seconds of them);
    // the last frame's answer.
    int32_t settle(double step = 0.1);
    // The screen the player sees now, by its root's name; "" for none.
    std::string shown() const;
    // The rig's menu, else the one the application runs; null for none.
    Menu* current() const;
    // A left click in the middle of the window (through the GUI's mouse).
    void click(const std::string& path);
    void doubleClick(const std::string& path);
    // The entry of a combo box with that ID chosen the way the player does:
    // the list opened by its button, the mouse over the entry, a click.
    void choose(const std::string& comboPath, uint32_t id);
    // A slider's thumb dragged to where it stands for the value.
    void slide(const std::string& sliderPath, float value);
    // A key pressed and released (the GUI's scan code), and a character.
    void key(uint32_t scanCode);
    // Escape as the input's polled key, as the window's message leaves it.
    void escape();
    // A window by its path from the GUI root; null when there is none.
    CEGUI::Window* window(const std::string& path) const;

    ScopedWorkingDirectory folder;
    PlayerFolderRig playerFolder;
    FakeClock clock;
    ArchiveFile archive;
    Stream* fileSystem = &archive;
    // The stages the application makes when it runs its own frames.
    StageMakers makers;
    std::unique_ptr<Application> app;
    WinInput input;
    std::unique_ptr<Menu> menu;
    Renderer* renderer;

private:
    bool m_mounted = false;
};
