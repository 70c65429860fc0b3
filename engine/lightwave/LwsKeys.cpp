// The key table of the scene loader: one handler per scene-file key. Every
// handler reads its arguments first and then sets what its current item
// holds, so a key met before its item's Add line is read and ignored.
#include "engine/lightwave/LwsLoader.h"

#include "engine/core/texture/Texture.h"
#include "engine/lightwave/LwMesh.h"
#include "engine/lightwave/Surface.h"
#include "engine/scene/Antiportal.h"
#include "engine/scene/Bone.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Light.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"

#include <cmath>

namespace {

constexpr double DegreesToRadians = 0.017453292519943295;

float readFloat(LwsTokens& t)
{
    return float(t.nextFloat());
}

bool endsWithLwo(std::string_view token)
{
    return token.size() >= 4 && LwsTokens::equalsIgnoringCase(token.substr(token.size() - 4), ".lwo");
}

} // namespace

const std::unordered_map<std::string_view, LwsLoader::KeyHandler>& LwsLoader::keyTable()
{
    static const std::unordered_map<std::string_view, KeyHandler> table = {
        {"FirstFrame", &LwsLoader::keyFirstFrame},
        {"LastFrame", &LwsLoader::keyLastFrame},
        {"PreviewFirstFrame", &LwsLoader::keyPreviewFirstFrame},
        {"PreviewLastFrame", &LwsLoader::keyPreviewLastFrame},
        {"FramesPerSecond", &LwsLoader::keyFramesPerSecond},
        {"AmbientColor", &LwsLoader::keyAmbientColor},
        {"AmbientIntensity", &LwsLoader::keyAmbientIntensity},
        {"GlobalLightIntensity", &LwsLoader::keyGlobalLightIntensity},
        {"GlobalFlareIntensity", &LwsLoader::keyGlobalFlareIntensity},
        {"LoadObjectLayer", &LwsLoader::keyLoadObjectLayer},
        {"AddNullObject", &LwsLoader::keyAddNullObject},
        {"UnseenByCamera", &LwsLoader::keyUnseenByCamera},
        {"UnseenByRays", &LwsLoader::keyUnseenByRays},
        {"ObjectMotion", &LwsLoader::keyObjectMotion},
        {"HController", &LwsLoader::keyHController},
        {"PController", &LwsLoader::keyPController},
        {"BController", &LwsLoader::keyBController},
        {"PathAlignLookAhead", &LwsLoader::keyPathAlignLookAhead},
        {"GoalObject", &LwsLoader::keyGoalObject},
        {"MatchGoalOrientation", &LwsLoader::keyMatchGoalOrientation},
        {"vxs_RotationOrder", &LwsLoader::keyRotationOrder},
        {"vxs_ObjectMaterial", &LwsLoader::keyObjectMaterial},
        {"UnaffectedByFog", &LwsLoader::keyUnaffectedByFog},
        {"MatteColor", &LwsLoader::keyMatteColor},
        {"ShadowOptions", &LwsLoader::keyShadowOptions},
        {"PivotPosition", &LwsLoader::keyPivotPosition},
        {"PivotRotation", &LwsLoader::keyPivotRotation},
        {"ParentItem", &LwsLoader::keyParentItem},
        {"BumpDisplacement", &LwsLoader::keyBumpDisplacement},
        {"BoneFalloffType", &LwsLoader::keyBoneFalloffType},
        {"AddBone", &LwsLoader::keyAddBone},
        {"BoneName", &LwsLoader::keyBoneName},
        {"BoneMotion", &LwsLoader::keyBoneMotion},
        {"BoneRestPosition", &LwsLoader::keyBoneRestPosition},
        {"BoneRestDirection", &LwsLoader::keyBoneRestDirection},
        {"BoneRestLength", &LwsLoader::keyBoneRestLength},
        {"BoneStrength", &LwsLoader::keyBoneStrength},
        {"ScaleBoneStrength", &LwsLoader::keyScaleBoneStrength},
        {"BoneLimitedRange", &LwsLoader::keyBoneLimitedRange},
        {"BoneMinRange", &LwsLoader::keyBoneMinRange},
        {"BoneMaxRange", &LwsLoader::keyBoneMaxRange},
        {"BoneWeightMapName", &LwsLoader::keyBoneWeightMapName},
        {"AffectDiffuse", &LwsLoader::keyAffectDiffuse},
        {"AffectSpecular", &LwsLoader::keyAffectSpecular},
        {"LightType", &LwsLoader::keyLightType},
        {"LightQuality", &LwsLoader::keyLightQuality},
        {"LightConeAngle", &LwsLoader::keyLightConeAngle},
        {"LightEdgeAngle", &LwsLoader::keyLightEdgeAngle},
        {"AddLight", &LwsLoader::keyAddLight},
        {"LightName", &LwsLoader::keyLightName},
        {"ExcludeLight", &LwsLoader::keyExcludeLight},
        {"LightMotion", &LwsLoader::keyLightMotion},
        {"LightColor", &LwsLoader::keyLightColor},
        {"LightFalloffType", &LwsLoader::keyLightFalloffType},
        {"LightRange", &LwsLoader::keyLightRange},
        {"LightIntensity", &LwsLoader::keyLightIntensity},
        {"AffectOpenGL", &LwsLoader::keyAffectOpenGL},
        {"LightProjImage", &LwsLoader::keyLightProjImage},
        {"ShadowType", &LwsLoader::keyShadowType},
        {"ShadowColor", &LwsLoader::keyShadowColor},
        {"ShadowMapSize", &LwsLoader::keyShadowMapSize},
        {"ShadowFuzziness", &LwsLoader::keyShadowFuzziness},
        {"LensFlare", &LwsLoader::keyLensFlare},
        {"FlareIntensity", &LwsLoader::keyFlareIntensity},
        {"LensFlareOptions", &LwsLoader::keyLensFlareOptions},
        {"FlareNominalDistance", &LwsLoader::keyFlareNominalDistance},
        {"LensFlareFade", &LwsLoader::keyLensFlareFade},
        {"FlareRotationAngle", &LwsLoader::keyFlareRotationAngle},
        {"AddCamera", &LwsLoader::keyAddCamera},
        {"CameraName", &LwsLoader::keyCameraName},
        {"CameraMotion", &LwsLoader::keyCameraMotion},
        {"TargetItem", &LwsLoader::keyTargetItem},
        {"vxs_ViewAxis", &LwsLoader::keyViewAxis},
        {"ZoomFactor", &LwsLoader::keyZoomFactor},
        {"EyeSeparation", &LwsLoader::keyEyeSeparation},
        {"vxs_EnvMinDistance", &LwsLoader::keyEnvMinDistance},
        {"vxs_EnvMaxDistance", &LwsLoader::keyEnvMaxDistance},
        {"BGImage", &LwsLoader::keyBGImage},
        {"BackdropColor", &LwsLoader::keyBackdropColor},
        {"FogType", &LwsLoader::keyFogType},
        {"FogMinDistance", &LwsLoader::keyFogMinDistance},
        {"FogMaxDistance", &LwsLoader::keyFogMaxDistance},
        {"FogColor", &LwsLoader::keyFogColor},
        {"BackdropFog", &LwsLoader::keyBackdropFog},
        {"vxs_BackdropWithoutFog", &LwsLoader::keyBackdropWithoutFog},
        {"GridNumber", &LwsLoader::keyGridNumber},
        {"GridSize", &LwsLoader::keyGridSize},
        {"Plugin", &LwsLoader::keyPlugin},
        {"//", &LwsLoader::keyComment},
    };
    return table;
}

