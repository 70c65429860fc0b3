#include "engine/core/math/BoundingBox.h"
#include "engine/core/render/DeviceMatrix.h"
#include "engine/core/render/Material.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/core/render/ShaderIntParams.h"
#include "engine/scene/Antiportal.h"
#include "engine/scene/Bone.h"
#include "engine/scene/Camera.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/LensFlare.h"
#include "engine/scene/Light.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/ReflectionView.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/ShadowPass.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DSurface9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/RecordingWorld.h"
#include "support/SceneRig.h"
#include "tools/lib/TriangleWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// A unit cube that writes its name into the draw log when drawn, with the
// fog switch as the device holds it at that moment.
class LoggedMesh : public BoundingBox {
public:
    LoggedMesh(std::string name, std::vector<std::string>* log, uint8_t sortFlag = 0)
        : BoundingBox(nullptr, nullptr), m_log(log), m_sortFlag(sortFlag)
    {
        m_name = std::move(name);
        setMinMax(Vector3(-0.5f, -0.5f, -0.5f), Vector3(0.5f, 0.5f, 0.5f));
        m_valid = true;
    }
    void computeBounds() override {}
    const Vector3* points() override { return m_corners; }
    void render() override
    {
        m_log->push_back(m_name);
        if (m_onDraw)
            m_onDraw();
    }
    uint8_t depthSortFlag() const override { return m_sortFlag; }
    const void* activeReflection() const override { return m_reflection; }

    std::vector<std::string>* m_log;
    uint8_t m_sortFlag;
    std::function<void()> m_onDraw;
    const void* m_reflection = nullptr;
};

class SceneRenderTest : public testing::Test {
protected:
    void start(bool fixedFunction)
    {
        ASSERT_TRUE(m_rig.start(64, 64, fixedFunction));
        m_scene = m_rig.scene;
        m_camera = m_scene->addCamera(true); // at the origin, looking along +Z
    }
    void TearDown() override
    {
        if (m_scene)
            m_scene->m_antiportals.clear();
        m_portals.clear();
        m_rig.manager.reset();
    }

    MeshObject* add(const std::string& name, float x, float y, float z, uint8_t sortFlag = 0)
    {
        m_meshes.push_back(std::make_unique<LoggedMesh>(name, &m_drawn, sortFlag));
        MeshObject* object = m_scene->addNullObject(name, m_scene->m_root);
        object->addLod(m_meshes.back().get(), 0.0f);
        object->m_lods[0]->owned = 0;
        object->m_motion[PositionX].m_value = x;
        object->m_motion[PositionY].m_value = y;
        object->m_motion[PositionZ].m_value = z;
        return object;
    }

    // A 4 x 4 occluder square across Z at `z`, its triangles facing the eye.
    Antiportal* addPortal(float z)
    {
        std::vector<float> positions = {-2, -2, z, 2, -2, z, -2, 2, z, 2, 2, z};
        // Clockwise seen from -Z, where the eye is.
        auto mesh = std::make_unique<TriangleSource>(positions, std::vector<uint32_t>{0, 2, 1, 1, 2, 3});
        mesh->setMinMax(Vector3(-2, -2, z), Vector3(2, 2, z));
        mesh->m_name = "Square";
        auto* portal = new Antiportal(m_scene);
        portal->setName("Wall");
        portal->addLod(mesh.get(), 0.0f);
        portal->m_lods[0]->owned = 0;
        portal->initialize();
        m_portalMeshes.push_back(std::move(mesh));
        m_portals.emplace_back(portal);
        m_scene->m_antiportals.push_back(portal);
        return portal;
    }

    Light* addLight(int32_t type, float x, float y, float z)
    {
        auto* light = new Light(m_scene);
        m_scene->m_lights.push_back(light);
        m_scene->m_root->addChild(light);
        light->m_lightType = type;
        light->m_intensity.m_value = 1.0f;
        light->m_motion[PositionX].m_value = x;
        light->m_motion[PositionY].m_value = y;
        light->m_motion[PositionZ].m_value = z;
        for (AnimatedValue& c : light->m_color)
            c.m_value = 0.5f;
        light->setup();
        return light;
    }

    std::vector<std::string> frame(double time = 0.0)
    {
        m_drawn.clear();
        m_scene->render(time, m_camera);
        return m_drawn;
    }

