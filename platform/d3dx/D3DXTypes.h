#pragma once
#include "platform/d3d9/D3D9Types.h"

// platform/d3dx: the image side of D3DX 9 written for the engine: format
// conversion of pixel rows and block-compressed texels, surface copies, mip
// filtering, DDS reading and writing. The CPU pieces work on plain memory so
// that the texture entry points only lock levels and call them. May include
// platform/d3d9 and the standard library, nothing of the engine.

constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;

// Filters, as D3DX numbers them; the low byte is the filter proper.
constexpr DWORD D3DX_FILTER_NONE = 1;
constexpr DWORD D3DX_FILTER_POINT = 2;
constexpr DWORD D3DX_FILTER_LINEAR = 3;
constexpr DWORD D3DX_FILTER_TRIANGLE = 4;
constexpr DWORD D3DX_FILTER_BOX = 5;

constexpr HRESULT D3DXERR_INVALIDDATA = MAKE_D3DHRESULT(2905);

enum D3DXIMAGE_FILEFORMAT : DWORD {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
    D3DXIFF_PPM = 5,
    D3DXIFF_DIB = 6,
    D3DXIFF_HDR = 7,
    D3DXIFF_PFM = 8,
};

// Palettes are never used; the entry points take them for their signatures.
struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

struct D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};
