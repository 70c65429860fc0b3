#pragma once
#include "engine/core/math/Vector3.h"
#include "engine/scene/Particle.h"

#include <cstdint>

class Camera;
class SceneObject;

// The shared base of particle emitters and the modifiers that push their
// particles about. A modifier acts on every emitter of the same group; one
// without a group acts on all emitters.
class ParticleFx {
public:
    explicit ParticleFx(SceneObject* item) : m_item(item) {}
    ParticleFx(const ParticleFx&) = delete;
    ParticleFx& operator=(const ParticleFx&) = delete;
    virtual ~ParticleFx() = default;

    // Works on records [first, end) of an emitter's table. The range is
    // bounded to the table here, so a caller's limit can never overrun it.
    virtual void apply(Particle* particles, int32_t first, int32_t end, double time, double dt, Camera* camera) = 0;

    // The item's world position at the time; the origin without an item.
    Vector3 itemPosition(double time) const;

    // An opaque tag: null, or the same value as the emitters it acts on.
    const void* m_group = nullptr;
    // The item the effect sits on; it belongs to the scene.
    SceneObject* m_item;

protected:
    // [first, end) clamped to the table.
    static void boundRange(int32_t& first, int32_t& end);
};

// The distance falloff of gravity and wind: the factor for a particle at
// `distance` from the modifier with radius `radius`. Codes without a rule
// give 0 (no push); code 3 is wind's alone (`allowLinear`).
float particleFalloff(int32_t code, float distance, float radius, bool allowLinear);

// A draw from the engine generator in [-0.5, 0.5) and in [0, 1).
float randomCentered();
float randomUnit();
