// showcase: writes the showcase scene (a floor, a mirror, boxes, a skinned
// and a morphed object, two transparent boxes, an occluder and a shadow-
// casting light; see tools/lib/ShowcaseScene.h) into a folder, to be looked
// at with lwsview:
//   showcase OUTDIR && lwsview OUTDIR/showcase.lws
#include "tools/lib/ShowcaseScene.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: showcase OUTDIR\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    for (const ShowcaseScene::File& file : ShowcaseScene::files()) {
        const std::filesystem::path path = folder / file.name;
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.bytes.data()), std::streamsize(file.bytes.size()));
        if (!out) {
            std::fprintf(stderr, "showcase: cannot write %s\n", path.string().c_str());
            return 1;
        }
    }
    return 0;
}
