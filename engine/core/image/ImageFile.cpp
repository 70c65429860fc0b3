#include "engine/core/image/ImageFile.h"

#include "engine/core/image/BmpReader.h"
#include "engine/core/image/JpegReader.h"

#include <cctype>
#include <cstring>

void ImageFile::allocate(int32_t newWidth, int32_t newHeight)
{
    width = newWidth;
    height = newHeight;
    const int64_t count = int64_t(newWidth) * newHeight;
    data.reset(new uint32_t[count]);
    for (int64_t i = 0; i < count; ++i)
        data[i] = 0xFF000000u;
}

static bool hasExtension(const char* name, const char* extension)
{
    const size_t length = std::strlen(name);
    if (length < 3)
        return false;
    const char* tail = name + length - 3;
    for (int i = 0; i < 3; ++i)
        if (std::tolower(static_cast<unsigned char>(tail[i])) != extension[i])
            return false;
    return true;
}

std::unique_ptr<ImageFile> loadImage(Stream& fileSystem, const char* name, int keepRowOrder)
{
    if (!fileSystem.exists(name))
        return nullptr;
    std::unique_ptr<Stream> file = fileSystem.clone();
    if (hasExtension(name, "bmp"))
        return loadBMP(name, *file, keepRowOrder);
    if (hasExtension(name, "jpg"))
        return loadJPEG(*file, name, keepRowOrder);
    return nullptr;
}
