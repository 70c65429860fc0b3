#include "tools/trackgen/TracksImageset.h"

#include "game/app/GameConfig.h"
#include "tools/trackgen/ConfigFile.h"
#include "tools/trackgen/Output.h"
#include "tools/trackgen/Picture.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace track {

namespace {

// A binary PPM (P6, 8 bits) as the level runs leave them.
bool readPpm(const std::filesystem::path& path, Picture& out)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, peak = 0;
    in >> magic >> width >> height >> peak;
    in.get();
    if (!in || magic != "P6" || peak != 255 || width <= 0 || height <= 0 || width > 4096 || height > 4096)
        return false;
    std::vector<uint8_t> bytes(size_t(width) * size_t(height) * 3);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!in)
        return false;
    out = Picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &bytes[(size_t(y) * size_t(width) + size_t(x)) * 3];
            out.set(x, y, Rgb{float(p[0]) / 255.0f, float(p[1]) / 255.0f, float(p[2]) / 255.0f});
        }
    return true;
}

} // namespace

bool writeTracksImageset(const std::string& configPath, const std::filesystem::path& outDir,
                         const std::filesystem::path& scratch, std::string& error)
{
    GameConfig config;
    if (!readConfig(configPath, config, error))
        return false;
    const std::vector<LevelInfo>& levels = config.levels();
    if (levels.empty()) {
        error = configPath + ":0: lists no levels";
        return false;
    }
    const int columns = 3, w = 640, h = 360;
    const int rows = int((levels.size() + columns - 1) / columns);
    Picture atlas(columns * w, rows * h);
    std::ostringstream set;
    set << "<?xml version=\"1.0\" ?>\n<!-- Written by trackgen: one picture per level, by menu image. -->\n"
        << "<Imageset version=\"2\" name=\"Tracks\" imagefile=\"Tracks.jpg\" nativeHorzRes=\"1920\" "
           "nativeVertRes=\"1080\" autoScaled=\"false\">\n";
    for (size_t i = 0; i < levels.size(); ++i) {
        Picture picture;
        const std::filesystem::path file = scratch / (levels[i].menuimage + ".ppm");
        if (!readPpm(file, picture) || picture.width() != w || picture.height() != h) {
            error = file.string() + ":0: no " + std::to_string(w) + " x " + std::to_string(h) + " picture of level \"" +
                    levels[i].name + "\" (its trackgen level run makes it)";
            return false;
        }
        const int x = int(i % columns) * w, y = int(i / columns) * h;
        atlas.paste(picture, x, y);
        set << "    <Image name=\"" << levels[i].menuimage << "\" xPos=\"" << x << "\" yPos=\"" << y << "\" width=\"" << w
            << "\" height=\"" << h << "\" />\n";
    }
    set << "</Imageset>\n";
    Output out;
    out.add("D:\\Zoprax9\\menu\\Tracks.jpg", atlas.jpeg(88));
    out.add("D:\\Zoprax9\\menu\\Tracks.imageset", set.str());
    return out.write(outDir, {}, error);
}

} // namespace track
