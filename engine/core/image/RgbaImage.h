#pragma once
#include "engine/core/base/ByteBuffer.h"
#include "engine/core/base/ObjectBase.h"
#include "engine/core/io/Stream.h"

#include <cstdint>
#include <memory>

// A block of image bytes with a reference count. On its own it holds a whole
// raw file (DDS files go to the device library undecoded); as an ImageFile it
// holds decoded pixels. The storage is in 32-bit words, so a raw file's
// allocation is its size rounded up to a multiple of 4 bytes.
class RgbaImage : public ObjectBase {
public:
    int32_t refCount = 1;
    std::unique_ptr<uint32_t[]> data;
    uint32_t size = 0; // byte count of a raw file
    ByteBuffer name;

    // Larger files are refused: a damaged archive entry can claim any length.
    static constexpr uint32_t maxFileSize = 256u << 20;

    // The whole file as a raw holder, or null when it is missing, too large or
    // cannot be read in full.
    static std::unique_ptr<RgbaImage> readFile(const char* name, Stream& fileSystem);

    uint8_t* bytes() { return reinterpret_cast<uint8_t*>(data.get()); }
    const uint8_t* bytes() const { return reinterpret_cast<const uint8_t*>(data.get()); }
};
