#include "game/app/Application.h"

#include "engine/core/base/Report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_journal;

struct FakeMenu : MenuStage {
    int32_t answer = 0;
    explicit FakeMenu(int32_t a) : answer(a) { g_journal.push_back("menu made"); }
    ~FakeMenu() override { g_journal.push_back("menu deleted"); }
    void load(Stream*, RaceSetup&) override { g_journal.push_back("menu load"); }
    int32_t update() override
    {
        g_journal.push_back("menu update");
        return answer;
    }
    void onLostDevice() override { g_journal.push_back("menu lost"); }
    void onResetDevice() override { g_journal.push_back("menu reset"); }
};

struct FakeRace : RaceStage {
    int32_t word = 0;
    explicit FakeRace(int32_t w) : word(w) { g_journal.push_back("race made"); }
    ~FakeRace() override { g_journal.push_back("race deleted"); }
    void load(Stream*, RaceSetup&, WinInput*) override { g_journal.push_back("race load"); }
    void update(WinInput*) override { g_journal.push_back("race update"); }
    int32_t result() const override { return word; }
    void onLostDevice() override { g_journal.push_back("race lost"); }
    void onResetDevice() override { g_journal.push_back("race reset"); }
};

// Answers of the menus and races the application makes next.
struct Script {
    int32_t menuAnswer = 0;
    int32_t raceResult = 0;
    FakeMenu* menu = nullptr;
    FakeRace* race = nullptr;
};

StageMakers scriptedMakers(Script& script)
{
    StageMakers makers;
    makers.makeMenu = [&script](Application*, Renderer*, WinInput*) {
        return script.menu = new FakeMenu(script.menuAnswer);
    };
    makers.makeRace = [&script](Application*, Renderer*) { return script.race = new FakeRace(script.raceResult); };
    return makers;
}

class ApplicationStates : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_journal.clear();
        resetReportSwitch();
    }
    void TearDown() override { resetReportSwitch(); }
};

TEST_F(ApplicationStates, EveryTransitionOfTheFrameTable)
{
    struct Case {
        const char* name;
        int32_t from;
        int32_t menuAnswer; // for the menu present in state 0
        int32_t raceResult; // for the race present in states 1 and 3
        int32_t to;
        std::vector<std::string> journal;
    };
    const Case cases[] = {
        {"create menu", 5, 0, 0, 0, {"menu made", "menu load"}},
        {"menu stays", 0, 0, 0, 0, {"menu update"}},
        {"menu quits", 0, 1, 0, 6, {"menu update"}},
        {"menu starts race", 0, 2, 0, 7, {"menu update"}},
        {"menu to quit", 6, 0, 0, 4, {"menu deleted"}},
        {"menu to race", 7, 0, 0, 2, {"menu deleted"}},
        {"start race", 2, 0, 0, 1, {"race made", "race load"}},
        {"race runs", 1, 0, 0, 1, {"race update"}},
        {"race ends to menu", 1, 0, 1, 3, {"race update"}},
        {"race ends", 1, 0, 3, 3, {"race update"}},
        {"ended, back to menu", 3, 0, 1, 5, {"race deleted"}},
        {"ended, menu again", 3, 0, 3, 5, {"race deleted"}},
        {"ended, race again", 3, 0, 2, 2, {"race deleted"}},
        {"quit", 4, 0, 0, 4, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Script script;
        script.raceResult = c.raceResult;
        Application app(nullptr, scriptedMakers(script));
        if (c.from == 0 || c.from == 6 || c.from == 7)
            app.m_menu = new FakeMenu(c.menuAnswer);
        if (c.from == 1 || c.from == 3)
            app.m_race = new FakeRace(c.raceResult);
        app.m_state = c.from;
        g_journal.clear();
        EXPECT_TRUE(app.update(nullptr));
        EXPECT_EQ(app.m_state, c.to);
        EXPECT_EQ(g_journal, c.journal);
        EXPECT_EQ(app.m_quit, c.from == 4 ? 1 : 0);
        EXPECT_EQ(app.m_menu != nullptr, c.to == 0 || (c.from == 0 && c.to != 0));
        EXPECT_EQ(app.m_race != nullptr, c.to == 1 || c.to == 3);
    }
}

TEST_F(ApplicationStates, FirstFrameBuildsTheMenuWithMenuDetailLevelsAndAWholeRunWalksToQuit)
{
    Script script;
    script.menuAnswer = 2;
    script.raceResult = 1;
    Application app(nullptr, scriptedMakers(script));
    EXPECT_EQ(Application::instance(), &app);
    EXPECT_EQ(app.m_state, Application::StateCreateMenu);
    std::vector<int32_t> states;
    for (int i = 0; i < 7; ++i) {
        app.update(nullptr);
        states.push_back(app.m_state);
    }
    EXPECT_EQ(states, (std::vector<int32_t>{0, 7, 2, 1, 3, 5, 0}));
    script.menu->answer = 1;
    app.update(nullptr);
    app.update(nullptr);
    EXPECT_EQ(app.m_state, Application::StateQuit);
    EXPECT_EQ(app.m_quit, 0);
    app.update(nullptr);
    EXPECT_EQ(app.m_quit, 1);
    EXPECT_EQ(app.m_menu, nullptr);
    EXPECT_EQ(app.m_race, nullptr);
}

TEST_F(ApplicationStates, MissingMenuOrRaceQuitsCleanly)
{
    for (int32_t from : {5, 2}) {
        SCOPED_TRACE(from);
        Application app(nullptr);
        app.m_state = from;
        testing::internal::CaptureStderr();
        app.update(nullptr);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(from == 5 ? "menu" : "race"), std::string::npos);
        EXPECT_EQ(app.m_state, Application::StateQuit);
        app.update(nullptr);
        EXPECT_EQ(app.m_quit, 1);
    }
}

