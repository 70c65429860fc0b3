// The menu's construction, loading and teardown over our data set: the video
// modes it offers, every screen built under the loading screen in order, the
// credits' lines, and the message that ends the program when a menu file is
// missing or damaged.
#include "MenuRig.h"

#include "engine/core/io/DiskFile.h"
#include "engine/core/base/EngineLog.h"
#include "game/app/TextTable.h"
#include "game/app/Gui.h"
#include "platform/d3d9/D3D9Types.h"
#include "support/AlteredArchive.h"

#include <CEGUI/System.h>
#include <CEGUI/Window.h>
#include <CEGUI/widgets/ProgressBar.h>
#include <gtest/gtest.h>

#include <sstream>

namespace {

D3DDISPLAYMODE mode(UINT width, UINT height, UINT refresh = 60)
{
    D3DDISPLAYMODE m{};
    m.Width = width;
    m.Height = height;
    m.RefreshRate = refresh;
    return m;
}

TEST(MenuVideoModes, EverySizeOfAtLeast800x600OnceInOrderAndTheWindowLast)
{
    const std::vector<D3DDISPLAYMODE> adapter = {mode(1280, 1024), mode(640, 480),  mode(1024, 768, 60),
                                                 mode(800, 600),   mode(1024, 576), mode(1024, 768, 75),
                                                 mode(1920, 1080), mode(799, 600)};
    const std::vector<VideoMode> full = Menu::videoModes(adapter, false);
    std::vector<std::string> labels;
    for (const VideoMode& m : full)
        labels.push_back(m.label.c_str());
    EXPECT_EQ(labels, (std::vector<std::string>{"800 x 600", "1024 x 768", "1280 x 1024", "1920 x 1080"}));
    const std::vector<VideoMode> windowed = Menu::videoModes(adapter, true);
    ASSERT_EQ(windowed.size(), 5u);
    EXPECT_EQ(windowed.back().label, "Windowed");
    EXPECT_EQ(windowed.back().width, 960);
    EXPECT_EQ(windowed.back().height, 720);
    EXPECT_EQ(windowed.back().windowed, 1);
    EXPECT_TRUE(Menu::videoModes({mode(640, 480)}, false).empty());
}

class MenuLoad : public ::testing::Test {
protected:
    void SetUp() override { setEngineLogSink(&m_log); }
    void TearDown() override { setEngineLogSink(nullptr); }
    std::vector<std::string> progress()
    {
        std::vector<std::string> lines;
        std::istringstream in(m_log.str());
        for (std::string line; std::getline(in, line);)
            if (line.rfind("progress", 0) == 0)
                lines.push_back(line);
        m_log.str("");
        return lines;
    }
    std::ostringstream m_log;
};

TEST_F(MenuLoad, BuildsEveryScreenUnderTheLoadingScreenAndTearsThemDownAgain)
{
    MenuRig rig("menu-load");
    std::string why;
    ASSERT_TRUE(rig.start(why)) << why;
    progress();
    rig.openMenu();
    EXPECT_EQ(progress(), (std::vector<std::string>{
                              "progressOpen", "progress: 0", "progress: 0.55", "progress: 0.6", "progress: 0.625",
                              "progress: 0.635", "progress: 0.642", "progress: 0.65", "progress: 0.675",
                              "progress: 0.7", "progress: 0.725", "progress: 0.735", "progress: 0.75",
                              "progress: 0.775", "progress: 0.8", "progress: 0.825", "progress: 0.85",
                              "progress: 0.875", "progress: 0.9", "progress: 0.925", "progress: 0.95",
                              "progress: 0.975", "progress: 1", "progressClose", "progressClose"}));
    // Hidden until a fade shows them, under the GUI's root; the loading
    // screen's bar ran over its second half.
    for (const char* screen : {"Language", "MainMenu", "Exit", "Confirm", "Profile", "Singleplayer", "SingleRace",
                               "LastManStanding", "Ranking", "Career", "Shop", "Multiplayer", "Join",
                               "Join_MessageBox", "TwoPlayers", "Lobby", "Options", "HighscoresCareer",
                               "HighscoresSingle", "HighscoresLMS", "Credits", "Winning"}) {
        SCOPED_TRACE(screen);
        CEGUI::Window* root = gui::find(screen);
        ASSERT_EQ(root, rig.window(screen));
        EXPECT_EQ(root->isVisible(), std::string(screen) == "MainMenu");
    }
    EXPECT_FLOAT_EQ(rig.app->m_progressBar->getProgress(), 1.0f);
    // The video modes and the languages fill the options' lists.
    EXPECT_EQ(rig.window("Join_MessageBox/BtnOk")->getText(), rig.app->m_textTable->getText(1000));
    EXPECT_EQ(rig.window("MainMenu/LblVersion")->getText(), "1.1 EN");

    rig.closeMenu();
    EXPECT_EQ(progress(), (std::vector<std::string>{
                              "progressOpen", "progress: 0", "progress: 0.05", "progress: 0.1", "progress: 0.125",
                              "progress: 0.15", "progress: 0.2", "progress: 0.25", "progress: 0.3", "progress: 0.35",
                              "progress: 0.37", "progress: 0.4", "progress: 0.45", "progress: 0.5", "progress: 0.53",
                              "progress: 0.58", "progress: 0.6", "progress: 0.63", "progress: 0.68", "progress: 0.7",
                              "progress: 0.73", "progress: 0.78", "progress: 0.8", "progress: 0.9", "progress: 0.95",
                              "progress: 1", "progressClose"}));
    for (const char* screen : {"MainMenu", "Career", "Shop", "Join_MessageBox"})
        EXPECT_FALSE(rig.app->m_rootWindow->isChild(screen)) << screen;
    EXPECT_FALSE(gui::isImageDefined("Portraits/Blanko_Small_Normal"));
    EXPECT_FALSE(gui::isImageDefined("Logos/Logo01_Normal"));
    // Built again, the menu finds nothing of its own left over.
    rig.openMenu();
    EXPECT_FALSE(rig.menu->loadFailed());
}

TEST_F(MenuLoad, CreditsAreLaidOutFromTheirFileAndRiseAndComeBack)
{
    MenuRig rig("menu-credits");
    ASSERT_TRUE(rig.mount());
    AlteredArchive altered(rig.archive,
                           "Credits.xml",
                           "<Credits XPos=\"256\" YPos=\"0\" Width=\"768\" LineHeight=\"x\">"
                           "<Line Text=\"A\" /><Line Text=\"B\" Height=\"80\" Font=\"NoSuchFont\" /><Line />"
                           "</Credits>");
    std::string why;
    ASSERT_TRUE(rig.start(why, &altered)) << why;
    rig.openMenu();
    CEGUI::Window* credits = rig.window("Credits");
    std::vector<CEGUI::Window*> lines;
    for (size_t i = 0; i < credits->getChildCount(); ++i)
        if (credits->getChildAtIdx(i)->getType() == "Speed/StaticText" && credits->getChildAtIdx(i)->isDisabled())
            lines.push_back(credits->getChildAtIdx(i));
    ASSERT_EQ(lines.size(), 3u);
    // A bad LineHeight keeps its default of 40; B is 80 high and moves C down.
    const float tops[3] = {0.0f, 40.0f, 120.0f};
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(lines[size_t(i)]->getPosition().d_x.d_scale, 0.25f);
        EXPECT_FLOAT_EQ(lines[size_t(i)]->getPosition().d_y.d_scale, tops[i] / 768.0f);
        EXPECT_FLOAT_EQ(lines[size_t(i)]->getWidth().d_scale, 0.75f);
    }
    EXPECT_EQ(lines[0]->getText(), "A");
    EXPECT_EQ(lines[1]->getProperty("Font"), "Comic-26");
    EXPECT_FLOAT_EQ(lines[1]->getHeight().d_scale, 80.0f / 768.0f);
    // Shown, the lines rise 50 virtual pixels a second; one that has left
    // the top comes in again below the others.
    rig.settle();
    rig.click("MainMenu/BtnCredits");
    rig.settle();
    // A frame scrolls by the frame before it: after a frame of a second, the
    // next one moves the lines 50 pixels (C, the lowest, is far from the top).
    rig.frame(1.0);
    const float before = lines[2]->getPosition().d_y.d_scale * 768.0f;
    rig.frame(0.0);
    EXPECT_NEAR(lines[2]->getPosition().d_y.d_scale * 768.0f, before - 50.0f, 0.5f);
    // However long they rise, a line leaves the top by at most one frame's
    // step (10 pixels) before it comes in again below.
    const float heights[3] = {40.0f, 80.0f, 40.0f};
    rig.frame(0.2);
    rig.frame(0.2);
    for (int i = 0; i < 30; ++i) {
        rig.frame(0.2);
        for (int k = 0; k < 3; ++k)
            EXPECT_GT(lines[size_t(k)]->getPosition().d_y.d_scale * 768.0f, -heights[k] - 10.5f);
    }
}

