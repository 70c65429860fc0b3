// VMAP, VMAD, ENVL and CLIP chunks: vertex maps of the current layer,
// envelopes and image clips into the load's tables.
#include "engine/core/texture/AnimatedTexture.h"
#include "engine/core/texture/FileTexture.h"
#include "engine/core/base/Report.h"
#include "engine/core/io/Stream.h"
#include "engine/lightwave/LwoParse.h"
#include "engine/scene/Envelope.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"

#include <cstdio>

namespace {

constexpr uint32_t kRGB = LwoReader::makeId("RGB ");
constexpr uint32_t kRGBA = LwoReader::makeId("RGBA");
constexpr uint32_t kTXUV = LwoReader::makeId("TXUV");
constexpr uint32_t kMAX = LwoReader::makeId("max ");
constexpr uint32_t kMORF = LwoReader::makeId("MORF");
constexpr uint32_t kWGHT = LwoReader::makeId("WGHT");

// The longest frame number an image sequence may ask for.
constexpr uint32_t kMaxSequenceDigits = 9;

LwoColorMap::Value readColor(LwoReader& r, bool alpha)
{
    LwoColorMap::Value c;
    c[0] = r.f4();
    c[1] = r.f4();
    c[2] = r.f4();
    c[3] = alpha ? r.f4() : 1.0f;
    return c;
}

LwoUVMap::Value readUV(LwoReader& r, bool max)
{
    LwoUVMap::Value v;
    v[0] = r.f4();
    v[1] = r.f4();
    v[2] = max ? r.f4() : 0.0f;
    return v;
}

// The number of values per entry of each map type; 0 for types the loader
// does not read.
uint32_t dimensionOf(uint32_t type)
{
    switch (type) {
    case kRGB: return 3;
    case kRGBA: return 4;
    case kTXUV: return 2;
    case kMAX: return 3;
    case kMORF: return 3;
    case kWGHT: return 1;
    default: return 0;
    }
}

// The entries of a map whose dimension is not its type's would be read with
// the wrong stride: the whole map is left out.
bool dimensionFits(LwoParse& p, uint32_t type, uint32_t dimension)
{
    const uint32_t expected = dimensionOf(type);
    if (expected == 0 || dimension == expected)
        return true;
    p.drop(LwoParse::DamageMapDimensions);
    p.r.skip(p.r.remaining());
    return false;
}

// The (point, polygon, value) entries of a VMAD into the map's per-polygon
// lists; entries for points or polygons the layer does not have are dropped.
template <typename Map, typename ReadValue>
void readPerPolygon(LwoParse& p, Map& map, size_t points, size_t polygons, ReadValue readValue)
{
    LwoReader& r = p.r;
    map.perPolygon.assign(polygons, {});
    while (!r.atLimit()) {
        const uint32_t point = r.vx();
        const uint32_t polygon = r.vx();
        const auto value = readValue();
        if (r.isShort())
            continue;
        if (polygon >= polygons) {
            p.drop(LwoParse::DamageMapPolygons);
            continue;
        }
        if (point >= points) {
            p.drop(LwoParse::DamageMapPoints);
            continue;
        }
        map.perPolygon[polygon].pointIndices.push_back(point);
        map.perPolygon[polygon].values.push_back(value);
    }
}

} // namespace

