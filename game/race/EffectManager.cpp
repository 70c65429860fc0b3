#include "game/race/EffectManager.h"

#include "engine/core/texture/FileTexture.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/ParticleEmitter.h"
#include "engine/scene/ParticleRenderer.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"

#include <algorithm>

namespace {

// The race's particle looks, in the order it registers them.
struct RaceLook {
    int32_t key;
    const char* texture;
    float value;
    const char* alphaTexture;
    int32_t flag0;
};

const RaceLook RaceLooks[] = {
    {6, "D:\\Zoprax9\\textures_extras\\partikel_grass_01.bmp", 1.0f,
     "D:\\Zoprax9\\textures_extras\\partikel_grass_01_alpha.bmp", 0},
    {7, "D:\\Zoprax9\\textures_extras\\partikel_grass_02.bmp", 1.0f,
     "D:\\Zoprax9\\textures_extras\\partikel_grass_02_alpha.bmp", 0},
    {2, "D:\\Zoprax9\\textures_extras\\partikel_rauch_01.bmp", 1.0f,
     "D:\\Zoprax9\\textures_extras\\partikel_rauch_01_alpha.bmp", 0},
    {3, "D:\\Zoprax9\\textures_extras\\partikel_rauch_02.bmp", 1.0f,
     "D:\\Zoprax9\\textures_extras\\partikel_rauch_02_alpha.bmp", 0},
    {4, "D:\\Zoprax9\\textures_extras\\partikel_sand_01.bmp", 1.0f,
     "D:\\Zoprax9\\textures_extras\\partikel_sand_01_alpha.bmp", 0},
    {5, "D:\\Zoprax9\\textures_extras\\partikel_sand_02.bmp", 1.0f,
     "D:\\Zoprax9\\textures_extras\\partikel_sand_02_alpha.bmp", 0},
    {0, "D:\\Zoprax9\\textures_extras\\partikel_schnee_01.bmp", 1.0f,
     "D:\\Zoprax9\\textures_extras\\partikel_schnee_01_alpha.bmp", 0},
    {1, "D:\\Zoprax9\\textures_extras\\partikel_schnee_02.bmp", 1.0f,
     "D:\\Zoprax9\\textures_extras\\partikel_schnee_02_alpha.bmp", 0},
    {11, "X:\\Ormlib\\cartoon\\textures_fx\\partikel_wolke_0001.bmp", 0.8f, nullptr, 1},
};

// Effect type and the surface key of its look. The contact handlers ask for
// types 4 and 5 on snow, 6 and 7 on grass and 2 and 3 on sand; 0 and 1
// (smoke) and 8 (the cloud) have pools that nothing asks for yet.
constexpr int32_t GroundPools[][2] = {{4, 0}, {5, 1}, {2, 4}, {3, 5}, {6, 6}, {7, 7}, {0, 2}, {1, 3}};
constexpr int32_t CloudPool[2] = {8, 11};

void configure(ParticleEmitter& emitter, const ParticleParams& p)
{
    emitter.m_limit = p.limit;
    emitter.m_generateBy = GeneratePerSecond;
    // Idle until a spawn gives the rate back.
    emitter.m_birthRate.m_value = 0.0f;
    emitter.m_life.m_value = p.life;
    emitter.m_lifeVariation.m_value = p.lifeVariation;
    std::copy(p.spread, p.spread + 3, emitter.m_nozzleSize);
    emitter.m_speedScale.m_value = p.speedScale;
    emitter.m_speedScaleVariation.m_value = p.speedScaleVariation;
    emitter.m_drag.m_value = p.drag;
    emitter.m_dragVariation.m_value = p.dragVariation;
    emitter.m_sizeStart.m_value = p.size;
    emitter.m_sizeVariation.m_value = p.sizeVariation;
    emitter.m_sizeRate = p.sizeRate;
    emitter.m_angleMin = p.angleMin;
    emitter.m_angleMax = p.angleMax;
    emitter.m_angleRate = p.angleRate;
    std::copy(p.drift, p.drift + 3, emitter.m_drift);
}

ParticleParams groundPuff()
{
    // Short puffs thrown back and up behind a wheel: a handful of quads
    // each, growing and turning as they slow down and fade out of life.
    ParticleParams p;
    p.limit = 10;
    p.rate = 150.0f;
    p.life = 0.45f;
    p.lifeVariation = 0.2f;
    p.spread[0] = p.spread[2] = 0.3f;
    p.spread[1] = 0.1f;
    p.speedScale = 2.0f;
    p.speedScaleVariation = 0.5f;
    p.drag = 2.5f;
    p.dragVariation = 1.0f;
    p.size = 0.35f;
    p.sizeVariation = 0.1f;
    p.sizeRate = 0.8f;
    p.angleMax = 360.0f;
    p.angleRate = 90.0f;
    // Under full opacity the puffs blend softly and hide nothing.
    p.opacity = 0.9f;
    return p;
}

ParticleParams cloud()
{
    ParticleParams p;
    p.limit = 30;
    p.rate = 75.0f;
    p.life = 2.5f;
    p.lifeVariation = 1.0f;
    p.spread[0] = p.spread[1] = p.spread[2] = 1.0f;
    p.speedScale = 0.5f;
    p.drag = 0.5f;
    p.size = 1.5f;
    p.sizeVariation = 0.5f;
    p.sizeRate = 0.5f;
    p.angleMax = 360.0f;
    p.angleRate = 10.0f;
    p.opacity = 0.8f;
    return p;
}

} // namespace

