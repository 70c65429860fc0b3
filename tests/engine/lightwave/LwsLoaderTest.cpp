#include "LwsRig.h"

#include "engine/lightwave/LwsLoader.h"
#include "engine/scene/Bone.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/Envelope.h"
#include "engine/scene/OdeJointItem.h"

#include <cmath>

namespace {

using LwsLoaderTest = LwsRig;

TEST_F(LwsLoaderTest, MinimalSceneLoadsUnderItsFileRoot)
{
    LwsWriter w = minimal();
    ASSERT_TRUE(load(close(w).text(), "Scenes/min.lws")) << lastError();
    ASSERT_EQ(scene->m_objects.size(), 3u);
    MeshObject* cube = object(1);
    MeshObject* fileRoot = object(2);
    EXPECT_EQ(cube->m_name, "Objects/cube.lwo");
    EXPECT_NE(cube->firstLodMesh(), nullptr);
    EXPECT_FLOAT_EQ(cube->m_motion[PositionY].m_value, 2.5f);
    EXPECT_EQ(fileRoot->m_name, "Scenes/min.lws");
    EXPECT_EQ(fileRoot->m_parent, scene->m_root);
    EXPECT_EQ(cube->m_parent, fileRoot);
    ASSERT_EQ(scene->lightCount(), 1);
    ASSERT_EQ(scene->cameraCount(), 1);
    EXPECT_EQ(light(0)->m_name, "Sun");
    EXPECT_EQ(light(0)->m_parent, fileRoot);
    Camera* camera = scene->m_cameras[0];
    EXPECT_EQ(camera->m_name, "Camera");
    EXPECT_EQ(camera->m_parent, fileRoot);
    EXPECT_EQ(scene->m_currentCamera, camera);
    EXPECT_FLOAT_EQ(camera->m_motion[PositionZ].m_value, -5.0f);
    EXPECT_EQ(scene->m_name, "Scenes/min.lws");
    EXPECT_DOUBLE_EQ(scene->m_firstFrame, 1.0);
    EXPECT_DOUBLE_EQ(scene->m_lastFrame, 60.0);
}

TEST_F(LwsLoaderTest, RefusesWhatIsNoVersionThreeScene)
{
    struct Case {
        std::string text;
        bool reported;
    };
    const std::vector<Case> cases = {
        {"LWSC\n2\n", true},
        {"lwsc\n3\n", true},
        {"LWSC", true},
        {"", false},
    };
    for (const Case& c : cases) {
        lastErrorText.assignCString("");
        EXPECT_FALSE(load(c.text)) << c.text;
        EXPECT_EQ(lastError(), c.reported ? "Invalid scene file (wrong version or file type)!" : "") << c.text;
    }
    EXPECT_FALSE(scene->loadLWS(&files, "missing.lws", nullptr, 0.0f, 1.0f));
}

// An object file the scene names but nobody has is reported as not found,
// not as a file of the wrong kind or a wrong layer number.
TEST_F(LwsLoaderTest, AMissingObjectFileIsReportedAsNotFound)
{
    LwsWriter w;
    w.loadObjectLayer(1, "Objects/none.lwo");
    load(close(w).text());
    EXPECT_EQ(lastError(), "Objects/none.lwo cannot be found!\n");
}

TEST_F(LwsLoaderTest, CamerasComeFromCameraMotionLines)
{
    // AddCamera alone makes no camera.
    LwsWriter w;
    w.loadObjectLayer(1, "Objects/cube.lwo").addLight("Sun").line("AddCamera").line("CameraName Cam");
    EXPECT_FALSE(load(w.text()));
    EXPECT_EQ(lastError(), "There must be at least one camera in the scene.");

    // The failed load leaves its items listed.
    EXPECT_EQ(scene->lightCount(), 1);

    // A scene with objects and no light still finds its camera, and gets a
    // white light that rides on it.
    manager = std::make_unique<SceneManager>(nullptr, "test");
    scene = manager->loadScene("scene");
    LwsWriter noLight;
    noLight.loadObjectLayer(1, "Objects/cube.lwo").addCamera("Camera");
    ASSERT_TRUE(load(noLight.text(), "b.lws")) << lastError();
    ASSERT_EQ(scene->cameraCount(), 1);
    ASSERT_EQ(scene->lightCount(), 1);
    Light* l = light(0);
    EXPECT_EQ(l->m_parent, scene->m_cameras[0]);
    EXPECT_EQ(l->m_lightType, 1);
    EXPECT_FLOAT_EQ(l->m_intensity.m_value, 1.0f);
    EXPECT_FLOAT_EQ(l->m_color[2].m_value, 1.0f);

    // A merged file needs no camera of its own.
    LwsWriter merged;
    merged.loadObjectLayer(1, "Objects/cube.lwo").addLight("Lamp");
    EXPECT_TRUE(load(merged.text(), "c.lws")) << lastError();
}

TEST_F(LwsLoaderTest, CreationPassIgnoresCaseAndKeyPassDoesNot)
{
    LwsWriter w;
    w.line("loadobjectlayer 1 Objects/cube.lwo");
    close(w);
    ASSERT_TRUE(load(w.text())) << lastError();
    ASSERT_EQ(scene->m_objects.size(), 3u);
    // Made, but never named or given its mesh.
    EXPECT_EQ(object(1)->m_name, "");
    EXPECT_EQ(object(1)->firstLodMesh(), nullptr);
}

TEST_F(LwsLoaderTest, MergedFileCountsIdsFromItsOwnItems)
{
    LwsWriter first = minimal();
    ASSERT_TRUE(load(close(first).text(), "first.lws")) << lastError();
    const size_t base = scene->m_objects.size();

    LwsWriter second;
    second.key("FirstFrame", {99});
    second.loadObjectLayer(1, "Objects/cube.lwo");
    second.addNullObject("Child").key("ParentItem", std::vector<std::string>{"10000000"});
    second.addLight("Lamp");
    second.addCamera("Second", {});
    ASSERT_TRUE(load(second.text(), "second.lws")) << lastError();
    EXPECT_DOUBLE_EQ(scene->m_firstFrame, 1.0);
    ASSERT_EQ(scene->m_objects.size(), base + 3);
    MeshObject* cube = object(base);
    MeshObject* child = object(base + 1);
    MeshObject* fileRoot = object(base + 2);
    EXPECT_EQ(child->m_name, "Child");
    EXPECT_EQ(child->m_parent, cube);
    EXPECT_EQ(cube->m_parent, fileRoot);
    EXPECT_EQ(fileRoot->m_name, "second.lws");
    EXPECT_EQ(light(1)->m_name, "Lamp");
    EXPECT_EQ(light(1)->m_parent, fileRoot);
    EXPECT_EQ(scene->m_cameras[1]->m_name, "Second");
    // The first file's items keep their places.
    EXPECT_EQ(light(0)->m_name, "Sun");
    EXPECT_EQ(object(1)->m_parent, object(2));
}

TEST_F(LwsLoaderTest, GeomAndJointLinesEachMakeAnItem)
{
    LwsWriter w;
    w.loadObjectLayer(1, "Objects/cube.lwo").odeGeom(1, 0, 0, {1, 1, 1});
    w.odeJoint(2, 0x10000000, 0x10000002);
    w.addNullObject("After");
    close(w);
    ASSERT_TRUE(load(w.text())) << lastError();
    ASSERT_EQ(scene->m_objects.size(), 5u);
    EXPECT_EQ(object(1)->m_itemType, uint32_t(ItemCollision));
    EXPECT_EQ(object(1)->m_name, "Objects/cube.lwo");
    EXPECT_EQ(object(2)->m_itemType, uint32_t(ItemOdeJoint));
    // The object lines count one object each, so the second item of the
    // range takes the next line's values and the last object none.
    EXPECT_EQ(object(2)->m_name, "After");
    EXPECT_EQ(object(3)->m_name, "");
}

TEST_F(LwsLoaderTest, KeysBeforeTheirItemAreIgnored)
{
    LwsWriter first = minimal();
    ASSERT_TRUE(load(close(first).text(), "first.lws")) << lastError();
    MeshObject* oldCube = object(1);

    // Every key here names an item of its kind before this file has one;
    // the current indices then stand on the first file's items.
    LwsWriter w;
    w.loadObjectLayer(1, "Objects/cube.lwo").key("BoneName", std::vector<std::string>{"Stolen"});
    w.key("LightName", std::vector<std::string>{"Stolen"}).key("LightColor", {0, 0, 0});
    w.key("CameraName", std::vector<std::string>{"Stolen"}).key("ZoomFactor", {9});
    w.addCamera("Camera");
    ASSERT_TRUE(load(w.text(), "second.lws")) << lastError();
    EXPECT_EQ(light(0)->m_name, "Sun");
    EXPECT_FLOAT_EQ(light(0)->m_color[0].m_value, 0.0f);
    EXPECT_EQ(scene->m_cameras[0]->m_name, "Camera");
    EXPECT_FLOAT_EQ(scene->m_cameras[0]->m_zoomFactor.m_value, 3.2f);
    EXPECT_TRUE(oldCube->m_bones.empty());

    // In a first file, object keys before the first object do not reach
    // the scene's root.
    manager = std::make_unique<SceneManager>(nullptr, "test");
    scene = manager->loadScene("scene");
    LwsWriter fresh;
    fresh.key("ShadowOptions", {3}).key("UnseenByCamera").key("AddBone");
    fresh.key("LightIntensity", {5}).key("HController", {1});
    close(fresh);
    ASSERT_TRUE(load(fresh.text())) << lastError();
    EXPECT_EQ(scene->m_root->m_shadowOptions, 7);
    EXPECT_EQ(scene->m_root->m_unseenByCamera, 0);
    EXPECT_TRUE(scene->m_root->m_bones.empty());
    EXPECT_FLOAT_EQ(light(0)->m_intensity.m_value, 0.0f);
}

TEST_F(LwsLoaderTest, BrokenIdsAndCyclesResolveToNothing)
{
    LwsWriter w;
    w.addNullObject("A").key("ParentItem", std::vector<std::string>{"10000001"});
    w.key("TargetItem", std::vector<std::string>{"1000FFFF"}).key("GoalObject", {0});
    w.addNullObject("B").key("ParentItem", std::vector<std::string>{"10000000"});
    w.addNullObject("C").key("ParentItem", std::vector<std::string>{"10000002"});
    w.addNullObject("D").key("ParentItem", std::vector<std::string>{"4FFF0000"});
    w.key("ExcludeLight", std::vector<std::string>{"2000FFFF"});
    w.key("ExcludeLight", std::vector<std::string>{"20000000"});
    w.key("ExcludeLight", std::vector<std::string>{"21000000"});
    w.addNullObject("E").key("ParentItem", std::vector<std::string>{"FFFFFFFF"});
    w.key("AddBone").key("ParentItem", std::vector<std::string>{"40000004"});
    close(w);
    ASSERT_TRUE(load(w.text())) << lastError();
    MeshObject* a = object(1);
    MeshObject* b = object(2);
    MeshObject* fileRoot = object(6);
    // A and B name each other: one link is refused, and the item left
    // without a parent goes under the file root.
    EXPECT_TRUE((a->m_parent == b && b->m_parent == fileRoot) || (b->m_parent == a && a->m_parent == fileRoot));
    EXPECT_EQ(a->m_target, nullptr);
    EXPECT_EQ(a->m_goalObject, nullptr);
    EXPECT_EQ(object(3)->m_parent, fileRoot); // C names itself
    EXPECT_EQ(object(4)->m_parent, fileRoot);
    ASSERT_EQ(object(4)->m_excludedLights.size(), 1u);
    EXPECT_EQ(object(4)->m_excludedLights[0], light(0));
    EXPECT_EQ(object(5)->m_parent, fileRoot);
    ASSERT_EQ(object(5)->m_bones.size(), 1u);
    EXPECT_EQ(object(5)->m_bones[0]->m_parent, object(5));
}

TEST_F(LwsLoaderTest, BonesFollowTheirParentBones)
{
    LwsWriter w = minimal();
    w.key("AddBone").key("BoneName", std::vector<std::string>{"Root"});
    w.key("AddBone").key("BoneName", std::vector<std::string>{"Tip"});
    w.key("ParentItem", std::vector<std::string>{"40000000"});
    w.key("BoneRestDirection", {90, 45, 0}).key("BoneRestLength", {2});
    close(w);
    ASSERT_TRUE(load(w.text())) << lastError();
    MeshObject* cube = object(1);
    ASSERT_EQ(cube->m_bones.size(), 2u);
    Bone* root = cube->m_bones[0];
    Bone* tip = cube->m_bones[1];
    EXPECT_EQ(root->m_name, "Root");
    EXPECT_EQ(root->m_parent, cube);
    EXPECT_EQ(tip->m_parent, root);
    EXPECT_EQ(tip->m_parentBone, root);
    EXPECT_FLOAT_EQ(tip->m_restDirection[0], 0.7853982f);
    EXPECT_FLOAT_EQ(tip->m_restDirection[1], 1.5707964f);
    EXPECT_FLOAT_EQ(tip->m_restLength, 2.0f);
}

TEST_F(LwsLoaderTest, ChannelsAndInlineEnvelopesStayInStep)
{
    LwsEnvelope twoKeys;
    twoKeys.keys = {{1, 0, 0, {}}, {3, 1, 3, {}}};
    twoKeys.post = 2;
    LwsEnvelope empty;
    LwsWriter w;
    w.key("AmbientIntensity", {0.5});
    w.loadObjectLayer(1, "Objects/cube.lwo");
    w.motion("ObjectMotion", {{0, twoKeys}, {11, twoKeys}, {6, {{{4, 0, 0, {}}}}}});
    w.addLight("Sun").envelopeKey("LightIntensity", empty).key("LightType", {2});
    w.envelopeKey("LightRange", twoKeys).key("LightFalloffType", {1});
    close(w);
    ASSERT_TRUE(load(w.text())) << lastError();
    MeshObject* cube = object(1);
    ASSERT_NE(cube->m_motion[PositionX].m_envelope, nullptr);
    Envelope* e = cube->m_motion[PositionX].m_envelope->asEnvelope();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->keys.size(), 2u);
    EXPECT_EQ(e->postBehavior, 2);
    EXPECT_FLOAT_EQ(cube->m_motion[ScaleX].m_value, 4.0f);
    EXPECT_EQ(cube->m_motion[ScaleX].m_envelope, nullptr);
    EXPECT_FLOAT_EQ(scene->m_ambientIntensity.m_value, 0.5f);
    Light* l = light(0);
    EXPECT_EQ(l->m_lightType, 2);
    EXPECT_EQ(l->m_falloffType, 1);
    ASSERT_NE(l->m_range.m_envelope, nullptr);
    EXPECT_DOUBLE_EQ(l->m_range.m_envelope->evaluate(1.0), 3.0);
}

