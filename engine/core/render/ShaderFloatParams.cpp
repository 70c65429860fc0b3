#include "engine/core/render/ShaderFloatParams.h"

#include <cmath>

namespace {

const char* const opacityNames[LayerChannelCount] = {
    "metaTexCOLROpacity", "metaTexLUMIOpacity", "metaTexDIFFOpacity", "metaTexREFLOpacity",
    "metaTexSPECOpacity", "metaTexTRANOpacity", "metaTexBUMPOpacity"};
const char* const gParamNames[LayerChannelCount] = {
    "metaTexCOLRgParam", "metaTexLUMIgParam", "metaTexDIFFgParam", "metaTexREFLgParam",
    "metaTexSPECgParam", "metaTexTRANgParam", "metaTexBUMPgParam"};

// The shaders take affine matrices as four rows of three: the projective
// column is always 0, 0, 0, 1 and would waste a constant register per row.
void writeRowsOfThree(float* out, const Matrix4& m)
{
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 3; ++c)
            out[r * 3 + c] = m.at(r, c);
    }
}

} // namespace

ShaderFloatParams::ShaderFloatParams(Renderer* renderer) : ShaderParamTable<float>(renderer)
{
    m_world = Matrix4::identity();
    m_view = Matrix4::identity();
    m_projection = Matrix4::identity();
    for (Matrix4& m : m_textureMatrices)
        m = Matrix4::identity();
    for (Matrix4& m : m_boneMatrices)
        m = Matrix4::identity();

    m_matWorldViewProj = add("matWorldViewProj", 16);
    m_matWorldView = add("matWorldView", 12);
    m_matWorldViewNormalized = add("matWorldViewNormalized", 9);
    m_matWorldWT = add("matWorldWT", 12);
    m_matWorldLightviewLightprojShadowbias = add("matWorldLightviewLightprojShadowbias", 16 * MaxShadowMaps);
    m_matBone = add("matBone", 12 * MaxBones);
    m_time = add("time", 1);
    m_cylindricalScale = add("cylindricalScale", 1);
    m_ambientLightColor = add("ambientLightColor", 3);
    m_distantLightColor = add("distantLightColor", 3 * MaxLightsPerKind);
    m_distantLightDir = add("distantLightDir", 3 * MaxLightsPerKind);
    m_pointLightColor = add("pointLightColor", 3 * MaxLightsPerKind);
    m_pointLightPos = add("pointLightPos", 3 * MaxLightsPerKind);
    m_pointLightAttenuation = add("pointLightAttenuation", 3 * MaxLightsPerKind);
    m_spotLightColor = add("spotLightColor", 3 * MaxLightsPerKind);
    m_spotLightPos = add("spotLightPos", 3 * MaxLightsPerKind);
    m_spotLightDir = add("spotLightDir", 3 * MaxLightsPerKind);
    m_spotLightCosTheta = add("spotLightCosTheta", MaxLightsPerKind);
    m_spotLightCosThetaMinusCosPhi = add("spotLightCosThetaMinusCosPhi", MaxLightsPerKind);
    m_spotLightAttenuation = add("spotLightAttenuation", 3 * MaxLightsPerKind);
    m_cameraPos = add("cameraPos", 3);
    m_srfColor = add("srfColor", 4);
    m_srfLighting = add("srfLighting", 4);
    m_srfReflectivity = add("srfReflectivity", 3);
    m_srfAddTransparency = add("srfAddTransparency", 1);
    // The colour layers' opacity is an RGB triple per layer, the others one
    // float per layer.
    for (int32_t c = 0; c < LayerChannelCount; ++c)
        m_metaTexOpacity[c] = add(opacityNames[c], c == LayerCOLR ? 12 : 4);
    for (int32_t c = 0; c < LayerChannelCount; ++c)
        m_metaTexgParam[c] = add(gParamNames[c], 16);
}

void ShaderFloatParams::setBoneMatrix(int32_t index, const Matrix4& matrix)
{
    if (index < 0 || index >= MaxBones)
        return;
    m_boneMatrices[index] = matrix;
    writeRowsOfThree(m_matBone + 12 * index, matrix);
}

void ShaderFloatParams::updateTransforms()
{
    if (m_transformsValid)
        return;

    Matrix4 worldView;
    Matrix4::multiplyAffineAffine(worldView, m_world, m_view);
    writeRowsOfThree(m_matWorldView, worldView);

    Matrix4 worldViewProj;
    Matrix4::multiplyAffine(worldViewProj, worldView, m_projection);
    for (int i = 0; i < 16; ++i)
        m_matWorldViewProj[i] = worldViewProj.m[i];

    // For a rotation R scaled by s, WV[r][c] = s R[r][c] and the inverse's
    // transposed entry is R[r][c] / s: their product's root is |R[r][c]|.
    Matrix4 inverse;
    Matrix4::inverseAffine(inverse, worldView);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            const float v = worldView.at(r, c);
            const float magnitude = std::sqrt(std::fabs(v * inverse.at(c, r)));
            m_matWorldViewNormalized[3 * r + c] = v < 0.0f ? -magnitude : (v > 0.0f ? magnitude : 0.0f);
        }
    }

    writeRowsOfThree(m_matWorldWT, m_world);
    m_transformsValid = true;
}
