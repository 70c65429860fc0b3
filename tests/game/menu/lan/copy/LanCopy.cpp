// One copy of the game in a network game, as a test starts it (a process of
// its own): the application on the packed data set over the recording
// device and CEGUI's null renderer, its player's clicks and keys played by
// the script below. What it sees goes to standard output as lines that
// begin with "lan: ", for the test that started it.
//
// VORLUND_LAN_ROLE: "host" makes the game and starts the race once its
// guest is ready; "guest" joins 127.0.0.1 and says it is ready; "late"
// tries to join a game that is under way. Host and guest drive their karts
// after the start and cross the line VORLUND_LAN_FINISH seconds after it;
// then each waits for the race's results, or for the menu if the game went
// away under it, and stays until its standard input closes.
#include "MenuRig.h"

#include "engine/core/archive/ArchiveFile.h"
#include "game/app/RaceSetup.h"
#include "game/net/NetControl.h"
#include "game/net/NetServer.h"
#include "game/race/Kart.h"
#include "game/race/KartController.h"
#include "game/race/Race.h"
#include "platform/d3d9/D3D9Backend.h"
#include "support/RecordingWorld.h"
#include "support/RendererRig.h"

#include <CEGUI/Window.h>
#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace {

constexpr uint8_t kSpaceKey = 0x39;
constexpr uint8_t kUpKey = 0xC8;
// How long, in real time, the copy waits for anything before it gives up.
constexpr std::chrono::seconds kPatience{90};

