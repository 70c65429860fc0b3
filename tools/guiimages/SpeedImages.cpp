// The imageset Speed: the cursor, the brushes and every widget's parts. Frames
// are cut in nine (Atlas::addNine) so that a widget of any size keeps round
// corners of the drawn radius; Speed.looknfeel names the pieces.
#include "tools/guiimages/GuiImages.h"

#include "tools/guiimages/Atlas.h"
#include "tools/guiimages/GuiPalette.h"

#include <cmath>

namespace {

using namespace palette;

// A plain brush: 8 x 8 of one colour of which the inner 4 x 4 is named, so
// stretching never blends in a neighbour.
void brush(Atlas& atlas, const std::string& name, Colour c)
{
    const Atlas::Place p = atlas.pack(Canvas(8, 8, c));
    atlas.define(name, p.x + 2, p.y + 2, 4, 4);
}

// A rounded frame filled with a top-to-bottom gradient under a soft gloss,
// with a rim, cut in nine with corners one pixel larger than the radius.
void frame(Atlas& atlas, const std::string& name, int w, int h, float radius, Colour top, Colour bottom, Colour rim,
           float rimWidth, bool gloss)
{
    Canvas c(w, h);
    c.roundRect(0, 0, float(w), float(h), radius, vertical(0, top, float(h), bottom));
    if (gloss)
        c.roundRect(2, 2, float(w) - 2, float(h) * 0.5f, radius - 2, vertical(2, rgb(0xffffff, 0.22f), float(h) * 0.5f, rgb(0xffffff, 0.04f)));
    if (rimWidth > 0)
        c.roundRectEdge(0, 0, float(w), float(h), radius, rimWidth, solid(rim));
    const int corner = int(radius) + 2;
    atlas.addNine(name, c, corner, corner, corner, corner);
}

// Only the rim of a rounded frame (the keyboard focus, panel edges).
void rim(Atlas& atlas, const std::string& name, int w, int h, float radius, float width, Colour colour)
{
    Canvas c(w, h);
    c.roundRectEdge(0, 0, float(w), float(h), radius, width, solid(colour));
    const int corner = int(radius) + 2;
    atlas.addNine(name, c, corner, corner, corner, corner);
}

// A chevron pointing along (dx, dy): two strokes meeting at the tip.
Canvas chevron(int size, float dx, float dy, Colour colour)
{
    Canvas c(size, size);
    const float s = float(size), mid = s * 0.5f, arm = s * 0.22f, stroke = s * 0.09f;
    const Point tip{mid + dx * arm * 0.7f, mid + dy * arm * 0.7f};
    // The two ends lie behind the tip, to either side.
    const Point back{mid - dx * arm * 0.7f, mid - dy * arm * 0.7f};
    const Point a{back.x + dy * arm * 1.2f, back.y - dx * arm * 1.2f};
    const Point b{back.x - dy * arm * 1.2f, back.y + dx * arm * 1.2f};
    c.capsule(a, tip, stroke, solid(colour));
    c.capsule(b, tip, stroke, solid(colour));
    return c;
}

// A round button face.
Canvas roundFace(int size, Colour top, Colour bottom)
{
    Canvas c(size, size);
    const float r = float(size) * 0.5f;
    c.circle(r, r, r - 1, vertical(0, top, float(size), bottom));
    c.ellipse(r, r * 0.62f, r * 0.62f, r * 0.36f, solid(rgb(0xffffff, 0.16f)));
    c.ring(r, r, r - 1, 2.0f, solid(kRim));
    return c;
}

Canvas radio(bool on, bool hover, bool disabled)
{
    Canvas c(32, 32);
    const Colour ring = disabled ? rgb(0x8a8e9c) : hover ? kHoverTop : rgb(0xdfe8ff);
    c.circle(16, 16, 13, solid(rgb(0x060a1c, 0.85f)));
    c.ring(16, 16, 13, 2.5f, solid(ring));
    if (on)
        c.circle(16, 16, 7, vertical(9, disabled ? rgb(0xa0a0a0) : kGold, 23, disabled ? rgb(0x707070) : kGoldDeep));
    return c;
}

Canvas checkbox(bool on, bool hover, bool disabled)
{
    Canvas c(32, 32);
    const Colour edge = disabled ? rgb(0x8a8e9c) : hover ? kHoverTop : rgb(0xdfe8ff);
    c.roundRect(3, 3, 29, 29, 6, solid(rgb(0x060a1c, 0.85f)));
    c.roundRectEdge(3, 3, 29, 29, 6, 2.5f, solid(edge));
    if (on) {
        const Colour tick = disabled ? rgb(0xa0a0a0) : kGold;
        c.capsule({9, 16.5f}, {14, 22}, 2.4f, solid(tick));
        c.capsule({14, 22}, {23.5f, 10}, 2.4f, solid(tick));
    }
    return c;
}

// The arrow cursor, its tip at the top left, drawn four times larger and
// shrunk so that its edges are smooth.
Canvas arrowCursor()
{
    const float s = 4.0f;
    std::vector<Point> outline = {{1.5f, 1.5f}, {1.5f, 19}, {6, 15}, {9, 22}, {12, 20.8f}, {9.2f, 14}, {15, 14}};
    for (Point& p : outline)
        p = {p.x * s, p.y * s};
    Canvas big(96, 96);
    big.polygon(outline, solid(kWhite));
    for (size_t i = 0; i < outline.size(); ++i)
        big.capsule(outline[i], outline[(i + 1) % outline.size()], 1.3f * s, solid(rgb(0x101830)));
    return big.shrink(4);
}

Canvas textCursor()
{
    Canvas c(16, 24);
    const Colour ink = rgb(0xffffff);
    for (float y : {2.0f, 22.0f})
        c.capsule({4, y}, {12, y}, 1.2f, solid(ink));
    c.capsule({8, 2}, {8, 22}, 1.2f, solid(ink));
    return c;
}

Canvas waitingIcon()
{
    Canvas c(32, 32);
    c.circle(16, 16, 14, vertical(2, rgb(0xffc44a), 30, rgb(0xe08a1c)));
    c.ring(16, 16, 14, 2, solid(rgb(0x5a3000, 0.6f)));
    for (int i = 0; i < 3; ++i)
        c.circle(9.0f + 7.0f * float(i), 16, 2.3f, solid(rgb(0x4a2800)));
    return c;
}

Canvas readyIcon()
{
    Canvas c(32, 32);
    c.circle(16, 16, 14, vertical(2, rgb(0x5ee06a), 30, rgb(0x1f9a32)));
    c.ring(16, 16, 14, 2, solid(rgb(0x0a3a10, 0.6f)));
    c.capsule({9, 16.5f}, {14, 21.5f}, 2.4f, solid(kWhite));
    c.capsule({14, 21.5f}, {23, 11}, 2.4f, solid(kWhite));
    return c;
}

Canvas closeIcon(bool hover)
{
    Canvas c(24, 24);
    c.circle(12, 12, 11, solid(hover ? kHoverBottom : rgb(0xb03030)));
    c.capsule({8, 8}, {16, 16}, 1.6f, solid(kWhite));
    c.capsule({16, 8}, {8, 16}, 1.6f, solid(kWhite));
    return c;
}

} // namespace

