#include "platform/d3dx/D3DXTexture.h"

#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/d3dx/DdsImage.h"
#include "platform/d3dx/DdsWriter.h"
#include "platform/d3dx/MipFilter.h"
#include "platform/d3dx/PixelFormat.h"
#include "platform/d3dx/SurfaceCopy.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A locked level of a 2D texture as the CPU pieces take it; unlocks on scope
// exit. `ok` is false when the level could not be locked.
class LockedLevel {
public:
    LockedLevel(IDirect3DTexture9* texture, UINT level, DWORD flags) : m_texture(texture), m_level(level)
    {
        D3DSURFACE_DESC desc {};
        D3DLOCKED_RECT locked {};
        const PixelFormat* format = nullptr;
        if (FAILED(texture->GetLevelDesc(level, &desc)) || !(format = PixelFormat::find(desc.Format)))
            return;
        if (FAILED(texture->LockRect(level, &locked, nullptr, flags)))
            return;
        m_locked = true;
        m_view = SurfaceView {static_cast<uint8_t*>(locked.pBits),
                              size_t(locked.Pitch) * size_t(format->rowCount(desc.Height)), size_t(locked.Pitch),
                              desc.Format, desc.Width, desc.Height};
    }
    ~LockedLevel()
    {
        if (m_locked)
            m_texture->UnlockRect(m_level);
    }
    LockedLevel(const LockedLevel&) = delete;
    LockedLevel& operator=(const LockedLevel&) = delete;

    bool ok() const { return m_locked; }
    const SurfaceView& view() const { return m_view; }

private:
    IDirect3DTexture9* m_texture;
    UINT m_level;
    bool m_locked = false;
    SurfaceView m_view {};
};

class LockedSurface {
public:
    LockedSurface(IDirect3DSurface9* surface, DWORD flags) : m_surface(surface)
    {
        D3DSURFACE_DESC desc {};
        D3DLOCKED_RECT locked {};
        const PixelFormat* format = nullptr;
        if (FAILED(surface->GetDesc(&desc)) || !(format = PixelFormat::find(desc.Format)))
            return;
        if (FAILED(surface->LockRect(&locked, nullptr, flags)))
            return;
        m_locked = true;
        m_view = SurfaceView {static_cast<uint8_t*>(locked.pBits),
                              size_t(locked.Pitch) * size_t(format->rowCount(desc.Height)), size_t(locked.Pitch),
                              desc.Format, desc.Width, desc.Height};
    }
    ~LockedSurface()
    {
        if (m_locked)
            m_surface->UnlockRect();
    }
    LockedSurface(const LockedSurface&) = delete;
    LockedSurface& operator=(const LockedSurface&) = delete;

    bool ok() const { return m_locked; }
    const SurfaceView& view() const { return m_view; }

private:
    IDirect3DSurface9* m_surface;
    bool m_locked = false;
    SurfaceView m_view {};
};

IDirect3DTexture9* asTexture2D(IDirect3DBaseTexture9* texture)
{
    if (!texture || texture->resourceType() != D3DRTYPE_TEXTURE)
        return nullptr;
    return static_cast<IDirect3DTexture9*>(texture);
}

bool isDefault(UINT value)
{
    return value == 0 || value == D3DX_DEFAULT;
}

HRESULT filterLevels(IDirect3DTexture9* texture, UINT first)
{
    for (UINT level = first + 1; level < texture->GetLevelCount(); ++level) {
        LockedLevel above(texture, level - 1, D3DLOCK_READONLY);
        LockedLevel below(texture, level, 0);
        if (!above.ok() || !below.ok())
            return D3DERR_INVALIDCALL;
        const HRESULT hr = filterMipLevel(below.view(), above.view());
        if (FAILED(hr))
            return hr;
    }
    return D3D_OK;
}

