#include "engine/core/render/ShaderIntParams.h"

namespace {

// The names are the shader sources' uniform names, spelled out in full
// because the entries keep pointers to them.
const char* const fullOpacityNames[LayerChannelCount] = {
    "metaTexCOLRFullOpacity", "metaTexLUMIFullOpacity", "metaTexDIFFFullOpacity", "metaTexREFLFullOpacity",
    "metaTexSPECFullOpacity", "metaTexTRANFullOpacity", "metaTexBUMPFullOpacity"};
const char* const invertNames[LayerChannelCount] = {
    "metaTexCOLRInvert", "metaTexLUMIInvert", "metaTexDIFFInvert", "metaTexREFLInvert",
    "metaTexSPECInvert", "metaTexTRANInvert", "metaTexBUMPInvert"};
const char* const blendopNames[LayerChannelCount] = {
    "metaTexCOLRBlendop", "metaTexLUMIBlendop", "metaTexDIFFBlendop", "metaTexREFLBlendop",
    "metaTexSPECBlendop", "metaTexTRANBlendop", "metaTexBUMPBlendop"};
const char* const gInputNames[LayerChannelCount] = {
    "metaTexCOLRgInput", "metaTexLUMIgInput", "metaTexDIFFgInput", "metaTexREFLgInput",
    "metaTexSPECgInput", "metaTexTRANgInput", "metaTexBUMPgInput"};

} // namespace

ShaderIntParams::ShaderIntParams(Renderer* renderer) : ShaderParamTable<int32_t>(renderer)
{
    m_bake = add("bake", 1);
    m_specularEnabled = add("specularEnabled", 1);
    m_isFogEnabled = add("isFogEnabled", 1);
    m_isLocalViewer = add("isLocalViewer", 1);
    m_isCylindricalViewer = add("isCylindricalViewer", 1);
    m_numActiveDistantLights = add("numActiveDistantLights", 1);
    m_numActivePointLights = add("numActivePointLights", 1);
    m_numActiveSpotLights = add("numActiveSpotLights", 1);
    m_pointLightFalloffType = add("pointLightFalloffType", MaxLightsPerKind);
    m_spotLightFalloffType = add("spotLightFalloffType", MaxLightsPerKind);
    m_numTexCOLR = add("numTexCOLR", 1);
    m_numTexLUMI = add("numTexLUMI", 1);
    m_numTexDIFF = add("numTexDIFF", 1);
    m_numTexREFL = add("numTexREFL", 1);
    m_numTexSPEC = add("numTexSPEC", 1);
    m_numTexTRAN = add("numTexTRAN", 1);
    m_numTexTRNL = add("numTexTRNL", 1);
    m_numTexBUMP = add("numTexBUMP", 1);
    m_numShadows = add("numShadows", 1);
    for (int32_t c = 0; c < LayerChannelCount; ++c)
        m_metaTexFullOpacity[c] = add(fullOpacityNames[c], MaxLayers);
    for (int32_t c = 0; c < LayerChannelCount; ++c)
        m_metaTexInvert[c] = add(invertNames[c], MaxLayers);
    for (int32_t c = 0; c < LayerChannelCount; ++c)
        m_metaTexBlendop[c] = add(blendopNames[c], MaxLayers);
    for (int32_t c = 0; c < LayerChannelCount; ++c)
        m_metaTexgInput[c] = add(gInputNames[c], MaxLayers);
    m_sphericalEnvmapAvailable = add("sphericalEnvmapAvailable", 1);
    m_cubemapAvailable = add("cubemapAvailable", 1);
    m_numBoneWeights = add("numBoneWeights", 1);
    m_displacement = add("displacement", 1);
}
