#pragma once
#include <cmath>
#include <cstdint>

// The per-view values that scene items read and write while a view is
// drawn and that the renderer does not keep itself: which stereo eye is
// being rendered, the lens, the near planes chosen by the last depth range
// and the level-of-detail bias. One set exists per scene manager. The fields
// of view and the viewport here serve scenes made without a renderer (tools,
// tests); with one, the renderer's own are used.
struct ViewState {
    // -1 mono; 0 and 1 the left and right eye; 2 and 3 the two halves of
    // the shifted-image stereo modes.
    int32_t stereoEye = -1;
    float stereoScale[2] = {1.0f, 1.0f};
    // The lens value is the zoom factor times 31.25; the reference is the
    // value at which the fields of view below apply unchanged.
    float lens = 100.0f;
    float lensReference = 100.0f;
    // Degrees. The defaults are those of a 4:3 view.
    float fovX = float(2.0 * std::atan(1.0 / 2.4) * 57.29577951308232);
    float fovY = float(2.0 * std::atan(1.0 / 3.2) * 57.29577951308232);
    float nearPlane[2] = {0.0f, 0.0f};
    int32_t lodBias = 0;
    int32_t viewportX = 0;
    int32_t viewportY = 0;
    int32_t viewportWidth = 512;
    int32_t viewportHeight = 512;
};
