#pragma once
#include "engine/core/base/LoadingAbortedException.h"

#include <cstdint>

class DisplayManager;
class IDirect3DDevice9;
class Renderer;
class Texture;

// The frame drawn between the steps of a level load: it keeps the window
// responsive by handling the pending window messages, and shows the loading
// picture with a progress bar on every head. A quit message ends the load by
// throwing LoadingAbortedException, before anything is drawn.
class LoadingScreen {
public:
    // A rectangle in fractions of the back buffer: left, top, right, bottom.
    struct Rect {
        float left, top, right, bottom;
    };

    LoadingScreen(Renderer* renderer, DisplayManager* displayManager, Texture* picture);

    // `progress` runs from 0 to 1.
    void renderFrame(float progress);
    // Draws `texture` stretched over `rect` of the device's back buffer.
    void drawQuad(IDirect3DDevice9* device, Texture* texture, const Rect& rect);
    // Draws the filled part of the progress bar, plain white.
    void drawBar(IDirect3DDevice9* device, float progress, float parallax);

    // Where the picture and the bar go.
    static constexpr Rect pictureRect {0.0f, 0.0f, 1.0f, 1.0f};
    static constexpr Rect barRect {0.1f, 0.9f, 0.9f, 0.93f};

    Renderer* m_renderer;
    DisplayManager* m_displayManager;
    Texture* m_picture;
    float m_progress = 0.0f;

private:
    void pumpMessages();
    void drawStrip(IDirect3DDevice9* device, const Rect& rect, uint32_t colour);
};
