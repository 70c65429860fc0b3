#include "engine/core/image/BmpReader.h"

#include "engine/core/base/Format.h"
#include "engine/core/base/Report.h"
#include "platform/memory/LittleEndian.h"

#include <vector>

namespace {

constexpr uint32_t fileHeaderSize = 14;
constexpr uint32_t bmpMagic = 0x4D42; // "BM"

// The info header sizes whose first 40 bytes are the classic BITMAPINFOHEADER:
// the plain one, the two Adobe variants with colour masks, V4 and V5. The
// larger ones are what most image editors write today.
bool knownInfoHeader(uint32_t size)
{
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// Closes the stream on every way out of the decoder.
struct CloseOnExit {
    Stream& stream;
    ~CloseOnExit() { stream.close(); }
};

std::unique_ptr<ImageFile> fail(const char* message)
{
    reportError(message);
    return nullptr;
}

} // namespace

std::unique_ptr<ImageFile> loadBMP(const char* name, Stream& stream, int keepRowOrder)
{
    if (!stream.openRead(name))
        return nullptr;
    CloseOnExit closer{stream};
    const uint32_t fileLength = stream.length;

    // Two bytes are enough to tell another kind of file, however short it is,
    // from a damaged bitmap.
    uint8_t header[fileHeaderSize + 40];
    const uint32_t headerRead = stream.read(header, sizeof header);
    if (headerRead < 2)
        return fail("loadBMP: Truncated BMP file\n");
    const uint32_t type = readLe16(header);
    if (type != bmpMagic)
        return fail(formatStatic("loadBMP: Unknown file type: %x\n", type));
    if (headerRead != sizeof header)
        return fail("loadBMP: Truncated BMP file\n");

    const uint8_t* info = header + fileHeaderSize;
    const uint32_t dataOffset = readLe32(header + 10);
    const uint32_t infoSize = readLe32(info);
    const int32_t biWidth = int32_t(readLe32(info + 4));
    const int32_t biHeight = int32_t(readLe32(info + 8));
    const uint32_t bitCount = readLe16(info + 14);
    const uint32_t compression = readLe32(info + 16);
    uint32_t colorsUsed = readLe32(info + 32);

    if (!knownInfoHeader(infoSize))
        return fail(formatStatic("loadBMP: Unsupported BMP header size: %u\n", infoSize));
    // Run-length, bit-field, JPEG and PNG bitmaps would be read as raw rows
    // of garbage; the last two give no colour depth at all.
    if (compression != 0)
        return fail(formatStatic("loadBMP: Unsupported BMP compression: %u\n", compression));
    if (bitCount != 8 && bitCount != 24)
        return fail(formatStatic("loadBMP: Wrong BMP color depth: %d bit\n", int(bitCount)));

    // A negative height marks a bitmap stored top row first.
    const bool storedTopDown = biHeight < 0;
    const int64_t width = biWidth;
    const int64_t height = storedTopDown ? -int64_t(biHeight) : int64_t(biHeight);
    if (!ImageFile::sizeAllowed(width, height))
        return fail(formatStatic("loadBMP: Bad BMP size: %d x %d\n", int(biWidth), int(biHeight)));

    if (bitCount == 8 && colorsUsed == 0)
        colorsUsed = 256;
    if (bitCount == 24)
        colorsUsed = 0; // a 24-bit bitmap's palette, if any, is only a hint
    if (colorsUsed > 256)
        return fail(formatStatic("loadBMP: Bad BMP palette size: %u\n", colorsUsed));

    // The palette follows the info header, whatever its size; the pixels start
    // where the file header says, which for the larger headers is not right
    // after a 40-byte one.
    const uint64_t paletteOffset = uint64_t(fileHeaderSize) + infoSize;
    const uint64_t paletteEnd = paletteOffset + uint64_t(colorsUsed) * 4;
    const uint64_t rowBytes = uint64_t(width) * (bitCount / 8);
    const uint64_t stride = (rowBytes + 3) & ~uint64_t(3);
    if (dataOffset < paletteEnd || dataOffset > fileLength)
        return fail(formatStatic("loadBMP: Bad BMP data offset: %u\n", dataOffset));
    if (uint64_t(dataOffset) + stride * uint64_t(height) > fileLength)
        return fail("loadBMP: Truncated BMP file\n");

    // Indices past the colours used show as opaque black.
    uint32_t palette[256];
    for (uint32_t& entry : palette)
        entry = 0xFF000000u;
    if (colorsUsed) {
        uint8_t raw[256 * 4];
        if (!stream.seekSet(uint32_t(paletteOffset)) || stream.read(raw, colorsUsed * 4) != colorsUsed * 4)
            return fail("loadBMP: Truncated BMP file\n");
        for (uint32_t i = 0; i < colorsUsed; ++i) {
            const uint8_t* bgrx = raw + i * 4;
            palette[i] = 0xFF000000u | uint32_t(bgrx[2]) << 16 | uint32_t(bgrx[1]) << 8 | bgrx[0];
        }
    }
    if (!stream.seekSet(dataOffset))
        return fail("loadBMP: Truncated BMP file\n");

    auto image = std::make_unique<ImageFile>();
    image->name.assignCString(name);
    image->allocate(int32_t(width), int32_t(height));

    // Without keepRowOrder the picture comes out upright: a bottom-up file's
    // first stored row is the last image row.
    const bool reverse = storedTopDown == bool(keepRowOrder);
    std::vector<uint8_t> rowData(stride);
    for (int32_t stored = 0; stored < int32_t(height); ++stored) {
        if (stream.read(rowData.data(), uint32_t(stride)) != stride)
            return fail("loadBMP: Truncated BMP file\n");
        uint32_t* out = image->row(reverse ? int32_t(height) - 1 - stored : stored);
        const uint8_t* in = rowData.data();
        if (bitCount == 8) {
            for (int32_t x = 0; x < int32_t(width); ++x)
                out[x] = palette[in[x]];
        } else {
            for (int32_t x = 0; x < int32_t(width); ++x, in += 3)
                out[x] = 0xFF000000u | uint32_t(in[2]) << 16 | uint32_t(in[1]) << 8 | in[0];
        }
    }
    return image;
}
