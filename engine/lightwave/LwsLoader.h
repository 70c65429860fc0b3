#pragma once
#include "engine/lightwave/LwsTokens.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class AnimatedValue;
class Bone;
class Camera;
class Envelope;
class Light;
class LoadingScreen;
class MeshObject;
struct MixerActor;
struct MixerMotion;
class Scene;
class SceneObject;
class Stream;
class Texture;

// Reads one LightWave scene file (text, "LWSC" version 3) into a scene: the
// tokeniser, the creation pass that makes the file's items, the key pass
// that sets their values and reads the engine's plug-in blocks, and the
// closing steps that resolve the file's item ids, make the rigid bodies and
// hang the file's items under a null named after the file.
//
// Item ids are written in hexadecimal: 0x1nnnnnnn object n of the file,
// 0x2nnnnnnn light n, 0x3nnnnnnn camera n, 0x4bbbxxxx bone b of object x,
// 0 none; they count from the items the scene held before the file. While
// the file is read, the ids an item names are kept beside it and resolved
// only at the end, when every item of the file exists.
class LwsLoader {
public:
    enum Kind : int32_t { KindNone = -1, KindObject = 0, KindLight = 1, KindCamera = 2, KindBone = 3 };

    LwsLoader(Scene& scene, Stream* fileSystem, LoadingScreen* screen = nullptr, float progressStart = 0.0f,
              float progressSpan = 0.0f);
    ~LwsLoader();
    LwsLoader(const LwsLoader&) = delete;
    LwsLoader& operator=(const LwsLoader&) = delete;

    // The whole load; false (reported) when the file cannot be read, is not
    // a version-3 scene or the scene ends up without a camera.
    bool load(const std::string& fileName);

    // The steps of load, in order, for the benchmark.
    bool readFile(const std::string& fileName);
    void setText(const std::string& fileName, const char* data, size_t size);
    bool checkHeader();
    void takeBases();
    bool createItems();
    void readKeys();
    void finish();

    // Value readers; the cursor stands where each one's layout begins.
    void readInlineEnvelope(AnimatedValue& dest, bool degrees);
    void readChannel(AnimatedValue& dest, bool degrees);
    std::unique_ptr<Envelope> readEnvelopeBlock(bool degrees);
    void readMotion(SceneObject* item);
    // `load` false reads the clip block and looks up no texture.
    Texture* readClip(bool load = true);
    // An [r] value: an inline envelope when the cursor stands on
    // "(envelope)", else a number that becomes the constant.
    void readAnimated(AnimatedValue& dest, bool degrees);
    // Null for 0, for a kind or an index the scene does not hold.
    SceneObject* resolveItemId(uint32_t id) const;

    LwsTokens& tokens() { return m_tokens; }
    int32_t objectBase() const { return m_objectBase; }

private:
    struct PendingIds {
        uint32_t parent = 0;
        uint32_t target = 0;
        uint32_t goal = 0;
        uint32_t parentBone = 0;
        uint32_t body1 = 0;
        uint32_t body2 = 0;
        std::vector<uint32_t> excludedLights;
    };
    using KeyHandler = void (LwsLoader::*)();

    static const std::unordered_map<std::string_view, KeyHandler>& keyTable();

    // The current items; null before their Add line or outside this file.
    MeshObject* object() const;
    Light* light() const;
    Camera* camera() const;
    Bone* bone() const;
    SceneObject* item() const;
    PendingIds& pending(SceneObject* item) { return m_pending[item]; }

    void resolveLinks();
    void makeBodies();
    void hangUnderFileRoot();
    void renderProgress();

