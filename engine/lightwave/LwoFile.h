#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class LwMesh;
class Scene;
class Stream;
class Surface;

// One loaded LightWave object file: a mesh per layer number (null where the
// file has no such layer) and the surfaces of its tags. Owned by the scene
// manager, which finds it again by the file name.
class LwoFile {
public:
    // The most tags (surfaces) an object may name.
    static constexpr uint32_t MaxTags = 32768;

    LwoFile();
    ~LwoFile();
    LwoFile(const LwoFile&) = delete;
    LwoFile& operator=(const LwoFile&) = delete;

    // Loads the object through a clone of `fileSystem`; null (with a report)
    // when it cannot be found, is not an LWO2 file or is damaged. Nothing
    // half-built is kept.
    static std::unique_ptr<LwoFile> open(const std::string& name, Stream* fileSystem, Scene* scene);
    // The same from bytes in memory; `fileSystem` opens the clips' images.
    static std::unique_ptr<LwoFile> load(const std::string& name, const uint8_t* data, size_t size,
                                         Stream* fileSystem, Scene* scene);
    // With `force`, creates the textures of every layer of its surfaces
    // once; marks the file prepared in any case.
    void prepare(bool force);

    LwMesh* layer(int64_t number) const;
    // The surface of tag i, null outside the table.
    Surface* tagSurface(int64_t tag) const;

    std::string m_name;
    std::vector<std::unique_ptr<LwMesh>> m_layers;
    int32_t m_tagCount = 0;
    // Entry i is the surface of tag i; the surfaces belong to the manager.
    std::vector<Surface*> m_tagSurfaces;
    uint8_t m_prepared = 0;
};
