#pragma once
#include "engine/core/math/Matrix4.h"
#include "engine/scene/AnimatedValue.h"
#include "engine/scene/CollideFilter.h"
#include "engine/scene/ContactHandler.h"
#include "engine/scene/MixerRecords.h"
#include "engine/scene/ObjectList.h"
#include "engine/scene/SpaceRecord.h"

#include <ode/ode.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Antiportal;
class Camera;
class CollisionObject;
class LoadingScreen;
class LwMesh;
class LwoFile;
class MeshObject;
class ParticleEmitter;
class ParticleFx;
class ReflectionView;
class SceneManager;
class SceneItem;
class SceneObject;
class Stream;
class Texture;
struct ViewState;

// One loaded scene made live: the item tree under a null root, the item
// lists, the scene-wide values the scene file sets, and one ODE world with
// its contact group and collision spaces. The engine never steps the world:
// the game collides the top space, quick-steps and empties the contact
// group itself.
class Scene : public ObjectList {
public:
    explicit Scene(SceneManager* manager);
    ~Scene() override;

    Scene* asScene() override { return this; }
    virtual void onLostDevice();
    virtual void onResetDevice();

    MeshObject* addNullObject(const std::string& name, SceneObject* parent);
    Camera* addCamera(bool makeCurrent);
    // A collision object of the shape (0 sphere ... 5 ray) with the size as
    // its scale, initialised at once and listed, but hung under no parent.
    CollisionObject* addCollisionObject(uint32_t shapeType, uint32_t surfaceClass, uint32_t spaceIndex,
                                        const float size[3], const std::string& name);
    // Object layers (defined by the object loader). Layer numbers count
    // from 0 as the file's LAYR chunks do.
    MeshObject* loadObjectLayer(Stream* fileSystem, const std::string& fileName, int32_t layerNumber,
                                SceneObject* parent);
    LwMesh* getLwoLayer(int32_t layerNumber, Stream* fileSystem, const std::string& fileName);
    LwoFile* findOrLoadLwo(Stream* fileSystem, const std::string& fileName);
    // Reads a LightWave scene file into the scene (defined by the scene
    // loader). A scene that already holds items takes the file's items
    // behind its own; the file's ids count from there.
    bool loadLWS(Stream* fileSystem, const std::string& fileName, LoadingScreen* screen, float progressStart,
                 float progressSpan);
    // A new motion-mixer actor of that name, listed last.
    MixerActor* addMixerActor(const std::string& name);
    // The instance-th (from 0) motion-mixer actor of that name, or null.
    MixerActor* findObject(const std::string& name, int32_t instance);
    int32_t cameraCount() const { return int32_t(m_cameras.size()); }
    int32_t lightCount() const { return int32_t(m_lights.size()); }
    // The first object in list order with that name, or null.
    MeshObject* findObjectByName(const std::string& name) const;
    // type 0 simple, 1 hash; parentIndex SpaceRecord::NoParent for a top
    // space. Returns the new space's index, or -1 when none was made.
    int32_t addSpace(uint32_t type, const std::string& name, uint32_t parentIndex);
    // A copy of record `index`; an empty record for an index outside the list.
    SpaceRecord getSpace(uint32_t index) const;

    // Unlink the item from its parent and its list, and delete it.
    void removeObject(MeshObject* object);
    void removeCamera(Camera* camera);
    void removeLight(SceneItem* light);

    int32_t countInstances(const std::string& name, int32_t meshId) const;
    // Red, green, blue at the time, and 1.
    void ambientColor(double time, float out[4]);
    void prepare(LoadingScreen* screen, float progressStart, float progressSpan);
    // Advances the particles to the time: births, aging and the modifiers
    // run for the time since the last call (none on the first call or a
    // repeated time); every emitter then moves its particles and hands them
    // to its render object. Rendering calls it once per outermost frame.
    void updateParticles(Camera* camera, double time);
    ViewState* view() const;

    // Draws the scene from the camera (or a mirror's view) at the time:
    // matrices, fog, view and lighting, the visible objects in depth order
    // with their lights, the lens flares and, in the outermost call only,
    // the particles. A mirror's draw calls it again from inside.
    void render(double time, SceneItem* camera, MeshObject* root = nullptr);

