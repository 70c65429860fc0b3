// Every menu screen drawn on GL over our data set and read back: a picture
// with something on it, and the screen's title (or what stands for it)
// visibly drawn. With VORLUND_SCREENSHOT_DIR set, each picture is written
// there as NAME-WIDTHxHEIGHT.png to be looked at.
#include "MenuRig.h"

#include "engine/core/math/Random.h"
#include "engine/core/render/Renderer.h"
#include "game/app/RaceSetup.h"
#include "game/net/NetControl.h"
#include "game/net/NetServer.h"
#include "support/DeviceReadBack.h"
#include "support/RendererRig.h"
#include "tools/lib/PngWriter.h"

#include <CEGUI/Window.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <vector>

namespace {

struct Shot {
    const char* screen;
    std::vector<const char*> clicks; // from the main menu
    const char* title;               // the window whose drawing is checked
};

const Shot kShots[] = {
    {"MainMenu", {}, "MainMenu/Logo"},
    {"Exit", {"MainMenu/BtnExit"}, "Exit/LblMessage"},
    {"Confirm", {"MainMenu/BtnNewProfile"}, "Confirm/LblMessage"},
    {"Profile", {"MainMenu/BtnNewProfile", "Confirm/BtnYes"}, "Profile/LblHeader"},
    {"Singleplayer", {"MainMenu/BtnLoadProfile"}, "Singleplayer/LblHeader"},
    {"SingleRace", {"MainMenu/BtnLoadProfile", "Singleplayer/BtnSingleRace"}, "SingleRace/LblHeader"},
    {"LastManStanding", {"MainMenu/BtnLoadProfile", "Singleplayer/BtnLastManStanding"}, "LastManStanding/LblHeader"},
    {"Ranking", {"MainMenu/BtnLoadProfile", "Singleplayer/BtnCareer"}, "Ranking/LblHeader"},
    {"Career", {"MainMenu/BtnLoadProfile", "Singleplayer/BtnCareer", "Ranking/BtnContinue"}, "Career/LblHeader"},
    {"Shop", {"MainMenu/BtnLoadProfile", "Singleplayer/BtnCareer", "Ranking/BtnContinue", "Career/BtnShop"},
     "Shop/LblHeader"},
    {"Multiplayer", {"MainMenu/BtnMultiplayer"}, "Multiplayer/LblHeader"},
    {"TwoPlayers", {"MainMenu/BtnMultiplayer", "Multiplayer/BtnTwoPlayers"}, "TwoPlayers/LblHeader"},
    {"Join", {"MainMenu/BtnMultiplayer", "Multiplayer/BtnJoinGame"}, "Join/LblHeader"},
    {"Join_MessageBox", {"MainMenu/BtnMultiplayer", "Multiplayer/BtnJoinGame", "Join/BtnOk"},
     "Join_MessageBox/LblMessage"},
    {"Lobby", {"MainMenu/BtnMultiplayer", "Multiplayer/BtnCreateGame"}, "Lobby/LblHeader"},
    {"Options", {"MainMenu/BtnOptions"}, "Options/LblHeader"},
    {"HighscoresCareer", {"MainMenu/BtnHighscores"}, "HighscoresCareer/LblHeader"},
    {"HighscoresSingle", {"MainMenu/BtnHighscores", "HighscoresCareer/BtnGame01"}, "HighscoresSingle/LblHeader"},
    {"HighscoresLMS", {"MainMenu/BtnHighscores", "HighscoresCareer/BtnGame03"}, "HighscoresLMS/LblHeader"},
    {"Credits", {"MainMenu/BtnCredits"}, "Credits/LblHeader"},
    {"Language", {}, "Language/LblHeader"},
    {"Winning", {}, "Winning/LblText"},
};

class MenuScreenshots : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* sizes = std::getenv("VORLUND_SCREENSHOT_SIZE");
        if (sizes)
            std::sscanf(sizes, "%dx%d", &m_width, &m_height);
        ASSERT_TRUE(m_gl.start(m_width, m_height)) << "no display";
        m_rig = std::make_unique<MenuRig>("menu-shots", m_gl.renderer.get());
        std::string why;
        ASSERT_TRUE(m_rig->start(why)) << why;
        m_rig->addProfile();
        m_rig->addSeason();
    }
    void TearDown() override { m_rig.reset(); }

    std::vector<D3DCOLOR> pixels(const RECT& area) { return readBackBuffer(m_gl.device(), area); }
    RECT rectOf(CEGUI::Window* w) const
    {
        const CEGUI::Rectf r = w->getUnclippedOuterRect().get();
        return RECT{std::max(0, int(r.left())), std::max(0, int(r.top())), std::min(m_width, int(r.right())),
                    std::min(m_height, int(r.bottom()))};
    }
    void save(const std::string& name, const std::vector<D3DCOLOR>& argb) const
    {
        const char* dir = std::getenv("VORLUND_SCREENSHOT_DIR");
        if (!dir)
            return;
        std::vector<uint8_t> rgba;
        for (D3DCOLOR c : argb)
            for (int shift : {16, 8, 0})
                rgba.push_back(uint8_t(c >> shift));
        std::vector<uint8_t> png;
        {
            std::vector<uint8_t> withAlpha;
            for (size_t i = 0; i < rgba.size(); i += 3)
                withAlpha.insert(withAlpha.end(), {rgba[i], rgba[i + 1], rgba[i + 2], 255});
            png = writePng(m_width, m_height, withAlpha);
        }
        std::ofstream(std::string(dir) + "/" + name + "-" + std::to_string(m_width) + "x" + std::to_string(m_height)
                          + ".png",
                      std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    }

    int m_width = 1024;
    int m_height = 768;
    RendererRig m_gl;
    std::unique_ptr<MenuRig> m_rig;
};

