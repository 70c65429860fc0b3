#pragma once

struct SDL_Window;

// The one GL context of the run: OpenGL 3.3 compatibility profile, made on
// first use and kept until the process ends, so device resets never lose
// textures and the GUI renderer can share it. Everything that creates or
// binds the context is here.
class GlContext {
public:
    // Framebuffer and context attributes; must precede the first window.
    static void configureAttributes();
    // Makes the context current on the window, creating it first when needed.
    static bool makeCurrent(SDL_Window* window);
    // A window is going away: move the context to its own hidden window.
    static void windowDestroyed(SDL_Window* window);
    static bool exists();
};