// ---------------------------------------------------------------------------
// Scene

void LwsLoader::keyFirstFrame() { m_scene.m_firstFrame = m_tokens.nextInt(); }
void LwsLoader::keyLastFrame() { m_scene.m_lastFrame = m_tokens.nextInt(); }
void LwsLoader::keyPreviewFirstFrame() { m_scene.m_previewFirstFrame = m_tokens.nextInt(); }
void LwsLoader::keyPreviewLastFrame() { m_scene.m_previewLastFrame = m_tokens.nextInt(); }
void LwsLoader::keyFramesPerSecond() { m_scene.m_framesPerSecond = m_tokens.nextFloat(); }

void LwsLoader::keyAmbientColor()
{
    // Only the first value decides: three envelopes, or three numbers.
    const bool enveloped = LwsTokens::equalsIgnoringCase(m_tokens.peek(), "(envelope)");
    AnimatedValue* rgb[3] = {&m_scene.m_ambientRed, &m_scene.m_ambientGreen, &m_scene.m_ambientBlue};
    for (AnimatedValue* value : rgb) {
        if (enveloped)
            readInlineEnvelope(*value, false);
        else
            value->m_value = readFloat(m_tokens);
    }
}

void LwsLoader::keyAmbientIntensity() { readAnimated(m_scene.m_ambientIntensity, false); }
void LwsLoader::keyGlobalLightIntensity() { readAnimated(m_scene.m_globalLightIntensity, false); }
void LwsLoader::keyGlobalFlareIntensity() { readAnimated(m_scene.m_globalFlareIntensity, false); }

