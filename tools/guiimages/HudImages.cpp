// The race display's pictures: the countdown's numbers (Countdown), the held
// power-ups (Powerups), the small pieces of the display (Icons: the empty
// power-up slot, the minimap markers, the coin, the panels behind the
// numbers) and the wrong-way sign (UTurn.png). Drawn at twice their size and
// shrunk; bold shapes with a dark outline so they read over any ground.
#include "tools/guiimages/GuiImages.h"

#include "tools/guiimages/Atlas.h"
#include "tools/guiimages/GuiPalette.h"
#include "tools/guiimages/TextPainter.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

using namespace palette;

constexpr float kPi = 3.14159265f;
const Colour kOutline = rgb(0x0a1230, 0.9f);

// A shape drawn twice: first grown by `outline` in the outline colour, then
// itself.
void outlinedCircle(Canvas& c, float x, float y, float r, const Paint& paint, float outline = 6)
{
    c.circle(x, y, r + outline, solid(kOutline));
    c.circle(x, y, r, paint);
}

Paint radial(float cx, float cy, float r, Colour inner, Colour outer)
{
    return [=](float x, float y) {
        const float t = std::clamp(std::hypot(x - cx, y - cy) / r, 0.0f, 1.0f);
        return mix(inner, outer, t);
    };
}

// The power-up slot: a rounded card of night blue with a gold rim, 256 x 256
// (shrunk to 128 later).
Canvas slot()
{
    Canvas c(256, 256);
    c.roundRect(8, 8, 248, 248, 44, vertical(8, rgb(0x1c2a5c, 0.88f), 248, rgb(0x0a1030, 0.88f)));
    c.roundRect(14, 14, 242, 120, 38, vertical(14, rgb(0xffffff, 0.16f), 120, rgb(0xffffff, 0.02f)));
    c.roundRectEdge(8, 8, 248, 248, 44, 7, vertical(8, kGold, 248, kGoldDeep));
    return c;
}

// One power-up: the slot with its symbol drawn by `draw` into the middle.
Canvas powerup(const std::function<void(Canvas&)>& draw)
{
    Canvas c = slot();
    draw(c);
    return c.shrink(2);
}

void boost(Canvas& c)
{
    // A lightning bolt.
    const std::vector<Point> bolt = {{150, 40}, {78, 140}, {122, 140}, {100, 218}, {180, 110}, {134, 110}, {162, 40}};
    std::vector<Point> shadow = bolt;
    for (Point& p : shadow)
        p = {p.x + 6, p.y + 6};
    c.polygon(shadow, solid(rgb(0x000000, 0.4f)));
    c.polygon(bolt, vertical(40, rgb(0xfff27a), 218, rgb(0xff7a10)));
}

void oil(Canvas& c)
{
    c.ellipse(128, 196, 78, 22, solid(rgb(0x000000, 0.45f)));
    c.fillShape(60, 30, 196, 220,
                [](float x, float y) {
                    // A drop: a circle below meeting a cone above.
                    const float d = std::hypot(x - 128, y - 150) - 52;
                    const float cone = std::abs(x - 128) - (y - 40) * 0.5f;
                    return y < 150 ? std::max(cone, 40.0f - y) : d;
                },
                vertical(40, rgb(0x3a3a4a), 200, rgb(0x08080c)));
    c.ellipse(110, 140, 12, 22, solid(rgb(0xffffff, 0.55f)));
}

void shield(Canvas& c)
{
    const std::vector<Point> outer = {{128, 30}, {206, 62}, {200, 140}, {128, 224}, {56, 140}, {50, 62}};
    c.polygon(outer, vertical(30, rgb(0x8fd0ff), 224, rgb(0x1a5ad8)));
    const std::vector<Point> inner = {{128, 56}, {182, 78}, {178, 136}, {128, 196}, {78, 136}, {74, 78}};
    c.polygon(inner, vertical(56, rgb(0xd8f0ff, 0.5f), 196, rgb(0x5a9cff, 0.2f)));
    c.capsule({128, 80}, {128, 170}, 9, solid(rgb(0xffffff, 0.8f)));
}

