// The device's factories: textures, buffers, declarations, queries, shaders.
#include "platform/d3d9/Direct3DDevice9.h"

#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/Direct3DCubeTexture9.h"
#include "platform/d3d9/Direct3DIndexBuffer9.h"
#include "platform/d3d9/Direct3DQuery9.h"
#include "platform/d3d9/Direct3DShader9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "platform/d3d9/Direct3DVertexBuffer9.h"
#include "platform/d3d9/Direct3DVertexDeclaration9.h"
#include "platform/d3d9/Direct3DVolumeTexture9.h"

namespace {

// Volumes are small in every engine use; the bound keeps a mistaken size
// from asking for gigabytes of memory copies.
constexpr UINT kMaxVolumeExtent = 512;
// Buffer lengths are computed from counts in data files; past this a length
// is a damaged count, not a mesh, and gets the out-of-memory answer instead
// of a multi-gigabyte allocation.
constexpr UINT kMaxBufferBytes = 256u << 20;

template <typename Texture>
HRESULT finish(Texture* made, Texture** out)
{
    const HRESULT hr = made->create();
    if (FAILED(hr)) {
        made->Release();
        return hr;
    }
    *out = made;
    return D3D_OK;
}

bool validPool(D3DPOOL pool)
{
    return pool == D3DPOOL_DEFAULT || pool == D3DPOOL_MANAGED || pool == D3DPOOL_SYSTEMMEM
           || pool == D3DPOOL_SCRATCH;
}

} // namespace

HRESULT IDirect3DDevice9::createTextureChecks(UINT width, UINT height, UINT depth, UINT* levels, DWORD usage,
                                              D3DFORMAT format, D3DPOOL pool, D3DRESOURCETYPE type) const
{
    const DWORD known = D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC | D3DUSAGE_AUTOGENMIPMAP;
    if (width == 0 || height == 0 || depth == 0 || !validPool(pool) || (usage & ~known))
        return D3DERR_INVALIDCALL;
    TextureFormatLayout layout;
    if (!TextureFormatLayout::of(format, &layout))
        return D3DERR_INVALIDCALL;
    // Scratch textures take any format the layer can lay out; the others
    // what the backend can sample. The DXT formats are sampled as they are,
    // yet the capability model does not offer them: the engine then picks
    // uncompressed formats and converts, as its format choice intends, while
    // a DXT texture asked for by name still works.
    if (pool != D3DPOOL_SCRATCH && !m_capabilities.isTextureFormat(format) && !layout.blocks)
        return D3DERR_INVALIDCALL;
    if (usage & D3DUSAGE_RENDERTARGET) {
        if (pool != D3DPOOL_DEFAULT || !m_capabilities.isRenderTargetFormat(format) || (usage & D3DUSAGE_DYNAMIC))
            return D3DERR_INVALIDCALL;
    }
    if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED)
        return D3DERR_INVALIDCALL;
    // GL compresses 2D images only.
    if (type == D3DRTYPE_VOLUMETEXTURE && ((usage & D3DUSAGE_RENDERTARGET) || layout.blocks))
        return D3DERR_INVALIDCALL;
    const D3DCAPS9 caps = m_capabilities.caps(m_adapter, m_type);
    const UINT largest = type == D3DRTYPE_VOLUMETEXTURE ? kMaxVolumeExtent : caps.MaxTextureWidth;
    if (width > largest || height > largest || depth > kMaxVolumeExtent)
        return D3DERR_INVALIDCALL;
    // Mip levels are filtered by nobody: one level is made when asked to.
    if (usage & D3DUSAGE_AUTOGENMIPMAP)
        *levels = 1;
    const UINT chain = IDirect3DBaseTexture9::chainLength(width, height, depth, *levels);
    if (chain == 0)
        return D3DERR_INVALIDCALL;
    *levels = chain;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                        D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared)
{
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (shared)
        return D3DERR_INVALIDCALL;
    HRESULT hr = createTextureChecks(width, height, 1, &levels, usage, format, pool, D3DRTYPE_TEXTURE);
    if (FAILED(hr))
        return hr;
    const BackendTextureDesc desc{FixedFunctionTextureKind::Texture2D, format, width, height, 1, levels, usage};
    return finish(new IDirect3DTexture9(this, pool, desc), texture);
}