void readVertexMap(LwoParse& p)
{
    LwoReader& r = p.r;
    LwoLayer& layer = *p.current;
    const uint32_t type = r.id4();
    const uint32_t dimension = r.u2();
    const std::string name = r.s0();
    const size_t n = layer.positions.size();
    if (!dimensionFits(p, type, dimension))
        return;
    switch (type) {
    case kRGB:
    case kRGBA: {
        auto map = std::make_shared<LwoColorMap>();
        map->name = name;
        map->hasAlpha = type == kRGBA;
        map->values.assign(n, {0.0f, 0.0f, 0.0f, 0.0f});
        while (!r.atLimit()) {
            const uint32_t point = r.vx();
            const auto value = readColor(r, type == kRGBA);
            if (r.isShort())
                break;
            if (point < n)
                map->values[point] = value;
            else
                p.drop(LwoParse::DamageMapPoints);
        }
        layer.colorMaps.push_back(std::move(map));
        break;
    }
    case kTXUV:
    case kMAX: {
        auto map = std::make_shared<LwoUVMap>();
        map->name = name;
        map->values.assign(n, {0.0f, 0.0f, 0.0f});
        while (!r.atLimit()) {
            const uint32_t point = r.vx();
            const auto value = readUV(r, type == kMAX);
            if (r.isShort())
                break;
            if (point < n)
                map->values[point] = value;
            else
                p.drop(LwoParse::DamageMapPoints);
        }
        if (type == kMAX) {
            auto colors = std::make_shared<LwoColorMap>();
            colors->name = name;
            colors->values.reserve(n);
            for (const auto& v : map->values)
                colors->values.push_back({v[0], v[1], v[2], 1.0f});
            layer.colorMaps.push_back(std::move(colors));
        }
        layer.uvMaps.push_back(std::move(map));
        break;
    }
    case kMORF: {
        auto map = std::make_shared<LwoMorphMap>();
        map->name = name;
        map->offsets.assign(n, Vector3());
        while (!r.atLimit()) {
            const uint32_t point = r.vx();
            Vector3 d;
            d.x = r.f4();
            d.y = r.f4();
            d.z = r.f4();
            if (r.isShort())
                break;
            if (point < n)
                map->offsets[point] = d;
            else
                p.drop(LwoParse::DamageMapPoints);
        }
        map->hasData = 1;
        layer.morphMaps.push_back(map);
        layer.pointMaps.push_back(std::move(map));
        break;
    }
    case kWGHT: {
        auto map = std::make_shared<LwoWeightMap>();
        map->name = name;
        map->weights.assign(n, 0.0f);
        while (!r.atLimit()) {
            const uint32_t point = r.vx();
            const float w = r.f4();
            if (r.isShort())
                break;
            if (point < n)
                map->weights[point] = w;
            else
                p.drop(LwoParse::DamageMapPoints);
        }
        layer.weightMaps.push_back(map);
        layer.pointMaps.push_back(std::move(map));
        break;
    }
    default:
        r.skip(r.remaining());
        break;
    }
}

void readDiscontinuousMap(LwoParse& p)
{
    LwoReader& r = p.r;
    LwoLayer& layer = *p.current;
    const uint32_t type = r.id4();
    const uint32_t dimension = r.u2();
    const std::string name = r.s0();
    const size_t points = layer.positions.size();
    const size_t polygons = layer.polygons.size();
    if (!dimensionFits(p, type, dimension))
        return;
    // A VMAD for a map this layer never defined, or for a polygon the layer
    // does not have, has nowhere to go: the chunk or the entry is dropped.
    auto unknown = [&] {
        p.drop(LwoParse::DamageUnknownMaps);
        r.skip(r.remaining());
    };
    if (type == kRGB || type == kRGBA) {
        LwoColorMap* map = layer.findColorMap(name);
        if (!map)
            return unknown();
        readPerPolygon(p, *map, points, polygons, [&] { return readColor(r, type == kRGBA); });
    } else if (type == kTXUV || type == kMAX) {
        LwoUVMap* map = layer.findUVMap(name);
        if (!map)
            return unknown();
        readPerPolygon(p, *map, points, polygons, [&] { return readUV(r, type == kMAX); });
        if (type == kMAX) {
            if (LwoColorMap* colors = layer.findColorMap(name)) {
                colors->perPolygon.assign(polygons, {});
                for (size_t i = 0; i < polygons; ++i) {
                    colors->perPolygon[i].pointIndices = map->perPolygon[i].pointIndices;
                    for (const auto& v : map->perPolygon[i].values)
                        colors->perPolygon[i].values.push_back({v[0], v[1], v[2], 1.0f});
                }
            }
        }
    } else {
        r.skip(r.remaining());
    }
}

