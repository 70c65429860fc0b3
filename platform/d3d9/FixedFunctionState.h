#pragma once
// The device's state block: every render, sampler and texture-stage state,
// the transforms, lights, material and clip planes, starting from Direct3D's
// documented defaults. The device forwards its Set* calls here and, at draw
// time, applies only what changed since the last draw:
// - GL states (depth, blend, stencil, cull, samplers) through the dirty bits,
//   which the device clears once it has applied them;
// - uniforms of the generated programs through group serials: each program
//   remembers the serial it last uploaded per group, so a program switched
//   back in uploads only what changed meanwhile;
// - the program itself through programSerial(), which moves only when a state
//   that changes the generated code moves.
#include "platform/d3d9/D3D9States.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <vector>

class FixedFunctionState {
public:
    static constexpr int kStageCount = 8;
    static constexpr int kSamplerCount = 16;
    static constexpr int kMaxActiveLights = 8;
    static constexpr int kClipPlaneCount = 6;
    // SetLight accepts any index on Direct3D; the scene numbers every active
    // light, so allow far more than can be enabled, with a bound all the same.
    static constexpr int kMaxLightIndex = 4096;

    // Uniform groups with their own change serial.
    enum Group : int {
        GroupTransforms,        // world, view, projection
        GroupTextureTransforms, // texture 0-7
        GroupLights,            // lights, their enable flags (and the view, which places them)
        GroupMaterial,
        GroupConstants,         // texture factor, fog colour and range, alpha reference, ambient
        GroupClipPlanes,
        GroupCount
    };

    explicit FixedFunctionState(bool autoDepthStencil = true);

    // Back to the defaults, as after device creation or Reset; everything dirty.
    void reset(bool autoDepthStencil);

    // Each setter answers whether the value changed; unchanged values mark nothing.
    bool setRenderState(D3DRENDERSTATETYPE state, DWORD value);
    DWORD renderState(D3DRENDERSTATETYPE state) const;
    float renderStateFloat(D3DRENDERSTATETYPE state) const;

    bool setTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    DWORD textureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const;

    bool setSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
    DWORD samplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const;

    // False for a transform the fixed-function pipeline does not keep.
    bool setTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX& matrix);
    const D3DMATRIX& transform(D3DTRANSFORMSTATETYPE type) const;

    // False for an index beyond the bound; enabling a ninth light also fails.
    bool setLight(DWORD index, const D3DLIGHT9& light);
    bool light(DWORD index, D3DLIGHT9* out) const;
    bool lightEnable(DWORD index, BOOL enable);
    bool isLightEnabled(DWORD index) const;
    // Enabled light indices in the order they were enabled.
    const std::vector<DWORD>& enabledLights() const { return m_enabledLights; }

    void setMaterial(const D3DMATERIAL9& material);
    const D3DMATERIAL9& material() const { return m_material; }

    bool setClipPlane(DWORD index, const float plane[4]);
    const float* clipPlane(DWORD index) const { return m_clipPlanes[index % kClipPlaneCount].data(); }

    // Dirty bits for the GL states the device applies itself.
    const std::bitset<D3D9_RENDERSTATE_COUNT>& dirtyRenderStates() const { return m_dirtyRender; }
    uint32_t dirtySamplerStates(DWORD sampler) const { return m_dirtySampler[sampler]; }
    uint32_t dirtySamplers() const;
    void clearDirty();

    uint64_t serial(Group group) const { return m_serials[group]; }
    uint64_t programSerial() const { return m_programSerial; }

private:
    void touch(Group group) { m_serials[group] = ++m_counter; }
    void touchProgram() { m_programSerial = ++m_counter; }
    static int transformSlot(D3DTRANSFORMSTATETYPE type);
    static D3DLIGHT9 defaultLight();

    std::array<DWORD, D3D9_RENDERSTATE_COUNT> m_render {};
    std::array<std::array<DWORD, D3D9_TEXTURESTAGESTATE_COUNT>, kStageCount> m_stages {};
    std::array<std::array<DWORD, D3D9_SAMPLERSTATE_COUNT>, kSamplerCount> m_samplers {};
    // World, view, projection, texture 0-7.
    std::array<D3DMATRIX, 11> m_transforms {};
    std::vector<D3DLIGHT9> m_lights;
    std::vector<uint8_t> m_lightSet;
    std::vector<DWORD> m_enabledLights;
    D3DMATERIAL9 m_material {};
    std::array<std::array<float, 4>, kClipPlaneCount> m_clipPlanes {};

    std::bitset<D3D9_RENDERSTATE_COUNT> m_dirtyRender;
    std::array<uint32_t, kSamplerCount> m_dirtySampler {};
    std::array<uint64_t, GroupCount> m_serials {};
    uint64_t m_programSerial = 0;
    uint64_t m_counter = 0;
};
