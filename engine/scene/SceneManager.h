#pragma once
#include "engine/scene/ViewState.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class LoadingScreen;
class LwoFile;
class ObjectFileStore;
class Renderer;
class Scene;
class Stream;
class Surface;
class Texture;

// The owner of everything scenes share, made once by the game on the
// renderer: the scenes, the textures (one per file, shared by every surface
// and effect that names it) and the view values the items read while a view
// is drawn. Device loss and reset are forwarded through it. The lists only
// grow: nothing is unloaded before the manager dies.
class SceneManager {
public:
    SceneManager(Renderer* renderer, const std::string& name);
    SceneManager(const SceneManager&) = delete;
    SceneManager& operator=(const SceneManager&) = delete;
    ~SceneManager();

    // Makes, names and takes a new empty scene, then prepares every scene
    // again; the caller loads the scene's contents afterwards.
    Scene* loadScene(const std::string& name);
    void addScene(Scene* scene);
    // Creates the textures, then prepares every scene, drawing loading
    // frames from 0.70 to 1.0 when a screen is given.
    void prepare(LoadingScreen* screen);
    void onLostDevice();
    // Sets the engine's default device states, then restores the scenes and
    // textures.
    void onResetDevice();

    // Exact, case-sensitive name lookups; the first match in list order.
    // A hit on findTexture takes on `flags` without their two lowest bits.
    Texture* findTexture(const std::string& name, uint32_t flags);
    // The registered texture of that name, or a new file texture loaded
    // through `fileSystem`, created, registered and preloaded.
    Texture* getTexture(Stream* fileSystem, const std::string& name);
    void addTexture(Texture* texture);
    // Surfaces and object files; the object loader defines these and keeps
    // the records alive in m_objectFiles.
    Surface* findSurface(const std::string& name) const;
    void addSurface(Surface* surface);
    LwoFile* findLwoFile(const std::string& name) const;
    void addLwoFile(LwoFile* file);

    // Where scene i of n starts in the loading progress: the scenes share
    // the range 0.72 to 1.0 equally.
    static float sceneProgressStart(size_t index, size_t count);
    static float sceneProgressSpan(size_t count);
    // The stages and samplers the default states and the unbinding cover.
    uint32_t stageCount() const;

    Renderer* m_renderer;
    std::string m_name;
    std::vector<Scene*> m_scenes;
    std::vector<Texture*> m_textures;
    // Owned through m_objectFiles.
    std::vector<Surface*> m_surfaces;
    std::vector<LwoFile*> m_lwoFiles;
    std::unique_ptr<ObjectFileStore> m_objectFiles;
    ViewState m_view;
};
