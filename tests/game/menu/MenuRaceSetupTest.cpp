// The race set-up screens walked headless on our data set: the selectors
// cycle as the player sees them, and each start fills the application's race
// set-up field by field and ends the menu with "start race".
#include "MenuRig.h"

#include "game/app/RaceSetup.h"
#include "game/app/TextTable.h"
#include "game/menu/ProfileStore.h"

#include <CEGUI/Window.h>
#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

class MenuRaceSetup : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string why;
        ASSERT_TRUE(rig.start(why)) << why;
        fillProfile(rig, 1);
    }

    // A profile of seven drivers in the karts of the configuration, each
    // with its own looks in every class, that has reached class `reached`.
    static void fillProfile(MenuRig& rig, int32_t reached)
    {
        rig.addProfile();
        ProfileStore& store = *rig.app->m_profileStore;
        const std::vector<KartInfo>& karts = rig.app->m_config.karts();
        for (int32_t p = 0; p < 7; ++p) {
            store.setName(p, "driver " + std::to_string(p));
            store.setKart(p, karts[size_t(p) % karts.size()].name);
            store.setKudos(p, 100 * p + 50);
            store.setSpoiler(p, 0, p % 6);
            store.setTires(p, 0, (p + 1) % 6);
            store.setSideskirts(p, 0, (p + 2) % 6);
            store.setEngine(p, 0, (p + 3) % 6);
            store.setColor(p, 0, p);
            store.setLogo(p, 0, (p + 1) % 8);
        }
        store.setCcm(reached);
    }

    // A menu that opens on the main menu, as the first of a run does.
    void open()
    {
        Menu::s_firstMenu = 1;
        rig.openMenu();
        ASSERT_FALSE(rig.menu->loadFailed());
        rig.settle();
        ASSERT_EQ(rig.shown(), "MainMenu");
    }
    // Clicks along the way, each followed by the end of its fade.
    void walk(std::initializer_list<const char*> clicks)
    {
        for (const char* path : clicks) {
            SCOPED_TRACE(path);
            rig.click(path);
            rig.settle();
        }
    }
    CEGUI::String text(int32_t id) const { return rig.app->m_textTable->getText(id); }
    std::string label(const std::string& path) const { return rig.window(path)->getText().c_str(); }

    // The profile's seven drivers, as every race against the profile's
    // computer players takes them, in class `ccm`.
    void expectProfilePlayers(const RaceSetup& s, int32_t ccm, bool career, int32_t race)
    {
        const ProfileStore& store = *rig.app->m_profileStore;
        for (int32_t i = 0; i < 7; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(s.playerType[i], i == 0 ? 1 : 4);
            EXPECT_EQ(s.kartName[i], store.getKart(i));
            EXPECT_EQ(s.playerName[i], store.getName(i));
            EXPECT_EQ(s.kudos[i], store.getKudos(i));
            const int32_t looks[6] = {store.getSpoiler(i, ccm), store.getTires(i, ccm), store.getSideskirts(i, ccm),
                                      store.getEngine(i, ccm),  store.getColor(i, ccm), store.getLogo(i, ccm)};
            for (int k = 0; k < 6; ++k)
                EXPECT_EQ(s.upgrades[i][k], looks[k]) << "look " << k;
            EXPECT_EQ(s.startSlot[i], career ? store.getStartPosition(i, ccm, race) : 6 - i);
        }
    }

    MenuRig rig{"menu-race-setup"};
};

