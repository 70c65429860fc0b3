// The debug console of a race with the application's GUI: the key left of 1
// opens and closes it, its watches follow the selected kart, its commands
// change the race, its karts and the tuning values, and what it cannot do is
// answered in its log.
#include "DialogRig.h"

#include "engine/core/render/Renderer.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "game/app/DebugConsole.h"
#include "game/app/Gui.h"
#include "game/app/TuningValues.h"
#include "game/race/Kart.h"

#include <CEGUI/GUIContext.h>
#include <CEGUI/InputEvent.h>
#include <CEGUI/Window.h>
#include <CEGUI/widgets/MultiColumnList.h>
#include <gtest/gtest.h>
#include <ode/ode.h>

namespace {

constexpr uint8_t kConsoleKey = 0x29;

// The lines a command adds to the log (which is emptied first).
std::vector<std::string> typed(DebugConsole& console, const std::string& line)
{
    console.run("clear");
    console.run(line);
    std::vector<std::string> lines;
    const std::string& log = console.log();
    size_t start = 0;
    while (start < log.size()) {
        const size_t end = log.find('\n', start);
        lines.push_back(log.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    // The echo of the command itself comes first.
    if (!lines.empty() && lines[0] == "> " + line)
        lines.erase(lines.begin());
    return lines;
}

class ConsoleRace : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig.started());
        rig.setUp(3);
        race = &rig.startRace();
        ASSERT_TRUE(race->loaded());
        console = race->m_console;
        rig.frame();
    }
    void TearDown() override { resetTuningValues(); }

    DialogRig rig;
    TestRace* race = nullptr;
    DebugConsole* console = nullptr;
};

