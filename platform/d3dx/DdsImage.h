#pragma once
#include "platform/d3dx/SurfaceView.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A DDS file in memory, checked whole before anything is believed: the
// header sizes, a known pixel format, sides of 1 to kMaxSurfaceDimension, a
// mip count no longer than the full chain, a stored pitch that matches the
// format, six faces for a cube map, and every level of every face inside the
// data. Bytes after the last level are ignored. The image keeps a pointer to
// the caller's bytes, which must outlive it; nothing is copied.
class DdsImage {
public:
    // D3D_OK, or D3DXERR_INVALIDDATA with the image left empty and the
    // reason in refusal().
    HRESULT parse(const void* data, size_t size);
    // Why the last parse refused the file; empty after a successful one.
    const char* refusal() const { return m_refusal; }

    // Width, height, depth (1 unless a volume), levels, format, resource type
    // (D3DRTYPE_TEXTURE, D3DRTYPE_CUBETEXTURE or D3DRTYPE_VOLUMETEXTURE) and
    // D3DXIFF_DDS.
    const D3DXIMAGE_INFO& info() const { return m_info; }
    // 6 for a cube map, else 1 (0 before a successful parse).
    UINT faceCount() const { return m_faces; }
    // Slices of a level: the volume's depth halved per level, else 1.
    UINT sliceCount(UINT level) const;
    // One slice of one level of one face as a read-only view into the file;
    // a view with null bits for indices out of range.
    ConstSurfaceView level(UINT face, UINT level, UINT slice = 0) const;

private:
    void clear();
    HRESULT refuse(const char* reason);

    const char* m_refusal = "";
    const uint8_t* m_data = nullptr;
    D3DXIMAGE_INFO m_info {};
    UINT m_faces = 0;
    // Offset of each face's levels, face by face.
    std::vector<uint64_t> m_offsets;
};

// Writes why `image` refused its file to stderr, as D3DX's debug output
// does, so a texture that fails to load says what is wrong with it.
void reportDdsRefusal(const DdsImage& image);
