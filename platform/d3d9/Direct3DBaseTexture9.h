#pragma once
#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/Direct3DResource9.h"
#include "platform/d3d9/TextureFormatLayout.h"

#include <cstdint>
#include <vector>

// What 2D, cube and volume textures share: the level chain, the memory copy
// that locks write into, and the backend storage it is uploaded to.
//
// Which pools keep what, as Direct3D lets them be locked:
// - MANAGED, SYSTEMMEM, SCRATCH and DEFAULT with D3DUSAGE_DYNAMIC keep a
//   memory copy of every level and can be locked;
// - DEFAULT without DYNAMIC (render targets included) lives only in the
//   backend and refuses locks;
// - SYSTEMMEM and SCRATCH have no backend storage and cannot be drawn with.
// A changed level is uploaded whole at the next PreLoad or draw that uses
// the texture, never during a lock.
class IDirect3DBaseTexture9 : public IDirect3DResource9 {
public:
    DWORD GetLevelCount() const { return m_levels; }
    void PreLoad() override;

    // Layer internals.
    // Allocates memory and storage; D3DERR_OUTOFVIDEOMEMORY when either fails.
    HRESULT create();
    // Uploads what changed and answers the backend storage (0: none).
    uint32_t prepareForDraw();
    FixedFunctionTextureKind kind() const { return m_desc.kind; }
    D3DFORMAT format() const { return m_desc.format; }
    DWORD usage() const { return m_desc.usage; }
    uint32_t storage() const { return m_storage; }
    bool lockable() const { return m_lockable; }
    UINT levelWidth(UINT level) const { return levelExtent(m_desc.width, level); }
    UINT levelHeight(UINT level) const { return levelExtent(m_desc.height, level); }
    UINT levelDepth(UINT level) const { return levelExtent(m_desc.depth, level); }
    // The full chain down to 1x1(x1) for `levels` 0, else `levels` if the
    // chain is that long; 0 when it is not.
    static UINT chainLength(UINT width, UINT height, UINT depth, UINT levels);

protected:
    IDirect3DBaseTexture9(IDirect3DDevice9* device, D3DRESOURCETYPE type, D3DPOOL pool,
                          const BackendTextureDesc& desc, UINT faces);
    ~IDirect3DBaseTexture9() override;
    void describe(char* text, std::size_t size) const override;

    // `box` null means the whole level; depth bounds are ignored below volumes.
    HRESULT lockLevel(UINT face, UINT level, const D3DBOX* box, DWORD flags, INT* rowPitch, INT* slicePitch,
                      void** bits);
    HRESULT unlockLevel(UINT face, UINT level);
    // Direct3D records dirty regions on the top level and treats the levels
    // below as dirty with it; we upload whole levels.
    void markAllDirty(UINT face);
    bool validLevel(UINT face, UINT level) const { return face < m_faces && level < m_levels; }

    BackendTextureDesc m_desc;

private:
    struct Level {
        std::vector<uint8_t> bytes;
        bool dirty = false;
        bool locked = false;
        bool lockDirties = false;
    };
    static UINT levelExtent(UINT size, UINT level) { return size >> level ? size >> level : 1; }
    Level& levelAt(UINT face, UINT level) { return m_data[face * m_levels + level]; }
    void upload();

    TextureFormatLayout m_layout;
    UINT m_faces;
    UINT m_levels;
    bool m_lockable;
    bool m_dirty = false;
    uint32_t m_storage = 0;
    std::vector<Level> m_data;
};
