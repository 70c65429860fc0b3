// kartpaint: the kart colour and logo pictures of our data set.
//
//   kartpaint LOOKS.txt OUTDIR
//
// LOOKS.txt (data/karts/looks.txt) lists one picture a line:
//   colour FILE base=RRGGBB stripe=RRGGBB
//       a 64 x 64 24-bit BMP: the paint, lighter towards the top, with two
//       racing stripes and a dark pin line beside each;
//   logo FILE shape=SHAPE fill=RRGGBB edge=RRGGBB [points=x,y;x,y;...]
//       a 64 x 64 RGBA PNG: the shape in the fill colour with a two-pixel
//       edge, transparent around it, and beside it FILE.dds, the copy the
//       texture loader reads (it decodes no PNG itself). SHAPE is disc, ring,
//       diamond, star or poly; a poly's corners lie in -1..1, y down.
// The pictures are written below OUTDIR/D/Zoprax9/textures_cars/, the folder
// the game asks for them in. Blank lines and lines from "#" on are skipped.
#include "platform/d3dx/DdsWriter.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/PngWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 64;

struct Point {
    float x, y;
};

bool parseColour(const std::string& text, uint32_t& out)
{
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    out = uint32_t(std::stoul(text, nullptr, 16));
    return true;
}

uint8_t channel(uint32_t colour, int shift)
{
    return uint8_t(colour >> shift & 0xFF);
}

uint32_t scaled(uint32_t colour, float factor)
{
    uint32_t out = 0;
    for (int shift : {16, 8, 0})
        out |= uint32_t(std::clamp(float(channel(colour, shift)) * factor, 0.0f, 255.0f)) << shift;
    return out;
}

// The paint: lighter at the top, two stripes along the kart (the picture's
// columns 20-26 and 38-44) with a dark pin line on each outer side.
std::vector<uint32_t> paint(uint32_t base, uint32_t stripe)
{
    std::vector<uint32_t> pixels(size_t(kSize) * kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const float light = 1.15f - 0.3f * float(y) / float(kSize - 1);
            uint32_t c = base;
            if ((x >= 20 && x < 27) || (x >= 38 && x < 45))
                c = stripe;
            else if (x == 18 || x == 46)
                c = scaled(base, 0.35f);
            pixels[size_t(y) * kSize + x] = scaled(c, light);
        }
    return pixels;
}

// Even-odd rule over the polygon's edges.
bool insidePolygon(const std::vector<Point>& corners, Point p)
{
    bool inside = false;
    for (size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
        const Point a = corners[i], b = corners[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

std::vector<Point> starCorners()
{
    std::vector<Point> corners;
    for (int i = 0; i < 10; ++i) {
        const float r = i % 2 ? 0.38f : 0.9f;
        const float a = float(i) * 3.14159265f / 5.0f;
        corners.push_back({r * std::sin(a), -r * std::cos(a)});
    }
    return corners;
}

struct Logo {
    std::string shape;
    std::vector<Point> corners;

    bool inside(Point p) const
    {
        const float r = std::sqrt(p.x * p.x + p.y * p.y);
        if (shape == "disc")
            return r <= 0.82f;
        if (shape == "ring")
            return r <= 0.82f && r >= 0.45f;
        if (shape == "diamond")
            return std::fabs(p.x) + std::fabs(p.y) <= 0.85f;
        return insidePolygon(corners, p);
    }
};

// The logo in RGBA from the top row: the shape is found on a grid four
// times finer than the picture, its edge is the shape grown by two pixels,
// and each pixel averages its sixteen samples, so the rims are smooth.
std::vector<uint8_t> drawLogo(const Logo& logo, uint32_t fill, uint32_t edge)
{
    constexpr int kFine = kSize * 4;
    constexpr int kGrow = 8; // two pixels of the picture
    std::vector<uint8_t> shape(size_t(kFine) * kFine);
    for (int y = 0; y < kFine; ++y)
        for (int x = 0; x < kFine; ++x)
            shape[size_t(y) * kFine + x] =
                logo.inside({(float(x) + 0.5f) / kFine * 2.0f - 1.0f, (float(y) + 0.5f) / kFine * 2.0f - 1.0f});
    auto grown = [&](int x, int y) {
        for (int dy = -kGrow; dy <= kGrow; ++dy)
            for (int dx = -kGrow; dx <= kGrow; ++dx) {
                const int sx = x + dx, sy = y + dy;
                if (dx * dx + dy * dy <= kGrow * kGrow && sx >= 0 && sy >= 0 && sx < kFine && sy < kFine &&
                    shape[size_t(sy) * kFine + sx])
                    return true;
            }
        return false;
    };
    std::vector<uint8_t> rgba(size_t(kSize) * kSize * 4, 0);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            float sum[3] = {0, 0, 0};
            int covered = 0;
            for (int sy = y * 4; sy < y * 4 + 4; ++sy)
                for (int sx = x * 4; sx < x * 4 + 4; ++sx) {
                    uint32_t c;
                    if (shape[size_t(sy) * kFine + sx])
                        c = fill;
                    else if (grown(sx, sy))
                        c = edge;
                    else
                        continue;
                    ++covered;
                    sum[0] += channel(c, 16);
                    sum[1] += channel(c, 8);
                    sum[2] += channel(c, 0);
                }
            uint8_t* p = &rgba[(size_t(y) * kSize + x) * 4];
            for (int i = 0; i < 3 && covered; ++i)
                p[i] = uint8_t(sum[i] / float(covered) + 0.5f);
            p[3] = uint8_t(covered * 255 / 16);
        }
    return rgba;
}

// The DDS copy in A8R8G8B8: blue, green, red, alpha in memory.
bool ddsCopy(const std::vector<uint8_t>& rgba, std::vector<uint8_t>& out)
{
    std::vector<uint8_t> bgra(rgba.size());
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        bgra[i] = rgba[i + 2];
        bgra[i + 1] = rgba[i + 1];
        bgra[i + 2] = rgba[i];
        bgra[i + 3] = rgba[i + 3];
    }
    const ConstSurfaceView level{bgra.data(), bgra.size(), size_t(kSize) * 4, D3DFMT_A8R8G8B8, kSize, kSize};
    return writeDds(&level, 1, out) == D3D_OK;
}

bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return !bytes.empty() && bool(out);
}