    DWORD state(D3DRENDERSTATETYPE which)
    {
        DWORD value = 0;
        m_rig.device()->GetRenderState(which, &value);
        return value;
    }

    RecordingWorld m_world;
    SceneRig m_rig;
    Scene* m_scene = nullptr;
    Camera* m_camera = nullptr;
    std::vector<std::string> m_drawn;
    std::vector<std::unique_ptr<LoggedMesh>> m_meshes;
    std::vector<std::unique_ptr<TriangleSource>> m_portalMeshes;
    std::vector<std::unique_ptr<Antiportal>> m_portals;
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(SceneRenderTest, OpaqueNearToFarThenBlendedFarToNear)
{
    start(true);
    add("far", 0, 0, 10);
    add("glassNear", 0, 0, 4, 1);
    add("near", 0, 0, 3);
    add("glassFar", 0, 0, 8, 1);
    add("middle", 0.5f, 0, 5);
    EXPECT_EQ(frame(), (Names{"near", "middle", "far", "glassFar", "glassNear"}));
    // The view's depth range follows what was drawn.
    EXPECT_NEAR(m_camera->m_nearPlane, 2.5f, 1e-4f);
    EXPECT_NEAR(m_camera->m_farPlane, 10.5f, 1e-4f);

    std::vector<Scene::VisibleRecord> records = {
        {nullptr, 3.0f, 1}, {nullptr, 2.0f, 0}, {nullptr, -9.0f, 1}, {nullptr, 1.0f, 0}, {nullptr, -2.0f, 1}};
    Scene::sortVisible(records);
    const float depths[] = {1.0f, 2.0f, -9.0f, -2.0f, 3.0f};
    for (size_t i = 0; i < records.size(); ++i)
        EXPECT_EQ(records[i].depth, depths[i]) << i;
}

TEST_F(SceneRenderTest, CulledObjectsAreNotDrawn)
{
    start(true);
    add("ahead", 0, 0, 5);
    add("behind", 0, 0, -5);
    add("wide", 100, 0, 5);
    add("high", 0, 100, 5);
    add("straddling", 0, 0, 0.2f); // the near plane cuts it: still drawn
    MeshObject* flat = add("flat", 0, 0, 6);
    for (int c = ScaleX; c <= ScaleZ; ++c)
        flat->m_motion[c].m_value = 0.0f;
    MeshObject* hidden = add("hidden", 0, 0, 7);
    hidden->m_unseenByCamera = 1;
    MeshObject* child = add("child", 0, 0, 1);
    m_scene->m_root->removeChild(child);
    hidden->addChild(child); // hidden parents still pass the walk on: at z 8
    // An object the game switched off stays undrawn even when the hidden
    // objects are shown; its children are drawn.
    MeshObject* off = add("off", 0, 0, 9);
    off->m_hidden = 1;
    MeshObject* onUnderOff = add("onUnderOff", 0, 0, 1);
    m_scene->m_root->removeChild(onUnderOff);
    off->addChild(onUnderOff); // at z 10
    EXPECT_EQ(frame(), (Names{"straddling", "ahead", "child", "onUnderOff"}));

    m_rig.renderer()->m_showHiddenObjects = 1;
    flat->m_motion[ScaleY].m_value = 1.0f; // one scale left is enough
    EXPECT_EQ(frame(), (Names{"straddling", "ahead", "flat", "hidden", "child", "onUnderOff"}));
}

TEST_F(SceneRenderTest, AntiportalHidesWhatLiesWhollyBehindIt)
{
    start(true);
    addPortal(6.0f);
    struct Case {
        const char* name;
        float x, y, z;
        bool drawn;
    };
    const Case cases[] = {
        {"behind", 0, 0, 12, false},    {"behindOffCentre", 1.5f, -1.5f, 9, false},
        {"inFront", 0, 0, 4, true},     {"across", 0, 0, 6, true},
        {"peeking", 4.0f, 0, 12, true},
    };
    for (const Case& c : cases)
        add(c.name, c.x, c.y, c.z);
    auto drawn = [](const Names& names, const char* name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    const Names seen = frame();
    for (const Case& c : cases)
        EXPECT_EQ(drawn(seen, c.name), c.drawn) << c.name;

    // Seen from its back, the occluder hides nothing: the object in front of
    // it now lies wholly behind it and is drawn all the same.
    m_camera->m_motion[PositionZ].m_value = 20.0f;
    m_camera->m_motion[RotationH].m_value = 3.14159265f;
    const Names fromBehind = frame();
    EXPECT_TRUE(drawn(fromBehind, "inFront"));
    EXPECT_TRUE(drawn(fromBehind, "behind"));
}

TEST_F(SceneRenderTest, FogFollowsTheSwitchTypeAndCamera)
{
    start(true);
    struct Case {
        uint32_t type;
        uint8_t fogSwitch;
        bool cameraStart;
        DWORD enabled;
        float start;
    };
    const Case cases[] = {
        {3, 1, false, TRUE, 5.0f}, {3, 0, false, FALSE, 0.0f}, {3, 1, true, TRUE, 2.0f}, {1, 1, false, FALSE, 0.0f},
    };
    m_scene->m_fogMinDistance = 5.0f;
    m_scene->m_fogMaxDistance = 50.0f;
    m_camera->m_envMinDistance = 2.0f;
    for (const Case& c : cases) {
        m_rig.device()->SetRenderState(D3DRS_FOGSTART, 0);
        m_scene->m_fogType = c.type;
        m_rig.renderer()->m_fogEnabled = c.fogSwitch;
        m_camera->m_hasEnvMinDistance = c.cameraStart ? 1 : 0;
        frame();
        EXPECT_EQ(state(D3DRS_FOGENABLE), c.enabled) << c.type << int(c.fogSwitch);
        float start;
        const DWORD bits = state(D3DRS_FOGSTART);
        std::memcpy(&start, &bits, sizeof start);
        EXPECT_EQ(start, c.start) << c.type << int(c.fogSwitch);
        EXPECT_EQ(*m_rig.renderer()->m_shaderIntParams->m_isFogEnabled, c.enabled ? 1 : 0);
    }
    EXPECT_EQ(state(D3DRS_LIGHTING), DWORD(TRUE));
}

// A sky unaffected by fog draws without it; the object drawn after it has
// the scene's fog again.
TEST_F(SceneRenderTest, ObjectsUnaffectedByFogDrawWithoutIt)
{
    start(true);
    m_scene->m_fogType = D3DFOG_LINEAR;
    m_scene->m_fogMinDistance = 5.0f;
    m_scene->m_fogMaxDistance = 50.0f;
    add("near", 0, 0, 5);
    MeshObject* sky = add("sky", 0, 0, 10);
    add("far", 0, 0, 15);
    sky->m_affectedByFog = 0;
    std::vector<std::pair<DWORD, int32_t>> seen;
    for (const auto& mesh : m_meshes)
        mesh->m_onDraw = [&] {
            seen.emplace_back(state(D3DRS_FOGENABLE), *m_rig.renderer()->m_shaderIntParams->m_isFogEnabled);
        };
    EXPECT_EQ(frame(), (Names{"near", "sky", "far"}));
    const std::vector<std::pair<DWORD, int32_t>> expected = {{TRUE, 1}, {FALSE, 0}, {TRUE, 1}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(state(D3DRS_FOGENABLE), DWORD(TRUE));

    // Without scene fog nothing switches it on.
    m_scene->m_fogType = 0;
    seen.clear();
    frame();
    EXPECT_EQ(seen, (std::vector<std::pair<DWORD, int32_t>>(3, {FALSE, 0})));
}

// Each object hands the shaders its own bump displacement and writes its
// three material values into the surface it names before it draws.
TEST_F(SceneRenderTest, ObjectsSetTheirDisplacementAndMaterialValuesForTheirDraw)
{
    class ValuesMaterial : public Material {
    public:
        void evaluateMaterial(double, MaterialValues&) override {}
        MaterialLayer* findImageLayer(int32_t, int32_t) const override { return nullptr; }
        int32_t imageLayerCount() const override { return 0; }
        MaterialLayer* imageLayer(int32_t) const override { return nullptr; }
        void setObjectValues(const float values[3]) override { std::copy(values, values + 3, m_values); }
        float m_values[3] = {0, 0, 0};
    };
    start(false);
    ValuesMaterial material;
    MeshObject* bumped = add("bumped", 0, 0, 5);
    MeshObject* plain = add("plain", 0, 0, 10);
    bumped->m_bumpDisplacement = 1;
    plain->m_objectMaterial = &material;
    const float values[3] = {0.25f, 0.5f, 0.75f};
    std::copy(values, values + 3, plain->m_objectMaterialValues);
    std::vector<int32_t> displacement;
    std::vector<float> firstValue;
    for (const auto& mesh : m_meshes)
        mesh->m_onDraw = [&] {
            displacement.push_back(*m_rig.renderer()->m_shaderIntParams->m_displacement);
            firstValue.push_back(material.m_values[0]);
        };
    EXPECT_EQ(frame(), (Names{"bumped", "plain"}));
    EXPECT_EQ(displacement, (std::vector<int32_t>{1, 0}));
    EXPECT_EQ(firstValue, (std::vector<float>{0.0f, 0.25f}));
    EXPECT_EQ(material.m_values[2], 0.75f);
}

// The debug switches: the gadget display draws an object's line to its
// target and its bones; the collision display draws collision shapes that
// have no mesh. Neither draws anything while off.
TEST_F(SceneRenderTest, DebugSwitchesDrawTargetLinesBonesAndCollisionShapes)
{
    start(true);
    MeshObject* aiming = add("aiming", 0, 0, 5);
    aiming->m_target = add("target", 1, 0, 6);
    Bone bone(m_scene);
    bone.m_restLength = 2.0f;
    aiming->m_bones.push_back(&bone);
    m_scene->addSpace(0, "top", SpaceRecord::NoParent);
    const float size[3] = {1, 1, 1};
    CollisionObject* shape = m_scene->addCollisionObject(ShapeBox, 0, 0, size, "shape");
    shape->m_motion[PositionZ].m_value = 4.0f;
    m_scene->m_root->addChild(shape);

    auto lines = [&](unsigned primitives) {
        const auto& calls = static_cast<RecordingBackend&>(m_rig.device()->backend()).calls();
        const std::string prefix = "draw type 2 primitives " + std::to_string(primitives) + " ";
        return std::count_if(calls.begin(), calls.end(),
                             [&](const std::string& call) { return call.rfind(prefix, 0) == 0; });
    };
    auto linesOfAFrame = [&](unsigned primitives) {
        const auto before = lines(primitives);
        frame();
        return lines(primitives) - before;
    };
    EXPECT_EQ(linesOfAFrame(1), 0);
    EXPECT_EQ(linesOfAFrame(12), 0);
    m_rig.renderer()->m_drawGadgets = 1;
    EXPECT_EQ(linesOfAFrame(1), 1) << "the target line";
    EXPECT_EQ(linesOfAFrame(12), 1) << "the bone; the shape has no mesh to be drawn with";
    m_rig.renderer()->m_drawGadgets = 0;
    m_rig.renderer()->m_collisionDisplay = 1;
    EXPECT_EQ(linesOfAFrame(12), 1) << "the box's twelve edges";
    EXPECT_EQ(linesOfAFrame(1), 0);
    aiming->m_bones.clear();
    m_scene->m_root->removeChild(shape);
}

TEST_F(SceneRenderTest, FixedFunctionLightsOnOffAcrossFrames)
{
    start(true);
    add("box", 0, 0, 5);
    std::vector<Light*> lights;
    for (int i = 0; i < 5; ++i)
        lights.push_back(addLight(1, float(i), 0, 5));
    IDirect3DDevice9* device = m_rig.device();
    frame();
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(device->state().isLightEnabled(i)) << i;
    lights[1]->m_switchedOff = 1;
    lights[4]->m_switchedOff = 1;
    frame();
    const bool expected[] = {true, true, true, false, false};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(device->state().isLightEnabled(i), expected[i]) << i;

    // A second scene that sets fewer lights switches off what the first left
    // on, and the first scene's going away leaves nothing dangling.
    Scene* other = m_rig.manager->loadScene("other");
    Camera* otherCamera = other->addCamera(true);
    other->render(0.0, otherCamera);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(device->state().isLightEnabled(i)) << i;
    frame();
    m_scene->removeLight(lights[0]);
    other->render(0.0, otherCamera);
    EXPECT_EQ(device->state().isLightEnabled(0), false);
}

TEST_F(SceneRenderTest, CandidateLightsAreBoundedAndRanked)
{
    start(false);
    MeshObject* box = add("box", 0, 0, 5);
    for (int i = 0; i < 230; ++i)
        addLight(1 + i % 2, 0, 0, 5.0f - 0.01f * float(i)); // point and spot lights, ever farther off
    frame();
    const std::vector<ActiveLight>& list = box->m_lightList;
    ASSERT_EQ(list.size(), Scene::MaxCandidateLights);
    for (size_t i = 1; i < list.size(); ++i)
        EXPECT_GE(list[i - 1].influence, list[i].influence) << i;
    ShaderIntParams& ints = *m_rig.renderer()->m_shaderIntParams;
    EXPECT_EQ(*ints.m_numActivePointLights, 8);
    EXPECT_EQ(*ints.m_numActiveSpotLights, 8);
    EXPECT_EQ(*ints.m_numActiveDistantLights, 0);
    EXPECT_EQ(state(D3DRS_LIGHTING), DWORD(FALSE));
}

TEST_F(SceneRenderTest, NestedRenderAdvancesParticlesOnlyOnce)
{
    start(true);
    MeshObject* mirror = add("mirror", 0, 0, 5);
    add("box", 0, 0, 8);
    int nested = 0;
    double particleTimeInside = 0.0;
    auto* mesh = static_cast<LoggedMesh*>(mirror->firstLodMesh());
    mesh->m_onDraw = [&] {
        if (m_scene->m_renderDepth > 1)
            return;
        ++nested;
        m_scene->render(2.0, m_camera);
        particleTimeInside = m_scene->m_lastParticleTime;
    };
    m_scene->m_lastParticleTime = 1.0;
    EXPECT_EQ(frame(2.0), (Names{"mirror", "mirror", "box", "box"}));
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(particleTimeInside, 1.0);
    EXPECT_EQ(m_scene->m_lastParticleTime, 2.0);
    EXPECT_EQ(m_scene->m_renderDepth, 0);
}

TEST(SceneCornerWarp, HorizontalAngleMapsLinearly)
{
    const float a = 0.6f; // half-angle
    struct Case {
        float x, w, expectedRatio;
    };
    // After the widening, the view's edge (x / w = tan a) lands on 1.
    const Case cases[] = {{0.0f, 2.0f, 0.0f}, {std::tan(a) * 2.0f, 2.0f, 1.0f}, {-std::tan(a), 1.0f, -1.0f},
                          {std::tan(a / 2), 1.0f, 0.5f}, {0.0f, 0.0f, 0.0f}};
    for (const Case& c : cases) {
        float corners[32] = {};
        for (int i = 0; i < 8; ++i) {
            corners[4 * i] = c.x;
            corners[4 * i + 3] = c.w;
        }
        Scene::warpCorners(corners, a);
        const float ratio = corners[3] == 0.0f ? corners[0] : corners[0] / corners[3];
        EXPECT_NEAR(ratio, c.expectedRatio, 1e-5f) << c.x << " " << c.w;
        EXPECT_NEAR(corners[3], std::sqrt(c.x * c.x + c.w * c.w), 1e-5f);
    }
}

namespace {

// The eight corners of an axis-aligned box as (x, y, unused, w) with an
// identity lens: view-space x, y and depth.
std::vector<float> boxCorners(Vector3 lo, Vector3 hi)
{
    std::vector<float> out;
    for (int i = 0; i < 8; ++i) {
        out.push_back(i & 4 ? hi.x : lo.x);
        out.push_back(i & 2 ? hi.y : lo.y);
        out.push_back(0.0f);
        out.push_back(i & 1 ? hi.z : lo.z);
    }
    return out;
}

std::unique_ptr<float[]> normals(std::initializer_list<Vector3> list)
{
    auto out = std::make_unique<float[]>(list.size() * 3);
    size_t i = 0;
    for (const Vector3& n : list) {
        out[i++] = n.x;
        out[i++] = n.y;
        out[i++] = n.z;
    }
    return out;
}

} // namespace

TEST(ReflectionViewTest, KeepsOnlyWhatTheOutlineShowsInFrontOfTheMirror)
{
    // A mirror at depth 5 facing away from the eye; the outline is the
    // wedge |x| <= z through the eye.
    const float h = 0.70710678f;
    ReflectionView outlined(nullptr, Matrix4::identity(), Vector3(0, 0, 0), Vector3(0, 0, 5), Vector3(0, 0, 1), 2,
                            normals({{h, 0, h}, {-h, 0, h}}), nullptr);
    ReflectionView open(nullptr, Matrix4::identity(), Vector3(0, 0, 0), Vector3(0, 0, 5), Vector3(0, 0, 1), 0,
                        nullptr, nullptr);
    struct Case {
        const char* name;
        Vector3 lo, hi;
        bool outlinedCulls, openCulls;
    };
    const Case cases[] = {
        {"ahead", {-1, -1, 8}, {1, 1, 9}, false, false},
        {"behind the mirror, inside the outline", {-1, -1, 2}, {1, 1, 3}, true, true},
        {"touching the mirror plane", {-1, -1, 4}, {1, 1, 5}, false, false},
        {"outside one outline plane", {10, -1, 6}, {12, 1, 7}, true, false},
        {"across an outline plane", {5, -1, 6}, {8, 1, 7}, false, false},
        {"outside, behind", {-12, -1, 1}, {-10, 1, 2}, true, true},
    };
    for (const Case& c : cases) {
        const std::vector<float> corners = boxCorners(c.lo, c.hi);
        EXPECT_EQ(outlined.isBoxOutside(corners.data()), c.outlinedCulls) << c.name;
        EXPECT_EQ(open.isBoxOutside(corners.data()), c.openCulls) << c.name;
    }

    // The world matrix places the mirrored eye: the inverse of the view.
    Matrix4 view = Matrix4::identity();
    view.at(3, 0) = -2.0f; // the eye at x = 2
    ReflectionView moved(nullptr, view, Vector3(0, 0, 0), Vector3(0, 0, 5), Vector3(0, 0, 1), 0, nullptr, nullptr);
    EXPECT_FLOAT_EQ(moved.getMatrix(0.0).at(3, 0), 2.0f);
    std::unique_ptr<SceneObject> copy(outlined.clone());
    const std::vector<float> wide = boxCorners({10, -1, 6}, {12, 1, 7});
    EXPECT_TRUE(copy->isBoxOutside(wide.data()));
}

TEST_F(SceneRenderTest, MirrorViewDrawsWhatLiesBeyondItButNotTheMirror)
{
    start(true);
    MeshObject* mirror = add("mirror", 0, 0, 5);
    add("near", 0, 0, 3);
    add("far", 0, 0, 9);
    m_scene->m_lastParticleTime = 1.0;
    // An unmirrored view through a mirror at depth 5, for the sake of the
    // cull: only what lies beyond the mirror plane is drawn, the mirror
    // itself never.
    ReflectionView view(m_scene, Matrix4::identity(), Vector3(0, 0, 0), Vector3(0, 0, 5.0f), Vector3(0, 0, 1), 0,
                        nullptr, m_camera);
    std::vector<std::string> drawn;
    auto* mesh = static_cast<LoggedMesh*>(mirror->firstLodMesh());
    mesh->m_onDraw = [&] {
        if (m_scene->m_renderDepth > 1)
            return;
        mesh->m_reflection = &view;
        const size_t before = m_drawn.size();
        m_scene->render(3.0, &view);
        drawn.assign(m_drawn.begin() + long(before), m_drawn.end());
        mesh->m_reflection = nullptr;
    };
    EXPECT_EQ(frame(3.0), (Names{"near", "mirror", "far", "far"}));
    EXPECT_EQ(drawn, (Names{"far"}));
    EXPECT_EQ(m_scene->m_lastParticleTime, 3.0);
    EXPECT_EQ(view.viewport(), m_camera->viewport());
}

TEST_F(SceneRenderTest, FlarePassRunsForTheOutermostViewAndRestoresState)
{
    start(true);
    MeshObject* box = add("box", 0, 0, 5);
    Light* light = new Light(m_scene);
    m_scene->m_lights.push_back(light);
    m_scene->m_root->addChild(light);
    light->m_lightType = 1;
    light->m_lensFlareEnabled = 1;
    light->m_flareOptions = 0x19;
    light->m_flareIntensity.m_value = 1.0f;
    light->m_intensity.m_value = 1.0f;
    light->m_motion[PositionZ].m_value = 20.0f;
    light->setup();
    ASSERT_NE(light->m_lensFlare, nullptr);
    auto& recording = static_cast<RecordingBackend&>(m_rig.device()->backend());
    auto queries = [&] {
        const auto& calls = recording.calls();
        return std::count_if(calls.begin(), calls.end(),
                             [](const std::string& c) { return c.rfind("beginQuery", 0) == 0; });
    };
    struct Case {
        uint8_t flareSwitch;
        DWORD cullMode;
        long queries;
    };
    const Case cases[] = {{1, D3DCULL_CW, 1}, {0, D3DCULL_NONE, 0}, {1, D3DCULL_NONE, 1}};
    m_rig.renderer()->m_colorWriteMask = 0x7;
    for (const Case& c : cases) {
        m_rig.renderer()->m_lensFlares = c.flareSwitch;
        m_rig.device()->SetRenderState(D3DRS_CULLMODE, c.cullMode);
        recording.clearCalls();
        frame();
        EXPECT_EQ(queries(), c.queries) << int(c.flareSwitch);
        EXPECT_EQ(state(D3DRS_CULLMODE), c.cullMode);
        if (c.queries) {
            EXPECT_EQ(state(D3DRS_COLORWRITEENABLE), 0x7u);
            EXPECT_EQ(state(D3DRS_ZENABLE), DWORD(TRUE));
            EXPECT_EQ(state(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
        }
    }
    // The light widens the depth range to reach its flare.
    EXPECT_GT(m_camera->m_farPlane, 19.9f);

    // A nested view issues no queries of its own.
    auto* mesh = static_cast<LoggedMesh*>(box->firstLodMesh());
    long inner = -1;
    mesh->m_onDraw = [&] {
        if (m_scene->m_renderDepth > 1)
            return;
        const long before = queries();
        m_scene->render(0.0, m_camera);
        inner = queries() - before;
    };
    m_rig.renderer()->m_lensFlares = 1;
    recording.clearCalls();
    frame();
    EXPECT_EQ(inner, 0);
    EXPECT_EQ(queries(), 1);
}

TEST_F(SceneRenderTest, ShadowMapLightsMustSeeTheObjectsThatReceiveShadows)
{
    start(false);
    MeshObject* box = add("box", 0, 0, 5);
    struct Case {
        float heading;
        int32_t shadowOptions;
        bool candidate;
    };
    // A shadow-map spot light at the eye, facing the box or turned away.
    const Case cases[] = {{0.0f, 7, true}, {3.14159265f, 7, false}, {3.14159265f, 3, true}};
    m_rig.renderer()->m_shadowDetail = 2;
    for (const Case& c : cases) {
        Light* light = new Light(m_scene);
        m_scene->m_lights.push_back(light);
        m_scene->m_root->addChild(light);
        light->m_lightType = 2;
        light->m_shadowType = 2;
        light->m_intensity.m_value = 1.0f;
        light->m_motion[RotationH].m_value = c.heading;
        light->m_nearPlane = 1.0f;
        light->m_farPlane = 20.0f;
        light->setup();
        ASSERT_EQ(light->m_shadowType, 2);
        box->m_shadowOptions = c.shadowOptions;
        frame();
        ASSERT_EQ(box->m_lightList.size(), c.candidate ? 1u : 0u) << c.heading << " " << c.shadowOptions;
        ShaderIntParams& ints = *m_rig.renderer()->m_shaderIntParams;
        EXPECT_EQ(*ints.m_numActiveSpotLights, c.candidate ? 1 : 0);
        EXPECT_EQ(*ints.m_numShadows, c.candidate ? 1 : 0);
        if (c.candidate && c.heading == 0.0f) {
            // The box centre, seen from the camera at the light, maps to the
            // middle of the shadow map.
            const float* m = m_rig.renderer()->m_shaderFloatParams->m_matWorldLightviewLightprojShadowbias;
            const float p[4] = {0, 0, 5, 1};
            float out[4] = {};
            for (int col = 0; col < 4; ++col)
                for (int row = 0; row < 4; ++row)
                    out[col] += p[row] * m[row * 4 + col];
            const float o = 0.5f + 0.5f / float(light->m_shadowMapSize);
            EXPECT_NEAR(out[0] / out[3], o, 1e-4f);
            EXPECT_NEAR(out[1] / out[3], o, 1e-4f);
        }
        m_scene->removeLight(light);
    }
}

TEST_F(SceneRenderTest, ShadowMapIsDrawnFromTheLightBeforeTheCameraView)
{
    start(false);
    MeshObject* caster = add("caster", 0, 0, 5);
    MeshObject* receiver = add("receiver", 0, 0, 8);
    caster->m_shadowOptions = 2;
    receiver->m_shadowOptions = 4;
    IDirect3DDevice9* device = m_rig.device();
    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    const uint32_t screen = backBuffer->storage();
    backBuffer->Release();
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);
    const uint32_t screenDepth = depth->storage();
    depth->Release();

    // Each draw: the name, whether it went into a shadow map, the bound
    // target and the viewport's width.
    struct Draw {
        std::string name;
        bool shadow;
        bool onScreen;
        DWORD width;
    };
    std::vector<Draw> draws;
    for (MeshObject* object : {caster, receiver}) {
        auto* mesh = static_cast<LoggedMesh*>(object->firstLodMesh());
        mesh->m_onDraw = [&, mesh] {
            IDirect3DSurface9* target = nullptr;
            device->GetRenderTarget(0, &target);
            const bool onScreen = target && target->storage() == screen;
            if (target)
                target->Release();
            D3DVIEWPORT9 viewport{};
            device->GetViewport(&viewport);
            draws.push_back({mesh->m_name, ShadowPass::active(), onScreen, viewport.Width});
        };
    }

    struct Case {
        int32_t shadowDetail;
        int32_t shadowType;
        int32_t mapSize;
        bool mapMade;
        bool mapDrawn;
    };
    // A shadow-map spot light at the eye, facing the objects; without the
    // detail or with ray-traced shadows there is no map to draw, and a map
    // larger than the off-screen depth surface is not drawn into.
    const Case cases[] = {{2, 2, 64, true, true},    {1, 2, 64, true, true}, {0, 2, 64, false, false},
                          {2, 1, 64, false, false}, {2, 2, 2048, true, false}};
    for (const Case& c : cases) {
        m_rig.renderer()->m_shadowDetail = c.shadowDetail;
        Light* light = new Light(m_scene);
        m_scene->m_lights.push_back(light);
        m_scene->m_root->addChild(light);
        light->m_lightType = 2;
        light->m_shadowType = c.shadowType;
        light->m_shadowMapSize = c.mapSize;
        light->m_intensity.m_value = 1.0f;
        light->setup();
        ASSERT_EQ(light->m_shadowMap != nullptr, c.mapMade) << c.shadowDetail;
        const DWORD mapSize = DWORD(light->m_shadowMapSize);

        D3DVIEWPORT9 cameraViewport{};
        draws.clear();
        frame();
        device->GetViewport(&cameraViewport);

        std::vector<Draw> expected;
        if (c.mapDrawn)
            expected.push_back({"caster", true, false, mapSize});
        expected.push_back({"caster", false, true, cameraViewport.Width});
        expected.push_back({"receiver", false, true, cameraViewport.Width});
        ASSERT_EQ(draws.size(), expected.size()) << c.shadowDetail << " " << c.shadowType;
        for (size_t i = 0; i < draws.size(); ++i) {
            EXPECT_EQ(draws[i].name, expected[i].name) << i;
            EXPECT_EQ(draws[i].shadow, expected[i].shadow) << i;
            EXPECT_EQ(draws[i].onScreen, expected[i].onScreen) << i;
            EXPECT_EQ(draws[i].width, expected[i].width) << i;
        }
        EXPECT_FALSE(ShadowPass::active());
        ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);
        EXPECT_EQ(depth->storage(), screenDepth);
        depth->Release();
        if (c.mapDrawn) {
            // The light's depth range spans what it sees, receivers too.
            EXPECT_NEAR(light->m_nearPlane, 4.5f, 0.01f);
            EXPECT_NEAR(light->m_farPlane, 8.5f, 0.01f);
        }
        // The camera's view and projection are what the device holds.
        D3DMATRIX view{}, projection{};
        device->GetTransform(D3DTS_VIEW, &view);
        device->GetTransform(D3DTS_PROJECTION, &projection);
        const D3DMATRIX cameraView = toD3D(m_camera->getInvMatrix(0.0, true));
        const D3DMATRIX cameraProjection = toD3D(m_camera->m_projection);
        EXPECT_EQ(std::memcmp(&view, &cameraView, sizeof view), 0);
        EXPECT_EQ(std::memcmp(&projection, &cameraProjection, sizeof projection), 0);
        const ShaderFloatParams& floats = *m_rig.renderer()->m_shaderFloatParams;
        EXPECT_EQ(std::memcmp(floats.m_projection.m, m_camera->m_projection.m, sizeof floats.m_projection.m), 0);
        m_scene->removeLight(light);
    }
}