TEST_F(MenuRaceSetup, SingleRaceStartsTheChosenTrackClassAndLaps)
{
    open();
    walk({"MainMenu/BtnLoadProfile", "Singleplayer/BtnSingleRace"});
    ASSERT_EQ(rig.shown(), "SingleRace");
    // The defaults: the first track, class 0, three laps.
    const std::vector<std::string>& tracks = rig.app->m_config.singleRaceTracks();
    ASSERT_GE(tracks.size(), 3u);
    EXPECT_EQ(rig.window("SingleRace/ImgTrack")->getText(), text(rig.app->findLevel(tracks[0])->menutext));
    EXPECT_EQ(rig.window("SingleRace/ImgTrack")->getProperty("Image"), "Tracks/" + rig.app->findLevel(tracks[0])->menuimage);
    EXPECT_EQ(rig.window("SingleRace/LblCcm")->getText(), text(2000));
    EXPECT_EQ(rig.window("SingleRace/LblLaps")->getText(), text(2032));

    // Down from the first track wraps to the last, and two up come to the second.
    rig.click("SingleRace/BtnTrackDec");
    EXPECT_EQ(rig.window("SingleRace/ImgTrack")->getText(), text(rig.app->findLevel(tracks.back())->menutext));
    rig.click("SingleRace/BtnTrackInc");
    rig.click("SingleRace/BtnTrackInc");
    EXPECT_EQ(rig.window("SingleRace/ImgTrack")->getText(), text(rig.app->findLevel(tracks[1])->menutext));
    // Laps 3 -> 5 -> 8 -> 3 up, 3 -> 8 down.
    const int32_t lapsUp[3] = {2034, 2037, 2032};
    for (int32_t id : lapsUp) {
        rig.click("SingleRace/BtnLapsInc");
        EXPECT_EQ(rig.window("SingleRace/LblLaps")->getText(), text(id));
    }
    rig.click("SingleRace/BtnLapsDec");
    EXPECT_EQ(rig.window("SingleRace/LblLaps")->getText(), text(2037));
    // The profile reached class 1: up 0 -> 1 -> 0, down 0 -> 1.
    rig.click("SingleRace/BtnCcmInc");
    EXPECT_EQ(rig.window("SingleRace/LblCcm")->getText(), text(2010));
    rig.click("SingleRace/BtnCcmInc");
    EXPECT_EQ(rig.window("SingleRace/LblCcm")->getText(), text(2000));
    rig.click("SingleRace/BtnCcmDec");
    EXPECT_EQ(rig.window("SingleRace/LblCcm")->getText(), text(2010));

    rig.app->m_raceSetup.careerResult = 1; // left over from a season before
    rig.app->m_raceSetup.highscoreSlot = 3;
    rig.click("SingleRace/BtnStart");
    EXPECT_EQ(rig.settle(), 2);
    const RaceSetup& s = rig.app->m_raceSetup;
    EXPECT_EQ(s.mode, 0);
    EXPECT_EQ(s.gameType, 0);
    EXPECT_EQ(s.level, tracks[1]);
    EXPECT_EQ(s.ccm, 1);
    EXPECT_EQ(s.laps, 8);
    EXPECT_EQ(s.highscoreSlot, -1);
    EXPECT_EQ(s.careerResult, 0);
    expectProfilePlayers(s, 1, false, 0);
    EXPECT_EQ(rig.app->m_previewCount, 0);
}

TEST_F(MenuRaceSetup, SingleRaceClassFollowsTheClassTheProfileReached)
{
    struct Case {
        int32_t reached;
        bool enabled;
        int32_t afterDown; // the class label's text after one step down from 0
    };
    const Case cases[] = {{0, false, 2000}, {1, true, 2010}, {2, true, 2020}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reached);
        rig.app->m_profileStore->setCcm(c.reached);
        open();
        walk({"MainMenu/BtnLoadProfile", "Singleplayer/BtnSingleRace"});
        EXPECT_EQ(!rig.window("SingleRace/BtnCcmDec")->isDisabled(), c.enabled);
        EXPECT_EQ(!rig.window("SingleRace/BtnCcmInc")->isDisabled(), c.enabled);
        if (c.enabled)
            rig.click("SingleRace/BtnCcmDec");
        EXPECT_EQ(rig.window("SingleRace/LblCcm")->getText(), text(c.afterDown));
        rig.closeMenu();
    }
}

TEST_F(MenuRaceSetup, LastManStandingStartsTheChosenArenaWithoutLaps)
{
    open();
    walk({"MainMenu/BtnLoadProfile", "Singleplayer/BtnLastManStanding"});
    ASSERT_EQ(rig.shown(), "LastManStanding");
    const std::vector<std::string>& arenas = rig.app->m_config.lastManStandingTracks();
    ASSERT_GE(arenas.size(), 2u);
    EXPECT_EQ(rig.window("LastManStanding/ImgTrack")->getText(), text(rig.app->findLevel(arenas[0])->menutext));
    EXPECT_EQ(rig.window("LastManStanding/LblCcm")->getText(), text(2000));
    // Every class whatever the profile reached: 0 -> 2 -> 1 down.
    rig.click("LastManStanding/BtnCcmDec");
    EXPECT_EQ(rig.window("LastManStanding/LblCcm")->getText(), text(2020));
    rig.click("LastManStanding/BtnCcmDec");
    rig.click("LastManStanding/BtnTrackDec");
    EXPECT_EQ(rig.window("LastManStanding/ImgTrack")->getText(), text(rig.app->findLevel(arenas.back())->menutext));
    EXPECT_EQ(rig.window("LastManStanding/ImgTrack")->getProperty("Image"),
              "Tracks/" + rig.app->findLevel(arenas.back())->menuimage);

    rig.click("LastManStanding/BtnStart");
    EXPECT_EQ(rig.settle(), 2);
    const RaceSetup& s = rig.app->m_raceSetup;
    EXPECT_EQ(s.mode, 0);
    EXPECT_EQ(s.gameType, 3);
    EXPECT_EQ(s.level, arenas.back());
    EXPECT_EQ(s.ccm, 1);
    EXPECT_EQ(s.laps, -1);
    EXPECT_EQ(s.highscoreSlot, -1);
    expectProfilePlayers(s, 1, false, 0);
}

