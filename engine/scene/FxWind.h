#pragma once
#include "engine/scene/AnimatedValue.h"
#include "engine/scene/ParticleFx.h"

// Blows particles about: along the wind vector, away from its item, round
// it, up like a fountain, at random, or along its own turned axes below the
// ground plane.
class FxWind : public ParticleFx {
public:
    enum Mode : int32_t {
        Directional = 0,
        Explosion = 1,
        Vortex = 2,
        Fountain = 3,
        Turbulence = 7,
        Local = 10,
    };

    explicit FxWind(SceneObject* item) : ParticleFx(item) {}

    void apply(Particle* particles, int32_t first, int32_t end, double time, double dt, Camera* camera) override;

    int32_t m_mode = Turbulence;
    // Read from the scene file; the wind itself does not use them.
    int32_t m_sceneInts[2] = {0, 0};
    // The distance falloff code (see particleFalloff).
    int32_t m_falloff = 0;
    AnimatedValue m_radius{1.0f};
    AnimatedValue m_power{1.0f};
    // Read from the scene file; not used by the wind.
    float m_sceneFloats[2] = {0.0f, 0.5f};
    AnimatedValue m_wind[3] = {AnimatedValue(0.0f), AnimatedValue(0.1f), AnimatedValue(0.0f)};
    // Read from the scene file; not used by the wind.
    float m_sceneVectorA[3] = {1.0f, 1.0f, 1.0f};
    float m_sceneVectorB[3] = {1.0f, 0.0f, 0.0f};
};
