#pragma once
#include "engine/core/io/Stream.h"

#include <cstdint>
#include <memory>

// An 8-bit palettised PCX picture, kept as its header, its 256-colour palette
// and one index byte per pixel (rows of `bytesPerLine` bytes, top row first).
class PcxImage {
public:
    static constexpr uint32_t headerSize = 128;
    static constexpr uint32_t paletteSize = 768;

    // The file's 128-byte header as stored; the fields below are read from it.
    uint8_t header[headerSize] = {};
    // 256 red, green, blue triples from the end of the file; a grey ramp
    // when the file carries none.
    uint8_t palette[paletteSize] = {};
    std::unique_ptr<uint8_t[]> pixels;

    PcxImage() = default;

    // False when the file is missing, cut short, not an 8-bit single-plane
    // picture, or of a size its lines cannot hold; the image then holds no
    // pixels, and each refusal but a missing file is reported with its cause.
    bool load(Stream& stream, const char* name);
    // Frees the index array.
    void release();

    int32_t xMin() const { return headerU16(4); }
    int32_t yMin() const { return headerU16(6); }
    int32_t xMax() const { return headerU16(8); }
    int32_t yMax() const { return headerU16(10); }
    int32_t bytesPerLine() const { return headerU16(66); }
    int32_t rowCount() const { return yMax() - yMin() + 1; }

private:
    int32_t headerU16(uint32_t offset) const { return header[offset] | header[offset + 1] << 8; }
};
