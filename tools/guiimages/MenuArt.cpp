// The menu's own art: the language flags and the imageset Vorlund (the
// game's wordmark and the glow behind a trophy).
#include "tools/guiimages/GuiImages.h"

#include "tools/guiimages/Atlas.h"
#include "tools/guiimages/GuiPalette.h"
#include "tools/guiimages/TextPainter.h"

#include <algorithm>
#include <cmath>

namespace {

// A flag on a rounded card with a soft light across it, drawn at twice the
// size and shrunk.
template <typename Draw>
Canvas flag(Draw draw)
{
    const float w = 384, h = 256;
    Canvas field{int(w), int(h)};
    draw(field, w, h);
    Canvas card{int(w), int(h)};
    // Only the rounded card of the field shows.
    for (int y = 0; y < int(h); ++y)
        for (int x = 0; x < int(w); ++x) {
            Colour c = field.at(x, y);
            const float d = roundRectDistance(float(x) + 0.5f, float(y) + 0.5f, 4, 4, w - 4, h - 4, 22);
            c.a *= std::clamp(0.5f - d, 0.0f, 1.0f);
            card.set(x, y, c);
        }
    card.roundRect(4, 4, w - 4, h * 0.5f, 22, vertical(4, rgb(0xffffff, 0.28f), h * 0.5f, rgb(0xffffff, 0.0f)));
    card.roundRectEdge(4, 4, w - 4, h - 4, 22, 5, solid(rgb(0xffffff, 0.8f)));
    return card.shrink(2);
}

void bands(Canvas& c, float w, float h, std::initializer_list<uint32_t> colours, bool vertical, std::vector<float> weights = {})
{
    const size_t n = colours.size();
    if (weights.empty())
        weights.assign(n, 1.0f);
    float total = 0;
    for (float v : weights)
        total += v;
    float at = 0;
    size_t i = 0;
    for (uint32_t colour : colours) {
        const float from = at / total, to = (at + weights[i]) / total;
        if (vertical)
            c.roundRect(w * from, 0, w * to + 1, h, 0, solid(rgb(colour)));
        else
            c.roundRect(0, h * from, w, h * to + 1, 0, solid(rgb(colour)));
        at += weights[i++];
    }
}

} // namespace

bool flagImages(const std::string& dir)
{
    Atlas atlas(512);
    atlas.add("DE", flag([](Canvas& c, float w, float h) { bands(c, w, h, {0x1a1a1a, 0xdd0000, 0xffce00}, false); }));
    atlas.add("EN", flag([](Canvas& c, float w, float h) {
        c.roundRect(0, 0, w, h, 0, solid(rgb(0x012169)));
        const Colour white = rgb(0xffffff), red = rgb(0xc8102e);
        c.capsule({0, 0}, {w, h}, h * 0.1f, solid(white));
        c.capsule({w, 0}, {0, h}, h * 0.1f, solid(white));
        c.capsule({0, 0}, {w, h}, h * 0.035f, solid(red));
        c.capsule({w, 0}, {0, h}, h * 0.035f, solid(red));
        c.roundRect(w * 0.5f - h * 0.17f, 0, w * 0.5f + h * 0.17f, h, 0, solid(white));
        c.roundRect(0, h * 0.33f, w, h * 0.67f, 0, solid(white));
        c.roundRect(w * 0.5f - h * 0.1f, 0, w * 0.5f + h * 0.1f, h, 0, solid(red));
        c.roundRect(0, h * 0.4f, w, h * 0.6f, 0, solid(red));
    }));
    atlas.add("FR", flag([](Canvas& c, float w, float h) { bands(c, w, h, {0x0055a4, 0xffffff, 0xef4135}, true); }));
    atlas.add("SP", flag([](Canvas& c, float w, float h) {
        bands(c, w, h, {0xaa151b, 0xf1bf00, 0xaa151b}, false, {1, 2, 1});
    }));
    atlas.add("IT", flag([](Canvas& c, float w, float h) { bands(c, w, h, {0x009246, 0xffffff, 0xce2b37}, true); }));
    return atlas.write(dir, "Flags", "Flags.png");
}

bool vorlundImages(const std::string& dir, TextPainter& text)
{
    Atlas atlas(1024);
    // The wordmark: gold to sunset orange, a dark outline, speed lines under it.
    const float size = 180, baseline = 196;
    const float w = std::ceil(text.width("VORLUND", int(size)) / 2.0f) * 2.0f + 60.0f, mid = w * 0.5f;
    Canvas logo{int(w), 260};
    for (int i = 0; i < 3; ++i) {
        const float y = 214 + float(i) * 14, inset = w * 0.12f + float(i) * w * 0.09f;
        logo.capsule({inset, y}, {w - inset, y}, 4.5f - float(i), solid(rgb(0xffffff, 0.55f - 0.15f * float(i))));
    }
    text.drawCentred(logo, "VORLUND", mid + 8, baseline + 10, int(size), solid(rgb(0x000000, 0.45f)));
    text.drawCentred(logo, "VORLUND", mid, baseline, int(size),
                     vertical(baseline - size * 0.75f, rgb(0xfff2a0), baseline, rgb(0xff7a1c)), 9.0f,
                     rgb(0x101a40));
    atlas.add("Logo", logo.shrink(2));
    Canvas glow(256, 256);
    glow.fillShape(0, 0, 256, 256, [](float x, float y) { return std::hypot(x - 128, y - 128) - 128; },
                   [](float x, float y) {
                       const float t = std::clamp(std::hypot(x - 128, y - 128) / 128.0f, 0.0f, 1.0f);
                       return rgb(0xffe08a, 0.75f * (1.0f - t) * (1.0f - t));
                   });
    atlas.add("Glow", glow);
    return atlas.write(dir, "Vorlund", "Vorlund.png");
}