TEST(DebugConsoleWords, QuotesKeepBlanksInsideAWord)
{
    const struct {
        const char* line;
        std::vector<std::string> words;
    } cases[] = {
        {"say \"hello world\"", {"say", "hello world"}},
        {"  spring   120  12 ", {"spring", "120", "12"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"\"", {}},
        {"", {}},
        {"quote \"unclosed words", {"quote", "unclosed words"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DebugConsole::tokenize(c.line), c.words) << c.line;
}

TEST_F(ConsoleRace, TheKeyLeftOfOneOpensAndClosesItOverTheRace)
{
    EXPECT_FALSE(console->isVisible());
    EXPECT_FALSE(rig.shown("DlgDebugConsole"));
    rig.input.m_keys[kConsoleKey] = 1;
    rig.frame();
    EXPECT_TRUE(console->isVisible());
    EXPECT_TRUE(rig.shown("DlgDebugConsole"));
    EXPECT_FALSE(console->frame()->isDisabled());
    EXPECT_TRUE(gui::find("DlgDebugConsole/EdtCommand")->isActive());
    EXPECT_EQ(rig.text("DlgDebugConsole/EdtMessage").substr(0, 8), "Welcome!");

    // While it is open the start key does not start the race.
    rig.input.m_keys[0x39] = 1;
    rig.frame();
    EXPECT_EQ(race->m_countdownStart, -1.0f);
    rig.input.m_keys[0x39] = 0;

    rig.input.m_keys[kConsoleKey] = 1;
    rig.frame();
    EXPECT_FALSE(console->isVisible());
}

TEST_F(ConsoleRace, WatchesShowTheSelectedKartAndTheEngine)
{
    auto* list = static_cast<CEGUI::MultiColumnList*>(gui::find("DlgDebugConsole/MclValue"));
    ASSERT_EQ(list->getRowCount(), 7u);
    const char* const names[] = {"game::posmap", "kart::check", "kart::lap", "engine::fps",
                                 "engine::polys", "engine::dipcalls", "kart::speed"};
    for (CEGUI::uint row = 0; row < 7; ++row)
        EXPECT_EQ(list->getItemAtGridReference(CEGUI::MCLGridRef(row, 0))->getText(), names[row]);

    race->m_karts[1]->m_lap = 3;
    rig.frame();
    EXPECT_EQ(console->watchText(Race::WatchLap), std::to_string(race->m_karts[0]->m_lap));
    EXPECT_EQ(list->getItemAtGridReference(CEGUI::MCLGridRef(Race::WatchPosmap, 1))->getText(),
              std::to_string(race->positionValue(race->m_karts[0]->m_position)));
    // Selecting kart 1 moves the watches (and view 0) to it.
    typed(*console, "kart 1");
    rig.frame();
    EXPECT_EQ(race->m_viewKart[0], 1);
    EXPECT_EQ(console->watchText(Race::WatchLap), "3");
    EXPECT_EQ(list->getItemAtGridReference(CEGUI::MCLGridRef(Race::WatchLap, 1))->getText(), "3");
}

TEST_F(ConsoleRace, CommandsAnswerAsTheTableSays)
{
    EXPECT_EQ(typed(*console, "help").size(), 32u);
    EXPECT_EQ(typed(*console, "help")[3], "light: toggle light");
    EXPECT_EQ(typed(*console, "quote one \"two three\""), (std::vector<std::string>{"one", "two three"}));
    EXPECT_EQ(typed(*console, "quit"), (std::vector<std::string>{"quit()"}));
    const int32_t cameras = race->m_scene->cameraCount();
    EXPECT_EQ(typed(*console, "scenestats"),
              (std::vector<std::string>{"num Cameras: " + std::to_string(cameras),
                                        "num Objects: " + std::to_string(race->m_scene->objectCount()),
                                        "num Lights: " + std::to_string(race->m_scene->lightCount())}));
    EXPECT_EQ(typed(*console, "view camera " + std::to_string(cameras)),
              (std::vector<std::string>{"camera does not exist"}));
    EXPECT_EQ(typed(*console, "view camera " + std::to_string(cameras - 1)),
              (std::vector<std::string>{"changed view to camera x"}));
    EXPECT_EQ(typed(*console, "view camera"),
              (std::vector<std::string>{"not enough arguments", "syntax: view camera <cameraindex>"}));

    const uint8_t wireframe = race->m_renderer->m_wireframe;
    EXPECT_EQ(typed(*console, "wireframe"), (std::vector<std::string>{wireframe ? "wireframe(): off" : "wireframe(): on"}));
    EXPECT_EQ(typed(*console, "wireframe"), (std::vector<std::string>{wireframe ? "wireframe(): on" : "wireframe(): off"}));
    EXPECT_EQ(typed(*console, "bbox"), (std::vector<std::string>{"bbox(): on"}));
    EXPECT_EQ(race->m_renderer->m_drawBoundingBoxes, 1);
    EXPECT_EQ(typed(*console, "freeflight"), (std::vector<std::string>{"freeflight(): on"}));
    EXPECT_EQ(race->m_cameraMode[0], Race::FreeCamera);
    EXPECT_EQ(typed(*console, "freeflight"), (std::vector<std::string>{"freeflight(): off"}));
    EXPECT_EQ(typed(*console, "cameraheight 4.5"), (std::vector<std::string>{"camera height set"}));
    EXPECT_EQ(race->m_cameraHeight[0], 4.5f);
    EXPECT_EQ(typed(*console, "cameradistance 9"), (std::vector<std::string>{"camera distance set"}));
    EXPECT_EQ(race->m_cameraDistance[0], 9.0f);
    EXPECT_TRUE(typed(*console, "camerafov 1.2").empty());
    EXPECT_EQ(race->m_cameraFov[0], 1.2f);

    // The scene graph: the root at depth 1, every item once.
    const std::vector<std::string> tree = typed(*console, "scenegraph");
    const std::vector<std::string> names = typed(*console, "sg2");
    ASSERT_FALSE(tree.empty());
    EXPECT_EQ(tree[0], "-  " + race->m_scene->m_root->m_name);
    EXPECT_EQ(tree.size(), names.size());
    EXPECT_EQ(names[0], race->m_scene->m_root->m_name);
    EXPECT_FALSE(typed(*console, "mml").empty());

    // "clear" empties the log and the history.
    console->run("clear");
    EXPECT_EQ(console->log(), "");
    EXPECT_TRUE(console->history().empty());
}

TEST_F(ConsoleRace, KartAndTuningCommandsSetTheirValues)
{
    Kart& kart = *race->m_karts[0];
    const struct {
        const char* command;
        float Kart::*value;
        float expected;
    } values[] = {
        {"forwardspeed 31.5", &Kart::m_forwardSpeed, 31.5f}, {"forwardforce 2", &Kart::m_forwardForce, 2.0f},
        {"backwardspeed 7", &Kart::m_backwardSpeed, 7.0f},    {"backwardforce 0.25", &Kart::m_backwardForce, 0.25f},
        {"brakeforce 3", &Kart::m_brakeForce, 3.0f},          {"idleforce 0.5", &Kart::m_idleForce, 0.5f},
        {"slip 0.2", &Kart::m_slip, 0.2f},                    {"drift 0.3", &Kart::m_drift, 0.3f},
        {"driftexp 0.9", &Kart::m_driftExp, 0.9f},            {"mu 4", &Kart::m_mu, 4.0f},
        {"steerspeed 0.07", &Kart::m_steerSpeed, 0.07f},      {"steerangle 90", &Kart::m_steerAngle, 1.5707964f},
        {"steeranglemin 45", &Kart::m_steerAngleMin, 0.7853982f},
    };
    for (const auto& v : values) {
        EXPECT_TRUE(typed(*console, v.command).empty()) << v.command;
        EXPECT_FLOAT_EQ(kart.*(v.value), v.expected) << v.command;
    }
    for (const auto& [command, value] :
         {std::pair{"kartERP 0.5", &kartERP}, {"kartCFM 0.01", &kartCFM}, {"wheelsERP 0.25", &wheelsERP},
          {"wheelsCFM 0.02", &wheelsCFM}}) {
        console->run(command);
        EXPECT_FLOAT_EQ(*value, std::stof(DebugConsole::tokenize(command)[1])) << command;
    }

    // Masses: the body's total, and a mass of 0 or less is refused.
    dMass m;
    console->run("mass 1.25");
    dBodyGetMass(kart.m_chassis->m_body, &m);
    EXPECT_NEAR(m.mass, 1.25, 1e-6);
    EXPECT_EQ(typed(*console, "mass 0"), (std::vector<std::string>{"mass: a mass must be above 0"}));
    EXPECT_EQ(typed(*console, "masswheels -1"), (std::vector<std::string>{"masswheels: a mass must be above 0"}));
    EXPECT_EQ(typed(*console, "masssuspensions nan").size(), 1u);
    dBodyGetMass(kart.m_chassis->m_body, &m);
    EXPECT_NEAR(m.mass, 1.25, 1e-6);
    console->run("masswheels 0.2");
    for (SceneObject* wheel : kart.m_wheel) {
        dBodyGetMass(wheel->m_body, &m);
        EXPECT_NEAR(m.mass, 0.2, 1e-6);
    }
    // The race keeps stepping with the new values.
    rig.go();
    rig.runUntil([&] { return race->raceClock() - race->m_startTime > 1.0; }, 2.0);
    EXPECT_TRUE(std::isfinite(kart.m_position.x));

    // "pos" places kart 0.
    console->run("pos 10 5 -20");
    EXPECT_NEAR(kart.m_root->m_motion[PositionX].m_value, 10.0f, 1e-4f);
    EXPECT_NEAR(kart.m_root->m_motion[PositionZ].m_value, -20.0f, 1e-4f);
}

TEST_F(ConsoleRace, WhatItCannotDoIsAnsweredAndChangesNothing)
{
    const float speed = race->m_karts[0]->m_forwardSpeed;
    const struct {
        const char* line;
        const char* answer;
    } cases[] = {
        {"fly", "unknown command \"fly\"; type \"help\" for the commands"},
        {"Help", "unknown command \"Help\"; type \"help\" for the commands"},
        {"forwardspeed", "not enough arguments"},
        {"forwardspeed fast", "forwardspeed: \"fast\" is not a number"},
        {"forwardspeed 1e999", "forwardspeed: \"1e999\" is not a number"},
        {"kart 3", "kart: there is no kart 3 (karts 0 to 2)"},
        {"kart -1", "kart: there is no kart -1 (karts 0 to 2)"},
        {"kill 2.5", "kill: \"2.5\" is not a whole number"},
        {"view camera two", "view: \"two\" is not a whole number"},
        {"colwall", "colwall: the level has no colmesh.lwo"},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> answer = typed(*console, c.line);
        ASSERT_FALSE(answer.empty()) << c.line;
        EXPECT_EQ(answer[0], c.answer) << c.line;
    }
    EXPECT_EQ(race->m_karts[0]->m_forwardSpeed, speed);
    EXPECT_EQ(race->m_viewKart[0], 0);
}

TEST_F(ConsoleRace, WinEndsTheRaceWithTheSelectedKartFirst)
{
    rig.go();
    console->run("kart 1");
    console->run("win");
    rig.frame();
    // The finish check saw every kart finished; the results keep the times.
    ASSERT_TRUE(rig.runUntil([&] { return race->m_countdownPhase == 6; }, 1.0));
    EXPECT_EQ(race->m_karts[1]->m_finishTime, 1.0f);
    EXPECT_EQ(race->m_karts[0]->m_finishTime, 3540.0f);
    EXPECT_EQ(race->m_karts[2]->m_finishTime, 3540.0f);
    EXPECT_EQ(race->m_karts[1]->m_rank, 0);
    EXPECT_EQ(rig.text("Results/LblName01"), "driver 1");
}

TEST_F(ConsoleRace, LooseEndsTheRaceWithTheSelectedKartLast)
{
    rig.go();
    console->run("loose");
    ASSERT_TRUE(rig.runUntil([&] { return race->m_countdownPhase == 6; }, 1.0));
    EXPECT_EQ(race->m_karts[0]->m_finishTime, 3540.0f);
    EXPECT_EQ(race->m_karts[0]->m_rank, 2);
}

TEST_F(ConsoleRace, KillFinishesOneKartAtTheTimeOfTheRace)
{
    rig.go();
    rig.runUntil([&] { return race->raceClock() - race->m_startTime > 0.5; }, 1.0);
    console->run("kill 2");
    EXPECT_TRUE(race->m_karts[2]->m_finished);
    EXPECT_NEAR(race->m_karts[2]->m_finishTime, float(race->raceClock()) - race->m_startTime, 1e-4f);
    EXPECT_FALSE(race->m_karts[1]->m_finished);
}

TEST_F(ConsoleRace, TheHistoryKeysBringBackEarlierCommands)
{
    rig.input.m_keys[kConsoleKey] = 1;
    rig.frame();
    CEGUI::Window* line = gui::find("DlgDebugConsole/EdtCommand");
    for (const char* command : {"quote a", "quote b", "quote c"}) {
        line->setText(command);
        line->activate();
        gui::context().injectKeyDown(CEGUI::Key::Return);
        EXPECT_EQ(line->getText(), "") << command;
    }
    EXPECT_EQ(console->history(), (std::vector<std::string>{"quote c", "quote b", "quote a"}));
    auto key = [&](CEGUI::Key::Scan k) {
        gui::context().injectKeyDown(k);
        return std::string(line->getText().c_str());
    };
    EXPECT_EQ(key(CEGUI::Key::ArrowUp), "quote c");
    EXPECT_EQ(key(CEGUI::Key::ArrowUp), "quote b");
    EXPECT_EQ(key(CEGUI::Key::ArrowUp), "quote a");
    EXPECT_EQ(key(CEGUI::Key::ArrowUp), "quote a");
    EXPECT_EQ(key(CEGUI::Key::ArrowDown), "quote b");
    EXPECT_EQ(key(CEGUI::Key::ArrowDown), "quote c");
    EXPECT_EQ(key(CEGUI::Key::ArrowDown), "quote c");
    EXPECT_NE(console->log().find("> quote b\nb"), std::string::npos);
}

} // namespace
