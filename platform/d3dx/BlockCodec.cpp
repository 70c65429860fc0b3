#include "platform/d3dx/BlockCodec.h"
#include "platform/memory/LittleEndian.h"

#include <initializer_list>

namespace {

struct Rgb {
    int r, g, b;
};

Rgb expand565(uint32_t c)
{
    const int r = int(c >> 11) & 31, g = int(c >> 5) & 63, b = int(c) & 31;
    return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2)};
}

uint32_t quantise565(const Rgb& c)
{
    return uint32_t((c.r * 31 + 127) / 255) << 11 | uint32_t((c.g * 63 + 127) / 255) << 5
           | uint32_t((c.b * 31 + 127) / 255);
}

uint32_t argb(int a, const Rgb& c)
{
    return uint32_t(a) << 24 | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | uint32_t(c.b);
}

Rgb mix(const Rgb& a, const Rgb& b, int wa, int wb)
{
    const int sum = wa + wb;
    return {(wa * a.r + wb * b.r + sum / 2) / sum, (wa * a.g + wb * b.g + sum / 2) / sum,
            (wa * a.b + wb * b.b + sum / 2) / sum};
}

// The four colours a colour block can index. DXT2 to DXT5 always use the
// four-colour reading; DXT1 switches to three colours and transparent black
// when the first endpoint is not greater than the second.
void colourPalette(uint32_t c0, uint32_t c1, bool fourColour, uint32_t palette[4])
{
    const Rgb a = expand565(c0), b = expand565(c1);
    palette[0] = argb(255, a);
    palette[1] = argb(255, b);
    if (fourColour || c0 > c1) {
        palette[2] = argb(255, mix(a, b, 2, 1));
        palette[3] = argb(255, mix(a, b, 1, 2));
    } else {
        palette[2] = argb(255, mix(a, b, 1, 1));
        palette[3] = 0;
    }
}

void alphaPalette(int a0, int a1, int palette[8])
{
    palette[0] = a0;
    palette[1] = a1;
    if (a0 > a1) {
        for (int k = 2; k < 8; ++k)
            palette[k] = ((8 - k) * a0 + (k - 1) * a1 + 3) / 7;
    } else {
        for (int k = 2; k < 6; ++k)
            palette[k] = ((6 - k) * a0 + (k - 1) * a1 + 2) / 5;
        palette[6] = 0;
        palette[7] = 255;
    }
}

void write16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void decodeColour(const uint8_t* p, bool fourColour, uint32_t texels[16])
{
    uint32_t palette[4];
    colourPalette(readLe16(p), readLe16(p + 2), fourColour, palette);
    const uint32_t indices = readLe32(p + 4);
    for (int i = 0; i < 16; ++i)
        texels[i] = palette[(indices >> (2 * i)) & 3];
}

int distance(uint32_t x, uint32_t y)
{
    const int dr = int((x >> 16) & 0xFF) - int((y >> 16) & 0xFF);
    const int dg = int((x >> 8) & 0xFF) - int((y >> 8) & 0xFF);
    const int db = int(x & 0xFF) - int(y & 0xFF);
    return dr * dr + dg * dg + db * db;
}

// Endpoints at the corners of the colour box of the chosen texels, on the
// diagonal that follows the way the other channels move with the widest one.
void chooseEndpoints(const uint32_t texels[16], const bool use[16], Rgb& high, Rgb& low)
{
    int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0}, sum[3] = {0, 0, 0}, n = 0;
    for (int i = 0; i < 16; ++i) {
        if (!use[i])
            continue;
        const int c[3] = {int(texels[i] >> 16) & 0xFF, int(texels[i] >> 8) & 0xFF, int(texels[i]) & 0xFF};
        for (int k = 0; k < 3; ++k) {
            lo[k] = c[k] < lo[k] ? c[k] : lo[k];
            hi[k] = c[k] > hi[k] ? c[k] : hi[k];
            sum[k] += c[k];
        }
        ++n;
    }
    int widest = 1;
    for (int k : {0, 2})
        if (hi[k] - lo[k] > hi[widest] - lo[widest])
            widest = k;
    int covariance[3] = {0, 0, 0};
    for (int i = 0; i < 16; ++i) {
        if (!use[i])
            continue;
        const int c[3] = {int(texels[i] >> 16) & 0xFF, int(texels[i] >> 8) & 0xFF, int(texels[i]) & 0xFF};
        for (int k = 0; k < 3; ++k)
            covariance[k] += (c[k] * n - sum[k]) * (c[widest] * n - sum[widest]);
    }
    int h[3], l[3];
    for (int k = 0; k < 3; ++k) {
        const bool flip = covariance[k] < 0;
        h[k] = flip ? lo[k] : hi[k];
        l[k] = flip ? hi[k] : lo[k];
    }
    high = {h[0], h[1], h[2]};
    low = {l[0], l[1], l[2]};
}

