// Lens flares on the recording backend: the shared textures, the
// visibility test with its edge fade, the query-scaled elements and their
// placement, and the per-head queries across a device reset.
#include "engine/core/math/Color.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/texture/Texture.h"
#include "engine/scene/Camera.h"
#include "engine/scene/LensFlare.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Light.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/RecordingWorld.h"
#include "support/SceneRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

namespace {

constexpr double kPi = 3.14159265358979323846;

class LensFlareTest : public testing::Test {
protected:
    void SetUp() override
    {
        LensFlare::resetLargestPixelCount();
        ASSERT_TRUE(m_rig.start());
        m_scene = m_rig.scene;
        m_camera = m_scene->addCamera(true);
        // x and y map to clip space unchanged, w is the depth.
        Matrix4& p = m_camera->m_projection;
        p = Matrix4();
        p.at(0, 0) = 1.0f;
        p.at(1, 1) = 1.0f;
        p.at(2, 2) = 1.0f;
        p.at(2, 3) = 1.0f;
        p.at(3, 2) = -1.0f;
        m_camera->m_projectionValid = 1;
    }
    void TearDown() override
    {
        m_rig.manager.reset();
        LensFlare::resetLargestPixelCount();
    }

    // A point light with a flare at (x, y, z), intensity 5 x 0.2 = 1.
    Light* addFlareLight(float x, float y, float z, int32_t options, int32_t type = 1)
    {
        auto* light = new Light(m_scene);
        m_scene->m_lights.push_back(light);
        m_scene->m_root->addChild(light);
        light->m_lightType = type;
        light->m_lensFlareEnabled = 1;
        light->m_flareOptions = options;
        light->m_flareIntensity.m_value = 0.2f;
        light->m_motion[PositionX].m_value = x;
        light->m_motion[PositionY].m_value = y;
        light->m_motion[PositionZ].m_value = z;
        light->m_color[0].m_value = 1.0f;
        light->m_color[1].m_value = 0.5f;
        light->m_color[2].m_value = 0.25f;
        light->setup();
        return light;
    }
    void moveLight(Light* light, float x, float y, float z)
    {
        light->m_motion[PositionX].m_value = x;
        light->m_motion[PositionY].m_value = y;
        light->m_motion[PositionZ].m_value = z;
        light->invalidateMatrices();
        m_camera->invalidateMatrices();
        m_camera->m_projectionValid = 1;
    }
    IDirect3DDevice9* device() { return m_rig.device(); }
    RecordingBackend& recording() { return recordingBackend(device()); }
    size_t countCalls(const std::string& prefix) { return recordedCalls(device(), prefix).size(); }
    // One frame as the scene runs it: test, draw, then the query for the next.
    bool frame(Light* light)
    {
        LensFlare* flare = light->m_lensFlare;
        const bool query = flare->updateVisibility(m_camera, m_scene->m_antiportals, 0.0);
        flare->render(m_camera, 0.0);
        flare->issueOcclusionQuery(m_camera, 0.0);
        return query;
    }

    RecordingWorld m_world;
    SceneRig m_rig;
    Scene* m_scene = nullptr;
    Camera* m_camera = nullptr;
};

} // namespace

TEST_F(LensFlareTest, FlaresShareTheFourProceduralTextures)
{
    Light* first = addFlareLight(0, 0, 10, 0x19);
    Light* second = addFlareLight(1, 0, 10, 0x10);
    ASSERT_NE(first->m_lensFlare, nullptr);
    const Texture* const* slots = first->m_lensFlare->m_textures;
    const char* names[] = {"(flare BRIGHTCTR)", "(flare BRIGHTCTR)", "(flare EVENCTR)",
                           "(flare DIMCTR)",    "(flare RING)",      "(flare RING)"};
    for (int i = 0; i < LensFlare::TextureSlots; ++i) {
        ASSERT_NE(slots[i], nullptr) << i;
        EXPECT_EQ(slots[i]->m_name, names[i]) << i;
        EXPECT_EQ(slots[i]->kind(), TextureKindFlare);
        EXPECT_EQ(slots[i], second->m_lensFlare->m_textures[i]) << "one texture per shape for every flare";
    }
    EXPECT_EQ(slots[0], slots[1]);
    EXPECT_EQ(slots[4], slots[5]);
    EXPECT_EQ(std::count_if(m_rig.manager->m_textures.begin(), m_rig.manager->m_textures.end(),
                            [](const Texture* t) { return t->kind() == TextureKindFlare; }),
              4);

    Light* without = new Light(m_scene);
    m_scene->m_lights.push_back(without);
    without->setup();
    EXPECT_EQ(without->m_lensFlare, nullptr) << "only a light with the LensFlare key has one";
}

