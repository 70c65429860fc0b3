#pragma once
#include "platform/d3dx/SurfaceView.h"

// The mip side of D3DXFilterTexture: sizes of a chain, and one level made
// from the level above it.

// Levels of a full chain down to 1 x 1.
UINT mipLevelCount(UINT width, UINT height);
// A side at a level: halved per level, never below 1.
UINT mipDimension(UINT size, UINT level);

// dst must be src halved (mipDimension(side, 1) on each side). Each texel
// is the mean of the 2x2 source texels it covers, rounded; a side of odd
// length spreads its texels over the halved side with area weights, and a
// side of 1 stays 1. Any format the layer converts works; A8R8G8B8 is
// exact to the rounding of the mean.
HRESULT filterMipLevel(const SurfaceView& dst, const ConstSurfaceView& src);