void rocket(Canvas& c)
{
    // Pointing up and to the right.
    const Point tail{78, 178}, nose{178, 78};
    c.capsule({tail.x - 22, tail.y + 22}, {tail.x - 6, tail.y + 6}, 20, solid(rgb(0xffb020)));
    c.capsule({tail.x - 30, tail.y + 30}, {tail.x - 14, tail.y + 14}, 11, solid(rgb(0xfff070)));
    c.polygon({{70, 150}, {44, 176}, {96, 168}}, solid(rgb(0xb01818)));
    c.polygon({{106, 186}, {80, 212}, {88, 160}}, solid(rgb(0xb01818)));
    c.capsule(tail, nose, 28, vertical(60, rgb(0xff5a4a), 200, rgb(0xc01c1c)));
    c.circle(138, 118, 14, solid(rgb(0xcfe8ff)));
    c.ring(138, 118, 14, 4, solid(rgb(0xffffff)));
}

void decoy(Canvas& c, TextPainter& text)
{
    // A pickup box that is not one.
    c.roundRect(62, 62, 194, 194, 22, vertical(62, rgb(0xffd84a), 194, rgb(0xe89020)));
    c.roundRectEdge(62, 62, 194, 194, 22, 6, solid(rgb(0xfff0b0)));
    text.drawCentred(c, "?", 128, 172, 120, solid(rgb(0xffffff)), 5, rgb(0x7a3a00));
}

void snowball(Canvas& c)
{
    c.ellipse(128, 206, 70, 16, solid(rgb(0x000000, 0.35f)));
    c.circle(128, 128, 76, radial(104, 100, 110, rgb(0xffffff), rgb(0x9cc4f0)));
    c.circle(100, 96, 14, solid(rgb(0xffffff, 0.9f)));
}

// A round face for the creature power-ups: skin, two eyes and a mouth.
void face(Canvas& c, Colour skin, Colour dark, float eyeSize, bool grin)
{
    c.circle(128, 136, 76, radial(110, 110, 100, shade(skin, 1.25f), skin));
    for (float x : {100.0f, 156.0f}) {
        c.circle(x, 120, eyeSize, solid(rgb(0xffffff)));
        c.circle(x + 3, 122, eyeSize * 0.5f, solid(dark));
    }
    if (grin)
        c.capsule({100, 170}, {156, 170}, 6, solid(dark));
    else
        c.circle(128, 172, 10, solid(dark));
}

void plimbert(Canvas& c)
{
    // A bouncy purple blob with a tuft.
    c.capsule({128, 60}, {114, 40}, 8, solid(rgb(0xc070ff)));
    face(c, rgb(0x9a4ad8), rgb(0x2a0a40), 18, true);
}

void ape(Canvas& c)
{
    for (float x : {54.0f, 202.0f})
        c.circle(x, 130, 24, solid(rgb(0x6a3a1a)));
    c.circle(128, 136, 76, solid(rgb(0x7a4420)));
    c.ellipse(128, 154, 50, 40, solid(rgb(0xe8b888)));
    for (float x : {104.0f, 152.0f}) {
        c.circle(x, 118, 12, solid(rgb(0xffffff)));
        c.circle(x + 2, 120, 6, solid(rgb(0x1a0a00)));
    }
    c.capsule({108, 172}, {148, 172}, 5, solid(rgb(0x3a1a08)));
}

void frog(Canvas& c)
{
    c.ellipse(128, 150, 84, 64, radial(110, 130, 100, rgb(0x8af060), rgb(0x2a9a2a)));
    for (float x : {88.0f, 168.0f}) {
        c.circle(x, 92, 30, solid(rgb(0x3aaa3a)));
        c.circle(x, 92, 20, solid(rgb(0xffffff)));
        c.circle(x + 3, 94, 10, solid(rgb(0x102010)));
    }
    c.capsule({84, 170}, {172, 170}, 6, solid(rgb(0x10501a)));
}

void tolvo(Canvas& c)
{
    // A whirlwind: stacked swirls, wide at the top.
    for (int i = 0; i < 5; ++i) {
        const float y = 64 + float(i) * 34, w = 84 - float(i) * 14, x = 128 + std::sin(float(i) * 1.3f) * 10;
        c.capsule({x - w, y}, {x + w, y}, 11, solid(mix(rgb(0xe8f4ff), rgb(0x7a9cc8), float(i) / 4.0f)));
    }
}

void pumpkin(Canvas& c)
{
    c.capsule({128, 70}, {140, 46}, 9, solid(rgb(0x3a7a2a)));
    for (float dx : {-40.0f, 40.0f, 0.0f})
        c.ellipse(128 + dx, 140, 52, 68, radial(128 + dx - 10, 120, 80, rgb(0xffb040), rgb(0xe06010)));
    c.polygon({{92, 118}, {112, 118}, {102, 100}}, solid(rgb(0x3a1400)));
    c.polygon({{144, 118}, {164, 118}, {154, 100}}, solid(rgb(0x3a1400)));
    c.polygon({{90, 160}, {166, 160}, {150, 184}, {128, 172}, {106, 184}}, solid(rgb(0x3a1400)));
}

