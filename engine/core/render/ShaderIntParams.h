#pragma once
#include "engine/core/render/ShaderParamTable.h"

#include <cstdint>

// Surface channels that carry per-layer texture data, in the order the
// shaders expect the families of per-layer parameters. Translucency has no
// layer data of its own.
enum ShaderLayerChannel : int32_t {
    LayerCOLR = 0,
    LayerLUMI,
    LayerDIFF,
    LayerREFL,
    LayerSPEC,
    LayerTRAN,
    LayerBUMP,
    LayerChannelCount
};

// The integer shader parameters. Taken together their values select the
// shader permutation, so each one is in effect a compile-time switch of the
// shaders. Producers write through the direct pointers.
class ShaderIntParams : public ShaderParamTable<int32_t> {
public:
    static constexpr int32_t MaxLightsPerKind = 8;
    static constexpr int32_t MaxLayers = 4;

    explicit ShaderIntParams(Renderer* renderer);

    int32_t* m_bake;
    int32_t* m_specularEnabled;
    int32_t* m_isFogEnabled;
    int32_t* m_isLocalViewer;
    int32_t* m_isCylindricalViewer;
    int32_t* m_numActiveDistantLights;
    int32_t* m_numActivePointLights;
    int32_t* m_numActiveSpotLights;
    int32_t* m_pointLightFalloffType;
    int32_t* m_spotLightFalloffType;
    int32_t* m_numTexCOLR;
    int32_t* m_numTexLUMI;
    int32_t* m_numTexDIFF;
    int32_t* m_numTexREFL;
    int32_t* m_numTexSPEC;
    int32_t* m_numTexTRAN;
    int32_t* m_numTexTRNL;
    int32_t* m_numTexBUMP;
    int32_t* m_numShadows;
    // Per-layer families, indexed by ShaderLayerChannel; four layers each.
    int32_t* m_metaTexFullOpacity[LayerChannelCount];
    int32_t* m_metaTexInvert[LayerChannelCount];
    int32_t* m_metaTexBlendop[LayerChannelCount];
    int32_t* m_metaTexgInput[LayerChannelCount];
    int32_t* m_sphericalEnvmapAvailable;
    int32_t* m_cubemapAvailable;
    int32_t* m_numBoneWeights;
    int32_t* m_displacement;
};
