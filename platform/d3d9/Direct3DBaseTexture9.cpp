#include "platform/d3d9/Direct3DBaseTexture9.h"

#include "platform/d3d9/Direct3DDevice9.h"

#include <algorithm>
#include <cstdio>
#include <new>

IDirect3DBaseTexture9::IDirect3DBaseTexture9(IDirect3DDevice9* device, D3DRESOURCETYPE type, D3DPOOL pool,
                                             const BackendTextureDesc& desc, UINT faces)
    : IDirect3DResource9(device, type, pool, false), m_desc(desc), m_faces(faces), m_levels(desc.levels),
      m_lockable(pool != D3DPOOL_DEFAULT || (desc.usage & D3DUSAGE_DYNAMIC))
{
    TextureFormatLayout::of(desc.format, &m_layout);
}

IDirect3DBaseTexture9::~IDirect3DBaseTexture9()
{
    if (m_storage)
        m_device->backend().destroyTexture(m_storage);
}

UINT IDirect3DBaseTexture9::chainLength(UINT width, UINT height, UINT depth, UINT levels)
{
    UINT full = 1;
    for (UINT largest = std::max(width, std::max(height, depth)); largest > 1; largest >>= 1)
        ++full;
    if (levels == 0)
        return full;
    return levels <= full ? levels : 0;
}

HRESULT IDirect3DBaseTexture9::create()
{
    if (m_lockable) {
        try {
            m_data.resize(size_t(m_faces) * m_levels);
            for (UINT face = 0; face < m_faces; ++face)
                for (UINT level = 0; level < m_levels; ++level)
                    levelAt(face, level).bytes.assign(
                        m_layout.levelBytes(levelWidth(level), levelHeight(level)) * levelDepth(level), 0);
        } catch (const std::bad_alloc&) {
            return D3DERR_OUTOFVIDEOMEMORY;
        }
    }
    if (m_pool == D3DPOOL_DEFAULT || m_pool == D3DPOOL_MANAGED) {
        m_storage = m_device->backend().createTexture(m_desc);
        if (!m_storage)
            return D3DERR_OUTOFVIDEOMEMORY;
    }
    return D3D_OK;
}

HRESULT IDirect3DBaseTexture9::lockLevel(UINT face, UINT level, const D3DBOX* box, DWORD flags, INT* rowPitch,
                                         INT* slicePitch, void** bits)
{
    if (!bits || !rowPitch || !validLevel(face, level) || !m_lockable)
        return D3DERR_INVALIDCALL;
    *bits = nullptr;
    Level& data = levelAt(face, level);
    if (data.locked)
        return D3DERR_INVALIDCALL;
    // Discarding is a promise only a dynamic texture can make; a managed
    // texture ignores it and locks as usual.
    if ((flags & D3DLOCK_DISCARD) && !(m_desc.usage & D3DUSAGE_DYNAMIC) && m_pool != D3DPOOL_MANAGED)
        return D3DERR_INVALIDCALL;
    const UINT width = levelWidth(level), height = levelHeight(level), depth = levelDepth(level);
    D3DBOX area{0, 0, width, height, 0, depth};
    if (box) {
        area = *box;
        if (m_desc.kind != FixedFunctionTextureKind::Volume) {
            area.Front = 0;
            area.Back = 1;
        }
        if (area.Left >= area.Right || area.Top >= area.Bottom || area.Front >= area.Back || area.Right > width
            || area.Bottom > height || area.Back > depth)
            return D3DERR_INVALIDCALL;
        // Block formats lock whole blocks; a level smaller than a block is one.
        if (m_layout.blocks && ((area.Left | area.Top) % 4 != 0 || (area.Right % 4 != 0 && area.Right != width)
                                || (area.Bottom % 4 != 0 && area.Bottom != height)))
            return D3DERR_INVALIDCALL;
    }
    const uint64_t pitch = m_layout.rowPitch(width);
    const uint64_t slice = pitch * m_layout.rowCount(height);
    *rowPitch = INT(pitch);
    if (slicePitch)
        *slicePitch = INT(slice);
    *bits = data.bytes.data() + area.Front * slice + m_layout.offsetOf(area.Left, area.Top, pitch);
    data.locked = true;
    data.lockDirties = !(flags & (D3DLOCK_READONLY | D3DLOCK_NO_DIRTY_UPDATE));
    return D3D_OK;
}

HRESULT IDirect3DBaseTexture9::unlockLevel(UINT face, UINT level)
{
    if (!validLevel(face, level) || !m_lockable)
        return D3DERR_INVALIDCALL;
    Level& data = levelAt(face, level);
    if (!data.locked)
        return D3DERR_INVALIDCALL;
    data.locked = false;
    if (data.lockDirties) {
        data.dirty = true;
        m_dirty = true;
    }
    return D3D_OK;
}

void IDirect3DBaseTexture9::markAllDirty(UINT face)
{
    if (!m_lockable)
        return;
    for (UINT f = 0; f < m_faces; ++f)
        if (face == f || face >= m_faces)
            for (UINT level = 0; level < m_levels; ++level)
                levelAt(f, level).dirty = true;
    m_dirty = true;
}

void IDirect3DBaseTexture9::upload()
{
    if (!m_dirty || !m_storage)
        return;
    m_dirty = false;
    for (UINT face = 0; face < m_faces; ++face)
        for (UINT level = 0; level < m_levels; ++level) {
            Level& data = levelAt(face, level);
            if (!data.dirty)
                continue;
            // A level still locked keeps its flag and goes up with the next draw.
            if (data.locked) {
                m_dirty = true;
                continue;
            }
            data.dirty = false;
            const UINT pitch = UINT(m_layout.rowPitch(levelWidth(level)));
            const UINT slice = UINT(pitch * m_layout.rowCount(levelHeight(level)));
            m_device->backend().uploadTexture(m_storage, face, level, data.bytes.data(), pitch, slice);
        }
}

void IDirect3DBaseTexture9::PreLoad()
{
    upload();
}

uint32_t IDirect3DBaseTexture9::prepareForDraw()
{
    upload();
    return m_storage;
}

void IDirect3DBaseTexture9::describe(char* text, std::size_t size) const
{
    static const char* const kinds[] = {"texture", "volume texture", "cube texture"};
    std::snprintf(text, size, "%s %ux%ux%u format %u usage 0x%x, %u level(s), %lu reference(s)",
                  kinds[int(m_desc.kind)], m_desc.width, m_desc.height, m_desc.depth, unsigned(m_desc.format),
                  unsigned(m_desc.usage), m_levels, static_cast<unsigned long>(m_refs));
}
