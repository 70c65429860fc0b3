// The HUD's texts and pictures that need no window: the one time format and
// the images of power-up kinds and marker colours.
#include "game/app/Hud.h"
#include "game/race/RaceScoring.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(HudFormat, TimesShowMinutesSecondsAndHundredths)
{
    const struct {
        float seconds;
        const char* text;
    } cases[] = {
        {61.234f, "01:01:23"}, {0.0f, "00:00:00"},     {-1.0f, "--:--:--"}, {3599.999f, "59:59:99"},
        {7200.0f, "59:59:99"}, {3600.0f, "59:59:99"},  {0.009f, "00:00:00"}, {59.99f, "00:59:99"},
        {600.5f, "10:00:50"},  {NAN, "--:--:--"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Hud::formatTime(c.seconds), c.text) << c.seconds;
        // The results and the menus show times through the same function.
        EXPECT_EQ(scoring::formatTime(c.seconds), Hud::formatTime(c.seconds)) << c.seconds;
    }
}

TEST(HudFormat, PowerupKindsAndMarkerColoursNameTheirImages)
{
    const struct {
        int32_t kind;
        const char* image;
    } powerups[] = {
        {0, "Powerups/Powerup_Boost"},     {1, "Powerups/Powerup_Oil"},    {2, "Powerups/Powerup_Shield"},
        {3, "Powerups/Powerup_Rocket"},    {4, "Powerups/Powerup_Decoy"},  {5, "Powerups/Powerup_Snowball"},
        {9, "Powerups/Powerup_Plimbert"},  {10, "Powerups/Powerup_Ape"},   {11, "Powerups/Powerup_Frog"},
        {12, "Powerups/Powerup_Frog"},     {13, "Powerups/Powerup_Frog"},  {14, "Powerups/Powerup_Tolvo"},
        {15, "Powerups/Powerup_Pumpkin"},  {16, "Powerups/Powerup_Alien"}, {17, "Powerups/Powerup_Brum"},
        {-1, "Icons/Powerup"},             {6, "Icons/Powerup"},           {7, "Icons/Powerup"},
        {8, "Icons/Powerup"},              {18, "Icons/Powerup"},          {-2147483647, "Icons/Powerup"},
    };
    for (const auto& p : powerups)
        EXPECT_EQ(Hud::powerupImage(p.kind), p.image) << p.kind;
    const char* const markers[] = {"Icons/IconGreen", "Icons/IconRed", "Icons/IconBlue", "Icons/IconYellow"};
    for (int32_t colour = 0; colour < 4; ++colour)
        EXPECT_EQ(Hud::markerImage(colour), markers[colour]);
    EXPECT_EQ(Hud::markerImage(4), "");
    EXPECT_EQ(Hud::markerImage(-1), "");
}

TEST(HudFormat, WithoutAGuiTheHudHandsOutThirtyTwoMarkerSlots)
{
    Hud hud(nullptr, nullptr, 2);
    for (int32_t slot = 0; slot < Hud::kMarkers; ++slot)
        EXPECT_EQ(hud.addMarker(0, 1), slot);
    EXPECT_EQ(hud.addMarker(0, 1), -1);
    // Out-of-range slots, bars and views are ignored.
    hud.updateMarker(-1, {});
    hud.updateMarker(Hud::kMarkers, {});
    hud.setEnergy(Hud::kBars, 0.5f, 0);
    hud.setEnergy(0, 0.5f, 2);
    hud.setLap(1, 3, -1);
    EXPECT_EQ(hud.root(), nullptr);
}

} // namespace
