// xactpack: builds the game's three XACT banks from a sound set description.
//
//   xactpack DESCRIPTION OUTDIR
//
// Writes OUTDIR/Zoprax9.xgs, OUTDIR/WaveBank.xwb and OUTDIR/SoundBank.xsb.
#include "tools/lib/SoundSet.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace {

bool writeFile(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: xactpack DESCRIPTION OUTDIR\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "xactpack: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    SoundSet set;
    std::string error;
    if (!parseSoundSet(text.str(), set, error)) {
        std::fprintf(stderr, "xactpack: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    const fs::path dir = argv[2];
    std::error_code ec;
    fs::create_directories(dir, ec);
    try {
        const auto globals = xact::writeGlobalSettings(set.settings);
        const auto waves = xact::writeWaveBank(set.soundBank.waveBankName, set.waves);
        const auto sounds = xact::writeSoundBank(set.soundBank);
        if (!writeFile(dir / "Zoprax9.xgs", globals) || !writeFile(dir / "WaveBank.xwb", waves) ||
            !writeFile(dir / "SoundBank.xsb", sounds)) {
            std::fprintf(stderr, "xactpack: cannot write into %s\n", dir.string().c_str());
            return 1;
        }
        std::printf("%zu cues, %zu waves, %zu bytes of wave bank\n", set.soundBank.cues.size(), set.waves.size(),
                    waves.size());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "xactpack: %s\n", e.what());
        return 1;
    }
    return 0;
}
