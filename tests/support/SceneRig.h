#pragma once
#include "RendererRig.h"

#include <cstdint>
#include <memory>

class IDirect3DDevice9;
class Light;
class Renderer;
class Scene;
class SceneManager;

// The renderer rig with a scene manager holding one empty scene, on
// whichever Direct3D backend is selected. The scene manager goes before the
// renderer it draws with.
class SceneRig {
public:
    SceneRig();
    ~SceneRig();
    SceneRig(const SceneRig&) = delete;
    SceneRig& operator=(const SceneRig&) = delete;

    // False when no device could be made (no display for the GL backend).
    bool start(int width = 64, int height = 64, bool fixedFunction = true);
    Renderer* renderer() const { return rig.renderer.get(); }
    IDirect3DDevice9* device() const { return rig.device(); }
    // A light of `type` (0 distant, 1 point, 2 spot) under the scene's root,
    // listed with the scene's lights and not yet set up.
    Light* addLight(int32_t type);

    RendererRig rig;
    std::unique_ptr<SceneManager> manager;
    Scene* scene = nullptr;
};
