// The menu's screen graph walked headless on the real layouts: every screen
// is reached from the main menu by clicks, keys or the menu's start, and
// every screen leads back; a switch fades for half a second during which
// the GUI takes no input and a start or quit is held back.
#include "MenuRig.h"

#include "game/app/RaceSetup.h"
#include "game/app/TextTable.h"
#include "game/menu/ProfileStore.h"
#include "game/net/NetControl.h"
#include "game/net/NetServer.h"

#include <CEGUI/InputEvent.h>
#include <CEGUI/Window.h>
#include <CEGUI/widgets/Editbox.h>
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <set>
#include <thread>

namespace {

class MenuScreenGraph : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string why;
        ASSERT_TRUE(rig.start(why)) << why;
    }
    void open()
    {
        rig.openMenu();
        ASSERT_FALSE(rig.menu->loadFailed());
        rig.settle();
    }
    MenuRig rig{"menu-graph"};
};

struct Step {
    const char* from;
    const char* click; // a window path, or "Escape"
    const char* to;    // the screen shown after the fade; "quit" or "race" for a menu result
};

// The graph's edges, walked in this order from the main menu with a used
// profile in the current slot.
const Step kWalk[] = {
    {"MainMenu", "MainMenu/BtnOptions", "Options"},
    {"Options", "Options/BtnCancel", "MainMenu"},
    {"MainMenu", "MainMenu/BtnOptions", "Options"},
    {"Options", "Options/BtnOk", "MainMenu"},
    {"MainMenu", "MainMenu/BtnCredits", "Credits"},
    {"Credits", "Credits/BtnBack", "MainMenu"},
    {"MainMenu", "MainMenu/BtnHighscores", "HighscoresCareer"},
    {"HighscoresCareer", "HighscoresCareer/BtnGame02", "HighscoresCareer"},
    {"HighscoresCareer", "HighscoresCareer/BtnGame01", "HighscoresSingle"},
    {"HighscoresSingle", "HighscoresSingle/BtnGame01", "HighscoresSingle"},
    {"HighscoresSingle", "HighscoresSingle/BtnGame03", "HighscoresLMS"},
    {"HighscoresLMS", "HighscoresLMS/BtnGame03", "HighscoresLMS"},
    {"HighscoresLMS", "HighscoresLMS/BtnGame02", "HighscoresCareer"},
    {"HighscoresCareer", "HighscoresCareer/BtnGame03", "HighscoresLMS"},
    {"HighscoresLMS", "HighscoresLMS/BtnGame01", "HighscoresSingle"},
    {"HighscoresSingle", "HighscoresSingle/BtnGame02", "HighscoresCareer"},
    {"HighscoresCareer", "HighscoresCareer/BtnBack", "MainMenu"},
    {"MainMenu", "MainMenu/BtnHighscores", "HighscoresCareer"},
    {"HighscoresCareer", "HighscoresCareer/BtnGame01", "HighscoresSingle"},
    {"HighscoresSingle", "HighscoresSingle/BtnBack", "MainMenu"},
    {"MainMenu", "MainMenu/BtnHighscores", "HighscoresCareer"},
    {"HighscoresCareer", "HighscoresCareer/BtnGame03", "HighscoresLMS"},
    {"HighscoresLMS", "HighscoresLMS/BtnBack", "MainMenu"},
    {"MainMenu", "MainMenu/BtnExit", "Exit"},
    {"Exit", "Exit/BtnNo", "MainMenu"},
    {"MainMenu", "Escape", "Exit"},
    {"Exit", "Exit/BtnNo", "MainMenu"},
    {"MainMenu", "MainMenu/BtnNewProfile", "Confirm"},
    {"Confirm", "Confirm/BtnNo", "MainMenu"},
    {"MainMenu", "MainMenu/BtnNewProfile", "Confirm"},
    {"Confirm", "Confirm/BtnYes", "Profile"},
    {"Profile", "Profile/BtnBack", "MainMenu"},
    {"MainMenu", "MainMenu/BtnNewProfile", "Confirm"},
    {"Confirm", "Confirm/BtnYes", "Profile"},
    {"Profile", "Profile/BtnOk", "Singleplayer"},
    {"Singleplayer", "Singleplayer/BtnBack", "MainMenu"},
    {"MainMenu", "MainMenu/BtnLoadProfile", "Singleplayer"},
    {"Singleplayer", "Singleplayer/BtnSingleRace", "SingleRace"},
    {"SingleRace", "SingleRace/BtnBack", "Singleplayer"},
    {"Singleplayer", "Singleplayer/BtnLastManStanding", "LastManStanding"},
    {"LastManStanding", "LastManStanding/BtnBack", "Singleplayer"},
    {"Singleplayer", "Singleplayer/BtnCareer", "Ranking"},
    {"Ranking", "Ranking/BtnBack", "Singleplayer"},
    {"Singleplayer", "Singleplayer/BtnCareer", "Ranking"},
    {"Ranking", "Ranking/BtnContinue", "Career"},
    {"Career", "Career/BtnShop", "Shop"},
    {"Shop", "Shop/BtnBack", "Career"},
    {"Career", "Career/BtnBack", "Singleplayer"},
    {"Singleplayer", "Singleplayer/BtnBack", "MainMenu"},
    {"MainMenu", "MainMenu/BtnMultiplayer", "Multiplayer"},
    {"Multiplayer", "Multiplayer/BtnTwoPlayers", "TwoPlayers"},
    {"TwoPlayers", "TwoPlayers/BtnBack", "Multiplayer"},
    {"Multiplayer", "Multiplayer/BtnJoinGame", "Join"},
    {"Join", "Join/BtnCancel", "Multiplayer"},
    {"Multiplayer", "Multiplayer/BtnJoinGame", "Join"},
    {"Join", "Join/BtnOk", "Join_MessageBox"},
    {"Join_MessageBox", "Join_MessageBox/BtnOk", "Join"},
    {"Join", "Join/BtnCancel", "Multiplayer"},
    {"Multiplayer", "Multiplayer/BtnCreateGame", "Lobby"},
    {"Lobby", "Lobby/BtnBack", "Multiplayer"},
    {"Multiplayer", "Multiplayer/BtnJoinGame", "Join"},
    {"Join", "Join/EdtHost", "Lobby"}, // Enter in the host field, the relay listening
    {"Lobby", "Lobby/BtnBack", "Multiplayer"},
    {"Multiplayer", "Multiplayer/BtnBack", "MainMenu"},
    {"MainMenu", "MainMenu/OptProfile01", "Singleplayer"}, // a double click on the used slot
    {"Singleplayer", "Singleplayer/BtnBack", "MainMenu"},
    {"MainMenu", "MainMenu/OptProfile02", "Profile"}, // a double click on an empty slot
    {"Profile", "Profile/EdtName", "Singleplayer"},  // Enter in the name field
    {"Singleplayer", "Singleplayer/BtnSingleRace", "SingleRace"},
    {"SingleRace", "SingleRace/BtnStart", "race"},
};