TEST_F(LensFlareTest, EdgeFadeOverTheOuterTenthOfTheView)
{
    struct Case {
        float x, y;
        bool inView;
        float fade;
    };
    // Depth 10: the view spans -10..10, the fade starts at 9.
    const Case cases[] = {
        {0.0f, 0.0f, true, 1.0f},     {9.0f, 0.0f, true, 1.0f},    {9.5f, 0.0f, true, 0.5f},
        {-9.75f, 0.0f, true, 0.25f},  {0.0f, -9.5f, true, 0.5f},   {9.5f, 9.5f, true, 0.25f},
        {10.0f, 0.0f, false, 0.0f},   {10.5f, 0.0f, false, 0.0f},  {0.0f, -12.0f, false, 0.0f},
    };
    Light* light = addFlareLight(0, 0, 10, 0x19);
    for (const Case& c : cases) {
        moveLight(light, c.x, c.y, 10.0f);
        const bool query = light->m_lensFlare->updateVisibility(m_camera, {}, 0.0);
        const FlareHeadState& head = light->m_lensFlare->m_heads[0];
        EXPECT_EQ(head.inView != 0, c.inView) << c.x << ", " << c.y;
        EXPECT_EQ(query, c.inView) << c.x << ", " << c.y;
        EXPECT_NEAR(head.edgeFade, c.fade, 1e-5f) << c.x << ", " << c.y;
        if (c.inView)
            EXPECT_FLOAT_EQ(head.intensity, 1.0f);
    }

    moveLight(light, 0.0f, 0.0f, -10.0f);
    EXPECT_FALSE(light->m_lensFlare->updateVisibility(m_camera, {}, 0.0)) << "behind the camera";
}

TEST_F(LensFlareTest, DirectionalLightsShineOnlyTowardsTheCamera)
{
    struct Case {
        int32_t type;
        float heading;
        float intensity;
    };
    // The camera looks along +Z; a light turned by 180 degrees looks back at it.
    const Case cases[] = {
        {2, 0.0f, -1.0f}, {2, float(kPi), 1.0f}, {0, float(kPi), 1.0f}, {0, float(kPi / 2), 0.0f}, {1, 0.0f, 1.0f},
    };
    for (const Case& c : cases) {
        Light* light = addFlareLight(0, 0, 10, 0x19, c.type);
        light->m_motion[RotationH].m_value = c.heading;
        light->invalidateMatrices();
        light->m_lensFlare->updateVisibility(m_camera, {}, 0.0);
        const FlareHeadState& head = light->m_lensFlare->m_heads[0];
        EXPECT_NEAR(head.intensity, c.intensity, 1e-5f) << c.type << " " << c.heading;
        EXPECT_EQ(head.visible != 0, c.intensity > 0.5f) << c.type << " " << c.heading;
    }
}

