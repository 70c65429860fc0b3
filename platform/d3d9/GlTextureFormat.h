#pragma once
#include "platform/d3d9/D3D9Types.h"

#include <cstdint>

// How a Direct3D texture format goes to GL as it is, without conversion:
// the internal format, the client format and type that read Direct3D's
// little-endian texels, and the swizzle that gives the channels a format
// lacks the values a Direct3D 9 sampler returns (missing colour 1, missing
// alpha 1; A8 samples as black with alpha; luminance into red, green, blue).
// DXT2 and DXT4 are stored as DXT3 and DXT5: their colour is premultiplied
// already and the sampler returns it as stored.
struct GlTextureFormat {
    uint32_t internalFormat = 0;
    uint32_t format = 0;
    uint32_t type = 0;
    bool compressed = false;
    int swizzle[4] = {0, 0, 0, 0};

    static bool of(D3DFORMAT d3dFormat, GlTextureFormat* gl);
};
