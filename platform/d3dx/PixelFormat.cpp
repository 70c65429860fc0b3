#include "platform/d3dx/PixelFormat.h"

#include <cmath>
#include <cstring>

namespace {

using Storage = PixelFormat::Storage;
using Channel = PixelFormat::Channel;

constexpr Channel none {0, 0};

constexpr PixelFormat packed(D3DFORMAT format, uint8_t bytes, Channel r, Channel g, Channel b, Channel a,
                             uint64_t fill = 0, float missingColour = 1.0f)
{
    return PixelFormat(format, Storage::Packed, bytes, r, g, b, a, false, fill, missingColour);
}

constexpr PixelFormat luminance(D3DFORMAT format, uint8_t bytes, Channel l, Channel a)
{
    return PixelFormat(format, Storage::Packed, bytes, l, none, none, a, true, 0, 1.0f);
}

constexpr PixelFormat floating(D3DFORMAT format, Storage storage, uint8_t components)
{
    const uint8_t bits = storage == Storage::Half ? 16 : 32;
    const auto component = [&](uint8_t index) { return index < components ? Channel {index, bits} : none; };
    return PixelFormat(format, storage, uint8_t(components * bits / 8), component(0), component(1), component(2),
                       component(3), false, 0, 1.0f);
}

constexpr PixelFormat block(D3DFORMAT format, uint8_t bytes)
{
    return PixelFormat(format, Storage::Block, bytes, none, none, none, none, false, 0, 1.0f);
}

constexpr PixelFormat kFormats[] = {
    packed(D3DFMT_A8R8G8B8, 4, {16, 8}, {8, 8}, {0, 8}, {24, 8}),
    packed(D3DFMT_X8R8G8B8, 4, {16, 8}, {8, 8}, {0, 8}, none, 0xFF000000u),
    packed(D3DFMT_A8B8G8R8, 4, {0, 8}, {8, 8}, {16, 8}, {24, 8}),
    packed(D3DFMT_X8B8G8R8, 4, {0, 8}, {8, 8}, {16, 8}, none, 0xFF000000u),
    packed(D3DFMT_R8G8B8, 3, {16, 8}, {8, 8}, {0, 8}, none),
    packed(D3DFMT_R5G6B5, 2, {11, 5}, {5, 6}, {0, 5}, none),
    packed(D3DFMT_X1R5G5B5, 2, {10, 5}, {5, 5}, {0, 5}, none, 0x8000u),
    packed(D3DFMT_A1R5G5B5, 2, {10, 5}, {5, 5}, {0, 5}, {15, 1}),
    packed(D3DFMT_A4R4G4B4, 2, {8, 4}, {4, 4}, {0, 4}, {12, 4}),
    packed(D3DFMT_X4R4G4B4, 2, {8, 4}, {4, 4}, {0, 4}, none, 0xF000u),
    packed(D3DFMT_A2R10G10B10, 4, {20, 10}, {10, 10}, {0, 10}, {30, 2}),
    packed(D3DFMT_G16R16, 4, {0, 16}, {16, 16}, none, none),
    packed(D3DFMT_A16B16G16R16, 8, {0, 16}, {16, 16}, {32, 16}, {48, 16}),
    packed(D3DFMT_A8, 1, none, none, none, {0, 8}, 0, 0.0f),
    luminance(D3DFMT_L8, 1, {0, 8}, none),
    luminance(D3DFMT_A8L8, 2, {0, 8}, {8, 8}),
    luminance(D3DFMT_L16, 2, {0, 16}, none),
    floating(D3DFMT_R16F, Storage::Half, 1),
    floating(D3DFMT_G16R16F, Storage::Half, 2),
    floating(D3DFMT_A16B16G16R16F, Storage::Half, 4),
    floating(D3DFMT_R32F, Storage::Float, 1),
    floating(D3DFMT_G32R32F, Storage::Float, 2),
    floating(D3DFMT_A32B32G32R32F, Storage::Float, 4),
    block(D3DFMT_DXT1, 8),
    block(D3DFMT_DXT2, 16),
    block(D3DFMT_DXT3, 16),
    block(D3DFMT_DXT4, 16),
    block(D3DFMT_DXT5, 16),
};

// IEEE half precision, rounding to nearest even as GPUs store it.
uint16_t floatToHalf(float value)
{
    uint32_t x;
    std::memcpy(&x, &value, sizeof x);
    const uint32_t sign = (x >> 16) & 0x8000u;
    const uint32_t exponent = (x >> 23) & 0xFFu;
    uint32_t mantissa = x & 0x7FFFFFu;
    if (exponent == 0xFF)
        return uint16_t(sign | 0x7C00u | (mantissa != 0 ? 0x200u : 0u));
    const int e = int(exponent) - 127 + 15;
    if (e >= 31)
        return uint16_t(sign | 0x7C00u);
    if (e <= 0) {
        if (e < -10)
            return uint16_t(sign);
        mantissa |= 0x800000u;
        const uint32_t shift = uint32_t(14 - e);
        uint32_t half = mantissa >> shift;
        const uint32_t rest = mantissa & ((1u << shift) - 1);
        const uint32_t halfway = 1u << (shift - 1);
        if (rest > halfway || (rest == halfway && (half & 1)))
            ++half;
        return uint16_t(sign | half);
    }
    uint32_t half = (uint32_t(e) << 10) | (mantissa >> 13);
    const uint32_t rest = mantissa & 0x1FFFu;
    // A carry out of the mantissa steps the exponent, up to infinity: right.
    if (rest > 0x1000u || (rest == 0x1000u && (half & 1)))
        ++half;
    return uint16_t(sign | half);
}

float halfToFloat(uint16_t half)
{
    const uint32_t sign = uint32_t(half & 0x8000u) << 16;
    const uint32_t exponent = (half >> 10) & 0x1Fu;
    const uint32_t mantissa = half & 0x3FFu;
    if (exponent == 0) {
        const float magnitude = std::ldexp(float(mantissa), -24);
        return sign ? -magnitude : magnitude;
    }
    const uint32_t bits =
        exponent == 31 ? (sign | 0x7F800000u | (mantissa << 13)) : (sign | ((exponent + 112) << 23) | (mantissa << 13));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// NaN clamps to 0 so that no conversion reads an undefined integer.
float saturate(float value)
{
    if (!(value > 0.0f))
        return 0.0f;
    return value < 1.0f ? value : 1.0f;
}

uint32_t toByte(float value)
{
    return uint32_t(saturate(value) * 255.0f + 0.5f);
}

uint32_t maxOf(const Channel& channel)
{
    return channel.bits >= 32 ? 0xFFFFFFFFu : (1u << channel.bits) - 1;
}

// Integer luminance weights that sum to 256, so a grey stays the same grey.
constexpr uint32_t kLumR = 54, kLumG = 183, kLumB = 19;

} // namespace

const PixelFormat* PixelFormat::find(D3DFORMAT format)
{
    for (const PixelFormat& f : kFormats)
        if (f.m_format == format)
            return &f;
    return nullptr;
}

bool PixelFormat::isWide() const
{
    if (m_storage == Storage::Half || m_storage == Storage::Float)
        return true;
    for (const Channel& c : m_channels)
        if (c.bits > 8)
            return true;
    return false;
}

uint64_t PixelFormat::rowBytes(uint64_t width) const
{
    return m_storage == Storage::Block ? (width + 3) / 4 * m_bytes : width * m_bytes;
}

uint64_t PixelFormat::rowCount(uint64_t height) const
{
    return m_storage == Storage::Block ? (height + 3) / 4 : height;
}

uint64_t PixelFormat::levelBytes(uint64_t width, uint64_t height) const
{
    return rowBytes(width) * rowCount(height);
}

uint64_t PixelFormat::readWord(const uint8_t* src) const
{
    uint64_t word = 0;
    for (unsigned i = 0; i < m_bytes; ++i)
        word |= uint64_t(src[i]) << (8 * i);
    return word;
}

void PixelFormat::writeWord(uint8_t* dst, uint64_t word) const
{
    for (unsigned i = 0; i < m_bytes; ++i)
        dst[i] = uint8_t(word >> (8 * i));
}

void PixelFormat::toArgb(const uint8_t* src, uint32_t* dst, UINT count) const
{
    if (m_storage == Storage::Block)
        return;
    if (m_storage != Storage::Packed) {
        for (UINT i = 0; i < count; ++i) {
            ColorF c;
            toColor(src + size_t(i) * m_bytes, &c, 1);
            dst[i] = (toByte(c.a) << 24) | (toByte(c.r) << 16) | (toByte(c.g) << 8) | toByte(c.b);
        }
        return;
    }
    const uint32_t missing = m_missingColour > 0.0f ? 0xFFu : 0u;
    for (UINT i = 0; i < count; ++i) {
        const uint64_t word = readWord(src + size_t(i) * m_bytes);
        uint32_t bytes[4];
        for (int k = 0; k < 4; ++k) {
            const Channel& c = m_channels[k];
            if (c.bits == 0) {
                bytes[k] = k == 3 ? 0xFFu : missing;
                continue;
            }
            const uint64_t max = maxOf(c);
            const uint64_t v = (word >> c.shift) & max;
            bytes[k] = c.bits == 8 ? uint32_t(v) : uint32_t((v * 255 + max / 2) / max);
        }
        if (m_luminance)
            bytes[1] = bytes[2] = bytes[0];
        dst[i] = (bytes[3] << 24) | (bytes[0] << 16) | (bytes[1] << 8) | bytes[2];
    }
}

void PixelFormat::fromArgb(const uint32_t* src, uint8_t* dst, UINT count) const
{
    if (m_storage == Storage::Block)
        return;
    if (m_storage != Storage::Packed) {
        for (UINT i = 0; i < count; ++i) {
            const uint32_t p = src[i];
            const ColorF c {float((p >> 16) & 0xFF) / 255.0f, float((p >> 8) & 0xFF) / 255.0f,
                            float(p & 0xFF) / 255.0f, float(p >> 24) / 255.0f};
            fromColor(&c, dst + size_t(i) * m_bytes, 1);
        }
        return;
    }
    for (UINT i = 0; i < count; ++i) {
        const uint32_t p = src[i];
        uint32_t bytes[4] = {(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF, p >> 24};
        if (m_luminance)
            bytes[0] = (kLumR * bytes[0] + kLumG * bytes[1] + kLumB * bytes[2] + 128) >> 8;
        uint64_t word = m_fill;
        for (int k = 0; k < 4; ++k) {
            const Channel& c = m_channels[k];
            if (c.bits == 0)
                continue;
            const uint64_t max = maxOf(c);
            const uint64_t v = c.bits == 8 ? bytes[k] : (bytes[k] * max + 127) / 255;
            word |= v << c.shift;
        }
        writeWord(dst + size_t(i) * m_bytes, word);
    }
}

float PixelFormat::readComponent(const uint8_t* src, const Channel& channel, float missing) const
{
    if (channel.bits == 0)
        return missing;
    if (m_storage == Storage::Half) {
        const uint8_t* at = src + 2 * channel.shift;
        return halfToFloat(uint16_t(at[0] | (at[1] << 8)));
    }
    float value;
    std::memcpy(&value, src + 4 * channel.shift, sizeof value);
    return value;
}

void PixelFormat::writeComponent(uint8_t* dst, const Channel& channel, float value) const
{
    if (channel.bits == 0)
        return;
    if (m_storage == Storage::Half) {
        const uint16_t half = floatToHalf(value);
        dst[2 * channel.shift] = uint8_t(half);
        dst[2 * channel.shift + 1] = uint8_t(half >> 8);
        return;
    }
    std::memcpy(dst + 4 * channel.shift, &value, sizeof value);
}

void PixelFormat::toColor(const uint8_t* src, ColorF* dst, UINT count) const
{
    if (m_storage == Storage::Block)
        return;
    for (UINT i = 0; i < count; ++i) {
        const uint8_t* texel = src + size_t(i) * m_bytes;
        ColorF& out = dst[i];
        if (m_storage != Storage::Packed) {
            out.r = readComponent(texel, m_channels[0], m_missingColour);
            out.g = readComponent(texel, m_channels[1], m_missingColour);
            out.b = readComponent(texel, m_channels[2], m_missingColour);
            out.a = readComponent(texel, m_channels[3], 1.0f);
            continue;
        }
        const uint64_t word = readWord(texel);
        float values[4];
        for (int k = 0; k < 4; ++k) {
            const Channel& c = m_channels[k];
            if (c.bits == 0) {
                values[k] = k == 3 ? 1.0f : m_missingColour;
                continue;
            }
            const uint64_t max = maxOf(c);
            values[k] = float(double((word >> c.shift) & max) / double(max));
        }
        if (m_luminance)
            values[1] = values[2] = values[0];
        out = {values[0], values[1], values[2], values[3]};
    }
}

void PixelFormat::fromColor(const ColorF* src, uint8_t* dst, UINT count) const
{
    if (m_storage == Storage::Block)
        return;
    for (UINT i = 0; i < count; ++i) {
        uint8_t* texel = dst + size_t(i) * m_bytes;
        const ColorF& c = src[i];
        if (m_storage != Storage::Packed) {
            std::memset(texel, 0, m_bytes);
            writeComponent(texel, m_channels[0], c.r);
            writeComponent(texel, m_channels[1], c.g);
            writeComponent(texel, m_channels[2], c.b);
            writeComponent(texel, m_channels[3], c.a);
            continue;
        }
        double values[4] = {saturate(c.r), saturate(c.g), saturate(c.b), saturate(c.a)};
        if (m_luminance)
            values[0] = (kLumR * values[0] + kLumG * values[1] + kLumB * values[2]) / 256.0;
        uint64_t word = m_fill;
        for (int k = 0; k < 4; ++k) {
            const Channel& ch = m_channels[k];
            if (ch.bits == 0)
                continue;
            const uint64_t max = maxOf(ch);
            word |= uint64_t(std::floor(values[k] * double(max) + 0.5)) << ch.shift;
        }
        writeWord(texel, word);
    }
}