    // One object found visible: the farthest corner's view depth (negated
    // for blended meshes) and the mesh's depth-sort flag.
    struct VisibleRecord {
        MeshObject* object;
        float depth;
        uint8_t flag;
    };
    // Unflagged records first, near to far; then flagged ones, far to near.
    static void sortVisible(std::vector<VisibleRecord>& records);
    // Widens the clip-space corners for a lens distortion of half-angle a
    // (radians): x / w becomes proportional to the horizontal angle.
    static void warpCorners(float corners[32], float halfAngle);
    // At most this many lights are weighed for one object.
    static constexpr size_t MaxCandidateLights = 200;

    void applyFog(SceneItem* camera);
    void setupFixedFunctionLights(double time);
    void renderObjects(SceneItem* camera, MeshObject* root, std::vector<ReflectionView*>& visibleViews,
                       double time);
    void renderLensFlares(SceneItem* camera, const std::vector<ReflectionView*>& visibleViews, double time);
    void selectLights(MeshObject* object, SceneItem* camera, double time);
    // Every prepared shadow-map light draws the shadow casters it sees into
    // its map, then the device's target, depth surface, viewport and view
    // and projection are put back. Sets each such light's depth range.
    void renderShadowMaps(double time, MeshObject* root);
    // Gathers the drawable objects under `object` that survive the frustum
    // and the active antiportals; widens [nearDepth, farDepth] by them.
    void collectVisible(SceneItem* camera, SceneObject* node, const Matrix4& viewProjection,
                        const std::vector<Antiportal*>& antiportals, std::vector<VisibleRecord>& out,
                        float& nearDepth, float& farDepth, double time);

    SceneManager* m_manager;
    double m_firstFrame = 0.0;
    double m_lastFrame = 0.0;
    double m_framesPerSecond = 30.0;
    double m_previewFirstFrame = 0.0;
    double m_previewLastFrame = 0.0;
    // The object the game's cameras look at ("VX_CameraTarget"); null when
    // the scene names none.
    SceneObject* m_cameraTarget = nullptr;
    float m_backdropColor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    std::vector<std::unique_ptr<ParticleEmitter>> m_emitters;
    // The modifiers (gravity, wind, collision).
    std::vector<std::unique_ptr<ParticleFx>> m_particleEffects;
    // What collides (by space class) and with which contact parameters (by
    // surface class); the game stores its own filters and handlers here.
    ContactTable m_contactTable;
    CollideFilterTable m_collideFilterTable;
    MeshObject* m_root = nullptr;
    std::string m_name;
    // The motion mixer's motions and actors, in file order.
    std::vector<std::unique_ptr<MixerMotion>> m_mixerRecords;
    std::vector<std::unique_ptr<MixerActor>> m_mixerActors;
    // From "BGImage"; null without one. Like every texture read from a
    // scene file it belongs to the scene manager's texture list.
    Texture* m_backgroundImage = nullptr;
    // The planar mirrors' views; they belong to their mirrors.
    std::vector<ReflectionView*> m_reflectionViews;
    // The occluders among the objects; they stay in the object list, which
    // frees them.
    std::vector<Antiportal*> m_antiportals;
    AnimatedValue m_ambientRed{1.0f};
    AnimatedValue m_ambientGreen{1.0f};
    AnimatedValue m_ambientBlue{1.0f};
    AnimatedValue m_ambientIntensity{0.25f};
    AnimatedValue m_globalLightIntensity{1.0f};
    AnimatedValue m_globalFlareIntensity{1.0f};
    // 0 no fog; only 3 (linear) is rendered.
    uint32_t m_fogType = 0;
    float m_fogMinDistance = 0.0f;
    float m_fogMaxDistance = 0.0f;
    float m_fogColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    // The backdrop is drawn without fog ("vxs_BackdropWithoutFog").
    bool m_backdropFog = false;
    // What the game's sound volume makes of every sound emitter's own.
    float m_soundVolume = 1.0f;
    dWorldID m_world = nullptr;
    dJointGroupID m_contactGroup = nullptr;
    float m_gravity[3] = {0.0f, -9.81f, 0.0f};
    std::vector<SpaceRecord> m_spaces;
    double m_lastParticleTime = -1.0;
    uint32_t m_gridNumber = 50;
    float m_gridSize = 1.0f;
    int32_t m_renderDepth = 0;
};
