// Seeds for the archive fuzz targets: small archives of both versions with
// every flag combination, and range-coded blocks with their primary index.
#include "SeedRegistry.h"

#include "tools/lib/ArchiveWriter.h"
#include "tools/lib/BlockSortEncoder.h"
#include "tools/lib/RangeEncoder.h"

#include <string>
#include <vector>

namespace {

std::vector<unsigned char> sampleBytes(size_t n, unsigned seed)
{
    std::vector<unsigned char> out(n);
    unsigned state = seed * 2654435761u + 1;
    for (size_t i = 0; i < n; ++i) {
        state = state * 1103515245u + 12345u;
        // Mostly a few letters, so the block sort has runs to find.
        out[i] = (state >> 16) % 7 == 0 ? (unsigned char)(state >> 24) : (unsigned char)("abcab"[i % 5]);
    }
    return out;
}

} // namespace

VORLUND_SEEDS(fuzz_archive)
{
    for (int version : {0, 1}) {
        ArchiveWriter writer;
        writer.addEntry("stored.txt", sampleBytes(40, 1), 0);
        writer.addEntry("Range.bin", sampleBytes(60, 2), 1);
        writer.addEntry("dir\\sorted", sampleBytes(50, 3), 2);
        writer.addEntry("dir\\packed", sampleBytes(200, 4), 3);
        writer.addEntry("empty", {}, 3);
        seeds::writeFile(dir / ("mixed_v" + std::to_string(version)), writer.build(version));

        ArchiveWriter single;
        single.addEntry("a", sampleBytes(300, 5), 3);
        seeds::writeFile(dir / ("single_v" + std::to_string(version)), single.build(version));
    }
}

VORLUND_SEEDS(fuzz_decoder)
{
    const size_t sizes[] = {0, 1, 2, 17, 300, 2000};
    for (size_t n : sizes) {
        const std::vector<unsigned char> block = sampleBytes(n, unsigned(n));
        const BlockSortResult sorted = forwardBWT(block.data(), int32_t(block.size()));
        const std::vector<uint8_t> moved = encodeMTF(sorted.lastColumn.data(), sorted.lastColumn.size());
        const std::vector<uint8_t> coded = RangeEncoder::encodeBlock(moved.data(), moved.size());
        std::vector<unsigned char> input;
        input.push_back((unsigned char)((n + 511) / 512));
        for (int i = 0; i < 4; ++i)
            input.push_back((unsigned char)(uint32_t(sorted.primaryIndex) >> (8 * i)));
        input.insert(input.end(), coded.begin(), coded.end());
        seeds::writeFile(dir / ("block_" + std::to_string(n)), input);
    }
}
