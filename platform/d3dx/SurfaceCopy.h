#pragma once
#include "platform/d3dx/SurfaceView.h"

// What D3DXLoadSurfaceFromSurface does to the locked memory of two levels:
// the source rectangle is converted into the destination's format and
// scaled into the destination rectangle (null: the whole surface).
//
// Equal formats and sizes copy the bytes untouched, so block-compressed data
// is never re-encoded. Otherwise texels go through A8R8G8B8, or through four
// floats when either side is a float format or has channels wider than eight
// bits. Scaling: D3DX_FILTER_NONE and D3DX_FILTER_POINT take the nearest
// texel; any other filter (D3DX_DEFAULT among them) averages the source area
// each destination texel covers, which is the 2x2 box when halving.
//
// A block-compressed destination rectangle must start on a block and end on
// a block or at the surface's edge; a partial edge block is filled by
// repeating the rectangle's last row and column.
//
// D3D_OK, or D3DERR_INVALIDCALL for an invalid view or rectangle.
HRESULT copySurface(const SurfaceView& dst, const RECT* dstRect, const ConstSurfaceView& src, const RECT* srcRect,
                    DWORD filter);