TEST_F(MenuScreenGraph, EveryScreenIsReachedFromTheMainMenuAndLeadsBack)
{
    rig.addProfile();
    // The relay the game runs, on a port of its own; joining it by the
    // host field needs it listening on the loopback.
    RelayConfig config;
    config.address = "127.0.0.1";
    config.port = 0;
    NetServer relay(config);
    NetControl& net = NetControl::getInstance();
    net.setPort(relay.getPort());
    open();
    ASSERT_EQ(rig.shown(), "MainMenu");

    // A host for the guest that joins by name.
    NetControl host;
    host.setPort(relay.getPort());

    std::set<std::string> reached = {"MainMenu"};
    std::map<std::string, std::set<std::string>> leadsTo;
    bool joinRefused = false;
    for (const Step& step : kWalk) {
        SCOPED_TRACE(std::string(step.from) + " --" + step.click + "--> " + step.to);
        ASSERT_EQ(rig.shown(), step.from);
        const std::string target = step.click;
        if (target == "Escape") {
            rig.escape();
        } else if (target == "Join/EdtHost" || target == "Profile/EdtName") {
            // Enter in a text field: it takes the keys once it is active.
            if (target == "Join/EdtHost") {
                // The game's own hosting (the lobby just left) must be gone
                // from the relay first, or the relay refuses a second host.
                for (int i = 0; i < 5000 && relay.connectionCount() > 0; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                ASSERT_EQ(relay.connectionCount(), 0u);
                ASSERT_TRUE(host.connect("127.0.0.1", true));
                rig.window(target)->setText("127.0.0.1");
            }
            rig.window(target)->activate();
            rig.key(CEGUI::Key::Return);
        } else if (target.rfind("MainMenu/OptProfile", 0) == 0) {
            rig.doubleClick(target);
        } else {
            // The first join goes to a port nothing listens on.
            if (target == "Join/BtnOk" && !joinRefused) {
                rig.window("Join/EdtHost")->setText("127.0.0.1");
                net.setPort(1);
                joinRefused = true;
            }
            // The profile made on the way has no kudos yet: the shop opens
            // only with some to spend.
            if (target == "Ranking/BtnContinue")
                rig.app->m_profileStore->setKudos(0, 500);
            rig.click(target);
        }
        const int32_t answer = rig.settle();
        net.setPort(relay.getPort());
        if (std::string(step.to) == "race") {
            EXPECT_EQ(answer, 2);
            continue;
        }
        EXPECT_EQ(answer, 0);
        EXPECT_EQ(rig.shown(), step.to);
        reached.insert(step.to);
        leadsTo[step.from].insert(step.to);
    }
    // Every screen the main menu builds was on the way, and each led on.
    for (const char* screen : {"MainMenu", "Exit", "Confirm", "Profile", "Singleplayer", "SingleRace",
                               "LastManStanding", "Ranking", "Career", "Shop", "Multiplayer", "Join",
                               "Join_MessageBox", "TwoPlayers", "Lobby", "Options", "HighscoresCareer",
                               "HighscoresSingle", "HighscoresLMS", "Credits"}) {
        EXPECT_TRUE(reached.count(screen)) << screen << " was not reached";
        EXPECT_FALSE(leadsTo[screen].empty()) << screen << " led nowhere";
    }
}

TEST_F(MenuScreenGraph, ExitYesQuitsAfterTheFade)
{
    open();
    rig.click("MainMenu/BtnExit");
    rig.settle();
    ASSERT_EQ(rig.shown(), "Exit");
    rig.click("Exit/BtnYes");
    // Held back while the main menu fades out: the frames see 0, 0.2 and
    // 0.4 s of it, the fourth ends it, and the one after reports the quit.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rig.frame(0.2), 0);
        EXPECT_TRUE(rig.input.m_guiBlocked);
    }
    EXPECT_EQ(rig.frame(0.2), 0);
    EXPECT_FALSE(rig.input.m_guiBlocked);
    EXPECT_EQ(rig.frame(0.2), 1);
}

