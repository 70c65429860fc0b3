#include "ShowcaseProbes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

int ShowcaseProbe::pixelX() const { return int(std::lround(320.0 + 768.0 * x / z)); }
int ShowcaseProbe::pixelY() const { return int(std::lround(240.0 - 768.0 * y / z)); }

const std::vector<ShowcaseProbe>& showcaseProbes()
{
    static const std::vector<ShowcaseProbe> table = {
        {"the box's front", -3.3f, 0.5f, 9.5f, true},
        {"the blob's body", -0.6f, 0.5f, 9.7f, true},
        {"the blob's top, pulled up by its morph", -0.6f, 1.6f, 9.7f, true},
        {"the arm, raised by its bone", -1.8f, 1.7f, 9.7f, true},
        {"where the arm stands before its bone moves it", -1.8f, 0.5f, 9.7f, false},
        {"the near glass", 0.7f, 0.3f, 6.7f, true},
        {"the far glass beside the near one", 1.45f, 0.3f, 8.6f, true},
        {"the pole above the mirror", 0.0f, 0.5f, 19.6f, true},
        {"the floor", -1.2f, -1.0f, 5.0f, true},
        {"the box behind the occluder", 4.0f, 0.5f, 10.6f, false},
        {"the sky between box and arm", -2.5f, 0.5f, 9.7f, false},
        {"the sky above everything", 0.0f, 2.8f, 10.0f, false},
    };
    return table;
}

bool showcaseLit(uint32_t rgb)
{
    return ((rgb >> 16) & 0xFF) > 24 || ((rgb >> 8) & 0xFF) > 24 || (rgb & 0xFF) > 24;
}

namespace {

struct Rgb {
    int r, g, b;
};

Rgb at(const std::function<uint32_t(int, int)>& pixel, float x, float y, float z)
{
    const ShowcaseProbe p{"", x, y, z, true};
    const uint32_t c = pixel(p.pixelX(), p.pixelY());
    return {int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)};
}

} // namespace

void expectShowcaseRegions(const std::function<uint32_t(int, int)>& pixel)
{
    for (const ShowcaseProbe& probe : showcaseProbes()) {
        const uint32_t rgb = pixel(probe.pixelX(), probe.pixelY());
        if (probe.drawn)
            EXPECT_TRUE(showcaseLit(rgb)) << probe.what << " at " << probe.pixelX() << "," << probe.pixelY();
        else
            EXPECT_EQ(rgb, 0u) << probe.what << " at " << probe.pixelX() << "," << probe.pixelY();
    }

    // The blue near glass alone over the backdrop, over the red far glass,
    // and over the floor; the floor beside it.
    const Rgb nearOnly = at(pixel, 0.45f, 0.3f, 6.7f);
    const Rgb overlap = at(pixel, 0.9f, 0.3f, 6.7f);
    const Rgb overFloor = at(pixel, 0.45f, -0.8f, 6.7f);
    const Rgb floor = at(pixel, 0.3f, -0.8f, 6.7f);
    // Far to near: the red glass shows through the blue, which lies on top.
    EXPECT_GT(overlap.r, nearOnly.r + 10) << "the far glass behind the near one";
    EXPECT_GT(overlap.b, overlap.r) << "the near glass over the far one";
    // After the opaque floor: it shows through the glass, tinted blue.
    EXPECT_GT(overFloor.r, nearOnly.r + 30) << "the floor behind the glass";
    EXPECT_GT(overFloor.b - overFloor.r, floor.b - floor.r + 20) << "the glass over the floor";

    // The dark mirror shows the yellow foot of the pole standing on it.
    const Rgb reflected = at(pixel, 0.0f, -1.0f, 15.36f);
    const Rgb mirror = at(pixel, -3.0f, -1.0f, 15.36f);
    EXPECT_LT(std::max({mirror.r, mirror.g, mirror.b}), 80) << "the mirror's own dark surface";
    EXPECT_GT(reflected.r, mirror.r + 80) << "the pole in the mirror";
    EXPECT_GT(reflected.g, mirror.g + 60) << "the pole in the mirror";
    EXPECT_LT(reflected.b, reflected.r / 2) << "the pole in the mirror";
}
