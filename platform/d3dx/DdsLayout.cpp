#include "platform/d3dx/DdsLayout.h"

namespace dds {
namespace {

struct FormatEntry {
    D3DFORMAT format;
    PixelFormatFields fields;
};

constexpr uint32_t RGB = DDPF_RGB;
constexpr uint32_t RGBA = DDPF_RGB | DDPF_ALPHAPIXELS;
constexpr uint32_t LUM = DDPF_LUMINANCE;

constexpr FormatEntry kEntries[] = {
    {D3DFMT_A8R8G8B8, {RGBA, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}}},
    {D3DFMT_X8R8G8B8, {RGB, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0}}},
    {D3DFMT_A8B8G8R8, {RGBA, 0, 32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}}},
    {D3DFMT_X8B8G8R8, {RGB, 0, 32, {0xFF, 0xFF00, 0xFF0000, 0}}},
    {D3DFMT_R8G8B8, {RGB, 0, 24, {0xFF0000, 0xFF00, 0xFF, 0}}},
    {D3DFMT_R5G6B5, {RGB, 0, 16, {0xF800, 0x7E0, 0x1F, 0}}},
    {D3DFMT_X1R5G5B5, {RGB, 0, 16, {0x7C00, 0x3E0, 0x1F, 0}}},
    {D3DFMT_A1R5G5B5, {RGBA, 0, 16, {0x7C00, 0x3E0, 0x1F, 0x8000}}},
    {D3DFMT_A4R4G4B4, {RGBA, 0, 16, {0xF00, 0xF0, 0xF, 0xF000}}},
    {D3DFMT_X4R4G4B4, {RGB, 0, 16, {0xF00, 0xF0, 0xF, 0}}},
    {D3DFMT_A2R10G10B10, {RGBA, 0, 32, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000}}},
    {D3DFMT_G16R16, {RGB, 0, 32, {0xFFFF, 0xFFFF0000, 0, 0}}},
    {D3DFMT_A8, {DDPF_ALPHA, 0, 8, {0, 0, 0, 0xFF}}},
    {D3DFMT_L8, {LUM, 0, 8, {0xFF, 0, 0, 0}}},
    {D3DFMT_A8L8, {LUM | DDPF_ALPHAPIXELS, 0, 16, {0xFF, 0, 0, 0xFF00}}},
    {D3DFMT_L16, {LUM, 0, 16, {0xFFFF, 0, 0, 0}}},
    {D3DFMT_A16B16G16R16, {DDPF_FOURCC, D3DFMT_A16B16G16R16, 0, {0, 0, 0, 0}}},
    {D3DFMT_R16F, {DDPF_FOURCC, D3DFMT_R16F, 0, {0, 0, 0, 0}}},
    {D3DFMT_G16R16F, {DDPF_FOURCC, D3DFMT_G16R16F, 0, {0, 0, 0, 0}}},
    {D3DFMT_A16B16G16R16F, {DDPF_FOURCC, D3DFMT_A16B16G16R16F, 0, {0, 0, 0, 0}}},
    {D3DFMT_R32F, {DDPF_FOURCC, D3DFMT_R32F, 0, {0, 0, 0, 0}}},
    {D3DFMT_G32R32F, {DDPF_FOURCC, D3DFMT_G32R32F, 0, {0, 0, 0, 0}}},
    {D3DFMT_A32B32G32R32F, {DDPF_FOURCC, D3DFMT_A32B32G32R32F, 0, {0, 0, 0, 0}}},
    {D3DFMT_DXT1, {DDPF_FOURCC, D3DFMT_DXT1, 0, {0, 0, 0, 0}}},
    {D3DFMT_DXT2, {DDPF_FOURCC, D3DFMT_DXT2, 0, {0, 0, 0, 0}}},
    {D3DFMT_DXT3, {DDPF_FOURCC, D3DFMT_DXT3, 0, {0, 0, 0, 0}}},
    {D3DFMT_DXT4, {DDPF_FOURCC, D3DFMT_DXT4, 0, {0, 0, 0, 0}}},
    {D3DFMT_DXT5, {DDPF_FOURCC, D3DFMT_DXT5, 0, {0, 0, 0, 0}}},
};

constexpr uint32_t kKindFlags = DDPF_RGB | DDPF_LUMINANCE | DDPF_ALPHA;

} // namespace

bool describeFormat(D3DFORMAT format, PixelFormatFields& out)
{
    for (const FormatEntry& e : kEntries)
        if (e.format == format) {
            out = e.fields;
            return true;
        }
    return false;
}

D3DFORMAT identifyFormat(const PixelFormatFields& fields)
{
    if (fields.flags & DDPF_FOURCC) {
        for (const FormatEntry& e : kEntries)
            if ((e.fields.flags & DDPF_FOURCC) && e.fields.fourCC == fields.fourCC)
                return e.format;
        return D3DFMT_UNKNOWN;
    }
    // Writers disagree on whether an unused alpha mask is zeroed; it counts
    // only when the flags say the alpha is there.
    const bool hasAlpha = (fields.flags & (DDPF_ALPHAPIXELS | DDPF_ALPHA)) != 0;
    const uint32_t alphaMask = hasAlpha ? fields.masks[3] : 0;
    for (const FormatEntry& e : kEntries) {
        const PixelFormatFields& f = e.fields;
        if ((f.flags & DDPF_FOURCC) || (f.flags & kKindFlags) != (fields.flags & kKindFlags)
            || f.bitCount != fields.bitCount || f.masks[3] != alphaMask)
            continue;
        if (f.masks[0] == fields.masks[0] && f.masks[1] == fields.masks[1] && f.masks[2] == fields.masks[2])
            return e.format;
    }
    return D3DFMT_UNKNOWN;
}

} // namespace dds
