// guiimages OUTDIR: draws the game's own GUI pictures and writes them with
// their imagesets into OUTDIR: Speed (cursor, brushes, widget parts, icons),
// PortraitsSmall (a small portrait per kart, and the blank one) and the
// default loading-screen picture. OUTDIR is made when it does not exist.
#include "tools/lib/PngWriter.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Rgba {
    uint8_t r, g, b, a;
};

class Picture {
public:
    Picture(int width, int height) : m_width(width), m_height(height), m_pixels(size_t(width) * height * 4, 0) {}
    void set(int x, int y, Rgba c)
    {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height)
            return;
        uint8_t* p = &m_pixels[(size_t(y) * m_width + x) * 4];
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
        p[3] = c.a;
    }
    void fill(int x0, int y0, int w, int h, Rgba c)
    {
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x)
                set(x, y, c);
    }
    void disc(int x0, int y0, int size, Rgba c)
    {
        const float r = size / 2.0f - 1.0f;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const float dx = x + 0.5f - size / 2.0f, dy = y + 0.5f - size / 2.0f;
                if (dx * dx + dy * dy <= r * r)
                    set(x0 + x, y0 + y, c);
            }
    }
    bool save(const std::string& path) const
    {
        const std::vector<uint8_t> png = writePng(m_width, m_height, m_pixels);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
        return !png.empty() && bool(out);
    }
    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    int m_width, m_height;
    std::vector<uint8_t> m_pixels;
};

struct ImageRect {
    std::string name;
    int x, y, w, h;
};

bool writeImageset(const std::string& path, const std::string& name, const std::string& file,
                   const std::vector<ImageRect>& images)
{
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" ?>\n<!-- Written by guiimages. -->\n<Imageset version=\"2\" name=\"" << name
        << "\" imagefile=\"" << file << "\" nativeHorzRes=\"1024\" nativeVertRes=\"768\" autoScaled=\"false\">\n";
    for (const ImageRect& i : images)
        out << "    <Image name=\"" << i.name << "\" xPos=\"" << i.x << "\" yPos=\"" << i.y << "\" width=\"" << i.w
            << "\" height=\"" << i.h << "\" />\n";
    out << "</Imageset>\n";
    return bool(out);
}

// A plain-coloured picture part: an 8 x 8 block of which the inner 4 x 4 is
// the image, so stretching never blends in a neighbour.
ImageRect brush(Picture& p, const std::string& name, int x, int y, Rgba c)
{
    p.fill(x, y, 8, 8, c);
    return {name, x + 2, y + 2, 4, 4};
}

bool speed(const std::string& dir)
{
    Picture p(128, 64);
    std::vector<ImageRect> images;
    // The arrow: white, outlined in black, its tip at the top left.
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 18; ++x) {
            const bool inside = x <= y * 0.6f && y < 16 && !(y > 11 && x < y - 11);
            const bool edge = x <= (y + 1) * 0.6f + 1 && y < 17;
            if (inside)
                p.set(x, y, {255, 255, 255, 255});
            else if (edge && x <= y)
                p.set(x, y, {0, 0, 0, 255});
        }
    images.push_back({"MouseArrow", 0, 0, 18, 18});
    images.push_back(brush(p, "GenericBrush", 24, 0, {255, 255, 255, 255}));
    images.push_back(brush(p, "FullTransparentBrush", 32, 0, {0, 0, 0, 0}));
    images.push_back(brush(p, "SemiTransparentBrush", 40, 0, {0, 0, 0, 128}));
    images.push_back(brush(p, "TooltipBrush", 48, 0, {255, 244, 200, 240}));
    images.push_back(brush(p, "FrameCorner", 56, 0, {20, 40, 90, 255}));
    images.push_back(brush(p, "FrameEdge", 64, 0, {40, 70, 140, 255}));
    // The bar's track: dark with a light rim; its fill: orange, lighter at the top.
    p.fill(0, 24, 24, 24, {200, 200, 210, 255});
    p.fill(2, 26, 20, 20, {30, 30, 40, 255});
    images.push_back({"ProgressTrack", 0, 24, 24, 24});
    for (int y = 0; y < 24; ++y)
        p.fill(32, 24 + y, 24, 1, {255, uint8_t(200 - y * 4), uint8_t(60 - y * 2), 255});
    images.push_back({"ProgressFill", 36, 28, 16, 16});
    p.disc(64, 24, 16, {255, 160, 0, 255});
    images.push_back({"IconWaiting", 64, 24, 16, 16});
    p.disc(80, 24, 16, {40, 200, 60, 255});
    images.push_back({"IconReady", 80, 24, 16, 16});
    return p.save(dir + "/Speed.png") && writeImageset(dir + "/Speed.imageset", "Speed", "Speed.png", images);
}

bool portraits(const std::string& dir)
{
    // The blank portrait and one per kart, by the karts' menu images in config.xml.
    const struct {
        const char* name;
        Rgba colour;
    } faces[] = {
        {"Blanko", {128, 128, 128, 255}}, {"brisk", {230, 60, 50, 255}},  {"tomo", {50, 120, 230, 255}},
        {"vela", {240, 200, 40, 255}},    {"grummel", {90, 160, 60, 255}}, {"nix", {160, 80, 200, 255}},
        {"pepper", {240, 120, 30, 255}},  {"otto", {60, 60, 60, 255}},
    };
    const int size = 32;
    Picture p(size * int(std::size(faces)), size);
    std::vector<ImageRect> images;
    for (size_t i = 0; i < std::size(faces); ++i) {
        const int x = int(i) * size;
        p.fill(x, 0, size, size, {230, 230, 230, 255});
        p.disc(x + 4, 4, size - 8, faces[i].colour);
        p.fill(x + 11, 12, 3, 3, {255, 255, 255, 255});
        p.fill(x + 18, 12, 3, 3, {255, 255, 255, 255});
        images.push_back({faces[i].name, x, 0, size, size});
    }
    return p.save(dir + "/PortraitsSmall.png")
           && writeImageset(dir + "/PortraitsSmall.imageset", "PortraitsSmall", "PortraitsSmall.png", images);
}

bool loadingPicture(const std::string& dir)
{
    // Evening sky over a road that runs to the horizon.
    Picture p(256, 192);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x) {
            Rgba c;
            if (y < 110) {
                const float t = y / 110.0f;
                c = {uint8_t(40 + 200 * t), uint8_t(60 + 90 * t), uint8_t(140 - 40 * t), 255};
            } else {
                const float depth = (y - 110) / 82.0f;
                const float half = 4 + 120 * depth;
                const bool road = std::fabs(x - 128.0f) < half;
                const bool stripe = road && std::fabs(x - 128.0f) < 1 + 3 * depth && (y / 6) % 2 == 0;
                c = stripe ? Rgba{250, 250, 250, 255} : road ? Rgba{70, 70, 75, 255} : Rgba{60, 130, 50, 255};
            }
            p.set(x, y, c);
        }
    return p.save(dir + "/LoadingScreen_00.png");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: guiimages OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "guiimages: cannot make %s: %s\n", dir.c_str(), error.message().c_str());
        return 1;
    }
    if (!speed(dir) || !portraits(dir) || !loadingPicture(dir)) {
        std::fprintf(stderr, "guiimages: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
