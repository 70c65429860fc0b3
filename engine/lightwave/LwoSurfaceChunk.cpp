// SURF chunks: a surface's values, its vertex-colour layer, its back
// surface and its texture layers (BLOK).
#include "engine/core/texture/GradientTexture.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/lightwave/LwoFile.h"
#include "engine/lightwave/LwoParse.h"
#include "engine/lightwave/Surface.h"
#include "engine/lightwave/TextureLayer.h"
#include "engine/scene/Envelope.h"
#include "engine/scene/SceneManager.h"

#include <cmath>

namespace {

constexpr uint32_t id(const char (&text)[5])
{
    return LwoReader::makeId(text);
}

// Binds the colour maps of that name of every layer read so far.
void bindColorMaps(LwoParse& p, TextureLayer& layer, const std::string& name)
{
    for (const auto& l : p.layers)
        for (const auto& map : l->colorMaps)
            if (map->name == name) {
                layer.m_colorMapsByLayer[int32_t(l->number)] = map;
                break;
            }
}

void bindUVMaps(LwoParse& p, TextureLayer& layer, const std::string& name)
{
    for (const auto& l : p.layers)
        for (const auto& map : l->uvMaps)
            if (map->name == name) {
                layer.m_uvMapsByLayer[int32_t(l->number)] = map;
                break;
            }
}

void readVector(LwoParse& p, AnimatedValue& x, AnimatedValue& y, AnimatedValue& z)
{
    LwoReader& r = p.r;
    r.takeF4(x.m_value);
    r.takeF4(y.m_value);
    r.takeF4(z.m_value);
    uint32_t enveloped = 0;
    if (r.takeU2(enveloped) && enveloped != 0) {
        p.setEnvelope(x, r.u2());
        p.setEnvelope(y, r.u2());
        p.setEnvelope(z, r.u2());
    }
}

// A two-byte flag read as a boolean, left as it is when the sub-chunk lacks it.
void takeFlag(LwoReader& r, uint8_t& flag)
{
    uint32_t value = 0;
    if (r.takeU2(value))
        flag = value != 0;
}

void takeCode(LwoReader& r, int32_t& code)
{
    uint32_t value = 0;
    if (r.takeU2(value))
        code = int32_t(value);
}

void readBlockHeader(LwoParse& p, TextureLayer& layer, uint32_t type)
{
    LwoReader& r = p.r;
    layer.m_type = int32_t(type);
    layer.m_ordinal = r.s0();
    forEachSubChunk(r, [&](const LwoSubChunk& sub) {
        switch (sub.id) {
        case id("CHAN"): {
            uint32_t channel = 0;
            if (r.takeId4(channel))
                layer.m_channel = int32_t(channel);
            break;
        }
        case id("ENAB"): takeFlag(r, layer.m_enabled); break;
        case id("NEGA"): takeFlag(r, layer.m_negative); break;
        case id("OPAC"):
            takeCode(r, layer.m_opacityType);
            p.readValue(layer.m_opacity);
            break;
        case id("rgbl"): r.takeF4(layer.m_rgbScale); break;
        case id("rgbo"): r.takeF4(layer.m_rgbOffset); break;
        case id("clmp"): takeFlag(r, layer.m_clamp); break;
        default: break;
        }
    });
}

void readTextureMap(LwoParse& p, TextureLayer& layer)
{
    LwoReader& r = p.r;
    forEachSubChunk(r, [&](const LwoSubChunk& sub) {
        switch (sub.id) {
        case id("CNTR"): readVector(p, layer.m_centerX, layer.m_centerY, layer.m_centerZ); break;
        case id("SIZE"): readVector(p, layer.m_sizeX, layer.m_sizeY, layer.m_sizeZ); break;
        case id("ROTA"): readVector(p, layer.m_rotationH, layer.m_rotationP, layer.m_rotationB); break;
        case id("m4x3"):
            // A matrix is used whole or not at all.
            if (r.remaining() < 48)
                break;
            for (int row = 0; row < 4; ++row)
                for (int col = 0; col < 3; ++col)
                    layer.m_transform.at(row, col) = r.f4();
            layer.m_transformValid = 1;
            break;
        default: break;
        }
    });
}

// Fills the four channel envelopes with the gradient's keys, so that the
// gradient texture samples the ramp the file describes.
void keyGradient(TextureLayer& layer)
{
    AnimatedValue* channels[4] = {&layer.m_gradientR, &layer.m_gradientG, &layer.m_gradientB, &layer.m_gradientA};
    for (int c = 0; c < 4; ++c) {
        auto envelope = std::make_unique<Envelope>();
        envelope->preBehavior = BehaviorConstant;
        envelope->postBehavior = BehaviorConstant;
        for (size_t k = 0; k < layer.m_gradientKeys.size(); ++k) {
            const GradientKey& key = layer.m_gradientKeys[k];
            const float value = c == 0 ? key.r : c == 1 ? key.g : c == 2 ? key.b : key.a;
            // A key's interpolation shapes the span that starts at it; the
            // envelope keeps the shape on the key that ends the span.
            const int32_t shape = layer.m_gradientKeys[k == 0 ? 0 : k - 1].interpolation;
            if (shape == 2)
                envelope->addKeyStepped(key.input, value);
            else
                envelope->addKeyLinear(key.input, value);
        }
        channels[c]->m_envelope = std::move(envelope);
    }
}

void readBlock(LwoParse& p, Surface& surface)
{
    LwoReader& r = p.r;
    auto layer = std::make_unique<TextureLayer>();
    bool wrapped = false;
    forEachSubChunk(r, [&](const LwoSubChunk& sub) {
        switch (sub.id) {
        case id("IMAP"):
        case id("PROC"):
        case id("GRAD"):
        case id("vcol"):
            readBlockHeader(p, *layer, sub.id);
            break;
        case id("TMAP"): readTextureMap(p, *layer); break;
        case id("PROJ"): takeCode(r, layer->m_projection); break;
        case id("AXIS"): takeCode(r, layer->m_axis); break;
        case id("IMAG"): {
            uint32_t clip = 0;
            if (r.takeU2(clip))
                layer->m_image = p.clip(clip);
            break;
        }
        case id("WRAP"): {
            // Width and height modes go together: a WRAP without both
            // leaves the layer repeating.
            if (r.remaining() < 4)
                break;
            const uint32_t width = r.u2();
            const uint32_t height = r.u2();
            const uint32_t caps = p.renderer ? p.renderer->m_caps.TextureAddressCaps : 0;
            layer->m_addressV = textureAddressMode(int32_t(height), caps);
            layer->m_addressU = (caps & 0x10) ? textureAddressMode(int32_t(width), caps) : layer->m_addressV;
            wrapped = true;
            break;
        }
        case id("WRPW"): r.takeF4(layer->m_wrapWidth); break;
        case id("WRPH"): r.takeF4(layer->m_wrapHeight); break;
        case id("VMAP"): {
            const std::string name = r.s0();
            if (layer->m_type == lwoCode("vcol"))
                bindColorMaps(p, *layer, name);
            else
                bindUVMaps(p, *layer, name);
            break;
        }
        case id("AAST"): {
            // Exporters may write the flags alone: the strength then stays
            // at its default.
            uint32_t flags = 0;
            float strength = 0.0f;
            if (r.takeU2(flags) && flags != 0) {
                layer->m_antialias = 1;
                if (r.takeF4(strength))
                    layer->m_antialiasStrength =
                        strength < 1.5f ? 1.0f : strength < 3.0f ? 2.0f : strength < 6.0f ? 4.0f : 8.0f;
            }
            break;
        }
        case id("PIXB"): takeFlag(r, layer->m_pixelBlending); break;
        case id("TAMP"): p.readValue(layer->m_amplitude); break;
        case id("GRST"): r.takeF4(layer->m_gradientStart); break;
        case id("GREN"): r.takeF4(layer->m_gradientEnd); break;
        case id("PNAM"): {
            const int32_t input = gradientInputIndex(r.s0());
            if (input >= 0)
                layer->m_gradientInput = input;
            break;
        }
        case id("FKEY"):
            while (r.remaining() >= 20) {
                GradientKey key;
                key.input = r.f4();
                key.r = r.f4();
                key.g = r.f4();
                key.b = r.f4();
                key.a = r.f4();
                layer->m_gradientKeys.push_back(key);
            }
            break;
        case id("IKEY"):
            for (GradientKey& key : layer->m_gradientKeys) {
                if (r.remaining() < 2)
                    break;
                key.interpolation = int32_t(r.u2());
            }
            break;
        default: break; // INAM, VPVL and the rest
        }
    });

    // What the projection and the image need wins over the block's wrap
    // modes, whichever order the sub-chunks came in.
    if (wrapped) {
        if (layer->m_projection == ProjectionSpherical)
            layer->m_addressU = layer->m_addressV = 1;
        else if (layer->m_projection == ProjectionCylindrical)
            layer->m_addressU = 1;
        if (layer->m_image && (layer->m_image->m_flags & TextureKeepSize))
            layer->m_addressU = layer->m_addressV = 3;
    }
    if (layer->m_type == lwoCode("GRAD") && layer->m_enabled) {
        if (!layer->m_gradientKeys.empty())
            keyGradient(*layer);
        // The texture samples the layer for its whole life, so only a layer
        // the surface keeps gets one.
        auto* gradient = new GradientTexture(p.renderer, layer.get());
        p.manager->addTexture(gradient);
        layer->m_image = gradient;
    }
    if (Texture* image = layer->m_image) {
        uint32_t flags = image->m_flags;
        if (layer->m_channel == lwoCode("TRAN")) {
            flags |= TextureAlphaOnly;
            surface.m_blended = 1;
        } else if (layer->m_channel == lwoCode("BUMP")) {
            image->m_scalarParameter = surface.m_bump.evaluate(0.0) * layer->m_amplitude.evaluate(0.0);
            flags = (flags | TextureNormalMap) & ~TextureConvert;
        } else {
            flags |= TextureColour;
        }
        if (layer->m_opacityType == 6)
            flags = (flags | TextureNormalMap) & ~TextureConvert;
        image->setFlags(flags);
    }
    surface.addTextureLayer(std::move(layer));
}

void readVertexColors(LwoParse& p, Surface& surface)
{
    LwoReader& r = p.r;
    auto layer = std::make_unique<TextureLayer>();
    layer->m_type = lwoCode("vcol");
    layer->m_channel = lwoCode("COLR");
    layer->m_enabled = 1;
    p.readValue(layer->m_opacity);
    uint32_t type = 0;
    r.takeId4(type);
    const std::string name = r.s0();
    if (type == id("RGBA") || type == id("RGB ") || type == id("max "))
        bindColorMaps(p, *layer, name);
    surface.addTextureLayer(std::move(layer));
}

} // namespace

