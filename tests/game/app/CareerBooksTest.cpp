#include "game/app/Application.h"

#include "support/PlayerFolderRig.h"
#include "game/menu/Highscores.h"
#include "game/menu/ProfileStore.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct EndedRace : RaceStage {
    int32_t word;
    explicit EndedRace(int32_t w) : word(w) {}
    void load(Stream*, RaceSetup&, WinInput*) override {}
    void update(WinInput*) override {}
    int32_t result() const override { return word; }
    void onLostDevice() override {}
    void onResetDevice() override {}
};

// Two races in the 50 class, one in 100, two in 150.
const char* const kConfig = R"(<?xml version="1.0" ?><vrl9>
  <levels>
    <level name="harbour" filename="l.lws"><music>4</music></level>
    <level name="dunes" filename="l.lws"><music>5</music></level>
  </levels>
  <career>
    <ccm class="50"><tracklist>
      <track name="harbour" game="singlerace" time="0" laps="3"/>
      <track name="dunes" game="coinrace" time="90" laps="2"/>
    </tracklist></ccm>
    <ccm class="100"><tracklist>
      <track name="dunes" game="singlerace" time="0" laps="4"/>
    </tracklist></ccm>
    <ccm class="150"><tracklist>
      <track name="harbour" game="singlerace" time="0" laps="3"/>
      <track name="dunes" game="timedrun" time="60" laps="1"/>
    </tracklist></ccm>
  </career>
</vrl9>)";

class CareerBooks : public ::testing::Test {
protected:
    void SetUp() override
    {
        files.addFile("l.lws", std::vector<uint8_t>{});
        files.addFile("config.xml", reinterpret_cast<const uint8_t*>(kConfig), std::strlen(kConfig));
        ASSERT_TRUE(app.m_config.loadConfig(files)) << app.m_config.error();
        app.m_profileStore = new ProfileStore();
        app.m_highscores = new Highscores();
        ProfileStore& store = *app.m_profileStore;
        for (int i = 0; i < ProfileStore::kPlayers; ++i) {
            store.setName(i, "driver" + std::to_string(i));
            store.setKart(i, "kart" + std::to_string(i));
            store.setKudos(i, 10 * i);
        }
        app.m_raceSetup.mode = 3;
    }
    // Ends a race with the given result word and answers the next state.
    int32_t endRace(int32_t word)
    {
        app.m_race = new EndedRace(word);
        app.m_state = Application::StateRaceEnded;
        app.update(nullptr);
        return app.m_state;
    }

    PlayerFolderRig folder;
    MemoryFileSystem files;
    Application app{nullptr};
};

