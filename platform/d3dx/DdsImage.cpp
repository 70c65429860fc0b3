#include "platform/d3dx/DdsImage.h"

#include "platform/d3dx/DdsLayout.h"
#include "platform/d3dx/MipFilter.h"
#include "platform/d3dx/PixelFormat.h"

#include <cstdio>

using namespace dds;

void reportDdsRefusal(const DdsImage& image)
{
    std::fprintf(stderr, "D3DX: DDS file refused: %s\n", image.refusal());
}

HRESULT DdsImage::refuse(const char* reason)
{
    m_refusal = reason;
    return D3DXERR_INVALIDDATA;
}

void DdsImage::clear()
{
    m_refusal = "";
    m_data = nullptr;
    m_info = {};
    m_faces = 0;
    m_offsets.clear();
}

HRESULT DdsImage::parse(const void* data, size_t size)
{
    clear();
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    if (!bytes || size < kFileHeaderBytes)
        return refuse("the file is shorter than a DDS header");
    if (read32(bytes, 0) != MAKEFOURCC('D', 'D', 'S', ' '))
        return refuse("the file does not start with \"DDS \"");
    if (read32(bytes, kOffSize) != kHeaderSize || read32(bytes, kOffPfSize) != kPixelFormatSize)
        return refuse("the header or pixel format size is wrong");

    const uint32_t flags = read32(bytes, kOffFlags);
    const uint32_t width = read32(bytes, kOffWidth);
    const uint32_t height = read32(bytes, kOffHeight);
    if (width == 0 || height == 0 || width > kMaxSurfaceDimension || height > kMaxSurfaceDimension)
        return refuse("the width or height is 0 or too large");

    PixelFormatFields fields {read32(bytes, kOffPfFlags), read32(bytes, kOffFourCC), read32(bytes, kOffBitCount),
                              {read32(bytes, kOffMasks), read32(bytes, kOffMasks + 4), read32(bytes, kOffMasks + 8),
                               read32(bytes, kOffMasks + 12)}};
    const PixelFormat* format = PixelFormat::find(identifyFormat(fields));
    if (!format)
        return refuse("the pixel format is not one Direct3D knows");

    const uint32_t caps2 = read32(bytes, kOffCaps2);
    D3DRESOURCETYPE type = D3DRTYPE_TEXTURE;
    uint32_t depth = 1, faces = 1;
    if (caps2 & DDSCAPS2_CUBEMAP) {
        // A cube with faces missing cannot become a cube texture.
        if ((caps2 & DDSCAPS2_CUBEMAP_ALLFACES) != DDSCAPS2_CUBEMAP_ALLFACES || width != height)
            return refuse("the cube map lacks a face or its faces are not square");
        type = D3DRTYPE_CUBETEXTURE;
        faces = 6;
    } else if (caps2 & DDSCAPS2_VOLUME) {
        depth = read32(bytes, kOffDepth);
        if (!(flags & DDSD_DEPTH) || depth == 0 || depth > kMaxSurfaceDimension)
            return refuse("the volume's depth is missing, 0 or too large");
        type = D3DRTYPE_VOLUMETEXTURE;
    }

    uint32_t levels = (flags & DDSD_MIPMAPCOUNT) ? read32(bytes, kOffMipCount) : 1;
    if (levels == 0)
        levels = 1;
    const UINT longest = width > height ? width : height;
    if (levels > mipLevelCount(longest > depth ? longest : depth, 1))
        return refuse("the mip count is longer than the full chain");

    // The stored pitch is only a hint to readers, but one that disagrees with
    // the format means the file is not what its pixel format says.
    const uint32_t pitch = read32(bytes, kOffPitch);
    if ((flags & (DDSD_PITCH | DDSD_LINEARSIZE)) && pitch != 0 && pitch != format->rowBytes(width)
        && pitch != format->levelBytes(width, height))
        return refuse("the stored pitch does not match the pixel format");

    const uint64_t available = size - kFileHeaderBytes;
    uint64_t offset = 0;
    std::vector<uint64_t> offsets;
    offsets.reserve(size_t(faces) * levels);
    for (uint32_t face = 0; face < faces; ++face)
        for (uint32_t level = 0; level < levels; ++level) {
            offsets.push_back(offset);
            offset += format->levelBytes(mipDimension(width, level), mipDimension(height, level))
                      * (type == D3DRTYPE_VOLUMETEXTURE ? mipDimension(depth, level) : 1);
            if (offset > available)
                return refuse("the levels run past the end of the file");
        }

    m_data = bytes + kFileHeaderBytes;
    m_info = {width, height, depth, levels, format->format(), type, D3DXIFF_DDS};
    m_faces = faces;
    m_offsets.swap(offsets);
    return D3D_OK;
}

UINT DdsImage::sliceCount(UINT level) const
{
    return m_info.ResourceType == D3DRTYPE_VOLUMETEXTURE ? mipDimension(m_info.Depth, level) : 1;
}

ConstSurfaceView DdsImage::level(UINT face, UINT level, UINT slice) const
{
    if (face >= m_faces || level >= m_info.MipLevels || slice >= sliceCount(level))
        return {nullptr, 0, 0, m_info.Format, 0, 0};
    const PixelFormat& format = *PixelFormat::find(m_info.Format);
    const UINT width = mipDimension(m_info.Width, level), height = mipDimension(m_info.Height, level);
    const uint64_t sliceBytes = format.levelBytes(width, height);
    const uint64_t offset = m_offsets[size_t(face) * m_info.MipLevels + level] + slice * sliceBytes;
    return {m_data + offset, size_t(sliceBytes), size_t(format.rowBytes(width)), m_info.Format, width, height};
}
