#pragma once
#include "engine/core/math/Matrix4.h"
#include "engine/core/render/ShaderPass.h"
#include "platform/d3d9/D3D9Types.h"

class MaterialLayer;

// The material through the fixed-function pipeline: a device material,
// lighting states and a cascade of texture stages, no shaders.
class FixedFunctionPass : public ShaderPass {
public:
    using ShaderPass::ShaderPass;
    bool activate() override;
    void bindTextures(Material* surface, double time, const std::vector<ActiveLight>& lights) override;
    void applyMaterialStates(Material* surface, double time) override;

    // One image layer on a stage: its sampler states, its placement when it
    // is animated, and its image at `time`.
    void bindLayer(uint32_t stage, MaterialLayer* layer, D3DCOLOR borderColor, double time);
    // The projected shadow stages from stage `stage` on, one per light with
    // a shadow map while stages last; answers the next free stage.
    uint32_t bindShadowStages(uint32_t stage, const std::vector<ActiveLight>& lights);
    // Ends the cascade at `stage`.
    void endCascade(uint32_t stage);
    // The stages the cascade may use: the renderer's stage count, at most 8.
    uint32_t stageLimit() const;

    // A layer's projection reduced to the two coordinates of its image for
    // the layer's axis (0 X, 1 Y, anything else Z).
    static Matrix4 layerTextureMatrix(const Matrix4& layer, int32_t axis);
    // Camera space back to the world, then onto the sphere map's plane
    // across the axis; the inverse view alone for an axis past Z.
    static Matrix4 reflectionTextureMatrix(const Matrix4& view, int32_t axis);
    // A material's colour as a device colour, each channel clamped to 0..1.
    static D3DCOLOR packColor(const float* rgb, float alpha);

private:
    uint32_t bindColorStages(uint32_t s, const StagePlan& plan, D3DCOLOR border, double time);
    uint32_t bindReflectionStage(uint32_t s, const StagePlan& plan, Material& surface, double time);
    uint32_t bindTransparencyStage(uint32_t s, const StagePlan& plan, Material& surface, double time);
};

// Draws every surface black and unlit: the casters of a shadow map.
class StatePass : public FixedFunctionPass {
public:
    using FixedFunctionPass::FixedFunctionPass;
    void bindTextures(Material* surface, double time, const std::vector<ActiveLight>& lights) override;
    void applyMaterialStates(Material* surface, double time) override;
};