void alien(Canvas& c)
{
    c.capsule({100, 58}, {86, 34}, 5, solid(rgb(0x6ad84a)));
    c.capsule({156, 58}, {170, 34}, 5, solid(rgb(0x6ad84a)));
    c.circle(86, 34, 10, solid(rgb(0xb0ff80)));
    c.circle(170, 34, 10, solid(rgb(0xb0ff80)));
    c.fillShape(40, 40, 216, 230,
                [](float x, float y) {
                    // An egg, wide at the top.
                    const float ry = y < 120 ? 70.0f : 100.0f;
                    const float rx = y < 120 ? 76.0f : 76.0f - (y - 120) * 0.35f;
                    return (std::hypot((x - 128) / rx, (y - 124) / ry) - 1.0f) * 60.0f;
                },
                radial(110, 100, 130, rgb(0xa8ff80), rgb(0x2aa02a)));
    for (float side : {-1.0f, 1.0f})
        c.ellipse(128 + side * 32, 130, 24, 34, solid(rgb(0x08140a)));
    c.circle(92, 118, 6, solid(rgb(0xffffff, 0.8f)));
    c.circle(156, 118, 6, solid(rgb(0xffffff, 0.8f)));
}

void brum(Canvas& c)
{
    // A bumblebee.
    for (float side : {-1.0f, 1.0f})
        c.ellipse(128 + side * 30, 74, 34, 24, solid(rgb(0xe8f4ff, 0.8f)));
    c.ellipse(128, 140, 70, 56, solid(rgb(0xffcc20)));
    for (float x : {108.0f, 148.0f})
        c.fillShape(x - 12, 80, x + 12, 200,
                    [x](float px, float py) {
                        return std::max(std::abs(px - x) - 10.0f, (std::hypot((px - 128) / 70.0f, (py - 140) / 56.0f) - 1.0f) * 50.0f);
                    },
                    solid(rgb(0x1a1408)));
    c.circle(196, 136, 16, solid(rgb(0x1a1408)));
    c.circle(200, 130, 4, solid(rgb(0xffffff)));
}

// A marker: a coloured dot in a white ring on a dark edge, 64 shrunk to 32.
Canvas marker(Colour colour)
{
    Canvas c(64, 64);
    c.circle(32, 32, 30, solid(kOutline));
    c.circle(32, 32, 26, solid(rgb(0xffffff)));
    c.circle(32, 32, 20, radial(26, 26, 26, shade(colour, 1.35f), colour));
    return c.shrink(2);
}

Canvas coin()
{
    Canvas c(128, 128);
    outlinedCircle(c, 64, 64, 56, radial(50, 46, 80, rgb(0xfff2a0), rgb(0xe89a18)), 5);
    c.ring(64, 64, 42, 5, solid(rgb(0xb86a10, 0.8f)));
    c.polygon({{64, 36}, {72, 56}, {92, 58}, {76, 72}, {82, 92}, {64, 80}, {46, 92}, {52, 72}, {36, 58}, {56, 56}},
              solid(rgb(0xfff8d0)));
    return c.shrink(2);
}

// A panel behind the numbers, drawn at the size it shows in a 1024 x 768
// window (twice, then shrunk).
Canvas panel(int w, int h)
{
    Canvas c(w * 2, h * 2);
    const float fw = float(w * 2), fh = float(h * 2);
    c.roundRect(0, 0, fw, fh, 36, vertical(0, rgb(0x1c2a5c, 0.78f), fh, rgb(0x0a1030, 0.78f)));
    c.roundRect(6, 6, fw - 6, fh * 0.45f, 30, vertical(6, rgb(0xffffff, 0.14f), fh * 0.45f, rgb(0xffffff, 0.0f)));
    c.roundRectEdge(0, 0, fw, fh, 36, 4, solid(rgb(0xffffff, 0.3f)));
    return c.shrink(2);
}

