// A race to its end with the application's GUI: the results dialog ranks the
// karts, a single player's time enters the highscores (highscores.dat), a
// career race books kudos, points, ranks and times into the profile
// (profiles.dat) and leads through ranking and career to the next race, and
// the pause dialog goes on, starts again or leaves.
#include "DialogRig.h"

#include "game/menu/Highscores.h"
#include "game/menu/ProfileStore.h"
#include "game/race/Kart.h"
#include "game/race/RaceScoring.h"

#include <CEGUI/Window.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

bool over(DialogRig& rig)
{
    return rig.race() && rig.race()->m_countdownPhase == 6;
}

// A few application frames, until the state machine reaches `state`.
bool reach(DialogRig& rig, int32_t state)
{
    for (int i = 0; i < 4 && rig.app->m_state != state; ++i)
        rig.frame();
    return rig.app->m_state == state;
}

// The race until its results show: at most two minutes of racing.
void raceToResults(DialogRig& rig)
{
    rig.go();
    ASSERT_TRUE(rig.runUntil([&] { return over(rig); }, 120.0)) << "the race did not end";
}

TEST(RaceResults, ASingleRaceIsRankedShownAndEntersTheHighscores)
{
    DialogRig rig;
    ASSERT_TRUE(rig.started());
    rig.setUp(3);
    TestRace& race = rig.startRace();
    ASSERT_TRUE(race.loaded());
    EXPECT_FALSE(rig.shown("Results"));
    EXPECT_EQ(rig.text("Results/LblHeader"), "Single race");
    // Rows beyond the karts are blank; the others have their place.
    EXPECT_EQ(rig.text("Results/LblRank01"), "1st");
    EXPECT_EQ(rig.text("Results/LblRank03"), "3rd");
    EXPECT_EQ(rig.text("Results/LblRank04"), "");

    raceToResults(rig);
    // The human finished; the two computer karts, at half pace, were half
    // way round and finish behind by estimate, one after the other.
    const Kart& human = *race.m_karts[0];
    const Kart& second = *race.m_karts[1];
    const Kart& third = *race.m_karts[2];
    EXPECT_EQ(human.m_rank, 0);
    EXPECT_TRUE(second.m_finished && third.m_finished);
    EXPECT_GT(second.m_finishTime, human.m_finishTime + 0.1f);
    EXPECT_GT(third.m_finishTime, human.m_finishTime + 0.1f);
    EXPECT_EQ(std::min(second.m_rank, third.m_rank), 1);
    EXPECT_EQ(std::max(second.m_rank, third.m_rank), 2);

    EXPECT_TRUE(rig.shown("Results"));
    EXPECT_TRUE(race.m_resultsWindow->getModalState());
    EXPECT_TRUE(race.dialogShown());
    EXPECT_EQ(rig.text("Results/LblName01"), "driver 0");
    EXPECT_EQ(rig.text("Results/LblTime01"), scoring::formatTime(human.m_finishTime));
    EXPECT_EQ(rig.text("Results/LblName" + std::string(second.m_rank == 1 ? "02" : "03")), "driver 1");
    EXPECT_EQ(rig.text("Results/LblName04"), "");

    // The first time on this track enters its table at the top, on disk.
    EXPECT_EQ(rig.app->m_raceSetup.highscoreSlot, 0);
    Highscores saved;
    ASSERT_TRUE(saved.load());
    const HighscoreEntry& entry = saved.table(0, 0, 1)->entry(0);
    EXPECT_EQ(entry.name, "driver 0");
    EXPECT_EQ(entry.kart, "k0");
    EXPECT_FLOAT_EQ(entry.time, human.m_finishTime);

    // The race goes on behind the dialog until OK leads to the menu.
    rig.frame();
    EXPECT_EQ(race.result(), 0);
    rig.click("Results/BtnOk");
    EXPECT_FALSE(rig.shown("Results"));
    EXPECT_EQ(race.result(), 1);
    EXPECT_TRUE(reach(rig, Application::StateMenu));
    EXPECT_EQ(rig.app->m_race, nullptr);
    EXPECT_EQ(rig.menusMade, 1);
}

