// kartdata: the kart objects and the kart-selection scenes of our data set.
//
//   kartdata CONFIG.xml OUTDIR
//
// Writes below OUTDIR, each under its archive entry name with the drive as a
// folder (the entry D:\Zoprax9\x.lwo is OUTDIR/D/Zoprax9/x.lwo):
//   D/Zoprax9/3dobjects_cars/kart_01.lwo    the kart: body (layer 0) and one
//       layer per exchangeable part (tyre sets, side skirts, engine parts,
//       spoilers), on the layer numbers the kart look switches; its painted
//       surface "kart logo" shows the colour and logo pictures kartpaint draws;
//   D/Zoprax9/3dobjects_chars/NAME.lwo      a small driver figure per kart;
//   D/Zoprax9/menu/choose_kart.lws          the preview stage: camera, light,
//       the turning "chassis" null with the kart's layers under it;
//   each kart's scenes as config.xml names them: the race kart (the chassis
//       with the body and the stock parts), and the driver for the race and
//       for the menu.
// The karts are the <kart name="..."> records of config.xml, so the
// configuration stays the one list of karts.
#include "tools/lib/EntryPath.h"
#include "tools/lib/Lwo2Writer.h"
#include "tools/lib/LwsWriter.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kKartObject = "D:\\Zoprax9/3dobjects_cars/kart_01.lwo";

struct Box {
    float x0, y0, z0, x1, y1, z1;
};

struct Part {
    uint32_t layer;
    const char* name;
    uint16_t surface; // index into the object's surface list
    std::vector<Box> boxes;
};

// A surface of one colour.
Lwo2Surface material(const char* name, std::array<float, 3> colour, float specular)
{
    Lwo2Surface s;
    s.name = name;
    s.color = colour;
    s.values = {{"DIFF", 1.0f}, {Lwo2Specularity, specular}};
    return s;
}

// An object of boxes, one layer a part, faces clockwise seen from outside.
// Clip i + 1 is the still image clips[i].
std::vector<uint8_t> boxObject(const std::vector<Lwo2Surface>& surfaces, const std::vector<Part>& parts,
                               const std::vector<std::string>& clips = {})
{
    Lwo2Writer w;
    std::vector<std::string> names;
    for (const Lwo2Surface& s : surfaces)
        names.push_back(s.name);
    w.tags(names);
    // Corner i: x from bit 0, y from bit 1, z from bit 2.
    static const uint32_t faces[6][4] = {{2, 6, 7, 3}, {0, 1, 5, 4}, {1, 3, 7, 5},
                                         {0, 4, 6, 2}, {5, 7, 6, 4}, {0, 2, 3, 1}};
    for (const Part& part : parts) {
        w.layer(part.layer, part.name);
        std::vector<std::array<float, 3>> points;
        std::vector<std::vector<uint32_t>> polygons;
        for (const Box& b : part.boxes) {
            const uint32_t base = uint32_t(points.size());
            for (int i = 0; i < 8; ++i)
                points.push_back({i & 1 ? b.x1 : b.x0, i & 2 ? b.y1 : b.y0, i & 4 ? b.z1 : b.z0});
            for (const auto& f : faces)
                polygons.push_back({base + f[0], base + f[1], base + f[2], base + f[3]});
        }
        w.points(points);
        w.polygons(polygons);
        w.polygonTags(std::vector<uint16_t>(polygons.size(), part.surface));
    }
    // The images first: a surface's block names its image by clip index.
    for (size_t i = 0; i < clips.size(); ++i)
        w.clipStill(uint32_t(i + 1), clips[i]);
    for (const Lwo2Surface& s : surfaces)
        w.surface(s);
    return w.finish();
}

Box wheel(float x, float z, float radius, float width)
{
    const float inner = x < 0 ? x : x - width;
    return {inner, 0.0f, z - radius, inner + width, 2 * radius, z + radius};
}

// The paint of the body, side skirts and spoilers: the surface "kart logo"
// with two image layers seen from above, the kart's colour picture over the
// whole kart, then its logo once on the bonnet. The logo layer stretches the
// picture's edge, which is transparent in every logo, beyond it: a "reset"
// layer would show the surface's own colour there and cover the paint. A
// kart, and each kart preview, points these two layers at its own colour and
// logo just before it is drawn; the pictures named here are what the object
// shows otherwise.
Lwo2Surface paintSurface()
{
    Lwo2Surface s = material("kart logo", {1.0f, 1.0f, 1.0f}, 0.4f);
    Lwo2Block colour;
    colour.ordinal = "\x80";
    colour.projection = 0; // planar
    colour.axis = 1;       // along y
    colour.size = {1.0f, 1.0f, 2.0f};
    colour.image = 1;
    colour.wrapU = colour.wrapV = 1; // repeat
    Lwo2Block logo = colour;
    logo.ordinal = "\x81";
    logo.center = {0.0f, 0.0f, -0.55f};
    logo.size = {0.28f, 1.0f, 0.28f};
    logo.image = 2;
    logo.wrapU = logo.wrapV = 3; // edge
    s.blocks = {colour, logo};
    return s;
}

