#pragma once
#include "engine/core/math/Vector3.h"

#include <cstdint>

class MaterialLayer;

// What a HyperVoxel reads from the texture layers a scene file gives it.
// The layers are the surfaces' kind of texture layer, made by the scene
// loader's HyperVoxel reader; the HyperVoxel owns them through this
// interface, so the scene code never needs to know how a layer is loaded.
class HyperVoxelLayer {
public:
    virtual ~HyperVoxelLayer() = default;

    virtual bool hasImage() const = 0;
    // The layer's blend mode (the opacity type): 3 leaves the particles'
    // colour to the voxel's own colour channels.
    virtual int32_t blendMode() const = 0;
    // The layer's texture coordinates of the four corners of one quad
    // whose face looks along `normal`.
    virtual void quadCoordinates(const Vector3 (&corners)[4], const Vector3& normal, float (&out)[4][3]) = 0;
    // The layer as the passes bind it on a texture stage; null when it
    // draws nothing (switched off, or without an image).
    virtual MaterialLayer* stageLayer() = 0;
};
