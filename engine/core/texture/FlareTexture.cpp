#include "engine/core/texture/FlareTexture.h"

FlareTexture::FlareTexture(Renderer* owner) : Texture(owner) {}

std::unique_ptr<Texture> FlareTexture::clone() const
{
    auto copy = std::make_unique<FlareTexture>(m_owner);
    copyConfigurationTo(*copy);
    copy->m_shape = m_shape;
    return copy;
}

void FlareTexture::create()
{
    if (m_created)
        return;
    m_created = 1;
    if (!getFirstTexture() && m_shape >= 0)
        generate(m_shape);
}

void FlareTexture::generate(int32_t shape)
{
    m_shape = shape;
    if (!createTexture(TextureMipChain | TextureColour, "", 512, 512))
        return;
    TexelLevel level {};
    if (!lockTexels(0, &level)) {
        releaseTextures();
        return;
    }
    for (uint32_t y = 0; y < level.height; ++y) {
        uint32_t* row = level.row(y);
        for (uint32_t x = 0; x < level.width; ++x)
            flareTexel(shape, x, y, level.width, level.height, &row[x]);
    }
    if (const char* name = flareShapeName(shape))
        m_name = name;
    unlockTexels(0);
    upload();
}
