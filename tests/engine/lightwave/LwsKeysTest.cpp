#include "LwsRig.h"

#include "engine/core/texture/Texture.h"
#include "engine/scene/Antiportal.h"
#include "engine/scene/Envelope.h"

#include <functional>

namespace {

using LwsKeysTest = LwsRig;

// The keys go behind an object line (object keys), a light line (light
// keys) or a camera line (camera keys) of an otherwise minimal scene.
struct KeyCase {
    const char* name;
    const char* objectLines;
    const char* lightLines;
    const char* cameraLines;
    std::function<void(Scene&, MeshObject&, Light&, Camera&)> check;
};

TEST_F(LwsKeysTest, KeysSetTheirFields)
{
    const std::vector<KeyCase> cases = {
        {"scene values", "", "", "PreviewFirstFrame 3\nPreviewLastFrame 9\nFramesPerSecond 25\nGridNumber 7\nGridSize 2.5",
         [](Scene& s, MeshObject&, Light&, Camera&) {
             EXPECT_DOUBLE_EQ(s.m_previewFirstFrame, 3.0);
             EXPECT_DOUBLE_EQ(s.m_previewLastFrame, 9.0);
             EXPECT_DOUBLE_EQ(s.m_framesPerSecond, 25.0);
             EXPECT_EQ(s.m_gridNumber, 7u);
             EXPECT_FLOAT_EQ(s.m_gridSize, 2.5f);
         }},
        {"ambient numbers", "AmbientColor 1 0.5 0.25\nGlobalLightIntensity 0.75", "", "",
         [](Scene& s, MeshObject&, Light&, Camera&) {
             EXPECT_FLOAT_EQ(s.m_ambientGreen.m_value, 0.5f);
             EXPECT_FLOAT_EQ(s.m_ambientBlue.m_value, 0.25f);
             EXPECT_EQ(s.m_ambientRed.m_envelope, nullptr);
             EXPECT_FLOAT_EQ(s.m_globalLightIntensity.m_value, 0.75f);
         }},
        {"ambient envelopes",
         "AmbientColor (envelope)\n{ Envelope\n 2\n Key 0 0 0 0 0 0 0 0 0\n Key 1 1 3 0 0 0 0 0 0\n Behaviors 1 1\n}\n"
         "(envelope)\n{ Envelope\n 1\n Key 0.5 0 0 0 0 0 0 0 0\n Behaviors 1 1\n}\n"
         "(envelope)\n{ Envelope\n 0\n Behaviors 1 1\n}\nShadowOptions 3",
         "", "",
         [](Scene& s, MeshObject& o, Light&, Camera&) {
             ASSERT_NE(s.m_ambientRed.m_envelope, nullptr);
             EXPECT_DOUBLE_EQ(s.m_ambientRed.m_envelope->evaluate(1.0), 1.0);
             EXPECT_FLOAT_EQ(s.m_ambientGreen.m_value, 0.5f);
             EXPECT_FLOAT_EQ(s.m_ambientBlue.m_value, 1.0f);
             EXPECT_EQ(o.m_shadowOptions, 3);
         }},
        {"object flags",
         "UnseenByCamera\nUnseenByRays\nBumpDisplacement\nUnaffectedByFog 0\nMatteColor 0.1 0.2 0.3\nShadowOptions 2",
         "", "",
         [](Scene&, MeshObject& o, Light&, Camera&) {
             EXPECT_EQ(o.m_unseenByCamera, 1);
             EXPECT_EQ(o.m_unseenByRays, 1);
             EXPECT_EQ(o.m_bumpDisplacement, 1);
             EXPECT_EQ(o.m_affectedByFog, 1);
             EXPECT_FLOAT_EQ(o.m_matteColor[2], 0.3f);
             EXPECT_FLOAT_EQ(o.m_matteColor[3], 1.0f);
             EXPECT_EQ(o.m_shadowOptions, 2);
         }},
        {"fog stays off", "UnaffectedByFog 1", "", "",
         [](Scene&, MeshObject& o, Light&, Camera&) { EXPECT_EQ(o.m_affectedByFog, 0); }},
        {"controllers and pivots",
         "HController 1\nPController 2\nBController 1\nPathAlignLookAhead 0.5\nMatchGoalOrientation 3\n"
         "vxs_RotationOrder 2 1 0\nPivotPosition 1 2 3\nPivotRotation 90 0 180\nGoalObject 1",
         "", "",
         [](Scene& s, MeshObject& o, Light&, Camera&) {
             EXPECT_EQ(o.m_headingController, 1);
             EXPECT_EQ(o.m_pitchController, 2);
             EXPECT_EQ(o.m_bankController, 1);
             EXPECT_FLOAT_EQ(o.m_pathLookAhead, 0.5f);
             EXPECT_EQ(o.m_matchGoalOrientation, 1);
             EXPECT_EQ(o.m_rotationOrder[0], 2);
             EXPECT_EQ(o.m_rotationOrder[2], 0);
             EXPECT_FLOAT_EQ(o.m_pivotPosition[1], 2.0f);
             EXPECT_FLOAT_EQ(o.m_pivotRotation[0], 0.0f);
             EXPECT_FLOAT_EQ(o.m_pivotRotation[1], 1.5707964f);
             EXPECT_FLOAT_EQ(o.m_pivotRotation[2], 3.1415927f);
             EXPECT_EQ(o.m_goalObject, s.m_objects[1]);
         }},
        {"light switches",
         "", "AffectDiffuse 0\nAffectSpecular 1\nAffectOpenGL 0\nLightQuality 3\nLightType 2\nLightFalloffType 2\n"
             "ShadowType 2\nShadowMapSize 512\nShadowColor 0.5 0.5 0.5\nShadowFuzziness 1\nvxs_ViewAxis 1",
         "",
         [](Scene&, MeshObject&, Light& l, Camera& c) {
             EXPECT_EQ(l.m_noDiffuse, 1);
             EXPECT_EQ(l.m_noSpecular, 0);
             EXPECT_EQ(l.m_noRealtime, 1);
             EXPECT_EQ(l.m_lightType, 2);
             EXPECT_EQ(l.m_falloffType, 2);
             EXPECT_EQ(l.m_shadowType, 2);
             EXPECT_EQ(l.m_shadowMapSize, 512);
             EXPECT_FLOAT_EQ(l.m_shadowColor[3], 1.0f);
             EXPECT_FLOAT_EQ(l.m_shadowBias, -0.5f);
             EXPECT_EQ(l.m_viewAxis, 1);
             EXPECT_EQ(c.m_viewAxis, 2);
         }},
        {"soft shadow at zero", "", "ShadowFuzziness 0", "",
         [](Scene&, MeshObject&, Light& l, Camera&) { EXPECT_FLOAT_EQ(l.m_shadowBias, -1.0f); }},
        {"cone angles", "",
         "LightConeAngle 30\nLightEdgeAngle (envelope)\n{ Envelope\n 2\n Key 30 0 0 0 0 0 0 0 0\n"
         " Key 60 1 3 0 0 0 0 0 0\n Behaviors 1 1\n}\nLightIntensity 0.75",
         "",
         [](Scene&, MeshObject&, Light& l, Camera&) {
             EXPECT_FLOAT_EQ(l.m_coneAngle.m_value, 0.5235988f);
             ASSERT_NE(l.m_edgeAngle.m_envelope, nullptr);
             Envelope* e = l.m_edgeAngle.m_envelope->asEnvelope();
             ASSERT_EQ(e->keys.size(), 2u);
             EXPECT_FLOAT_EQ(e->keys[0].value, 0.5235988f);
             EXPECT_FLOAT_EQ(e->keys[1].value, 1.0471976f);
             EXPECT_FLOAT_EQ(l.m_intensity.m_value, 0.75f);
         }},
        {"flares", "",
         "LensFlare 1\nFlareIntensity 0.5\nLensFlareOptions 6\nFlareNominalDistance 3\nLensFlareFade 2\n"
         "FlareRotationAngle 45\nLightColor 1 0.5 0\nLightRange 9",
         "",
         [](Scene&, MeshObject&, Light& l, Camera&) {
             EXPECT_EQ(l.m_lensFlareEnabled, 1);
             EXPECT_FLOAT_EQ(l.m_flareIntensity.m_value, 0.5f);
             EXPECT_EQ(l.m_flareOptions, 6);
             EXPECT_FLOAT_EQ(l.m_flareNominalDistance, 3.0f);
             EXPECT_EQ(l.m_flareFade, 2);
             EXPECT_FLOAT_EQ(l.m_flareRotationAngle.m_value, 45.0f);
             EXPECT_FLOAT_EQ(l.m_color[1].m_value, 0.5f);
             EXPECT_FLOAT_EQ(l.m_range.m_value, 9.0f);
         }},
        {"camera values", "", "",
         "ZoomFactor 2.4\nEyeSeparation 0.1\nvxs_EnvMinDistance 2\nvxs_EnvMaxDistance 20\nvxs_ViewAxis 0\n"
         "TargetItem 10000000",
         [](Scene& s, MeshObject&, Light&, Camera& c) {
             EXPECT_FLOAT_EQ(c.m_zoomFactor.m_value, 2.4f);
             EXPECT_FLOAT_EQ(c.m_eyeSeparation, 0.1f);
             EXPECT_EQ(c.m_hasEnvMinDistance, 1);
             EXPECT_FLOAT_EQ(c.m_envMaxDistance, 20.0f);
             EXPECT_EQ(c.m_viewAxis, 0);
             EXPECT_EQ(c.m_target, s.m_objects[1]);
         }},
        {"fog and backdrop", "", "",
         "BackdropFog 1\nBackdropColor 0.2 0.4 0.6\nFogType 1\nFogMinDistance 5\nFogMaxDistance 50\n"
         "vxs_BackdropWithoutFog 1",
         [](Scene& s, MeshObject&, Light&, Camera&) {
             // The backdrop colour as it stood when BackdropFog was read.
             EXPECT_FLOAT_EQ(s.m_fogColor[0], 0.0f);
             EXPECT_FLOAT_EQ(s.m_backdropColor[2], 0.6f);
             EXPECT_EQ(s.m_fogType, 3u);
             EXPECT_FLOAT_EQ(s.m_fogMinDistance, 5.0f);
             EXPECT_FLOAT_EQ(s.m_fogMaxDistance, 50.0f);
             EXPECT_TRUE(s.m_backdropFog);
         }},
        {"fog types", "", "", "FogType 7\nBackdropColor 0.2 0.4 0.6\nBackdropFog 1\nFogColor 0.9 0.9 0.9\n// FogType",
         [](Scene& s, MeshObject&, Light&, Camera&) {
             EXPECT_EQ(s.m_fogType, 0u);
             EXPECT_FLOAT_EQ(s.m_fogColor[1], 0.9f);
         }},
        {"excluded lights", "ExcludeLight 21000000\nExcludeLight 22000000\nExcludeLight 20000000", "", "",
         [](Scene& s, MeshObject& o, Light&, Camera&) {
             ASSERT_EQ(o.m_excludedLights.size(), 1u);
             EXPECT_EQ(o.m_excludedLights[0], s.m_lights[0]);
         }},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        manager = std::make_unique<SceneManager>(nullptr, "test");
        scene = manager->loadScene("scene");
        LwsWriter w;
        w.loadObjectLayer(1, "Objects/cube.lwo").line(c.objectLines);
        w.addLight("Sun").line(c.lightLines);
        w.addCamera("Camera").line(c.cameraLines);
        ASSERT_TRUE(load(w.text())) << lastError();
        c.check(*scene, *object(1), *light(0), *scene->m_cameras[0]);
    }
}

TEST_F(LwsKeysTest, ObjectLinesRebuildNamesAndFindSpecialObjects)
{
    files.addFile("Objects/My Kart.lwo", lwo2Cube());
    files.addFile("C:\\Objects\\CullingPlane.lwo", lwo2Cube());
    files.addFile("Objects/VX_CameraTarget.lwo", lwo2Cube());
    LwsWriter w;
    w.line("LoadObjectLayer 1 Objects/My Kart.lwo");
    w.line("LoadObjectLayer 1 C:Objects\\CullingPlane.lwo").key("ShadowOptions", {1});
    w.line("LoadObjectLayer 1 Objects/VX_CameraTarget.lwo");
    w.addNullObject("Nothing.lwo");
    w.line("LoadObjectLayer 2 Objects/cube.lwo");
    close(w);
    ASSERT_TRUE(load(w.text())) << lastError();
    ASSERT_EQ(scene->m_objects.size(), 7u);
    EXPECT_EQ(object(1)->m_name, "Objects/My Kart.lwo");
    EXPECT_NE(object(1)->firstLodMesh(), nullptr);
    EXPECT_EQ(object(2)->m_name, "C:\\Objects\\CullingPlane.lwo");
    ASSERT_EQ(scene->m_antiportals.size(), 1u);
    EXPECT_EQ(static_cast<MeshObject*>(scene->m_antiportals[0]), object(2));
    EXPECT_EQ(object(2)->m_unseenByCamera, 1);
    EXPECT_EQ(object(2)->m_shadowOptions, 1);
    EXPECT_EQ(scene->m_cameraTarget, object(3));
    EXPECT_EQ(object(4)->m_name, "Nothing.lwo");
    // Layer 2 of a one-layer file: an object without a mesh, reported.
    EXPECT_EQ(object(5)->m_name, "Objects/cube.lwo");
    EXPECT_EQ(object(5)->firstLodMesh(), nullptr);
    EXPECT_EQ(lastError(), "1 is not a valid layer number for Objects/cube.lwo!\n");
}

TEST_F(LwsKeysTest, ClipsMakeOneSharedTexturePerImage)
{
    LwsWriter w = minimal();
    w.addLight("Sun").line("LightProjImage { Clip\n { Still Images/a.bmp }\n Flags 1\n Times 0 0 0 0 0\n}");
    w.addCamera("Camera").line("BGImage { Clip { Still C:b_nodxt.bmp } { Other 1 2 } }");
    w.line("// BGImage");
    ASSERT_TRUE(load(w.text())) << lastError();
    ASSERT_EQ(manager->m_textures.size(), 2u);
    Texture* projection = light(0)->m_projectionImage;
    ASSERT_NE(projection, nullptr);
    EXPECT_EQ(projection, manager->m_textures[0]);
    EXPECT_EQ(projection->m_flags, 3u);
    ASSERT_NE(scene->m_backgroundImage, nullptr);
    EXPECT_EQ(scene->m_backgroundImage->m_flags, 0x80u);
    EXPECT_EQ(scene->m_backgroundImage, manager->m_textures[1]);
}

} // namespace
