// The screens of the player's own records and choices drawn on GL with
// something in them: the profile with its turning kart, the options in
// another language, the highscore tables with entries, and the notice of
// damaged records. With VORLUND_SCREENSHOT_DIR set, each picture is written
// there as NAME-WIDTHxHEIGHT.png to be looked at.
#include "MenuRig.h"

#include "game/app/RaceSetup.h"
#include "game/menu/Highscores.h"
#include "game/menu/ProfileStore.h"
#include "support/DeviceReadBack.h"
#include "support/RendererRig.h"
#include "tools/lib/PngWriter.h"

#include <CEGUI/Window.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <vector>

namespace {

class MenuPlayerScreenshots : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_gl.start(kWidth, kHeight)) << "no display"; }

    // A run of the game with its player folder prepared, its menu opened,
    // the clicks made; the picture of the screen then shown.
    std::vector<D3DCOLOR> shoot(const std::string& name, const std::vector<const char*>& clicks,
                                const std::function<void(MenuRig&)>& prepare = {})
    {
        MenuRig rig("menu-player-shots", m_gl.renderer.get());
        if (prepare)
            prepare(rig);
        std::string why;
        EXPECT_TRUE(rig.start(why)) << why;
        rig.app->m_settings.multilanguage = 1;
        Highscores& scores = *rig.app->m_highscores;
        scores.overallTable().insert(HighscoreEntry("vela", "Ada", 1240, 612.5f, 0));
        scores.overallTable().insert(HighscoreEntry("brisk", "Kim", 1180, 655.25f, 2));
        scores.table(0, 0, 3)->insert(HighscoreEntry("vela", "Ada", 0, 83.41f, 0));
        scores.table(0, 0, 3)->insert(HighscoreEntry("nox", "Lou", 0, 91.07f, 0));
        rig.openMenu();
        rig.settle(0.3);
        for (const char* click : clicks) {
            rig.click(click);
            rig.settle(0.3);
        }
        EXPECT_EQ(rig.shown(), name);
        rig.frame();
        std::vector<D3DCOLOR> picture = readBackBuffer(m_gl.device(), RECT{0, 0, kWidth, kHeight});
        save(name, picture);
        // Only the screen shown is drawn (a dialog over the main menu): every
        // other screen is hidden.
        for (const char* other : {"MainMenu", "Profile", "Options", "HighscoresCareer", "HighscoresSingle"})
            if (name != other && !(name == "Join_MessageBox" && std::string(other) == "MainMenu"))
                EXPECT_FALSE(rig.window(other)->isVisible()) << other << " under " << name;
        return picture;
    }
    static void save(const std::string& name, const std::vector<D3DCOLOR>& argb)
    {
        const char* dir = std::getenv("VORLUND_SCREENSHOT_DIR");
        if (!dir)
            return;
        std::vector<uint8_t> rgba;
        for (D3DCOLOR c : argb)
            rgba.insert(rgba.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 255});
        const std::vector<uint8_t> png = writePng(kWidth, kHeight, rgba);
        std::ofstream(std::string(dir) + "/" + name + "-" + std::to_string(kWidth) + "x" + std::to_string(kHeight)
                          + ".png",
                      std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    }

    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;
    RendererRig m_gl;
};

TEST_F(MenuPlayerScreenshots, ThePlayersScreensAreDrawnWithTheirContent)
{
    const std::vector<D3DCOLOR> profile = shoot("Profile", {"MainMenu/BtnNewProfile", "Profile/BtnCharacterNext"});
    EXPECT_GT(std::set<D3DCOLOR>(profile.begin(), profile.end()).size(), 200u);
    const std::vector<D3DCOLOR> options = shoot("Options", {"MainMenu/BtnOptions"});
    EXPECT_GT(std::set<D3DCOLOR>(options.begin(), options.end()).size(), 200u);
    const std::vector<D3DCOLOR> career = shoot("HighscoresCareer", {"MainMenu/BtnHighscores"});
    EXPECT_GT(std::set<D3DCOLOR>(career.begin(), career.end()).size(), 200u);
    const std::vector<D3DCOLOR> single =
        shoot("HighscoresSingle", {"MainMenu/BtnHighscores", "HighscoresCareer/BtnGame01"});
    EXPECT_GT(std::set<D3DCOLOR>(single.begin(), single.end()).size(), 200u);
    const std::vector<D3DCOLOR> notice = shoot("Join_MessageBox", {}, [](MenuRig& rig) {
        rig.playerFolder.write("profiles.dat", "not a profile file");
    });
    EXPECT_GT(std::set<D3DCOLOR>(notice.begin(), notice.end()).size(), 200u);
}

TEST_F(MenuPlayerScreenshots, AProfileOverAUsedSlotHidesTheMainMenu)
{
    shoot("Profile", {"MainMenu/BtnNewProfile", "Confirm/BtnYes"}, [](MenuRig&) {
        ProfileStore store;
        store.setEmpty(0, 0);
        store.setName(0, "Ada", 0);
        store.setKart(0, "vela", 0);
        ASSERT_TRUE(store.save());
    });
}

} // namespace
