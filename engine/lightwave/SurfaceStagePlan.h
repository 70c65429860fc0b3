#pragma once
#include <cstdint>

class Surface;
class TextureLayer;

// Which of a surface's image layers go to which of at most eight texture
// stages, per channel, with the brightness levels of the colour stages and
// the surface's base colour. Built with the mesh; it decides the vertex
// layout and the stages the passes bind.
class SurfaceStagePlan {
public:
    static constexpr int32_t MaxStages = 8;
    // Channel order of the first-stage and count pairs.
    enum PlanChannel { PlanCOLR, PlanLUMI, PlanDIFF, PlanREFL, PlanSPEC, PlanTRAN, PlanBUMP, PlanChannelCount };

    bool build(Surface* surface);

    int32_t count = 0;
    TextureLayer* layers[MaxStages] = {};
    // Per stage 0..2; the ninth for the vertex colours.
    int32_t levels[MaxStages + 1] = {};
    int32_t levelTotal = 0;
    int32_t firstStage[PlanChannelCount] = {};
    int32_t stageCount[PlanChannelCount] = {};
    TextureLayer* vertexColorLayer = nullptr;
    int32_t colorScale = 1;
    float baseColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    // Set by the mesh build for vertex-shader devices.
    int32_t boneWeightCount = 0;
    uint8_t hasTangents = 0;

    static int32_t channelCode(int32_t planChannel);
};
