#include "engine/core/texture/Texture.h"

#include "engine/core/display/DisplayManager.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/d3d9/TextureFormatLayout.h"
#include "platform/d3dx/D3DXTexture.h"

#include <algorithm>
#include <cstring>

namespace {

// The widest channel layout any texture may take: 32-bit floating-point
// channels of up to two sub-elements.
constexpr uint32_t anyChannel = 0x20220;

void release(IDirect3DTexture9*& texture)
{
    if (texture)
        texture->Release();
    texture = nullptr;
}

} // namespace

Texture::Texture(Renderer* owner) : m_owner(owner)
{
    m_textures.assign(size_t(headCount()), nullptr);
}

Texture::~Texture()
{
    releaseTextures();
}

void Texture::releaseTextures()
{
    for (IDirect3DTexture9*& texture : m_textures)
        release(texture);
}

void Texture::resetHeadSlots()
{
    releaseTextures();
    m_textures.assign(size_t(headCount()), nullptr);
}

int32_t Texture::headCount() const
{
    if (!m_owner || !m_owner->m_displayManager || m_owner->m_displayManager->m_heads.empty())
        return 1;
    return int32_t(m_owner->m_displayManager->m_heads.size());
}

IDirect3DDevice9* Texture::headDevice(int32_t head) const
{
    if (!m_owner)
        return nullptr;
    const DisplayManager* dm = m_owner->m_displayManager;
    if (dm && head >= 0 && size_t(head) < dm->m_heads.size())
        return dm->m_heads[size_t(head)].device;
    return head == 0 ? m_owner->m_device : nullptr;
}

IDirect3DTexture9* Texture::getD3DTexture(double time)
{
    // The renderer draws through the first head; the other heads' copies
    // are for their own devices' passes.
    return getFirstTexture();
}

IDirect3DTexture9* Texture::getFirstTexture()
{
    return m_textures.empty() ? nullptr : m_textures[0];
}

void Texture::setFlags(uint32_t flags)
{
    m_flags = flags;
}

IDirect3DSurface9* Texture::getSurface()
{
    IDirect3DTexture9* first = getFirstTexture();
    if (m_pool != D3DPOOL_DEFAULT || !first)
        return nullptr;
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(first->GetSurfaceLevel(0, &surface)))
        return nullptr;
    return surface;
}

void Texture::onLostDevice()
{
    if (m_pool == D3DPOOL_DEFAULT)
        releaseTextures();
}

void Texture::onResetDevice()
{
    if (m_pool == D3DPOOL_DEFAULT && m_created && !getFirstTexture()) {
        // A converted texture's format is the one its texels were converted
        // into; they are written anew as 32-bit words, so the texture starts
        // again from the format the conversion starts from.
        if (m_flags & TextureConvert)
            m_format = D3DFMT_A8R8G8B8;
        m_created = 0;
        create();
    }
}

void Texture::preload()
{
    for (IDirect3DTexture9* texture : m_textures)
        if (texture)
            texture->PreLoad();
}

void Texture::copyConfigurationTo(Texture& copy) const
{
    copy.m_name = m_name;
    copy.m_flags = m_flags;
    copy.m_format = m_format;
    copy.m_pool = m_pool;
    copy.m_rate = m_rate;
    copy.m_alphaSource = m_alphaSource;
    copy.m_conversion = m_conversion;
    copy.m_scalarParameter = m_scalarParameter;
}

FormatRequirements Texture::formatRequirements(uint32_t flags, int32_t conversion, bool hasAlphaSource)
{
    const uint32_t c = ((flags & TextureAlphaOnly) && !(flags & TextureColour)) ? 0 : 5;
    uint32_t a;
    if (flags & TextureAlphaTested)
        a = 1;
    else if ((flags & TextureAlphaOnly) || hasAlphaSource)
        a = 4;
    else
        a = conversion == 0 ? 1 : 0;
    FormatRequirements r;
    r.m_min[0] = a ? 1 : 0;
    r.m_preferred[0] = a;
    for (int i = 1; i < 4; ++i) {
        r.m_min[i] = c ? 1 : 0;
        r.m_preferred[i] = c;
    }
    for (uint32_t& m : r.m_max)
        m = anyChannel;
    r.m_requiredFlags = 0;
    r.m_allowedFlags = FormatClassDisplay;
    r.avoid(FormatClassBlockAlpha);
    r.avoid(FormatClassCompressed);
    r.avoid(FormatClassFloat);
    return r;
}

