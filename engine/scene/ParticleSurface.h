#pragma once
#include "engine/core/render/Material.h"

#include <cstdint>

class HyperVoxel;
class Texture;

// One texture stage of a particle renderer's material: one of the
// renderer's own pictures, drawn over each quad once, or the image of one
// of its voxel's texture layers, whose sampling values it takes over each
// time the surface is laid out.
class ParticleStage : public MaterialLayer {
public:
    void showPicture(int32_t channel, Texture* picture);
    void showLayer(MaterialLayer* source);

    float gradientStart() const override { return 0.0f; }
    float gradientEnd() const override { return 0.0f; }
    float gradientValue(Channel, float) override { return 0.0f; }
    bool isTransparencyLayer() const override { return m_channel == ChannelTransparency; }
    float opacityAt(double time) override { return m_source ? m_source->opacityAt(time) : 1.0f; }
    bool hasAnimatedTransform() const override { return m_source && m_source->hasAnimatedTransform(); }
    Matrix4 setupTransform(double time) override
    {
        return m_source ? m_source->setupTransform(time) : Matrix4::identity();
    }

    // The voxel layer shown; null for an own picture.
    MaterialLayer* m_source = nullptr;
};

// The material a particle renderer draws its quads with. The stages run in
// the order the passes read their coordinate slots: the renderer's picture,
// the images of the voxel's drawn layers (colour stages, at most four, as
// many as the shader passes draw), then the renderer's alpha picture (the
// one transparency stage). Its values are the voxel's look: the colour
// channels, the luminosity scaled by the renderer's intensity, and the
// opacity. Particles are not lit by the scene's lights (a quad's normal
// only faces the camera), so the luminosity alone sets their brightness.
//
// The passes treat an alpha picture as any surface's transparency image:
// below full opacity the particles are blended over the scene, faded by
// the opacity, and write no depth; at full opacity they are cut out where
// the picture is clear (under half alpha on the fixed-function pipeline)
// and hide what lies behind the rest.
class ParticleSurface : public Material {
public:
    static constexpr int32_t MaxColourStages = 4;
    // What a stage's coordinate slot carries: the quad's own corner
    // coordinates, or those of voxel layer n (n >= 0).
    static constexpr int32_t OwnCorners = -1;

    explicit ParticleSurface(HyperVoxel& voxel) : m_voxel(voxel) {}

    // Lays the stages out again; allocates nothing.
    void build(Texture* picture, Texture* alphaPicture, float intensity);
    const StagePlan& plan() const { return m_plan; }
    // The source of slot s's coordinates (OwnCorners past the stages).
    int32_t slotSource(int32_t slot) const;

    void evaluateMaterial(double time, MaterialValues& out) override;
    MaterialLayer* findImageLayer(int32_t channel, int32_t n) const override;
    int32_t imageLayerCount() const override { return m_plan.count; }
    MaterialLayer* imageLayer(int32_t index) const override;

private:
    HyperVoxel& m_voxel;
    float m_intensity = 1.0f;
    StagePlan m_plan;
    ParticleStage m_stages[StagePlan::MaxStages];
    int32_t m_slotSources[StagePlan::MaxStages] = {};
};
