#pragma once
#include "engine/scene/SceneItem.h"
#include "platform/d3d9/D3D9States.h"

#include <cstdint>

class BoundingBox;
class LensFlare;
class MeshObject;
class RenderTexture;
class Texture;

// A LightWave light. Every frame its channels become a fixed-function
// device light or one slot of the shaders' light arrays, and a light with a
// shadow map owns the square render target the scene draws the map into,
// seen from the light through its view axis.
class Light : public SceneItem {
public:
    static constexpr int32_t ShaderSlots = 8;
    static constexpr int32_t PaletteSize = 8;
    static const uint32_t CyclePalette[PaletteSize];

    explicit Light(Scene* scene);
    // A copy owns nothing of the source: the lens flare and the shadow map
    // stay with the source, and the copy makes its own at its setup.
    Light(const Light& source);
    ~Light() override;

    void onLostDevice() override;
    void onResetDevice() override;
    bool isDirectional() const override { return m_lightType == 0; }
    Matrix4 getMatrix(double time, bool withViewAxis = false) override;
    Matrix4 getInvMatrix(double time, bool withViewAxis = false) override;
    D3DVIEWPORT9* viewport() override;
    void initialize() override {}
    SceneObject* clone() const override { return new Light(*this); }
    void resetProjection(double time) override { updateProjection(time); }

    // Once, before the first frame: the device light's constant part, the
    // lens flare and the shadow map by the renderer's shadow detail.
    void setup();
    // Red, green, blue and 1.
    void getColor(double time, float out[4]);
    // Fills m_d3dLight; false when the light is not to be enabled.
    bool updateDeviceLight(double time);
    // Whether the light reaches the object; sets m_affectsObject and
    // answers the length of the light direction in the object's space.
    float prepareForObject(MeshObject* object, const BoundingBox* bounds, double time);
    // The falloff-weighted intensity at the object's bounding sphere.
    float intensityAt(SceneObject* object, const BoundingBox* bounds, double time);
    // Writes the light into slot `slot` of the shader arrays of its type;
    // nothing for a slot past the arrays.
    void bindShaderLight(int32_t slot, double time);
    // The shadow-map projection for the light's cone.
    void updateProjection(double time);
    // The colour times the intensity and the scene's global light intensity.
    void scaledColor(double time, float out[3]);

    D3DLIGHT9 m_d3dLight{};
    Matrix4 m_viewAxisMatrix = Matrix4::identity();
    Matrix4 m_viewAxisInverse = Matrix4::identity();
    uint8_t m_viewAxisValid = 0;
    uint8_t m_prepared = 0;
    uint8_t m_affectsObject = 0;
    uint8_t m_switchedOff = 0;
    int32_t m_lightType = 0;
    AnimatedValue m_color[3];
    AnimatedValue m_intensity;
    int32_t m_falloffType = 0;
    AnimatedValue m_range{1.0f};
    int32_t m_viewAxis = 2;
    AnimatedValue m_coneAngle{0.5235988f};
    AnimatedValue m_edgeAngle{0.08726646f};
    uint8_t m_noDiffuse = 0;
    uint8_t m_noSpecular = 0;
    uint8_t m_lensFlareEnabled = 0;
    int32_t m_flareFade = 0;
    int32_t m_flareOptions = 0;
    float m_flareNominalDistance = 1.0f;
    AnimatedValue m_flareIntensity;
    AnimatedValue m_flareRotationAngle;
    // Made by the lens flare code when it exists; owned.
    LensFlare* m_lensFlare = nullptr;
    Texture* m_projectionImage = nullptr;
    uint8_t m_noRealtime = 0;
    int32_t m_shadowType = 0;
    int32_t m_shadowMapSize = 1024;
    float m_shadowColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float m_shadowBias = -0.0001f;
    RenderTexture* m_shadowMap = nullptr;
    float m_cyclePeriod;
    int32_t m_cycleColorIndex = 0;
    int32_t m_cycleStep = 0;
    uint8_t m_setupDone = 0;
    float m_localPosition[3] = {0.0f, 0.0f, 0.0f};
    float m_localDirection[3] = {0.0f, 0.0f, 0.0f};

private:
    void buildViewAxis();
    // Position and direction in the object's space; answers the length of
    // the direction there.
    float toObjectSpace(SceneObject* object, double time);
    float globalIntensity(double time);
};
