#include "platform/d3dx/SurfaceCopy.h"

#include "platform/d3dx/BlockCodec.h"
#include "platform/d3dx/PixelFormat.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct Area {
    UINT left, top, right, bottom;
    UINT width() const { return right - left; }
    UINT height() const { return bottom - top; }
};

bool resolve(const RECT* rect, UINT width, UINT height, Area& out)
{
    if (!rect) {
        out = {0, 0, width, height};
        return true;
    }
    if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom
        || uint64_t(rect->right) > width || uint64_t(rect->bottom) > height)
        return false;
    out = {UINT(rect->left), UINT(rect->top), UINT(rect->right), UINT(rect->bottom)};
    return true;
}

bool onBlocks(const Area& a, UINT width, UINT height)
{
    return a.left % 4 == 0 && a.top % 4 == 0 && (a.right % 4 == 0 || a.right == width)
           && (a.bottom % 4 == 0 || a.bottom == height);
}

const uint8_t* texelAt(const ConstSurfaceView& v, const PixelFormat& f, UINT x, UINT y)
{
    return v.bits + size_t(y) * v.pitch + size_t(x) * f.elementBytes();
}

void copyBytes(const SurfaceView& dst, const Area& d, const ConstSurfaceView& src, const Area& s,
               const PixelFormat& f)
{
    const bool blocks = f.isBlockCompressed();
    const UINT unit = blocks ? 4 : 1;
    const uint64_t rows = f.rowCount(d.bottom) - d.top / unit;
    const size_t rowBytes = size_t(f.rowBytes(d.right) - f.rowBytes(d.left));
    for (uint64_t row = 0; row < rows; ++row)
        std::memcpy(dst.bits + size_t(d.top / unit + row) * dst.pitch + size_t(d.left / unit) * f.elementBytes(),
                    src.bits + size_t(s.top / unit + row) * src.pitch + size_t(s.left / unit) * f.elementBytes(),
                    rowBytes);
}

void readArgb(const ConstSurfaceView& v, const PixelFormat& f, const Area& a, std::vector<uint32_t>& out)
{
    const UINT w = a.width();
    out.resize(size_t(w) * a.height());
    if (!f.isBlockCompressed()) {
        for (UINT y = 0; y < a.height(); ++y)
            f.toArgb(texelAt(v, f, a.left, a.top + y), &out[size_t(y) * w], w);
        return;
    }
    uint32_t texels[16];
    for (UINT by = a.top / 4; by <= (a.bottom - 1) / 4; ++by)
        for (UINT bx = a.left / 4; bx <= (a.right - 1) / 4; ++bx) {
            BlockCodec::decode(f.format(), v.bits + size_t(by) * v.pitch + size_t(bx) * f.elementBytes(), texels);
            for (UINT ty = 0; ty < 4; ++ty)
                for (UINT tx = 0; tx < 4; ++tx) {
                    const UINT x = bx * 4 + tx, y = by * 4 + ty;
                    if (x >= a.left && x < a.right && y >= a.top && y < a.bottom)
                        out[size_t(y - a.top) * w + (x - a.left)] = texels[ty * 4 + tx];
                }
        }
}

void writeArgb(const SurfaceView& v, const PixelFormat& f, const Area& a, const std::vector<uint32_t>& in)
{
    const UINT w = a.width();
    if (!f.isBlockCompressed()) {
        for (UINT y = 0; y < a.height(); ++y)
            f.fromArgb(&in[size_t(y) * w], v.bits + size_t(a.top + y) * v.pitch + size_t(a.left) * f.elementBytes(),
                       w);
        return;
    }
    uint32_t texels[16];
    for (UINT by = a.top / 4; by <= (a.bottom - 1) / 4; ++by)
        for (UINT bx = a.left / 4; bx <= (a.right - 1) / 4; ++bx) {
            for (UINT ty = 0; ty < 4; ++ty)
                for (UINT tx = 0; tx < 4; ++tx) {
                    const UINT x = std::min(bx * 4 + tx, a.right - 1), y = std::min(by * 4 + ty, a.bottom - 1);
                    texels[ty * 4 + tx] = in[size_t(y - a.top) * w + (x - a.left)];
                }
            BlockCodec::encode(f.format(), texels, v.bits + size_t(by) * v.pitch + size_t(bx) * f.elementBytes());
        }
}

void readColor(const ConstSurfaceView& v, const PixelFormat& f, const Area& a, std::vector<ColorF>& out)
{
    out.resize(size_t(a.width()) * a.height());
    for (UINT y = 0; y < a.height(); ++y)
        f.toColor(texelAt(v, f, a.left, a.top + y), &out[size_t(y) * a.width()], a.width());
}

void writeColor(const SurfaceView& v, const PixelFormat& f, const Area& a, const std::vector<ColorF>& in)
{
    for (UINT y = 0; y < a.height(); ++y)
        f.fromColor(&in[size_t(y) * a.width()], v.bits + size_t(a.top + y) * v.pitch + size_t(a.left) * f.elementBytes(),
                    a.width());
}

// One source texel's share of a destination texel along one axis, in units
// in which a destination texel spans `source size` units.
struct Tap {
    UINT index;
    uint32_t weight;
};

struct Taps {
    std::vector<size_t> first; // taps of texel i: [first[i], first[i + 1])
    std::vector<Tap> taps;
};

