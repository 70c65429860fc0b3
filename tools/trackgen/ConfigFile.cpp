#include "tools/trackgen/ConfigFile.h"

#include "game/app/GameConfig.h"
#include "tools/lib/MemoryFileSystem.h"

#include <fstream>
#include <iterator>

namespace track {

namespace {

class EveryFileExists : public MemoryFileSystem {
public:
    bool exists(const char*) override { return true; }
};

} // namespace

bool readConfig(const std::string& path, GameConfig& out, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ":0: cannot be read";
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EveryFileExists files;
    files.addFile("config.xml", std::move(bytes));
    if (!out.loadConfig(files)) {
        error = path + ":0: " + out.error();
        return false;
    }
    return true;
}

} // namespace track
