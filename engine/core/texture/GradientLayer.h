#pragma once
#include <cstdint>

// What a gradient texture reads from the texture layer it belongs to: the
// input range and the four channel values at an input. The layer (a surface's
// texture layer, loaded with the object) implements it; the engine core keeps
// no knowledge of how the values are animated.
class GradientLayer {
public:
    enum Channel { GradientAlpha, GradientBlue, GradientGreen, GradientRed };

    virtual ~GradientLayer() = default;
    virtual float gradientStart() const = 0;
    virtual float gradientEnd() const = 0;
    // The channel's value at `t`; a keyed value keeps it as its current value.
    virtual float gradientValue(Channel channel, float t) = 0;
    // A layer on the transparency channel takes its alpha from red.
    virtual bool isTransparencyLayer() const = 0;
};

constexpr uint32_t gradientTexelCount = 1024;

// The gradient's 1024 texels, the last one first: texel 1023 - i holds input
// step i.
void gradientTexels(GradientLayer& layer, uint32_t* texels);