std::string env(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

void say(const std::string& line)
{
    std::printf("lan: %s\n", line.c_str());
    std::fflush(stdout);
}

// Whether the test that started the copy closed its end of standard input.
bool toldToStop()
{
    pollfd in{STDIN_FILENO, POLLIN, 0};
    if (poll(&in, 1, 0) <= 0)
        return false;
    char byte;
    return read(STDIN_FILENO, &byte, 1) <= 0;
}

struct RecordingBackendScope {
    RecordingBackendScope() { selectD3D9Backend(D3D9Backend::Recording); }
    ~RecordingBackendScope() { selectD3D9Backend(D3D9Backend::Default); }
};

class LanCopy {
public:
    LanCopy() : m_role(env("VORLUND_LAN_ROLE", "host")), m_finish(std::atof(env("VORLUND_LAN_FINISH", "2").c_str())) {}

    bool start()
    {
        if (!m_renderer.start(320, 240))
            return false;
        m_rig = std::make_unique<MenuRig>("lan-" + m_role, m_renderer.renderer.get());
        m_rig->makers.makeMenu = [](Application* a, Renderer* r, WinInput* i) -> MenuStage* {
            return new Menu(a, r, i);
        };
        m_rig->makers.makeRace = [](Application* a, Renderer* r) -> RaceStage* { return new Race(a, r); };
        std::string why;
        if (!m_rig->start(why)) {
            say("failed " + why);
            return false;
        }
        m_rig->addProfile();
        frame();
        return until([this] { return menuSettled() && m_rig->shown() == "MainMenu"; });
    }

    // The script of the role; false when something did not come on time.
    bool play()
    {
        if (m_role == "host")
            m_relay = std::make_unique<NetServer>(RelayConfig::fromEnvironment());
        if (!click("MainMenu/BtnMultiplayer"))
            return false;
        if (m_role == "host") {
            if (!click("Multiplayer/BtnCreateGame") || !inLobby())
                return false;
            m_rig->window("Lobby/EdtName")->setText("Hostess");
            say("lobby");
            // Everyone but the host is ready: the start button says so.
            if (!until([this] { return !m_rig->window("Lobby/BtnStart")->isDisabled(); }))
                return false;
            m_rig->click("Lobby/BtnStart");
        } else {
            if (!click("Multiplayer/BtnJoinGame"))
                return false;
            m_rig->window("Join/EdtHost")->setText("127.0.0.1");
            m_rig->click("Join/BtnOk");
            if (m_role == "late")
                return refused();
            if (!inLobby())
                return false;
            // The host's state is in once its row has a name.
            if (!until([this] { return !m_rig->window("Lobby/ImgPlayerList/LblName01")->getText().empty(); }))
                return false;
            m_rig->window("Lobby/EdtName")->setText("Guest");
            say("lobby");
            m_rig->click("Lobby/BtnStart");
        }
        return race();
    }

private:
    // One frame of the game's clock, never ahead of the real one: the
    // other copies answer in real time, and the game's waits for them (the
    // host's state, the ready messages) are measured on its own clock.
    void frame(double seconds = 0.1)
    {
        m_played += seconds;
        const auto due = m_started + std::chrono::duration<double>(m_played);
        if (due > std::chrono::steady_clock::now())
            std::this_thread::sleep_until(due);
        m_rig->clock.advanceSeconds(seconds);
        m_rig->app->update(&m_rig->input);
    }
    bool until(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                say("timeout");
                return false;
            }
            frame();
        }
        return true;
    }
    bool menuSettled() const
    {
        return m_rig->app->m_state == Application::StateMenu && m_rig->current() && !m_rig->current()->fading();
    }
    bool click(const char* path)
    {
        m_rig->click(path);
        return until([this] { return menuSettled(); });
    }
    bool inLobby()
    {
        return until([this] { return menuSettled(); }) && m_rig->shown() == "Lobby";
    }
    bool messageShown() const
    {
        CEGUI::Window* box = m_rig->window("Join_MessageBox");
        return box && box->isEffectiveVisible();
    }
    bool refused()
    {
        if (!until([this] { return messageShown(); }))
            return false;
        say(std::string("refused ") + m_rig->window("Join_MessageBox/LblMessage")->getText().c_str());
        return true;
    }

    bool race()
    {
        if (!until([this] { return m_rig->app->m_state == Application::StateRace && Race::current(); }))
            return false;
        Race* race = Race::current();
        if (!race->loaded()) {
            say("refused race");
            return false;
        }
        const int32_t own = race->m_setup->localSlot;
        // The start key until every machine is ready and the lights go.
        if (!until([&] {
                m_rig->input.m_keys[kSpaceKey] = 1;
                return race->m_started != 0;
            }))
            return false;
        m_rig->input.m_keys[kSpaceKey] = 0;
        say("racing " + std::to_string(race->m_kartCount));
        const uint64_t sentBefore = NetControl::getInstance().bytesSent();
        const double startClock = race->raceClock();
        // Off down the road, over the line when the time has come.
        m_rig->input.m_keys[kUpKey] = 1;
        const bool ended = until([&] {
            if (Race::current() != race)
                return true;
            if (race->raceClock() - startClock >= m_finish && !race->m_karts[own]->m_finished)
                race->m_karts[own]->m_lap = race->m_setup->laps + 1;
            return race->m_countdownPhase == 6;
        });
        m_rig->input.m_keys[kUpKey] = 0;
        if (!ended)
            return false;
        if (Race::current() != race)
            return backInTheMenu();
        const double seconds = race->raceClock() - startClock;
        int32_t driven = 0;
        for (int32_t i = 0; i < race->m_kartCount; ++i) {
            const Kart& kart = *race->m_karts[i];
            driven += kart.m_controller && kart.m_controller->getType() != KartController::Network ? 1 : 0;
            char line[128];
            std::snprintf(line, sizeof line, "kart %d rank %d time %a", int(i), int(kart.m_rank), double(kart.m_finishTime));
            say(line);
        }
        char line[128];
        std::snprintf(line, sizeof line, "sent %llu bytes in %.2f s for %d karts",
                      static_cast<unsigned long long>(NetControl::getInstance().bytesSent() - sentBefore), seconds,
                      int(driven));
        say(line);
        say("results");
        return linger();
    }

    bool backInTheMenu()
    {
        if (!until([this] { return menuSettled() && messageShown(); }))
            return false;
        say("menu " + m_rig->shown() + " notice " + m_rig->window("Join_MessageBox/LblMessage")->getText().c_str());
        return linger();
    }

    // The other copies may still need this one (its relay, its finish):
    // it runs on until it is told to stop.
    bool linger()
    {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (!toldToStop() && std::chrono::steady_clock::now() < deadline)
            frame();
        return true;
    }

    std::string m_role;
    double m_finish;
    const std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    double m_played = 0.0;
    RecordingWorld m_recording;
    RecordingBackendScope m_backend;
    RendererRig m_renderer;
    std::unique_ptr<NetServer> m_relay;
    std::unique_ptr<MenuRig> m_rig;
};

} // namespace

TEST(LanCopy, Plays)
{
    LanCopy copy;
    ASSERT_TRUE(copy.start());
    EXPECT_TRUE(copy.play());
}
