#pragma once
#include "platform/d3dx/D3DXTypes.h"

// Image information from a file in memory. The engine asks it of its DDS
// cache only, so DDS is the one file format answered; anything else is
// D3DXERR_INVALIDDATA, as is a DDS file that DdsImage refuses.
HRESULT D3DXGetImageInfoFromFileInMemory(const void* data, UINT size, D3DXIMAGE_INFO* info);
