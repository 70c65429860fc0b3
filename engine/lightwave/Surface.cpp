#include "engine/lightwave/Surface.h"

#include "engine/lightwave/TextureLayer.h"
#include "platform/d3d9/Direct3DResource9.h"

#include <algorithm>

Surface::Surface(const std::string& name) : m_name(name) {}

Surface::~Surface()
{
    for (IDirect3DResource9*& resource : m_renderResources) {
        if (resource)
            resource->Release();
        resource = nullptr;
    }
}

void Surface::addTextureLayer(std::unique_ptr<TextureLayer> layer)
{
    if (!layer || !layer->m_enabled)
        return;
    if (layer->m_type == lwoCode("vcol"))
        m_vertexColorLayers.push_back(std::move(layer));
    else if (layer->m_image)
        m_imageLayers.push_back(std::move(layer));
}

TextureLayer* Surface::findImageLayer(int32_t channel, int32_t n) const
{
    for (const auto& layer : m_imageLayers) {
        if (layer->m_channel == channel && layer->m_enabled && layer->m_image && --n == 0)
            return layer.get();
    }
    return nullptr;
}

MaterialLayer* Surface::imageLayer(int32_t index) const
{
    return index >= 0 && size_t(index) < m_imageLayers.size() ? m_imageLayers[size_t(index)].get() : nullptr;
}

void Surface::evaluateMaterial(double time, MaterialValues& out)
{
    for (int i = 0; i < 3; ++i)
        out.color[i] = m_color[i].evaluate(time);
    out.luminosity = m_luminosity.evaluate(time);
    out.diffuse = m_diffuse.evaluate(time);
    out.specular = m_specular.evaluate(time);
    out.glossiness = m_glossiness.evaluate(time);
    out.transparency = m_transparency.evaluate(time);
    out.additiveTransparency = m_additiveTransparency.evaluate(time);
    out.reflection = m_reflection.evaluate(time);
    out.colorHighlights = m_colorHighlights.evaluate(time);
    out.transparent = out.additiveTransparency != 0.0f || out.transparency != 0.0f ||
                      findImageLayer(lwoCode("TRAN"), 1) != nullptr;
}

bool Surface::hasTransparency(double time)
{
    if (m_additiveTransparency.evaluate(time) != 0.0f)
        return true;
    if (m_transparency.evaluate(time) != 0.0f)
        return true;
    return findImageLayer(lwoCode("TRAN"), 1) != nullptr;
}

Vector3 Surface::evaluateVector(AnimatedValue* first, double time)
{
    return {first[0].evaluate(time), first[1].evaluate(time), first[2].evaluate(time)};
}

void Surface::sortImageLayers()
{
    std::stable_sort(m_imageLayers.begin(), m_imageLayers.end(),
                     [](const std::unique_ptr<TextureLayer>& a, const std::unique_ptr<TextureLayer>& b) {
                         // Ordinals compare as unsigned bytes, as LightWave orders them.
                         return std::lexicographical_compare(
                             a->m_ordinal.begin(), a->m_ordinal.end(), b->m_ordinal.begin(), b->m_ordinal.end(),
                             [](char x, char y) { return uint8_t(x) < uint8_t(y); });
                     });
}

void Surface::setObjectValues(const float values[3])
{
    for (int i = 0; i < 3; ++i)
        m_renderValues[i] = values[i];
}
