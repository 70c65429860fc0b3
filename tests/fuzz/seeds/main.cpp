// fuzz_seeds NAME DIR: writes the seed corpus of fuzz target NAME into DIR.
#include "SeedRegistry.h"

#include <cstdio>
#include <fstream>

namespace seeds {

std::map<std::string, Generator>& registry()
{
    static std::map<std::string, Generator> table;
    return table;
}

void writeFile(const std::filesystem::path& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace seeds

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_seeds NAME DIR\n");
        return 2;
    }
    auto& table = seeds::registry();
    auto it = table.find(argv[1]);
    if (it == table.end())
        return 0; // a target without generated seeds starts from an empty corpus
    std::filesystem::create_directories(argv[2]);
    it->second(argv[2]);
    return 0;
}
