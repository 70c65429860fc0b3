// Seeds for the level's AI paths and maps: one file of each reader, prefixed
// with the byte that chooses it, made by our own writers.
#include "SeedRegistry.h"

#include "tools/lib/ImageWriters.h"
#include "tools/lib/PathWriter.h"

namespace {

std::vector<uint8_t> chosen(uint8_t reader, const std::vector<uint8_t>& file)
{
    std::vector<uint8_t> out = {reader};
    out.insert(out.end(), file.begin(), file.end());
    return out;
}

std::vector<uint8_t> ramp(int width, int height)
{
    std::vector<uint8_t> indices;
    for (int i = 0; i < width * height; ++i)
        indices.push_back(uint8_t(i / 3));
    return indices;
}

} // namespace

VORLUND_SEEDS(fuzz_race_maps)
{
    const std::vector<Vector3> loop = {{0, 0, 0}, {10, 0, 0}, {10, 1, 10}, {-10, 2, 10}, {-10, 0, 0}};
    seeds::writeFile(dir / "loop", chosen(0, writePathFile(makePath(loop, true))));
    seeds::writeFile(dir / "line", chosen(0, writePathFile(makePath({{0, 0, 0}, {0, 0, 0}, {5, 0, 3}}, false))));
    seeds::writeFile(dir / "posmap", chosen(1, writePcx(8, 4, 8, ramp(8, 4), nullptr)));
    BmpLayout layout;
    layout.width = 3;
    layout.height = 2;
    seeds::writeFile(dir / "colourmap",
                     chosen(2, writeBmp(layout, {}, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x808080, 0})));
    seeds::writeFile(dir / "speedmap", chosen(3, writePcx(512, 512, 512, ramp(512, 512), nullptr)));
}