TEST_F(MenuScreenGraph, EscapeOpensTheExitDialogOnlyFromTheMainMenu)
{
    open();
    // Swallowed on another screen.
    rig.click("MainMenu/BtnOptions");
    rig.settle();
    ASSERT_EQ(rig.shown(), "Options");
    rig.escape();
    rig.frame();
    EXPECT_EQ(rig.input.m_keys[0x01], 0);
    EXPECT_EQ(rig.shown(), "Options");
    // Pressed during a fade it waits for the fade's end.
    rig.click("Options/BtnCancel");
    rig.frame();
    rig.escape();
    rig.frame();
    EXPECT_EQ(rig.input.m_keys[0x01], 1);
    rig.settle();
    EXPECT_EQ(rig.shown(), "Exit");
}

TEST_F(MenuScreenGraph, TheKeyboardReachesEveryScreenOfTheMainMenuAndComesBack)
{
    rig.addProfile();
    open();
    // Tab walks the main menu's widgets in reading order: the five profile
    // cards, then the buttons row by row, then the way out.
    const char* const order[] = {"MainMenu/OptProfile01", "MainMenu/OptProfile02", "MainMenu/OptProfile03",
                                 "MainMenu/OptProfile04", "MainMenu/OptProfile05", "MainMenu/BtnLoadProfile",
                                 "MainMenu/BtnNewProfile", "MainMenu/BtnMultiplayer", "MainMenu/BtnHighscores",
                                 "MainMenu/BtnOptions", "MainMenu/BtnCredits", "MainMenu/BtnExit"};
    for (const char* path : order) {
        rig.key(CEGUI::Key::Tab);
        EXPECT_EQ(rig.menu->focus().focused(), rig.window(path)) << path;
    }
    EXPECT_EQ(rig.window("MainMenu/BtnExit")->getProperty("FocusColours"), MenuFocus::kShown);
    // Down from a card to the buttons under it; Enter presses.
    rig.key(CEGUI::Key::Tab); // wraps to the first card
    rig.key(CEGUI::Key::ArrowDown);
    EXPECT_EQ(rig.menu->focus().focused(), rig.window("MainMenu/BtnLoadProfile"));
    rig.key(CEGUI::Key::ArrowDown);
    rig.key(CEGUI::Key::ArrowDown);
    rig.key(CEGUI::Key::ArrowRight);
    EXPECT_EQ(rig.menu->focus().focused(), rig.window("MainMenu/BtnCredits"));
    rig.key(CEGUI::Key::Return);
    rig.settle();
    ASSERT_EQ(rig.shown(), "Credits");
    // The focus stayed with the screen it was on.
    EXPECT_EQ(rig.window("MainMenu/BtnCredits")->getProperty("FocusColours"), MenuFocus::kHidden);
    rig.key(CEGUI::Key::Tab);
    EXPECT_EQ(rig.menu->focus().focused(), rig.window("Credits/BtnBack"));
    rig.key(CEGUI::Key::Space);
    rig.settle();
    EXPECT_EQ(rig.shown(), "MainMenu");

    // Into a text field and out again: Tab moves on instead of accepting it.
    rig.click("MainMenu/OptProfile02"); // the empty second slot
    rig.click("MainMenu/BtnNewProfile");
    rig.settle();
    ASSERT_EQ(rig.shown(), "Profile");
    CEGUI::Window* name = rig.window("Profile/EdtName");
    EXPECT_TRUE(name->isActive());
    rig.key(CEGUI::Key::Tab);
    rig.settle();
    EXPECT_EQ(rig.shown(), "Profile");
    EXPECT_NE(rig.menu->focus().focused(), nullptr);
    EXPECT_NE(rig.menu->focus().focused(), name);
    EXPECT_FALSE(name->isActive());
}

