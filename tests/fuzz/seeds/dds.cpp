// Seeds for the DDS reader: 2D files of several formats and chain lengths
// from our own writer, and a cube map and a volume made from its header.
#include "SeedRegistry.h"

#include "platform/d3dx/DdsLayout.h"
#include "platform/d3dx/DdsWriter.h"
#include "platform/d3dx/MipFilter.h"
#include "platform/d3dx/PixelFormat.h"

namespace {

std::vector<unsigned char> texture(D3DFORMAT format, UINT width, UINT height, UINT levelCount)
{
    const PixelFormat& f = *PixelFormat::find(format);
    std::vector<std::vector<uint8_t>> memory;
    std::vector<ConstSurfaceView> views;
    memory.reserve(levelCount);
    for (UINT level = 0; level < levelCount; ++level) {
        const UINT w = mipDimension(width, level), h = mipDimension(height, level);
        std::vector<uint8_t> bytes(size_t(f.levelBytes(w, h)));
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = uint8_t(i * 29 + level * 7);
        memory.push_back(std::move(bytes));
        views.push_back({memory.back().data(), memory.back().size(), size_t(f.rowBytes(w)), format, w, h});
    }
    std::vector<uint8_t> file;
    writeDds(views.data(), levelCount, file);
    return file;
}

} // namespace

VORLUND_SEEDS(fuzz_dds)
{
    seeds::writeFile(dir / "argb", texture(D3DFMT_A8R8G8B8, 8, 4, 4));
    seeds::writeFile(dir / "rgb565", texture(D3DFMT_R5G6B5, 5, 3, 2));
    seeds::writeFile(dir / "l8", texture(D3DFMT_L8, 7, 7, 3));
    seeds::writeFile(dir / "half", texture(D3DFMT_A16B16G16R16F, 4, 2, 1));
    seeds::writeFile(dir / "dxt1", texture(D3DFMT_DXT1, 8, 8, 4));
    seeds::writeFile(dir / "dxt3", texture(D3DFMT_DXT3, 6, 10, 2));
    seeds::writeFile(dir / "dxt5", texture(D3DFMT_DXT5, 16, 4, 5));

    std::vector<unsigned char> cube = texture(D3DFMT_X8R8G8B8, 4, 4, 2);
    const std::vector<unsigned char> face(cube.begin() + dds::kFileHeaderBytes, cube.end());
    for (int n = 1; n < 6; ++n)
        cube.insert(cube.end(), face.begin(), face.end());
    dds::write32(cube.data(), dds::kOffCaps2, dds::DDSCAPS2_CUBEMAP | dds::DDSCAPS2_CUBEMAP_ALLFACES);
    seeds::writeFile(dir / "cube", cube);

    std::vector<unsigned char> volume = texture(D3DFMT_A8, 4, 4, 3);
    volume.resize(dds::kFileHeaderBytes + 64 + 8 + 1, 0x5A);
    dds::write32(volume.data(), dds::kOffCaps2, dds::DDSCAPS2_VOLUME);
    dds::write32(volume.data(), dds::kOffFlags, dds::read32(volume.data(), dds::kOffFlags) | dds::DDSD_DEPTH);
    dds::write32(volume.data(), dds::kOffDepth, 4);
    seeds::writeFile(dir / "volume", volume);
}
