#include "platform/d3d9/CapabilityModel.h"

#include "platform/d3d9/D3D9States.h"

#include <algorithm>

namespace {

bool contains(const std::vector<D3DFORMAT>& list, D3DFORMAT format)
{
    return std::find(list.begin(), list.end(), format) != list.end();
}

// The cap bits of enumeration values first..last: bit (value - 1) each.
DWORD valueBits(DWORD first, DWORD last)
{
    DWORD bits = 0;
    for (DWORD v = first; v <= last; ++v)
        bits |= 1u << (v - 1);
    return bits;
}

} // namespace

CapabilityModel CapabilityModel::gl()
{
    CapabilityModel m;
    m.devCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION | D3DDEVCAPS_PUREDEVICE;
    // The versions CreateVertexShader and CreatePixelShader take.
    m.vertexShaderVersion = D3DVS_VERSION(3, 0);
    m.pixelShaderVersion = D3DPS_VERSION(3, 0);
    // Linux desktops run at 24-bit colour; that is X8R8G8B8 to Direct3D.
    m.displayFormats = {D3DFMT_X8R8G8B8};
    // The back buffer is a framebuffer object, so any colour-renderable
    // format Direct3D allows for a back buffer can be one.
    m.backBufferFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,
                           D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A2R10G10B10};
    m.renderTargetFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
                             D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A2R10G10B10, D3DFMT_A8B8G8R8,
                             D3DFMT_X8B8G8R8, D3DFMT_G16R16, D3DFMT_A16B16G16R16, D3DFMT_R16F,
                             D3DFMT_G16R16F, D3DFMT_A16B16G16R16F, D3DFMT_R32F, D3DFMT_G32R32F,
                             D3DFMT_A32B32G32R32F};
    // Stencil needs a packed depth-stencil buffer in GL; the odd Direct3D
    // splits (15+1, 24+4) have no GL counterpart, and nothing locks depth.
    m.depthFormats = {D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D32};
    // Block-compressed formats are left out on purpose: textures are
    // converted on upload and stay uncompressed.
    m.textureFormats = m.renderTargetFormats;
    for (D3DFORMAT f : {D3DFMT_X4R4G4B4, D3DFMT_A8, D3DFMT_L8, D3DFMT_A8L8, D3DFMT_L16})
        m.textureFormats.push_back(f);
    m.multisampleTypes = {D3DMULTISAMPLE_2_SAMPLES, D3DMULTISAMPLE_4_SAMPLES};
    return m;
}

D3DCAPS9 CapabilityModel::caps(UINT adapter, D3DDEVTYPE type) const
{
    D3DCAPS9 c{};
    c.DeviceType = type;
    c.AdapterOrdinal = adapter;
    c.DevCaps = devCaps;
    // What the GL backend and the generated fixed-function programs carry
    // out, and nothing more: depth bias, scissor, separate alpha blending,
    // two-sided stencil, range fog and the bump-mapping operations are not.
    c.PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW
                          | D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_TSSARGTEMP | D3DPMISCCAPS_BLENDOP;
    c.RasterCaps = D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE
                   | D3DPRASTERCAPS_MIPMAPLODBIAS | D3DPRASTERCAPS_ANISOTROPY | D3DPRASTERCAPS_WFOG
                   | D3DPRASTERCAPS_ZFOG;
    c.ZCmpCaps = valueBits(D3DCMP_NEVER, D3DCMP_ALWAYS);
    c.AlphaCmpCaps = c.ZCmpCaps;
    c.SrcBlendCaps = valueBits(D3DBLEND_ZERO, D3DBLEND_SRCALPHASAT);
    c.DestBlendCaps = c.SrcBlendCaps;
    c.StencilCaps = valueBits(D3DSTENCILOP_KEEP, D3DSTENCILOP_DECR);
    c.TextureOpCaps = valueBits(D3DTOP_DISABLE, D3DTOP_LERP)
                      & ~(valueBits(D3DTOP_PREMODULATE, D3DTOP_PREMODULATE)
                          | valueBits(D3DTOP_BUMPENVMAP, D3DTOP_BUMPENVMAPLUMINANCE));
    c.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MINFANISOTROPIC
                          | D3DPTFILTERCAPS_MIPFPOINT | D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT
                          | D3DPTFILTERCAPS_MAGFLINEAR | D3DPTFILTERCAPS_MAGFANISOTROPIC;
    c.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_PROJECTED
                    | D3DPTEXTURECAPS_CUBEMAP | D3DPTEXTURECAPS_VOLUMEMAP | D3DPTEXTURECAPS_MIPMAP
                    | D3DPTEXTURECAPS_MIPVOLUMEMAP | D3DPTEXTURECAPS_MIPCUBEMAP;
    c.TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP
                           | D3DPTADDRESSCAPS_BORDER | D3DPTADDRESSCAPS_INDEPENDENTUV
                           | D3DPTADDRESSCAPS_MIRRORONCE;
    c.MaxTextureWidth = 8192;
    c.MaxTextureHeight = 8192;
    c.MaxAnisotropy = 16;
    c.MaxTextureBlendStages = 8;
    c.MaxSimultaneousTextures = 8;
    c.MaxActiveLights = 8;
    c.MaxUserClipPlanes = 6;
    c.MaxVertexBlendMatrices = 4;
    c.MaxPrimitiveCount = 0xFFFFFF;
    c.MaxVertexIndex = 0xFFFFFF;
    c.MaxStreams = 16;
    c.VertexShaderVersion = vertexShaderVersion;
    c.MaxVertexShaderConst = 256;
    c.PixelShaderVersion = pixelShaderVersion;
    // Every display is an adapter group of its own.
    c.MasterAdapterOrdinal = adapter;
    c.AdapterOrdinalInGroup = 0;
    c.NumberOfAdaptersInGroup = 1;
    c.NumSimultaneousRTs = 1;
    return c;
}

