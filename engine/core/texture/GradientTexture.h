#pragma once
#include "engine/core/texture/GradientLayer.h"
#include "engine/core/texture/Texture.h"

// The 1024 x 1 texture of a gradient texture layer: the layer's colour and
// alpha channels sampled across its input range.
class GradientTexture : public Texture {
public:
    GradientTexture(Renderer* owner, GradientLayer* layer);

    std::unique_ptr<Texture> clone() const override;
    void create() override;
    int32_t kind() const override { return TextureKindGradient; }

    // Not owned: the layer outlives its texture.
    GradientLayer* m_layer;
};
