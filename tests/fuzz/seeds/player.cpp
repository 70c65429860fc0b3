// Seeds for the readers of the player's files and the game's XML data: the
// files our own writers make.
#include "SeedRegistry.h"

#include "game/app/Settings.h"
#include "game/menu/Highscores.h"
#include "game/menu/ProfileStore.h"

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

VORLUND_SEEDS(fuzz_profiles)
{
    ProfileStore store("/nonexistent/profiles.dat");
    store.resetAll();
    store.setEmpty(0, 1);
    store.setName(0, "Ada", 1);
    store.setKart(0, "brisk", 1);
    store.setKudos(0, 250, 1);
    store.setRank(0, 0, 0, 2, 1);
    store.setTime(0, 0, 0, 71.5f, 1);
    store.setEngine(0, 0, 3, 1);
    store.unlockTrack(0, "harbour", 1);
    store.stampCreation(1);
    const std::string text = store.print();
    seeds::writeFile(dir / "profile", std::vector<unsigned char>(text.begin(), text.end()));
}

VORLUND_SEEDS(fuzz_highscores)
{
    Highscores scores("/nonexistent/highscores.dat");
    std::string bytes = scores.serialize();
    seeds::writeFile(dir / "fresh", std::vector<unsigned char>(bytes.begin(), bytes.end()));
    scores.overallTable().insert(HighscoreEntry("brisk", "Ada", 120, 301.25f, 2));
    scores.table(1, 4, 8)->insert(HighscoreEntry("vela", "Bo", 0, 95.0f, 0));
    bytes = scores.serialize();
    seeds::writeFile(dir / "filled", std::vector<unsigned char>(bytes.begin(), bytes.end()));
}
