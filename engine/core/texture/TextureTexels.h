#pragma once
#include <cstddef>
#include <cstdint>

struct D3DCAPS9;

// The CPU side of the texture family: everything a texture computes into a
// locked level of 32-bit 0xAARRGGBB texels, kept apart from the device so it
// can be checked on plain memory. A level is `width` x `height` texels whose
// rows start `pitch` bytes apart.
struct TexelLevel {
    uint8_t* bits;
    size_t pitch;
    uint32_t width;
    uint32_t height;

    uint32_t* row(uint32_t y) const { return reinterpret_cast<uint32_t*>(bits + y * pitch); }
};

// The texture size an image of `imageWidth` x `imageHeight` gets: powers of
// two (at least 128 wide), or the image's own size where flag bit 6 asks for
// it and the device allows it; the texture detail (0 or negative) then halves
// that size per step unless flag bit 8 exempts the texture; last the device's
// limits. No side ever comes out below 1.
void fileTextureSize(int32_t imageWidth, int32_t imageHeight, uint32_t flags, const D3DCAPS9& caps,
                     int32_t textureDetail, uint32_t* width, uint32_t* height);

// The image position a texel samples when an image is stretched over a
// texture by nearest sampling: floor(i * imageSide / side), with the steps
// accumulated in single precision as the fill does, and never past the image.
class NearestSteps {
public:
    NearestSteps(int32_t imageSide, uint32_t side);
    int32_t next();

private:
    float m_step;
    float m_position = 0.0f;
    int32_t m_last;
};

// Intensity of a pixel: the integer mean of red, green and blue.
inline uint32_t pixelIntensity(uint32_t argb)
{
    return (((argb >> 16) & 0xFF) + ((argb >> 8) & 0xFF) + (argb & 0xFF)) / 3;
}

// A pixel as a texel under a texture's `conversion`: 0 copies, 1 makes it
// opaque, 2 moves its alpha into red, green and blue and makes it opaque.
uint32_t convertPixel(uint32_t argb, int32_t conversion);

// Turns the heights of `level` (the intensity of each texel, times 16) into
// tangent-space normals packed as red = x, green = y, blue = z, alpha 0. The
// neighbours wrap around the sides; every height is read before any texel is
// written.
void makeNormalMapLevel(const TexelLevel& level);

// One level of the alpha-aware mip chain from the level above it: each texel
// takes the smallest alpha of its four source texels and the colour of the
// most transparent ones, so that the colour behind cut-out edges does not
// bleed into the smaller levels. Source texels outside `above` count as
// opaque black.
void alphaAwareMipLevel(const TexelLevel& level, const TexelLevel& above);