// ---------------------------------------------------------------------------
// Objects

void LwsLoader::keyLoadObjectLayer()
{
    ++m_objectIndex;
    m_kind = KindObject;
    m_boneIndex = -1;
    renderProgress();
    const int32_t layer = m_tokens.nextInt() - 1;
    // A name with spaces written without quotes comes in parts: they are
    // joined up to the part that ends in ".lwo", or the file's last token.
    const int32_t first = m_tokens.cursor();
    int32_t last = first;
    while (last < m_tokens.count() - 1 && !endsWithLwo(m_tokens.at(last)))
        ++last;
    std::string name = m_tokens.joined(first, last);
    m_tokens.setCursor(int64_t(last) + 1);
    if (name.size() >= 3 && name[1] == ':' && name[2] != '\\')
        name = name.substr(0, 2) + '\\' + name.substr(2);

    MeshObject* current = object();
    if (!current)
        return;
    LwMesh* mesh = m_scene.getLwoLayer(layer, m_fileSystem, name);
    const std::string layerName = mesh ? mesh->m_name : std::string();
    if (name.find("AntiPortal.lwo") != std::string::npos || name.find("CullingPlane.lwo") != std::string::npos ||
        layerName.find("CullingPlane") != std::string::npos) {
        auto* portal = new Antiportal(&m_scene);
        auto node = m_pending.extract(current);
        if (!node.empty()) {
            node.key() = portal;
            m_pending.insert(std::move(node));
        }
        // The object made by the creation pass goes; it is in no tree yet.
        m_scene.m_objects.replace(size_t(m_objectIndex), portal);
        current = portal;
        m_scene.m_antiportals.push_back(portal);
        portal->m_unseenByCamera = 1;
    }
    if (name.find("VX_CameraTarget.lwo") != std::string::npos ||
        layerName.find("VX_CameraTarget") != std::string::npos)
        m_scene.m_cameraTarget = current;
    current->setName(name);
    if (mesh) {
        current->addLod(mesh, 0.0f);
        const float pivot[3] = {mesh->m_pivot.x, mesh->m_pivot.y, mesh->m_pivot.z};
        current->setPivotPosition(pivot);
    }
}

void LwsLoader::keyAddNullObject()
{
    ++m_objectIndex;
    m_kind = KindObject;
    m_boneIndex = -1;
    renderProgress();
    const std::string name(m_tokens.next());
    if (MeshObject* current = object()) {
        current->setName(name);
        if (name.find("VX_CameraTarget") != std::string::npos)
            m_scene.m_cameraTarget = current;
    }
}

void LwsLoader::keyUnseenByCamera()
{
    if (MeshObject* o = object())
        o->m_unseenByCamera = 1;
}