TEST_F(ApplicationStates, UnknownStateOrAnEndedRaceWithoutResultAssertsAndStays)
{
    reportLevel = 3;
    Application app(nullptr);
    app.m_state = 8;
    testing::internal::CaptureStderr();
    app.update(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Assertion failed: - internal error -\n");
    EXPECT_EQ(app.m_state, 8);

    reportToText = 1;
    app.m_state = Application::StateRaceEnded;
    app.m_race = new FakeRace(0);
    app.update(nullptr);
    EXPECT_STREQ(lastErrorText.c_str(), "you shouldn't be here");
    EXPECT_EQ(app.m_state, Application::StateRaceEnded);
    EXPECT_EQ(app.m_race, nullptr);
}

TEST_F(ApplicationStates, DeviceLossReachesOnlyTheStageThatRuns)
{
    struct Case {
        int32_t state;
        bool menu, race;
        std::vector<std::string> journal;
    };
    const Case cases[] = {
        {0, true, false, {"menu lost", "menu reset"}},
        {1, false, true, {"race lost", "race reset"}},
        {3, false, true, {}},
        {7, true, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        Application app(nullptr);
        if (c.menu)
            app.m_menu = new FakeMenu(0);
        if (c.race)
            app.m_race = new FakeRace(0);
        app.m_state = c.state;
        g_journal.clear();
        app.onLostDevice();
        app.onResetDevice();
        EXPECT_EQ(g_journal, c.journal);
    }
}

TEST_F(ApplicationStates, LoadingBarMapsProgressIntoTheSortedRange)
{
    Application app(nullptr);
    app.openLoadingScreen("", 0.3f, 0.9f, 0.2f);
    EXPECT_FLOAT_EQ(app.m_progressLow, 0.2f);
    EXPECT_FLOAT_EQ(app.m_progressHigh, 0.9f);
    EXPECT_FLOAT_EQ(app.loadingBarValue(0.3f), 0.41f);
    EXPECT_FLOAT_EQ(app.loadingBarValue(1.0f), 0.9f);
}

} // namespace
