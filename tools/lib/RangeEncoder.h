#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The packer's range coder: the exact mirror of the engine's RangeDecoder
// (32-bit code, 7 extra bits, bottom value 2^23, the adaptive 257-symbol
// model). Carries are propagated into the bytes already written.
class RangeEncoder {
public:
    explicit RangeEncoder(uint8_t headerByte = 0);

    void encode(uint32_t cumulative, uint32_t frequency, uint32_t total);
    // Writes out every bit of the final low value, so the decoder never has
    // to lean on the 0xFF bytes it reads past the end.
    std::vector<uint8_t> finish();

    // One whole entry: every byte through the adaptive model, then the
    // end-of-block symbol.
    static std::vector<uint8_t> encodeBlock(const uint8_t* data, size_t n);

private:
    void shiftByte();

    std::vector<uint8_t> m_out;
    uint64_t m_low = 0; // 31-bit window plus the carry bit
    uint32_t m_range = 0x80000000u;
};
