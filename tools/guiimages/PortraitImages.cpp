// The drivers' portraits: a round badge in the driver's colour with the head
// in its helmet, each driver told apart by a feature that reads even at 32
// pixels (glasses, moustache, shades, pigtails, goggles and beard). The same
// drawing makes the large Portraits of the profile slots and PortraitsSmall.
#include "tools/guiimages/GuiImages.h"

#include "tools/guiimages/Atlas.h"
#include "tools/guiimages/GuiPalette.h"

#include <algorithm>
#include <cmath>

namespace {

enum class Feature { None, Grin, Glasses, Ponytail, Moustache, Shades, Pigtails, Beard };

struct Driver {
    const char* name; // the kart's menu image in config.xml
    uint32_t colour;  // helmet and suit, the driver's colour in the karts' scenes
    uint32_t skin;
    uint32_t hair;
    Feature feature;
};

const Driver kDrivers[] = {
    {"brisk", 0xe64c32, 0xf2c8a0, 0x5a3020, Feature::Grin},
    {"tomo", 0x3380e6, 0xf0d0a8, 0x202020, Feature::Glasses},
    {"vela", 0x4cc84c, 0xe8b890, 0xc86420, Feature::Ponytail},
    {"grummel", 0xe6cc33, 0xe8c09a, 0x6a4a30, Feature::Moustache},
    {"nix", 0xb24ccc, 0xd8a888, 0x202030, Feature::Shades},
    {"pepper", 0xe68033, 0xf4d0b0, 0xb03018, Feature::Pigtails},
    {"otto", 0x7a7e88, 0xe0b896, 0xd8d8d8, Feature::Beard},
};

// An arc as a chain of short strokes, angles in radians (0 to the right,
// growing clockwise on screen).
void arc(Canvas& c, float cx, float cy, float r, float from, float to, float width, Colour colour)
{
    const int steps = 16;
    Point last{cx + r * std::cos(from), cy + r * std::sin(from)};
    for (int i = 1; i <= steps; ++i) {
        const float a = from + (to - from) * float(i) / float(steps);
        const Point next{cx + r * std::cos(a), cy + r * std::sin(a)};
        c.capsule(last, next, width * 0.5f, solid(colour));
        last = next;
    }
}

// Keeps only what lies inside the circle (anti-aliased).
Canvas insideCircle(const Canvas& picture, float cx, float cy, float r)
{
    Canvas out(picture.width(), picture.height());
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            Colour c = picture.at(x, y);
            c.a *= std::clamp(r - std::hypot(float(x) + 0.5f - cx, float(y) + 0.5f - cy) + 0.5f, 0.0f, 1.0f);
            out.set(x, y, c);
        }
    return out;
}

