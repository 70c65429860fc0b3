// menuscenes OUTDIR: writes the menu's 3D scenes below OUTDIR under their
// archive entry names (a drive letter as its one-letter folder):
//   D/Zoprax9/menu/menu_bg_scenes/menu_bg_{paris,london,berlin,sydney}.lws
//       the backgrounds, each with its world and sky objects and sky picture;
//   D/Zoprax9/menu/winner/{pokal_bronze,pokal_silver,pokal_gold,trostpreis}.lws
//       the prizes of a finished season, each with its object.
#include "tools/lib/EntryPath.h"
#include "tools/menuscenes/MenuScenes.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: menuscenes OUTDIR\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::vector<SceneFile> files = backgroundScenes();
    for (SceneFile& file : trophyScenes())
        files.push_back(std::move(file));
    for (const SceneFile& file : files) {
        const std::filesystem::path path = out / hostPathOfEntry(file.entry);
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        std::ofstream stream(path, std::ios::binary);
        stream.write(reinterpret_cast<const char*>(file.bytes.data()), std::streamsize(file.bytes.size()));
        if (!stream) {
            std::fprintf(stderr, "menuscenes: cannot write %s\n", path.string().c_str());
            return 1;
        }
    }
    return 0;
}
