#pragma once
#include "engine/core/texture/GradientLayer.h"
#include "engine/core/math/Matrix4.h"
#include "engine/core/base/ObjectBase.h"

#include <cstdint>

class IDirect3DResource9;
class Texture;

// Four-character codes as they read from the object files, 'C' in the high
// byte; the channels of materials and layers are named by them.
constexpr int32_t lwoCode(const char (&id)[5])
{
    return int32_t(uint32_t(uint8_t(id[0])) << 24 | uint32_t(uint8_t(id[1])) << 16 |
                   uint32_t(uint8_t(id[2])) << 8 | uint32_t(uint8_t(id[3])));
}

// The surface channels the passes draw, by their codes in the object files.
constexpr int32_t ChannelColour = lwoCode("COLR");
constexpr int32_t ChannelLuminosity = lwoCode("LUMI");
constexpr int32_t ChannelDiffuse = lwoCode("DIFF");
constexpr int32_t ChannelReflection = lwoCode("REFL");
constexpr int32_t ChannelSpecularity = lwoCode("SPEC");
constexpr int32_t ChannelTransparency = lwoCode("TRAN");
constexpr int32_t ChannelBump = lwoCode("BUMP");

// What the passes bind of one image layer. The layer itself (a surface's
// texture layer, loaded with the object) fills these values and answers the
// animated ones; the engine core keeps no knowledge of how they animate.
class MaterialLayer : public GradientLayer {
public:
    // The layer's opacity at a time.
    virtual float opacityAt(double time) = 0;
    // Any of the placement values is animated: the coordinates are placed
    // per draw through the texture matrix.
    virtual bool hasAnimatedTransform() const = 0;
    // The placement matrix at a time.
    virtual Matrix4 setupTransform(double time) = 0;

    int32_t m_channel = -1;
    int32_t m_opacityType = 0;
    uint8_t m_negative = 0;
    // Owned by the scene manager's texture list.
    Texture* m_image = nullptr;
    float m_gradientEnd = 0.0f;
    int32_t m_gradientInput = -1;
    int32_t m_axis = 2;
    int32_t m_projection = -1;
    // Device address modes: 1 wrap, 2 mirror, 3 clamp, 4 border.
    int32_t m_addressU = 1;
    int32_t m_addressV = 1;
    float m_antialiasStrength = 1.0f;
    uint8_t m_antialias = 0;
    uint8_t m_pixelBlending = 1;
};

// A material's values at one time, as the passes draw them.
struct MaterialValues {
    float color[3] = {0.78431374f, 0.78431374f, 0.78431374f};
    float luminosity = 0.0f;
    float diffuse = 1.0f;
    float specular = 0.0f;
    float glossiness = 0.4f;
    float transparency = 0.0f;
    float additiveTransparency = 0.0f;
    float reflection = 0.0f;
    float colorHighlights = 0.0f;
    // Transparent at this time: by value, additively or by a layer.
    bool transparent = false;
};

// What the passes read of a surface: its values evaluated at the draw's
// time and its enabled image layers. The surface (loaded with its object)
// implements it.
class Material : public ObjectBase {
public:
    virtual void evaluateMaterial(double time, MaterialValues& out) = 0;
    // The n-th (from 1) enabled image layer of a channel; null when fewer.
    virtual MaterialLayer* findImageLayer(int32_t channel, int32_t n) const = 0;
    virtual int32_t imageLayerCount() const = 0;
    virtual MaterialLayer* imageLayer(int32_t index) const = 0;
    // The three values an object that names this material for itself
    // ("vxs_ObjectMaterial") writes before each of its draws.
    virtual void setObjectValues(const float values[3]) { (void)values; }

    int32_t m_reflectionMode = 1;
    // Owned by the scene manager's texture list.
    Texture* m_reflectionImage = nullptr;
    // Made by the render code (the cube map first); released by the owner.
    IDirect3DResource9* m_renderResources[2] = {nullptr, nullptr};
};

// Which image layers of a material go to which of at most eight texture
// stages, per channel, with the brightness levels of the colour stages and
// the base colour. Owned by the geometry drawn with it, read by the passes.
class StagePlan {
public:
    static constexpr int32_t MaxStages = 8;
    // Channel order of the first-stage and count pairs.
    enum PlanChannel { PlanCOLR, PlanLUMI, PlanDIFF, PlanREFL, PlanSPEC, PlanTRAN, PlanBUMP, PlanChannelCount };

    static int32_t channelCode(int32_t planChannel);
    // The layer of the k-th stage of a channel, null past its stages.
    MaterialLayer* channelLayer(int32_t planChannel, int32_t k) const;

    int32_t count = 0;
    MaterialLayer* layers[MaxStages] = {};
    // Per stage 0..2; the ninth for the vertex colours.
    int32_t levels[MaxStages + 1] = {};
    int32_t levelTotal = 0;
    int32_t firstStage[PlanChannelCount] = {};
    int32_t stageCount[PlanChannelCount] = {};
    MaterialLayer* vertexColorLayer = nullptr;
    int32_t colorScale = 1;
    float baseColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    // Set by the mesh build for vertex-shader devices.
    int32_t boneWeightCount = 0;
    uint8_t hasTangents = 0;
};