// "points=0,-1;1,1;-1,1" -> the corners.
bool parsePoints(const std::string& text, std::vector<Point>& out)
{
    std::istringstream list(text);
    std::string pair;
    while (std::getline(list, pair, ';')) {
        float x = 0, y = 0;
        char comma = 0;
        std::istringstream in(pair);
        if (!(in >> x >> comma >> y) || comma != ',')
            return false;
        out.push_back({x, y});
    }
    return out.size() >= 3;
}

// One line's picture; false with a message naming the line.
bool drawLine(const std::string& line, int number, const std::filesystem::path& dir)
{
    std::istringstream in(line);
    std::string kind, file, word;
    in >> kind >> file;
    std::map<std::string, std::string> values;
    while (in >> word) {
        const size_t eq = word.find('=');
        if (eq == std::string::npos) {
            std::fprintf(stderr, "kartpaint: line %d: \"%s\" is no key=value\n", number, word.c_str());
            return false;
        }
        values[word.substr(0, eq)] = word.substr(eq + 1);
    }
    auto colour = [&](const char* key, uint32_t& out) {
        if (parseColour(values[key], out))
            return true;
        std::fprintf(stderr, "kartpaint: line %d: %s wants RRGGBB\n", number, key);
        return false;
    };
    if (file.empty() || file.find_first_of("/\\") != std::string::npos) {
        std::fprintf(stderr, "kartpaint: line %d: a plain file name, please\n", number);
        return false;
    }
    if (kind == "colour") {
        uint32_t base = 0, stripe = 0;
        if (!colour("base", base) || !colour("stripe", stripe))
            return false;
        BmpLayout layout;
        layout.width = layout.height = kSize;
        return writeFile(dir / file, writeBmp(layout, {}, paint(base, stripe)));
    }
    if (kind == "logo") {
        uint32_t fill = 0, edge = 0;
        if (!colour("fill", fill) || !colour("edge", edge))
            return false;
        Logo logo{values["shape"], {}};
        if (logo.shape == "star")
            logo.corners = starCorners();
        else if (logo.shape == "poly" && !parsePoints(values["points"], logo.corners)) {
            std::fprintf(stderr, "kartpaint: line %d: a poly wants three or more points=x,y;...\n", number);
            return false;
        } else if (logo.shape != "disc" && logo.shape != "ring" && logo.shape != "diamond" && logo.shape != "poly") {
            std::fprintf(stderr, "kartpaint: line %d: no shape \"%s\"\n", number, logo.shape.c_str());
            return false;
        }
        const std::vector<uint8_t> rgba = drawLogo(logo, fill, edge);
        std::vector<uint8_t> dds;
        return writeFile(dir / file, writePng(kSize, kSize, rgba)) && ddsCopy(rgba, dds) &&
               writeFile(dir / (file + ".dds"), dds);
    }
    std::fprintf(stderr, "kartpaint: line %d: \"%s\" is neither colour nor logo\n", number, kind.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: kartpaint LOOKS.txt OUTDIR\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "kartpaint: cannot read %s\n", argv[1]);
        return 1;
    }
    const std::filesystem::path dir = std::filesystem::path(argv[2]) / "D/Zoprax9/textures_cars";
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    std::string line;
    int number = 0, pictures = 0;
    while (std::getline(in, line)) {
        ++number;
        if (const size_t hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        if (!drawLine(line, number, dir)) {
            std::fprintf(stderr, "kartpaint: %s: no pictures written past line %d\n", argv[1], number);
            return 1;
        }
        ++pictures;
    }
    if (pictures == 0) {
        std::fprintf(stderr, "kartpaint: %s lists no pictures\n", argv[1]);
        return 1;
    }
    return 0;
}