void readSurface(LwoParse& p)
{
    LwoReader& r = p.r;
    const std::string name = r.s0();
    const std::string source = r.s0();
    const std::string key = p.fileName + "@" + name;
    Surface* surface = p.manager->findSurface(key);
    if (!surface) {
        p.fail("surface %s not found in %s!\n", key.c_str(), p.fileName.c_str());
        return;
    }
    if (surface->m_loaded) {
        r.skip(r.remaining());
        return;
    }
    surface->m_sourceName = source;
    Surface& s = *surface;
    forEachSubChunk(r, [&](const LwoSubChunk& sub) {
        switch (sub.id) {
        case id("COLR"): {
            for (AnimatedValue& c : s.m_color)
                r.takeF4(c.m_value);
            uint32_t envelope = 0;
            if (r.takeU2(envelope) && envelope != 0)
                for (uint32_t c = 0; c < 3; ++c)
                    p.setEnvelope(s.m_color[c], envelope + c);
            break;
        }
        case id("DIFF"): p.readValue(s.m_diffuse); break;
        case id("LUMI"): p.readValue(s.m_luminosity); break;
        case id("SPEC"): p.readValue(s.m_specular); break;
        case id("GLOS"): p.readValue(s.m_glossiness); break;
        case id("REFL"): p.readValue(s.m_reflection); break;
        case id("RIND"): p.readValue(s.m_refractionIndex); break;
        case id("CLRH"): p.readValue(s.m_colorHighlights); break;
        case id("BUMP"): p.readValue(s.m_bump); break;
        case id("TRAN"):
        case id("ADTR"): {
            AnimatedValue& value = sub.id == id("TRAN") ? s.m_transparency : s.m_additiveTransparency;
            r.takeF4(value.m_value);
            uint32_t envelope = 0;
            r.takeU2(envelope);
            p.setEnvelope(value, envelope);
            if (value.m_value != 0.0f || envelope != 0)
                s.m_blended = 1;
            break;
        }
        case id("SIDE"): {
            uint32_t sides = 0;
            if (r.takeU2(sides))
                s.m_doubleSided = (sides & 3) == 3;
            break;
        }
        case id("SMAN"): {
            float angle = 0.0f;
            if (r.takeF4(angle) && angle > Surface::MinimumSmoothingAngle) {
                s.m_smoothing = 1;
                s.m_smoothingCosine = float(std::cos(double(angle)) - 0.000001);
            }
            break;
        }
        case id("RFOP"): {
            uint32_t mode = 0;
            if (!r.takeU2(mode))
                break;
            s.m_reflectionMode = mode == 3 ? 1 : int32_t(mode);
            if (mode == 0)
                s.m_blended = 1;
            break;
        }
        case id("RIMG"): {
            uint32_t clip = 0;
            if (!r.takeU2(clip))
                break;
            s.m_reflectionImage = p.clip(clip);
            if (s.m_reflectionImage)
                s.m_reflectionImage->setFlags(s.m_reflectionImage->m_flags | TextureColour);
            break;
        }
        case id("VCOL"): readVertexColors(p, s); break;
        case id("BLOK"): readBlock(p, s); break;
        case id("back"): {
            const std::string back = r.s0();
            if (p.tags.size() >= LwoFile::MaxTags) {
                reportAssertion("\"more surface tags than an object may have\"");
                break;
            }
            Surface* backSurface = p.findOrMakeSurface(back);
            p.tags.push_back(backSurface);
            s.m_backSurfaceTag = int32_t(p.tags.size()) - 1;
            break;
        }
        default: break; // TIMG, TROP and the rest
        }
    });
    s.sortImageLayers();
    s.m_loaded = 1;
}