TEST(RaceResults, ATimeTooSlowForTheTableLeavesTheSlotEmptyAndTheFileAlone)
{
    DialogRig rig;
    ASSERT_TRUE(rig.started());
    HighscoreTable& table = *rig.app->m_highscores->table(0, 0, 1);
    for (int32_t i = 0; i < HighscoreTable::kEntries; ++i)
        table.insertAt(i, HighscoreEntry("k1", "fast", 0, 1.0f + float(i), 0));
    std::filesystem::remove(rig.playerFolder.file("highscores.dat"));
    rig.setUp(1);
    rig.startRace();
    raceToResults(rig);
    EXPECT_EQ(rig.app->m_raceSetup.highscoreSlot, -1);
    EXPECT_FALSE(std::filesystem::exists(rig.playerFolder.file("highscores.dat")));
}

TEST(RaceResults, ACareerRaceBooksTheProfileAndLeadsToTheNextRace)
{
    DialogRig rig;
    ASSERT_TRUE(rig.started());
    rig.addProfile();
    rig.setUp(3, 3);
    TestRace& race = rig.startRace();
    // Restarting is not offered in a career.
    EXPECT_TRUE(race.m_pauseRestart->isDisabled());
    EXPECT_EQ(race.m_kudosBefore[0], 100);
    raceToResults(rig);

    ProfileStore& store = *rig.app->m_profileStore;
    const int32_t award[3][2] = {{50, 3}, {25, 2}, {10, 1}};
    for (int32_t p = 0; p < 3; ++p) {
        SCOPED_TRACE(p);
        const int32_t rank = race.m_karts[p]->m_rank;
        EXPECT_EQ(store.getRank(p, 0, 0), rank);
        EXPECT_FLOAT_EQ(store.getTime(p, 0, 0), race.m_karts[p]->m_finishTime);
        EXPECT_EQ(store.getKudos(p), 100 + p + award[rank][0]);
        EXPECT_EQ(store.getSeasonPoints(p, 0), award[rank][1]);
    }
    // Drivers not in the race are untouched.
    EXPECT_EQ(store.getKudos(5), 105);
    EXPECT_EQ(store.getRank(5, 0, 0), -1);
    // A career result does not go into the single-race tables.
    EXPECT_EQ(rig.app->m_raceSetup.highscoreSlot, -1);

    // Results, ranking, career, shop and back, then the next race.
    rig.click("Results/BtnOk");
    EXPECT_TRUE(rig.shown("Ranking"));
    EXPECT_TRUE(race.dialogShown());
    rig.click("Ranking/BtnContinue");
    EXPECT_FALSE(rig.shown("Ranking"));
    EXPECT_TRUE(rig.shown("Career"));
    rig.click("Career/BtnBack");
    EXPECT_TRUE(rig.shown("Ranking"));
    rig.click("Ranking/BtnContinue");
    rig.click("Career/BtnShop");
    EXPECT_TRUE(rig.shown("Shop"));
    EXPECT_FALSE(rig.shown("Career"));
    rig.frame();
    rig.click("Shop/BtnBack");
    EXPECT_TRUE(rig.shown("Career"));
    EXPECT_EQ(race.result(), 0);
    rig.click("Career/BtnStart");
    EXPECT_EQ(race.result(), 2);

    // The application books the season and saves it, then starts the next
    // race of the season: the coin race.
    ASSERT_TRUE(reach(rig, Application::StateStartRace));
    ProfileStore saved;
    ASSERT_TRUE(saved.load());
    EXPECT_EQ(saved.getKudos(0), store.getKudos(0));
    EXPECT_EQ(saved.getSeasonPoints(0, 0), award[store.getRank(0, 0, 0)][1]);
    EXPECT_EQ(saved.getRank(0, 0, 0), 0);
    EXPECT_EQ(saved.getLevel(0), 1);
    rig.frame();
    ASSERT_NE(rig.race(), nullptr);
    EXPECT_EQ(rig.app->m_raceSetup.gameType, Race::CoinRace);
    EXPECT_EQ(rig.app->m_raceSetup.careerRace, 1);
    EXPECT_TRUE(rig.race()->loaded());
}

