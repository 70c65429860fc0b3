// The three highscore screens headless over our data set: the tables'
// entries shown with portrait, name, time, points and tries; the class,
// laps, track and arena filters choosing the table; the buttons beyond the
// configuration's lists hidden.
#include "MenuRig.h"

#include "game/app/TextTable.h"
#include "game/menu/Highscores.h"

#include <CEGUI/Window.h>
#include <gtest/gtest.h>

namespace {

class MenuHighscores : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string why;
        ASSERT_TRUE(rig.start(why)) << why;
    }
    void go(const std::string& button, const char* screen)
    {
        rig.click(button);
        rig.settle();
        ASSERT_EQ(rig.shown(), screen);
    }
    std::string text(const std::string& path) const { return rig.window(path)->getText().c_str(); }
    std::string table(int32_t id) const { return rig.app->m_textTable->getText(id).c_str(); }
    std::string image(const std::string& path) const { return rig.window(path)->getProperty("Image").c_str(); }
    bool enabled(const std::string& path) const { return !rig.window(path)->isDisabled(); }
    std::string portrait(const std::string& kart) const
    {
        return "PortraitsSmall/" + rig.app->findKart(kart)->menuimage;
    }

    MenuRig rig{"menu-highscores"};
};

TEST_F(MenuHighscores, EachTableShowsItsEntriesAndTheFiltersChooseIt)
{
    Highscores& scores = *rig.app->m_highscores;
    scores.overallTable().insert(HighscoreEntry("vela", "Ada", 1240, 123.5f, 0));
    scores.overallTable().insert(HighscoreEntry("no such kart", "Zo\xC3\xAB\t\xE4\xB8\xAD", 990, 200.0f, 2));
    scores.table(1, 2, 5)->insert(HighscoreEntry("vela", "Lou", 0, 61.25f, 0));
    scores.extraTable(2, 1)->insert(HighscoreEntry("vela", "Kim", 0, 3599.999f, 0));
    rig.openMenu();
    rig.settle();
    go("MainMenu/BtnHighscores", "HighscoresCareer");

    EXPECT_EQ(image("HighscoresCareer/ImgKart01"), portrait("vela"));
    EXPECT_EQ(text("HighscoresCareer/LblName01"), "Ada");
    EXPECT_EQ(text("HighscoresCareer/LblTime01"), "02:03:50");
    EXPECT_EQ(text("HighscoresCareer/LblScore01"), "1240 " + table(8500));
    EXPECT_EQ(text("HighscoresCareer/LblRetries01"), "1 " + table(8510));
    // A kart nobody knows has the blank portrait; what the font cannot draw
    // (a tab, a character it lacks) shows as a stand-in.
    EXPECT_EQ(image("HighscoresCareer/ImgKart02"), "PortraitsSmall/Blanko");
    EXPECT_EQ(text("HighscoresCareer/LblName02"), "Zo\xC3\xAB??");
    EXPECT_EQ(text("HighscoresCareer/LblRetries02"), "3 " + table(8510));
    // Empty places.
    EXPECT_EQ(image("HighscoresCareer/ImgKart10"), "PortraitsSmall/Blanko");
    EXPECT_EQ(text("HighscoresCareer/LblName10"), "");
    EXPECT_EQ(text("HighscoresCareer/LblTime10"), "--:--:--");
    EXPECT_EQ(text("HighscoresCareer/LblScore10"), "");
    EXPECT_FALSE(enabled("HighscoresCareer/BtnGame02"));

    // Single race: class 0, track 0, 3 laps first; the filters choose class
    // 1, 5 laps and the third track.
    go("HighscoresCareer/BtnGame01", "HighscoresSingle");
    EXPECT_EQ(text("HighscoresSingle/LblTime01"), "--:--:--");
    const size_t tracks = rig.app->m_config.singleRaceTracks().size();
    ASSERT_GE(tracks, 3u);
    for (size_t i = 0; i < 9; ++i) {
        char name[40];
        std::snprintf(name, sizeof name, "HighscoresSingle/BtnTrack%02d", int(i + 1));
        EXPECT_EQ(rig.window(name)->isVisible(), i < tracks) << name;
        if (i < tracks)
            EXPECT_EQ(text(name), table(rig.app->findLevel(rig.app->m_config.singleRaceTracks()[i])->menutext));
    }
    for (const char* filter : {"HighscoresSingle/BtnCcm02", "HighscoresSingle/BtnLaps02", "HighscoresSingle/BtnTrack03"})
        rig.click(filter);
    EXPECT_EQ(text("HighscoresSingle/LblName01"), "Lou");
    EXPECT_EQ(text("HighscoresSingle/LblTime01"), "01:01:25");
    EXPECT_EQ(image("HighscoresSingle/ImgKart01"), portrait("vela"));
    for (const char* chosen : {"HighscoresSingle/BtnCcm02", "HighscoresSingle/BtnLaps02", "HighscoresSingle/BtnTrack03",
                               "HighscoresSingle/BtnGame01"})
        EXPECT_FALSE(enabled(chosen)) << chosen;
    for (const char* other : {"HighscoresSingle/BtnCcm01", "HighscoresSingle/BtnLaps03", "HighscoresSingle/BtnTrack01"})
        EXPECT_TRUE(enabled(other)) << other;

    // Last man standing: class 2, the second arena.
    go("HighscoresSingle/BtnGame03", "HighscoresLMS");
    const size_t arenas = rig.app->m_config.lastManStandingTracks().size();
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(rig.window("HighscoresLMS/BtnTrack0" + std::to_string(i + 1))->isVisible(), i < arenas);
    rig.click("HighscoresLMS/BtnCcm03");
    rig.click("HighscoresLMS/BtnTrack02");
    EXPECT_EQ(text("HighscoresLMS/LblName01"), "Kim");
    EXPECT_EQ(text("HighscoresLMS/LblTime01"), "59:59:99");
    EXPECT_FALSE(enabled("HighscoresLMS/BtnTrack02"));

    // Opened from the main menu, Back goes there.
    go("HighscoresLMS/BtnBack", "MainMenu");
}

} // namespace
