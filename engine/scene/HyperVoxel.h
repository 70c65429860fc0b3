#pragma once
#include "engine/scene/AnimatedValue.h"
#include "engine/scene/HyperVoxelLayer.h"
#include "engine/scene/Particle.h"

#include <cstdint>
#include <memory>
#include <vector>

class Camera;
class Renderer;

// The render object a particle item carries: the look of its particles
// (animated size, density, opacity, luminosity and colour, and a few
// switches, and the texture layers of the scene file). The concrete kinds draw an emitter's table; the emitter's move
// pass hands it over once per frame. A mesh object owns its render object
// and forwards device loss and reset to it.
class HyperVoxel {
public:
    explicit HyperVoxel(Renderer* renderer) : m_renderer(renderer) {}
    HyperVoxel(const HyperVoxel&) = delete;
    HyperVoxel& operator=(const HyperVoxel&) = delete;
    virtual ~HyperVoxel() = default;

    virtual void createBuffers() {}
    virtual void onResetDevice() {}
    virtual void onLostDevice() {}
    // `particles` is an emitter's whole table of ParticleTableSize records.
    virtual void render(double time, const Particle* particles, Camera* camera) = 0;

    // A scene file gives at most this many layers to one voxel; further
    // ones are read and dropped.
    static constexpr size_t MaxTextureLayers = 64;

    // Leaves the look channels' values at the time in their constants. The
    // colour is left alone while the first layer's image gives it.
    void evaluateChannels(double time);
    // Appends an owned layer; false (and the layer freed) once the voxel
    // holds MaxTextureLayers.
    bool addTextureLayer(std::unique_ptr<HyperVoxelLayer> layer);

    Renderer* m_renderer;
    AnimatedValue m_dissolve{0.0f};
    AnimatedValue m_particleSize{0.0f};
    AnimatedValue m_sizeVariation{0.0f};
    int32_t m_blendingMode = 1;
    int32_t m_blendingGroup = 0;
    AnimatedValue m_luminosity{1.0f};
    AnimatedValue m_opacity{1.0f};
    AnimatedValue m_density{1.0f};
    AnimatedValue m_colorR{200.0f / 255.0f};
    AnimatedValue m_colorG{200.0f / 255.0f};
    AnimatedValue m_colorB{200.0f / 255.0f};
    AnimatedValue m_nearClip{0.0f};
    uint8_t m_useAllLights = 0;
    AnimatedValue m_stretchAmount{0.0f};
    int32_t m_stretchDirection = 0;
    uint8_t m_alignToPath = 0;
    uint8_t m_maintainVolume = 0;
    int32_t m_requestedSlices = 0;
    AnimatedValue m_textureAmplitude{0.0f};
    std::vector<std::unique_ptr<HyperVoxelLayer>> m_textureLayers;
};
