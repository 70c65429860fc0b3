#include "platform/d3dx/SurfaceView.h"

#include "platform/d3dx/PixelFormat.h"

bool ConstSurfaceView::isValid() const
{
    const PixelFormat* f = PixelFormat::find(format);
    if (!f || !bits || width == 0 || height == 0 || width > kMaxSurfaceDimension || height > kMaxSurfaceDimension)
        return false;
    const uint64_t row = f->rowBytes(width);
    return pitch >= row && (f->rowCount(height) - 1) * uint64_t(pitch) + row <= size;
}
