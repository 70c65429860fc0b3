#include "engine/core/texture/FileTexture.h"

#include "engine/core/base/EngineLog.h"
#include "engine/core/base/Format.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/core/io/StreamRef.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/d3dx/D3DXImageInfo.h"
#include "platform/d3dx/D3DXTexture.h"

namespace {

const char* const ddsSuffix = ".dds";

// Texture names come from data files. The cache copy goes beside the name,
// relative to the current directory; a name that would climb out of it (an
// absolute path or a ".." component) gets no copy rather than a file written
// anywhere on the disk.
bool staysInWorkingDirectory(const std::string& name)
{
    if (name.empty() || name[0] == '/' || name[0] == '\\')
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = name.size();
        if (name.compare(start, end - start, "..") == 0 && end - start == 2)
            return false;
        start = end + 1;
    }
    return true;
}

void logMissing(const std::string& name)
{
    engineLog() << "Missing texture \"" << name << "\" !!!" << '\n';
}

} // namespace

FileTexture::FileTexture(Renderer* owner) : Texture(owner)
{
    m_flags = TextureConvert | TextureMipChain;
}

FileTexture::~FileTexture()
{
    releaseFileSystem();
}

void FileTexture::releaseFileSystem()
{
    if (m_fileSystem && --m_fileSystem->refCount <= 0)
        delete m_fileSystem;
    m_fileSystem = nullptr;
}

std::unique_ptr<Texture> FileTexture::clone() const
{
    auto copy = std::make_unique<FileTexture>(m_owner);
    copyConfigurationTo(*copy);
    copy->m_fileSystem = m_fileSystem;
    if (m_fileSystem)
        ++m_fileSystem->refCount;
    copy->m_imageFlag = m_imageFlag;
    copy->m_preferDDS = m_preferDDS;
    return copy;
}

void FileTexture::setDefaultFileSystem(Stream* stream)
{
    ::setDefaultFileSystem(stream);
}

std::string FileTexture::appendSuffix(const std::string& text, const char* suffix)
{
    return text + (suffix ? suffix : "");
}

bool FileTexture::load(Stream* fileSystem, const char* name, uint8_t flag)
{
    releaseFileSystem();
    if (!fileSystem || fileSystem == defaultStream())
        m_fileSystem = defaultStreamRef();
    else
        m_fileSystem = new StreamRef(*fileSystem);
    if (m_fileSystem)
        ++m_fileSystem->refCount;
    m_name = name ? name : "";
    m_imageFlag = flag;
    m_preferDDS = 0;
    if (!m_fileSystem || !m_fileSystem->stream || m_name.empty())
        return false;
    Stream& stream = *m_fileSystem->stream;
    m_preferDDS = stream.exists(appendSuffix(m_name, ddsSuffix).c_str()) ? 1 : 0;
    return m_preferDDS || stream.exists(m_name.c_str());
}

bool FileTexture::reload()
{
    m_image.reset();
    if (m_fileSystem && m_fileSystem->stream && !m_name.empty())
        m_image = loadImage(*m_fileSystem->stream, m_name.c_str(), m_imageFlag);
    return m_image && m_image->data;
}

void FileTexture::create()
{
    if (m_created)
        return;
    m_created = 1;
    if (m_preferDDS)
        createFromDds();
    if (!getFirstTexture())
        createFromImage();
}

