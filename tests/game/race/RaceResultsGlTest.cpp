// The results dialog drawn on GL over the race it ends: the places in gold,
// the names and times in white, inside the dialog's panel. The picture is
// written to the build folder (race-results.png) to be looked at.
#include "DialogRig.h"

#include "support/DeviceReadBack.h"
#include "support/GlRequirement.h"
#include "tools/lib/PngWriter.h"

#include <CEGUI/Window.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace {

TEST(RaceResultsGl, TheResultsDialogShowsPlacesNamesAndTimes)
{
    const int width = 1024, height = 768;
    DialogRig rig(true, width, height);
    REQUIRE_GL(rig.started(), "the dialog rig's GL device or application did not start");
    rig.setUp(4);
    TestRace& race = rig.startRace();
    ASSERT_TRUE(race.loaded());
    rig.go();
    ASSERT_TRUE(rig.runUntil([&] { return race.m_countdownPhase == 6; }, 120.0));
    rig.frame();
    ASSERT_TRUE(rig.shown("Results"));

    const std::vector<D3DCOLOR> pixels = readBackBuffer(rig.renderer.device(), RECT{0, 0, width, height});
    ASSERT_EQ(pixels.size(), size_t(width * height));
    std::vector<uint8_t> rgba;
    for (D3DCOLOR p : pixels)
        rgba.insert(rgba.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), 255});
    const std::vector<uint8_t> png = writePng(width, height, rgba);
    std::ofstream(std::string(std::getenv("VORLUND_BINARY_DIR")) + "/race-results.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));

    // Pixels of a window's rectangle that pass a test.
    auto count = [&](CEGUI::Window* w, bool (*test)(int r, int g, int b)) {
        const CEGUI::Rectf rect = w->getUnclippedOuterRect().get();
        int hits = 0;
        for (int y = std::max(0, int(rect.top())); y < std::min(height, int(rect.bottom())); ++y)
            for (int x = std::max(0, int(rect.left())); x < std::min(width, int(rect.right())); ++x) {
                const D3DCOLOR p = pixels[size_t(y) * width + size_t(x)];
                hits += test(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)) ? 1 : 0;
            }
        return hits;
    };
    auto gold = [](int r, int g, int b) { return r > 200 && g > 160 && b < 170 && r > b + 60; };
    auto white = [](int r, int g, int b) { return r > 200 && g > 200 && b > 200; };
    for (int32_t row = 0; row < 4; ++row) {
        SCOPED_TRACE(row);
        EXPECT_GT(count(race.m_resultsRank[row], gold), 20);
        EXPECT_GT(count(race.m_resultsName[row], white), 20);
        EXPECT_GT(count(race.m_resultsTime[row], white), 20);
    }
    // The empty rows show nothing bright.
    EXPECT_EQ(count(race.m_resultsName[5], white), 0);
    EXPECT_GT(count(race.m_resultsHeader, white), 50);
}

} // namespace
