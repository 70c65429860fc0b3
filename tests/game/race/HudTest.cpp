// The HUD of a race with the application's GUI, read back from its windows:
// what each race kind shows, the values the race feeds it every frame, the
// minimap's markers, the wrong-way sign, and a race whose HUD files are
// missing.
#include "DialogRig.h"

#include "game/app/Gui.h"
#include "game/app/Hud.h"
#include "game/race/Kart.h"

#include <CEGUI/GUIContext.h>
#include <CEGUI/Window.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

CEGUI::Window* window(const std::string& path)
{
    CEGUI::Window* root = gui::context().getRootWindow();
    return root && root->isChild(path) ? root->getChild(path) : nullptr;
}

std::string image(const std::string& path)
{
    CEGUI::Window* w = window(path);
    return w ? w->getProperty("Image").c_str() : "<no window>";
}

float energy(const std::string& path)
{
    CEGUI::Window* w = window(path);
    return w ? std::stof(w->getProperty("Energy").c_str()) : -1.0f;
}

TEST(HudRace, EachRaceKindShowsItsElements)
{
    const struct {
        int32_t kind;
        bool lap, rank, total, lapTime, best, coins, panels;
    } kinds[] = {
        {Race::SingleRace, true, true, true, true, true, false, true},
        {Race::CoinRace, true, true, true, true, true, true, true},
        {Race::TimedRun, true, true, true, false, false, false, true},
        {Race::LastManStanding, false, false, false, false, false, false, false},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.kind);
        DialogRig rig;
        ASSERT_TRUE(rig.started());
        rig.setUp(3, 0, k.kind);
        TestRace& race = rig.startRace();
        ASSERT_TRUE(race.loaded());
        Hud& hud = *race.m_hud;
        EXPECT_TRUE(rig.shown("HUD"));
        EXPECT_EQ(hud.isLapVisible(), k.lap);
        EXPECT_EQ(rig.shown("HUD/LblLapText"), k.lap);
        EXPECT_EQ(hud.isRankVisible(), k.rank);
        EXPECT_EQ(hud.isTotalTimeVisible(), k.total);
        EXPECT_EQ(hud.isLapTimeVisible(), k.lapTime);
        EXPECT_EQ(hud.isBestLapTimeVisible(), k.best);
        EXPECT_EQ(rig.shown("HUD/LblCoins"), k.coins);
        EXPECT_EQ(rig.shown("HUD/ImgCoins"), k.coins);
        EXPECT_EQ(rig.shown("HUD/ImgTopLeft"), k.panels);
        EXPECT_EQ(rig.shown("HUD/ImgTopRight"), k.panels);
        EXPECT_TRUE(hud.isPowerupVisible());
        EXPECT_TRUE(hud.isMinimapVisible());
        EXPECT_EQ(image("HUD/ImgPowerup"), "Icons/Powerup");
        EXPECT_EQ(image("HUD/ImgCoins"), "Icons/Coin");
        EXPECT_EQ(image("HUD/ImgMinimap"), "Minimap");
        // Waiting for the start key.
        EXPECT_TRUE(hud.isStartVisible());
        EXPECT_EQ(rig.text("HUD/WndStart/LblStart"), "Press Space to start");
        EXPECT_FALSE(rig.shown("HUD/ImgCountdown"));
        EXPECT_FALSE(rig.shown("HUD/ImgUTurn"));
        // Last man standing: one bar per kart, the others' names on theirs.
        for (int32_t bar = 0; bar < Hud::kBars; ++bar) {
            const std::string path = "HUD/ImgEnergy1" + std::to_string(bar + 1);
            EXPECT_EQ(rig.shown(path), k.kind == Race::LastManStanding && bar < 3) << bar;
        }
        if (k.kind == Race::LastManStanding) {
            EXPECT_EQ(rig.text("HUD/ImgEnergy12"), "driver 1");
            EXPECT_EQ(rig.text("HUD/ImgEnergy13"), "driver 2");
            rig.frame();
            EXPECT_FLOAT_EQ(energy("HUD/ImgEnergy11"), 1.0f);
            race.m_karts[2]->setEnergy(40);
            rig.frame();
            EXPECT_FLOAT_EQ(energy("HUD/ImgEnergy13"), 0.4f);
            EXPECT_FLOAT_EQ(energy("HUD/ImgEnergy12"), 1.0f);
        } else {
            EXPECT_EQ(rig.text("HUD/LblLapText"), "Lap");
            // The lap reached so far of the set-up's one lap.
            rig.frame();
            EXPECT_EQ(rig.text("HUD/LblLapValue"), std::to_string(std::min(race.m_karts[0]->m_maxLap, 1)) + "/1");
            EXPECT_EQ(rig.text("HUD/LblTotalTimeValue"), "--:--:--");
        }
    }
}

