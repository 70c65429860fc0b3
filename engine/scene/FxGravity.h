#pragma once
#include "engine/scene/AnimatedValue.h"
#include "engine/scene/ParticleFx.h"

// Pulls particles along a direction, or towards (away from, with a negative
// strength) the point of its item.
class FxGravity : public ParticleFx {
public:
    enum Mode : int32_t { Directional = 0, Point = 1 };

    explicit FxGravity(SceneObject* item) : ParticleFx(item) {}

    void apply(Particle* particles, int32_t first, int32_t end, double time, double dt, Camera* camera) override;

    int32_t m_mode = Directional;
    // The distance falloff code (see particleFalloff).
    int32_t m_falloff = 0;
    AnimatedValue m_radius{1.0f};
    AnimatedValue m_strength{1.0f};
    float m_direction[3] = {0.0f, 0.0f, 0.0f};
};