TEST_F(MenuRaceSetup, CareerStartTakesTheNextRaceOfTheReachedClass)
{
    struct Case {
        int32_t ccm, race;
    };
    const Case cases[] = {{0, 0}, {1, 3}, {1, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ccm << "/" << c.race);
        ProfileStore& store = *rig.app->m_profileStore;
        store.setCcm(c.ccm);
        store.setLevel(c.ccm, c.race);
        // The race before ends in an order the grid must follow.
        if (c.race > 0)
            for (int32_t p = 0; p < 7; ++p)
                store.setRank(p, c.ccm, c.race - 1, (p + 2) % 7);
        open();
        walk({"MainMenu/BtnLoadProfile", "Singleplayer/BtnCareer", "Ranking/BtnContinue"});
        ASSERT_EQ(rig.shown(), "Career");
        rig.click("Career/BtnStart");
        EXPECT_EQ(rig.settle(), 2);
        const RaceSetup& s = rig.app->m_raceSetup;
        const GameConfig& config = rig.app->m_config;
        EXPECT_EQ(s.mode, 3);
        EXPECT_EQ(s.gameType, config.careerGames(c.ccm)[size_t(c.race)]);
        EXPECT_EQ(s.laps, config.careerLaps(c.ccm)[size_t(c.race)]);
        EXPECT_EQ(s.level, config.careerTracks(c.ccm)[size_t(c.race)]);
        EXPECT_EQ(s.careerRace, c.race);
        EXPECT_EQ(s.ccm, c.ccm);
        EXPECT_EQ(s.highscoreSlot, -1);
        EXPECT_EQ(s.careerResult, 0);
        expectProfilePlayers(s, c.ccm, true, c.race);
        rig.closeMenu();
    }
}

TEST_F(MenuRaceSetup, ACareerPastTheEndOfItsClassDoesNotStart)
{
    ProfileStore& store = *rig.app->m_profileStore;
    store.setCcm(0);
    store.setLevel(0, int32_t(rig.app->m_config.careerTracks(0).size()));
    open();
    walk({"MainMenu/BtnLoadProfile", "Singleplayer/BtnCareer", "Ranking/BtnContinue"});
    rig.click("Career/BtnStart");
    EXPECT_EQ(rig.settle(), 0);
    EXPECT_EQ(rig.shown(), "Career");
}

