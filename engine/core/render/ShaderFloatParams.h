#pragma once
#include "engine/core/math/Matrix4.h"
#include "engine/core/render/ShaderIntParams.h"
#include "engine/core/render/ShaderParamTable.h"

#include <cstdint>

// The float shader parameters: transforms, light data and surface values,
// uploaded as constants before each draw. The world, view and projection
// transforms are kept as matrices; the combinations the shaders read are
// derived from them lazily (updateTransforms).
class ShaderFloatParams : public ShaderParamTable<float> {
public:
    static constexpr int32_t MaxLightsPerKind = 8;
    static constexpr int32_t MaxShadowMaps = 10;
    static constexpr int32_t MaxBones = 1024;
    static constexpr int32_t TextureStages = 8;

    explicit ShaderFloatParams(Renderer* renderer);

    // Stores bone `index` (0..1023) and its upper three columns in matBone.
    void setBoneMatrix(int32_t index, const Matrix4& matrix);
    // Recomputes the derived matrices after a change of world, view or
    // projection; a no-op while they are current.
    void updateTransforms();

    Matrix4 m_world;
    Matrix4 m_view;
    Matrix4 m_projection;
    Matrix4 m_textureMatrices[TextureStages];
    Matrix4 m_boneMatrices[MaxBones];
    // Cleared by every producer that changes m_world, m_view or m_projection.
    bool m_transformsValid = false;

    float* m_matWorldViewProj;
    float* m_matWorldView;
    float* m_matWorldViewNormalized;
    float* m_matWorldWT;
    float* m_matWorldLightviewLightprojShadowbias;
    float* m_matBone;
    float* m_time;
    float* m_cylindricalScale;
    float* m_ambientLightColor;
    float* m_distantLightColor;
    float* m_distantLightDir;
    float* m_pointLightColor;
    float* m_pointLightPos;
    float* m_pointLightAttenuation;
    float* m_spotLightColor;
    float* m_spotLightPos;
    float* m_spotLightDir;
    float* m_spotLightCosTheta;
    float* m_spotLightCosThetaMinusCosPhi;
    float* m_spotLightAttenuation;
    float* m_cameraPos;
    float* m_srfColor;
    float* m_srfLighting;
    float* m_srfReflectivity;
    float* m_srfAddTransparency;
    // Per-layer families, indexed by ShaderLayerChannel.
    float* m_metaTexOpacity[LayerChannelCount];
    float* m_metaTexgParam[LayerChannelCount];
};
