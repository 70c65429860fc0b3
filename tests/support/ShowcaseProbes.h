#pragma once
#include <cstdint>
#include <functional>
#include <vector>

// Where the showcase scene's objects must and must not show in a 640 x 480
// frame drawn from its camera (at the origin, looking along +z, zoom 3.2):
// a point (x, y, z) lands on pixel (320 + 768 x / z, 240 - 768 y / z).
struct ShowcaseProbe {
    const char* what;
    float x, y, z;
    // True: something is drawn there; false: the black backdrop shows.
    bool drawn;
    int pixelX() const;
    int pixelY() const;
};

// The objects where they stand (the skinned arm raised by its bone, the
// morphed blob stretched) and nothing behind the occluder.
const std::vector<ShowcaseProbe>& showcaseProbes();

// 0xRRGGBB; "drawn" is any channel above 24, the backdrop is 0.
bool showcaseLit(uint32_t rgb);

// Checks a frame of the showcase scene, read through `pixel` (x, y from the
// top left, 0xRRGGBB): every probe, the glass drawn after the opaque floor
// and far to near (the blue near glass over the red far one), and the
// pole's reflection in the mirror.
void expectShowcaseRegions(const std::function<uint32_t(int, int)>& pixel);
