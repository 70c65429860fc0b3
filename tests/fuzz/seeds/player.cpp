// Seeds for the readers of the player's files and the game's XML data: the
// files our own writers make.
#include "SeedRegistry.h"

#include "game/app/Settings.h"


VORLUND_SEEDS(fuzz_settings)
{
    Settings settings;
    std::string text = settings.print();
    seeds::writeFile(dir / "defaults", std::vector<unsigned char>(text.begin(), text.end()));
    settings.windowed = 1;
    settings.gameversion = "x";
    settings.gamma = 1.0f;
    text = settings.print();
    seeds::writeFile(dir / "changed", std::vector<unsigned char>(text.begin(), text.end()));
}