TEST_F(MenuRaceSetup, TwoPlayersSingleRaceGivesTheComputersTheKartsNobodyTook)
{
    open();
    walk({"MainMenu/BtnMultiplayer", "Multiplayer/BtnTwoPlayers"});
    ASSERT_EQ(rig.shown(), "TwoPlayers");
    const std::vector<KartInfo>& karts = rig.app->m_config.karts();
    ASSERT_EQ(karts.size(), 7u);
    EXPECT_EQ(rig.window("TwoPlayers/ImgKart1")->getText(), text(karts[0].menutext));
    EXPECT_EQ(rig.window("TwoPlayers/ImgKart2")->getText(), text(karts[1].menutext));
    EXPECT_EQ(rig.window("TwoPlayers/EdtName1")->getText(), text(5110));
    EXPECT_EQ(rig.window("TwoPlayers/EdtName2")->getText(), text(5120));
    EXPECT_EQ(rig.window("TwoPlayers/LblGame")->getText(), text(5010));
    EXPECT_TRUE(rig.window("TwoPlayers/LblLaps")->isVisible());

    // Kart 1 up from 0 skips kart 2's 1; kart 2 down from 1 skips 0 too
    // and wraps to the last.
    rig.click("TwoPlayers/BtnKart1Inc");
    EXPECT_EQ(rig.window("TwoPlayers/ImgKart1")->getText(), text(karts[2].menutext));
    rig.click("TwoPlayers/BtnKart2Dec");
    EXPECT_EQ(rig.window("TwoPlayers/ImgKart2")->getText(), text(karts[0].menutext));
    rig.click("TwoPlayers/BtnKart2Dec");
    EXPECT_EQ(rig.window("TwoPlayers/ImgKart2")->getText(), text(karts[6].menutext));
    rig.window("TwoPlayers/EdtName1")->setText("Ada");
    rig.window("TwoPlayers/EdtName2")->setText("Grace");
    rig.click("TwoPlayers/BtnLapsInc");
    rig.click("TwoPlayers/BtnCcmInc");
    rig.click("TwoPlayers/BtnTrackInc");

    rig.click("TwoPlayers/BtnStart");
    EXPECT_EQ(rig.settle(), 2);
    const RaceSetup& s = rig.app->m_raceSetup;
    EXPECT_EQ(s.mode, 1);
    EXPECT_EQ(s.gameType, 0);
    EXPECT_EQ(s.ccm, 1);
    EXPECT_EQ(s.laps, 5);
    EXPECT_EQ(s.level, rig.app->m_config.singleRaceTracks()[1]);
    EXPECT_EQ(s.highscoreSlot, -1);
    EXPECT_EQ(s.playerType[0], 2);
    EXPECT_EQ(s.playerType[1], 3);
    EXPECT_EQ(s.kartName[0], karts[2].name);
    EXPECT_EQ(s.kartName[1], karts[6].name);
    EXPECT_EQ(s.playerName[0], "Ada");
    EXPECT_EQ(s.playerName[1], "Grace");
    EXPECT_EQ(s.startSlot[0], 6);
    EXPECT_EQ(s.startSlot[1], 5);
    std::set<std::string> computerKarts;
    for (int32_t i = 2; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(s.playerType[i], 4);
        EXPECT_EQ(s.startSlot[i], i - 2);
        const KartInfo* kart = rig.app->findKart(s.kartName[i]);
        ASSERT_NE(kart, nullptr);
        EXPECT_EQ(s.playerName[i], text(kart->menutext).c_str());
        computerKarts.insert(s.kartName[i]);
    }
    EXPECT_EQ(computerKarts, (std::set<std::string>{karts[0].name, karts[1].name, karts[3].name, karts[4].name,
                                                    karts[5].name}));
    for (int32_t i = 0; i < 7; ++i)
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(s.upgrades[i][k], 0);
    EXPECT_EQ(s.kudos[0], 0);
}

TEST_F(MenuRaceSetup, TwoPlayersLastManStandingIsTheTwoHumansAlone)
{
    open();
    walk({"MainMenu/BtnMultiplayer", "Multiplayer/BtnTwoPlayers"});
    rig.click("TwoPlayers/BtnTrackInc");
    // The game switch starts the other list from its first track and hides
    // the laps.
    rig.click("TwoPlayers/BtnGameDec");
    const std::vector<std::string>& arenas = rig.app->m_config.lastManStandingTracks();
    EXPECT_EQ(rig.window("TwoPlayers/LblGame")->getText(), text(5020));
    EXPECT_EQ(rig.window("TwoPlayers/ImgTrack")->getText(), text(rig.app->findLevel(arenas[0])->menutext));
    EXPECT_FALSE(rig.window("TwoPlayers/LblLaps")->isVisible());
    EXPECT_FALSE(rig.window("TwoPlayers/BtnLapsInc")->isVisible());
    EXPECT_TRUE(rig.window("TwoPlayers/BtnLapsDec")->isDisabled());
    rig.click("TwoPlayers/BtnTrackDec");
    EXPECT_EQ(rig.window("TwoPlayers/ImgTrack")->getText(), text(rig.app->findLevel(arenas.back())->menutext));

    rig.click("TwoPlayers/BtnStart");
    EXPECT_EQ(rig.settle(), 2);
    const RaceSetup& s = rig.app->m_raceSetup;
    EXPECT_EQ(s.mode, 1);
    EXPECT_EQ(s.gameType, 3);
    EXPECT_EQ(s.laps, -1);
    EXPECT_EQ(s.level, arenas.back());
    EXPECT_EQ(s.startSlot[0], 1);
    EXPECT_EQ(s.startSlot[1], 0);
    for (int32_t i = 2; i < 7; ++i)
        EXPECT_EQ(s.playerType[i], 0) << i;

    // Back on the screen, the game switches back with the laps.
    rig.closeMenu();
    open();
    walk({"MainMenu/BtnMultiplayer", "Multiplayer/BtnTwoPlayers"});
    rig.click("TwoPlayers/BtnGameInc");
    rig.click("TwoPlayers/BtnGameInc");
    EXPECT_EQ(rig.window("TwoPlayers/LblGame")->getText(), text(5010));
    EXPECT_TRUE(rig.window("TwoPlayers/LblLaps")->isVisible());
    EXPECT_FALSE(rig.window("TwoPlayers/BtnLapsInc")->isDisabled());
}

} // namespace
