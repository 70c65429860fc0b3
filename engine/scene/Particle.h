#pragma once
#include <cstdint>

// One record of an emitter's particle table, shared by the emitter, the
// modifiers and both particle renderers. Between frames `velocity` is in
// units per second; while a frame's aging and modifier passes run it holds
// the displacement for that step (the move pass turns it back).
struct Particle {
    float position[3] = {0.0f, 0.0f, 0.0f};
    float velocity[3] = {0.0f, 0.0f, 0.0f};
    // Seconds left.
    float life = 0.0f;
    // Multiplies every birth velocity and every modifier push.
    float speedScale = 0.0f;
    // Velocity lost per second.
    float drag = 0.0f;
    float size = 0.0f;
    // 0 or 1: the direction `angle` is moving in.
    int32_t angleRising = 0;
    // Degrees.
    float angle = 0.0f;
    uint8_t alive = 0;
};

static_assert(sizeof(Particle) == 52, "renderers index the table in 52-byte records");

// Every emitter owns this many records, whatever limit its scene file gives.
constexpr int32_t ParticleTableSize = 100;