// Writes the bytes under a name of our own beside `path` and renames it over
// `path` once they are all on disk: a reader never sees a partial file, and a
// write that fails part-way leaves nothing behind.
bool writeFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes)
{
    static std::atomic<unsigned> serial {0};
    char suffix[48];
    std::snprintf(suffix, sizeof(suffix), ".%ld.%u.tmp", long(getpid()), serial.fetch_add(1));
    const std::string temporary = path + suffix;
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += size_t(n);
    }
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

} // namespace

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* device, const void* data, UINT size, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                            IDirect3DTexture9** texture)
{
    if (texture)
        *texture = nullptr;
    if (!device || !data || !texture)
        return D3DERR_INVALIDCALL;
    DdsImage image;
    if (FAILED(image.parse(data, size))) {
        reportDdsRefusal(image);
        return D3DXERR_INVALIDDATA;
    }
    const D3DXIMAGE_INFO& info = image.info();
    if (info.ResourceType != D3DRTYPE_TEXTURE)
        return D3DXERR_INVALIDDATA;
    if (srcInfo)
        *srcInfo = info;

    const UINT w = isDefault(width) ? info.Width : width;
    const UINT h = isDefault(height) ? info.Height : height;
    const D3DFORMAT f = (format == D3DFMT_UNKNOWN || format == D3DFORMAT(D3DX_DEFAULT)) ? info.Format : format;
    const UINT levels = isDefault(mipLevels) ? 0 : mipLevels;
    if (pool == D3DPOOL_DEFAULT && !(usage & D3DUSAGE_RENDERTARGET))
        usage |= D3DUSAGE_DYNAMIC;

    IDirect3DTexture9* created = nullptr;
    HRESULT hr = device->CreateTexture(w, h, levels, usage, f, pool, &created, nullptr);
    if (FAILED(hr))
        return hr;

    // The file's own levels go over where they fit; the first level the file
    // lacks (or whose size differs) and every one after it are filtered.
    UINT filled = 0;
    for (UINT level = 0; level < created->GetLevelCount(); ++level) {
        const ConstSurfaceView source = image.level(0, level < info.MipLevels ? level : 0);
        LockedLevel target(created, level, 0);
        if (!target.ok()) {
            hr = D3DERR_INVALIDCALL;
            break;
        }
        const bool sameSize = level < info.MipLevels && source.width == target.view().width &&
                              source.height == target.view().height;
        if (level > 0 && !sameSize)
            break;
        hr = copySurface(target.view(), nullptr, source, nullptr, filter);
        if (FAILED(hr))
            break;
        filled = level + 1;
    }
    if (SUCCEEDED(hr) && filled < created->GetLevelCount())
        hr = filterLevels(created, filled - 1);
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *texture = created;
    return D3D_OK;
}

HRESULT D3DXSaveTextureToFileA(const char* destFile, D3DXIMAGE_FILEFORMAT fileFormat,
                               IDirect3DBaseTexture9* texture, const PALETTEENTRY* palette)
{
    IDirect3DTexture9* texture2D = asTexture2D(texture);
    if (!destFile || !*destFile || fileFormat != D3DXIFF_DDS || !texture2D)
        return D3DERR_INVALIDCALL;
    const UINT levelCount = texture2D->GetLevelCount();
    std::vector<std::unique_ptr<LockedLevel>> locks;
    std::vector<ConstSurfaceView> views;
    for (UINT level = 0; level < levelCount; ++level) {
        locks.push_back(std::make_unique<LockedLevel>(texture2D, level, D3DLOCK_READONLY));
        if (!locks.back()->ok())
            return D3DERR_INVALIDCALL;
        views.push_back(locks.back()->view());
    }
    std::vector<uint8_t> file;
    if (FAILED(writeDds(views.data(), levelCount, file)))
        return D3DERR_INVALIDCALL;
    locks.clear();
    std::string path(destFile);
    std::replace(path.begin(), path.end(), '\\', '/');
    return writeFileReplacing(path, file) ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT D3DXFilterTexture(IDirect3DBaseTexture9* texture, const PALETTEENTRY* palette, UINT srcLevel, DWORD filter)
{
    IDirect3DTexture9* texture2D = asTexture2D(texture);
    if (!texture2D)
        return D3DERR_INVALIDCALL;
    if (srcLevel == D3DX_DEFAULT)
        srcLevel = 0;
    if (srcLevel >= texture2D->GetLevelCount())
        return D3DERR_INVALIDCALL;
    return filterLevels(texture2D, srcLevel);
}

HRESULT D3DXLoadSurfaceFromSurface(IDirect3DSurface9* dest, const PALETTEENTRY* destPalette, const RECT* destRect,
                                   IDirect3DSurface9* src, const PALETTEENTRY* srcPalette, const RECT* srcRect,
                                   DWORD filter, D3DCOLOR colorKey)
{
    if (!dest || !src || dest == src || colorKey != 0)
        return D3DERR_INVALIDCALL;
    LockedSurface source(src, D3DLOCK_READONLY);
    if (!source.ok())
        return D3DERR_INVALIDCALL;
    LockedSurface target(dest, 0);
    if (!target.ok())
        return D3DERR_INVALIDCALL;
    return copySurface(target.view(), destRect, source.view(), srcRect, filter);
}
