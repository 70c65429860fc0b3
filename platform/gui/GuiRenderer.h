#pragma once
// platform/gui: the GUI library's renderer on our device. Over a device that
// draws with GL, CEGUI's OpenGL renderer shares the device's context: the GUI
// draws into a picture of its own, which is laid over the device's render
// target, and every GL state either side relies on is saved before and put
// back after, so neither sees the other's. Over any other device (the
// recording backend, tests without a display) CEGUI's null renderer runs the
// same GUI logic without drawing. Only this folder includes CEGUI's GL
// headers.
namespace CEGUI {
class Renderer;
}
class IDirect3DDevice9;

class GuiRenderer {
public:
    // The GL renderer over a GL device, else the null renderer. The display
    // size is the device's back-buffer size in pixels.
    static GuiRenderer* create(IDirect3DDevice9* device, int width, int height);
    // CEGUI's null renderer alone.
    static GuiRenderer* createNull(int width, int height);
    virtual ~GuiRenderer() = default;

    virtual CEGUI::Renderer& renderer() = 0;
    // Draws every GUI context over the device's current render target (inside
    // the device's scene) and leaves the device's GL state as it was.
    virtual void render() = 0;
    // After a mode change: the new back-buffer size.
    virtual void setDisplaySize(int width, int height) = 0;
    virtual bool drawsPixels() const = 0;
};