void LwsLoader::keyUnseenByRays()
{
    if (MeshObject* o = object())
        o->m_unseenByRays = 1;
}

void LwsLoader::keyObjectMotion() { readMotion(object()); }

void LwsLoader::keyHController()
{
    const int32_t v = m_tokens.nextInt();
    if (SceneObject* i = item())
        i->m_headingController = v;
}

void LwsLoader::keyPController()
{
    const int32_t v = m_tokens.nextInt();
    if (SceneObject* i = item())
        i->m_pitchController = v;
}

void LwsLoader::keyBController()
{
    const int32_t v = m_tokens.nextInt();
    if (SceneObject* i = item())
        i->m_bankController = v;
}

void LwsLoader::keyPathAlignLookAhead()
{
    const float v = readFloat(m_tokens);
    if (SceneObject* i = item())
        i->m_pathLookAhead = v;
}

void LwsLoader::keyGoalObject()
{
    // The object's number counts from 1.
    const int32_t v = m_tokens.nextInt();
    if (SceneObject* i = item())
        pending(i).goal = v >= 1 ? 0x0FFFFFFFu + uint32_t(v) : 0;
}

void LwsLoader::keyMatchGoalOrientation()
{
    const int32_t v = m_tokens.nextInt();
    if (SceneObject* i = item())
        i->m_matchGoalOrientation = v != 0;
}

void LwsLoader::keyRotationOrder()
{
    int32_t order[3];
    for (int32_t& v : order)
        v = m_tokens.nextInt();
    if (SceneObject* i = item())
        for (int k = 0; k < 3; ++k)
            i->m_rotationOrder[k] = order[k];
}

void LwsLoader::keyObjectMaterial()
{
    const std::string surface(m_tokens.next());
    float values[3];
    for (float& v : values)
        v = readFloat(m_tokens);
    if (MeshObject* o = object()) {
        o->m_objectMaterial = m_scene.m_manager ? m_scene.m_manager->findSurface(o->m_name + "@" + surface) : nullptr;
        for (int k = 0; k < 3; ++k)
            o->m_objectMaterialValues[k] = values[k];
    }
}

void LwsLoader::keyUnaffectedByFog()
{
    const int32_t v = m_tokens.nextInt();
    if (MeshObject* o = object())
        o->m_affectedByFog = v == 0;
}

void LwsLoader::keyMatteColor()
{
    float rgb[3];
    for (float& v : rgb)
        v = readFloat(m_tokens);
    if (MeshObject* o = object()) {
        for (int k = 0; k < 3; ++k)
            o->m_matteColor[k] = rgb[k];
        o->m_matteColor[3] = 1.0f;
    }
}

void LwsLoader::keyShadowOptions()
{
    const int32_t v = m_tokens.nextInt();
    if (MeshObject* o = object())
        o->m_shadowOptions = v;
}

void LwsLoader::keyPivotPosition()
{
    float p[3];
    for (float& v : p)
        v = readFloat(m_tokens);
    if (SceneObject* i = item())
        i->setPivotPosition(p);
}

void LwsLoader::keyPivotRotation()
{
    float hpb[3];
    for (float& v : hpb)
        v = float(m_tokens.nextFloat() * DegreesToRadians);
    if (SceneObject* i = item()) {
        i->m_pivotRotation[0] = hpb[1];
        i->m_pivotRotation[1] = hpb[0];
        i->m_pivotRotation[2] = hpb[2];
    }
}

void LwsLoader::keyParentItem()
{
    const uint32_t id = m_tokens.nextItemId();
    SceneObject* i = item();
    if (!i)
        return;
    PendingIds& ids = pending(i);
    ids.parent = id;
    if (m_kind == KindBone && id >= 0x40000000u && id <= 0x4FFFFFFFu)
        ids.parentBone = id;
}

void LwsLoader::keyBumpDisplacement()
{
    if (MeshObject* o = object())
        o->m_bumpDisplacement = 1;
}

