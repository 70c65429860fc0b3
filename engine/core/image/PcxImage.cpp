#include "engine/core/image/PcxImage.h"

#include "engine/core/base/Format.h"
#include "engine/core/image/ImageFile.h"
#include "engine/core/base/Report.h"

#include <vector>

namespace {

constexpr uint8_t paletteMarker = 12;
constexpr uint8_t runFlag = 0xC0;
constexpr uint32_t longestRun = 63;

bool fail(const char* message)
{
    reportError(message);
    return false;
}

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
        return fail("loadPCX: Truncated PCX file\n");

    // The reader only knows one byte per pixel in a single plane.
    const uint8_t bitsPerPixel = header[3];
    const uint8_t planes = header[65];
    if (bitsPerPixel != 8 || planes != 1)
        return fail(formatStatic("loadPCX: Unsupported PCX format: %d bit, %d plane(s)\n", int(bitsPerPixel),
                                 int(planes)));
    const int64_t rows = rowCount();
    const int64_t lineBytes = bytesPerLine();
    // Each line holds the image's width and at most some padding after it.
    if (xMax() < xMin() || yMax() < yMin() || xMax() - xMin() + 1 > lineBytes
        || !ImageFile::sizeAllowed(lineBytes, rows))
        return fail(formatStatic("loadPCX: Bad PCX size: %d..%d x %d..%d, %d bytes per line\n", xMin(), xMax(),
                                 yMin(), yMax(), bytesPerLine()));
    const uint64_t total = uint64_t(rows * lineBytes);
    // Every two bytes of run-length data make at most 63 pixels: a header that
    // asks for more than the file can hold is refused before allocating.
    if (total > (uint64_t(body.size()) + 1) / 2 * longestRun)
        return fail("loadPCX: Truncated PCX file\n");

    std::unique_ptr<uint8_t[]> indices(new uint8_t[total]());
    uint64_t filled = 0;
    size_t in = 0;
    while (filled < total) {
        if (in >= body.size())
            return fail("loadPCX: Truncated PCX file\n");
        const uint8_t code = body[in++];
        if ((code & runFlag) == runFlag) {
            if (in >= body.size())
                return fail("loadPCX: Truncated PCX file\n");
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
    // The 256-colour palette is the file's last 769 bytes, a marker and the
    // colours, whatever padding lies between it and the pixels. A file
    // without one gets a grey ramp, never the previous file's colours.
    const size_t paletteStart = body.size() - in >= paletteSize + 1 ? body.size() - paletteSize - 1 : body.size();
    if (paletteStart < body.size() && body[paletteStart] == paletteMarker) {
        for (uint32_t i = 0; i < paletteSize; ++i)
            palette[i] = body[paletteStart + 1 + i];
    } else {
        for (uint32_t i = 0; i < paletteSize; ++i)
            palette[i] = uint8_t(i / 3);
    }
    pixels = std::move(indices);
    return true;
}
