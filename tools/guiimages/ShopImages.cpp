// The shop's pictures: Logos (the seven paints and the seven logo badges, read
// from the kart looks so they show what the kart will wear) and Upgrades (the
// four parts at levels 1 to 5, and the stamp over a part that is sold out).
#include "tools/guiimages/GuiImages.h"

#include "tools/guiimages/Atlas.h"
#include "tools/guiimages/GuiPalette.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace {

constexpr int kIcon = 96;  // shown size
constexpr float kBig = 192; // drawn size

struct Look {
    std::string kind;
    std::map<std::string, std::string> values;
};

std::vector<Look> readLooks(const std::string& file)
{
    std::vector<Look> looks;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        Look look;
        std::string word;
        if (!(words >> look.kind >> word))
            continue;
        while (words >> word) {
            const size_t eq = word.find('=');
            if (eq != std::string::npos)
                look.values[word.substr(0, eq)] = word.substr(eq + 1);
        }
        looks.push_back(std::move(look));
    }
    return looks;
}

uint32_t hexColour(const Look& look, const char* key, uint32_t fallback)
{
    const auto it = look.values.find(key);
    if (it == look.values.end() || it->second.size() != 6
        || it->second.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return fallback;
    return uint32_t(std::stoul(it->second, nullptr, 16));
}

// A dark rounded tile, lighter and rimmed in gold under the mouse.
Canvas tile(bool hover)
{
    Canvas c{int(kBig), int(kBig)};
    c.roundRect(4, 4, kBig - 4, kBig - 4, 28,
                vertical(0, hover ? rgb(0x3a5cb0) : rgb(0x1c2a5c), kBig, hover ? rgb(0x1a2c66) : rgb(0x0c1434)));
    c.roundRectEdge(4, 4, kBig - 4, kBig - 4, 28, hover ? 7 : 3, solid(hover ? palette::kGold : rgb(0xffffff, 0.35f)));
    return c;
}

Canvas paintSwatch(uint32_t base, uint32_t stripe, bool hover)
{
    Canvas c = tile(hover);
    const Colour paint = rgb(base);
    c.roundRect(30, 30, kBig - 30, kBig - 30, 22, vertical(30, shade(paint, 1.3f), kBig - 30, shade(paint, 0.75f)));
    for (float x : {78.0f, 108.0f})
        c.roundRect(x, 30, x + 12, kBig - 30, 0, solid(rgb(stripe)));
    c.roundRect(34, 34, kBig - 34, 90, 18, vertical(34, rgb(0xffffff, 0.35f), 90, rgb(0xffffff, 0.0f)));
    c.roundRectEdge(30, 30, kBig - 30, kBig - 30, 22, 3, solid(rgb(0x000000, 0.5f)));
    return c;
}

std::vector<Point> logoCorners(const Look& look)
{
    std::vector<Point> corners;
    const std::string shape = look.values.count("shape") ? look.values.at("shape") : "";
    if (shape == "star")
        for (int i = 0; i < 10; ++i) {
            const float r = i % 2 ? 0.38f : 0.9f, a = float(i) * 3.14159265f / 5.0f;
            corners.push_back({r * std::sin(a), -r * std::cos(a)});
        }
    else if (shape == "diamond")
        corners = {{0, -0.85f}, {0.85f, 0}, {0, 0.85f}, {-0.85f, 0}};
    else if (shape == "poly" && look.values.count("points")) {
        std::istringstream list(look.values.at("points"));
        std::string pair;
        while (std::getline(list, pair, ';')) {
            float x = 0, y = 0;
            char comma = 0;
            std::istringstream in(pair);
            if (in >> x >> comma >> y && comma == ',')
                corners.push_back({x, y});
        }
    }
    return corners;
}

Canvas logoBadge(const Look& look, bool hover)
{
    Canvas c = tile(hover);
    const Colour fill = rgb(hexColour(look, "fill", 0xffffff)), edge = rgb(hexColour(look, "edge", 0x000000));
    const float cx = kBig * 0.5f, scale = kBig * 0.36f;
    const std::string shape = look.values.count("shape") ? look.values.at("shape") : "";
    if (shape == "disc" || shape == "ring") {
        c.circle(cx, cx, 0.82f * scale + 5, solid(edge));
        c.circle(cx, cx, 0.82f * scale, solid(fill));
        if (shape == "ring")
            c.circle(cx, cx, 0.45f * scale, solid(edge));
        return c;
    }
    std::vector<Point> corners = logoCorners(look);
    for (Point& p : corners)
        p = {cx + p.x * scale, cx + p.y * scale};
    c.polygon(corners, solid(fill));
    for (size_t i = 0; i < corners.size(); ++i)
        c.capsule(corners[i], corners[(i + 1) % corners.size()], 3.5f, solid(edge));
    return c;
}

// The level's tier colour: bronze, silver, gold, chrome blue, racing red.
Colour tier(int level)
{
    static const uint32_t tiers[5] = {0xc07a40, 0xc8ccd4, 0xffce3a, 0x5ab4ff, 0xff4a3a};
    return rgb(tiers[std::clamp(level, 1, 5) - 1]);
}

void part(Canvas& c, const std::string& kind, int level)
{
    const Colour metal = tier(level), dark = rgb(0x20242c), light = mix(metal, rgb(0xffffff), 0.45f);
    const float grow = 1.0f + 0.06f * float(level - 1);
    const float cx = kBig * 0.5f, cy = kBig * 0.46f;
    auto S = [&](float v) { return v * grow; };
    if (kind == "Engine") {
        c.roundRect(cx - S(52), cy - S(20), cx + S(52), cy + S(40), 12, vertical(cy - S(20), light, cy + S(40), shade(metal, 0.6f)));
        for (int i = 0; i < 3; ++i) {
            const float x = cx - S(36) + float(i) * S(36);
            c.roundRect(x - S(13), cy - S(46), x + S(13), cy - S(14), 6, vertical(cy - S(46), light, cy - S(14), metal));
            c.roundRect(x - S(16), cy - S(50), x + S(16), cy - S(42), 3, solid(dark));
        }
        for (int i = 0; i < level; ++i)
            c.capsule({cx + S(52), cy + S(18) - float(i) * 8}, {cx + S(70), cy + S(30) - float(i) * 8}, 3.5f, solid(shade(metal, 0.8f)));
    } else if (kind == "Spoiler") {
        for (float side : {-1.0f, 1.0f})
            c.capsule({cx + side * S(30), cy - S(6)}, {cx + side * S(22), cy + S(42)}, 5, solid(dark));
        c.polygon({{cx - S(72), cy - S(28)}, {cx + S(72), cy - S(28)}, {cx + S(64), cy - S(4)}, {cx - S(64), cy - S(4)}},
                  vertical(cy - S(28), light, cy - S(4), shade(metal, 0.65f)));
        for (float side : {-1.0f, 1.0f})
            c.roundRect(cx + side * S(72) - 6, cy - S(40), cx + side * S(72) + 6, cy + S(6), 4, solid(shade(metal, 0.5f)));
    } else if (kind == "Tires") {
        const float r = S(58);
        c.circle(cx, cy + 6, r, solid(rgb(0x18181c)));
        for (int i = 0; i < 16; ++i) {
            const float a = float(i) * 6.2831853f / 16.0f;
            c.capsule({cx + std::cos(a) * (r - 10), cy + 6 + std::sin(a) * (r - 10)},
                      {cx + std::cos(a) * (r - 2), cy + 6 + std::sin(a) * (r - 2)}, 3, solid(rgb(0x3a3a44)));
        }
        c.circle(cx, cy + 6, r * 0.55f, vertical(cy - r * 0.5f, light, cy + r * 0.6f, shade(metal, 0.6f)));
        for (int i = 0; i < 5; ++i) {
            const float a = float(i) * 6.2831853f / 5.0f - 1.5707963f;
            c.circle(cx + std::cos(a) * r * 0.3f, cy + 6 + std::sin(a) * r * 0.3f, 4.5f, solid(dark));
        }
    } else { // Sideskirts
        c.polygon({{cx - S(74), cy + S(8)}, {cx + S(62), cy - S(6)}, {cx + S(78), cy + S(14)}, {cx + S(66), cy + S(34)},
                   {cx - S(70), cy + S(34)}},
                  vertical(cy - S(6), light, cy + S(34), shade(metal, 0.6f)));
        for (int i = 0; i < level + 1; ++i) {
            const float x = cx - S(48) + float(i) * S(22);
            c.capsule({x, cy + S(16)}, {x + S(10), cy + S(16)}, 2.5f, solid(dark));
        }
    }
}

Canvas upgrade(const std::string& kind, int level, bool hover)
{
    Canvas c = tile(hover);
    c.circle(kBig * 0.5f, kBig * 0.46f, kBig * 0.38f, solid(mix(tier(level), rgb(0x000000), 0.72f)));
    part(c, kind, level);
    // The level as pips along the bottom.
    for (int i = 0; i < 5; ++i) {
        const float x = kBig * 0.5f + (float(i) - 2.0f) * 22.0f;
        c.circle(x, kBig - 26, 7, solid(i < level ? palette::kGold : rgb(0xffffff, 0.25f)));
    }
    return c;
}

Canvas soldOut()
{
    Canvas c{int(kBig), int(kBig)};
    c.roundRect(4, 4, kBig - 4, kBig - 4, 28, solid(rgb(0x000000, 0.45f)));
    // A gold sash across the corner with five stars: the part is at its best.
    c.polygon({{kBig * 0.18f, 4}, {kBig * 0.48f, 4}, {kBig - 4, kBig * 0.52f}, {kBig - 4, kBig * 0.82f}},
              vertical(0, palette::kGold, kBig, palette::kGoldDeep));
    for (int i = 0; i < 5; ++i) {
        const float t = 0.18f + 0.16f * float(i);
        const float sx = kBig * 0.33f + (kBig * 0.67f - 4) * t, sy = 4 + (kBig * 0.67f - 4) * t;
        std::vector<Point> star;
        for (int k = 0; k < 10; ++k) {
            const float r = k % 2 ? 4.0f : 10.0f, a = float(k) * 3.14159265f / 5.0f;
            star.push_back({sx + r * std::sin(a), sy - r * std::cos(a)});
        }
        c.polygon(star, solid(rgb(0x7a3a00)));
    }
    return c;
}

} // namespace

