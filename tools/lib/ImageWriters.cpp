#include "tools/lib/ImageWriters.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

void putU16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void putU32(std::vector<uint8_t>& out, uint32_t value)
{
    putU16(out, value & 0xFFFF);
    putU16(out, value >> 16);
}

void setU16(std::vector<uint8_t>& out, size_t at, uint32_t value)
{
    out[at] = uint8_t(value);
    out[at + 1] = uint8_t(value >> 8);
}

} // namespace

std::vector<uint8_t> writeBmp(const BmpLayout& layout, const std::vector<uint32_t>& palette,
                              const std::vector<uint32_t>& pixels)
{
    const uint32_t bytesPerPixel = uint32_t(layout.bitsPerPixel) / 8;
    const uint32_t rowBytes = uint32_t(layout.width) * bytesPerPixel;
    const uint32_t stride = (rowBytes + 3) & ~3u;
    const uint32_t dataOffset =
        14 + layout.infoHeaderSize + uint32_t(palette.size()) * 4 + layout.gapBeforePixels;
    const uint32_t imageBytes = stride * uint32_t(layout.height);

    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    putU32(out, dataOffset + imageBytes);
    putU32(out, 0);
    putU32(out, dataOffset);

    const size_t infoStart = out.size();
    putU32(out, layout.infoHeaderSize);
    putU32(out, uint32_t(layout.width));
    putU32(out, uint32_t(layout.topDown ? -layout.height : layout.height));
    putU16(out, 1);
    putU16(out, uint32_t(layout.bitsPerPixel));
    putU32(out, layout.compression);
    putU32(out, imageBytes);
    putU32(out, 2835); // 72 dpi
    putU32(out, 2835);
    putU32(out, layout.colorsUsed);
    putU32(out, 0);
    // The V4 and V5 extensions: colour masks, colour space "sRGB", endpoints,
    // gamma, and for V5 the intent and an empty profile.
    out.resize(infoStart + layout.infoHeaderSize, 0);
    if (layout.infoHeaderSize >= 108) {
        out[infoStart + 56] = 'B';
        out[infoStart + 57] = 'G';
        out[infoStart + 58] = 'R';
        out[infoStart + 59] = 's';
    }

    for (uint32_t colour : palette) {
        out.push_back(uint8_t(colour));
        out.push_back(uint8_t(colour >> 8));
        out.push_back(uint8_t(colour >> 16));
        out.push_back(0);
    }
    out.resize(out.size() + layout.gapBeforePixels, 0x55);

    for (int32_t stored = 0; stored < layout.height; ++stored) {
        const int32_t y = layout.topDown ? stored : layout.height - 1 - stored;
        for (int32_t x = 0; x < layout.width; ++x) {
            const uint32_t value = pixels[size_t(y) * size_t(layout.width) + size_t(x)];
            if (bytesPerPixel == 1) {
                out.push_back(uint8_t(value));
            } else {
                out.push_back(uint8_t(value));
                out.push_back(uint8_t(value >> 8));
                out.push_back(uint8_t(value >> 16));
            }
        }
        out.resize(out.size() + (stride - rowBytes), 0xEE);
    }
    return out;
}

std::vector<uint8_t> pcxHeader(int width, int height, int bytesPerLine)
{
    std::vector<uint8_t> header(128, 0);
    header[0] = 10; // manufacturer
    header[1] = 5;  // version 3.0 with a 256-colour palette
    header[2] = 1;  // run-length coded
    header[3] = 8;  // bits per pixel
    setU16(header, 8, uint32_t(width - 1));
    setU16(header, 10, uint32_t(height - 1));
    setU16(header, 12, 72);
    setU16(header, 14, 72);
    header[65] = 1; // planes
    setU16(header, 66, uint32_t(bytesPerLine));
    setU16(header, 68, 1); // colour palette
    return header;
}

std::vector<uint8_t> encodePcxRuns(const std::vector<uint8_t>& indices)
{
    std::vector<uint8_t> out;
    size_t i = 0;
    while (i < indices.size()) {
        const uint8_t value = indices[i];
        size_t run = 1;
        while (i + run < indices.size() && indices[i + run] == value && run < 63)
            ++run;
        if (run > 1 || value >= 0xC0) {
            out.push_back(uint8_t(0xC0 | run));
            out.push_back(value);
        } else {
            out.push_back(value);
        }
        i += run;
    }
    return out;
}

std::vector<uint8_t> writePcx(int width, int height, int bytesPerLine, const std::vector<uint8_t>& indices,
                              const std::vector<uint8_t>* palette)
{
    std::vector<uint8_t> out = pcxHeader(width, height, bytesPerLine);
    const std::vector<uint8_t> runs = encodePcxRuns(indices);
    out.insert(out.end(), runs.begin(), runs.end());
    if (palette) {
        out.push_back(12);
        out.insert(out.end(), palette->begin(), palette->end());
    }
    return out;
}

std::vector<uint8_t> writeJpeg(int width, int height, int components, const std::vector<uint8_t>& samples,
                               int quality, bool progressive)
{
    // Our own inputs only: libjpeg's default error handler ends the program,
    // which is the right answer to a writer called with nonsense.
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    const size_t rowBytes = size_t(width) * size_t(components);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(samples.data() + cinfo.next_scanline * rowBytes);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}
