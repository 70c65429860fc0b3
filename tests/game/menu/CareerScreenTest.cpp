// The career and ranking screens over our data set, filled from a profile
// the test writes: the class's races with their kinds and the player's
// places, and the season's table in its order with the last race's gains.
#include "MenuRig.h"

#include "game/app/TextTable.h"
#include "game/menu/CareerScreen.h"
#include "game/menu/ProfileStore.h"
#include "game/menu/RankingScreen.h"

#include <CEGUI/Window.h>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

const char* const kGold = "tl:FFFFEC18 tr:FFFFEC18 bl:FFFFEC18 br:FFFFEC18";
const char* const kWhite = "tl:FFFFFFFF tr:FFFFFFFF bl:FFFFFFFF br:FFFFFFFF";

class CareerScreens : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string why;
        ASSERT_TRUE(rig.start(why)) << why;
        rig.addProfile();
    }
    CEGUI::String text(int32_t id) const { return rig.app->m_textTable->getText(id); }
    static std::string row(const char* name, int32_t i)
    {
        char path[48];
        std::snprintf(path, sizeof path, "%s%02d", name, i + 1);
        return path;
    }
    ProfileStore& store() { return *rig.app->m_profileStore; }

    MenuRig rig{"career-screens"};
};

TEST_F(CareerScreens, CareerListsTheClassRacesWithTheirKindsAndPlaces)
{
    CareerScreen career(rig.app.get());
    store().setCcm(0);
    store().setLevel(0, 2);
    store().setRank(0, 0, 0, 0);
    store().setRank(0, 0, 1, 2);
    store().setKudos(0, 0);
    career.refresh();
    const auto& w = career.windows();
    const std::vector<std::string>& tracks = rig.app->m_config.careerTracks(0);
    const std::vector<int32_t>& games = rig.app->m_config.careerGames(0);
    ASSERT_EQ(tracks.size(), 8u);
    const int32_t gameTexts[4] = {5015, 5040, 5030, 5020};
    for (int32_t i = 0; i < CareerScreen::kRows; ++i) {
        SCOPED_TRACE(i);
        CEGUI::Window* track = w.at(row("Career/LblTrack", i));
        CEGUI::Window* game = w.at(row("Career/LblGame", i));
        CEGUI::Window* rank = w.at(row("Career/LblRank", i));
        if (size_t(i) >= tracks.size()) {
            EXPECT_FALSE(track->isVisible());
            EXPECT_FALSE(game->isVisible());
            EXPECT_FALSE(rank->isVisible());
            continue;
        }
        EXPECT_TRUE(track->isVisible());
        EXPECT_EQ(track->getText(), text(rig.app->findLevel(tracks[size_t(i)])->menutext));
        EXPECT_EQ(game->getText(), text(gameTexts[games[size_t(i)]]));
        // Won, third, and not raced yet.
        EXPECT_EQ(rank->getText(), text(i == 0 ? 7000 : i == 1 ? 7020 : 7070));
        for (CEGUI::Window* label : {track, game, rank})
            EXPECT_EQ(label->getProperty("TextColours"), i == 2 ? kGold : kWhite);
    }
    EXPECT_EQ(w.at("Career/LblHeader")->getText(), text(5000) + " - " + text(2000));
    EXPECT_EQ(w.at("Career/LblKudos")->getText(), "0 " + text(2040));
    EXPECT_EQ(w.at("Career/LblStart")->getText(), text(1070));
    EXPECT_EQ(w.at("Career/LblBack")->getText(), text(1080));
    EXPECT_EQ(career.shopButton()->getText(), text(2050));
    // Nothing to spend: no shop.
    EXPECT_TRUE(career.shopButton()->isDisabled());
    EXPECT_FALSE(career.startButton()->isDisabled());

    store().setKudos(0, 250);
    store().setCcm(1);
    store().setGameOver(1);
    career.refresh();
    EXPECT_FALSE(career.shopButton()->isDisabled());
    EXPECT_TRUE(career.startButton()->isDisabled());
    EXPECT_EQ(w.at("Career/LblKudos")->getText(), "250 " + text(2040));
    EXPECT_EQ(w.at("Career/LblHeader")->getText(), text(5000) + " - " + text(2010));
    // The new class has not been raced: every place is still open, the
    // first race is next.
    EXPECT_EQ(w.at("Career/LblRank01")->getText(), text(7070));
    EXPECT_EQ(w.at("Career/LblTrack01")->getProperty("TextColours"), kGold);
    EXPECT_EQ(w.at("Career/LblTrack03")->getProperty("TextColours"), kWhite);
}

