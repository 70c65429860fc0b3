// The decoding stages on arbitrary bytes. The first byte picks the output
// limit of the range decoder, the next four the primary index; the rest is
// the stream. Decoded output then runs through move-to-front and the
// inverse block sort, as an archive entry with flags 3 would, both as two
// calls and as the reader's single in-place call, and the inverse sort once
// more through the piece walk that large blocks take.
#include "engine/core/archive/BlockTransforms.h"
#include "engine/core/archive/LargeBlockInversion.h"
#include "engine/core/archive/RangeDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    const uint32_t limit = uint32_t(data[0]) * 512;
    uint32_t primary;
    std::memcpy(&primary, data + 1, 4);
    DataBuffer source;
    source.resize(int32_t(size - 5));
    if (size > 5)
        std::memcpy(source.data, data + 5, size - 5);

    DataBuffer decoded;
    RangeDecoder decoder;
    decoder.decodeBlock(source, decoded, limit);
    if (uint32_t(decoded.size) > limit)
        __builtin_trap();

    DataBuffer moved;
    decodeMTF(decoded, moved);
    if (moved.size != decoded.size)
        __builtin_trap();
    // The archive reader decodes both stages in one pass; it must agree.
    DataBuffer fused;
    RangeDecoder fusedDecoder;
    fusedDecoder.decodeBlockMoveToFront(source, fused, limit);
    if (fused.size != moved.size || (moved.size > 0 && std::memcmp(fused.data, moved.data, size_t(moved.size)) != 0))
        __builtin_trap();
    DataBuffer restored;
    // Small indices are the interesting ones: fold most inputs into the block.
    const int32_t index = (primary & 0x80000000u) ? int32_t(primary)
                          : moved.size > 0       ? int32_t(primary % uint32_t(moved.size + 2))
                                                 : int32_t(primary);
    const bool restoredOk = inverseBWT(moved, index, restored);
    if (restoredOk && restored.size != moved.size)
        __builtin_trap();
    // The archive reader's single call, in place, must agree with the two stages.
    DataBuffer scratch;
    const bool inPlaceOk = undoBlockSort(decoded, index, scratch, decoded);
    if (inPlaceOk != restoredOk || (inPlaceOk && (decoded.size != restored.size ||
                                                  (restored.size > 0 && std::memcmp(decoded.data, restored.data, size_t(restored.size)) != 0))))
        __builtin_trap();
    // Large blocks are walked in pieces side by side, or a run at a time; on
    // any block, damaged ones included, that must give the bytes of the one
    // chain of links from row 0 that defines the transform.
    if (restoredOk && moved.size >= 2) {
        const uint32_t n = uint32_t(moved.size);
        uint32_t count[256] = {};
        for (uint32_t i = 0; i < n; ++i)
            ++count[moved.data[i]];
        uint32_t start[256];
        for (uint32_t c = 0, sum = 0; c < 256; sum += count[c], ++c)
            start[c] = sum;
        std::vector<uint32_t> link(n);
        uint32_t next[256];
        std::memcpy(next, start, sizeof next);
        for (uint32_t i = 0; i < n; ++i)
            link[i] = next[moved.data[i]]++;
        std::vector<uint8_t> chain(n);
        for (uint32_t k = n, j = 0; k-- > 0;) {
            chain[k] = moved.data[j];
            j = link[j];
            if (j < uint32_t(index))
                ++j;
        }
        std::vector<uint8_t> walked(n);
        if (!restoreLargeBlock(moved.data, moved.size, uint32_t(index), start, count, walked.data()) || walked != chain)
            __builtin_trap();
    }
    return 0;
}
