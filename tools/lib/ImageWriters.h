#pragma once
#include <cstdint>
#include <vector>

// Writers of small BMP, PCX and JPEG files in memory, for our own data and for
// test fixtures and fuzz seeds. Colours are 0xRRGGBB. The layouts can be bent
// out of shape on purpose (odd header fields, missing palettes) so that tests
// can build the damaged files a reader must refuse.

struct BmpLayout {
    int32_t width = 1;
    int32_t height = 1;
    int bitsPerPixel = 24;          // 8 or 24; other values are written as they are
    uint32_t infoHeaderSize = 40;   // 40 classic, 108 V4, 124 V5
    bool topDown = false;           // negative height: rows stored top row first
    uint32_t colorsUsed = 0;        // the biClrUsed field as written
    uint32_t compression = 0;
    uint32_t gapBeforePixels = 0;   // bytes between palette and pixels, counted in bfOffBits
};

// `palette` entries are written after the info header (8-bit files); `pixels`
// holds width x height values from the top row: palette indices for 8 bits,
// colours for 24. Row padding is filled with 0xEE so a reader that fails to
// skip it shows.
std::vector<uint8_t> writeBmp(const BmpLayout& layout, const std::vector<uint32_t>& palette,
                              const std::vector<uint32_t>& pixels);

// The 128-byte header of an 8-bit single-plane PCX file.
std::vector<uint8_t> pcxHeader(int width, int height, int bytesPerLine);
// PCX run-length coding of `indices`: runs of equal bytes and single bytes of
// 192 or more become a count byte and a value; runs stop at 63.
std::vector<uint8_t> encodePcxRuns(const std::vector<uint8_t>& indices);
// A whole PCX file; `palette` (768 bytes of RGB triples) is appended after the
// marker byte 12 when given.
std::vector<uint8_t> writePcx(int width, int height, int bytesPerLine, const std::vector<uint8_t>& indices,
                              const std::vector<uint8_t>* palette);

// A baseline (or progressive) JPEG from interleaved 8-bit samples, top row
// first: 1 per pixel is grey, 3 RGB, 4 CMYK.
std::vector<uint8_t> writeJpeg(int width, int height, int components, const std::vector<uint8_t>& samples,
                               int quality = 95, bool progressive = false);
