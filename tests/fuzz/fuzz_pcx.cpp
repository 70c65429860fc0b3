// Feeds arbitrary bytes to the PCX reader as a file named "f.pcx", twice into
// the same image so that a second load over a first one is exercised too.
#include "engine/core/image/PcxImage.h"
#include "tools/lib/MemoryFileSystem.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryFileSystem files;
    files.addFile("f.pcx", data, size);
    PcxImage image;
    for (int pass = 0; pass < 2; ++pass) {
        if (image.load(files, "f.pcx")) {
            const int64_t count = int64_t(image.rowCount()) * image.bytesPerLine();
            uint32_t sum = 0;
            for (int64_t i = 0; i < count; ++i)
                sum += image.pixels[i];
            (void)sum;
        }
    }
    image.release();
    return 0;
}
