#include "platform/d3d9/TextureFormatLayout.h"

bool TextureFormatLayout::of(D3DFORMAT format, TextureFormatLayout* layout)
{
    UINT bytes = 0;
    bool blocks = false;
    switch (format) {
    case D3DFMT_A8:
    case D3DFMT_L8:
        bytes = 1;
        break;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A8L8:
    case D3DFMT_L16:
    case D3DFMT_R16F:
    case D3DFMT_D16:
        bytes = 2;
        break;
    case D3DFMT_R8G8B8:
        bytes = 3;
        break;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8B8G8R8:
    case D3DFMT_X8B8G8R8:
    case D3DFMT_A2R10G10B10:
    case D3DFMT_G16R16:
    case D3DFMT_G16R16F:
    case D3DFMT_R32F:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D32:
        bytes = 4;
        break;
    case D3DFMT_A16B16G16R16:
    case D3DFMT_A16B16G16R16F:
    case D3DFMT_G32R32F:
        bytes = 8;
        break;
    case D3DFMT_A32B32G32R32F:
        bytes = 16;
        break;
    case D3DFMT_DXT1:
        bytes = 8;
        blocks = true;
        break;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
        bytes = 16;
        blocks = true;
        break;
    default:
        return false;
    }
    if (layout)
        *layout = TextureFormatLayout{format, bytes, blocks};
    return true;
}

uint64_t TextureFormatLayout::rowPitch(uint64_t width) const
{
    return (blocks ? (width + 3) / 4 : width) * elementBytes;
}

uint64_t TextureFormatLayout::rowCount(uint64_t height) const
{
    return blocks ? (height + 3) / 4 : height;
}

uint64_t TextureFormatLayout::offsetOf(uint64_t x, uint64_t y, uint64_t pitch) const
{
    return blocks ? (y / 4) * pitch + (x / 4) * elementBytes : y * pitch + x * elementBytes;
}
