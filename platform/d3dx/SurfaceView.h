#pragma once
#include "platform/d3dx/D3DXTypes.h"

#include <cstddef>
#include <cstdint>

// The largest side of any image the layer reads, writes or converts: twice
// what the device model offers, and small enough that no header can ask for
// an allocation the process cannot make.
constexpr UINT kMaxSurfaceDimension = 16384;

// A level's memory as a lock hands it out: the bytes from the first row on,
// how many of them may be touched, the row pitch (of block rows for the
// block formats), the format and the size in texels.
struct ConstSurfaceView {
    const uint8_t* bits;
    size_t size;
    size_t pitch;
    D3DFORMAT format;
    UINT width;
    UINT height;

    // A known format, a size within the bounds, a pitch that holds a row and
    // a byte count that holds every row.
    bool isValid() const;
};

struct SurfaceView {
    uint8_t* bits;
    size_t size;
    size_t pitch;
    D3DFORMAT format;
    UINT width;
    UINT height;

    operator ConstSurfaceView() const { return {bits, size, pitch, format, width, height}; }
    bool isValid() const { return ConstSurfaceView(*this).isValid(); }
};
