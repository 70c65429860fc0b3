#include "engine/core/texture/GradientLayer.h"

#include "engine/core/math/Color.h"

void gradientTexels(GradientLayer& layer, uint32_t* texels)
{
    const float start = layer.gradientStart();
    const float end = layer.gradientEnd();
    for (uint32_t i = 0; i < gradientTexelCount; ++i) {
        const float t = start + float(i) * (end - start) * (1.0f / 1024.0f);
        // Every channel is evaluated, alpha first, so that keyed values are
        // left at this step whatever the layer then uses.
        const float a = layer.gradientValue(GradientLayer::GradientAlpha, t);
        const float b = layer.gradientValue(GradientLayer::GradientBlue, t);
        const float g = layer.gradientValue(GradientLayer::GradientGreen, t);
        const float r = layer.gradientValue(GradientLayer::GradientRed, t);
        const Color c {r, g, b, layer.isTransparencyLayer() ? r : a};
        texels[gradientTexelCount - 1 - i] = colorToArgb(c);
    }
}
