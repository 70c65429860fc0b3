// The decoding stages on arbitrary bytes. The first byte picks the output
// limit of the range decoder, the next four the primary index; the rest is
// the stream. Decoded output then runs through move-to-front and the
// inverse block sort, as an archive entry with flags 3 would.
#include "engine/core/BlockTransforms.h"
#include "engine/core/RangeDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

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
    DataBuffer restored;
    // Small indices are the interesting ones: fold most inputs into the block.
    const int32_t index = (primary & 0x80000000u) ? int32_t(primary)
                          : moved.size > 0       ? int32_t(primary % uint32_t(moved.size + 2))
                                                 : int32_t(primary);
    if (inverseBWT(moved, index, restored) && restored.size != moved.size)
        __builtin_trap();
    return 0;
}
