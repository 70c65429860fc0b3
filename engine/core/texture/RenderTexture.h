#pragma once
#include "engine/core/texture/Texture.h"

// A texture the renderer draws into (shadow maps): one level in the
// renderer's render-target format, in the default pool, so it is released
// when the device is lost and made again after the reset.
class RenderTexture : public Texture {
public:
    RenderTexture(Renderer* owner, const char* name, int32_t width, int32_t height);

    std::unique_ptr<Texture> clone() const override;
    void create() override;
    int32_t kind() const override { return TextureKindRender; }
    void onResetDevice() override;
    void onLostDevice() override;

private:
    void createTextures();
};
