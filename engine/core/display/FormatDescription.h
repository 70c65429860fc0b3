#pragma once
#include "platform/d3d9/D3D9Types.h"

#include <cstdint>

// The engine's description of every Direct3D 9 format, the table the
// format chooser scores. A channel field packs the bit count in bits 0-7,
// a count of sub-elements in bits 8-15 and the kind in bits 16-31. Colour
// formats list alpha, red, green, blue; depth formats stencil, depth, 0, 0;
// luminance and bump formats put their first component where red goes.
enum FormatChannelKind : uint32_t {
    FormatUnsigned = 0,
    FormatSigned = 1,
    FormatFloat = 2,
};

constexpr uint32_t formatChannel(uint32_t bits, uint32_t kind = FormatUnsigned, uint32_t subElements = 0)
{
    return (kind << 16) | (subElements << 8) | bits;
}
constexpr uint32_t channelBits(uint32_t field) { return field & 0xFF; }
constexpr uint32_t channelMiddle(uint32_t field) { return (field >> 8) & 0xFF; }
constexpr uint32_t channelKind(uint32_t field) { return field >> 16; }

// Class flags.
constexpr uint32_t FormatClassDisplay = 0x01;     // display and back-buffer formats
constexpr uint32_t FormatClassDepth = 0x02;       // depth-stencil formats
constexpr uint32_t FormatClassDiscardable = 0x04; // depth formats that need not be lockable
constexpr uint32_t FormatClassFloat = 0x10;       // floating-point colour formats
constexpr uint32_t FormatClassCompressed = 0x20;  // block-compressed formats
constexpr uint32_t FormatClassBlockAlpha = 0x40;  // block-compressed with an alpha block

struct FormatDescription {
    D3DFORMAT format;
    const char* name;
    uint32_t channels[4];
    int32_t totalBits;
    uint32_t flags;
};

constexpr int formatTableSize = 72;
const FormatDescription* formatTable();
// The table's entry for a format, or null.
const FormatDescription* findFormatDescription(D3DFORMAT format);
