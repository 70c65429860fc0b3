#pragma once
// The object loader's working state for one file. Internal to the loader's
// source files.
#include "engine/core/math/Vector3.h"
#include "engine/lightwave/LwMesh.h"
#include "engine/lightwave/LwoReader.h"
#include "engine/lightwave/LwoVertexMaps.h"

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class AnimatedValue;
class Envelope;
class LwoFile;
class Renderer;
class Scene;
class SceneManager;
class Stream;
class Surface;
class Texture;

// One LAYR chunk and what the chunks after it gave that layer.
struct LwoLayer {
    uint32_t number = 0;
    std::string name;
    Vector3 pivot;
    int32_t parent = -1;
    std::vector<LwPolygon> polygons;
    int32_t numLines = 0;
    int32_t numPointPolygons = 0;
    int32_t numMetaballs = 0;
    int32_t numPatches = 0;
    int32_t numParticles = 0;
    int32_t numOtherPolygons = 0;
    std::vector<Vector3> positions;
    uint8_t usesBlendedSurface = 0;
    std::vector<std::shared_ptr<LwoUVMap>> uvMaps;
    std::vector<std::shared_ptr<LwoColorMap>> colorMaps;
    std::vector<std::shared_ptr<LwoMorphMap>> morphMaps;
    std::vector<std::shared_ptr<LwoWeightMap>> weightMaps;
    // Every MORF and WGHT map in file order, for the mesh.
    std::vector<std::shared_ptr<LwoPointMap>> pointMaps;

    LwoUVMap* findUVMap(const std::string& mapName) const;
    LwoColorMap* findColorMap(const std::string& mapName) const;
};

struct LwoParse {
    // Envelope and clip indices of a file stay below this.
    static constexpr uint32_t MaxIndex = 32768;
    // Damaged content the load leaves out and goes on without, by kind.
    enum Damage {
        DamagePolygonPoints,  // polygons naming points their layer lacks
        DamagePolygonTags,    // PTAG entries naming polygons their layer lacks
        DamageSurfaceTags,    // polygons naming surface tags the file lacks
        DamageMapDimensions,  // vertex maps whose dimension their type cannot have
        DamageMapPoints,      // map entries naming points their layer lacks
        DamageMapPolygons,    // VMAD entries naming polygons their layer lacks
        DamageUnknownMaps,    // VMADs of a map their layer lacks
        DamageKinds
    };

    LwoParse(LwoReader& reader, Scene* scene, Stream* fileSystem, const std::string& fileName);
    ~LwoParse();

    // Reports and stops the load.
    void fail(const char* format, ...);
    void drop(Damage kind, uint32_t count = 1) { dropped[kind] += count; }
    // One report of each kind of damage dropped, with its count, as a
    // warning and a line in the engine log.
    void reportDropped() const;
    // A copy of envelope `index` for a value to own; null when none.
    std::unique_ptr<Envelope> envelopeCopy(uint32_t index) const;
    // Value and envelope index into an animated value.
    void readValue(AnimatedValue& value);
    void setEnvelope(AnimatedValue& value, uint32_t index) const;
    Texture* clip(uint32_t index) const;
    // The surface under "file@name", made when absent.
    Surface* findOrMakeSurface(const std::string& surfaceName);
    int32_t highestLayerNumber() const { return highestLayer; }

    LwoReader& r;
    Scene* scene;
    SceneManager* manager;
    Renderer* renderer;
    Stream* fileSystem;
    std::string fileName;
    std::unordered_map<uint32_t, std::unique_ptr<Envelope>> envelopes;
    std::unordered_map<uint32_t, Texture*> clips;
    std::vector<std::unique_ptr<LwoLayer>> layers;
    LwoLayer* current = nullptr;
    std::vector<Surface*> tags;
    int32_t highestLayer = -1;
    bool failed = false;
    uint32_t dropped[DamageKinds] = {};
};

// Chunk handlers: each reads its chunk's data within the reader's limit.
void readVertexMap(LwoParse& p);
void readDiscontinuousMap(LwoParse& p);
void readEnvelope(LwoParse& p);
void readClip(LwoParse& p);
void readSurface(LwoParse& p);

// A drive-letter path as the engine's file systems take it: "C:dir" gains
// a slash after the colon. `keepBackslash` leaves "C:\dir" as it is.
std::string repairClipPath(const std::string& name, bool keepBackslash);