TEST(HudRace, TheRaceFeedsCountdownTimesLapRankCoinsAndPowerup)
{
    DialogRig rig;
    ASSERT_TRUE(rig.started());
    rig.setUp(3, 0, Race::CoinRace);
    TestRace& race = rig.startRace();
    ASSERT_TRUE(race.loaded());
    Hud& hud = *race.m_hud;
    rig.input.m_keys[0x39] = 1;
    rig.frame(0.05);
    EXPECT_FALSE(hud.isStartVisible());
    // Three, two, one, go.
    std::vector<std::string> seen;
    for (int i = 0; i < 100 && !race.m_started; ++i) {
        rig.frame(0.05);
        const std::string shown = rig.shown("HUD/ImgCountdown") ? image("HUD/ImgCountdown") : "";
        if (!shown.empty() && (seen.empty() || seen.back() != shown))
            seen.push_back(shown);
        // No time before GO.
        if (!race.m_started)
            EXPECT_EQ(rig.text("HUD/LblTotalTimeValue"), "--:--:--");
    }
    ASSERT_TRUE(race.m_started);
    rig.frame(0.05);
    if (rig.shown("HUD/ImgCountdown") && seen.back() != image("HUD/ImgCountdown"))
        seen.push_back(image("HUD/ImgCountdown"));
    EXPECT_EQ(seen, (std::vector<std::string>{"Countdown/3", "Countdown/2", "Countdown/1", "Countdown/GO"}));

    rig.runUntil([&] { return race.raceClock() - race.m_startTime > 3.0; }, 5.0);
    // The frame shows the time its clock started from.
    const double clock = race.raceClock();
    rig.frame();
    const Kart& own = *race.m_karts[0];
    EXPECT_EQ(rig.text("HUD/LblTotalTimeValue"), Hud::formatTime(float(clock) - race.m_startTime));
    EXPECT_EQ(rig.text("HUD/LblLapTimeValue"), Hud::formatTime(own.m_lapTime));
    EXPECT_EQ(rig.text("HUD/LblBestLapTimeValue"), Hud::formatTime(own.m_bestLapTime));
    EXPECT_EQ(rig.text("HUD/LblRankValue"), std::string("1st 2nd 3rd").substr(size_t(own.m_rank) * 4, 3));
    race.m_karts[0]->m_coins = 5;
    race.m_karts[0]->m_powerup = 12;
    rig.frame();
    EXPECT_EQ(rig.text("HUD/LblCoins"), "5/12");
    EXPECT_EQ(image("HUD/ImgPowerup"), "Powerups/Powerup_Frog");
    race.m_karts[0]->m_powerup = 7;
    rig.frame();
    EXPECT_EQ(image("HUD/ImgPowerup"), "Icons/Powerup");
    EXPECT_FALSE(rig.shown("HUD/ImgCountdown"));
}

