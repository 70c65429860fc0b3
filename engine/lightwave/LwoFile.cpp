#include "engine/lightwave/LwoFile.h"

#include "engine/core/base/EngineLog.h"
#include "engine/core/base/Report.h"
#include "engine/core/io/Stream.h"
#include "engine/core/texture/Texture.h"
#include "engine/lightwave/LwMesh.h"
#include "engine/lightwave/LwoParse.h"
#include "engine/lightwave/Surface.h"
#include "engine/lightwave/TextureLayer.h"
#include "engine/scene/ChannelCopy.h"
#include "engine/scene/Envelope.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kLAYR = LwoReader::makeId("LAYR");
constexpr uint32_t kPNTS = LwoReader::makeId("PNTS");
constexpr uint32_t kPOLS = LwoReader::makeId("POLS");
constexpr uint32_t kTAGS = LwoReader::makeId("TAGS");
constexpr uint32_t kPTAG = LwoReader::makeId("PTAG");
constexpr uint32_t kVMAP = LwoReader::makeId("VMAP");
constexpr uint32_t kVMAD = LwoReader::makeId("VMAD");
constexpr uint32_t kENVL = LwoReader::makeId("ENVL");
constexpr uint32_t kCLIP = LwoReader::makeId("CLIP");
constexpr uint32_t kSURF = LwoReader::makeId("SURF");

void readLayer(LwoParse& p)
{
    auto layer = std::make_unique<LwoLayer>();
    LwoReader& r = p.r;
    layer->number = r.u2();
    r.u2(); // flags
    layer->pivot.x = r.f4();
    layer->pivot.y = r.f4();
    layer->pivot.z = r.f4();
    layer->name = r.s0();
    if (r.remaining() >= 2)
        layer->parent = int32_t(r.u2());
    p.highestLayer = std::max(p.highestLayer, int32_t(layer->number));
    p.current = layer.get();
    p.layers.push_back(std::move(layer));
}

void readPoints(LwoParse& p)
{
    LwoReader& r = p.r;
    const size_t count = r.remaining() / 12;
    std::vector<Vector3> positions(count);
    for (Vector3& v : positions) {
        v.x = r.f4();
        v.y = r.f4();
        v.z = r.f4();
    }
    p.current->positions = std::move(positions);
}

void readPolygons(LwoParse& p)
{
    LwoReader& r = p.r;
    LwoLayer& layer = *p.current;
    const uint32_t type = r.id4();
    const bool face = type == LwoReader::makeId("FACE");
    std::vector<LwPolygon> polygons;
    int32_t count = 0;
    while (!r.atLimit()) {
        const uint32_t corners = r.u2() & 0x3FF;
        LwPolygon polygon;
        if (face)
            polygon.points.resize(corners);
        for (uint32_t i = 0; i < corners; ++i) {
            const uint32_t index = r.vx();
            if (face)
                polygon.points[i] = index;
        }
        if (r.isShort())
            return;
        ++count;
        if (face)
            polygons.push_back(std::move(polygon));
    }
    switch (type) {
    case LwoReader::makeId("FACE"):
        layer.numLines = layer.numPointPolygons = 0;
        for (const LwPolygon& polygon : polygons) {
            layer.numLines += polygon.points.size() == 2;
            layer.numPointPolygons += polygon.points.size() == 1;
        }
        layer.polygons = std::move(polygons);
        break;
    case LwoReader::makeId("MBAL"):
        layer.numMetaballs = count;
        break;
    case LwoReader::makeId("PTCH"):
        layer.numPatches = count;
        break;
    case LwoReader::makeId("PTCL"):
        layer.numParticles = count;
        break;
    default:
        layer.numOtherPolygons = count;
        break;
    }
}

void readTags(LwoParse& p)
{
    LwoReader& r = p.r;
    while (!r.atLimit()) {
        const std::string name = r.s0();
        if (p.tags.size() >= LwoFile::MaxTags) {
            reportAssertion("\"more surface tags than an object may have\"");
            r.skip(r.remaining());
            return;
        }
        p.tags.push_back(p.findOrMakeSurface(name));
    }
}

void readPolygonTags(LwoParse& p)
{
    LwoReader& r = p.r;
    if (r.id4() != LwoReader::makeId("SURF")) {
        r.skip(r.remaining());
        return;
    }
    std::vector<LwPolygon>& polygons = p.current->polygons;
    while (r.remaining() >= 4) {
        const uint32_t polygon = r.vx();
        const uint32_t tag = r.u2();
        if (r.isShort())
            return;
        // The tag is checked against the tag table once the file is read:
        // a TAGS chunk may come after this one.
        if (polygon < polygons.size())
            polygons[polygon].surface = int32_t(tag);
        else
            p.drop(LwoParse::DamagePolygonTags);
    }
    r.skip(r.remaining());
}

std::string meshName(const std::string& fileName, const LwoLayer& layer)
{
    std::string name = fileName + ":" + std::to_string(layer.number + 1);
    if (!layer.name.empty())
        name += " " + layer.name;
    return name;
}