    // Keys (the key table).
    void keyFirstFrame();
    void keyLastFrame();
    void keyPreviewFirstFrame();
    void keyPreviewLastFrame();
    void keyFramesPerSecond();
    void keyAmbientColor();
    void keyAmbientIntensity();
    void keyGlobalLightIntensity();
    void keyGlobalFlareIntensity();
    void keyLoadObjectLayer();
    void keyAddNullObject();
    void keyUnseenByCamera();
    void keyUnseenByRays();
    void keyObjectMotion();
    void keyHController();
    void keyPController();
    void keyBController();
    void keyPathAlignLookAhead();
    void keyGoalObject();
    void keyMatchGoalOrientation();
    void keyRotationOrder();
    void keyObjectMaterial();
    void keyUnaffectedByFog();
    void keyMatteColor();
    void keyShadowOptions();
    void keyPivotPosition();
    void keyPivotRotation();
    void keyParentItem();
    void keyBumpDisplacement();
    void keyBoneFalloffType();
    void keyAddBone();
    void keyBoneName();
    void keyBoneMotion();
    void keyBoneRestPosition();
    void keyBoneRestDirection();
    void keyBoneRestLength();
    void keyBoneStrength();
    void keyScaleBoneStrength();
    void keyBoneLimitedRange();
    void keyBoneMinRange();
    void keyBoneMaxRange();
    void keyBoneWeightMapName();
    void keyAffectDiffuse();
    void keyAffectSpecular();
    void keyLightType();
    void keyLightQuality();
    void keyLightConeAngle();
    void keyLightEdgeAngle();
    void keyAddLight();
    void keyLightName();
    void keyExcludeLight();
    void keyLightMotion();
    void keyLightColor();
    void keyLightFalloffType();
    void keyLightRange();
    void keyLightIntensity();
    void keyAffectOpenGL();
    void keyLightProjImage();
    void keyShadowType();
    void keyShadowColor();
    void keyShadowMapSize();
    void keyShadowFuzziness();
    void keyLensFlare();
    void keyFlareIntensity();
    void keyLensFlareOptions();
    void keyFlareNominalDistance();
    void keyLensFlareFade();
    void keyFlareRotationAngle();
    void keyAddCamera();
    void keyCameraName();
    void keyCameraMotion();
    void keyTargetItem();
    void keyViewAxis();
    void keyZoomFactor();
    void keyEyeSeparation();
    void keyEnvMinDistance();
    void keyEnvMaxDistance();
    void keyBGImage();
    void keyBackdropColor();
    void keyFogType();
    void keyFogMinDistance();
    void keyFogMaxDistance();
    void keyFogColor();
    void keyBackdropFog();
    void keyBackdropWithoutFog();
    void keyGridNumber();
    void keyGridSize();
    void keyPlugin();
    void keyComment();

    // Plug-in blocks (the "Plugin" key).
    void readLevelsOfDetail();
    void readMasterHandler();
    void readOdeMaster();
    void readMorphMixer();
    void readCustomObject();
    void readBody();
    void readJoint();
    void readGeom();
    void readEmitter();
    void readGravity();
    void readWind();
    void readCollision();
    void readMotionMixer();
    void readMixerActor();
    void readMixerMotion(MixerActor* actor, MixerMotion* motion);
    void readMixerChannel(SceneObject* item, MixerMotion* motion);
    void readHyperVoxels();

    Scene& m_scene;
    Stream* m_fileSystem;
    LoadingScreen* m_screen;
    float m_progressStart;
    float m_progressSpan;
    std::string m_fileName;
    LwsTokens m_tokens;
    int32_t m_objectBase = 0;
    int32_t m_lightBase = 0;
    int32_t m_cameraBase = 0;
    int32_t m_start = 2;
    int32_t m_end = 0;
    int32_t m_motionMixerPosition = 0;
    int32_t m_objectIndex = -1;
    int32_t m_lightIndex = -1;
    int32_t m_cameraIndex = -1;
    int32_t m_boneIndex = -1;
    Kind m_kind = KindNone;
    // The number of objects after the creation pass, for the progress.
    int32_t m_objectCount = 0;
    std::unordered_map<SceneObject*, PendingIds> m_pending;
};