TEST_F(LensFlareTest, TheQueryOfTheLastFrameScalesTheElements)
{
    Light* light = addFlareLight(2, 1, 10, 0x19);
    LensFlare* flare = light->m_lensFlare;
    const FlareHeadState& head = flare->m_heads[0];

    recording().clearCalls();
    EXPECT_TRUE(frame(light));
    EXPECT_EQ(countCalls("draw type 6"), 0u) << "no query was issued before the first frame";
    EXPECT_EQ(countCalls("beginQuery"), 1u);
    EXPECT_EQ(countCalls("draw type 1 primitives 1"), 1u) << "the test point";
    const D3DMATRIX& queryView = device()->state().transform(D3DTS_VIEW);
    EXPECT_FLOAT_EQ(queryView._41, 2.0f);
    EXPECT_FLOAT_EQ(queryView._42, 1.0f);
    EXPECT_FLOAT_EQ(queryView._43, 10.0f);

    struct Case {
        DWORD samples;
        float scale;
    };
    // The largest count starts at 16 and only grows.
    const Case cases[] = {{8, 0.5f}, {16, 1.0f}, {0, 0.0f}, {32, 1.0f}, {16, 0.5f}};
    for (const Case& c : cases) {
        // Never ready without a flush.
        recording().setQueryAnswer(c.samples, 1 << 20);
        recording().clearCalls();
        EXPECT_TRUE(flare->updateVisibility(m_camera, {}, 0.0));
        flare->render(m_camera, 0.0);
        EXPECT_EQ(countCalls("draw type 6 primitives 2"), 18u) << "two glows and sixteen elements";
        EXPECT_EQ(countCalls("queryResult"), 2u) << "read once, then flushed";
        // The last element drawn is the large ring: size 0.53 x k, on the axis at -1.31.
        const D3DMATRIX& view = device()->state().transform(D3DTS_VIEW);
        const float k = c.scale * head.prevIntensity;
        EXPECT_FLOAT_EQ(view._11, 0.53f * k) << c.samples;
        EXPECT_FLOAT_EQ(view._12, 0.0f);
        EXPECT_FLOAT_EQ(view._41, 2.0f * -1.31f);
        EXPECT_FLOAT_EQ(view._42, 1.0f * -1.31f);
        EXPECT_FLOAT_EQ(view._43, 10.0f);
        EXPECT_EQ(device()->state().renderState(D3DRS_TEXTUREFACTOR), 0xFF0F0A00u);
        const ShaderFloatParams& params = *m_rig.renderer()->m_shaderFloatParams;
        EXPECT_FLOAT_EQ(params.m_view.at(0, 0), 0.53f * k);
        EXPECT_FALSE(params.m_transformsValid);
        flare->issueOcclusionQuery(m_camera, 0.0);
    }
    EXPECT_EQ(LensFlare::largestPixelCount(), 32u);
}

TEST_F(LensFlareTest, HiddenAfterAVisibleFrameStillAsksForTheQuery)
{
    Light* light = addFlareLight(0, 0, 10, 0x19);
    recording().setQueryAnswer(16, 0);
    EXPECT_TRUE(frame(light));
    light->m_flareIntensity.m_value = 0.0f;
    recording().clearCalls();
    EXPECT_TRUE(frame(light)) << "in view after a visible frame";
    EXPECT_EQ(countCalls("draw type 6"), 18u) << "the last visible frame's intensity still draws";
    EXPECT_EQ(countCalls("beginQuery"), 0u) << "only a visible light draws its test point";

    recording().clearCalls();
    EXPECT_FALSE(frame(light));
    EXPECT_EQ(countCalls("draw type"), 0u);

    // Flares whose options draw nothing still test and query every frame.
    Light* bare = addFlareLight(0, 0, 10, 0x2);
    recording().clearCalls();
    EXPECT_TRUE(frame(bare));
    EXPECT_TRUE(frame(bare));
    EXPECT_EQ(countCalls("draw type 6"), 0u);
    EXPECT_EQ(countCalls("beginQuery"), 2u);
}

