#pragma once
#include "tools/trackgen/Picture.h"

#include <string>

namespace track {

// The two colours a texture is drawn in: its ground and the colour of its
// pattern (stones' mortar, stripes, cracks, windows, ...).
struct Paint {
    Rgb base, accent;
};

// The textures trackgen draws, each tiling seamlessly: asphalt, cobble,
// concrete, grass, sand, snow, ice, ash, dirt, rock, kerb, checker, brick,
// planks, bark, foliage, roof, windows, plaster, container, water, lava,
// crowd, stripes, metal, tyre.
bool isTextureKind(const std::string& kind);
Paint defaultPaint(const std::string& kind);
// The texture in its paint; 256 x 256 pixels.
Picture drawTexture(const std::string& kind, const Paint& paint, uint32_t seed);

// The sky's picture: the gradient from the horizon (bottom row) to the
// zenith (top row) with soft clouds and the sun's glow round the heading and
// elevation (degrees) it stands at; wraps round in x, column 0 looking
// along +z and the heading growing with x.
Picture drawSky(Rgb zenith, Rgb horizon, float clouds, uint32_t seed, float sunHeading, float sunElevation, Rgb sun);

} // namespace track
