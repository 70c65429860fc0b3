#pragma once
// A Matrix4 as the device takes it: the same sixteen floats, row by row.
#include "engine/core/math/Matrix4.h"
#include "platform/d3d9/D3D9States.h"

#include <cstring>

inline D3DMATRIX toD3D(const Matrix4& m)
{
    static_assert(sizeof(D3DMATRIX) == sizeof m.m);
    D3DMATRIX out;
    std::memcpy(&out, m.m, sizeof out);
    return out;
}
