// Feeds arbitrary bytes to the JPEG decoder as a file named "f.jpg".
#include "engine/core/image/JpegReader.h"
#include "engine/core/base/Report.h"
#include "tools/lib/MemoryFileSystem.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    reportLevel = 3;
    reportToText = 1;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryFileSystem files;
    files.addFile("f.jpg", data, size);
    std::unique_ptr<ImageFile> image = loadJPEG(files, "f.jpg", 0);
    if (image) {
        uint32_t sum = 0;
        for (int64_t i = 0; i < int64_t(image->width) * image->height; ++i)
            sum += image->data[i];
        (void)sum;
    }
    return 0;
}