void LwsLoader::keyBoneFalloffType()
{
    const int32_t v = m_tokens.nextInt();
    // The meshes of this file's objects are all object layers.
    MeshObject* o = object();
    if (o && o->firstLodMesh())
        static_cast<LwMesh*>(o->firstLodMesh())->m_boneFalloffType = v;
}

// ---------------------------------------------------------------------------
// Bones

void LwsLoader::keyAddBone()
{
    MeshObject* o = object();
    if (!o)
        return;
    auto* bone = new Bone(&m_scene);
    o->m_bones.push_back(bone);
    // It hangs under its object until the closing steps say otherwise, so
    // that it always belongs to the tree.
    o->addChild(bone);
    m_boneIndex = int32_t(o->m_bones.size()) - 1;
    m_kind = KindBone;
}

void LwsLoader::keyBoneName()
{
    const std::string name(m_tokens.next());
    if (Bone* b = bone())
        b->setName(name);
}

void LwsLoader::keyBoneMotion() { readMotion(bone()); }

void LwsLoader::keyBoneRestPosition()
{
    float p[3];
    for (float& v : p)
        v = readFloat(m_tokens);
    if (Bone* b = bone())
        for (int k = 0; k < 3; ++k)
            b->m_restPosition[k] = p[k];
}

void LwsLoader::keyBoneRestDirection()
{
    float hpb[3];
    for (float& v : hpb)
        v = float(m_tokens.nextFloat() * DegreesToRadians);
    if (Bone* b = bone()) {
        b->m_restDirection[0] = hpb[1];
        b->m_restDirection[1] = hpb[0];
        b->m_restDirection[2] = hpb[2];
    }
}

void LwsLoader::keyBoneRestLength()
{
    const float v = readFloat(m_tokens);
    if (Bone* b = bone())
        b->m_restLength = v;
}

void LwsLoader::keyBoneStrength()
{
    const float v = readFloat(m_tokens);
    if (Bone* b = bone())
        b->m_strength = v;
}

void LwsLoader::keyScaleBoneStrength()
{
    const int32_t v = m_tokens.nextInt();
    if (Bone* b = bone())
        b->m_scaleStrength = v == 1;
}

void LwsLoader::keyBoneLimitedRange()
{
    const int32_t v = m_tokens.nextInt();
    if (Bone* b = bone())
        b->m_limitedRange = v == 1;
}

void LwsLoader::keyBoneMinRange()
{
    const float v = readFloat(m_tokens);
    if (Bone* b = bone())
        b->m_minRange = v;
}

void LwsLoader::keyBoneMaxRange()
{
    const float v = readFloat(m_tokens);
    if (Bone* b = bone())
        b->m_maxRange = v;
}

void LwsLoader::keyBoneWeightMapName()
{
    const std::string name(m_tokens.next());
    if (Bone* b = bone())
        b->m_weightMapName = name;
}

// ---------------------------------------------------------------------------
// Lights

void LwsLoader::keyAffectDiffuse()
{
    const int32_t v = m_tokens.nextInt();
    if (Light* l = light())
        l->m_noDiffuse = v == 0;
}

void LwsLoader::keyAffectSpecular()
{
    const int32_t v = m_tokens.nextInt();
    if (Light* l = light())
        l->m_noSpecular = v == 0;
}

void LwsLoader::keyLightType()
{
    const int32_t v = m_tokens.nextInt();
    if (Light* l = light())
        l->m_lightType = v;
}

void LwsLoader::keyLightQuality() { m_tokens.advance(1); }

void LwsLoader::keyLightConeAngle()
{
    AnimatedValue scratch;
    Light* l = light();
    AnimatedValue& dest = l ? l->m_coneAngle : scratch;
    if (LwsTokens::equalsIgnoringCase(m_tokens.peek(), "(envelope)"))
        readInlineEnvelope(dest, true);
    else
        dest.m_value = float(m_tokens.nextFloat() * DegreesToRadians);
}

