#include "engine/scene/ParticleSurface.h"

#include "engine/scene/HyperVoxel.h"

namespace {

constexpr int32_t AddressClamp = 3;
constexpr int32_t OpacityMultiplies = 3;

} // namespace

void ParticleStage::showPicture(int32_t channel, Texture* picture)
{
    m_source = nullptr;
    m_channel = channel;
    m_image = picture;
    // The colour picture stands in for the voxel's colour; what the alpha
    // picture leaves is scaled by the voxel's opacity (the multiplying mode).
    m_opacityType = channel == ChannelTransparency ? OpacityMultiplies : 0;
    m_negative = 0;
    m_gradientInput = -1;
    m_gradientEnd = 0.0f;
    m_projection = -1;
    m_axis = 2;
    // The corner coordinates run exactly from edge to edge: wrapping would
    // bleed the opposite edge into the border texels.
    m_addressU = m_addressV = AddressClamp;
    m_pixelBlending = 1;
    m_antialias = 1;
    m_antialiasStrength = 1.0f;
}

void ParticleStage::showLayer(MaterialLayer* source)
{
    m_source = source;
    m_channel = ChannelColour;
    m_image = source->m_image;
    m_opacityType = source->m_opacityType;
    m_negative = source->m_negative;
    m_gradientInput = source->m_gradientInput;
    m_gradientEnd = source->m_gradientEnd;
    m_projection = source->m_projection;
    m_axis = source->m_axis;
    m_addressU = source->m_addressU;
    m_addressV = source->m_addressV;
    m_pixelBlending = source->m_pixelBlending;
    m_antialias = source->m_antialias;
    m_antialiasStrength = source->m_antialiasStrength;
}

void ParticleSurface::build(Texture* picture, Texture* alphaPicture, float intensity)
{
    m_intensity = intensity;
    m_plan = StagePlan();
    int32_t& count = m_plan.count;
    auto add = [&](int32_t source) -> ParticleStage& {
        m_slotSources[count] = source;
        m_plan.layers[count] = &m_stages[count];
        return m_stages[count++];
    };
    if (picture)
        add(OwnCorners).showPicture(ChannelColour, picture);
    const auto& layers = m_voxel.m_textureLayers;
    for (size_t l = 0; l < layers.size() && count < MaxColourStages; ++l)
        if (MaterialLayer* drawn = layers[l]->stageLayer())
            add(int32_t(l)).showLayer(drawn);
    m_plan.stageCount[StagePlan::PlanCOLR] = count;
    for (int32_t c = StagePlan::PlanLUMI; c < StagePlan::PlanChannelCount; ++c)
        m_plan.firstStage[c] = count;
    if (alphaPicture) {
        add(OwnCorners).showPicture(ChannelTransparency, alphaPicture);
        m_plan.stageCount[StagePlan::PlanTRAN] = 1;
        m_plan.firstStage[StagePlan::PlanBUMP] = count;
    }
}

int32_t ParticleSurface::slotSource(int32_t slot) const
{
    return slot >= 0 && slot < m_plan.count ? m_slotSources[slot] : OwnCorners;
}

void ParticleSurface::evaluateMaterial(double, MaterialValues& out)
{
    // The render pass evaluated the voxel's channels for this frame already.
    out = MaterialValues();
    out.color[0] = m_voxel.m_colorR.m_value;
    out.color[1] = m_voxel.m_colorG.m_value;
    out.color[2] = m_voxel.m_colorB.m_value;
    out.luminosity = m_voxel.m_luminosity.m_value * m_intensity;
    out.diffuse = 0.0f;
    // An opacity that is no number (a damaged scene file) shows nothing.
    const float opacity = m_voxel.m_opacity.m_value;
    out.transparency = opacity >= 1.0f ? 0.0f : opacity > 0.0f ? 1.0f - opacity : 1.0f;
    out.transparent = out.transparency > 0.0f || m_plan.stageCount[StagePlan::PlanTRAN] > 0;
}

MaterialLayer* ParticleSurface::findImageLayer(int32_t channel, int32_t n) const
{
    for (int32_t s = 0; s < m_plan.count; ++s)
        if (m_stages[s].m_channel == channel && --n == 0)
            return m_plan.layers[s];
    return nullptr;
}

MaterialLayer* ParticleSurface::imageLayer(int32_t index) const
{
    return index >= 0 && index < m_plan.count ? m_plan.layers[index] : nullptr;
}
