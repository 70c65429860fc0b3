#pragma once
#include "platform/d3dx/SurfaceView.h"

#include <cstdint>
#include <vector>

// The DDS file D3DXSaveTextureToFileA(..., D3DXIFF_DDS, ...) makes of a 2D
// texture: levels[0] is the top level and each further level is the one
// before halved (a full or partial chain). Rows are stored packed, whatever
// the views' pitch, so DdsImage reads back exactly the texels given.
//
// D3D_OK with `out` replaced by the file; D3DERR_INVALIDCALL for no levels,
// more than a full chain, an invalid view, mixed formats, a level of the
// wrong size, or a format the file cannot carry.
HRESULT writeDds(const ConstSurfaceView* levels, UINT levelCount, std::vector<uint8_t>& out);
