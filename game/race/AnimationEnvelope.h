#pragma once
#include <cstdint>

// The blend of one driver animation over the race clock: rising for fadeIn
// seconds, holding, then falling for fadeOut seconds.
struct AnimationEnvelope {
    float fadeIn = 0.0f;
    float fadeOut = 0.0f;
    float hold = 0.0f;
    // Race clock at which it began.
    float start = 0.0f;
    uint8_t active = 0;
};
