#include "engine/scene/HyperVoxel.h"

namespace {

// The blend mode with which a layer's image leaves the colour to the voxel.
constexpr int32_t ColorFromVoxel = 3;

} // namespace

void HyperVoxel::evaluateChannels(double time)
{
    for (AnimatedValue* channel : {&m_opacity, &m_density, &m_luminosity})
        channel->evaluate(time);
    const HyperVoxelLayer* first = m_textureLayers.empty() ? nullptr : m_textureLayers.front().get();
    if (!first || !first->hasImage() || first->blendMode() == ColorFromVoxel)
        for (AnimatedValue* channel : {&m_colorR, &m_colorG, &m_colorB})
            channel->evaluate(time);
}

bool HyperVoxel::addTextureLayer(std::unique_ptr<HyperVoxelLayer> layer)
{
    if (!layer || m_textureLayers.size() >= MaxTextureLayers)
        return false;
    m_textureLayers.push_back(std::move(layer));
    return true;
}
