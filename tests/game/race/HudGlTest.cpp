// The HUD drawn on GL over a running race, in one view and in two: the
// countdown, place, lap, times, coins, the held power-up, the minimap with a
// marker per kart, the wrong-way sign and the energy bars of last man
// standing. What each window shows is read from the windows; the pictures
// are checked where the windows stand and written to the build folder
// (hud-*.png) to be looked at.
#include "DialogRig.h"

#include "game/app/Gui.h"
#include "game/app/Hud.h"
#include "game/race/Kart.h"
#include "support/DeviceReadBack.h"
#include "support/GlRequirement.h"
#include "tools/lib/PngWriter.h"

#include <CEGUI/GUIContext.h>
#include <CEGUI/Window.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace {

constexpr int kWidth = 1024, kHeight = 768;

class Shot {
public:
    explicit Shot(DialogRig& rig, const std::string& name)
        : m_pixels(readBackBuffer(rig.renderer.device(), RECT{0, 0, kWidth, kHeight}))
    {
        std::vector<uint8_t> rgba;
        for (D3DCOLOR p : m_pixels)
            rgba.insert(rgba.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), 255});
        const std::vector<uint8_t> png = writePng(kWidth, kHeight, rgba);
        std::ofstream(std::string(std::getenv("VORLUND_BINARY_DIR")) + "/" + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    }
    bool complete() const { return m_pixels.size() == size_t(kWidth * kHeight); }

    // Pixels of a window's rectangle that pass a test.
    int count(const std::string& path, bool (*test)(int r, int g, int b)) const
    {
        CEGUI::Window* w = gui::context().getRootWindow()->getChild(path);
        const CEGUI::Rectf rect = w->getUnclippedOuterRect().get();
        int hits = 0;
        for (int y = std::max(0, int(rect.top())); y < std::min(kHeight, int(rect.bottom())); ++y)
            for (int x = std::max(0, int(rect.left())); x < std::min(kWidth, int(rect.right())); ++x) {
                const D3DCOLOR p = m_pixels[size_t(y) * kWidth + size_t(x)];
                hits += test(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)) ? 1 : 0;
            }
        return hits;
    }

private:
    std::vector<D3DCOLOR> m_pixels;
};

bool white(int r, int g, int b)
{
    return r > 225 && g > 225 && b > 225;
}
bool gold(int r, int g, int b)
{
    return r > 220 && g > 150 && b < 120;
}
bool red(int r, int g, int b)
{
    return r > 170 && g < 90 && b < 90;
}
bool green(int r, int g, int b)
{
    return g > 160 && r < 140 && b < 140;
}

std::string image(const std::string& path)
{
    return gui::context().getRootWindow()->getChild(path)->getProperty("Image").c_str();
}

// Frames until the race clock is `seconds` past GO.
void raceFor(DialogRig& rig, TestRace& race, double seconds)
{
    rig.runUntil([&] { return race.raceClock() - race.m_startTime > seconds; }, seconds + 2.0);
}

// The kart's position map falling three times in a row: the race flags the
// view as going the wrong way in its next frame.
void turnAround(TestRace& race, int32_t view)
{
    // Above any value of the map: whatever the kart's next value, it falls.
    race.m_posHistory[view][0] = 1000;
    race.m_posHistory[view][1] = 2000;
    race.m_posHistory[view][2] = 3000;
    race.m_posHistory[view][3] = 4000;
}

