#pragma once
#include <memory>

class DisplayManager;
class IDirect3DDevice9;
class Renderer;

// The program's start sequence up to the renderer, in a small window, on
// whichever Direct3D backend is selected; shuts everything down again.
class RendererRig {
public:
    RendererRig();
    ~RendererRig();
    RendererRig(const RendererRig&) = delete;
    RendererRig& operator=(const RendererRig&) = delete;

    // False when no device could be made (no display for the GL backend).
    bool start(int width = 64, int height = 64, bool fixedFunction = true);
    IDirect3DDevice9* device() const;

    std::unique_ptr<DisplayManager> displayManager;
    std::unique_ptr<Renderer> renderer;
};
