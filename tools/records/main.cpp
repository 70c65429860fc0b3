// records: inspects and repairs the player's record files.
//
//   records decode profiles.dat            the plain XML, to standard output
//   records encode profiles.dat            scrambles XML from standard input into the file
//   records dump highscores.dat            every filled highscore entry and the count
//
// Decode prints a file the game would refuse too (that is what repairing
// needs) with a note on standard error, but refuses one that does not
// unscramble to text at all; encode writes only what the game would load.
#include "game/app/XmlText.h"
#include "game/menu/Highscores.h"
#include "game/menu/ProfileScrambler.h"
#include "game/menu/ProfileStore.h"
#include "platform/files/PlayerFiles.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>

namespace {

constexpr size_t kMaxBytes = 64u << 20;

int usage()
{
    std::fprintf(stderr,
                 "usage: records decode profiles.dat\n"
                 "       records encode profiles.dat < plain.xml\n"
                 "       records dump highscores.dat\n");
    return 2;
}

// Unscrambled profile text is XML: a markup start after any white space, and
// no control bytes but tabs and line ends. Another file (or one scrambled
// with another key) unscrambles to noise.
bool looksLikeXml(const std::string& text)
{
    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos || text[start] != '<')
        return false;
    for (unsigned char c : text)
        if (c < 32 && c != '\t' && c != '\n' && c != '\r')
            return false;
    return true;
}

// Whether the game would load the text; false with the reason when not.
bool gameAccepts(const std::string& text, std::string& why)
{
    TiXmlDocument doc;
    if (!parseXmlText(doc, text, &why))
        return false;
    ProfileStore store("");
    store.resetAll();
    if (!store.parse(text)) {
        why = "it breaks a rule of the profile format";
        return false;
    }
    return true;
}

int decode(const std::string& path)
{
    std::string bytes;
    if (!readWholeFile(path, bytes, kMaxBytes)) {
        std::fprintf(stderr, "records: cannot read %s\n", path.c_str());
        return 1;
    }
    scrambleProfileText(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size(), kProfileKey);
    // As the game reads it: the text ends at the first zero byte.
    const std::string text(bytes.c_str());
    if (!looksLikeXml(text) || text.size() + 1 < bytes.size()) {
        std::fprintf(stderr, "records: %s is not a profile file: it does not unscramble to XML text\n", path.c_str());
        return 1;
    }
    std::string why;
    if (!gameAccepts(text, why))
        std::fprintf(stderr, "records: note: the game would not load %s: %s\n", path.c_str(), why.c_str());
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

int encode(const std::string& path)
{
    std::string text((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    std::string why;
    if (!gameAccepts(text, why)) {
        std::fprintf(stderr, "records: not written: the game would not load this text: %s\n", why.c_str());
        return 1;
    }
    scrambleProfileText(reinterpret_cast<uint8_t*>(text.data()), text.size(), kProfileKey);
    if (!replaceFile(path, text.data(), text.size())) {
        std::fprintf(stderr, "records: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

int dump(const std::string& path)
{
    Highscores scores(path);
    if (!scores.load()) {
        std::fprintf(stderr, "records: %s is missing, short or damaged\n", path.c_str());
        return 1;
    }
    int filled = 0;
    for (int table = 0; table < Highscores::kTables; ++table)
        for (int32_t i = 0; i < HighscoreTable::kEntries; ++i) {
            const HighscoreEntry& e = scores.tableAt(table).entry(i);
            if (e.isEmpty())
                continue;
            ++filled;
            std::printf("table %2d  #%d  %-16s %-16s time %10.3f  score %d  retries %d\n", table, i + 1,
                        e.name.c_str(), e.kart.c_str(), double(e.time), e.score, e.retries);
        }
    // A fresh file has every entry empty: say so rather than print nothing.
    std::printf("%d of %d entries filled in %d tables\n", filled, Highscores::kTables * HighscoreTable::kEntries,
                Highscores::kTables);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return usage();
    const std::string command = argv[1];
    if (command == "decode")
        return decode(argv[2]);
    if (command == "encode")
        return encode(argv[2]);
    if (command == "dump")
        return dump(argv[2]);
    return usage();
}