TEST_F(CareerBooks, EveryOutcomeOfASeason)
{
    struct Case {
        const char* name;
        int32_t ccm, level;     // the profile before the race
        int32_t leader;         // the player with the most season points
        int32_t word;           // the race's result word
        int32_t state;          // the next application state
        int32_t ccmAfter, levelAfter, careerResult, retries, highscoreSlot;
        uint8_t gameOver;
    };
    const Case cases[] = {
        {"a race of the season follows", 0, 0, 0, 2, Application::StateStartRace, 0, 1, 0, 0, -1, 0},
        {"the race's own word stays", 0, 0, 0, 1, Application::StateCreateMenu, 0, 1, 0, 0, -1, 0},
        {"class 0 won: on to class 1", 0, 1, 0, 2, Application::StateCreateMenu, 1, 1, 1, 0, -1, 0},
        {"class 1 won: on to class 2", 1, 0, 0, 2, Application::StateCreateMenu, 2, 0, 1, 0, -1, 0},
        {"class 2 won: the career is complete", 2, 1, 0, 2, Application::StateCreateMenu, 2, 1, 1, 0, 0, 1},
        {"season lost: the class starts again", 1, 0, 3, 2, Application::StateCreateMenu, 1, 0, 2, 1, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProfileStore& store = *app.m_profileStore;
        store.resetClass(c.ccm);
        store.setCcm(c.ccm);
        store.setLevel(c.ccm, c.level);
        store.setRetries(0);
        store.setGameOver(0);
        store.setSeasonPoints(c.leader, c.ccm, 50);
        app.m_highscores->clear();
        app.m_raceSetup.careerResult = 0;
        app.m_raceSetup.highscoreSlot = -1;

        EXPECT_EQ(endRace(c.word), c.state);
        EXPECT_EQ(store.getCcm(), c.ccmAfter);
        EXPECT_EQ(store.getLevel(c.ccm), c.levelAfter);
        EXPECT_EQ(app.m_raceSetup.careerResult, c.careerResult);
        EXPECT_EQ(store.getRetries(), c.retries);
        EXPECT_EQ(app.m_raceSetup.highscoreSlot, c.highscoreSlot);
        EXPECT_EQ(store.isGameOver(), c.gameOver);
        // The books are on disk after every race.
        ProfileStore saved;
        ASSERT_TRUE(saved.load());
        EXPECT_EQ(saved.getCcm(), c.ccmAfter);
        EXPECT_EQ(saved.getRetries(), c.retries);
        store.setSeasonPoints(c.leader, c.ccm, 0);
    }
}

TEST_F(CareerBooks, TheNextRaceIsSetUpFromTheProfile)
{
    ProfileStore& store = *app.m_profileStore;
    store.setSpoiler(2, 0, 3);
    store.setTires(2, 0, 1);
    store.setSideskirts(2, 0, 2);
    store.setEngine(2, 0, 4);
    store.setColor(2, 0, 5);
    store.setLogo(2, 0, 6);
    ASSERT_EQ(endRace(2), Application::StateStartRace);

    const RaceSetup& setup = app.m_raceSetup;
    EXPECT_EQ(setup.level, "dunes");
    EXPECT_EQ(setup.gameType, 1);
    EXPECT_EQ(setup.laps, 2);
    EXPECT_EQ(setup.careerRace, 1);
    EXPECT_EQ(store.getTracks(0), (std::vector<std::string>{"dunes"}));
    for (int i = 0; i < RaceSetup::kPlayers; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(setup.playerType[i], i == 0 ? 1 : 4);
        EXPECT_EQ(setup.playerName[i], "driver" + std::to_string(i));
        EXPECT_EQ(setup.kartName[i], "kart" + std::to_string(i));
        EXPECT_EQ(setup.kudos[i], store.getKudos(i));
        EXPECT_EQ(setup.startSlot[i], store.getStartPosition(i, 0, 1));
    }
    // spoiler, tires, sideskirts, engine, colour, logo
    const int32_t* look = setup.upgrades[2];
    EXPECT_EQ((std::vector<int32_t>(look, look + RaceSetup::kLooks)), (std::vector<int32_t>{3, 1, 2, 4, 5, 6}));
}

TEST_F(CareerBooks, TheCompletedCareerEntersTheOverallTable)
{
    ProfileStore& store = *app.m_profileStore;
    store.setCcm(2);
    store.setLevel(2, 1);
    store.setRetries(2);
    store.setSeasonPoints(0, 2, 40);
    store.setTime(0, 2, 0, 61.5f);
    store.setTime(0, 2, 1, 38.5f);
    endRace(2);
    const HighscoreEntry& entry = app.m_highscores->overallTable().entry(0);
    EXPECT_EQ(entry.name, "driver0");
    EXPECT_EQ(entry.kart, "kart0");
    EXPECT_EQ(entry.score, 40);
    EXPECT_FLOAT_EQ(entry.time, 100.0f);
    EXPECT_EQ(entry.retries, 2);
    Highscores saved;
    ASSERT_TRUE(saved.load());
    EXPECT_EQ(saved.overallTable().entry(0).name, "driver0");
}

TEST_F(CareerBooks, RacesOutsideTheCareerGoByTheirWordAlone)
{
    app.m_raceSetup.mode = 0;
    app.m_raceSetup.level = "harbour";
    EXPECT_EQ(endRace(2), Application::StateStartRace);
    EXPECT_EQ(app.m_profileStore->getLevel(0), 0);
    EXPECT_EQ(app.m_raceSetup.level, "harbour");
    EXPECT_FALSE(ProfileStore().load()); // nothing was booked
}

TEST_F(CareerBooks, ARaceOnALevelNoRecordNamesStillStarts)
{
    // A level name from a profile or a peer that config.xml does not know.
    StageMakers makers;
    makers.makeRace = [](Application*, Renderer*) { return new EndedRace(0); };
    Application other(nullptr, makers);
    for (const char* level : {"harbour", "no such level", ""}) {
        SCOPED_TRACE(level);
        other.m_raceSetup.level = level;
        other.m_state = Application::StateStartRace;
        other.update(nullptr);
        EXPECT_EQ(other.m_state, Application::StateRace);
        delete other.m_race;
        other.m_race = nullptr;
    }
}

} // namespace
