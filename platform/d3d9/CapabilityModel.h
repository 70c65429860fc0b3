#pragma once
#include "platform/d3d9/D3D9Types.h"

#include <vector>

// What the GL backend can do, told the way Direct3D tells it: one static
// model behind every capability and format question of every adapter. The
// recording backend answers from a copy that tests may change.
class CapabilityModel {
public:
    // The model of the GL backend.
    static CapabilityModel gl();

    D3DCAPS9 caps(UINT adapter, D3DDEVTYPE type) const;

    HRESULT checkDeviceType(D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat, BOOL windowed) const;
    HRESULT checkDeviceFormat(D3DFORMAT adapterFormat, DWORD usage, D3DRESOURCETYPE type, D3DFORMAT format) const;
    HRESULT checkMultiSampleType(D3DFORMAT surfaceFormat, D3DMULTISAMPLE_TYPE type, DWORD* qualityLevels) const;
    HRESULT checkDepthStencilMatch(D3DFORMAT adapterFormat, D3DFORMAT renderTargetFormat,
                                   D3DFORMAT depthStencilFormat) const;

    bool isDisplayFormat(D3DFORMAT format) const;
    bool isBackBufferFormat(D3DFORMAT format) const;
    bool isRenderTargetFormat(D3DFORMAT format) const;
    bool isDepthFormat(D3DFORMAT format) const;
    bool isTextureFormat(D3DFORMAT format) const;
    // Samples the GL side allocates for a type and quality (NONMASKABLE
    // quality q means the q-th supported type).
    int samplesFor(D3DMULTISAMPLE_TYPE type, DWORD quality) const;

    DWORD devCaps = 0;
    DWORD vertexShaderVersion = 0;
    DWORD pixelShaderVersion = 0;
    std::vector<D3DFORMAT> displayFormats;
    std::vector<D3DFORMAT> backBufferFormats;
    std::vector<D3DFORMAT> renderTargetFormats;
    std::vector<D3DFORMAT> depthFormats;
    std::vector<D3DFORMAT> textureFormats;
    // Maskable types in rising order; each is also one quality level of
    // D3DMULTISAMPLE_NONMASKABLE.
    std::vector<D3DMULTISAMPLE_TYPE> multisampleTypes;
    bool offersNonMaskable = true;
};
