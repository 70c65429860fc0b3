#pragma once
#include "platform/d3d9/FixedFunctionState.h"

#include <array>
#include <cstdint>

// Puts a state block's GL-side states into the current context: depth,
// blending, stencil, culling, fill mode, colour mask, clip planes, point
// size, and the sampler states through one GL sampler object per unit.
// Only what the block marks dirty is touched, except after a switch to
// another block (another device on the same context), which applies all.
// Alpha test, fog, lighting and the texture stages live in the programs.
class GlStateApplier {
public:
    GlStateApplier() = default;
    ~GlStateApplier();
    GlStateApplier(const GlStateApplier&) = delete;
    GlStateApplier& operator=(const GlStateApplier&) = delete;

    // `clipPlanes` false: the program writes no clip distances (pre-
    // transformed vertices), so the planes stay off for this draw.
    void apply(const FixedFunctionState& state, bool clipPlanes = true);
    // GL objects go with the context: delete them while it is current.
    void release();
    // Forget what was applied, so the next apply sets everything.
    void invalidate()
    {
        m_last = nullptr;
        m_clipMask = ~0u;
    }

private:
    void applyRenderState(const FixedFunctionState& state, uint32_t which);
    void applySampler(const FixedFunctionState& state, int unit);

    const FixedFunctionState* m_last = nullptr;
    uint32_t m_clipMask = ~0u;
    std::array<uint32_t, FixedFunctionState::kSamplerCount> m_samplers {};
};
