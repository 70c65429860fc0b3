#include "engine/lightwave/SurfaceStagePlan.h"

#include "engine/lightwave/Surface.h"
#include "engine/lightwave/TextureLayer.h"

#include <cmath>

bool SurfaceStagePlan::build(Surface* surface)
{
    const int32_t keepBoneWeights = boneWeightCount;
    const uint8_t keepTangents = hasTangents;
    *this = SurfaceStagePlan();
    boneWeightCount = keepBoneWeights;
    hasTangents = keepTangents;
    if (!surface)
        return true;
    const int32_t specular = surface->findImageLayer(ChannelSpecularity, 1) ? 1 : 0;
    const int32_t tran = surface->findImageLayer(lwoCode("TRAN"), 1) ? 1 : 0;
    // One stage stays free for a specular and one for a transparency layer.
    const int32_t limits[PlanChannelCount] = {8 - specular - tran, 8 - specular - tran, 8 - specular - tran, 8 - specular - tran,
                                              8 - tran, 8, 8};
    for (int32_t c = 0; c < PlanChannelCount; ++c) {
        firstStage[c] = count;
        for (int32_t n = 1;; ++n) {
            TextureLayer* layer = surface->findImageLayer(channelCode(c), n);
            if (!layer)
                break;
            if (count < limits[c] && count < MaxStages)
                layers[count++] = layer;
        }
        stageCount[c] = count - firstStage[c];
    }
    for (int32_t s = firstStage[PlanCOLR]; s < firstStage[PlanCOLR] + stageCount[PlanCOLR]; ++s) {
        const float scale = std::fabs(static_cast<TextureLayer*>(layers[s])->m_rgbScale);
        levels[s] = scale >= 3.0f ? 2 : scale >= 1.5f ? 1 : 0;
        levelTotal += levels[s];
    }
    for (const auto& layer : surface->m_vertexColorLayers) {
        if (layer->m_channel == lwoCode("COLR") || layer->m_channel == lwoCode("DIFF")) {
            vertexColorLayer = layer.get();
            break;
        }
    }
    colorScale = 1;
    const Vector3 color = Surface::evaluateVector(surface->m_color, 0.0);
    baseColor[0] = color.x;
    baseColor[1] = color.y;
    baseColor[2] = color.z;
    baseColor[3] = 1.0f;
    const float r = surface->m_reflection.evaluate(0.0);
    if (r == 0.0f || surface->m_reflectionMode != 0) {
        if (surface->hasTransparency(0.0)) {
            baseColor[3] = 1.0f - surface->m_additiveTransparency.evaluate(0.0);
            const bool tranStage = stageCount[PlanTRAN] > 0;
            if (!tranStage || layers[firstStage[PlanTRAN]]->m_opacityType == 3) {
                const float keep = 1.0f - surface->m_transparency.evaluate(0.0);
                for (int i = 0; i < 4; ++i)
                    baseColor[i] *= keep;
            }
        }
    } else {
        baseColor[3] = 1.0f - r;
    }
    return true;
}
