#include "engine/core/texture/GradientTexture.h"

#include <vector>

GradientTexture::GradientTexture(Renderer* owner, GradientLayer* layer) : Texture(owner), m_layer(layer) {}

std::unique_ptr<Texture> GradientTexture::clone() const
{
    auto copy = std::make_unique<GradientTexture>(m_owner, m_layer);
    copyConfigurationTo(*copy);
    return copy;
}

void GradientTexture::create()
{
    if (m_created)
        return;
    m_created = 1;
    if (!m_layer || !createTexture(0, "(gradient texture)", gradientTexelCount, 1))
        return;
    TexelLevel level {};
    if (!lockTexels(0, &level) || level.width != gradientTexelCount) {
        releaseTextures();
        return;
    }
    gradientTexels(*m_layer, level.row(0));
    unlockTexels(0);
    upload();
}
