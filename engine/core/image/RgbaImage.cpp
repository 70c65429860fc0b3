#include "engine/core/image/RgbaImage.h"

std::unique_ptr<RgbaImage> RgbaImage::readFile(const char* name, Stream& fileSystem)
{
    if (!fileSystem.exists(name))
        return nullptr;
    auto image = std::make_unique<RgbaImage>();
    image->name.assignCString(name);
    std::unique_ptr<Stream> file = fileSystem.clone();
    if (!file->openRead(name))
        return nullptr;
    if (file->length > maxFileSize) {
        file->close();
        return nullptr;
    }
    image->size = file->length;
    const uint32_t words = uint32_t((uint64_t(image->size) + 3) / 4);
    if (words)
        image->data.reset(new uint32_t[words]());
    // A file that yields fewer bytes than its length claims is damaged; handing
    // on the zero tail as if it were data would only fail later and obscurely.
    const bool complete = !image->size || file->read(image->data.get(), image->size) == image->size;
    file->close();
    if (!complete)
        return nullptr;
    return image;
}
