// One race drawn on GL from the chase camera: the kart in the middle of the
// picture, the track under it and the sky above. The picture is written to
// the build folder (race-chase.png) to be looked at.
#include "RaceRig.h"

#include "engine/core/render/Renderer.h"
#include "support/DeviceReadBack.h"
#include "support/GlRequirement.h"
#include "tools/lib/PngWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

struct Colour {
    int r, g, b;
};

Colour colourOf(D3DCOLOR argb)
{
    return {int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF)};
}

bool sky(Colour c)
{
    return c.b > 150 && c.b > c.r + 40;
}
bool ground(Colour c)
{
    // Grass, or the grey road.
    const bool grass = c.g > c.r + 20 && c.g > c.b + 20;
    const bool road = std::abs(c.r - c.g) < 20 && std::abs(c.g - c.b) < 25 && c.r > 40 && c.r < 200;
    return grass || road;
}
bool kartPaint(Colour c)
{
    return c.r > 90 && c.r > c.g * 2 && c.r > c.b * 2;
}

TEST(RaceDrawGl, TheChaseCameraShowsTheKartTheTrackAndTheSky)
{
    const int width = 1024, height = 768;
    RaceRig rig(true, width, height);
    REQUIRE_GL(rig.started(), "the race rig's GL device did not start");
    rig.setUp(7);
    TestRace& race = rig.make();
    race.m_controllerMaker = [&race](int32_t i) {
        return new ScriptedController(followPath(race, i % 2 == 0 ? 2.5f : -2.5f, 1.0f - 0.05f * float(i)));
    };
    ASSERT_TRUE(rig.load().loaded());
    rig.startRace();
    rig.run(2.0, 0.1);
    ASSERT_EQ(race.m_cameraMode[0], Race::ChaseCamera);

    const std::vector<D3DCOLOR> pixels = readBackBuffer(rig.renderer.device(), RECT{0, 0, width, height});
    ASSERT_EQ(pixels.size(), size_t(width * height));
    std::vector<uint8_t> rgba;
    for (D3DCOLOR p : pixels) {
        const Colour c = colourOf(p);
        rgba.insert(rgba.end(), {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b), 255});
    }
    const std::vector<uint8_t> png = writePng(width, height, rgba);
    std::ofstream(std::string(std::getenv("VORLUND_BINARY_DIR")) + "/race-chase.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));

    // Shares of a band of the picture that pass a test.
    auto share = [&](int top, int bottom, int left, int right, bool (*test)(Colour)) {
        int hits = 0, all = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x, ++all)
                hits += test(colourOf(pixels[size_t(y) * width + size_t(x)])) ? 1 : 0;
        return double(hits) / double(all);
    };
    EXPECT_GT(share(0, height / 5, 0, width, sky), 0.8);
    EXPECT_GT(share(height * 4 / 5, height, 0, width, ground), 0.6);
    // The kart fills the middle, a little below the centre.
    EXPECT_GT(share(height / 2, height * 3 / 4, width * 2 / 5, width * 3 / 5, kartPaint), 0.1);
}

} // namespace
