// Feeds arbitrary bytes to the DDS reader. Whatever it accepts must be safe
// to use all the way: every level of every face and slice is converted to
// A8R8G8B8, and a 2D file written again from its levels must read back the
// same.
#include "platform/d3dx/DdsImage.h"
#include "platform/d3dx/DdsWriter.h"
#include "platform/d3dx/SurfaceCopy.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DdsImage image;
    if (FAILED(image.parse(data, size)))
        return 0;
    const D3DXIMAGE_INFO info = image.info();
    std::vector<ConstSurfaceView> levels;
    for (UINT face = 0; face < image.faceCount(); ++face)
        for (UINT level = 0; level < info.MipLevels; ++level)
            for (UINT slice = 0; slice < image.sliceCount(level); ++slice) {
                const ConstSurfaceView view = image.level(face, level, slice);
                if (!view.isValid())
                    __builtin_trap();
                if (face == 0 && slice == 0)
                    levels.push_back(view);
                // The data bounds the texel count; the cap only keeps runs quick.
                if (uint64_t(view.width) * view.height > (1u << 16))
                    continue;
                std::vector<uint32_t> texels(size_t(view.width) * view.height);
                const SurfaceView argb {reinterpret_cast<uint8_t*>(texels.data()), texels.size() * 4,
                                        size_t(view.width) * 4, D3DFMT_A8R8G8B8, view.width, view.height};
                if (copySurface(argb, nullptr, view, nullptr, D3DX_DEFAULT) != D3D_OK)
                    __builtin_trap();
            }
    if (info.ResourceType != D3DRTYPE_TEXTURE)
        return 0;
    std::vector<uint8_t> file;
    if (writeDds(levels.data(), UINT(levels.size()), file) != D3D_OK)
        __builtin_trap();
    DdsImage again;
    if (FAILED(again.parse(file.data(), file.size())) || again.info().MipLevels != info.MipLevels)
        __builtin_trap();
    for (UINT level = 0; level < info.MipLevels; ++level) {
        const ConstSurfaceView a = image.level(0, level), b = again.level(0, level);
        if (a.size != b.size || !std::equal(a.bits, a.bits + a.size, b.bits))
            __builtin_trap();
    }
    return 0;
}