// Our kart: the painted body and every exchangeable part on the layer the
// kart look switches.
std::vector<uint8_t> kartObject()
{
    enum : uint16_t { Paint, Tyres, Metal };
    const std::vector<Lwo2Surface> surfaces = {paintSurface(), material("kart reifen", {0.15f, 0.15f, 0.15f}, 0.1f),
                                               material("kart metal", {0.6f, 0.6f, 0.65f}, 0.7f)};
    std::vector<Part> parts;
    parts.push_back({0, "body", Paint,
                     {{-0.35f, 0.12f, -0.8f, 0.35f, 0.32f, 0.7f}, {-0.25f, 0.32f, 0.0f, 0.25f, 0.45f, 0.5f}}});
    // Tyre sets, level 0 and levels 1 to 5, four wheels each (front left,
    // front right, rear left, rear right), larger and wider level by level.
    const uint32_t tyreSets[6][4] = {{1, 7, 18, 24},   {34, 35, 36, 37}, {30, 31, 32, 33},
                                     {38, 39, 40, 41}, {61, 62, 63, 64}, {42, 43, 44, 45}};
    const float corners[4][2] = {{-0.45f, -0.55f}, {0.45f, -0.55f}, {-0.45f, 0.5f}, {0.45f, 0.5f}};
    for (int level = 0; level < 6; ++level)
        for (int w = 0; w < 4; ++w)
            parts.push_back({tyreSets[level][w], "tyre", Tyres,
                             {wheel(corners[w][0], corners[w][1], 0.14f + 0.01f * level, 0.12f + 0.015f * level)}});
    // Side skirts, levels 1 to 5 on layers 25 to 29.
    for (uint32_t level = 1; level <= 5; ++level) {
        const float h = 0.1f + 0.06f + 0.02f * float(level);
        parts.push_back({24 + level, "sideskirts", Paint,
                         {{-0.42f, 0.1f, -0.35f, -0.35f, h, 0.3f}, {0.35f, 0.1f, -0.35f, 0.42f, h, 0.3f}}});
    }
    // Engine parts: blocks 46-48, exhausts 50-51, air intakes 53-55.
    for (uint32_t i = 0; i < 3; ++i) {
        const float s = 0.12f + 0.03f * float(i);
        parts.push_back({46 + i, "engine", Metal, {{-s, 0.32f, 0.45f, s, 0.32f + s, 0.45f + s}}});
        parts.push_back(
            {53 + i, "intake", Metal, {{-0.05f, 0.5f + 0.05f * float(i), 0.5f, 0.05f, 0.6f + 0.08f * float(i), 0.6f}}});
    }
    for (uint32_t i = 0; i < 2; ++i) {
        const float end = 0.85f + 0.1f * float(i);
        parts.push_back({50 + i, "exhaust", Metal,
                         {{-0.2f, 0.25f, 0.7f, -0.14f, 0.31f, end}, {0.14f, 0.25f, 0.7f, 0.2f, 0.31f, end}}});
    }
    // Spoilers, levels 1 to 5 on layers 56 to 60: higher and wider.
    for (uint32_t level = 1; level <= 5; ++level) {
        const float h = 0.5f + 0.06f * float(level);
        const float w = 0.3f + 0.04f * float(level);
        parts.push_back({55 + level, "spoiler", Paint,
                         {{-w, h, 0.65f, w, h + 0.04f, 0.85f}, {-0.03f, 0.32f, 0.7f, 0.03f, h, 0.75f}}});
    }
    return boxObject(surfaces, parts,
                     {"D:/Zoprax9/textures_cars/kart_blau_0001.bmp", "D:/Zoprax9/textures_cars/kartlogo_01.png"});
}

// A small driver figure in the kart's own colour: body (layer 0), head (1).
std::vector<uint8_t> driverObject(size_t index)
{
    static const std::array<float, 3> colours[7] = {{0.9f, 0.3f, 0.2f}, {0.2f, 0.5f, 0.9f}, {0.3f, 0.8f, 0.3f},
                                                    {0.9f, 0.8f, 0.2f}, {0.7f, 0.3f, 0.8f}, {0.9f, 0.5f, 0.2f},
                                                    {0.4f, 0.4f, 0.4f}};
    return boxObject({material("driver", colours[index % 7], 0.3f), material("skin", {0.95f, 0.8f, 0.65f}, 0.1f)},
                     {{0, "driver", 0, {{-0.18f, 0.3f, 0.05f, 0.18f, 0.7f, 0.35f}}},
                      {1, "head", 1, {{-0.11f, 0.7f, 0.1f, 0.11f, 0.92f, 0.32f}}}});
}

bool writeFile(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), std::streamsize(text.size()));
    return bool(out);
}

// "D:\Zoprax9\menu\x.lws" or "D:\Zoprax9/menu/x.lws" -> OUT/D/Zoprax9/menu/x.lws
std::filesystem::path entryPath(const std::filesystem::path& out, const std::string& name)
{
    return out / hostPathOfEntry(name);
}

