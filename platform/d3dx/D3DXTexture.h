#pragma once
#include "platform/d3dx/D3DXTypes.h"

class IDirect3DBaseTexture9;
class IDirect3DDevice9;
class IDirect3DSurface9;
class IDirect3DTexture9;

// The texture entry points of D3DX over the device's lockable levels. They
// work on 2D textures, which is all the engine hands them; palettes are
// ignored, as they are for every format the device offers.

// A 2D texture from a DDS file in memory. `width`, `height` 0 or D3DX_DEFAULT
// take the file's size, `format` D3DFMT_UNKNOWN the file's format, `mipLevels`
// 0 or D3DX_DEFAULT a full chain. The file's levels are converted (and scaled
// with `filter` when the size differs); levels the file lacks are filtered
// from the one above. A default-pool texture is created dynamic so that it can
// be filled. D3DXERR_INVALIDDATA for anything DdsImage refuses or that is not
// a 2D texture; the device's error when it cannot create the texture.
HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* device, const void* data, UINT size, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                            IDirect3DTexture9** texture);

// Writes every level of a 2D texture as a DDS file. The file is written under
// a temporary name beside it and renamed over the target only when complete,
// so a failed save leaves no partial file; '\' in the name is a separator.
// D3DERR_INVALIDCALL when the texture cannot be read or the file not written.
HRESULT D3DXSaveTextureToFileA(const char* destFile, D3DXIMAGE_FILEFORMAT fileFormat,
                               IDirect3DBaseTexture9* texture, const PALETTEENTRY* palette);

// Rebuilds the levels below `srcLevel` (D3DX_DEFAULT: 0) each from the one
// above it with a box filter.
HRESULT D3DXFilterTexture(IDirect3DBaseTexture9* texture, const PALETTEENTRY* palette, UINT srcLevel,
                          DWORD filter);

// Converts (and scales) a rectangle of one locked surface into another; null
// rectangles are whole surfaces. Colour keys are not supported: a non-zero key
// is D3DERR_INVALIDCALL rather than a silently different picture.
HRESULT D3DXLoadSurfaceFromSurface(IDirect3DSurface9* dest, const PALETTEENTRY* destPalette, const RECT* destRect,
                                   IDirect3DSurface9* src, const PALETTEENTRY* srcPalette, const RECT* srcRect,
                                   DWORD filter, D3DCOLOR colorKey);