// Polygons naming points the layer does not have keep their place (so that
// PTAG and VMAD indices still line up) but lose their corners; the mesh
// drops them with the other degenerate polygons. A surface tag beyond the
// file's tag table becomes no tag: the polygon is drawn without a surface.
void dropBrokenPolygons(LwoParse& p, LwoLayer& layer)
{
    for (LwPolygon& polygon : layer.polygons) {
        for (uint32_t index : polygon.points) {
            if (index >= layer.positions.size()) {
                p.drop(LwoParse::DamagePolygonPoints);
                polygon.points.clear();
                break;
            }
        }
        // Tag 0 without a tag table is an untagged polygon, not a damaged one.
        if (polygon.surface > 0 && size_t(polygon.surface) >= p.tags.size()) {
            p.drop(LwoParse::DamageSurfaceTags);
            polygon.surface = -1;
        }
    }
}

const char* const kDamageTexts[LwoParse::DamageKinds] = {
    "polygons naming points their layer lacks, left out",
    "polygon tags naming polygons their layer lacks, left out",
    "polygons naming surface tags the file lacks, drawn without a surface",
    "vertex maps of a dimension their type cannot have, left out",
    "vertex map entries naming points their layer lacks, left out",
    "vertex map entries naming polygons their layer lacks, left out",
    "polygon vertex maps naming maps their layer lacks, left out",
};

uint32_t bigEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

} // namespace

LwoUVMap* LwoLayer::findUVMap(const std::string& mapName) const
{
    for (const auto& map : uvMaps)
        if (map->name == mapName)
            return map.get();
    return nullptr;
}

LwoColorMap* LwoLayer::findColorMap(const std::string& mapName) const
{
    for (const auto& map : colorMaps)
        if (map->name == mapName)
            return map.get();
    return nullptr;
}

LwoParse::LwoParse(LwoReader& reader, Scene* s, Stream* files, const std::string& name)
    : r(reader), scene(s), manager(s ? s->m_manager : nullptr), renderer(s ? s->m_renderer : nullptr),
      fileSystem(files), fileName(name)
{
}

LwoParse::~LwoParse() = default;

void LwoParse::fail(const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    reportError(text);
    failed = true;
}

std::unique_ptr<Envelope> LwoParse::envelopeCopy(uint32_t index) const
{
    auto it = envelopes.find(index);
    if (it == envelopes.end() || !it->second)
        return nullptr;
    return std::make_unique<Envelope>(*it->second);
}

void LwoParse::setEnvelope(AnimatedValue& value, uint32_t index) const
{
    if (index == 0)
        return;
    if (std::unique_ptr<Envelope> envelope = envelopeCopy(index))
        value.m_envelope = std::move(envelope);
}

void LwoParse::readValue(AnimatedValue& value)
{
    r.takeF4(value.m_value);
    uint32_t envelope = 0;
    if (r.takeU2(envelope))
        setEnvelope(value, envelope);
}

void LwoParse::reportDropped() const
{
    for (int kind = 0; kind < DamageKinds; ++kind) {
        if (dropped[kind] == 0)
            continue;
        char text[512];
        std::snprintf(text, sizeof text, "%s: %s: %u!\n", fileName.c_str(), kDamageTexts[kind], dropped[kind]);
        engineLog() << text << std::flush;
        reportWarning(text, "Error");
    }
}

Texture* LwoParse::clip(uint32_t index) const
{
    auto it = clips.find(index);
    return it == clips.end() ? nullptr : it->second;
}

Surface* LwoParse::findOrMakeSurface(const std::string& surfaceName)
{
    const std::string key = fileName + "@" + surfaceName;
    if (Surface* surface = manager->findSurface(key))
        return surface;
    auto* surface = new Surface(key);
    surface->m_loaded = 0;
    manager->addSurface(surface);
    return surface;
}

LwoFile::LwoFile() = default;
LwoFile::~LwoFile() = default;

LwMesh* LwoFile::layer(int64_t number) const
{
    return number >= 0 && uint64_t(number) < m_layers.size() ? m_layers[size_t(number)].get() : nullptr;
}

Surface* LwoFile::tagSurface(int64_t tag) const
{
    return tag >= 0 && tag < m_tagCount && size_t(tag) < m_tagSurfaces.size() ? m_tagSurfaces[size_t(tag)] : nullptr;
}

void LwoFile::prepare(bool force)
{
    if (force && !m_prepared) {
        for (Surface* surface : m_tagSurfaces) {
            if (!surface)
                continue;
            for (const auto& layer : surface->m_imageLayers)
                if (layer->m_image)
                    layer->m_image->create();
            for (const auto& layer : surface->m_vertexColorLayers)
                if (layer->m_image)
                    layer->m_image->create();
        }
    }
    m_prepared = 1;
}

