#pragma once
#include "engine/core/base/ByteBuffer.h"

#include <cstdint>
#include <stdexcept>

// The archive's entropy stage: a carry-less range decoder (32-bit code, 7
// extra bits, bottom value 2^23) over an adaptive order-0 model of the 256
// byte values plus an end-of-block symbol. Every constant and every rounding
// step is part of the archive format.
class RangeDecoder {
public:
    class Error : public std::runtime_error {
    public:
        Error() : std::runtime_error("invalid source stream") {}
    };

    static constexpr uint32_t kSymbolCount = 257;
    static constexpr uint32_t kEndOfBlock = 256;
    static constexpr uint32_t kBottomValue = 0x800000;

    uint32_t low = 0;
    uint32_t range = 0;
    uint32_t help = 0;  // range / total of the current step
    uint8_t buffer = 0; // the last byte read
    DataBuffer* source = nullptr;

    // The next source byte; past the end of the source the stream reads as 0xFF.
    uint8_t readByte();
    void normalize();

    // Decodes one block from the start of `source` into `output`, whose size
    // becomes the decoded count. A stream that holds more than `limit` symbols
    // before its end-of-block symbol is corrupt: decoding stops there and the
    // answer is false, so no input can make the output grow without bound.
    bool decodeBlock(DataBuffer& source, DataBuffer& output, uint32_t limit);

    // decodeBlock followed by decodeMTF (BlockTransforms.h) on its output,
    // in one pass: the output is the move-to-front decoded bytes.
    bool decodeBlockMoveToFront(DataBuffer& source, DataBuffer& output, uint32_t limit);

private:
    template <bool kMoveToFront>
    bool decodeSymbols(DataBuffer& source, DataBuffer& output, uint32_t limit);
};