void LwsLoader::keyLightEdgeAngle()
{
    AnimatedValue scratch;
    Light* l = light();
    AnimatedValue& dest = l ? l->m_edgeAngle : scratch;
    if (LwsTokens::equalsIgnoringCase(m_tokens.peek(), "(envelope)"))
        readInlineEnvelope(dest, true);
    else
        dest.m_value = float(m_tokens.nextFloat() * DegreesToRadians);
}

void LwsLoader::keyAddLight()
{
    ++m_lightIndex;
    m_kind = KindLight;
}

void LwsLoader::keyLightName()
{
    const std::string name(m_tokens.next());
    if (Light* l = light())
        l->setName(name);
}

void LwsLoader::keyExcludeLight()
{
    const uint32_t id = m_tokens.nextItemId();
    if (id == 0x21000000u || id == 0x22000000u)
        return;
    if (MeshObject* o = object())
        pending(o).excludedLights.push_back(id);
}

void LwsLoader::keyLightMotion() { readMotion(light()); }

void LwsLoader::keyLightColor()
{
    AnimatedValue scratch[3];
    Light* l = light();
    AnimatedValue* rgb = l ? l->m_color : scratch;
    const bool enveloped = LwsTokens::equalsIgnoringCase(m_tokens.peek(), "(envelope)");
    for (int k = 0; k < 3; ++k) {
        if (enveloped)
            readInlineEnvelope(rgb[k], false);
        else
            rgb[k].m_value = readFloat(m_tokens);
    }
}

void LwsLoader::keyLightFalloffType()
{
    const int32_t v = m_tokens.nextInt();
    if (Light* l = light())
        l->m_falloffType = v;
}

void LwsLoader::keyLightRange()
{
    AnimatedValue scratch;
    Light* l = light();
    readAnimated(l ? l->m_range : scratch, false);
}

void LwsLoader::keyLightIntensity()
{
    AnimatedValue scratch;
    Light* l = light();
    readAnimated(l ? l->m_intensity : scratch, false);
}

void LwsLoader::keyAffectOpenGL()
{
    const int32_t v = m_tokens.nextInt();
    if (Light* l = light())
        l->m_noRealtime = v == 0;
}

void LwsLoader::keyLightProjImage()
{
    Texture* texture = readClip();
    if (Light* l = light())
        l->m_projectionImage = texture;
}

void LwsLoader::keyShadowType()
{
    const int32_t v = m_tokens.nextInt();
    if (Light* l = light())
        l->m_shadowType = v;
}

void LwsLoader::keyShadowColor()
{
    float rgb[3];
    for (float& v : rgb)
        v = readFloat(m_tokens);
    if (Light* l = light()) {
        for (int k = 0; k < 3; ++k)
            l->m_shadowColor[k] = rgb[k];
        l->m_shadowColor[3] = 1.0f;
    }
}

void LwsLoader::keyShadowMapSize()
{
    const int32_t v = m_tokens.nextInt();
    if (Light* l = light())
        l->m_shadowMapSize = v;
}

void LwsLoader::keyShadowFuzziness()
{
    const double v = m_tokens.nextFloat();
    if (Light* l = light())
        l->m_shadowBias = float(-std::pow(2.0, -v));
}

void LwsLoader::keyLensFlare()
{
    const int32_t v = m_tokens.nextInt();
    if (Light* l = light())
        l->m_lensFlareEnabled = v != 0;
}

void LwsLoader::keyFlareIntensity()
{
    AnimatedValue scratch;
    Light* l = light();
    readAnimated(l ? l->m_flareIntensity : scratch, false);
}

void LwsLoader::keyLensFlareOptions()
{
    const int32_t v = m_tokens.nextInt();
    if (Light* l = light())
        l->m_flareOptions = v;
}

void LwsLoader::keyFlareNominalDistance()
{
    const float v = readFloat(m_tokens);
    if (Light* l = light())
        l->m_flareNominalDistance = v;
}

void LwsLoader::keyLensFlareFade()
{
    const int32_t v = m_tokens.nextInt();
    if (Light* l = light())
        l->m_flareFade = v;
}

