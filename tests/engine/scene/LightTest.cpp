#include "engine/core/math/BoundingBox.h"
#include "engine/core/texture/RenderTexture.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/render/ShaderIntParams.h"
#include "engine/scene/Light.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "support/RecordingWorld.h"
#include "support/SceneRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// A sphere of radius 1 around the origin of its object.
class UnitBounds : public BoundingBox {
public:
    UnitBounds() : BoundingBox(nullptr, nullptr)
    {
        setMinMax(Vector3(-1, -1, -1), Vector3(1, 1, 1));
        m_radius = 1.0f;
        m_valid = true;
    }
    void computeBounds() override {}
    const Vector3* points() override { return m_corners; }
    void render() override {}
};

class LightTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_rig.start());
        m_scene = m_rig.scene;
    }

    Light* addLight(int32_t type, int32_t falloff, float intensity = 1.0f)
    {
        auto* light = new Light(m_scene);
        m_scene->m_lights.push_back(light);
        m_scene->m_root->addChild(light);
        light->m_lightType = type;
        light->m_falloffType = falloff;
        light->m_intensity.m_value = intensity;
        light->m_range.m_value = 2.0f;
        for (AnimatedValue& c : light->m_color)
            c.m_value = 0.5f;
        light->setup();
        return light;
    }
    Renderer& renderer() { return *m_rig.renderer(); }

    RecordingWorld m_world;
    SceneRig m_rig;
    Scene* m_scene = nullptr;
};

} // namespace

TEST_F(LightTest, DeviceLightByTypeAndFalloff)
{
    struct Case {
        int32_t type, falloff;
        D3DLIGHTTYPE d3dType;
        float a0, a1, a2, range;
    };
    // Colour 0.5 at intensity 1: s = 0.5; range 2.
    const Case cases[] = {
        {0, 0, D3DLIGHT_DIRECTIONAL, 1, 0, 0, 1e19f},
        {1, 1, D3DLIGHT_POINT, 1, 0, 1, std::sqrt(0.5f) * 2 * 3},
        {2, 2, D3DLIGHT_SPOT, 0, 0.5f, 0, 2 * 0.5f * 36},
        {1, 3, D3DLIGHT_POINT, 0, 0, 0.25f, std::sqrt(0.5f) * 2 * 6},
        {7, 0, D3DLIGHT_POINT, 1, 0, 0, 1e19f},
    };
    for (const Case& c : cases) {
        Light* light = addLight(c.type, c.falloff);
        light->m_motion[PositionX].m_value = 3.0f;
        ASSERT_TRUE(light->updateDeviceLight(0.0)) << c.type << c.falloff;
        const D3DLIGHT9& d = light->m_d3dLight;
        EXPECT_EQ(d.Type, c.d3dType);
        EXPECT_FLOAT_EQ(d.Attenuation0, c.a0);
        EXPECT_FLOAT_EQ(d.Attenuation1, c.a1);
        EXPECT_FLOAT_EQ(d.Attenuation2, c.a2);
        EXPECT_FLOAT_EQ(d.Range, c.range);
        EXPECT_FLOAT_EQ(d.Diffuse.r, 0.5f);
        EXPECT_FLOAT_EQ(d.Position.x, 3.0f);
        EXPECT_FLOAT_EQ(d.Direction.z, 1.0f);
        EXPECT_FLOAT_EQ(d.Theta, 2.0f * (0.5235988f - 0.08726646f));
        EXPECT_FLOAT_EQ(d.Phi, 2.0f * 0.5235988f);
    }
}

TEST_F(LightTest, DeviceLightSwitchesAndScales)
{
    Light* dark = addLight(1, 0, 0.0f);
    EXPECT_FALSE(dark->updateDeviceLight(0.0));

    Light* noDiffuse = addLight(1, 0);
    noDiffuse->m_noDiffuse = 1;
    renderer().m_doubleLightIntensity = 1;
    m_scene->m_globalLightIntensity.m_value = 0.5f;
    ASSERT_TRUE(noDiffuse->updateDeviceLight(0.0));
    EXPECT_FLOAT_EQ(noDiffuse->m_d3dLight.Diffuse.r, 0.0f);
    EXPECT_FLOAT_EQ(noDiffuse->m_d3dLight.Diffuse.a, 1.0f);
    // 0.5 x intensity 1 x doubled x global 0.5.
    EXPECT_FLOAT_EQ(noDiffuse->m_d3dLight.Specular.g, 0.5f);

    renderer().m_lightingEnabled = 0;
    EXPECT_FALSE(noDiffuse->updateDeviceLight(0.0));
}

