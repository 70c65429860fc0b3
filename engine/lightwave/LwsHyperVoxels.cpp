// The HyperVoxel block: which objects carry particle quads or voxel sprites,
// the look values of each, and its texture layers with their images.
//
// The block is read in levels. At each level the next key is the next
// token, a lone "{" before it skipped; "}" ends the level; an unknown key
// that opened a block ("{ Name") is skipped with its block, any other
// unknown token alone. Everything is read whether or not there is a voxel
// to write to, so the reader stays in step; without one nothing is kept.
#include "engine/lightwave/LwsLoader.h"

#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/lightwave/LwsWords.h"
#include "engine/lightwave/TextureLayer.h"
#include "engine/scene/HyperVoxelSprites.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/ParticleRenderer.h"
#include "engine/scene/Scene.h"

#include <memory>

namespace W = LwsWords;

namespace {

// Object entries and texture blocks may hold their own kind; a file cannot
// nest them deeper than this.
constexpr int32_t MaxDepth = 8;

// Where the values of lines with no current voxel go: read, then dropped.
class DiscardedVoxel : public HyperVoxel {
public:
    DiscardedVoxel() : HyperVoxel(nullptr) {}
    void render(double, const Particle*, Camera*) override {}
};

enum class Form { Animated, Color, Int, Flag, Token, NumberAndFlag };

// One key of the parameter block. A key whose target is left null is read
// and not kept.
struct ParameterKey {
    const char* name;
    Form form;
    AnimatedValue HyperVoxel::*value = nullptr;
    int32_t HyperVoxel::*integer = nullptr;
    uint8_t HyperVoxel::*flag = nullptr;
};

const ParameterKey ParameterKeys[] = {
    {"Dissolve", Form::Animated, &HyperVoxel::m_dissolve},
    {"ParticleSize", Form::Animated, &HyperVoxel::m_particleSize},
    {"SizeVariation", Form::Animated, &HyperVoxel::m_sizeVariation},
    {"BlendingMode", Form::Int, nullptr, &HyperVoxel::m_blendingMode},
    {"BlendingGroup", Form::Int, nullptr, &HyperVoxel::m_blendingGroup},
    {"VDensity", Form::Animated, &HyperVoxel::m_density},
    {"VOpacity", Form::Animated, &HyperVoxel::m_opacity},
    {"VLuminosity", Form::Animated, &HyperVoxel::m_luminosity},
    {"Color", Form::Color},
    {"VAmbientColor", Form::Color},
    {"VAmbientIntensity", Form::Animated},
    {"DiffuseSharp", Form::Animated},
    {"VThickness", Form::Animated},
    {"VSmoothness", Form::Animated},
    {"VShadowStrength", Form::Animated},
    // The one colour kept: its target is the voxel's three colour channels.
    {"VColor", Form::Color, &HyperVoxel::m_colorR},
    {"NearClip", Form::Animated, &HyperVoxel::m_nearClip},
    {"Luminosity", Form::NumberAndFlag},
    {"VRenderQuality", Form::Token},
    {"VShadowQuality", Form::Token},
    {"VolumetricShadows", Form::Token},
    {"VIllumination", Form::Token},
    {"TextureEffect", Form::Token},
    {"EffectSpeed", Form::Token},
    {"TextureShadows", Form::Token},
    {"UseAllLights", Form::Flag, nullptr, nullptr, &HyperVoxel::m_useAllLights},
    {"VLight1", Form::Token},
    {"VLight2", Form::Token},
    {"StretchAmount", Form::Animated, &HyperVoxel::m_stretchAmount},
    {"StretchDirection", Form::Int, nullptr, &HyperVoxel::m_stretchDirection},
    {"AlignToPath", Form::Flag, nullptr, nullptr, &HyperVoxel::m_alignToPath},
    {"MaintainVolume", Form::Flag, nullptr, nullptr, &HyperVoxel::m_maintainVolume},
    {"Slices", Form::Int, nullptr, &HyperVoxel::m_requestedSlices},
    {"TextureAmplitude", Form::Animated, &HyperVoxel::m_textureAmplitude},
};

bool isTextureKind(std::string_view kind)
{
    return kind == W::ProceduralKind || kind == W::ImageMapKind || kind == W::GradientKind ||
           kind == W::TextureMapKind;
}

class HyperVoxelReader {
public:
    HyperVoxelReader(LwsLoader& loader, Scene& scene) : m_loader(loader), t(loader.tokens()), m_scene(scene) {}

    void readBlock() { readLevel(0); }

private:
    struct Key {
        std::string_view name; // empty at the level's end
        bool opened = false;   // the key came behind a "{"
    };