std::unique_ptr<LwoFile> LwoFile::open(const std::string& name, Stream* fileSystem, Scene* scene)
{
    std::vector<uint8_t> bytes;
    std::unique_ptr<Stream> file = fileSystem ? fileSystem->clone() : nullptr;
    if (!file || !file->openRead(name.c_str())) {
        char text[1024];
        std::snprintf(text, sizeof text, "%s cannot be found!\n", name.c_str());
        reportError(text);
        return nullptr;
    }
    bytes.resize(file->length);
    bytes.resize(file->read(bytes.data(), uint32_t(bytes.size())));
    file->close();
    return load(name, bytes.data(), bytes.size(), fileSystem, scene);
}

std::unique_ptr<LwoFile> LwoFile::load(const std::string& name, const uint8_t* data, size_t size, Stream* fileSystem,
                                       Scene* scene)
{
    char text[1024];
    if (size < 12 || std::memcmp(data + 8, "LWO2", 4) != 0) {
        std::snprintf(text, sizeof text, "%s is not an LWO2 file!\n", name.c_str());
        reportError(text);
        return nullptr;
    }
    if (!scene || !scene->m_manager) {
        std::snprintf(text, sizeof text, "%s: objects load into a scene!\n", name.c_str());
        reportError(text);
        return nullptr;
    }
    LwoReader r(data, size);
    // The walk ends where the FORM says it does, or where the file does
    // when that comes first; either way a mismatch is worth a word.
    const uint64_t formEnd = uint64_t(8) + bigEndian32(data + 4);
    if (formEnd != size) {
        std::snprintf(text, sizeof text, "%s: its FORM holds %llu bytes, the file %llu after the FORM header!\n",
                      name.c_str(), static_cast<unsigned long long>(formEnd - 8),
                      static_cast<unsigned long long>(size - 8));
        engineLog() << text << std::flush;
        reportWarning(text, "Error");
        if (formEnd < size)
            r.setLimit(size_t(formEnd));
    }
    r.seek(12);
    LwoParse p(r, scene, fileSystem, name);
    while (!p.failed && !r.atLimit()) {
        const size_t at = r.tell();
        if (r.remaining() < 8) {
            p.fail("%s is truncated: %u bytes of a chunk header at offset %u!\n", name.c_str(),
                   unsigned(r.remaining()), unsigned(at));
            break;
        }
        const uint32_t id = r.id4();
        const uint32_t chunkSize = r.u4();
        const size_t start = r.tell();
        if (chunkSize > r.remaining()) {
            p.fail("%s is truncated: chunk %s at offset %u needs %u bytes, %u are left!\n", name.c_str(),
                   LwoReader::idText(id).c_str(), unsigned(at), chunkSize, unsigned(r.remaining()));
            break;
        }
        const size_t end = start + chunkSize;
        const bool needsLayer = id == kPNTS || id == kPOLS || id == kPTAG || id == kVMAP || id == kVMAD;
        const size_t outer = r.setLimit(end);
        if (needsLayer && !p.current) {
            reportAssertion("\"loadLWO2: missing LAYR chunk!\"");
        } else {
            switch (id) {
            case kLAYR: readLayer(p); break;
            case kPNTS: readPoints(p); break;
            case kPOLS: readPolygons(p); break;
            case kTAGS: readTags(p); break;
            case kPTAG: readPolygonTags(p); break;
            case kVMAP: readVertexMap(p); break;
            case kVMAD: readDiscontinuousMap(p); break;
            case kENVL: readEnvelope(p); break;
            case kCLIP: readClip(p); break;
            case kSURF: readSurface(p); break;
            default: break;
            }
        }
        if (!p.failed && r.isShort())
            p.fail("%s is damaged: chunk %s at offset %u ends inside a value!\n", name.c_str(),
                   LwoReader::idText(id).c_str(), unsigned(at));
        r.restoreLimit(outer);
        // Every chunk resumes at its end, after the pad byte of an odd size.
        r.seek(end + (chunkSize & 1));
    }
    if (p.failed)
        return nullptr;
    for (const auto& layer : p.layers)
        dropBrokenPolygons(p, *layer);
    p.reportDropped();

    for (size_t tag = 0; tag < p.tags.size(); ++tag) {
        if (!p.tags[tag] || !p.tags[tag]->m_blended)
            continue;
        for (const auto& layer : p.layers) {
            if (layer->usesBlendedSurface)
                continue;
            for (const LwPolygon& polygon : layer->polygons)
                if (polygon.surface == int32_t(tag)) {
                    layer->usesBlendedSurface = 1;
                    break;
                }
        }
    }
    auto file = std::make_unique<LwoFile>();
    file->m_name = name;
    file->m_layers.resize(size_t(p.highestLayer + 1));
    file->m_tagCount = int32_t(p.tags.size());
    file->m_tagSurfaces = p.tags;
    for (const auto& layer : p.layers) {
        auto mesh = std::make_unique<LwMesh>(scene ? scene->m_renderer : nullptr, file.get(),
                                             std::move(layer->polygons), std::move(layer->positions),
                                             std::move(layer->pointMaps));
        mesh->m_pivot = layer->pivot;
        mesh->m_layer = int32_t(layer->number);
        mesh->m_usesBlendedSurface = layer->usesBlendedSurface;
        mesh->m_name = meshName(name, *layer);
        file->m_layers[layer->number] = std::move(mesh);
    }
    return file;
}