void encodeColour(const uint32_t texels[16], bool allowTransparent, uint8_t* p)
{
    bool use[16], transparent[16], any = false, anyTransparent = false;
    for (int i = 0; i < 16; ++i) {
        transparent[i] = allowTransparent && (texels[i] >> 24) < 128;
        use[i] = !transparent[i];
        any = any || use[i];
        anyTransparent = anyTransparent || transparent[i];
    }
    uint32_t c0 = 0, c1 = 0;
    if (any) {
        Rgb high, low;
        chooseEndpoints(texels, use, high, low);
        c0 = quantise565(high);
        c1 = quantise565(low);
    }
    // Three colours and transparent black need c0 <= c1, four need c0 > c1.
    if (anyTransparent ? c0 > c1 : c0 < c1) {
        const uint32_t t = c0;
        c0 = c1;
        c1 = t;
    }
    uint32_t palette[4];
    colourPalette(c0, c1, !allowTransparent, palette);
    // Equal endpoints in DXT1 read as three colours: index 3 is transparent.
    const int choices = allowTransparent && c0 <= c1 ? 3 : 4;
    uint32_t indices = 0;
    for (int i = 0; i < 16; ++i) {
        int best = 0;
        if (transparent[i]) {
            best = 3;
        } else {
            for (int k = 1; k < choices; ++k)
                if (distance(texels[i], palette[k]) < distance(texels[i], palette[best]))
                    best = k;
        }
        indices |= uint32_t(best) << (2 * i);
    }
    write16(p, c0);
    write16(p + 2, c1);
    write16(p + 4, indices & 0xFFFF);
    write16(p + 6, indices >> 16);
}

} // namespace

bool BlockCodec::handles(D3DFORMAT format)
{
    return blockBytes(format) != 0;
}

unsigned BlockCodec::blockBytes(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_DXT1:
        return 8;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
        return 16;
    default:
        return 0;
    }
}

void BlockCodec::decode(D3DFORMAT format, const uint8_t* block, uint32_t texels[16])
{
    switch (format) {
    case D3DFMT_DXT1:
        decodeColour(block, false, texels);
        return;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3: {
        decodeColour(block + 8, true, texels);
        for (int i = 0; i < 16; ++i) {
            const uint32_t nibble = (block[i / 2] >> (4 * (i & 1))) & 0xF;
            texels[i] = (texels[i] & 0x00FFFFFFu) | (nibble * 17) << 24;
        }
        return;
    }
    case D3DFMT_DXT4:
    case D3DFMT_DXT5: {
        decodeColour(block + 8, true, texels);
        int palette[8];
        alphaPalette(block[0], block[1], palette);
        uint64_t indices = 0;
        for (int i = 0; i < 6; ++i)
            indices |= uint64_t(block[2 + i]) << (8 * i);
        for (int i = 0; i < 16; ++i)
            texels[i] = (texels[i] & 0x00FFFFFFu) | uint32_t(palette[(indices >> (3 * i)) & 7]) << 24;
        return;
    }
    default:
        for (int i = 0; i < 16; ++i)
            texels[i] = 0;
        return;
    }
}

void BlockCodec::encode(D3DFORMAT format, const uint32_t texels[16], uint8_t* block)
{
    switch (format) {
    case D3DFMT_DXT1:
        encodeColour(texels, true, block);
        return;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
        for (int i = 0; i < 8; ++i)
            block[i] = 0;
        for (int i = 0; i < 16; ++i) {
            const uint32_t nibble = ((texels[i] >> 24) * 15 + 127) / 255;
            block[i / 2] = uint8_t(block[i / 2] | nibble << (4 * (i & 1)));
        }
        encodeColour(texels, false, block + 8);
        return;
    case D3DFMT_DXT4:
    case D3DFMT_DXT5: {
        int a0 = 0, a1 = 255;
        for (int i = 0; i < 16; ++i) {
            const int a = int(texels[i] >> 24);
            a0 = a > a0 ? a : a0;
            a1 = a < a1 ? a : a1;
        }
        int palette[8];
        alphaPalette(a0, a1, palette);
        uint64_t indices = 0;
        if (a0 != a1) {
            for (int i = 0; i < 16; ++i) {
                const int a = int(texels[i] >> 24);
                int best = 0;
                for (int k = 1; k < 8; ++k) {
                    const int d = palette[k] - a, e = palette[best] - a;
                    if (d * d < e * e)
                        best = k;
                }
                indices |= uint64_t(best) << (3 * i);
            }
        }
        block[0] = uint8_t(a0);
        block[1] = uint8_t(a1);
        for (int i = 0; i < 6; ++i)
            block[2 + i] = uint8_t(indices >> (8 * i));
        encodeColour(texels, false, block + 8);
        return;
    }
    default:
        return;
    }
}