bool CapabilityModel::isDisplayFormat(D3DFORMAT format) const
{
    return contains(displayFormats, format);
}

bool CapabilityModel::isBackBufferFormat(D3DFORMAT format) const
{
    return contains(backBufferFormats, format);
}

bool CapabilityModel::isRenderTargetFormat(D3DFORMAT format) const
{
    return contains(renderTargetFormats, format);
}

bool CapabilityModel::isDepthFormat(D3DFORMAT format) const
{
    return contains(depthFormats, format);
}

bool CapabilityModel::isTextureFormat(D3DFORMAT format) const
{
    return contains(textureFormats, format);
}

HRESULT CapabilityModel::checkDeviceType(D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat, BOOL windowed) const
{
    if (!isDisplayFormat(adapterFormat))
        return D3DERR_NOTAVAILABLE;
    if (backBufferFormat == D3DFMT_UNKNOWN)
        return windowed ? D3D_OK : D3DERR_INVALIDCALL;
    return isBackBufferFormat(backBufferFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT CapabilityModel::checkDeviceFormat(D3DFORMAT adapterFormat, DWORD usage, D3DRESOURCETYPE type,
                                           D3DFORMAT format) const
{
    if (!isDisplayFormat(adapterFormat))
        return D3DERR_INVALIDCALL;
    constexpr DWORD known = D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_DYNAMIC
                            | D3DUSAGE_AUTOGENMIPMAP | D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING;
    if ((usage & ~known) != 0)
        return D3DERR_NOTAVAILABLE;
    if ((usage & D3DUSAGE_RENDERTARGET) && (usage & D3DUSAGE_DEPTHSTENCIL))
        return D3DERR_INVALIDCALL;
    switch (type) {
    case D3DRTYPE_SURFACE:
    case D3DRTYPE_TEXTURE:
    case D3DRTYPE_CUBETEXTURE:
        if (usage & D3DUSAGE_DEPTHSTENCIL)
            return isDepthFormat(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
        if (usage & D3DUSAGE_RENDERTARGET)
            return isRenderTargetFormat(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
        if (type == D3DRTYPE_SURFACE)
            return isTextureFormat(format) || isDepthFormat(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
        return isTextureFormat(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
    case D3DRTYPE_VOLUMETEXTURE:
        if (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL))
            return D3DERR_NOTAVAILABLE;
        return isTextureFormat(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
    default:
        return D3DERR_NOTAVAILABLE;
    }
}

HRESULT CapabilityModel::checkMultiSampleType(D3DFORMAT surfaceFormat, D3DMULTISAMPLE_TYPE type,
                                              DWORD* qualityLevels) const
{
    if (qualityLevels)
        *qualityLevels = 0;
    if (!isRenderTargetFormat(surfaceFormat) && !isDepthFormat(surfaceFormat))
        return D3DERR_NOTAVAILABLE;
    if (type == D3DMULTISAMPLE_NONE) {
        if (qualityLevels)
            *qualityLevels = 1;
        return D3D_OK;
    }
    if (type == D3DMULTISAMPLE_NONMASKABLE) {
        if (multisampleTypes.empty() || !offersNonMaskable)
            return D3DERR_NOTAVAILABLE;
        if (qualityLevels)
            *qualityLevels = DWORD(multisampleTypes.size());
        return D3D_OK;
    }
    if (std::find(multisampleTypes.begin(), multisampleTypes.end(), type) == multisampleTypes.end())
        return D3DERR_NOTAVAILABLE;
    if (qualityLevels)
        *qualityLevels = 1;
    return D3D_OK;
}

HRESULT CapabilityModel::checkDepthStencilMatch(D3DFORMAT adapterFormat, D3DFORMAT renderTargetFormat,
                                                D3DFORMAT depthStencilFormat) const
{
    if (!isDisplayFormat(adapterFormat))
        return D3DERR_INVALIDCALL;
    if (!isRenderTargetFormat(renderTargetFormat) || !isDepthFormat(depthStencilFormat))
        return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

int CapabilityModel::samplesFor(D3DMULTISAMPLE_TYPE type, DWORD quality) const
{
    if (type == D3DMULTISAMPLE_NONE)
        return 0;
    if (type == D3DMULTISAMPLE_NONMASKABLE)
        return offersNonMaskable && quality < multisampleTypes.size() ? int(multisampleTypes[quality]) : 0;
    return int(type);
}
