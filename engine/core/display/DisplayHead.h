#pragma once
#include "engine/core/display/AdapterInfo.h"
#include "platform/d3d9/D3D9Types.h"

#include <vector>

class IDirect3DDevice9;

// One display head: its windows, their presentation parameters and the
// device that draws into them.
struct DisplayHead {
    std::vector<D3DPRESENT_PARAMETERS> presentParams;
    IDirect3DDevice9* device = nullptr;
    std::vector<HWND> windows;
    int32_t windowCount = 1;
    AdapterInfo* adapter = nullptr;
    int32_t adapterIndex = 0;
    // 1 = HAL, 2 = REF.
    int32_t deviceType = 1;
    const FormatDescription* depthStencilFormat = nullptr;
};
