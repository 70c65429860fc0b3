#pragma once
#include <cstdint>
#include <vector>

class Light;
class Scene;

// The fixed-function device lights set by the last scene set-up, by device
// light index. There is one device, so one list for the process, shared by
// every scene: a scene's set-up switches off the indices another scene
// left on. Entries name the scene that set them, and a scene or light that
// goes away clears its entries, so the list never points at a freed light.
class FixedLightList {
public:
    struct Entry {
        Light* light = nullptr;
        Scene* scene = nullptr;
    };
    static std::vector<Entry>& entries();
    // Forgets the scene's lights; their indices stay counted, so the next
    // set-up still switches them off.
    static void forgetScene(const Scene* scene);
    static void forgetLight(const void* light);
};