const FormatDescription* Texture::chooseTextureFormat(const FormatRequirements& requirements,
                                                     const std::vector<const FormatDescription*>& candidates)
{
    // The score weighs a format's size before the avoided flags, so a 4-bit
    // block format would outscore the 16-bit formats a texture is meant to
    // get, and block formats cost a lossy re-encode on every conversion.
    // Avoiding a class therefore rules it out whenever a candidate without it
    // qualifies, in the order the classes were avoided.
    std::vector<const FormatDescription*> pool = candidates;
    for (int32_t mask : requirements.m_preferredFlags) {
        if (mask >= 0)
            continue;
        const uint32_t avoided = uint32_t(-int64_t(mask));
        std::vector<const FormatDescription*> without;
        for (const FormatDescription* d : pool)
            if (d && (d->flags & avoided) != avoided && requirements.score(*d) >= 0)
                without.push_back(d);
        if (!without.empty())
            pool = std::move(without);
    }
    return requirements.choose(pool);
}

void Texture::chooseFormat()
{
    if (m_flags & TextureConvert) {
        const FormatRequirements r = formatRequirements(m_flags, m_conversion, m_alphaSource != nullptr);
        std::vector<const FormatDescription*> candidates;
        const DisplayManager* dm = m_owner ? m_owner->m_displayManager : nullptr;
        if (dm && !dm->m_heads.empty() && dm->m_heads[0].adapter)
            candidates = dm->m_heads[0].adapter->textureFormats;
        const FormatDescription* fdesc = chooseTextureFormat(r, candidates);
        ENGINE_ASSERT(fdesc != 0 && "device does not support appropriate texture formats!");
        m_format = fdesc ? fdesc->format : D3DFMT_UNKNOWN;
    }
    m_pool = (m_flags & TextureDynamic) ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED;
}

bool Texture::createTexture(uint32_t flags, const char* name, uint32_t width, uint32_t height)
{
    if (m_name.empty() && name && *name)
        m_name = name;
    m_flags = flags;
    m_width = int32_t(width);
    m_height = int32_t(height);
    DWORD usage = 0;
    m_pool = (flags & TextureConvert) ? D3DPOOL_SCRATCH : D3DPOOL_MANAGED;
    if (flags & TextureDynamic) {
        m_pool = D3DPOOL_DEFAULT;
        usage = D3DUSAGE_DYNAMIC;
    }
    const UINT levels = (flags & TextureMipChain) ? 0 : 1;

    resetHeadSlots();
    m_levelCount = 0;
    IDirect3DDevice9* device = headDevice(0);
    if (!device)
        return false;
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(device->CreateTexture(width, height, levels, usage, m_format, m_pool, &texture, nullptr))) {
        // Staged in memory instead: upload converts it into a format the
        // device does take.
        m_flags |= TextureConvert;
        m_pool = D3DPOOL_SCRATCH;
        texture = nullptr;
        if (FAILED(device->CreateTexture(width, height, levels, 0, m_format, m_pool, &texture, nullptr)))
            return false;
    }
    m_textures[0] = texture;
    m_levelCount = texture->GetLevelCount();
    return true;
}

bool Texture::lockTexels(uint32_t level, TexelLevel* texels)
{
    IDirect3DTexture9* texture = getFirstTexture();
    D3DSURFACE_DESC desc {};
    if (!texture || FAILED(texture->GetLevelDesc(level, &desc)))
        return false;
    // Texels are written as 32-bit words; any other layout would be overrun.
    if (desc.Format != D3DFMT_A8R8G8B8 && desc.Format != D3DFMT_X8R8G8B8)
        return false;
    D3DLOCKED_RECT locked {};
    if (FAILED(texture->LockRect(level, &locked, nullptr, 0)))
        return false;
    *texels = TexelLevel {static_cast<uint8_t*>(locked.pBits), size_t(locked.Pitch), desc.Width, desc.Height};
    return true;
}

void Texture::unlockTexels(uint32_t level)
{
    if (IDirect3DTexture9* texture = getFirstTexture())
        texture->UnlockRect(level);
}

void Texture::upload()
{
    IDirect3DTexture9* first = getFirstTexture();
    if (!first)
        return;
    if (m_levelCount > 1) {
        if (m_alphaSource)
            filterAlphaAware();
        else
            D3DXFilterTexture(first, nullptr, 0, D3DX_DEFAULT);
    }
    if (m_flags & TextureNormalMap)
        makeNormalMap();
    chooseFormat();
    if (m_flags & TextureConvert)
        convertStaging();
    copyToOtherHeads();
}