const ParticleParams EffectManager::GroundPuff = groundPuff();
const ParticleParams EffectManager::Cloud = cloud();

EffectManager::EffectManager(Stream* fileSystem, Application* application, SceneManager* sceneManager, Scene* scene)
    : m_fileSystem(fileSystem), m_application(application), m_sceneManager(sceneManager), m_scene(scene)
{
}

// The nodes, renderers and emitters are the scene's and go with it.
EffectManager::~EffectManager() = default;

Texture* EffectManager::findOrLoadTexture(const char* name, uint32_t flags)
{
    if (!name || !*name || !m_sceneManager)
        return nullptr;
    if (Texture* known = m_sceneManager->findTexture(name, flags))
        return known;
    auto* texture = new FileTexture(m_sceneManager->m_renderer);
    texture->m_flags = 3 | flags;
    texture->load(m_fileSystem, name, 1);
    texture->create();
    m_sceneManager->addTexture(texture);
    texture->preload();
    return texture;
}

void EffectManager::createSurfaceEffect(int32_t key, const char* texture, float value, const char* alphaTexture,
                                        int32_t flag0, int32_t flag1, int32_t flag2, float factor0, float factor1)
{
    auto look = std::make_unique<SurfaceEffect>();
    look->texture = findOrLoadTexture(texture, TextureColour);
    // The alpha picture's brightness is the particles' transparency.
    look->alphaTexture = findOrLoadTexture(alphaTexture, TextureAlphaOnly);
    look->value = value;
    look->flags[0] = flag0;
    look->flags[1] = flag1;
    look->flags[2] = flag2;
    look->factors[0] = factor0;
    look->factors[1] = factor1;
    surfaces[key] = std::move(look);
}

void EffectManager::createParticleFx(int32_t type, int32_t surfaceKey, const ParticleParams& params, int32_t count)
{
    const auto look = surfaces.find(surfaceKey);
    if (count < 1 || !m_scene || instances.count(type) != 0 || look == surfaces.end())
        return;
    for (int32_t i = 0; i < count; ++i) {
        auto instance = std::make_unique<ParticleFxInstance>();
        auto renderer = std::make_unique<ParticleRenderer>(m_scene->m_renderer, look->second->texture,
                                                           look->second->alphaTexture, 1.0f);
        renderer->m_opacity.m_value = params.opacity;
        // The emitter never keeps more alive than its limit.
        renderer->m_capacity = params.limit;
        renderer->createBuffers();
        instance->renderer = renderer.get();
        instance->node = m_scene->addNullObject("particle_fx", m_scene->m_root);
        instance->node->m_deviceObject = std::move(renderer);
        auto emitter = std::make_unique<ParticleEmitter>(instance->node);
        configure(*emitter, params);
        instance->emitter = emitter.get();
        m_scene->m_emitters.push_back(std::move(emitter));
        instance->rate = params.rate;
        instances.emplace(type, std::move(instance));
    }
}

void EffectManager::createRaceEffects()
{
    for (const RaceLook& l : RaceLooks)
        createSurfaceEffect(l.key, l.texture, l.value, l.alphaTexture, l.flag0, 0, 0, 1.0f, 1.0f);
    for (const auto& [type, key] : GroundPools)
        createParticleFx(type, key, GroundPuff, GroundPoolSize);
    createParticleFx(CloudPool[0], CloudPool[1], Cloud, CloudPoolSize);
}

ParticleFxInstance* EffectManager::spawn(int32_t type, const Vector3& position, const Vector3& vector, float seconds,
                                         uint8_t timed)
{
    const auto [first, last] = instances.equal_range(type);
    for (auto it = first; it != last; ++it) {
        ParticleFxInstance& fx = *it->second;
        if (fx.active)
            continue;
        fx.active = 1;
        fx.elapsed = 0.0f;
        fx.duration = seconds * 0.5f;
        fx.timed = timed;
        const float at[3] = {position.x, position.y, position.z};
        fx.node->setPosition(at);
        fx.node->invalidateMatrices();
        fx.emitter->m_birthRate.m_value = fx.rate;
        fx.emitter->m_velocity[0].m_value = vector.x;
        fx.emitter->m_velocity[1].m_value = vector.y;
        fx.emitter->m_velocity[2].m_value = vector.z;
        return &fx;
    }
    return nullptr;
}

void EffectManager::update(double raceClock)
{
    // A clock that went back (a restarted race) ages nothing.
    const float dt = m_lastClock < 0.0 ? 0.0f : float(std::max(0.0, raceClock - m_lastClock));
    m_lastClock = raceClock;
    for (auto& [type, instance] : instances) {
        ParticleFxInstance& fx = *instance;
        if (!fx.active || !fx.timed)
            continue;
        fx.elapsed += dt;
        if (fx.elapsed > fx.duration) {
            fx.active = 0;
            fx.emitter->m_birthRate.m_value = 0.0f;
        }
    }
}
