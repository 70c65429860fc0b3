#include "platform/d3dx/DdsWriter.h"

#include "platform/d3dx/DdsLayout.h"
#include "platform/d3dx/MipFilter.h"
#include "platform/d3dx/PixelFormat.h"

#include <cstring>

using namespace dds;

HRESULT writeDds(const ConstSurfaceView* levels, UINT levelCount, std::vector<uint8_t>& out)
{
    if (!levels || levelCount == 0 || !levels[0].isValid())
        return D3DERR_INVALIDCALL;
    const ConstSurfaceView& top = levels[0];
    const PixelFormat& format = *PixelFormat::find(top.format);
    PixelFormatFields fields;
    if (!describeFormat(top.format, fields) || levelCount > mipLevelCount(top.width, top.height))
        return D3DERR_INVALIDCALL;

    uint64_t total = kFileHeaderBytes;
    for (UINT i = 0; i < levelCount; ++i) {
        const ConstSurfaceView& level = levels[i];
        if (!level.isValid() || level.format != top.format || level.width != mipDimension(top.width, i)
            || level.height != mipDimension(top.height, i))
            return D3DERR_INVALIDCALL;
        total += format.levelBytes(level.width, level.height);
    }

    std::vector<uint8_t> file(size_t(total), 0);
    uint8_t* h = file.data();
    write32(h, 0, MAKEFOURCC('D', 'D', 'S', ' '));
    write32(h, kOffSize, kHeaderSize);
    const bool blocks = format.isBlockCompressed();
    write32(h, kOffFlags,
            DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT | DDSD_MIPMAPCOUNT
                | (blocks ? DDSD_LINEARSIZE : DDSD_PITCH));
    write32(h, kOffHeight, top.height);
    write32(h, kOffWidth, top.width);
    write32(h, kOffPitch,
            uint32_t(blocks ? format.levelBytes(top.width, top.height) : format.rowBytes(top.width)));
    write32(h, kOffMipCount, levelCount);
    write32(h, kOffPfSize, kPixelFormatSize);
    write32(h, kOffPfFlags, fields.flags);
    write32(h, kOffFourCC, fields.fourCC);
    write32(h, kOffBitCount, fields.bitCount);
    for (int k = 0; k < 4; ++k)
        write32(h, kOffMasks + 4 * k, fields.masks[k]);
    write32(h, kOffCaps, DDSCAPS_TEXTURE | (levelCount > 1 ? DDSCAPS_COMPLEX | DDSCAPS_MIPMAP : 0));

    uint8_t* at = h + kFileHeaderBytes;
    for (UINT i = 0; i < levelCount; ++i) {
        const ConstSurfaceView& level = levels[i];
        const size_t rowBytes = size_t(format.rowBytes(level.width));
        const uint64_t rows = format.rowCount(level.height);
        for (uint64_t row = 0; row < rows; ++row) {
            std::memcpy(at, level.bits + size_t(row) * level.pitch, rowBytes);
            at += rowBytes;
        }
    }
    out.swap(file);
    return D3D_OK;
}