bool logoImages(const std::string& dir, const std::string& looksFile)
{
    const std::vector<Look> looks = readLooks(looksFile);
    static const char* const paints[7] = {"Blue", "Yellow", "Green", "Orange", "Pink", "Red", "Black"};
    Atlas atlas(1024);
    int colour = 0, logo = 0;
    for (const Look& look : looks) {
        if (look.kind == "colour" && colour < 7) {
            const std::string name = std::string("Color") + paints[colour++];
            for (bool hover : {false, true}) {
                const Atlas::Place p = atlas.add(name + (hover ? "_Hover" : "_Normal"),
                                                 paintSwatch(hexColour(look, "base", 0x808080),
                                                             hexColour(look, "stripe", 0xffffff), hover)
                                                     .shrink(2));
                // Also without the underscore: the shop names the paints both ways.
                atlas.define(name + (hover ? "Hover" : "Normal"), p.x, p.y, kIcon, kIcon);
            }
        } else if (look.kind == "logo" && logo < 7) {
            char name[16];
            std::snprintf(name, sizeof(name), "Logo%02d", ++logo);
            for (bool hover : {false, true})
                atlas.add(std::string(name) + (hover ? "_Hover" : "_Normal"), logoBadge(look, hover).shrink(2));
        }
    }
    if (colour != 7 || logo != 7) {
        std::fprintf(stderr, "guiimages: %s holds %d colours and %d logos; the shop sells 7 of each\n",
                     looksFile.c_str(), colour, logo);
        return false;
    }
    return atlas.write(dir, "Logos", "Logos.png");
}

bool upgradeImages(const std::string& dir)
{
    Atlas atlas(1024);
    for (const char* kind : {"Engine", "Spoiler", "Tires", "Sideskirts"})
        for (int level = 1; level <= 5; ++level)
            for (bool hover : {false, true}) {
                char name[32];
                std::snprintf(name, sizeof(name), "%s%02d_%s", kind, level, hover ? "Hover" : "Normal");
                atlas.add(name, upgrade(kind, level, hover).shrink(2));
            }
    atlas.add("SoldOut", soldOut().shrink(2));
    return atlas.write(dir, "Upgrades", "Upgrades.png");
}
