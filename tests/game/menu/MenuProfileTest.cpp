// Profiles made and shown through the menu headless: a character picked with
// the arrows, a name typed and pasted (what the fonts cannot draw refused),
// the career written to profiles.dat with six rivals; stored names shown
// sensibly; damaged player records kept aside and told of once.
#include "MenuRig.h"

#include "game/app/TextTable.h"
#include "game/menu/Highscores.h"
#include "game/menu/ProfileStore.h"

#include <CEGUI/Clipboard.h>
#include <CEGUI/GUIContext.h>
#include <CEGUI/InputEvent.h>
#include <CEGUI/System.h>
#include <CEGUI/Window.h>
#include <CEGUI/widgets/ProgressBar.h>
#include <gtest/gtest.h>

#include <set>

namespace {

class MenuProfile : public ::testing::Test {
protected:
    void start()
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
    std::string text(int32_t id) const { return rig.app->m_textTable->getText(id).c_str(); }
    std::string windowText(const std::string& path) const { return rig.window(path)->getText().c_str(); }
    // Characters as the keyboard's messages bring them.
    void type(const std::u32string& characters)
    {
        for (char32_t c : characters)
            CEGUI::System::getSingleton().getDefaultGUIContext().injectChar(CEGUI::utf32(c));
    }

    MenuRig rig{"menu-profile"};
};

TEST_F(MenuProfile, ANewProfileIsMadeFromTheCharacterAndTheNameAndWritten)
{
    start();
    open();
    const GameConfig& config = rig.app->m_config;
    ASSERT_EQ(config.karts().size(), 7u);
    EXPECT_EQ(windowText("MainMenu/OptProfile01"), text(1104));

    // The current slot is empty: no question, straight to the profile.
    rig.click("MainMenu/BtnNewProfile");
    rig.settle();
    ASSERT_EQ(rig.shown(), "Profile");
    EXPECT_FALSE(rig.window("MainMenu")->isVisible());
    const std::string first = text(config.kartAt(0)->menutext);
    EXPECT_EQ(windowText("Profile/ImgCharacter"), first);
    EXPECT_EQ(windowText("Profile/EdtName"), first);
    EXPECT_TRUE(rig.window("Profile/EdtName")->isActive());

    // Back from the first character is the last; on to the second.
    rig.click("Profile/BtnCharacterPrev");
    EXPECT_EQ(windowText("Profile/ImgCharacter"), text(config.kartAt(6)->menutext));
    rig.click("Profile/BtnCharacterNext");
    rig.click("Profile/BtnCharacterNext");
    const KartInfo& chosen = *config.kartAt(1);
    EXPECT_EQ(windowText("Profile/EdtName"), text(chosen.menutext));
    float ratios[GameConfig::StatCount];
    ASSERT_TRUE(config.kartStatRatios(chosen.name, ratios));
    EXPECT_FLOAT_EQ(static_cast<CEGUI::ProgressBar*>(rig.window("Profile/PrgSpeed"))->getProgress(),
                    ratios[GameConfig::StatSpeed]);
    EXPECT_FLOAT_EQ(static_cast<CEGUI::ProgressBar*>(rig.window("Profile/PrgTurboTime"))->getProgress(),
                    ratios[GameConfig::StatTurbo]);
    // The character's kart turns over its picture.
    ASSERT_EQ(rig.app->m_previewCount, 1);
    const CEGUI::Rectf picture = rig.window("Profile/ImgCharacter")->getUnclippedOuterRect().get();
    EXPECT_NEAR(rig.app->m_previewRects[0][0], picture.left(), 1.0f);
    EXPECT_NEAR(rig.app->m_previewRects[0][3], picture.bottom(), 1.0f);

    // The name: the old one rubbed out, typed anew; a character the font
    // lacks is refused as typed, and as pasted, and so is a tab.
    for (size_t i = 0; i < text(chosen.menutext).size(); ++i)
        rig.key(CEGUI::Key::Backspace);
    EXPECT_EQ(windowText("Profile/EdtName"), "");
    type(U"Kim\u4E2D");
    CEGUI::System::getSingleton().getClipboard()->setText(
        reinterpret_cast<const CEGUI::utf8*>("\xE4\xB8\xAD" "Lo\tu"));
    CEGUI::System::getSingleton().getDefaultGUIContext().injectPasteRequest();
    EXPECT_EQ(windowText("Profile/EdtName"), "KimLou");
    type(U"!");
    EXPECT_EQ(windowText("Profile/EdtName"), "KimLou!");

    rig.click("Profile/BtnOk");
    EXPECT_EQ(rig.settle(), 0);
    EXPECT_EQ(rig.shown(), "Singleplayer");
    EXPECT_EQ(rig.app->m_previewCount, 0);

    // What profiles.dat now holds, read back as the next start reads it.
    ProfileStore stored;
    ASSERT_TRUE(stored.load());
    EXPECT_FALSE(stored.isEmpty(0));
    EXPECT_EQ(stored.getName(0, 0), "KimLou!");
    EXPECT_EQ(stored.getKart(0, 0), chosen.name);
    EXPECT_EQ(stored.getKudos(0, 0), 0);
    EXPECT_FALSE(stored.getCreationDate(0).empty());
    EXPECT_EQ(stored.getTracks(0, 0), std::vector<std::string>{config.careerTracks(0).front()});
    // Six rivals on the six other karts, each named by its kart, colours 1 to 6.
    std::set<std::string> karts = {chosen.name};
    for (int32_t player = 1; player < 7; ++player) {
        SCOPED_TRACE(player);
        const std::string kart = stored.getKart(player, 0);
        ASSERT_NE(rig.app->findKart(kart), nullptr);
        EXPECT_TRUE(karts.insert(kart).second) << kart << " twice";
        EXPECT_EQ(stored.getName(player, 0), text(rig.app->findKart(kart)->menutext));
        for (int32_t ccm = 0; ccm < 3; ++ccm)
            EXPECT_EQ(stored.getColor(player, ccm, 0), player);
    }
    EXPECT_EQ(stored.getColor(0, 0, 0), 0);

    rig.click("Singleplayer/BtnBack");
    rig.settle();
    EXPECT_EQ(windowText("MainMenu/OptProfile01").substr(0, 8), "KimLou!\n");

    // A new profile over this one is asked for; Back keeps the old one.
    rig.click("MainMenu/BtnNewProfile");
    rig.settle();
    ASSERT_EQ(rig.shown(), "Confirm");
    rig.click("Confirm/BtnYes");
    rig.settle();
    ASSERT_EQ(rig.shown(), "Profile");
    EXPECT_FALSE(rig.window("MainMenu")->isVisible());
    EXPECT_FALSE(rig.window("Confirm")->isVisible());
    rig.click("Profile/BtnBack");
    rig.settle();
    EXPECT_EQ(rig.shown(), "MainMenu");
    EXPECT_EQ(rig.app->m_profileStore->getName(0, 0), "KimLou!");
}

TEST_F(MenuProfile, ANameLeftEmptyIsTheCharactersAndAStoredNameShowsWhatTheFontCannotDraw)
{
    start();
    ProfileStore& store = *rig.app->m_profileStore;
    store.setEmpty(0, 2);
    store.setKart(0, "no such kart", 2);
    store.setName(0, "Ab\n\xE4\xB8\xAD", 2);
    open();
    // Shown, with stand-ins for the line break and the character no font has.
    EXPECT_EQ(windowText("MainMenu/OptProfile03").substr(0, 5), "Ab??\n");
    EXPECT_EQ(rig.window("MainMenu/OptProfile03")->getProperty("NormalImage"), "Portraits/Blanko_Small_Normal");

    rig.doubleClick("MainMenu/OptProfile02");
    rig.settle();
    ASSERT_EQ(rig.shown(), "Profile");
    const std::string name = windowText("Profile/EdtName");
    for (size_t i = 0; i < name.size(); ++i)
        rig.key(CEGUI::Key::Backspace);
    rig.key(CEGUI::Key::Return);
    rig.settle();
    EXPECT_EQ(rig.shown(), "Singleplayer");
    EXPECT_EQ(store.getCurrentSlot(), 1);
    EXPECT_EQ(store.getName(0, 1), text(rig.app->m_config.kartAt(0)->menutext));
}

TEST_F(MenuProfile, DamagedRecordsAreKeptAsideAndToldOfOnceOverTheMainMenu)
{
    rig.playerFolder.write("profiles.dat", "not a profile file");
    rig.playerFolder.write("highscores.dat", std::string(3, '\xFF'));
    start();
    open();
    EXPECT_EQ(rig.shown(), "Join_MessageBox");
    EXPECT_EQ(windowText("Join_MessageBox/LblMessage"), text(30120));
    EXPECT_EQ(rig.playerFolder.read("profiles.dat.bak"), "not a profile file");
    EXPECT_EQ(rig.playerFolder.read("highscores.dat.bak"), std::string(3, '\xFF'));
    EXPECT_TRUE(rig.app->m_highscores->overallTable().entry(0).isEmpty());

    rig.click("Join_MessageBox/BtnOk");
    rig.settle();
    EXPECT_EQ(rig.shown(), "MainMenu");
    EXPECT_FALSE(rig.window("Join_MessageBox")->isVisible());
    for (int slot = 1; slot <= 5; ++slot)
        EXPECT_EQ(windowText("MainMenu/OptProfile0" + std::to_string(slot)), text(1104));
    // The main menu works on: its buttons answer.
    rig.click("MainMenu/BtnOptions");
    rig.settle();
    EXPECT_EQ(rig.shown(), "Options");
    rig.closeMenu();

    // The next menu of the run says nothing more.
    rig.app->m_raceSetup.mode = 1;
    open();
    EXPECT_EQ(rig.shown(), "MainMenu");
}

} // namespace
