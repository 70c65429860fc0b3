#pragma once
#include "engine/core/display/FormatDescription.h"
#include "platform/d3d9/D3D9Types.h"

#include <vector>

// One graphics adapter as the display manager found it, with the format
// lists the capability checks fill in.
struct AdapterInfo {
    D3DADAPTER_IDENTIFIER9 identifier{};
    HMONITOR monitor = nullptr;
    D3DCAPS9 caps{};
    // X8R8G8B8 display modes.
    std::vector<D3DDISPLAYMODE> modes;
    int32_t modeCount = 0;
    D3DDISPLAYMODE currentMode{};
    // The group's master for a subordinate adapter of a multi-head group.
    AdapterInfo* master = nullptr;

    std::vector<const FormatDescription*> backBufferFormats;
    std::vector<const FormatDescription*> textureFormats;
    std::vector<const FormatDescription*> cubeTextureFormats;
    std::vector<const FormatDescription*> volumeTextureFormats;
    // Colour formats usable as render-target textures and depth formats
    // usable as depth-stencil textures.
    std::vector<const FormatDescription*> renderTargetFormats;
    std::vector<int32_t> multisampleTypes;
    DWORD nonMaskableQualities = 0;
    std::vector<const FormatDescription*> depthStencilFormats;
};