TEST(HudGl, OneViewShowsTheCountdownThenTheRace)
{
    DialogRig rig(true, kWidth, kHeight);
    REQUIRE_GL(rig.started(), "the dialog rig's GL device or application did not start");
    rig.setUp(4, 0, Race::CoinRace);
    TestRace& race = rig.startRace();
    ASSERT_TRUE(race.loaded());
    rig.frame();
    {
        Shot shot(rig, "hud-start.png");
        ASSERT_TRUE(shot.complete());
        EXPECT_TRUE(rig.shown("HUD/WndStart"));
        EXPECT_GT(shot.count("HUD/WndStart/LblStart", gold), 100);
    }
    rig.input.m_keys[0x39] = 1;
    rig.frame(0.05);
    ASSERT_TRUE(rig.runUntil([&] { return rig.shown("HUD/ImgCountdown"); }, 3.0, 0.05));
    {
        Shot shot(rig, "hud-countdown.png");
        EXPECT_EQ(image("HUD/ImgCountdown"), "Countdown/3");
        EXPECT_GT(shot.count("HUD/ImgCountdown", gold), 2000);
    }
    ASSERT_TRUE(rig.runUntil([&] { return race.m_started != 0; }, 5.0, 0.05));
    raceFor(rig, race, 4.0);
    race.m_karts[0]->m_powerup = 3;
    race.m_karts[0]->m_coins = 4;
    turnAround(race, 0);
    rig.frame(0.05);

    Shot shot(rig, "hud-one-view.png");
    EXPECT_EQ(rig.text("HUD/LblLapValue"), std::to_string(std::min(race.m_karts[0]->m_maxLap, 1)) + "/1");
    EXPECT_EQ(rig.text("HUD/LblCoins"), "4/12");
    EXPECT_EQ(rig.text("HUD/LblRankValue"), std::string("1st 2nd 3rd 4th").substr(size_t(race.m_karts[0]->m_rank) * 4, 3));
    EXPECT_EQ(rig.text("HUD/LblTotalTimeValue").substr(0, 4), "00:0");
    EXPECT_EQ(image("HUD/ImgPowerup"), "Powerups/Powerup_Rocket");
    EXPECT_TRUE(rig.shown("HUD/ImgUTurn"));
    EXPECT_FALSE(rig.shown("HUD/ImgCountdown"));
    for (const char* label : {"HUD/LblLapValue", "HUD/LblCoins", "HUD/LblTotalTimeValue", "HUD/LblLapTimeValue",
                              "HUD/LblBestLapTimeValue"})
        EXPECT_GT(shot.count(label, white), 40) << label;
    EXPECT_GT(shot.count("HUD/LblRankValue", gold), 40);
    EXPECT_GT(shot.count("HUD/ImgPowerup", red), 200);
    EXPECT_GT(shot.count("HUD/ImgUTurn", red), 2000);
    EXPECT_GT(shot.count("HUD/ImgCoins", gold), 30);
    // The minimap's own kart green, the three others red.
    EXPECT_GT(shot.count("HUD/ImgMinimap/Icon00", green), 10);
    for (const char* marker : {"HUD/ImgMinimap/Icon01", "HUD/ImgMinimap/Icon02", "HUD/ImgMinimap/Icon03"})
        EXPECT_GT(shot.count(marker, red), 10) << marker;
}

