#pragma once
#include "engine/core/math/Vector3.h"

#include <cstdint>
#include <map>
#include <memory>

class Application;
class MeshObject;
class ParticleEmitter;
class ParticleRenderer;
class Scene;
class SceneManager;
class Stream;
class Texture;

// The values an effect type's emitters and renderers are made with. The
// birth direction is not among them: each spawn gives its own.
struct ParticleParams {
    // Records an emitter uses at most (up to the table's 100): it keeps
    // that many particles alive and gives birth again as they die.
    int32_t limit = 100;
    // Births per second while the effect is active. Births are counted per
    // frame and the fraction dropped, so a rate below the frame rate gives
    // none at all.
    float rate = 0.0f;
    // Seconds.
    float life = 1.0f;
    float lifeVariation = 0.0f;
    // The birth box around the spawn point.
    float spread[3] = {0.0f, 0.0f, 0.0f};
    // Multiplies the spawn's direction into the birth velocity.
    float speedScale = 1.0f;
    float speedScaleVariation = 0.0f;
    // Velocity lost per second.
    float drag = 0.0f;
    float dragVariation = 0.0f;
    float size = 1.0f;
    float sizeVariation = 0.0f;
    // Added to the size per second.
    float sizeRate = 0.0f;
    // Degrees, and degrees per second the quads turn between them.
    float angleMin = 0.0f;
    float angleMax = 0.0f;
    float angleRate = 0.0f;
    // Velocity every particle keeps besides its own.
    float drift[3] = {0.0f, 0.0f, 0.0f};
    float opacity = 1.0f;
};

// One particle look: a picture and its optional alpha picture (white is
// clear), both the scene manager's, with the values the race gives it.
struct SurfaceEffect {
    Texture* texture = nullptr;
    Texture* alphaTexture = nullptr;
    float value = 1.0f;
    int32_t flags[3] = {0, 0, 0};
    float factors[2] = {1.0f, 1.0f};
};

// One pooled emitter: the scene node "particle_fx" that carries it, its
// renderer and its emitter, all three the scene's.
class ParticleFxInstance {
public:
    virtual ~ParticleFxInstance() = default;

    // Handed out.
    uint8_t active = 0;
    // Seconds.
    float elapsed = 0.0f;
    float duration = 0.0f;
    // The births per second a spawn gives back to the emitter.
    float rate = 0.0f;
    // Ends by itself once `elapsed` passes `duration`.
    uint8_t timed = 0;
    MeshObject* node = nullptr;
    ParticleRenderer* renderer = nullptr;
    ParticleEmitter* emitter = nullptr;
};

// The race's dust, grass, snow and smoke: for each effect type a pool of
// emitters made once at level load, handed out where the contact handlers
// ask for an effect and switched off again when their time is up. Nothing
// is made or freed between load and teardown: a request that finds its pool
// exhausted shows nothing.
class EffectManager {
public:
    EffectManager(Stream* fileSystem, Application* application, SceneManager* sceneManager, Scene* scene);
    ~EffectManager();
    EffectManager(const EffectManager&) = delete;
    EffectManager& operator=(const EffectManager&) = delete;

    // Files a look under the key, replacing one filed before (pools made
    // with it keep its pictures). The pictures are found by name among the
    // scene manager's textures, or loaded and registered there; a null or
    // empty alpha name means none.
    void createSurfaceEffect(int32_t key, const char* texture, float value, const char* alphaTexture,
                             int32_t flag0 = 0, int32_t flag1 = 0, int32_t flag2 = 0, float factor0 = 1.0f,
                             float factor1 = 1.0f);
    // Makes the type's pool of `count` emitters with the look filed under
    // the surface key; nothing when the type has a pool already, no look is
    // filed under the key, or count < 1.
    void createParticleFx(int32_t type, int32_t surfaceKey, const ParticleParams& params, int32_t count);
    // The race's looks and pools: the ground types 0-7 in the race's
    // pairing with the snow, smoke, sand and grass pictures, and the cloud.
    void createRaceEffects();

    // The first idle emitter of the type, moved to the position and
    // emitting along `vector` for `seconds` x 0.5 (until the race ends
    // when not timed); null when the type has none left.
    ParticleFxInstance* spawn(int32_t type, const Vector3& position, const Vector3& vector, float seconds,
                              uint8_t timed);
    // Ends the timed effects whose time is up; their particles live on.
    // Takes the race clock and counts the time since the previous call, so
    // a paused race ages no effect.
    void update(double raceClock);

    // The puffs of the eight ground types and the slow cloud.
    static const ParticleParams GroundPuff;
    static const ParticleParams Cloud;
    static constexpr int32_t GroundPoolSize = 28;
    static constexpr int32_t CloudPoolSize = 5;

    Stream* m_fileSystem;
    Application* m_application;
    SceneManager* m_sceneManager;
    Scene* m_scene;
    // The pools, by effect type.
    std::multimap<int32_t, std::unique_ptr<ParticleFxInstance>> instances;
    // The looks, by surface key.
    std::map<int32_t, std::unique_ptr<SurfaceEffect>> surfaces;

private:
    Texture* findOrLoadTexture(const char* name, uint32_t flags);

    // The race clock at the last update; negative before the first.
    double m_lastClock = -1.0;
};
