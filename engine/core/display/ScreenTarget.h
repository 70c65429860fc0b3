#pragma once
#include "engine/core/base/ByteBuffer.h"

#include <cstdint>

class Renderer;
class IDirect3DResource9;

// A full-screen off-screen target record. The renderer keeps two; their
// Direct3D objects are never made, so the pointers stay null.
class ScreenTarget {
public:
    explicit ScreenTarget(Renderer* renderer);
    virtual ~ScreenTarget();

    // Lets go of the second and third objects, clears both counters and the name.
    void release();

    Renderer* m_renderer;
    int32_t m_width = 0;
    int32_t m_height = 0;
    // The back buffer itself can serve: it is A8R8G8B8 and not multisampled.
    uint8_t m_useBackBuffer = 0;
    int32_t m_value0 = 0;
    int32_t m_value1 = 0;
    IDirect3DResource9* m_objects[3] = {nullptr, nullptr, nullptr};
    ByteBuffer m_name;
};