HRESULT IDirect3DDevice9::CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DCubeTexture9** texture, HANDLE* shared)
{
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (shared)
        return D3DERR_INVALIDCALL;
    HRESULT hr = createTextureChecks(edge, edge, 1, &levels, usage, format, pool, D3DRTYPE_CUBETEXTURE);
    if (FAILED(hr))
        return hr;
    const BackendTextureDesc desc{FixedFunctionTextureKind::Cube, format, edge, edge, 1, levels, usage};
    return finish(new IDirect3DCubeTexture9(this, pool, desc), texture);
}

HRESULT IDirect3DDevice9::CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                                              D3DFORMAT format, D3DPOOL pool, IDirect3DVolumeTexture9** texture,
                                              HANDLE* shared)
{
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (shared)
        return D3DERR_INVALIDCALL;
    HRESULT hr = createTextureChecks(width, height, depth, &levels, usage, format, pool, D3DRTYPE_VOLUMETEXTURE);
    if (FAILED(hr))
        return hr;
    const BackendTextureDesc desc{FixedFunctionTextureKind::Volume, format, width, height, depth, levels, usage};
    return finish(new IDirect3DVolumeTexture9(this, pool, desc), texture);
}

HRESULT IDirect3DDevice9::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                             IDirect3DVertexBuffer9** buffer, HANDLE* shared)
{
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    const DWORD known = D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC | D3DUSAGE_SOFTWAREPROCESSING | D3DUSAGE_DONOTCLIP
                        | D3DUSAGE_POINTS;
    if (shared || length == 0 || !validPool(pool) || (usage & ~known)
        || ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED))
        return D3DERR_INVALIDCALL;
    if (fvf != 0 && IDirect3DVertexDeclaration9::fvfStride(fvf) == 0)
        return D3DERR_INVALIDCALL;
    if (length > kMaxBufferBytes)
        return D3DERR_OUTOFVIDEOMEMORY;
    return finish(new IDirect3DVertexBuffer9(this, length, usage, fvf, pool), buffer);
}

HRESULT IDirect3DDevice9::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DIndexBuffer9** buffer, HANDLE* shared)
{
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    const DWORD known = D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC | D3DUSAGE_SOFTWAREPROCESSING | D3DUSAGE_DONOTCLIP
                        | D3DUSAGE_POINTS;
    if (shared || length == 0 || !validPool(pool) || (usage & ~known)
        || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)
        || ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED))
        return D3DERR_INVALIDCALL;
    if (length > kMaxBufferBytes)
        return D3DERR_OUTOFVIDEOMEMORY;
    return finish(new IDirect3DIndexBuffer9(this, length, usage, format, pool), buffer);
}

HRESULT IDirect3DDevice9::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                                  IDirect3DVertexDeclaration9** declaration)
{
    if (!declaration)
        return D3DERR_INVALIDCALL;
    *declaration = IDirect3DVertexDeclaration9::fromElements(this, elements);
    return *declaration ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT IDirect3DDevice9::CreateQuery(D3DQUERYTYPE type, IDirect3DQuery9** query)
{
    // A null out-pointer asks whether the type is supported.
    if (type != D3DQUERYTYPE_OCCLUSION)
        return D3DERR_NOTAVAILABLE;
    if (!query)
        return D3D_OK;
    *query = nullptr;
    const uint32_t storage = m_backend->createQuery();
    if (!storage)
        return D3DERR_NOTAVAILABLE;
    *query = new IDirect3DQuery9(this, storage);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** shader)
{
    if (!shader)
        return D3DERR_INVALIDCALL;
    *shader = nullptr;
    std::string source;
    if (!IDirect3DShader9::unwrap(function, false, &source))
        return D3DERR_INVALIDCALL;
    const uint32_t storage = m_backend->createShader(false, source);
    if (!storage)
        return D3DERR_INVALIDCALL;
    *shader = new IDirect3DVertexShader9(this, storage);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** shader)
{
    if (!shader)
        return D3DERR_INVALIDCALL;
    *shader = nullptr;
    std::string source;
    if (!IDirect3DShader9::unwrap(function, true, &source))
        return D3DERR_INVALIDCALL;
    const uint32_t storage = m_backend->createShader(true, source);
    if (!storage)
        return D3DERR_INVALIDCALL;
    *shader = new IDirect3DPixelShader9(this, storage);
    return D3D_OK;
}
