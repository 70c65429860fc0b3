// Feeds arbitrary bytes to the configuration reader as config.xml, with every
// level and kart file present so that every record gets filled.
#include "engine/core/io/Stream.h"
#include "game/app/GameConfig.h"
#include "tools/lib/MemoryFileSystem.h"

#include <cstddef>
#include <cstdint>

namespace {

class AllPresent : public MemoryFileSystem {
public:
    std::unique_ptr<Stream> clone() const override { return std::make_unique<AllPresent>(*this); }
    bool exists(const char*) override { return true; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    AllPresent files;
    files.addFile("config.xml", data, size);
    GameConfig config;
    config.loadConfig(files);
    float ratios[GameConfig::StatCount];
    for (const KartInfo& kart : config.karts())
        config.kartStatRatios(kart.name, ratios);
    for (int32_t ccm = -1; ccm <= 3; ++ccm)
        if (size_t(config.careerTrackCount(ccm)) != config.careerTimes(ccm).size())
            __builtin_trap();
    return 0;
}