TEST_F(MenuScreenGraph, TheLanguageScreenComesFirstWithoutALanguageAndLeadsToTheMainMenu)
{
    rig.app->m_settings.language = -1;
    open();
    ASSERT_EQ(rig.shown(), "Language");
    EXPECT_EQ(Menu::s_firstMenu, 1); // the menu after the first race still opens on the main menu
    rig.click("Language/BtnFR");
    rig.settle();
    EXPECT_EQ(rig.shown(), "MainMenu");
    EXPECT_EQ(rig.app->m_settings.language, 2);
    EXPECT_EQ(rig.app->m_textTable->language, 2u);
    EXPECT_EQ(rig.window("MainMenu/BtnOptions")->getText(), rig.app->m_textTable->getText(5070));
}

TEST_F(MenuScreenGraph, TheWinningScreenFollowsAFinishedSeasonAndLeadsOn)
{
    struct Case {
        int32_t careerResult, ccm, highscoreSlot;
        int32_t trophy;
        const char* after;
    };
    const Case cases[] = {
        {1, 0, -1, 1, "Career"},
        {1, 2, 0, 3, "HighscoresCareer"},
        {2, 1, -1, 4, "Career"},
    };
    rig.addProfile();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after);
        Menu::s_firstMenu = 0;
        RaceSetup& setup = rig.app->m_raceSetup;
        setup.mode = 3;
        setup.careerResult = c.careerResult;
        setup.ccm = c.ccm;
        setup.highscoreSlot = c.highscoreSlot;
        open();
        EXPECT_EQ(rig.shown(), "Winning");
        EXPECT_EQ(rig.menu->trophyIndex(), c.trophy);
        EXPECT_FALSE(rig.window("Winning/LblText")->getText().empty());
        rig.click("Winning/BtnOk");
        rig.settle();
        EXPECT_EQ(rig.shown(), c.after);
        EXPECT_EQ(rig.menu->trophyIndex(), 0);
        if (std::string(c.after) == "HighscoresCareer") {
            // Opened after the race, its Back goes on to the career.
            rig.click("HighscoresCareer/BtnBack");
            rig.settle();
            EXPECT_EQ(rig.shown(), "Career");
        }
        rig.closeMenu();
    }
}

TEST_F(MenuScreenGraph, TheMenuAfterARaceOpensOnTheScreenThatFollowsIt)
{
    struct Case {
        int32_t mode, gameType, highscoreSlot, careerResult;
        const char* first;
    };
    const Case cases[] = {
        {3, 0, -1, 0, "Career"},          {0, 0, 4, 0, "HighscoresSingle"}, {0, 3, 2, 0, "HighscoresLMS"},
        {0, 0, -1, 0, "Singleplayer"},    {0, 3, -1, 0, "Singleplayer"},    {2, 0, -1, 0, "Multiplayer"},
        {1, 0, -1, 0, "MainMenu"},
    };
    rig.addProfile();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        Menu::s_firstMenu = 0;
        RaceSetup& setup = rig.app->m_raceSetup;
        setup.mode = c.mode;
        setup.gameType = c.gameType;
        setup.highscoreSlot = c.highscoreSlot;
        setup.careerResult = c.careerResult;
        open();
        EXPECT_EQ(rig.shown(), c.first);
        rig.closeMenu();
    }
    // The first menu of a run always opens on the main menu.
    Menu::s_firstMenu = 1;
    rig.app->m_raceSetup.mode = 3;
    open();
    EXPECT_EQ(rig.shown(), "MainMenu");
    EXPECT_EQ(Menu::s_firstMenu, 0);
}

} // namespace