TEST_F(LightTest, ShaderSlotsByTypeAndFalloff)
{
    ShaderFloatParams& f = *renderer().m_shaderFloatParams;
    ShaderIntParams& n = *renderer().m_shaderIntParams;
    Light* distant = addLight(0, 0);
    distant->bindShaderLight(2, 0.0);
    EXPECT_FLOAT_EQ(f.m_distantLightColor[6], 0.5f);
    // Direction is minus the light's Z axis.
    EXPECT_FLOAT_EQ(f.m_distantLightDir[8], -1.0f);

    struct Case {
        int32_t falloff, type;
        float a0, a1, a2;
    };
    const Case cases[] = {{0, 0, 1, 0, 0}, {1, 1, 1, -0.5f, 0}, {2, 2, 0, 0.5f, 0}, {3, 2, 0, 0, 0.25f}};
    for (const Case& c : cases) {
        Light* point = addLight(1, c.falloff);
        point->m_motion[PositionY].m_value = 4.0f;
        point->bindShaderLight(1, 0.0);
        EXPECT_EQ(n.m_pointLightFalloffType[1], c.type) << c.falloff;
        EXPECT_FLOAT_EQ(f.m_pointLightAttenuation[3], c.a0);
        EXPECT_FLOAT_EQ(f.m_pointLightAttenuation[4], c.a1);
        EXPECT_FLOAT_EQ(f.m_pointLightAttenuation[5], c.a2);
        EXPECT_FLOAT_EQ(f.m_pointLightPos[4], 4.0f);

        Light* spot = addLight(2, c.falloff);
        spot->bindShaderLight(7, 0.0);
        EXPECT_EQ(n.m_spotLightFalloffType[7], c.type);
        EXPECT_FLOAT_EQ(f.m_spotLightAttenuation[23], c.a2);
        EXPECT_FLOAT_EQ(f.m_spotLightCosTheta[7], std::cos(0.5235988f - 0.08726646f));
        EXPECT_FLOAT_EQ(f.m_spotLightCosThetaMinusCosPhi[7],
                        std::cos(0.5235988f - 0.08726646f) - std::cos(0.5235988f));
    }

    // A ninth light of a type, or a negative slot, writes nothing.
    Light* ninth = addLight(1, 3, 9.0f);
    const std::vector<float> before(f.m_pointLightColor, f.m_pointLightColor + 24);
    ninth->bindShaderLight(8, 0.0);
    ninth->bindShaderLight(-1, 0.0);
    EXPECT_EQ(std::vector<float>(f.m_pointLightColor, f.m_pointLightColor + 24), before);
}

TEST_F(LightTest, ShadowMapByDetail)
{
    struct Case {
        int32_t detail, shadowType;
        bool map;
        DWORD size;
    };
    const Case cases[] = {{0, 0, false, 1024}, {1, 2, true, 512}, {2, 2, true, 1024}};
    for (const Case& c : cases) {
        renderer().m_shadowDetail = c.detail;
        auto* light = new Light(m_scene);
        m_scene->m_lights.push_back(light);
        light->m_shadowType = 2;
        light->setup();
        light->setup();
        EXPECT_EQ(light->m_shadowType, c.shadowType) << c.detail;
        ASSERT_EQ(light->m_shadowMap != nullptr, c.map);
        const D3DVIEWPORT9* v = light->viewport();
        EXPECT_EQ(v->Width, c.size);
        EXPECT_EQ(v->Height, c.size);
        if (c.map) {
            EXPECT_EQ(light->m_shadowMap->m_width, int32_t(c.size));
            EXPECT_NE(light->m_shadowMap->getFirstTexture(), nullptr);
            EXPECT_EQ(light->m_shadowMap->m_name, "ShadowMapTex");
        }
    }
}

TEST_F(LightTest, CloneOwnsItsOwnShadowMap)
{
    renderer().m_shadowDetail = 2;
    auto* light = new Light(m_scene);
    m_scene->m_lights.push_back(light);
    light->m_shadowType = 2;
    light->m_shadowMapSize = 64;
    light->m_intensity.m_value = 0.75f;
    light->setup();
    std::unique_ptr<Light> copy(static_cast<Light*>(light->clone()));
    ASSERT_NE(copy->m_shadowMap, nullptr);
    EXPECT_NE(copy->m_shadowMap, light->m_shadowMap);
    EXPECT_EQ(copy->m_shadowMap->m_width, 64);
    EXPECT_EQ(copy->m_lensFlare, nullptr);
    EXPECT_FLOAT_EQ(copy->m_intensity.m_value, 0.75f);
    copy->m_scene = nullptr;
}

TEST_F(LightTest, ShadowCameraFollowsViewAxisAndCone)
{
    Light* light = addLight(2, 0);
    light->m_viewAxis = 0;
    light->m_coneAngle.m_value = 0.7853982f;
    light->updateProjection(0.0);
    EXPECT_NEAR(light->m_projection.at(0, 0), 0.75f, 1e-6f);
    EXPECT_NEAR(light->m_projection.at(1, 1), 1.0f, 1e-6f);
    EXPECT_EQ(light->m_projection.at(2, 3), 1.0f);
    EXPECT_EQ(light->m_projection.at(3, 3), 0.0f);

    // View axis X: the light's Z row becomes the world X axis.
    const Matrix4 m = light->getMatrix(0.0, true);
    EXPECT_FLOAT_EQ(m.at(2, 0), 1.0f);
    EXPECT_FLOAT_EQ(m.at(0, 2), -1.0f);
    Matrix4 product;
    Matrix4::multiplyAffineAffine(product, m, light->getInvMatrix(0.0, true));
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(product.m[i], Matrix4::identity().m[i], 1e-6f);
}