TEST(HudGl, TwoViewsEachShowTheirKart)
{
    DialogRig rig(true, kWidth, kHeight);
    REQUIRE_GL(rig.started(), "the dialog rig's GL device or application did not start");
    RaceSetup& setup = rig.setUp(3, 1, Race::SingleRace);
    setup.playerType[1] = 3;
    TestRace& race = rig.startRace();
    ASSERT_TRUE(race.loaded());
    rig.go();
    raceFor(rig, race, 3.0);
    race.m_karts[0]->m_powerup = 0;
    race.m_karts[1]->m_powerup = 14;
    turnAround(race, 1);
    rig.frame(0.05);

    Shot shot(rig, "hud-two-views.png");
    ASSERT_TRUE(shot.complete());
    EXPECT_EQ(image("HUD/ImgPowerup1"), "Powerups/Powerup_Boost");
    EXPECT_EQ(image("HUD/ImgPowerup2"), "Powerups/Powerup_Tolvo");
    EXPECT_FALSE(rig.shown("HUD/ImgUTurn1"));
    EXPECT_TRUE(rig.shown("HUD/ImgUTurn2"));
    EXPECT_GT(shot.count("HUD/ImgUTurn2", red), 1000);
    for (const char* view : {"1", "2"}) {
        const std::string v = view;
        SCOPED_TRACE(v);
        EXPECT_EQ(rig.text("HUD/LblLapValue" + v), std::to_string(std::min(race.m_karts[0]->m_maxLap, 1)) + "/1");
        EXPECT_GT(shot.count("HUD/LblLapValue" + v, white), 30);
        EXPECT_GT(shot.count("HUD/LblTotalTimeValue" + v, white), 30);
        EXPECT_GT(shot.count("HUD/LblRankValue" + v, gold), 30);
        // The view's own kart is green on its minimap.
        EXPECT_GT(shot.count("HUD/ImgMinimap" + v + (v == "1" ? "/Icon00" : "/Icon33"), green), 8);
        EXPECT_GT(shot.count("HUD/ImgMinimap" + v + (v == "1" ? "/Icon01" : "/Icon32"), red), 8);
    }
    // The two views' rectangles do not overlap.
    const CEGUI::Rectf top = gui::find("HUD/ImgMinimap1")->getUnclippedOuterRect().get();
    const CEGUI::Rectf bottom = gui::find("HUD/ImgMinimap2")->getUnclippedOuterRect().get();
    EXPECT_LE(top.bottom(), float(kHeight) / 2.0f + 1.0f);
    EXPECT_GE(bottom.top(), float(kHeight) / 2.0f);
}

TEST(HudGl, LastManStandingShowsAnEnergyBarPerKart)
{
    DialogRig rig(true, kWidth, kHeight);
    REQUIRE_GL(rig.started(), "the dialog rig's GL device or application did not start");
    RaceSetup& setup = rig.setUp(4, 1, Race::LastManStanding);
    setup.playerType[1] = 3;
    TestRace& race = rig.startRace();
    ASSERT_TRUE(race.loaded());
    rig.go();
    raceFor(rig, race, 1.0);
    race.m_karts[0]->setEnergy(100);
    race.m_karts[2]->setEnergy(30);
    race.m_karts[3]->setEnergy(70);
    rig.frame(0.05);

    Shot shot(rig, "hud-last-man-standing.png");
    ASSERT_TRUE(shot.complete());
    // View 1: its own kart first, then karts 1, 2, 3.
    EXPECT_EQ(rig.text("HUD/ImgEnergy12"), "driver 1");
    EXPECT_EQ(rig.text("HUD/ImgEnergy13"), "driver 2");
    EXPECT_EQ(rig.text("HUD/ImgEnergy14"), "driver 3");
    auto energy = [](const char* bar) { return std::stof(gui::find(bar)->getProperty("Energy").c_str()); };
    EXPECT_FLOAT_EQ(energy("HUD/ImgEnergy11"), 1.0f);
    EXPECT_FLOAT_EQ(energy("HUD/ImgEnergy13"), 0.3f);
    EXPECT_FLOAT_EQ(energy("HUD/ImgEnergy14"), 0.7f);
    // View 2 (kart 1): karts 0, 2, 3 after its own.
    EXPECT_EQ(rig.text("HUD/ImgEnergy22"), "driver 0");
    EXPECT_FLOAT_EQ(energy("HUD/ImgEnergy23"), 0.3f);
    for (const char* bar : {"HUD/ImgEnergy11", "HUD/ImgEnergy14", "HUD/ImgEnergy21", "HUD/ImgEnergy24"})
        EXPECT_TRUE(rig.shown(bar)) << bar;
    EXPECT_FALSE(rig.shown("HUD/ImgEnergy15"));
    EXPECT_FALSE(rig.shown("HUD/LblLapValue1"));
    // A fuller bar shows more of its gold fill.
    auto fill = [](int r, int g, int b) { return r > 230 && g > 100 && b < 90; };
    EXPECT_GT(shot.count("HUD/ImgEnergy14", fill), shot.count("HUD/ImgEnergy13", fill) + 100);
    EXPECT_GT(shot.count("HUD/ImgEnergy12", white), 30);
}

} // namespace