TEST(HudRace, ValuesAreShapedAsTheyAreShown)
{
    DialogRig rig;
    ASSERT_TRUE(rig.started());
    rig.setUp(2);
    TestRace& race = rig.startRace();
    ASSERT_TRUE(race.loaded());
    Hud& hud = *race.m_hud;
    hud.setLap(5, 3, 0);
    EXPECT_EQ(rig.text("HUD/LblLapValue"), "3/3");
    hud.setLap(0, 3, 0);
    EXPECT_EQ(rig.text("HUD/LblLapValue"), "0/3");
    hud.setLap(-4, 3, 0);
    EXPECT_EQ(rig.text("HUD/LblLapValue"), "0/3");
    hud.setRank(6, 0);
    EXPECT_EQ(rig.text("HUD/LblRankValue"), "7th");
    hud.setRank(7, 0);
    EXPECT_EQ(rig.text("HUD/LblRankValue"), "");
    hud.setStartText(true, 0);
    EXPECT_EQ(rig.text("HUD/WndStart/LblStart"), "Waiting for the other drivers ...");

    // Energy is clamped, and written only when it changes.
    hud.setEnergy(1, 1.7f, 0);
    EXPECT_FLOAT_EQ(energy("HUD/ImgEnergy12"), 1.0f);
    hud.setEnergy(1, 0.5f, 0);
    EXPECT_FLOAT_EQ(energy("HUD/ImgEnergy12"), 0.5f);
    window("HUD/ImgEnergy12")->setProperty("Energy", "0.25");
    hud.setEnergy(1, 0.5f, 0);
    EXPECT_FLOAT_EQ(energy("HUD/ImgEnergy12"), 0.25f);
    hud.setEnergy(1, -3.0f, 0);
    EXPECT_FLOAT_EQ(energy("HUD/ImgEnergy12"), 0.0f);

    // A hidden element keeps its text.
    hud.setLapVisible(false);
    hud.setLap(2, 3, 0);
    EXPECT_EQ(rig.text("HUD/LblLapValue"), "0/3");
    EXPECT_FALSE(hud.isLapVisible());
}

TEST(HudRace, MarkersFollowTheKartsOverTheMinimap)
{
    DialogRig rig;
    ASSERT_TRUE(rig.started());
    rig.setUp(3);
    TestRace& race = rig.startRace();
    ASSERT_TRUE(race.loaded());
    Hud& hud = *race.m_hud;
    rig.frame();
    // One marker per kart, the player's green and the others red.
    CEGUI::Window* minimap = window("HUD/ImgMinimap");
    ASSERT_TRUE(minimap);
    EXPECT_EQ(image("HUD/ImgMinimap/Icon00"), "Icons/IconGreen");
    EXPECT_EQ(image("HUD/ImgMinimap/Icon01"), "Icons/IconRed");
    EXPECT_EQ(image("HUD/ImgMinimap/Icon02"), "Icons/IconRed");
    for (const char* marker : {"Icon00", "Icon01", "Icon02"})
        EXPECT_TRUE(minimap->getChild(marker)->isVisible()) << marker;
    EXPECT_FALSE(minimap->getChild("Icon03")->isVisible());
    EXPECT_EQ(minimap->getChildCount(), size_t(Hud::kMarkers));

    // The fixture's minimap spans -64 .. 64 both ways.
    const struct {
        Vector3 at;
        float u, v;
    } places[] = {
        {{-64.0f, 0.0f, 64.0f}, 0.0f, 0.0f},  {{64.0f, 0.0f, -64.0f}, 1.0f, 1.0f}, {{0.0f, 0.0f, 0.0f}, 0.5f, 0.5f},
        {{32.0f, 5.0f, 32.0f}, 0.75f, 0.25f}, {{-500.0f, 0.0f, 500.0f}, 0.0f, 0.0f},
    };
    for (const auto& p : places) {
        hud.updateMarker(5, p.at);
        const CEGUI::UVector2 at = minimap->getChild("Icon05")->getPosition();
        EXPECT_FLOAT_EQ(at.d_x.d_scale, p.u);
        EXPECT_FLOAT_EQ(at.d_y.d_scale, p.v);
        EXPECT_FLOAT_EQ(at.d_x.d_offset, -4.0f);
        EXPECT_FLOAT_EQ(at.d_y.d_offset, -4.0f);
    }
    // The kart's marker sits where its position maps to.
    const Vector3 kart = race.m_karts[1]->m_position;
    const CEGUI::UVector2 at = minimap->getChild("Icon01")->getPosition();
    EXPECT_NEAR(at.d_x.d_scale, (kart.x + 64.0f) / 128.0f, 1e-5f);
    EXPECT_NEAR(at.d_y.d_scale, 1.0f - (kart.z + 64.0f) / 128.0f, 1e-5f);
    // Slots run out at 32.
    for (int32_t slot = 3; slot < Hud::kMarkers; ++slot)
        EXPECT_EQ(hud.addMarker(2, 3), slot);
    EXPECT_EQ(hud.addMarker(2, 3), -1);
    EXPECT_EQ(image("HUD/ImgMinimap/Icon31"), "Icons/IconBlue");
}