    Key nextKey()
    {
        if (t.atEnd())
            return {};
        const bool opened = t.peek() == W::Open;
        const std::string_view name = t.nextBlockToken();
        if (name == W::Close)
            return {};
        return {name, opened};
    }
    void skipUnknown(const Key& key)
    {
        if (key.opened)
            t.skipBlock();
    }
    HyperVoxel& target() { return m_current ? *m_current : m_discard; }

    void readLevel(int32_t depth);
    void readObjectEntry(const Key& key, int32_t depth);
    void makeVoxel(const std::string& name, int32_t type);
    void readParameters();
    void readTextures();
    void readLayerLevel(TextureLayer& layer, int32_t depth);
    void readWrapOptions(TextureLayer& layer);
    void readImage(TextureLayer& layer);
    bool standsOnClip() const
    {
        return t.peek() == W::ClipBlock || (t.peek() == W::Open && t.peek(1) == W::ClipBlock);
    }

    void readAnimated(AnimatedValue& value);
    void readAnimatedTriple(AnimatedValue& x, AnimatedValue& y, AnimatedValue& z);
    bool readFlag() { return t.next() != "0"; }

    LwsLoader& m_loader;
    LwsTokens& t;
    Scene& m_scene;
    // The render object of the object the last entry named; null when that
    // object was not found or its type is unknown.
    HyperVoxel* m_current = nullptr;
    DiscardedVoxel m_discard;
};

void HyperVoxelReader::readLevel(int32_t depth)
{
    for (Key key = nextKey(); !key.name.empty(); key = nextKey()) {
        if (key.name == W::HVFlags) {
            t.advance(4);
        } else if (key.name == W::HVObject && depth < MaxDepth) {
            readObjectEntry(key, depth);
        } else if (key.name == W::HVChannels && key.opened) {
            readParameters();
        } else if (key.name == W::HVTextures && key.opened) {
            readTextures();
        } else if (key.name == W::HVBlendingGroups) {
            t.advance(2);
        } else if (key.name == W::HVClip) {
            t.advance(4);
            t.nextFloat();
            t.advance(1);
            if (standsOnClip())
                m_loader.readClip();
            // The rest of the block goes unread: the clip's own block when
            // it opened one, else the level it stands in.
            t.skipBlock();
            if (!key.opened)
                return;
        } else {
            skipUnknown(key);
        }
    }
}

void HyperVoxelReader::readObjectEntry(const Key& key, int32_t depth)
{
    m_current = nullptr;
    const int32_t at = t.cursor();
    const bool flagsOpened = t.peek() == W::Open;
    if (t.nextBlockToken() == W::HVFlags) {
        const std::string name(t.next());
        t.advance(3);
        const int32_t type = t.nextInt();
        t.advance(3);
        if (flagsOpened)
            t.skipBlock();
        makeVoxel(name, type);
    } else {
        // An entry that does not start with its flags names no object; what
        // follows is read as keys.
        t.setCursor(at);
    }
    if (key.opened)
        readLevel(depth + 1);
}

void HyperVoxelReader::makeVoxel(const std::string& name, int32_t type)
{
    MeshObject* object = m_scene.findObjectByName(name);
    if (!object)
        return;
    object->m_deviceObject.reset();
    if (type == W::HyperVoxelSpritesType) {
        object->m_deviceObject = std::make_unique<HyperVoxelSprites>(m_scene.m_renderer);
    } else if (type == W::ParticleRendererType) {
        auto quads = std::make_unique<ParticleRenderer>(m_scene.m_renderer);
        quads->createBuffers();
        object->m_deviceObject = std::move(quads);
    } else {
        reportError("unknown hypervoxel type");
    }
    m_current = object->m_deviceObject.get();
}

void HyperVoxelReader::readParameters()
{
    HyperVoxel& voxel = target();
    for (Key key = nextKey(); !key.name.empty(); key = nextKey()) {
        const ParameterKey* found = nullptr;
        for (const ParameterKey& k : ParameterKeys)
            if (key.name == k.name) {
                found = &k;
                break;
            }
        if (!found) {
            skipUnknown(key);
            continue;
        }
        AnimatedValue scratch[3];
        switch (found->form) {
        case Form::Animated:
            readAnimated(found->value ? voxel.*(found->value) : scratch[0]);
            break;
        case Form::Color:
            if (found->value)
                readAnimatedTriple(voxel.m_colorR, voxel.m_colorG, voxel.m_colorB);
            else
                readAnimatedTriple(scratch[0], scratch[1], scratch[2]);
            break;
        case Form::Int:
            voxel.*(found->integer) = t.nextInt();
            break;
        case Form::Flag:
            voxel.*(found->flag) = readFlag() ? 1 : 0;
            break;
        case Form::Token:
            t.advance(1);
            break;
        case Form::NumberAndFlag:
            t.advance(2);
            break;
        }
    }
}

void HyperVoxelReader::readTextures()
{
    for (Key key = nextKey(); !key.name.empty(); key = nextKey()) {
        if (key.name != W::TextureBlock || !key.opened) {
            skipUnknown(key);
            continue;
        }
        t.advance(1); // the block's name
        auto layer = std::make_unique<TextureLayer>();
        readLayerLevel(*layer, 0);
        if (m_current)
            m_current->addTextureLayer(std::move(layer));
    }
}

void HyperVoxelReader::readLayerLevel(TextureLayer& layer, int32_t depth)
{
    for (Key key = nextKey(); !key.name.empty(); key = nextKey()) {
        const std::string_view k = key.name;
        if (k == W::TextureSettings && key.opened) {
            if (isTextureKind(t.next()) && depth < MaxDepth)
                readLayerLevel(layer, depth + 1);
            else
                t.skipBlock();
        } else if (k == "Center") {
            readAnimatedTriple(layer.m_centerX, layer.m_centerY, layer.m_centerZ);
        } else if (k == "Size") {
            readAnimatedTriple(layer.m_sizeX, layer.m_sizeY, layer.m_sizeZ);
        } else if (k == "Rotation") {
            readAnimatedTriple(layer.m_rotationH, layer.m_rotationP, layer.m_rotationB);
        } else if (k == "RefObject") {
            t.advance(1);
        } else if (k == "Coordinates") {
            t.advance(1);
            if (key.opened)
                t.skipBlock();
        } else if (k == "Projection") {
            layer.m_projection = t.nextInt();
        } else if (k == "Axis") {
            layer.m_axis = t.nextInt();
        } else if (k == W::ImageBlock && key.opened) {
            readImage(layer);
        } else if (k == "WrapOptions") {
            readWrapOptions(layer);
        } else if (k == "WidthWrap" || k == "HeightWrap") {
            t.advance(2);
        } else if (k == "AntiAliasing") {
            if (readFlag()) {
                layer.m_antialias = 1;
                layer.m_antialiasStrength = float(t.nextFloat());
            }
        } else if (k == "PixelBlending") {
            layer.m_pixelBlending = readFlag() ? 1 : 0;
        } else if (k == "TextureValue") {
            t.advance(1);
        } else if (k == "Channel") {
            layer.m_channel = t.nextInt();
        } else if (k == "Opacity") {
            layer.m_opacityType = t.nextInt();
            readAnimated(layer.m_opacity);
        } else if (k == "Enable") {
            layer.m_enabled = readFlag() ? 1 : 0;
        } else if (k == "Negative") {
            layer.m_negative = readFlag() ? 1 : 0;
        } else {
            skipUnknown(key);
        }
    }
}

void HyperVoxelReader::readWrapOptions(TextureLayer& layer)
{
    const int32_t width = t.nextInt();
    const int32_t height = t.nextInt();
    const uint32_t caps = m_scene.m_renderer ? m_scene.m_renderer->m_caps.TextureAddressCaps : 0;
    layer.m_addressV = textureAddressMode(height, caps);
    layer.m_addressU = (caps & 0x10) ? textureAddressMode(width, caps) : layer.m_addressV;
    if (layer.m_projection == ProjectionSpherical)
        layer.m_addressU = layer.m_addressV = 1;
    else if (layer.m_projection == ProjectionCylindrical)
        layer.m_addressU = 1;
}

void HyperVoxelReader::readImage(TextureLayer& layer)
{
    // A layer no voxel keeps loads no image.
    if (standsOnClip()) {
        Texture* image = m_loader.readClip(m_current != nullptr);
        if (m_current)
            layer.m_image = image;
    }
    t.skipBlock();
}

void HyperVoxelReader::readAnimated(AnimatedValue& value)
{
    value.m_value = float(t.nextFloat());
    if (t.next() == "1" && t.peek() == W::Open)
        m_loader.readChannel(value, false);
}

void HyperVoxelReader::readAnimatedTriple(AnimatedValue& x, AnimatedValue& y, AnimatedValue& z)
{
    AnimatedValue* values[3] = {&x, &y, &z};
    for (AnimatedValue* v : values)
        v->m_value = float(t.nextFloat());
    if (t.next() != "1")
        return;
    for (AnimatedValue* v : values)
        if (t.peek() == W::Open)
            m_loader.readChannel(*v, false);
}

} // namespace

void LwsLoader::readHyperVoxels()
{
    m_tokens.advance(2); // plug-in index, server
    const int32_t at = m_tokens.cursor();
    if (m_tokens.nextBlockToken() != W::HyperVoxelData) {
        m_tokens.setCursor(at);
        return;
    }
    HyperVoxelReader(*this, m_scene).readBlock();
}
