#pragma once
// A race with its dialogs: the application started on the game's packed data
// set (GUI, texts, sound) with the race fixture's levels and karts mounted
// over it, a fresh player folder, the race made and ended by the
// application's own state machine, and clicks through the GUI's mouse. On
// the recording device (the GUI on CEGUI's null renderer), or on GL.
#include "RaceRig.h"

#include "engine/core/archive/ArchiveFile.h"
#include "support/PlayerFolderRig.h"

#include <functional>
#include <memory>
#include <string>

class DialogRig {
public:
    // With `missing`, every file whose name ends in it is missing from the
    // data the application reads.
    explicit DialogRig(bool gl = false, int width = 320, int height = 240, const std::string& missing = "");
    ~DialogRig();
    DialogRig(const DialogRig&) = delete;
    DialogRig& operator=(const DialogRig&) = delete;

    // Whether the device and the application started.
    bool started() const { return m_started; }

    // The set-up of a one-lap race on testring: player 0 the human, the
    // others computer drivers.
    RaceSetup& setUp(int32_t players, int32_t mode = 0, int32_t gameType = Race::SingleRace);
    // A used profile in slot 0 with the seven drivers k0 .. k6.
    void addProfile();
    // The race of the set-up, made and loaded by the application.
    TestRace& startRace();
    // The race the application runs; null when none.
    TestRace* race() const;
    // One application frame of `seconds`.
    void frame(double seconds = 0.1);
    // Frames until `until` says so, at most `seconds` of them.
    bool runUntil(const std::function<bool()>& until, double seconds, double step = 0.1);
    // The start key, then frames until GO.
    void go();
    // A left click on the middle of the window at `path` from the GUI root.
    void click(const std::string& path);
    bool shown(const std::string& path) const;
    std::string text(const std::string& path) const;

    // How the karts drive: by default player 0 round the ring at full pace,
    // the computer drivers at half.
    std::function<KartController*(TestRace& race, int32_t player)> drivers;
    // Menus the application made after a race.
    int32_t menusMade = 0;

    PlayerFolderRig playerFolder;
    // The device, the fixture and the clock; its application is replaced by
    // one with the stage makers and the GUI.
    RaceRig base;
    ArchiveFile files;
    std::unique_ptr<Stream> altered;
    std::unique_ptr<Application>& app = base.app;
    RendererRig& renderer = base.renderer;
    WinInput& input = base.input;

private:
    bool m_started = false;
};

// A scripted driver that counts as a computer driver.
class ComputerScript : public ScriptedController {
public:
    using ScriptedController::ScriptedController;
    int32_t getType() const override { return Computer; }
};