void readEnvelope(LwoParse& p)
{
    LwoReader& r = p.r;
    const uint32_t index = r.u2();
    if (index >= LwoParse::MaxIndex) {
        reportAssertion("\"more envelopes than defined in MAXENVS. specify higher number!\"");
        r.skip(r.remaining());
        return;
    }
    auto envelope = std::make_unique<Envelope>();
    bool pending = false;
    float keyTime = 0.0f, keyValue = 0.0f;
    forEachSubChunk(r, [&](const LwoSubChunk& sub) {
        switch (sub.id) {
        case LwoReader::makeId("PRE "):
        case LwoReader::makeId("POST"): {
            uint32_t behavior = 0;
            if (r.takeU2(behavior) && behavior <= BehaviorLinear)
                (sub.id == LwoReader::makeId("PRE ") ? envelope->preBehavior : envelope->postBehavior) =
                    int32_t(behavior);
            break;
        }
        case LwoReader::makeId("NAME"):
            envelope->name = r.s0();
            break;
        case LwoReader::makeId("KEY "):
            pending = r.remaining() >= 8;
            keyTime = r.f4();
            keyValue = r.f4();
            break;
        case LwoReader::makeId("SPAN"): {
            const uint32_t kind = r.id4();
            float a[4] = {0.0f, 0.0f, 0.0f, 0.0f};
            auto params = [&](int count) {
                for (int i = 0; i < count; ++i)
                    a[i] = r.f4();
            };
            if (!pending)
                break;
            switch (kind) {
            case LwoReader::makeId("TCB "):
                params(3);
                envelope->addKeyTCB(keyTime, a[0], a[1], a[2], keyValue);
                break;
            case LwoReader::makeId("HERM"):
                params(2);
                envelope->addKeyHermite(keyTime, a[0], a[1], keyValue);
                break;
            case LwoReader::makeId("BEZI"):
                params(2);
                envelope->addKeyBezier(keyTime, a[0], a[1], keyValue);
                break;
            case LwoReader::makeId("BEZ2"):
                params(4);
                envelope->addKeyBezier2(keyTime, a[0], a[1], a[2], a[3], keyValue);
                break;
            case LwoReader::makeId("LINE"):
                envelope->addKeyLinear(keyTime, keyValue);
                break;
            case LwoReader::makeId("STEP"):
                envelope->addKeyStepped(keyTime, keyValue);
                break;
            default:
                break;
            }
            pending = false;
            break;
        }
        default: // TYPE and anything else
            break;
        }
    });
    p.envelopes[index] = std::move(envelope);
}

std::string repairClipPath(const std::string& name, bool keepBackslash)
{
    if (name.size() >= 2 && name[1] == ':' && (name.size() < 3 || name[2] != '/')) {
        if (keepBackslash && name.size() >= 3 && name[2] == '\\')
            return name;
        return name.substr(0, 2) + "/" + name.substr(2);
    }
    return name;
}