TEST(HudRace, TheWrongWaySignShowsAndGoesHalfASecondLater)
{
    DialogRig rig;
    ASSERT_TRUE(rig.started());
    rig.setUp(2);
    TestRace& race = rig.startRace();
    ASSERT_TRUE(race.loaded());
    rig.frame();
    EXPECT_FALSE(rig.shown("HUD/ImgUTurn"));
    EXPECT_EQ(image("HUD/ImgUTurn"), "UTurn");
    // Three falls of the position map in a row under a kart that stands.
    const int32_t now = race.positionValue(race.m_karts[0]->m_position);
    ASSERT_GT(now, 0);
    int32_t* history = race.m_posHistory[0];
    history[0] = 1000;
    history[1] = 2000;
    history[2] = 3000;
    history[3] = 4000;
    rig.frame(0.1);
    EXPECT_TRUE(rig.shown("HUD/ImgUTurn"));
    const double noted = race.raceClock();
    rig.runUntil([&] { return race.raceClock() - noted > 0.35; }, 1.0);
    EXPECT_TRUE(rig.shown("HUD/ImgUTurn"));
    rig.runUntil([&] { return race.raceClock() - noted > 0.65; }, 1.0);
    EXPECT_FALSE(rig.shown("HUD/ImgUTurn"));
}

TEST(HudRace, TwoViewsHaveASetOfWindowsEach)
{
    DialogRig rig;
    ASSERT_TRUE(rig.started());
    RaceSetup& setup = rig.setUp(3, 1, Race::SingleRace);
    setup.playerType[1] = 3;
    TestRace& race = rig.startRace();
    ASSERT_TRUE(race.loaded());
    rig.frame();
    for (const char* view : {"1", "2"}) {
        SCOPED_TRACE(view);
        const std::string v = view;
        EXPECT_TRUE(rig.shown("HUD/LblLapValue" + v));
        EXPECT_EQ(rig.text("HUD/LblLapValue" + v), std::to_string(std::min(race.m_karts[0]->m_maxLap, 1)) + "/1");
        EXPECT_TRUE(rig.shown("HUD/WndStart" + v));
        EXPECT_EQ(rig.text("HUD/WndStart" + v + "/LblStart"), "Press Space to start");
        EXPECT_EQ(image("HUD/ImgMinimap" + v), "Minimap");
    }
    EXPECT_FALSE(window("HUD/LblLapValue"));
    // Each view's own kart is green in it, the other view's kart red.
    EXPECT_EQ(image("HUD/ImgMinimap1/Icon00"), "Icons/IconGreen");
    EXPECT_EQ(image("HUD/ImgMinimap1/Icon01"), "Icons/IconRed");
    EXPECT_EQ(image("HUD/ImgMinimap2/Icon32"), "Icons/IconRed");
    EXPECT_EQ(image("HUD/ImgMinimap2/Icon33"), "Icons/IconGreen");
    // Each view shows its own kart's values.
    race.m_karts[0]->m_powerup = 0;
    race.m_karts[1]->m_powerup = 3;
    rig.frame();
    EXPECT_EQ(image("HUD/ImgPowerup1"), "Powerups/Powerup_Boost");
    EXPECT_EQ(image("HUD/ImgPowerup2"), "Powerups/Powerup_Rocket");
    race.m_hud->setUTurnVisible(true, 1);
    EXPECT_FALSE(rig.shown("HUD/ImgUTurn1"));
    EXPECT_TRUE(rig.shown("HUD/ImgUTurn2"));
}

TEST(HudRace, ARaceWhoseHudFilesAreMissingIsRefusedWithTheReason)
{
    for (const char* missing : {"HUD.layout", "Icons.imageset", "UTurn.png", "testring_minimap.png"}) {
        SCOPED_TRACE(missing);
        DialogRig rig(false, 320, 240, std::string("menu\\") + missing);
        ASSERT_TRUE(rig.started());
        rig.setUp(2);
        TestRace& race = rig.startRace();
        EXPECT_FALSE(race.loaded());
        EXPECT_EQ(race.result(), 1);
        EXPECT_FALSE(window("HUD"));
    }
}

} // namespace