void LwsLoader::keyFlareRotationAngle()
{
    AnimatedValue scratch;
    Light* l = light();
    readAnimated(l ? l->m_flareRotationAngle : scratch, false);
}

// ---------------------------------------------------------------------------
// Cameras

void LwsLoader::keyAddCamera()
{
    ++m_cameraIndex;
    m_kind = KindCamera;
}

void LwsLoader::keyCameraName()
{
    const std::string name(m_tokens.next());
    if (Camera* c = camera())
        c->setName(name);
}

void LwsLoader::keyCameraMotion() { readMotion(camera()); }

void LwsLoader::keyTargetItem()
{
    const uint32_t id = m_tokens.nextItemId();
    if (SceneObject* i = item())
        pending(i).target = id;
}

void LwsLoader::keyViewAxis()
{
    const int32_t v = m_tokens.nextInt();
    if (m_kind == KindLight) {
        if (Light* l = light())
            l->m_viewAxis = v;
    } else if (m_kind == KindCamera) {
        if (Camera* c = camera())
            c->m_viewAxis = v;
    }
}

void LwsLoader::keyZoomFactor()
{
    AnimatedValue scratch;
    Camera* c = camera();
    readAnimated(c ? c->m_zoomFactor : scratch, false);
}

void LwsLoader::keyEyeSeparation()
{
    const float v = readFloat(m_tokens);
    if (Camera* c = camera())
        c->m_eyeSeparation = v;
}

void LwsLoader::keyEnvMinDistance()
{
    const float v = readFloat(m_tokens);
    if (Camera* c = camera()) {
        c->m_envMinDistance = v;
        c->m_hasEnvMinDistance = 1;
    }
}

void LwsLoader::keyEnvMaxDistance()
{
    const float v = readFloat(m_tokens);
    if (Camera* c = camera()) {
        c->m_envMaxDistance = v;
        c->m_hasEnvMaxDistance = 1;
    }
}

// ---------------------------------------------------------------------------
// Backdrop, fog, grid

void LwsLoader::keyBGImage()
{
    if (Texture* texture = readClip()) {
        texture->m_flags = 0x80;
        m_scene.m_backgroundImage = texture;
    }
}

void LwsLoader::keyBackdropColor()
{
    for (int k = 0; k < 3; ++k)
        m_scene.m_backdropColor[k] = readFloat(m_tokens);
    m_scene.m_backdropColor[3] = 0.0f;
}

void LwsLoader::keyFogType()
{
    // Into the device's fog modes: linear 3, exponential 1, squared 2.
    switch (m_tokens.nextInt()) {
    case 1:
        m_scene.m_fogType = 3;
        break;
    case 2:
        m_scene.m_fogType = 1;
        break;
    case 3:
        m_scene.m_fogType = 2;
        break;
    default:
        m_scene.m_fogType = 0;
        break;
    }
}

void LwsLoader::keyFogMinDistance() { m_scene.m_fogMinDistance = readFloat(m_tokens); }
void LwsLoader::keyFogMaxDistance() { m_scene.m_fogMaxDistance = readFloat(m_tokens); }

void LwsLoader::keyFogColor()
{
    for (int k = 0; k < 3; ++k)
        m_scene.m_fogColor[k] = readFloat(m_tokens);
}

void LwsLoader::keyBackdropFog()
{
    if (m_tokens.nextInt() != 0)
        for (int k = 0; k < 3; ++k)
            m_scene.m_fogColor[k] = m_scene.m_backdropColor[k];
}

void LwsLoader::keyBackdropWithoutFog() { m_scene.m_backdropFog = m_tokens.nextInt() != 0; }
void LwsLoader::keyGridNumber() { m_scene.m_gridNumber = uint32_t(m_tokens.nextInt()); }
void LwsLoader::keyGridSize() { m_scene.m_gridSize = readFloat(m_tokens); }
void LwsLoader::keyComment() { m_tokens.advance(1); }
