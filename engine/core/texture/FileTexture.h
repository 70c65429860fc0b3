#pragma once
#include "engine/core/image/ImageFile.h"
#include "engine/core/texture/Texture.h"

class Stream;
class StreamRef;

// A texture from an image file (BMP or JPEG), stretched onto a power-of-two
// texture. Once converted, the finished texture is saved beside the image as
// the name + ".dds", and a later load that can see that file creates the
// texture from it and skips the decoding.
class FileTexture : public Texture {
public:
    explicit FileTexture(Renderer* owner);
    ~FileTexture() override;

    std::unique_ptr<Texture> clone() const override;
    void create() override;
    int32_t kind() const override { return TextureKindFile; }
    bool reload() override;

    // Remembers where and what to read; true when the image or its ".dds"
    // copy exists.
    bool load(Stream* fileSystem, const char* name, uint8_t flag);
    // The file system textures read from when none is given.
    static void setDefaultFileSystem(Stream* stream);
    // `text` followed by `suffix`.
    static std::string appendSuffix(const std::string& text, const char* suffix);

    // The decoded image between reload and the end of create.
    std::unique_ptr<ImageFile> m_image;
    StreamRef* m_fileSystem = nullptr;
    uint8_t m_imageFlag = 0;
    uint8_t m_preferDDS = 0;

private:
    void releaseFileSystem();
    void createFromDds();
    void createFromImage();
    void fillLevel(const TexelLevel& level, const ImageFile* alphaImage);
};