// The badge of size s. zoom > 1 draws the head larger (the hovered slot).
Canvas badge(const Driver* d, float s, float zoom, bool bright)
{
    Canvas c{int(s), int(s)};
    const float cx = s * 0.5f, r = s * 0.5f - s * 0.03f;
    const Colour colour = d ? rgb(d->colour) : rgb(0x5a6070);
    const Colour sky = bright ? shade(colour, 1.25f) : colour;
    // A pale sky in the driver's colour, so the helmet stands out against it.
    c.circle(cx, cx, r, vertical(0, mix(sky, rgb(0xffffff), 0.62f), s, mix(sky, palette::kSkyTop, 0.55f)));

    // Everything of the figure is placed relative to its head.
    const float u = s * 0.01f * zoom;
    const float hx = cx, hy = cx - 2 * u;
    Canvas fig{int(s), int(s)};
    const Colour suit = d ? shade(rgb(d->colour), 0.8f) : rgb(0x3a3e48);
    fig.roundRect(hx - 34 * u, hy + 24 * u, hx + 34 * u, hy + 80 * u, 22 * u, vertical(hy + 24 * u, suit, hy + 70 * u, shade(suit, 0.6f)));
    fig.roundRect(hx - 7 * u, hy + 22 * u, hx + 7 * u, hy + 38 * u, 3 * u, solid(d ? shade(rgb(d->skin), 0.85f) : rgb(0x4a4e58)));
    if (!d) {
        // The empty slot: a plain silhouette.
        fig.ellipse(hx, hy, 22 * u, 25 * u, solid(rgb(0x4a4e58)));
        c.draw(insideCircle(fig, cx, cx, r), 0, 0);
        c.ring(cx, cx, r, s * 0.035f, solid(rgb(0xffffff, 0.5f)));
        return c;
    }
    const Colour skin = rgb(d->skin), hair = rgb(d->hair), helmet = rgb(d->colour);
    if (d->feature == Feature::Ponytail)
        fig.capsule({hx + 18 * u, hy - 6 * u}, {hx + 34 * u, hy + 26 * u}, 8 * u, solid(hair));
    if (d->feature == Feature::Pigtails)
        for (float side : {-1.0f, 1.0f})
            fig.circle(hx + side * 27 * u, hy + 10 * u, 9 * u, solid(hair));
    fig.ellipse(hx, hy + 2 * u, 22 * u, 25 * u, solid(skin));
    // Helmet: the dome over the brow, a stripe and the rim.
    fig.fillShape(hx - 30 * u, hy - 36 * u, hx + 30 * u, hy,
                  [=](float x, float y) {
                      const float dome = (std::hypot((x - hx) / (27 * u), (y - (hy - 3 * u)) / (29 * u)) - 1.0f) * 27 * u;
                      return std::max(dome, y - (hy - 8 * u));
                  },
                  vertical(hy - 32 * u, mix(helmet, rgb(0xffffff), 0.3f), hy - 8 * u, shade(helmet, 0.8f)));
    arc(fig, hx, hy - 3 * u, 27 * u, 3.35f, 6.07f, 2.4f * u, shade(helmet, 0.5f));
    fig.capsule({hx, hy - 31 * u}, {hx, hy - 10 * u}, 3.2f * u, solid(rgb(0xffffff, 0.85f)));
    fig.capsule({hx - 26 * u, hy - 8 * u}, {hx + 26 * u, hy - 8 * u}, 2.6f * u, solid(shade(helmet, 0.55f)));

    // The face.
    const Colour ink = rgb(0x20140c);
    const float eyeY = hy + 2 * u;
    for (float side : {-1.0f, 1.0f}) {
        fig.ellipse(hx + side * 9 * u, eyeY, 4.6f * u, 5.2f * u, solid(palette::kWhite));
        fig.circle(hx + side * 9 * u + 0.8f * u, eyeY + 0.8f * u, 2.5f * u, solid(ink));
    }
    float brow = -2.0f; // how far the brows' inner ends sit below their outer ends
    float mouth = 1.0f; // 1 smile, 0 flat
    switch (d->feature) {
    case Feature::Grin:
        brow = -3.0f;
        break;
    case Feature::Glasses:
        for (float side : {-1.0f, 1.0f})
            fig.ring(hx + side * 9 * u, eyeY, 7.2f * u, 2.2f * u, solid(rgb(0x182848)));
        fig.capsule({hx - 2 * u, eyeY}, {hx + 2 * u, eyeY}, 1.1f * u, solid(rgb(0x182848)));
        break;
    case Feature::Moustache:
        brow = 3.5f;
        mouth = 0.0f;
        for (float side : {-1.0f, 1.0f})
            fig.ellipse(hx + side * 6 * u, hy + 13 * u, 7.5f * u, 3.6f * u, solid(hair));
        break;
    case Feature::Shades:
        fig.roundRect(hx - 17 * u, eyeY - 5 * u, hx + 17 * u, eyeY + 5 * u, 4 * u, solid(rgb(0x101018)));
        fig.capsule({hx - 12 * u, eyeY - 2.5f * u}, {hx - 6 * u, eyeY - 2.5f * u}, 1 * u, solid(rgb(0xffffff, 0.7f)));
        break;
    case Feature::Pigtails:
        for (float side : {-1.0f, 1.0f})
            for (int k = 0; k < 3; ++k)
                fig.circle(hx + side * (12 + 3 * float(k % 2)) * u, eyeY + (7 + 2.5f * float(k)) * u, 1.1f * u,
                           solid(rgb(0xb86a3c)));
        break;
    case Feature::Beard:
        mouth = 0.5f;
        fig.ellipse(hx, hy + 19 * u, 17 * u, 10 * u, solid(hair));
        for (float side : {-1.0f, 1.0f})
            fig.ring(hx + side * 9 * u, hy - 16 * u, 6 * u, 2.4f * u, solid(rgb(0x303030)));
        break;
    default:
        break;
    }
    if (d->feature != Feature::Shades)
        for (float side : {-1.0f, 1.0f})
            fig.capsule({hx + side * 13 * u, eyeY - 8 * u}, {hx + side * 5 * u, eyeY - 8 * u + brow * u}, 1.4f * u,
                        solid(shade(hair, 0.8f)));
    if (mouth > 0.0f)
        arc(fig, hx, hy + 8 * u, 8 * u, 0.55f, 2.6f, 2.4f * u * mouth + 1.2f * u, rgb(0x7a2018));
    else
        fig.capsule({hx - 5 * u, hy + 18 * u}, {hx + 5 * u, hy + 18 * u}, 1.3f * u, solid(rgb(0x7a2018)));

    c.draw(insideCircle(fig, cx, cx, r), 0, 0);
    c.ring(cx, cx, r, s * 0.035f, solid(rgb(0xffffff, 0.75f)));
    return c;
}

Canvas selected(Canvas c)
{
    const float s = float(c.width());
    c.ring(s * 0.5f, s * 0.5f, s * 0.5f - 1, s * 0.07f, vertical(0, palette::kGold, s, palette::kGoldDeep));
    return c;
}

} // namespace

bool portraitImages(const std::string& dir)
{
    // Drawn at twice the size and shrunk.
    const int large = 128, small = 64;
    Atlas portraits(1024), smalls(512);
    std::vector<const Driver*> all = {nullptr};
    for (const Driver& d : kDrivers)
        all.push_back(&d);
    for (const Driver* d : all) {
        const std::string name = d ? d->name : "Blanko";
        const Canvas normal = badge(d, float(large * 2), 1.0f, false).shrink(2);
        const Canvas hover = badge(d, float(large * 2), 1.22f, true).shrink(2);
        portraits.add(name + "_Small_Normal", normal);
        portraits.add(name + "_Large_Normal", hover);
        portraits.add(name + "_Small_Disabled", normal.greyed(0.85f, 0.75f));
        portraits.add(name + "_Small_Selected", selected(normal));
        portraits.add(name + "_Large_Selected", selected(hover));
        smalls.add(name, badge(d, float(small * 2), 1.0f, false).shrink(2));
    }
    return portraits.write(dir, "Portraits", "Portraits.png")
           && smalls.write(dir, "PortraitsSmall", "PortraitsSmall.png");
}