void FileTexture::createFromDds()
{
    const std::string ddsName = appendSuffix(m_name, ddsSuffix);
    std::unique_ptr<RgbaImage> file;
    if (m_fileSystem && m_fileSystem->stream)
        file = RgbaImage::readFile(ddsName.c_str(), *m_fileSystem->stream);
    D3DXIMAGE_INFO info {};
    bool ok = file && SUCCEEDED(D3DXGetImageInfoFromFileInMemory(file->bytes(), file->size, &info));
    if (ok) {
        resetHeadSlots();
        chooseFormat();
        const UINT mips = (m_flags & TextureMipChain) ? 0 : 1;
        for (int32_t head = 0; ok && head < headCount(); ++head) {
            IDirect3DDevice9* device = headDevice(head);
            IDirect3DTexture9* texture = nullptr;
            ok = device && SUCCEEDED(D3DXCreateTextureFromFileInMemoryEx(
                               device, file->bytes(), file->size, info.Width, info.Height, mips, 0, m_format, m_pool,
                               D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &texture));
            if (ok)
                m_textures[size_t(head)] = texture;
        }
    }
    if (!ok) {
        reportError(formatStatic("Loading texture \"%s\" from .dds-file failed!!!\n", m_name.c_str()));
        // A damaged or foreign copy must not hide the image for good: the
        // image is converted instead, and its copy written anew.
        releaseTextures();
        return;
    }
    IDirect3DTexture9* first = getFirstTexture();
    D3DSURFACE_DESC desc {};
    first->GetLevelDesc(0, &desc);
    m_width = int32_t(desc.Width);
    m_height = int32_t(desc.Height);
    m_levelCount = first->GetLevelCount();
}

void FileTexture::createFromImage()
{
    if (!reload()) {
        logMissing(m_name);
        return;
    }
    ImageFile* alphaImage = nullptr;
    FileTexture* alphaTexture = nullptr;
    if (m_alphaSource && m_alphaSource->kind() == TextureKindFile) {
        alphaTexture = static_cast<FileTexture*>(m_alphaSource);
        if (alphaTexture->reload()) {
            alphaImage = alphaTexture->m_image.get();
        } else {
            logMissing(alphaTexture->m_name);
            reportError(formatStatic("Missing alpha texture \"%s\" !!!\n", alphaTexture->m_name.c_str()));
        }
    }

    uint32_t width = 0, height = 0;
    const D3DCAPS9 caps = m_owner ? m_owner->m_caps : D3DCAPS9 {};
    fileTextureSize(m_image->width, m_image->height, m_flags, caps, m_owner ? m_owner->m_textureDetail : 0,
                    &width, &height);
    bool filled = false;
    if (createTexture(m_flags, "", width, height)) {
        TexelLevel level {};
        if (lockTexels(0, &level)) {
            fillLevel(level, alphaImage);
            unlockTexels(0);
            filled = true;
        }
    }
    m_image.reset();
    if (alphaTexture)
        alphaTexture->m_image.reset();
    if (!filled) {
        // Nothing was written: a texture of undefined texels is worse than none.
        releaseTextures();
        return;
    }
    upload();
    // The copy is a cache: where it cannot be written the texture is simply
    // converted again next time.
    if (staysInWorkingDirectory(m_name))
        D3DXSaveTextureToFileA(appendSuffix(m_name, ddsSuffix).c_str(), D3DXIFF_DDS, getFirstTexture(), nullptr);
}

void FileTexture::fillLevel(const TexelLevel& level, const ImageFile* alphaImage)
{
    const ImageFile& image = *m_image;
    // An alpha-only texture takes its alpha from its own image; the alpha
    // image and the conversion it overrides play no part there.
    if (alphaImage && !(m_flags & TextureAlphaOnly))
        m_conversion = 0;
    NearestSteps rows(image.height, level.height);
    NearestSteps alphaRows(alphaImage ? alphaImage->height : 1, level.height);
    for (uint32_t y = 0; y < level.height; ++y) {
        const int32_t iy = rows.next();
        const int32_t ay = alphaRows.next();
        NearestSteps columns(image.width, level.width);
        NearestSteps alphaColumns(alphaImage ? alphaImage->width : 1, level.width);
        uint32_t* out = level.row(y);
        for (uint32_t x = 0; x < level.width; ++x) {
            const uint32_t p = image.pixel(columns.next(), iy);
            const int32_t ax = alphaColumns.next();
            if (m_flags & TextureAlphaOnly) {
                out[x] = (255 - pixelIntensity(p)) << 24;
            } else if (alphaImage) {
                const uint32_t keep = 255 - pixelIntensity(alphaImage->pixel(ax, ay));
                out[x] = (p & 0x00FFFFFFu) | (((p >> 24) & keep) << 24);
            } else {
                out[x] = convertPixel(p, m_conversion);
            }
        }
    }
}
