// The default loading picture: an evening landscape, a sky, hills, and a
// road to the horizon.
#include "tools/guiimages/GuiImages.h"

#include "tools/guiimages/Canvas.h"

#include <cmath>
#include <vector>

namespace {

struct Scenery {
    uint32_t skyTop, skyHorizon, hills, ground;
};

// The landscape over the whole canvas.
void landscape(Canvas& c, const Scenery& s, float horizonShare)
{
    const float w = float(c.width()), h = float(c.height()), horizon = h * horizonShare;
    c.roundRect(0, 0, w, horizon + 2, 0, vertical(0, rgb(s.skyTop), horizon, rgb(s.skyHorizon)));
    c.circle(w * 0.72f, horizon - h * 0.08f, h * 0.07f, solid(rgb(0xfff0c0, 0.9f)));
    // Two rows of hills, the far one hazier.
    for (int row = 0; row < 2; ++row) {
        std::vector<Point> hills = {{0, h}};
        const float base = horizon + h * 0.02f * float(row), height = h * (0.16f - 0.05f * float(row));
        for (int i = 0; i <= 24; ++i) {
            const float x = w * float(i) / 24.0f;
            const float wave = std::sin(float(i) * (row ? 1.3f : 0.7f) + float(row) * 2.0f) * 0.5f + 0.5f;
            hills.push_back({x, base - height * wave});
        }
        hills.push_back({w, h});
        c.polygon(hills, solid(mix(rgb(s.hills), rgb(s.skyHorizon), row ? 0.0f : 0.45f)));
    }
    c.roundRect(0, horizon + h * 0.04f, w, h, 0, vertical(horizon, rgb(s.ground), h, mix(rgb(s.ground), rgb(0x000000), 0.35f)));
    // The road: wide at the bottom, a point at the horizon, with a centre line.
    const float mid = w * 0.5f;
    c.polygon({{mid - w * 0.01f, horizon + h * 0.04f}, {mid + w * 0.01f, horizon + h * 0.04f}, {mid + w * 0.42f, h}, {mid - w * 0.42f, h}},
              vertical(horizon, rgb(0x5a5a64), h, rgb(0x2a2a30)));
    for (int i = 0; i < 6; ++i) {
        const float t0 = float(i) / 6.0f + 0.03f, t1 = t0 + 0.08f;
        auto at = [&](float t) { return horizon + h * 0.04f + (h - horizon - h * 0.04f) * t * t; };
        c.capsule({mid, at(t0)}, {mid, at(t1)}, 1.0f + 5.0f * t1 * h / 400.0f, solid(rgb(0xf8f8f0, 0.9f)));
    }
}

} // namespace

bool loadingPicture(const std::string& dir)
{
    Canvas picture(1280, 720);
    landscape(picture, {0x283c8c, 0xf09664, 0x3a4a6a, 0x4a6a8a}, 0.58f);
    return picture.savePng(dir + "/LoadingScreen_00.png");
}