void Texture::filterAlphaAware()
{
    IDirect3DTexture9* first = getFirstTexture();
    for (uint32_t level = 1; level < m_levelCount; ++level) {
        D3DSURFACE_DESC above {}, below {};
        if (FAILED(first->GetLevelDesc(level - 1, &above)) || FAILED(first->GetLevelDesc(level, &below)) ||
            above.Format != D3DFMT_A8R8G8B8 || below.Format != D3DFMT_A8R8G8B8)
            continue;
        TexelLevel source {}, target {};
        if (!lockTexels(level - 1, &source))
            continue;
        if (lockTexels(level, &target)) {
            alphaAwareMipLevel(target, source);
            unlockTexels(level);
        }
        unlockTexels(level - 1);
    }
}

void Texture::makeNormalMap()
{
    for (uint32_t level = 0; level < m_levelCount; ++level) {
        TexelLevel texels {};
        if (!lockTexels(level, &texels))
            continue;
        makeNormalMapLevel(texels);
        unlockTexels(level);
    }
    m_format = D3DFMT_A8R8G8B8;
}

void Texture::convertStaging()
{
    IDirect3DTexture9* staging = getFirstTexture();
    IDirect3DDevice9* device = headDevice(0);
    if (!staging || !device)
        return;
    const DWORD usage = m_pool == D3DPOOL_DEFAULT ? D3DUSAGE_DYNAMIC : 0;
    IDirect3DTexture9* converted = nullptr;
    if (FAILED(device->CreateTexture(UINT(m_width), UINT(m_height), m_levelCount, usage, m_format, m_pool,
                                     &converted, nullptr)))
        return;
    const UINT levels = std::min<UINT>(converted->GetLevelCount(), staging->GetLevelCount());
    for (UINT level = 0; level < levels; ++level) {
        IDirect3DSurface9* target = nullptr;
        IDirect3DSurface9* source = nullptr;
        if (SUCCEEDED(converted->GetSurfaceLevel(level, &target)) &&
            SUCCEEDED(staging->GetSurfaceLevel(level, &source)))
            D3DXLoadSurfaceFromSurface(target, nullptr, nullptr, source, nullptr, nullptr, D3DX_DEFAULT, 0);
        if (target)
            target->Release();
        if (source)
            source->Release();
    }
    staging->Release();
    m_textures[0] = converted;
}

void Texture::copyToOtherHeads()
{
    IDirect3DTexture9* first = getFirstTexture();
    TextureFormatLayout layout;
    if (!first || !TextureFormatLayout::of(m_format, &layout))
        return;
    const DWORD usage = m_pool == D3DPOOL_DEFAULT ? D3DUSAGE_DYNAMIC : 0;
    for (int32_t head = 1; head < headCount(); ++head) {
        IDirect3DDevice9* device = headDevice(head);
        if (size_t(head) >= m_textures.size())
            m_textures.resize(size_t(head) + 1, nullptr);
        release(m_textures[size_t(head)]);
        IDirect3DTexture9* copy = nullptr;
        // A head that cannot make its copy goes without: it binds nothing
        // rather than touching a texture that does not exist.
        if (!device || FAILED(device->CreateTexture(UINT(m_width), UINT(m_height), m_levelCount, usage, m_format,
                                                    m_pool, &copy, nullptr)))
            continue;
        for (UINT level = 0; level < m_levelCount; ++level) {
            D3DSURFACE_DESC source {}, target {};
            if (FAILED(first->GetLevelDesc(level, &source)) || FAILED(copy->GetLevelDesc(level, &target)) ||
                source.Format != target.Format || source.Width != target.Width || source.Height != target.Height)
                continue;
            D3DLOCKED_RECT from {}, to {};
            if (FAILED(first->LockRect(level, &from, nullptr, D3DLOCK_READONLY)))
                continue;
            if (SUCCEEDED(copy->LockRect(level, &to, nullptr, 0))) {
                const size_t rowBytes = size_t(layout.rowPitch(source.Width));
                const uint64_t rows = layout.rowCount(source.Height);
                for (uint64_t row = 0; row < rows; ++row)
                    std::memcpy(static_cast<uint8_t*>(to.pBits) + row * size_t(to.Pitch),
                                static_cast<const uint8_t*>(from.pBits) + row * size_t(from.Pitch), rowBytes);
                copy->UnlockRect(level);
            }
            first->UnlockRect(level);
        }
        m_textures[size_t(head)] = copy;
    }
}
