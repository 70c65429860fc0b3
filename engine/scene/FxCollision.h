#pragma once
#include "engine/scene/AnimatedValue.h"
#include "engine/scene/ParticleFx.h"

// Bounces particles off a sphere round its item or off a floor at the
// item's height.
class FxCollision : public ParticleFx {
public:
    enum Mode : int32_t { Sphere = 0, Floor = 2 };

    explicit FxCollision(SceneObject* item) : ParticleFx(item) {}

    void apply(Particle* particles, int32_t first, int32_t end, double time, double dt, Camera* camera) override;

    // Only shape 0 collides.
    int32_t m_shape = 0;
    int32_t m_mode = Sphere;
    // Sphere radius, or the floor's height above the item.
    AnimatedValue m_size{1.0f};
    AnimatedValue m_bounce{1.0f};
    // Largest tilt of the floor normal's x and z at a bounce.
    float m_scatter = 0.0f;
    // Read from the scene file; not used by the collision.
    float m_sceneFloats[3] = {0.0f, 0.0f, 0.0f};
    uint8_t m_flag = 0;
};
