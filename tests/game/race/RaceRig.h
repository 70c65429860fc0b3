#pragma once
// A race on the recording device, built from the race fixture's data set
// through the game's own file system, on a clock that moves only when the
// test moves it. Tests of the race and of the parts built on it use it.
#include "game/app/Application.h"
#include "game/app/WinInput.h"
#include "game/race/KartController.h"
#include "game/race/Race.h"
#include "support/FakeClock.h"
#include "support/GlWorld.h"
#include "support/RaceFixture.h"
#include "support/RecordingWorld.h"
#include "support/RendererRig.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A race that notes the cues it plays (muted ones too, marked) and, when
// told to, drives every kart with controllers the test makes.
class TestRace : public Race {
public:
    using Race::Race;

    void playCue(uint32_t cue) override;
    struct Cue {
        uint32_t cue;
        double clock;
        bool muted;
    };
    std::vector<Cue> m_cues;
    // Makes the primary controller of player i instead of its type's (null:
    // the type's own two); the finish controller is the second maker's, or
    // a base controller (outputs zero).
    std::function<KartController*(int32_t player)> m_controllerMaker;
    std::function<KartController*(int32_t player)> m_finishControllerMaker;
    int32_t m_nextPlayer = 0;

protected:
    bool makeControllers(int32_t playerType, WinInput* input, KartController*& primary, KartController*& second,
                         int32_t markerColours[2]) override;
};

// A controller a test scripts: its outputs are whatever the function sets
// each step. It counts as a human driver (so it holds the race open) and
// steers by fractions like the computer.
class ScriptedController : public KartController {
public:
    explicit ScriptedController(std::function<void(ScriptedController&)> script) : m_script(std::move(script)) {}
    bool isAI() const override { return true; }
    int32_t getType() const override { return Human; }
    void update() override
    {
        if (m_script)
            m_script(*this);
    }
    std::function<void(ScriptedController&)> m_script;
};

// A script that follows the race's path 0 in a lane `offset` to the right of
// it, at `pace` times the kart's own top speed.
std::function<void(ScriptedController&)> followPath(Race& race, float offset, float pace);

class RaceRig {
public:
    // On the recording device, or with `gl` on the GL device in a window of
    // the given size; started() says whether a device was made (GL needs a
    // display).
    explicit RaceRig(bool gl = false, int width = 320, int height = 240);
    bool started() const { return m_started; }
    ~RaceRig();
    RaceRig(const RaceRig&) = delete;
    RaceRig& operator=(const RaceRig&) = delete;

    // A single race of three laps on `level` with `players` karts k0 .. of
    // player type `type`, the grid in slot order.
    RaceSetup& setUp(int32_t players, int32_t type = 1, const std::string& level = "testring");
    // Makes the race (once), then loads it from the application's set-up.
    TestRace& make();
    TestRace& load();
    // One frame of `seconds`: the clock moves, then the race updates.
    void frame(double seconds);
    // Frames of `step` seconds until `seconds` have passed or `until` says so.
    void run(double seconds, double step = 0.05, const std::function<bool()>& until = {});
    // The start key, then frames until GO.
    void startRace();
    // Deletes the race as the application does.
    void destroy();

    RaceFixture fixture;
    std::unique_ptr<RecordingWorld> recordingWorld;
    std::unique_ptr<GlWorld> glWorld;
    RendererRig renderer;
    std::unique_ptr<Application> app;
    WinInput input;
    FakeClock clock;
    std::unique_ptr<TestRace> race;

private:
    bool m_started = false;
};
