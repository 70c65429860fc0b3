#include "ShowcaseProbes.h"

#include <cmath>

int ShowcaseProbe::pixelX() const { return int(std::lround(320.0 + 768.0 * x / z)); }
int ShowcaseProbe::pixelY() const { return int(std::lround(240.0 - 768.0 * y / z)); }

const std::vector<ShowcaseProbe>& showcaseProbes()
{
    static const std::vector<ShowcaseProbe> table = {
        {"the box's front", -3.3f, 0.5f, 9.5f, true},
        {"the blob's body", -0.6f, 0.5f, 9.7f, true},
        {"the near glass", 0.7f, 0.3f, 6.7f, true},
        {"the far glass beside the near one", 1.45f, 0.3f, 8.6f, true},
        {"the pole above the mirror", 0.0f, 0.5f, 19.6f, true},
        {"the floor", -1.2f, -1.0f, 5.0f, true},
        {"the mirror", -3.0f, -1.0f, 15.4f, true},
        {"the box behind the occluder", 4.0f, 0.5f, 11.6f, false},
        {"the sky between box and arm", -2.5f, 0.5f, 9.7f, false},
        {"the sky above everything", 0.0f, 2.8f, 10.0f, false},
    };
    return table;
}

bool showcaseLit(uint32_t rgb)
{
    return ((rgb >> 16) & 0xFF) > 24 || ((rgb >> 8) & 0xFF) > 24 || (rgb & 0xFF) > 24;
}
