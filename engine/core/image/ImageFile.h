#pragma once
#include "engine/core/image/RgbaImage.h"

// A decoded image: `width` x `height` pixels of 0xAARRGGBB, row by row from
// the top, in `data`.
class ImageFile : public RgbaImage {
public:
    // The decoders refuse anything larger before allocating: a header is
    // untrusted, and no texture the device accepts comes near these sizes.
    static constexpr int32_t maxSide = 16384;
    static constexpr int64_t maxPixels = int64_t(4096) * 4096;

    int32_t width = 0;
    int32_t height = 0;

    static bool sizeAllowed(int64_t width, int64_t height)
    {
        return width > 0 && height > 0 && width <= maxSide && height <= maxSide && width * height <= maxPixels;
    }

    // Sets the size and allocates its pixels, all opaque black.
    void allocate(int32_t newWidth, int32_t newHeight);

    uint32_t* row(int32_t y) { return data.get() + int64_t(y) * width; }
    uint32_t pixel(int32_t x, int32_t y) const { return data[int64_t(y) * width + x]; }
};

// Decodes a BMP or JPEG file (by its extension) found in `fileSystem`; null
// when the file is missing, of another kind or damaged. `keepRowOrder` turns a
// bitmap over (see loadBMP); JPEG ignores it.
std::unique_ptr<ImageFile> loadImage(Stream& fileSystem, const char* name, int keepRowOrder);
