#pragma once

// Whether the frame being drawn goes into a shadow map. The shadow-map draw
// raises it around its scene pass; meshes then draw only the objects that
// cast shadows, with the renderer's shadow pass. One flag for the process:
// drawing runs on the main thread only.
class ShadowPass {
public:
    static bool active() { return s_active; }

    // Raises the flag for its lifetime and puts back what it found.
    class Scope {
    public:
        Scope() : m_previous(s_active) { s_active = true; }
        ~Scope() { s_active = m_previous; }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        bool m_previous;
    };

private:
    static inline bool s_active = false;
};
