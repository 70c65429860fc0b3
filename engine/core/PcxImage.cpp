#include "engine/core/PcxImage.h"

#include "engine/core/ImageFile.h"

#include <vector>

namespace {

constexpr uint8_t paletteMarker = 12;
constexpr uint8_t runFlag = 0xC0;
constexpr uint32_t longestRun = 63;

} // namespace

void PcxImage::release()
{
    pixels.reset();
}

bool PcxImage::load(Stream& stream, const char* name)
{
    release();
    if (!stream.openRead(name))
        return false;
    std::vector<uint8_t> body;
    bool ok = stream.length >= headerSize && stream.read(header, headerSize) == headerSize;
    if (ok) {
        body.resize(stream.length - headerSize);
        ok = stream.read(body.data(), uint32_t(body.size())) == body.size();
    }
    stream.close();
    if (!ok)
        return false;

    // The reader only knows one byte per pixel in a single plane.
    const uint8_t bitsPerPixel = header[3];
    const uint8_t planes = header[65];
    if (bitsPerPixel != 8 || planes != 1)
        return false;
    const int64_t rows = rowCount();
    const int64_t lineBytes = bytesPerLine();
    if (!ImageFile::sizeAllowed(lineBytes, rows))
        return false;
    const uint64_t total = uint64_t(rows * lineBytes);
    // Every two bytes of run-length data make at most 63 pixels: a header that
    // asks for more than the file can hold is refused before allocating.
    if (total > (uint64_t(body.size()) + 1) / 2 * longestRun)
        return false;

    std::unique_ptr<uint8_t[]> indices(new uint8_t[total]());
    uint64_t filled = 0;
    size_t in = 0;
    while (filled < total) {
        if (in >= body.size())
            return false;
        const uint8_t code = body[in++];
        if ((code & runFlag) == runFlag) {
            if (in >= body.size())
                return false;
            const uint8_t value = body[in++];
            uint64_t count = code & longestRun;
            if (count > total - filled)
                count = total - filled;
            for (uint64_t i = 0; i < count; ++i)
                indices[filled++] = value;
        } else {
            indices[filled++] = code;
        }
    }
    if (in < body.size() && body[in] == paletteMarker && body.size() - in - 1 >= paletteSize) {
        for (uint32_t i = 0; i < paletteSize; ++i)
            palette[i] = body[in + 1 + i];
    }
    pixels = std::move(indices);
    return true;
}
