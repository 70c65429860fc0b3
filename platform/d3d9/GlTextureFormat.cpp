#include "platform/d3d9/GlTextureFormat.h"

#include <GL/glew.h>

namespace {

struct Row {
    D3DFORMAT d3d;
    GLenum internalFormat;
    GLenum format;
    GLenum type;
    bool compressed;
    GLint swizzle[4];
};

constexpr GLint R = GL_RED, G = GL_GREEN, B = GL_BLUE, A = GL_ALPHA, ONE = GL_ONE, ZERO = GL_ZERO;

const Row kRows[] = {
    {D3DFMT_A8R8G8B8, GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, false, {R, G, B, A}},
    {D3DFMT_X8R8G8B8, GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, false, {R, G, B, ONE}},
    {D3DFMT_A8B8G8R8, GL_RGBA8, GL_RGBA, GL_UNSIGNED_INT_8_8_8_8_REV, false, {R, G, B, A}},
    {D3DFMT_X8B8G8R8, GL_RGB8, GL_RGBA, GL_UNSIGNED_INT_8_8_8_8_REV, false, {R, G, B, ONE}},
    {D3DFMT_R8G8B8, GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE, false, {R, G, B, ONE}},
    {D3DFMT_R5G6B5, GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, false, {R, G, B, ONE}},
    {D3DFMT_A1R5G5B5, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, false, {R, G, B, A}},
    {D3DFMT_X1R5G5B5, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, false, {R, G, B, ONE}},
    {D3DFMT_A4R4G4B4, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, false, {R, G, B, A}},
    {D3DFMT_X4R4G4B4, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, false, {R, G, B, ONE}},
    {D3DFMT_A2R10G10B10, GL_RGB10_A2, GL_BGRA, GL_UNSIGNED_INT_2_10_10_10_REV, false, {R, G, B, A}},
    {D3DFMT_A8, GL_R8, GL_RED, GL_UNSIGNED_BYTE, false, {ZERO, ZERO, ZERO, R}},
    {D3DFMT_L8, GL_R8, GL_RED, GL_UNSIGNED_BYTE, false, {R, R, R, ONE}},
    {D3DFMT_A8L8, GL_RG8, GL_RG, GL_UNSIGNED_BYTE, false, {R, R, R, G}},
    {D3DFMT_L16, GL_R16, GL_RED, GL_UNSIGNED_SHORT, false, {R, R, R, ONE}},
    {D3DFMT_G16R16, GL_RG16, GL_RG, GL_UNSIGNED_SHORT, false, {R, G, ONE, ONE}},
    {D3DFMT_A16B16G16R16, GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT, false, {R, G, B, A}},
    {D3DFMT_R16F, GL_R16F, GL_RED, GL_HALF_FLOAT, false, {R, ONE, ONE, ONE}},
    {D3DFMT_G16R16F, GL_RG16F, GL_RG, GL_HALF_FLOAT, false, {R, G, ONE, ONE}},
    {D3DFMT_A16B16G16R16F, GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, false, {R, G, B, A}},
    {D3DFMT_R32F, GL_R32F, GL_RED, GL_FLOAT, false, {R, ONE, ONE, ONE}},
    {D3DFMT_G32R32F, GL_RG32F, GL_RG, GL_FLOAT, false, {R, G, ONE, ONE}},
    {D3DFMT_A32B32G32R32F, GL_RGBA32F, GL_RGBA, GL_FLOAT, false, {R, G, B, A}},
    {D3DFMT_DXT1, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, true, {R, G, B, A}},
    {D3DFMT_DXT2, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, true, {R, G, B, A}},
    {D3DFMT_DXT3, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, true, {R, G, B, A}},
    {D3DFMT_DXT4, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, true, {R, G, B, A}},
    {D3DFMT_DXT5, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, true, {R, G, B, A}},
};

} // namespace

bool GlTextureFormat::of(D3DFORMAT d3dFormat, GlTextureFormat* gl)
{
    for (const Row& row : kRows) {
        if (row.d3d != d3dFormat)
            continue;
        gl->internalFormat = row.internalFormat;
        gl->format = row.format;
        gl->type = row.type;
        gl->compressed = row.compressed;
        for (int i = 0; i < 4; ++i)
            gl->swizzle[i] = row.swizzle[i];
        return true;
    }
    return false;
}