namespace {

Texture* stillImage(LwoParse& p, const std::string& fileName)
{
    const std::string name = repairClipPath(fileName, false);
    uint32_t flags = 3;
    if (name.find("_nodxt") != std::string::npos)
        flags = 2;
    if (name.find("_noscale") != std::string::npos)
        flags = (flags & ~3u) | TextureKeepSize;
    if (Texture* texture = p.manager->findTexture(name, flags))
        return texture;
    auto* texture = new FileTexture(p.renderer);
    p.manager->addTexture(texture);
    texture->m_name = name;
    texture->load(p.fileSystem, name.c_str(), 1);
    texture->setFlags(flags);
    return texture;
}

Texture* imageSequence(LwoParse& p, uint32_t digits, int32_t offset, uint32_t first, uint32_t last,
                       const std::string& prefix, const std::string& suffix)
{
    if (digits > kMaxSequenceDigits || last < first) {
        char text[512];
        std::snprintf(text, sizeof text, "%s: image sequence %s with frames %u to %u and %u digits is refused!\n",
                      p.fileName.c_str(), prefix.c_str(), first, last, digits);
        reportError(text);
        return nullptr;
    }
    auto frameName = [&](uint32_t k) {
        char number[16];
        std::snprintf(number, sizeof number, "%0*u", int(digits), k);
        return prefix + number + suffix;
    };
    const std::string name = repairClipPath(frameName(first), true);
    if (Texture* texture = p.manager->findTexture(name, 3))
        return texture;
    auto* sequence = new AnimatedTexture(p.renderer);
    p.manager->addTexture(sequence);
    sequence->m_name = name;
    sequence->m_firstFrame = int32_t(first);
    sequence->m_lastFrame = int32_t(last);
    sequence->m_frameOffset = offset;
    sequence->m_frames.resize(last - first + 1);
    p.scene->m_framesPerSecond = 30.0;
    std::unique_ptr<Stream> files = p.fileSystem ? p.fileSystem->clone() : nullptr;
    for (uint32_t k = first; k <= last; ++k) {
        const std::string frame = repairClipPath(frameName(k), true);
        if (!files || !(files->exists(frame.c_str()) || files->exists((frame + ".dds").c_str())))
            continue;
        auto texture = std::make_unique<FileTexture>(p.renderer);
        texture->m_name = frame;
        texture->load(p.fileSystem, frame.c_str(), 1);
        texture->setFlags(1);
        sequence->m_frames[k - first] = std::move(texture);
    }
    return sequence;
}

void readClipModifiers(LwoParse& p, Texture*& current, uint32_t index, int depth);

void readClipModifier(LwoParse& p, const LwoSubChunk& sub, Texture*& current, uint32_t index, int depth)
{
    LwoReader& r = p.r;
    switch (sub.id) {
    case LwoReader::makeId("STIL"):
        current = stillImage(p, r.s0());
        p.clips[index] = current;
        break;
    case LwoReader::makeId("ISEQ"): {
        const uint32_t digits = r.u1();
        r.u1(); // flags
        const int32_t offset = int32_t(int16_t(r.u2()));
        r.u2(); // reserved
        const uint32_t first = r.u2();
        const uint32_t last = r.u2();
        const std::string prefix = r.s0();
        const std::string suffix = r.s0();
        if (r.isShort())
            break;
        current = imageSequence(p, digits, offset, first, last, prefix, suffix);
        p.clips[index] = current;
        break;
    }
    case LwoReader::makeId("XREF"): {
        const uint32_t source = r.u4();
        const std::string name = r.s0();
        Texture* original = source < LwoParse::MaxIndex ? p.clip(source) : nullptr;
        Texture* copy = nullptr;
        if (original) {
            std::unique_ptr<Texture> clone = original->clone();
            if (clone) {
                clone->m_name = name;
                copy = clone.release();
                p.manager->addTexture(copy);
            }
        }
        p.clips[index] = copy;
        current = copy;
        break;
    }
    case LwoReader::makeId("FLAG"): {
        const uint32_t flags = r.u4();
        if (!current || current->kind() != TextureKindAnimated)
            break;
        auto* sequence = static_cast<AnimatedTexture*>(current);
        int32_t mode = sequence->m_behaviour;
        if (flags & 0x1)
            mode = 1;
        if (flags & 0x2)
            mode = 2;
        if (flags & 0x4)
            mode = 4;
        if (flags & 0x100)
            mode = 0x100;
        sequence->m_behaviour = mode;
        break;
    }
    case LwoReader::makeId("TIME"):
        r.f4();
        r.f4();
        if (current)
            r.takeF4(current->m_rate);
        break;
    case LwoReader::makeId("IFLT"): {
        const std::string server = r.s0();
        // A capture filter's settings are clip sub-chunks themselves.
        if (server == "Video Capture Filter" && depth < 4)
            readClipModifiers(p, current, index, depth + 1);
        break;
    }
    default: // HUE, BRIT, CONT, SATR, GAMM, AMOD, NEGA and the rest
        break;
    }
}

void readClipModifiers(LwoParse& p, Texture*& current, uint32_t index, int depth)
{
    forEachSubChunk(p.r, [&](const LwoSubChunk& sub) { readClipModifier(p, sub, current, index, depth); });
}

} // namespace

void readClip(LwoParse& p)
{
    LwoReader& r = p.r;
    const uint32_t index = r.u4();
    if (index >= LwoParse::MaxIndex) {
        reportAssertion("\"ERROR: more textures than defined in LW6Scene::MAXTEXS!\"");
        r.skip(r.remaining());
        return;
    }
    Texture* current = nullptr;
    readClipModifiers(p, current, index, 0);
}