TEST_F(LensFlareTest, ElementPlacementAndColours)
{
    Light* light = addFlareLight(0, 0, 10, 0);
    const LensFlare& flare = *light->m_lensFlare;
    const float color[3] = {1.0f, 0.5f, 0.25f};
    LensFlare::Draw draws[LensFlare::MaxDraws];

    struct Case {
        int32_t options;
        int32_t count;
        uint32_t firstColor;
    };
    // Alpha 0.5 packs to 128; grey 0.46 to 117.
    const Case cases[] = {
        {0x19, 18, 0x80FF8040u}, {0x9, 2, 0x80FF8040u}, {0x1, 1, 0x80757575u},
        {0x10, 16, 0x80030303u}, {0x6, 0, 0},
    };
    for (const Case& c : cases) {
        light->m_flareOptions = c.options;
        const int32_t count = flare.buildDraws(2.0f, 0.0f, Vector3(3, -2, 10), color, 0.5f, draws);
        ASSERT_EQ(count, c.count) << c.options;
        if (count)
            EXPECT_EQ(draws[0].color, c.firstColor) << c.options;
    }

    // The glows turn by the angle and sit on the light; the elements never turn.
    light->m_flareOptions = 0x19;
    const float theta = float(kPi / 6);
    ASSERT_EQ(flare.buildDraws(2.0f, theta, Vector3(3, -2, 10), color, 1.0f, draws), 18);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(draws[i].textureSlot, 1);
        EXPECT_FLOAT_EQ(draws[i].placement.at(0, 0), 2.0f * std::cos(theta));
        EXPECT_FLOAT_EQ(draws[i].placement.at(0, 1), -2.0f * std::sin(theta));
        EXPECT_FLOAT_EQ(draws[i].placement.at(1, 0), 2.0f * std::sin(theta));
        EXPECT_FLOAT_EQ(draws[i].placement.at(3, 0), 3.0f);
        EXPECT_FLOAT_EQ(draws[i].placement.at(3, 1), -2.0f);
    }
    EXPECT_EQ(draws[1].color, 0xFF757575u);
    for (int i = 0; i < LensFlare::ElementCount; ++i) {
        const FlareElement& e = LensFlare::Elements[i];
        const Matrix4& m = draws[i + 2].placement;
        EXPECT_EQ(draws[i + 2].textureSlot, e.textureSlot);
        EXPECT_EQ(draws[i + 2].color, e.color) << "the elements keep their colours whatever the light's";
        EXPECT_FLOAT_EQ(m.at(0, 0), 2.0f * e.size);
        EXPECT_FLOAT_EQ(m.at(1, 1), 2.0f * e.size);
        EXPECT_FLOAT_EQ(m.at(0, 1), 0.0f);
        EXPECT_FLOAT_EQ(m.at(3, 0), 3.0f * e.axisPosition);
        EXPECT_FLOAT_EQ(m.at(3, 1), -2.0f * e.axisPosition);
        EXPECT_FLOAT_EQ(m.at(3, 2), 10.0f);
    }
    EXPECT_EQ(LensFlare::Elements[7].color, 0xFF999999u);
    EXPECT_FLOAT_EQ(LensFlare::Elements[15].axisPosition, -1.31f);

    // At the centre of the view every element is centred on the light.
    ASSERT_EQ(flare.buildDraws(1.0f, 0.0f, Vector3(0, 0, 7), color, 1.0f, draws), 18);
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(draws[i].placement.at(3, 0), 0.0f);
        EXPECT_EQ(draws[i].placement.at(3, 1), 0.0f);
        EXPECT_EQ(draws[i].placement.at(3, 2), 7.0f);
    }
}

TEST_F(LensFlareTest, QueriesLiveBetweenResetAndLoss)
{
    Light* light = addFlareLight(0, 0, 10, 0x19);
    LensFlare* flare = light->m_lensFlare;
    ASSERT_EQ(flare->m_heads.size(), 1u);
    ASSERT_NE(flare->m_heads[0].query, nullptr);
    EXPECT_TRUE(frame(light));

    recording().clearCalls();
    light->onLostDevice();
    EXPECT_TRUE(flare->m_heads.empty());
    EXPECT_EQ(countCalls("destroyQuery"), 1u);
    EXPECT_FALSE(flare->updateVisibility(m_camera, {}, 0.0)) << "no query, no flare";
    flare->render(m_camera, 0.0);
    flare->issueOcclusionQuery(m_camera, 0.0);
    EXPECT_EQ(countCalls("draw"), 0u);

    light->onResetDevice();
    ASSERT_EQ(flare->m_heads.size(), 1u);
    EXPECT_EQ(countCalls("createQuery"), 1u);
    EXPECT_EQ(flare->m_heads[0].prevVisible, 0) << "the state starts again after a reset";
    EXPECT_TRUE(frame(light));
}
