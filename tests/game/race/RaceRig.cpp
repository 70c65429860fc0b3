#include "RaceRig.h"

#include "engine/core/render/Renderer.h"
#include "game/app/TuningValues.h"
#include "game/net/NetControl.h"
#include "game/race/AIKartController.h"
#include "game/race/Kart.h"
#include "game/race/VectorOps.h"
#include "platform/d3d9/D3D9Backend.h"

#include <gtest/gtest.h>

#include <algorithm>

void TestRace::playCue(uint32_t cue)
{
    m_cues.push_back({cue, raceClock(), m_app && m_app->m_soundOff != 0});
    Race::playCue(cue);
}

bool TestRace::makeControllers(int32_t playerType, WinInput* input, KartController*& primary,
                               KartController*& second, int32_t markerColours[2])
{
    const int32_t player = m_nextPlayer++;
    if (!m_controllerMaker || playerType < 1 || playerType > 5)
        return Race::makeControllers(playerType, input, primary, second, markerColours);
    primary = m_controllerMaker(player);
    if (!primary)
        return Race::makeControllers(playerType, input, primary, second, markerColours);
    second = m_finishControllerMaker ? m_finishControllerMaker(player) : new KartController();
    // The marker colours of the player type, as the race gives them.
    markerColours[0] = playerType == 1 || playerType == 2 ? 0 : 1;
    markerColours[1] = playerType == 3 ? 0 : 1;
    return true;
}

std::function<void(ScriptedController&)> followPath(Race& race, float offset, float pace)
{
    return [&race, offset, pace](ScriptedController& c) {
        Kart& kart = *c.m_kart;
        const Path& path = race.m_paths[0];
        kart.m_forwardSpeed = kart.m_baseForwardSpeed * pace;
        // A point a little ahead on the line, moved across into the lane.
        const float s = path.distanceAlongInWindow(kart.m_position, 1, path.count + 1);
        const Vector3 ahead = path.pointAtDistance(s + 8.0f);
        const Vector3 along = vec::unit(path.pointAtDistance(s + 9.0f) - ahead);
        const Vector3 target = ahead + Vector3{along.z, 0.0f, -along.x} * offset;
        const float left = vec::dot(vec::unit(target - kart.m_position), kart.m_side);
        c.m_throttle = 1.0f;
        c.m_steerLeft = left > 0.0f ? std::min(1.0f, 3.0f * left) : 0.0f;
        c.m_steerRight = left < 0.0f ? std::min(1.0f, -3.0f * left) : 0.0f;
        c.m_reset = 0.0f;
    };
}

RaceRig::RaceRig(bool gl, int width, int height)
{
    if (gl) {
        glWorld = std::make_unique<GlWorld>();
    } else {
        recordingWorld = std::make_unique<RecordingWorld>();
        selectD3D9Backend(D3D9Backend::Recording);
    }
    resetTuningValues();
    m_started = renderer.start(width, height);
    if (!gl)
        EXPECT_TRUE(m_started);
    app = std::make_unique<Application>(renderer.renderer.get());
    EXPECT_TRUE(app->m_config.loadConfig(fixture.files())) << app->m_config.error();
}

RaceRig::~RaceRig()
{
    destroy();
    app.reset();
    selectD3D9Backend(D3D9Backend::Default);
}

RaceSetup& RaceRig::setUp(int32_t players, int32_t type, const std::string& level)
{
    RaceSetup& s = app->m_raceSetup;
    s = RaceSetup{};
    s.mode = 0;
    s.gameType = Race::SingleRace;
    s.level = level;
    s.ccm = 0;
    s.laps = 3;
    for (int32_t i = 0; i < players && i < RaceSetup::kPlayers; ++i) {
        s.playerType[i] = type;
        s.kartName[i] = "k" + std::to_string(i);
        s.playerName[i] = "player " + std::to_string(i);
        s.startSlot[i] = i;
    }
    return s;
}

TestRace& RaceRig::make()
{
    if (!race)
        race = std::make_unique<TestRace>(app.get(), renderer.renderer.get());
    return *race;
}

TestRace& RaceRig::load()
{
    make();
    race->load(&fixture.files(), app->m_raceSetup, &input);
    return *race;
}

void RaceRig::frame(double seconds)
{
    clock.advanceSeconds(seconds);
    race->update(&input);
}

void RaceRig::run(double seconds, double step, const std::function<bool()>& until)
{
    for (double t = 0.0; t < seconds; t += step) {
        frame(step);
        if (until && until())
            return;
    }
}

void RaceRig::startRace()
{
    input.m_keys[0x39] = 1;
    frame(0.05);
    run(4.0, 0.05, [this] { return race->m_started != 0; });
}

void RaceRig::destroy()
{
    race.reset();
}
