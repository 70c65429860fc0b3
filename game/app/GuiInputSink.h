#pragma once
#include <cstdint>

// Where the window input goes on to the GUI. The game's sink hands every
// event to the GUI system's default context when a GUI system exists; tests
// put a recording sink in its place.
class GuiInputSink {
public:
    enum Button { LeftButton, RightButton };

    virtual ~GuiInputSink() = default;
    virtual void injectKeyDown(uint32_t scanCode) = 0;
    virtual void injectKeyUp(uint32_t scanCode) = 0;
    virtual void injectChar(uint32_t character) = 0;
    virtual void injectMousePosition(float x, float y) = 0;
    virtual void injectMouseWheelChange(float delta) = 0;
    virtual void injectMouseButtonDown(Button button) = 0;
    virtual void injectMouseButtonUp(Button button) = 0;

    // The sink over the GUI system.
    static GuiInputSink& gui();
};
