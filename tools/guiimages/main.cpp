// guiimages: draws the game's own GUI pictures and writes them with their
// imagesets.
//
//   guiimages OUTDIR [--font FONT.ttf] [--looks LOOKS.txt]
//
// Speed (cursor, brushes, every widget's parts, icons), Portraits and
// PortraitsSmall (the drivers), Flags, Upgrades and the default loading
// picture; with the font also Vorlund (the wordmark) and the race display's
// Countdown, Powerups, Icons and UTurn.png; with the kart looks
// (data/karts/looks.txt) Logos. OUTDIR is made when it does not exist.
#include "tools/guiimages/GuiImages.h"
#include "tools/guiimages/TextPainter.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: guiimages OUTDIR [--font FONT.ttf] [--looks LOOKS.txt]\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "guiimages: cannot make %s: %s\n", dir.c_str(), error.message().c_str());
        return 1;
    }
    std::string font, looks;
    for (int i = 2; i + 1 < argc; i += 2) {
        std::string* value = !std::strcmp(argv[i], "--font") ? &font : !std::strcmp(argv[i], "--looks") ? &looks : nullptr;
        if (!value) {
            std::fprintf(stderr, "guiimages: unknown option %s\n", argv[i]);
            return 2;
        }
        *value = argv[i + 1];
    }
    std::unique_ptr<TextPainter> text;
    if (!font.empty()) {
        text = std::make_unique<TextPainter>(font);
        if (!text->ok()) {
            std::fprintf(stderr, "guiimages: cannot read the font %s\n", font.c_str());
            return 1;
        }
    }
    bool ok = speedImages(dir) && portraitImages(dir) && flagImages(dir) && loadingPicture(dir)
              && upgradeImages(dir) && (!text || (vorlundImages(dir, *text) && hudImages(dir, *text)));
    if (ok && !looks.empty())
        ok = logoImages(dir, looks);
    if (!ok) {
        std::fprintf(stderr, "guiimages: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
