#pragma once
#include <cstdint>

class Light;
class Texture;

// One light picked for a draw: its device light index, the light, its
// influence on the object, and the shadow map it draws with (null for a
// light without one). The passes read only the shadow map.
struct ActiveLight {
    uint32_t index = 0;
    Light* light = nullptr;
    float influence = 0.0f;
    Texture* shadowMap = nullptr;
};
