#pragma once
#include "engine/core/Matrix4.h"
#include "engine/core/ShaderPass.h"

struct D3DMATERIAL9;

// The material through the fixed-function pipeline: a device material,
// lighting states and a cascade of texture stages, no shaders.
class FixedFunctionPass : public ShaderPass {
public:
    using ShaderPass::ShaderPass;
    bool activate() override;
    void bindTextures(Surface* surface, double time, const std::vector<ActiveLight>& lights) override;
    void applyMaterialStates(Surface* surface, double time) override;

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
};

// Draws every surface black and unlit: the casters of a shadow map.
class StatePass : public FixedFunctionPass {
public:
    using FixedFunctionPass::FixedFunctionPass;
    void bindTextures(Surface* surface, double time, const std::vector<ActiveLight>& lights) override;
    void applyMaterialStates(Surface* surface, double time) override;
};
