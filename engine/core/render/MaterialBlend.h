#pragma once
#include "platform/d3d9/D3D9States.h"
#include "platform/d3d9/D3D9Types.h"

#include <cstdint>
#include <utility>

class IDirect3DDevice9;

// What the depth and blend rules of a material read from its surface,
// evaluated at the draw's time.
struct MaterialBlendInput {
    float reflection = 0.0f;
    int32_t reflectionMode = 0;
    // The surface is transparent at this time.
    bool transparent = false;
    // Its first transparency image layer, when the pass can use one.
    bool hasTranLayer = false;
    int32_t tranOpacityType = 0;
    // That layer's image holds punched-through alpha (texture flag 0x200).
    bool tranPunchThrough = false;
    float transparency = 0.0f;
    float additiveTransparency = 0.0f;
};

class Material;
struct MaterialValues;

// The blend input of a material's values at one time; the transparency
// layer fields are left to the pass, which knows what it can draw.
MaterialBlendInput blendInputOf(const Material& material, const MaterialValues& values);

// The depth, alpha-test and blend states of one material, in the order
// they are set, with the alpha and the colour factor they give it.
struct MaterialBlend {
    static constexpr int MaxStates = 12;

    std::pair<D3DRENDERSTATETYPE, DWORD> states[MaxStates] = {};
    int count = 0;
    float alpha = 1.0f;
    float colourScale = 1.0f;

    void set(D3DRENDERSTATETYPE state, DWORD value);
    // The last value set for `state`, or `otherwise`.
    DWORD value(D3DRENDERSTATETYPE state, DWORD otherwise = 0) const;
    void apply(IDirect3DDevice9* device) const;
};

// The shader passes: mirrors and transparency blend premultiplied, and a
// transparency layer over an otherwise opaque surface is alpha-tested.
MaterialBlend shaderPassBlend(const MaterialBlendInput& in);
// The fixed-function pass: as above, but transparency blends by source
// alpha unless it is additive, tests against half alpha, and a
// punched-through layer draws unblended.
MaterialBlend fixedFunctionBlend(const MaterialBlendInput& in);

// The specular exponent for a glossiness, limited as the pipeline allows.
float specularPower(float glossiness, float limit);
// Opaque grey of the reflection amount, clamped to 0..1.
D3DCOLOR reflectionFactor(float reflection);