// The text between <tag> and </tag> after `from`, or empty.
std::string element(const std::string& text, const std::string& tag, size_t from, size_t to)
{
    const std::string open = "<" + tag + ">";
    const size_t start = text.find(open, from);
    if (start == std::string::npos || start > to)
        return {};
    const size_t end = text.find("</" + tag + ">", start);
    return end == std::string::npos ? std::string() : text.substr(start + open.size(), end - start - open.size());
}

struct KartEntry {
    std::string name;
    std::string kartScene;
    std::string characterScene;
    std::string menuScene;
};

// The value of attribute `name` in the tag text, or empty.
std::string attribute(const std::string& tag, const std::string& name)
{
    const std::string key = " " + name + "=\"";
    const size_t start = tag.find(key);
    if (start == std::string::npos)
        return {};
    const size_t end = tag.find('"', start + key.size());
    return end == std::string::npos ? std::string() : tag.substr(start + key.size(), end - start - key.size());
}

std::vector<KartEntry> karts(const std::string& config)
{
    std::vector<KartEntry> list;
    for (size_t at = config.find("<kart "); at != std::string::npos; at = config.find("<kart ", at + 1)) {
        const size_t tagEnd = config.find('>', at);
        const size_t end = config.find("</kart>", at);
        if (tagEnd == std::string::npos || end == std::string::npos)
            break;
        const std::string tag = config.substr(at, tagEnd - at);
        list.push_back({attribute(tag, "name"), attribute(tag, "kart"), attribute(tag, "character"),
                        element(config, "menuscene", at, end)});
    }
    return list;
}

std::string chooseKartScene()
{
    LwsWriter lws;
    lws.key("FirstFrame", {0}).key("LastFrame", {60}).key("FramesPerSecond", {30});
    // Object 0: the turning chassis; the kart's layers hang under it.
    lws.addNullObject("chassis");
    for (int number : {0, 1, 7, 18, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42,
                       43, 44, 45, 46, 47, 48, 50, 51, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64}) {
        lws.loadObjectLayer(number + 1, kKartObject);
        lws.key("ParentItem", {LwsWriter::itemId(0x10000000)});
    }
    lws.addLight("sun");
    lws.motion("LightMotion", {{4, {{{0.6f}}}}, {5, {{{0.7f}}}}});
    // The camera looks at the kart from the front, a little above.
    lws.addCamera("camera", {{1, {{{0.9f}}}}, {2, {{{-2.6f}}}}, {4, {{{0.3f}}}}});
    return lws.text();
}

// The kart as a race loads it: the chassis with the body and the stock
// parts under it.
std::string kartScene()
{
    LwsWriter lws;
    lws.key("FirstFrame", {0}).key("LastFrame", {60}).key("FramesPerSecond", {30});
    lws.addNullObject("chassis");
    for (int number : {0, 1, 7, 18, 24, 46, 50, 53}) {
        lws.loadObjectLayer(number + 1, kKartObject);
        lws.key("ParentItem", {LwsWriter::itemId(0x10000000)});
    }
    return lws.text();
}

// A driver figure: its body with the head under it.
std::string menuScene(const std::string& driverObject)
{
    LwsWriter lws;
    lws.key("FirstFrame", {0}).key("LastFrame", {60}).key("FramesPerSecond", {30});
    lws.loadObjectLayer(1, driverObject);
    lws.loadObjectLayer(2, driverObject);
    lws.key("ParentItem", {LwsWriter::itemId(0x10000000)});
    return lws.text();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: kartdata CONFIG.xml OUTDIR\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string config((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::filesystem::path out = argv[2];
    const std::vector<KartEntry> list = karts(config);
    if (list.empty()) {
        std::fprintf(stderr, "kartdata: %s lists no karts\n", argv[1]);
        return 1;
    }
    const std::vector<uint8_t> kartBytes = kartObject();
    bool ok = writeFile(entryPath(out, kKartObject), std::string(kartBytes.begin(), kartBytes.end()));
    ok = ok && writeFile(entryPath(out, "D:/Zoprax9/menu/choose_kart.lws"), chooseKartScene());
    for (size_t i = 0; ok && i < list.size(); ++i) {
        const KartEntry& kart = list[i];
        const std::string driver = "D:\\Zoprax9/3dobjects_chars/" + kart.name + ".lwo";
        const std::vector<uint8_t> bytes = driverObject(i);
        ok = writeFile(entryPath(out, driver), std::string(bytes.begin(), bytes.end()));
        if (ok && !kart.kartScene.empty())
            ok = writeFile(entryPath(out, kart.kartScene), kartScene());
        if (ok && !kart.characterScene.empty())
            ok = writeFile(entryPath(out, kart.characterScene), menuScene(driver));
        if (ok && !kart.menuScene.empty())
            ok = writeFile(entryPath(out, kart.menuScene), menuScene(driver));
    }
    return ok ? 0 : 1;
}