bool speedImages(const std::string& dir)
{
    Atlas atlas(512);
    atlas.add("MouseArrow", arrowCursor());
    atlas.add("MouseTextBar", textCursor());
    brush(atlas, "GenericBrush", kWhite);
    brush(atlas, "FullTransparentBrush", {});
    brush(atlas, "SemiTransparentBrush", rgb(0x000000, 0.5f));
    brush(atlas, "DimBrush", rgb(0x02040c, 0.62f));
    brush(atlas, "SelectionBrush", rgb(0x5a86ff, 0.55f));

    // Panels: a translucent night-blue fill and its rim apart, so a widget may
    // show either.
    frame(atlas, "PanelFill", 64, 64, 18, kPanel, kPanel, {}, 0, false);
    rim(atlas, "PanelEdge", 64, 64, 18, 2, kPanelRim);
    frame(atlas, "Tooltip", 32, 32, 8, rgb(0xfff4c8, 0.96f), rgb(0xffe8a8, 0.96f), rgb(0x5a4010, 0.7f), 1.5f, false);

    // Push buttons, by state, and the keyboard focus over them.
    frame(atlas, "ButtonNormal", 64, 56, 16, kButtonTop, kButtonBottom, kRim, 2, true);
    frame(atlas, "ButtonHover", 64, 56, 16, kHoverTop, kHoverBottom, rgb(0xfff0c0, 0.8f), 2, true);
    frame(atlas, "ButtonPushed", 64, 56, 16, kPushedTop, kPushedBottom, rgb(0xffe0a0, 0.6f), 2, false);
    frame(atlas, "ButtonDisabled", 64, 56, 16, kDisabledTop, kDisabledBottom, rgb(0xffffff, 0.2f), 2, false);
    rim(atlas, "Focus", 64, 56, 16, 4, kWhite);
    // White, so that the look's colour (the focus's gold, or nothing) shows.
    Canvas ring(48, 48);
    ring.ring(24, 24, 24, 4, solid(kWhite));
    atlas.add("FocusRing", ring);
    // Choices (tabs and filters): the chosen one is the gold one.
    frame(atlas, "ChoiceNormal", 48, 40, 12, rgb(0x24346e, 0.82f), rgb(0x0e1634, 0.82f), rgb(0xffffff, 0.3f), 1.5f, false);
    frame(atlas, "ChoiceHover", 48, 40, 12, rgb(0xffb24a, 0.55f), rgb(0xe07028, 0.45f), rgb(0xfff0c0, 0.7f), 1.5f, false);
    frame(atlas, "ChoiceSelected", 48, 40, 12, kGold, kGoldDeep, rgb(0xffffff, 0.7f), 1.5f, true);
    // Profile cards.
    frame(atlas, "CardNormal", 64, 64, 16, rgb(0x1a2a5c, 0.85f), rgb(0x0e1634, 0.85f), rgb(0xffffff, 0.25f), 2, false);
    frame(atlas, "CardHover", 64, 64, 16, rgb(0x3458a8, 0.9f), rgb(0x1c2e66, 0.9f), rgb(0xffd8a0, 0.8f), 2, false);
    frame(atlas, "CardSelected", 64, 64, 16, rgb(0x2c4a98, 0.92f), rgb(0x162454, 0.92f), kGold, 4, false);
    frame(atlas, "CardDisabled", 64, 64, 16, rgb(0x303440, 0.8f), rgb(0x202430, 0.8f), rgb(0xffffff, 0.15f), 2, false);
    // Text fields and lists.
    frame(atlas, "Edit", 48, 48, 10, rgb(0x050918, 0.92f), rgb(0x0c1430, 0.92f), rgb(0x8aa8ee), 2, false);
    frame(atlas, "EditDisabled", 48, 48, 10, rgb(0x202430, 0.8f), rgb(0x202430, 0.8f), rgb(0x6a6e7a), 2, false);
    frame(atlas, "List", 48, 48, 10, rgb(0x0a1028, 0.97f), rgb(0x0a1028, 0.97f), rgb(0xffffff, 0.3f), 1.5f, false);
    atlas.add("Caret", Canvas(3, 16, kWhite));
    // Bars: the loading bar and the stat bars, the slider's track, scroll bars.
    frame(atlas, "ProgressTrack", 32, 24, 9, rgb(0x0a0e20, 0.88f), rgb(0x1a2040, 0.88f), rgb(0xffffff, 0.55f), 2, false);
    frame(atlas, "ProgressFill", 32, 18, 6, rgb(0xffd03c), rgb(0xff6c10), {}, 0, true);
    frame(atlas, "SliderTrack", 32, 14, 6, rgb(0x000000, 0.55f), rgb(0x000000, 0.4f), rgb(0xffffff, 0.4f), 1.5f, false);
    frame(atlas, "ScrollTrack", 24, 24, 7, rgb(0x000000, 0.35f), rgb(0x000000, 0.35f), {}, 0, false);
    frame(atlas, "ScrollThumb", 24, 24, 7, rgb(0x8aa8ee), rgb(0x5a7ed0), {}, 0, false);
    frame(atlas, "ScrollThumbHover", 24, 24, 7, kHoverTop, kHoverBottom, {}, 0, false);

    for (const auto& [name, top, bottom] : {std::tuple{"RoundNormal", kButtonTop, kButtonBottom},
                                            std::tuple{"RoundHover", kHoverTop, kHoverBottom},
                                            std::tuple{"RoundPushed", kPushedTop, kPushedBottom},
                                            std::tuple{"RoundDisabled", kDisabledTop, kDisabledBottom}})
        atlas.add(name, roundFace(48, top, bottom));
    Canvas knob(32, 32);
    knob.circle(16, 16, 13, vertical(3, rgb(0xffffff), 29, rgb(0xc8d4f0)));
    knob.ring(16, 16, 13, 3, solid(kButtonBottom));
    atlas.add("SliderThumb", knob);
    Canvas hotKnob(32, 32);
    hotKnob.circle(16, 16, 13, vertical(3, rgb(0xfff4e0), 29, rgb(0xffc890)));
    hotKnob.ring(16, 16, 13, 3, solid(kHoverBottom));
    atlas.add("SliderThumbHover", hotKnob);

    const struct {
        const char* name;
        float dx, dy;
    } chevrons[] = {{"ChevronLeft", -1, 0}, {"ChevronRight", 1, 0}, {"ChevronUp", 0, -1}, {"ChevronDown", 0, 1}};
    for (const auto& c : chevrons)
        atlas.add(c.name, chevron(32, c.dx, c.dy, kWhite));
    for (int on = 0; on < 2; ++on) {
        const std::string state = on ? "On" : "Off";
        atlas.add("Radio" + state, radio(on, false, false));
        atlas.add("Radio" + state + "Hover", radio(on, true, false));
        atlas.add("Radio" + state + "Disabled", radio(on, false, true));
        atlas.add("Check" + state, checkbox(on, false, false));
        atlas.add("Check" + state + "Hover", checkbox(on, true, false));
        atlas.add("Check" + state + "Disabled", checkbox(on, false, true));
    }
    atlas.add("IconWaiting", waitingIcon());
    atlas.add("IconReady", readyIcon());
    atlas.add("Close", closeIcon(false));
    atlas.add("CloseHover", closeIcon(true));
    return atlas.write(dir, "Speed", "Speed.png");
}