TEST_F(MenuLoad, AMissingOrDamagedMenuFileEndsTheGameNamingIt)
{
    struct Case {
        const char* file;
        const char* replacement;
        const char* named;
    };
    const Case cases[] = {
        {"Tracks.imageset", nullptr, "\"Tracks.imageset\""},
        {"Winning.layout", nullptr, "\"Winning.layout\""},
        {"Profile.layout", "<GUILayout version=\"4\"><Window type=\"Speed/StaticImage\" name=\"Profile\">",
         "\"Profile.layout\""},
        // A layout that lacks one window the menu looks up names both.
        {"Exit.layout",
         "<GUILayout version=\"4\"><Window type=\"Speed/Dim\" name=\"Exit\">"
         "<Window type=\"Speed/StaticText\" name=\"LblMessage\"/><Window type=\"Speed/Button\" name=\"BtnYes\"/>"
         "</Window></GUILayout>",
         "Exit/BtnNo"},
        {"Shop.layout", nullptr, "\"Shop.layout\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        MenuRig rig("menu-broken");
        ASSERT_TRUE(rig.mount());
        AlteredArchive altered(rig.archive, c.file, c.replacement);
        std::string why;
        ASSERT_TRUE(rig.start(why, &altered)) << why;
        testing::internal::CaptureStderr();
        rig.openMenu();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(c.named), std::string::npos) << said;
        EXPECT_TRUE(rig.menu->loadFailed());
        // The first frame ends the menu; the teardown copes with what was built.
        EXPECT_EQ(rig.frame(), 1);
        rig.closeMenu();
        EXPECT_FALSE(rig.app->m_rootWindow->isChild("MainMenu"));
    }
}

} // namespace
