// Particle cost per particle and step: 20 emitters held at their table
// limit (100 records each; particles live about a second and the birth rate
// refills what dies), stepped at 60 frames per second through the scene, on
// their own and with a gravity, a wind and a floor collision acting on all.
#include "engine/core/math/Random.h"
#include "engine/scene/FxCollision.h"
#include "engine/scene/FxGravity.h"
#include "engine/scene/FxWind.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/ParticleEmitter.h"
#include "engine/scene/Scene.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kEmitters = 20;

void fillScene(Scene& scene, bool withModifiers)
{
    engineSrand(1);
    for (int i = 0; i < kEmitters; ++i) {
        MeshObject* item = scene.addNullObject("emitter", scene.m_root);
        item->m_motion[PositionX].m_value = float(i % 5) * 4.0f;
        item->m_motion[PositionZ].m_value = float(i / 5) * 4.0f;
        auto emitter = std::make_unique<ParticleEmitter>(item);
        emitter->m_life.m_value = 1.0f;
        emitter->m_lifeVariation.m_value = 0.5f;
        emitter->m_birthRate.m_value = 400.0f;
        emitter->m_velocity[1].m_value = 3.0f;
        emitter->m_explosion.m_value = 1.0f;
        emitter->m_dragVariation.m_value = 1.0f;
        emitter->m_sizeRate = 2.0f;
        emitter->m_angleRate = 45.0f;
        emitter->m_angleMax = 90.0f;
        scene.m_emitters.push_back(std::move(emitter));
    }
    if (!withModifiers)
        return;
    MeshObject* centre = scene.addNullObject("modifiers", scene.m_root);
    auto gravity = std::make_unique<FxGravity>(centre);
    gravity->m_falloff = 2;
    gravity->m_direction[1] = -1.0f;
    auto wind = std::make_unique<FxWind>(centre);
    wind->m_mode = FxWind::Directional;
    wind->m_falloff = 2;
    auto floor = std::make_unique<FxCollision>(centre);
    floor->m_mode = FxCollision::Floor;
    floor->m_size.m_value = -1.0f;
    floor->m_scatter = 0.2f;
    scene.m_particleEffects.push_back(std::move(gravity));
    scene.m_particleEffects.push_back(std::move(wind));
    scene.m_particleEffects.push_back(std::move(floor));
}

void runParticles(benchmark::State& state, bool withModifiers)
{
    Scene scene(nullptr);
    fillScene(scene, withModifiers);
    double time = 0.0;
    // Two seconds of warm-up bring every table to its limit.
    for (int i = 0; i < 120; ++i, time += 1.0 / 60.0)
        scene.updateParticles(nullptr, time);
    int64_t live = 0;
    for (auto _ : state) {
        scene.updateParticles(nullptr, time);
        time += 1.0 / 60.0;
    }
    for (const auto& emitter : scene.m_emitters)
        live += emitter->liveCount();
    state.counters["live"] = double(live);
    state.SetItemsProcessed(int64_t(state.iterations()) * kEmitters * ParticleTableSize);
    state.counters["ns_per_particle"] = benchmark::Counter(double(state.iterations()) * kEmitters * ParticleTableSize,
                                                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ParticleEmitters(benchmark::State& state) { runParticles(state, false); }
BENCHMARK(BM_ParticleEmitters);

void BM_ParticleEmittersWithModifiers(benchmark::State& state) { runParticles(state, true); }
BENCHMARK(BM_ParticleEmittersWithModifiers);

} // namespace

BENCHMARK_MAIN();
