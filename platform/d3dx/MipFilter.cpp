#include "platform/d3dx/MipFilter.h"

#include "platform/d3dx/SurfaceCopy.h"

UINT mipLevelCount(UINT width, UINT height)
{
    UINT side = width > height ? width : height;
    UINT levels = 1;
    while (side > 1) {
        side >>= 1;
        ++levels;
    }
    return levels;
}

UINT mipDimension(UINT size, UINT level)
{
    const UINT shifted = level >= 32 ? 0 : size >> level;
    return shifted > 0 ? shifted : 1;
}

HRESULT filterMipLevel(const SurfaceView& dst, const ConstSurfaceView& src)
{
    if (dst.width != mipDimension(src.width, 1) || dst.height != mipDimension(src.height, 1))
        return D3DERR_INVALIDCALL;
    return copySurface(dst, nullptr, src, nullptr, D3DX_FILTER_BOX);
}
