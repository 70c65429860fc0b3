#include "engine/core/display/FormatDescription.h"

namespace {

constexpr uint32_t u(uint32_t bits) { return formatChannel(bits); }
constexpr uint32_t s(uint32_t bits) { return formatChannel(bits, FormatSigned); }
constexpr uint32_t f(uint32_t bits) { return formatChannel(bits, FormatFloat); }
// A channel stored in `count` sub-elements: shared chroma of the packed YUV
// formats, the elements of the multi-element formats.
constexpr uint32_t m(uint32_t bits, uint32_t count, uint32_t kind = FormatUnsigned)
{
    return formatChannel(bits, kind, count);
}

constexpr uint32_t D = FormatClassDisplay;
constexpr uint32_t Z = FormatClassDepth;
constexpr uint32_t ZD = FormatClassDepth | FormatClassDiscardable;
constexpr uint32_t F = FormatClassFloat;
constexpr uint32_t C = FormatClassCompressed;
constexpr uint32_t CA = FormatClassCompressed | FormatClassBlockAlpha;

// In this order; the chooser breaks ties by it.
constexpr FormatDescription table[formatTableSize] = {
    {D3DFMT_R8G8B8, "R8G8B8", {0, u(8), u(8), u(8)}, 24, 0},
    {D3DFMT_A8R8G8B8, "A8R8G8B8", {u(8), u(8), u(8), u(8)}, 32, D},
    {D3DFMT_X8R8G8B8, "X8R8G8B8", {0, u(8), u(8), u(8)}, 32, D},
    {D3DFMT_R5G6B5, "R5G6B5", {0, u(5), u(6), u(5)}, 16, D},
    {D3DFMT_X1R5G5B5, "X1R5G5B5", {0, u(5), u(5), u(5)}, 16, D},
    {D3DFMT_A1R5G5B5, "A1R5G5B5", {u(1), u(5), u(5), u(5)}, 16, D},
    {D3DFMT_A4R4G4B4, "A4R4G4B4", {u(4), u(4), u(4), u(4)}, 16, 0},
    {D3DFMT_R3G3B2, "R3G3B2", {0, u(3), u(3), u(2)}, 8, 0},
    {D3DFMT_A8, "A8", {u(8), 0, 0, 0}, 8, 0},
    {D3DFMT_A8R3G3B2, "A8R3G3B2", {u(8), u(3), u(3), u(2)}, 16, 0},
    {D3DFMT_X4R4G4B4, "X4R4G4B4", {0, u(4), u(4), u(4)}, 16, 0},
    {D3DFMT_A2B10G10R10, "A2B10G10R10", {u(2), u(10), u(10), u(10)}, 32, 0},
    {D3DFMT_A8B8G8R8, "A8B8G8R8", {u(8), u(8), u(8), u(8)}, 32, 0},
    {D3DFMT_X8B8G8R8, "X8B8G8R8", {0, u(8), u(8), u(8)}, 32, 0},
    {D3DFMT_G16R16, "G16R16", {0, u(16), u(16), 0}, 32, 0},
    {D3DFMT_A2R10G10B10, "A2R10G10B10", {u(2), u(10), u(10), u(10)}, 32, D},
    {D3DFMT_A16B16G16R16, "A16B16G16R16", {u(16), u(16), u(16), u(16)}, 64, 0},
    // Palette formats carry an index, not colour channels.
    {D3DFMT_A8P8, "A8P8", {u(8), 0, 0, 0}, 16, 0},
    {D3DFMT_P8, "P8", {0, 0, 0, 0}, 8, 0},
    {D3DFMT_L8, "L8", {0, u(8), 0, 0}, 8, 0},
    {D3DFMT_A8L8, "A8L8", {u(8), u(8), 0, 0}, 16, 0},
    {D3DFMT_A4L4, "A4L4", {u(4), u(4), 0, 0}, 8, 0},
    {D3DFMT_V8U8, "V8U8", {0, s(8), s(8), 0}, 16, 0},
    {D3DFMT_L6V5U5, "L6V5U5", {0, s(5), s(5), u(6)}, 16, 0},
    {D3DFMT_X8L8V8U8, "X8L8V8U8", {0, s(8), s(8), u(8)}, 32, 0},
    {D3DFMT_Q8W8V8U8, "Q8W8V8U8", {s(8), s(8), s(8), s(8)}, 32, 0},
    {D3DFMT_V16U16, "V16U16", {0, s(16), s(16), 0}, 32, 0},
    {D3DFMT_A2W10V10U10, "A2W10V10U10", {u(2), s(10), s(10), s(10)}, 32, 0},
    {D3DFMT_UYVY, "UYVY", {0, m(8, 1), u(8), m(8, 1)}, 16, 0},
    {D3DFMT_R8G8_B8G8, "R8G8_B8G8", {0, m(8, 1), u(8), m(8, 1)}, 16, 0},
    {D3DFMT_YUY2, "YUY2", {0, m(8, 1), u(8), m(8, 1)}, 16, 0},
    {D3DFMT_G8R8_G8B8, "G8R8_G8B8", {0, m(8, 1), u(8), m(8, 1)}, 16, 0},
    {D3DFMT_YV12, "YV12", {0, m(8, 2), u(8), m(8, 2)}, 12, 0},
    {D3DFMT_DXT1, "DXT1", {u(1), u(5), u(6), u(5)}, 4, C},
    {D3DFMT_DXT2, "DXT2", {u(4), u(5), u(6), u(5)}, 8, CA},
    {D3DFMT_DXT3, "DXT3", {u(4), u(5), u(6), u(5)}, 8, CA},
    {D3DFMT_DXT4, "DXT4", {u(8), u(5), u(6), u(5)}, 8, CA},
    {D3DFMT_DXT5, "DXT5", {u(8), u(5), u(6), u(5)}, 8, CA},
    {D3DFMT_D16_LOCKABLE, "D16_LOCKABLE", {0, u(16), 0, 0}, 16, Z},
    {D3DFMT_D32, "D32", {0, u(32), 0, 0}, 32, ZD},
    {D3DFMT_D15S1, "D15S1", {u(1), u(15), 0, 0}, 16, ZD},
    {D3DFMT_D24S8, "D24S8", {u(8), u(24), 0, 0}, 32, ZD},
    {D3DFMT_D24X8, "D24X8", {0, u(24), 0, 0}, 32, ZD},
    {D3DFMT_D24X4S4, "D24X4S4", {u(4), u(24), 0, 0}, 32, ZD},
    {D3DFMT_D16, "D16", {0, u(16), 0, 0}, 16, ZD},
    {D3DFMT_D32F_LOCKABLE, "D32F_LOCKABLE", {0, f(32), 0, 0}, 32, Z},
    {D3DFMT_D24FS8, "D24FS8", {u(8), f(24), 0, 0}, 32, ZD},
    {D3DFMT_L16, "L16", {0, u(16), 0, 0}, 16, 0},
    {D3DFMT_Q16W16V16U16, "Q16W16V16U16", {s(16), s(16), s(16), s(16)}, 64, 0},
    {D3DFMT_MULTI2_ARGB8, "MULTI2_ARGB8", {m(8, 2), m(8, 2), m(8, 2), m(8, 2)}, 64, 0},
    {D3DFMT_MET_4_4_4_4_NV, "MET_4_4_4_4_NV", {m(32, 4, 2), m(32, 4, 2), m(32, 4, 2), m(32, 4, 2)}, 512, F},
    {D3DFMT_MET_4_4_4_2_NV, "MET_4_4_4_2_NV", {m(32, 4, 2), m(32, 4, 2), m(32, 4, 2), m(32, 2, 2)}, 448, F},
    {D3DFMT_MET_4_4_4_1_NV, "MET_4_4_4_1_NV", {m(32, 4, 2), m(32, 4, 2), m(32, 4, 2), m(32, 1, 2)}, 416, F},
    {D3DFMT_MET_4_4_2_2_NV, "MET_4_4_2_2_NV", {m(32, 4, 2), m(32, 4, 2), m(32, 2, 2), m(32, 2, 2)}, 384, F},
    {D3DFMT_MET_4_4_2_1_NV, "MET_4_4_2_1_NV", {m(32, 4, 2), m(32, 4, 2), m(32, 2, 2), m(32, 1, 2)}, 352, F},
    {D3DFMT_MET_4_4_1_1_NV, "MET_4_4_1_1_NV", {m(32, 4, 2), m(32, 4, 2), m(32, 1, 2), m(32, 1, 2)}, 320, F},
    {D3DFMT_MET_4_2_2_2_NV, "MET_4_2_2_2_NV", {m(32, 4, 2), m(32, 2, 2), m(32, 2, 2), m(32, 2, 2)}, 320, F},
    {D3DFMT_MET_4_2_2_1_NV, "MET_4_2_2_1_NV", {m(32, 4, 2), m(32, 2, 2), m(32, 2, 2), m(32, 1, 2)}, 288, F},
    {D3DFMT_MET_4_2_1_1_NV, "MET_4_2_1_1_NV", {m(32, 4, 2), m(32, 2, 2), m(32, 1, 2), m(32, 1, 2)}, 256, F},
    {D3DFMT_MET_4_1_1_1_NV, "MET_4_1_1_1_NV", {m(32, 4, 2), m(32, 1, 2), m(32, 1, 2), m(32, 1, 2)}, 224, F},
    {D3DFMT_MET_2_2_2_2_NV, "MET_2_2_2_2_NV", {m(32, 2, 2), m(32, 2, 2), m(32, 2, 2), m(32, 2, 2)}, 256, F},
    {D3DFMT_MET_2_2_2_1_NV, "MET_2_2_2_1_NV", {m(32, 2, 2), m(32, 2, 2), m(32, 2, 2), m(32, 1, 2)}, 224, F},
    {D3DFMT_MET_2_2_1_1_NV, "MET_2_2_1_1_NV", {m(32, 2, 2), m(32, 2, 2), m(32, 1, 2), m(32, 1, 2)}, 192, F},
    {D3DFMT_MET_2_1_1_1_NV, "MET_2_1_1_1_NV", {m(32, 2, 2), m(32, 1, 2), m(32, 1, 2), m(32, 1, 2)}, 160, F},
    {D3DFMT_MET_1_1_1_1_NV, "MET_1_1_1_1_NV", {m(32, 1, 2), m(32, 1, 2), m(32, 1, 2), m(32, 1, 2)}, 128, F},
    {D3DFMT_R16F, "R16F", {0, f(16), 0, 0}, 16, F},
    {D3DFMT_G16R16F, "G16R16F", {0, f(16), f(16), 0}, 32, F},
    {D3DFMT_A16B16G16R16F, "A16B16G16R16F", {f(16), f(16), f(16), f(16)}, 64, F},
    {D3DFMT_R32F, "R32F", {0, f(32), 0, 0}, 32, F},
    {D3DFMT_G32R32F, "G32R32F", {0, f(32), f(32), 0}, 64, F},
    {D3DFMT_A32B32G32R32F, "A32B32G32R32F", {f(32), f(32), f(32), f(32)}, 128, F},
    {D3DFMT_CxV8U8, "CxV8U8", {0, s(8), s(8), 0}, 16, 0},
};

} // namespace

const FormatDescription* formatTable()
{
    return table;
}

const FormatDescription* findFormatDescription(D3DFORMAT format)
{
    for (const FormatDescription& d : table)
        if (d.format == format)
            return &d;
    return nullptr;
}