TEST(RaceResults, GivingUpACareerRaceBooksNothingAndShowsNoTimes)
{
    DialogRig rig;
    ASSERT_TRUE(rig.started());
    rig.addProfile();
    rig.setUp(3, 3);
    TestRace& race = rig.startRace();
    rig.go();
    rig.runUntil([] { return false; }, 3.0);
    rig.input.m_keys[0x01] = 1;
    rig.frame();
    ASSERT_TRUE(rig.shown("Pause"));
    rig.click("Pause/BtnExit");
    EXPECT_FALSE(rig.shown("Pause"));
    EXPECT_TRUE(race.m_abandoned);
    rig.frame();
    ASSERT_TRUE(over(rig));
    EXPECT_TRUE(rig.shown("Results"));
    for (const char* row : {"01", "02", "03"})
        EXPECT_EQ(rig.text(std::string("Results/LblTime") + row), "--:--:--") << row;
    // The player is last; no kudos or points, the ranks and times booked.
    EXPECT_EQ(race.m_karts[0]->m_rank, 2);
    ProfileStore& store = *rig.app->m_profileStore;
    for (int32_t p = 0; p < 3; ++p) {
        EXPECT_EQ(store.getKudos(p), 100 + p);
        EXPECT_EQ(store.getSeasonPoints(p, 0), 0);
        EXPECT_EQ(store.getRank(p, 0, 0), race.m_karts[p]->m_rank);
    }
    EXPECT_EQ(race.result(), 0);
}

TEST(RaceResults, PauseGoesOnStartsAgainOrLeaves)
{
    DialogRig rig;
    ASSERT_TRUE(rig.started());
    rig.setUp(2);
    TestRace& race = rig.startRace();
    EXPECT_FALSE(race.m_pauseRestart->isDisabled());
    EXPECT_EQ(rig.text("Pause/BtnContinue"), "Continue");
    rig.go();
    rig.runUntil([] { return false; }, 2.0);

    auto pause = [&] {
        rig.input.m_keys[0x01] = 1;
        rig.frame();
        ASSERT_TRUE(rig.shown("Pause"));
        EXPECT_TRUE(race.paused());
        EXPECT_EQ(race.m_timer.m_speedFactor, 0.0);
    };
    pause();
    // The clock stands while paused.
    const double clock = race.raceClock();
    rig.frame();
    EXPECT_EQ(race.raceClock(), clock);
    rig.click("Pause/BtnContinue");
    EXPECT_FALSE(rig.shown("Pause"));
    EXPECT_EQ(race.m_timer.m_speedFactor, 1.0);
    rig.frame();
    rig.frame();
    EXPECT_GT(race.raceClock(), clock);
    EXPECT_FALSE(race.dialogShown());

    pause();
    rig.click("Pause/BtnRestart");
    EXPECT_FALSE(rig.shown("Pause"));
    EXPECT_EQ(race.m_started, 0);
    EXPECT_EQ(race.m_countdownPhase, 1);
    EXPECT_EQ(race.m_karts[0]->m_lap, 0);

    pause();
    rig.click("Pause/BtnExit");
    EXPECT_EQ(race.result(), 1);
    EXPECT_TRUE(reach(rig, Application::StateMenu));
    EXPECT_EQ(rig.app->m_race, nullptr);
}

TEST(RaceResults, LastManStandingShowsItsOwnResults)
{
    DialogRig rig;
    ASSERT_TRUE(rig.started());
    rig.setUp(3, 0, Race::LastManStanding);
    TestRace& race = rig.startRace();
    EXPECT_EQ(rig.text("Results/LblHeader"), "Last man standing");
    rig.go();
    rig.frame();
    race.m_karts[2]->setEnergy(0);
    rig.frame();
    race.m_karts[1]->setEnergy(0);
    ASSERT_TRUE(rig.runUntil([&] { return over(rig); }, 5.0));
    // The survivor first, the first one out last.
    EXPECT_EQ(race.m_karts[0]->m_rank, 0);
    EXPECT_EQ(race.m_karts[1]->m_rank, 1);
    EXPECT_EQ(race.m_karts[2]->m_rank, 2);
    EXPECT_EQ(rig.text("Results/LblName01"), "driver 0");
    EXPECT_EQ(rig.text("Results/LblName03"), "driver 2");
    // nochecks is the first arena of the list.
    EXPECT_EQ(rig.app->m_raceSetup.highscoreSlot, 0);
    EXPECT_EQ(rig.app->m_highscores->extraTable(0, 0)->entry(0).name, "driver 0");
}

} // namespace