// A countdown numeral: big, gold to sunset orange with a thick dark outline
// over a soft glow; "GO" in green.
Canvas numeral(TextPainter& text, const std::string& label, Colour top, Colour bottom)
{
    constexpr int size = 512;
    constexpr float half = size / 2.0f;
    Canvas c(size, size);
    c.fillShape(0, 0, float(size), float(size), [](float x, float y) { return std::hypot(x - half, y - half) - half; },
                [bottom](float x, float y) {
                    const float t = std::clamp(std::hypot(x - half, y - half) / half, 0.0f, 1.0f);
                    Colour g = bottom;
                    g.a = 0.5f * (1.0f - t) * (1.0f - t);
                    return g;
                });
    const int pixels = label.size() > 1 ? 250 : 380;
    const float baseline = size * 0.5f + pixels * 0.36f;
    text.drawCentred(c, label, size * 0.5f + 12, baseline + 14, pixels, solid(rgb(0x000000, 0.4f)));
    text.drawCentred(c, label, size * 0.5f, baseline, pixels, vertical(baseline - pixels * 0.72f, top, baseline, bottom),
                     16.0f, kInk);
    return c.shrink(2);
}

// The wrong-way sign: a red disc with a white rim and a U-turn arrow.
Canvas uturn()
{
    const int side = 512;
    const float m = float(side) / 2;
    Canvas c(side, side);
    c.circle(m, m, 240, solid(kOutline));
    c.circle(m, m, 228, solid(rgb(0xffffff)));
    c.circle(m, m, 204, radial(m - 60, m - 60, 280, rgb(0xff5a48), rgb(0xb81818)));
    // The arrow: up the right, over the top in a half circle, down the left
    // to the head.
    const Colour white = rgb(0xffffff);
    const float r = 62, cx = m, cy = m - 40, stroke = 24;
    c.capsule({cx + r, cy}, {cx + r, m + 120}, stroke, solid(white));
    for (int i = 0; i < 24; ++i) {
        const float a0 = kPi * float(i) / 24.0f, a1 = kPi * float(i + 1) / 24.0f;
        c.capsule({cx + r * std::cos(a0), cy - r * std::sin(a0)}, {cx + r * std::cos(a1), cy - r * std::sin(a1)}, stroke,
                  solid(white));
    }
    c.capsule({cx - r, cy}, {cx - r, m + 40}, stroke, solid(white));
    c.polygon({{cx - r - 70, m + 30}, {cx - r + 70, m + 30}, {cx - r, m + 130}}, solid(white));
    return c.shrink(2);
}

} // namespace

bool hudImages(const std::string& dir, TextPainter& text)
{
    Atlas countdown(1024);
    countdown.add("1", numeral(text, "1", rgb(0xfff2a0), rgb(0xff7a1c)));
    countdown.add("2", numeral(text, "2", rgb(0xfff2a0), rgb(0xff7a1c)));
    countdown.add("3", numeral(text, "3", rgb(0xfff2a0), rgb(0xff7a1c)));
    countdown.add("GO", numeral(text, "GO", rgb(0xd8ffa0), rgb(0x28b828)));

    Atlas powerups(1024);
    powerups.add("Powerup_Boost", powerup(boost));
    powerups.add("Powerup_Oil", powerup(oil));
    powerups.add("Powerup_Shield", powerup(shield));
    powerups.add("Powerup_Rocket", powerup(rocket));
    powerups.add("Powerup_Decoy", powerup([&text](Canvas& c) { decoy(c, text); }));
    powerups.add("Powerup_Snowball", powerup(snowball));
    powerups.add("Powerup_Plimbert", powerup(plimbert));
    powerups.add("Powerup_Ape", powerup(ape));
    powerups.add("Powerup_Frog", powerup(frog));
    powerups.add("Powerup_Tolvo", powerup(tolvo));
    powerups.add("Powerup_Pumpkin", powerup(pumpkin));
    powerups.add("Powerup_Alien", powerup(alien));
    powerups.add("Powerup_Brum", powerup(brum));

    Atlas icons(1024);
    icons.add("Powerup", slot().shrink(2));
    icons.add("IconGreen", marker(rgb(0x3ad83a)));
    icons.add("IconRed", marker(rgb(0xe83030)));
    icons.add("IconBlue", marker(rgb(0x3a7aff)));
    icons.add("IconYellow", marker(rgb(0xffd020)));
    icons.add("Coin", coin());
    icons.add("PanelLeft", panel(216, 96));
    icons.add("PanelRight", panel(328, 124));

    return countdown.write(dir, "Countdown", "Countdown.png") && powerups.write(dir, "Powerups", "Powerups.png") &&
           icons.write(dir, "Icons", "Icons.png") && uturn().savePng(dir + "/UTurn.png");
}
