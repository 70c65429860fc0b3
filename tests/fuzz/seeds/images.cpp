// Seeds for the image decoders: small well-formed files of every kind and
// depth the readers handle, made by our own writers.
#include "SeedRegistry.h"

#include "tools/lib/ImageWriters.h"

namespace {

std::vector<uint32_t> pattern(int width, int height, uint32_t mask)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(uint32_t(x * 0x251F + y * 0x10307) & mask);
    return pixels;
}

std::vector<uint8_t> samples(int width, int height, int components)
{
    std::vector<uint8_t> out;
    for (int i = 0; i < width * height * components; ++i)
        out.push_back(uint8_t(i * 7 + i / 13));
    return out;
}

} // namespace

VORLUND_SEEDS(fuzz_bmp)
{
    int n = 0;
    for (uint32_t headerSize : {40u, 108u, 124u})
        for (int bits : {8, 24})
            for (bool topDown : {false, true}) {
                BmpLayout layout;
                layout.width = 5;
                layout.height = 3;
                layout.bitsPerPixel = bits;
                layout.infoHeaderSize = headerSize;
                layout.topDown = topDown;
                layout.colorsUsed = bits == 8 ? 16 : 0;
                const std::vector<uint32_t> palette = bits == 8 ? pattern(16, 1, 0xFFFFFF) : std::vector<uint32_t>();
                seeds::writeFile(dir / ("bmp" + std::to_string(n++)),
                                 writeBmp(layout, palette, pattern(5, 3, bits == 8 ? 0x0F : 0xFFFFFF)));
            }
}

VORLUND_SEEDS(fuzz_pcx)
{
    std::vector<uint8_t> palette(768);
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = uint8_t(i);
    std::vector<uint8_t> indices;
    for (int i = 0; i < 6 * 4; ++i)
        indices.push_back(uint8_t(i < 8 ? 0xD0 : i * 5));
    seeds::writeFile(dir / "palette", writePcx(5, 4, 6, indices, &palette));
    seeds::writeFile(dir / "plain", writePcx(5, 4, 6, indices, nullptr));
}

VORLUND_SEEDS(fuzz_jpeg)
{
    seeds::writeFile(dir / "grey", writeJpeg(16, 8, 1, samples(16, 8, 1), 75));
    seeds::writeFile(dir / "rgb", writeJpeg(17, 9, 3, samples(17, 9, 3), 75));
    seeds::writeFile(dir / "progressive", writeJpeg(16, 16, 3, samples(16, 16, 3), 60, true));
    seeds::writeFile(dir / "cmyk", writeJpeg(8, 8, 4, samples(8, 8, 4), 75));
}