TEST_F(MenuScreenshots, EveryScreenIsDrawnWithItsTitle)
{
    RelayConfig config;
    config.address = "127.0.0.1";
    config.port = 0;
    NetServer relay(config);
    NetControl& net = NetControl::getInstance();
    for (const Shot& shot : kShots) {
        SCOPED_TRACE(shot.screen);
        const std::string screen = shot.screen;
        engineSrand(7);
        Menu::s_firstMenu = screen == "Winning" ? 0 : 1;
        m_rig->app->m_settings.language = screen == "Language" ? -1 : 1;
        RaceSetup& setup = m_rig->app->m_raceSetup;
        setup.mode = 3;
        setup.careerResult = 1;
        setup.ccm = 2;
        setup.highscoreSlot = -1;
        m_rig->openMenu();
        m_rig->settle(0.3);
        for (const char* click : shot.clicks) {
            // The message box comes from a join that nothing answers.
            net.setPort(std::string(click) == "Join/BtnOk" ? 1 : relay.getPort());
            if (std::string(click) == "Join/BtnOk")
                m_rig->window("Join/EdtHost")->setText("127.0.0.1");
            m_rig->click(click);
            m_rig->settle(0.3);
        }
        ASSERT_EQ(m_rig->shown(), screen);
        m_rig->frame();
        const std::vector<D3DCOLOR> picture = pixels(RECT{0, 0, m_width, m_height});
        ASSERT_EQ(picture.size(), size_t(m_width) * size_t(m_height));
        save(screen, picture);
        // Something is drawn: many colours, and not only the clear colour.
        std::set<D3DCOLOR> colours(picture.begin(), picture.end());
        EXPECT_GT(colours.size(), 200u);
        // The title: drawn, and gone again without it.
        CEGUI::Window* title = m_rig->window(shot.title);
        ASSERT_NE(title, nullptr) << shot.title;
        const RECT area = rectOf(title);
        const std::vector<D3DCOLOR> with = pixels(area);
        title->hide();
        m_rig->frame();
        const std::vector<D3DCOLOR> without = pixels(area);
        title->show();
        size_t changed = 0;
        for (size_t i = 0; i < with.size() && i < without.size(); ++i)
            changed += (with[i] & 0xFFFFFF) != (without[i] & 0xFFFFFF);
        EXPECT_GT(changed, with.size() / 50) << shot.title << " is not visibly drawn";
        if (screen == "Lobby")
            net.disconnect();
        m_rig->closeMenu();
    }
}

} // namespace