TEST_F(LwsLoaderTest, EveryTruncationLoadsOrFailsCleanly)
{
    LwsWriter w = minimal();
    w.key("AddBone").key("ParentItem", std::vector<std::string>{"40000000"});
    w.odeMaster({{"(default)", 1, -1}});
    w.addNullObject("Geom").odeGeom(3, 2, 0, {1, 1, 1}, 0x40000000);
    w.addLight("Sun").envelopeKey("LightColor", {{{1, 0, 0, {}}, {0, 1, 3, {}}}});
    w.line("LightProjImage { Clip Still tex.bmp } }");
    w.addCamera("Camera", {{1, {{{1, 0, 0, {}}, {2, 1, 1, {}}}}}});
    w.emitter({}).particleCollision({});
    const std::string text = w.text();
    struct Counts {
        size_t objects, lights, cameras;
    };
    auto fresh = [&] {
        manager = std::make_unique<SceneManager>(nullptr, "test");
        scene = manager->loadScene("scene");
        lastErrorText.assignCString("");
    };
    auto counts = [&] { return Counts{scene->m_objects.size(), scene->m_lights.size(), scene->m_cameras.size()}; };
    fresh();
    ASSERT_TRUE(load(text)) << lastError();
    const Counts whole = counts();
    ASSERT_EQ(whole.lights, 1u);
    ASSERT_EQ(whole.cameras, 1u);
    for (size_t n = 0; n < text.size(); n += 3) {
        SCOPED_TRACE("cut at " + std::to_string(n));
        fresh();
        const bool loaded = load(text.substr(0, n));
        // A cut loads, and then has the camera a scene needs, or it fails
        // with a report (an empty file is no scene file and says nothing).
        if (loaded)
            EXPECT_EQ(scene->cameraCount(), 1);
        else if (n > 0)
            EXPECT_NE(lastError(), "");
        // What a cut makes, the whole file makes too.
        const Counts part = counts();
        EXPECT_LE(part.objects, whole.objects);
        EXPECT_LE(part.lights, whole.lights);
        EXPECT_LE(part.cameras, whole.cameras);
    }
}

} // namespace