TEST_F(LightTest, RelevanceAndIntensityAtAnObject)
{
    MeshObject* object = m_scene->addNullObject("box", m_scene->m_root);
    object->m_motion[PositionZ].m_value = 10.0f;
    UnitBounds bounds;

    Light* dark = addLight(1, 1, 0.0f);
    EXPECT_EQ(dark->prepareForObject(object, &bounds, 0.0), 0.0f);
    EXPECT_FALSE(dark->m_affectsObject);

    // Range 2: reached while the gap to the sphere is at most 20.
    struct Case {
        int32_t falloff;
        float z;
        bool reached;
        float intensity;
    };
    const Case cases[] = {
        {0, -100.0f, true, 1.0f},     {1, -11.0f, true, 0.0f},  {1, 8.0f, true, 1.0f - 1.0f / 2.0f},
        {2, 7.0f, true, 1.0f / 2.0f}, {3, 6.0f, true, 1.0f / 9.0f}, {1, -12.0f, false, 0.0f},
    };
    for (const Case& c : cases) {
        Light* light = addLight(1, c.falloff);
        light->m_motion[PositionZ].m_value = c.z;
        EXPECT_FLOAT_EQ(light->prepareForObject(object, &bounds, 0.0), 1.0f) << c.falloff << " " << c.z;
        EXPECT_EQ(light->m_affectsObject != 0, c.reached) << c.falloff << " " << c.z;
        EXPECT_NEAR(light->m_localPosition[2], c.z - 10.0f, 1e-5f);
        EXPECT_NEAR(light->intensityAt(object, &bounds, 0.0), c.intensity, 1e-5f) << c.falloff << " " << c.z;
        light->remove();
    }

    // At the sphere's surface the inverse falloffs stay finite.
    Light* touching = addLight(1, 3);
    touching->m_motion[PositionZ].m_value = 9.0f;
    EXPECT_TRUE(std::isfinite(touching->intensityAt(object, &bounds, 0.0)));
    touching->m_range.m_value = 0.0f;
    ASSERT_TRUE(touching->updateDeviceLight(0.0));
    EXPECT_TRUE(std::isfinite(touching->m_d3dLight.Attenuation2));

    object->m_excludedLights.push_back(touching);
    EXPECT_EQ(touching->prepareForObject(object, &bounds, 0.0), 0.0f);
    EXPECT_FALSE(touching->m_affectsObject);
}

TEST_F(LightTest, ColourCyclingKeepsOneColourPerStep)
{
    renderer().m_colorCyclePointLights = 1;
    Light* light = addLight(1, 0);
    float first[4];
    light->getColor(0.0, first);
    // Step 0 starts on the first palette entry, white.
    EXPECT_FLOAT_EQ(first[0], 1.0f);
    EXPECT_FLOAT_EQ(first[2], 1.0f);
    float a[4], b[4];
    const double period = light->m_cyclePeriod;
    light->getColor(period * 3.1, a);
    const int32_t index = light->m_cycleColorIndex;
    light->getColor(period * 3.9, b);
    EXPECT_EQ(light->m_cycleColorIndex, index);
    EXPECT_EQ(light->m_cycleStep, 3);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(a[i], b[i]);
    const uint32_t rgb = Light::CyclePalette[index];
    EXPECT_FLOAT_EQ(a[1], float((rgb >> 8) & 0xFF) / 255.0f);

    // A time past the int range still gives a palette colour.
    light->getColor(1e300, a);
    EXPECT_GE(light->m_cycleColorIndex, 0);
    EXPECT_LT(light->m_cycleColorIndex, Light::PaletteSize);

    // A spot light never cycles.
    Light* spot = addLight(2, 0);
    spot->getColor(period * 5.0, a);
    EXPECT_FLOAT_EQ(a[0], 0.5f);
}

TEST_F(LightTest, ScenePrepareSetsUpEveryLightOnce)
{
    renderer().m_shadowDetail = 1;
    auto* light = new Light(m_scene);
    m_scene->m_lights.push_back(light);
    light->m_shadowType = 2;
    m_scene->prepare(nullptr, 0.0f, 0.0f);
    m_scene->prepare(nullptr, 0.0f, 0.0f);
    EXPECT_TRUE(light->m_prepared);
    EXPECT_EQ(light->m_d3dLight.Type, D3DLIGHT_DIRECTIONAL);
    // Halved once, however often the scene is prepared.
    EXPECT_EQ(light->m_shadowMapSize, 512);
}
