// Seeds for the readers of the player's files and the game's XML data: the
// files our own writers make.
#include "SeedRegistry.h"

#include "game/app/Settings.h"

#include <fstream>
#include <iterator>

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

namespace {

std::vector<unsigned char> sourceFile(const char* relative)
{
    std::ifstream in(std::string(VORLUND_SOURCE_DIR) + "/" + relative, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

VORLUND_SEEDS(fuzz_texts)
{
    seeds::writeFile(dir / "Texts.xml", sourceFile("data/archive/D/Zoprax9/menu/Texts.xml"));
}

VORLUND_SEEDS(fuzz_config)
{
    seeds::writeFile(dir / "config.xml", sourceFile("data/archive/config.xml"));
}
