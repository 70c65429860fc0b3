// records: inspects and repairs the player's record files.
//
//   records decode profiles.dat            the plain XML, to standard output
//   records encode profiles.dat            scrambles XML from standard input into the file
//   records dump highscores.dat            every filled highscore entry
#include "game/menu/Highscores.h"
#include "game/menu/ProfileScrambler.h"
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

int decode(const std::string& path)
{
    std::string bytes;
    if (!readWholeFile(path, bytes, kMaxBytes)) {
        std::fprintf(stderr, "records: cannot read %s\n", path.c_str());
        return 1;
    }
    scrambleProfileText(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size(), kProfileKey);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    return 0;
}

int encode(const std::string& path)
{
    std::string text((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
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
    for (int table = 0; table < Highscores::kTables; ++table)
        for (int32_t i = 0; i < HighscoreTable::kEntries; ++i) {
            const HighscoreEntry& e = scores.tableAt(table).entry(i);
            if (!e.isEmpty())
                std::printf("table %2d  #%d  %-16s %-16s time %10.3f  score %d  retries %d\n", table, i + 1,
                            e.name.c_str(), e.kart.c_str(), double(e.time), e.score, e.retries);
        }
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