Taps areaTaps(UINT source, UINT destination)
{
    Taps t;
    t.first.reserve(destination + 1);
    for (UINT x = 0; x < destination; ++x) {
        t.first.push_back(t.taps.size());
        const uint64_t lo = uint64_t(x) * source, hi = lo + source;
        for (uint64_t i = lo / destination; i * destination < hi; ++i) {
            const uint64_t begin = std::max(i * destination, lo), end = std::min((i + 1) * destination, hi);
            t.taps.push_back({UINT(i), uint32_t(end - begin)});
        }
    }
    t.first.push_back(t.taps.size());
    return t;
}

// The nearest texel, given the whole weight so that both kinds of taps
// share one normalisation.
Taps pointTaps(UINT source, UINT destination)
{
    Taps t;
    for (UINT x = 0; x < destination; ++x) {
        t.first.push_back(t.taps.size());
        t.taps.push_back({UINT((uint64_t(2 * x + 1) * source) / (2 * uint64_t(destination))), source});
    }
    t.first.push_back(t.taps.size());
    return t;
}

void resample(const std::vector<uint32_t>& in, UINT sw, UINT sh, std::vector<uint32_t>& out, UINT dw, UINT dh,
              const Taps& tx, const Taps& ty)
{
    out.resize(size_t(dw) * dh);
    const uint64_t total = uint64_t(sw) * sh;
    for (UINT y = 0; y < dh; ++y)
        for (UINT x = 0; x < dw; ++x) {
            uint64_t sum[4] = {0, 0, 0, 0};
            for (size_t j = ty.first[y]; j < ty.first[y + 1]; ++j)
                for (size_t i = tx.first[x]; i < tx.first[x + 1]; ++i) {
                    const uint64_t w = uint64_t(tx.taps[i].weight) * ty.taps[j].weight;
                    const uint32_t p = in[size_t(ty.taps[j].index) * sw + tx.taps[i].index];
                    for (int k = 0; k < 4; ++k)
                        sum[k] += ((p >> (8 * k)) & 0xFF) * w;
                }
            uint32_t texel = 0;
            for (int k = 0; k < 4; ++k)
                texel |= uint32_t((sum[k] + total / 2) / total) << (8 * k);
            out[size_t(y) * dw + x] = texel;
        }
}

void resample(const std::vector<ColorF>& in, UINT sw, UINT sh, std::vector<ColorF>& out, UINT dw, UINT dh,
              const Taps& tx, const Taps& ty)
{
    out.resize(size_t(dw) * dh);
    const double total = double(sw) * sh;
    for (UINT y = 0; y < dh; ++y)
        for (UINT x = 0; x < dw; ++x) {
            double sum[4] = {0, 0, 0, 0};
            for (size_t j = ty.first[y]; j < ty.first[y + 1]; ++j)
                for (size_t i = tx.first[x]; i < tx.first[x + 1]; ++i) {
                    const double w = double(tx.taps[i].weight) * ty.taps[j].weight;
                    const ColorF& p = in[size_t(ty.taps[j].index) * sw + tx.taps[i].index];
                    sum[0] += p.r * w;
                    sum[1] += p.g * w;
                    sum[2] += p.b * w;
                    sum[3] += p.a * w;
                }
            out[size_t(y) * dw + x] = {float(sum[0] / total), float(sum[1] / total), float(sum[2] / total),
                                       float(sum[3] / total)};
        }
}

template <typename Texel>
void scale(std::vector<Texel>& texels, const Area& s, const Area& d, DWORD filter)
{
    if (s.width() == d.width() && s.height() == d.height())
        return;
    const DWORD kind = filter == D3DX_DEFAULT ? D3DX_FILTER_BOX : (filter & 0xFF);
    const bool point = kind == D3DX_FILTER_NONE || kind == D3DX_FILTER_POINT;
    const Taps tx = point ? pointTaps(s.width(), d.width()) : areaTaps(s.width(), d.width());
    const Taps ty = point ? pointTaps(s.height(), d.height()) : areaTaps(s.height(), d.height());
    std::vector<Texel> out;
    resample(texels, s.width(), s.height(), out, d.width(), d.height(), tx, ty);
    texels.swap(out);
}

} // namespace

HRESULT copySurface(const SurfaceView& dst, const RECT* dstRect, const ConstSurfaceView& src, const RECT* srcRect,
                    DWORD filter)
{
    if (!dst.isValid() || !src.isValid())
        return D3DERR_INVALIDCALL;
    Area d, s;
    if (!resolve(dstRect, dst.width, dst.height, d) || !resolve(srcRect, src.width, src.height, s))
        return D3DERR_INVALIDCALL;
    const PixelFormat& df = *PixelFormat::find(dst.format);
    const PixelFormat& sf = *PixelFormat::find(src.format);
    if (df.isBlockCompressed() && !onBlocks(d, dst.width, dst.height))
        return D3DERR_INVALIDCALL;

    const bool sameSize = s.width() == d.width() && s.height() == d.height();
    if (sameSize && df.format() == sf.format() && (!sf.isBlockCompressed() || onBlocks(s, src.width, src.height))) {
        copyBytes(dst, d, src, s, sf);
        return D3D_OK;
    }
    const bool blocks = df.isBlockCompressed() || sf.isBlockCompressed();
    if (!blocks && (df.isWide() || sf.isWide())) {
        std::vector<ColorF> texels;
        readColor(src, sf, s, texels);
        scale(texels, s, d, filter);
        writeColor(dst, df, d, texels);
        return D3D_OK;
    }
    std::vector<uint32_t> texels;
    readArgb(src, sf, s, texels);
    scale(texels, s, d, filter);
    writeArgb(dst, df, d, texels);
    return D3D_OK;
}