TEST_F(CareerScreens, RankingOrdersByPointsThenTimeAndShowsTheGains)
{
    RankingScreen ranking(rig.app.get());
    const std::vector<KartInfo>& karts = rig.app->m_config.karts();
    struct Driver {
        int32_t points;
        float time; // one race's time; 0 for none
        int32_t kudos;
    };
    // Drivers 1 and 3 tie on points, 1 faster; 5 and 6 tie on both, so 6
    // stands first.
    const Driver drivers[7] = {{40, 100.0f, 300}, {60, 90.0f, 20}, {10, 0.0f, 5},  {60, 95.5f, 40},
                               {0, 0.0f, 0},      {30, 80.0f, 7},  {30, 80.0f, 9}};
    for (int32_t p = 0; p < 7; ++p) {
        store().setName(p, "driver " + std::to_string(p));
        store().setKart(p, karts[size_t(p)].name);
        store().setSeasonPoints(p, 0, drivers[p].points);
        if (drivers[p].time > 0.0f)
            store().setTime(p, 0, 0, drivers[p].time);
        store().setKudos(p, drivers[p].kudos);
    }
    store().setKart(4, "nobody");
    const int32_t order[7] = {1, 3, 0, 6, 5, 2, 4};

    const int32_t pointsBefore[7] = {30, 60, 10, 50, 0, 30, 20};
    const int32_t kudosBefore[7] = {250, 20, 5, 40, 0, 7, 0};
    for (bool gains : {false, true}) {
        SCOPED_TRACE(gains);
        if (gains)
            ranking.fill(pointsBefore, kudosBefore);
        else
            ranking.fill();
        const auto& w = ranking.windows();
        for (int32_t r = 0; r < 7; ++r) {
            SCOPED_TRACE(r);
            const int32_t p = order[r];
            EXPECT_EQ(w.at(row("Ranking/LblName", r))->getText(), "driver " + std::to_string(p));
            const std::string image = w.at(row("Ranking/ImgKart", r))->getProperty("Image").c_str();
            EXPECT_EQ(image, "PortraitsSmall/" + (p == 4 ? std::string("Blanko") : karts[size_t(p)].menuimage));
            CEGUI::String points = std::to_string(drivers[p].points) + " " + text(8500);
            CEGUI::String kudos = "$" + std::to_string(drivers[p].kudos);
            if (gains && drivers[p].points > pointsBefore[p])
                points += " (+" + std::to_string(drivers[p].points - pointsBefore[p]) + ")";
            if (gains && drivers[p].kudos > kudosBefore[p])
                kudos += " (+$" + std::to_string(drivers[p].kudos - kudosBefore[p]) + ")";
            EXPECT_EQ(w.at(row("Ranking/LblPoints", r))->getText(), points);
            EXPECT_EQ(w.at(row("Ranking/LblKudos", r))->getText(), kudos);
        }
        EXPECT_EQ(w.at("Ranking/LblTime01")->getText(), "01:30:00");
        EXPECT_EQ(w.at("Ranking/LblTime02")->getText(), "01:35:50");
        EXPECT_EQ(w.at("Ranking/LblTime07")->getText(), "00:00:00");
        EXPECT_EQ(w.at("Ranking/LblHeader")->getText(), text(5000) + " - " + text(2000));
        EXPECT_EQ(w.at("Ranking/LblContinue")->getText(), text(1070));
        EXPECT_FALSE(ranking.continueButton()->isDisabled());
    }
    store().setGameOver(1);
    ranking.fill();
    EXPECT_TRUE(ranking.continueButton()->isDisabled());
}

} // namespace
