#pragma once
#include "engine/scene/AnimatedValue.h"
#include "engine/scene/ParticleFx.h"

#include <cstdint>

class HyperVoxel;

// How births are timed (`m_generateBy`).
enum ParticleGenerateBy : int32_t {
    GeneratePerFrame = 0,
    GeneratePerSecond = 1,
    GenerateNever = 2,
    // Per frame, and only below the ground plane y = 0.
    GeneratePerFrameBelowGround = 3,
};

// When births happen (`m_trigger`), judged by the item's keys.
enum ParticleTrigger : int32_t {
    TriggerAlways = 0,
    TriggerOnKey = 1,
    TriggerRestartOnKey = 2,
    TriggerNever = 3,
};

// A particle emitter played in real time: it owns a fixed table of records,
// gives birth at the position of its item, ages the records and moves them,
// then hands the table to the render object of its item. The scene drives
// it once per frame: `update` (births), `apply` (aging), the modifiers'
// `apply`, and `step` (the move).
class ParticleEmitter : public ParticleFx {
public:
    explicit ParticleEmitter(SceneObject* item);

    // The birth pass.
    void update(double time, double dt);
    // The aging pass over the records in the range.
    void apply(Particle* particles, int32_t first, int32_t end, double time, double dt, Camera* camera) override;
    // The move pass; then the item's render object gets the table.
    void step(Camera* camera, double time, double dt);

    // `m_limit` bounded to the table: how many records the passes use.
    int32_t activeLimit() const;
    int32_t liveCount() const;
    // The render object of the item (a mesh object's), or null.
    HyperVoxel* renderObject() const;

    int32_t m_limit = 100;
    // Largest distance a particle may move in one step; 0 or less: no limit.
    float m_maxStep = 0.0f;
    // Births per frame or per second, by `m_generateBy`.
    AnimatedValue m_birthRate{100.0f};
    // Seconds.
    AnimatedValue m_life{1000.0f};
    AnimatedValue m_lifeVariation{0.0f};
    AnimatedValue m_velocity[3] = {AnimatedValue(0.0f), AnimatedValue(0.0f), AnimatedValue(0.0f)};
    // Birth speed away from the emitter centre.
    AnimatedValue m_explosion{0.0f};
    AnimatedValue m_speedScale{1.0f};
    AnimatedValue m_speedScaleVariation{0.0f};
    AnimatedValue m_drag{4.0f};
    AnimatedValue m_dragVariation{0.0f};
    AnimatedValue m_sizeStart{50.0f};
    AnimatedValue m_sizeVariation{0.0f};
    // Added to the size per second.
    float m_sizeRate = 0.0f;
    // Degrees per second; 0 or less keeps the birth angle.
    float m_angleRate = 0.0f;
    float m_angleMin = 0.0f;
    float m_angleMax = 0.0f;
    // Share of the item's motion per second given to new particles.
    float m_inherit = 0.0f;
    // The birth box.
    float m_nozzleSize[3] = {1.0f, 1.0f, 1.0f};
    // Velocity added every step.
    float m_drift[3] = {0.0f, 0.0f, 0.0f};
    // Birth shape: 0 and 4 a box, 1 a box drawn over the closed range, others
    // keep the record's old position.
    int32_t m_nozzle = 1;
    int32_t m_generateBy = GeneratePerSecond;
    int32_t m_trigger = TriggerAlways;
    Particle m_particles[ParticleTableSize];
    // The last record looked at by the last birth pass.
    int32_t m_lastSlot = 0;
    int32_t m_restartCount = 0;
    // Births counted since the last restart.
    int32_t m_bornTotal = 0;

private:
    // Whether the item's first motion channel crossed a key between the
    // two times.
    bool keyChanged(double time, double dt) const;
    // The item's motion per second, for inherited velocity.
    Vector3 itemMotion(double time, const Vector3& position) const;
    int32_t birthCount(double dt);
    void restart();
};
