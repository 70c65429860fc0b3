#pragma once
#include "engine/core/texture/FlareShapes.h"
#include "engine/core/texture/Texture.h"

// A 512 x 512 procedural lens-flare picture with a full mip chain, named
// after its shape so that flares share it through the scene manager.
class FlareTexture : public Texture {
public:
    explicit FlareTexture(Renderer* owner);

    std::unique_ptr<Texture> clone() const override;
    // Builds the texture from the shape given to generate, if not yet built.
    void create() override;
    int32_t kind() const override { return TextureKindFlare; }

    // Makes the texture and draws `shape` into it (see FlareShapes.h).
    void generate(int32_t shape);
    static double shapeValue(double t) { return flareShapeValue(t); }

    int32_t m_shape = -1;
};
