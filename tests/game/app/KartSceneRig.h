#pragma once
// Our packed data set (build/bin/data.sar) and a race-like scene to load
// its karts into: no device, the race's two cameras made first (a kart scene
// has none of its own) and its six collision spaces, as the race makes them
// before it loads the karts.
#include "engine/core/archive/ArchiveFile.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "game/app/GameConfig.h"

#include <cstdint>
#include <memory>
#include <string>

class MeshObject;

class KartSceneRig {
public:
    // The race's spaces, by index.
    enum Space : uint32_t { DefaultSpace, KartSpace, FloorSpace, CheckSpace, RaySpace, ObstacleSpace };

    // Mounts data.sar and reads config.xml from it; false with error() set
    // when either fails.
    bool open();
    // A fresh scene (the previous one goes).
    void newScene();
    bool load(const std::string& file);
    // Object `name` of the given layer (-1: an object without a mesh) of
    // kart `instance` (from 1), or null.
    MeshObject* part(const std::string& name, int32_t layer, int32_t instance) const;

    const std::string& error() const { return m_error; }

    ArchiveFile archive;
    GameConfig config;
    std::unique_ptr<SceneManager> manager;
    Scene* scene = nullptr;

private:
    std::string m_error;
};
