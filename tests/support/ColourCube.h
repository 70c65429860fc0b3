#pragma once
#include "engine/core/math/BoundingBox.h"
#include "platform/d3d9/D3D9Types.h"

class IDirect3DDevice9;

// A unit cube of one colour around the origin, drawn unlit from both sides
// and counted in `draws` when given. It leaves lighting on for the meshes a
// scene draws after it.
class ColourCube : public BoundingBox {
public:
    ColourCube(IDirect3DDevice9* device, D3DCOLOR colour, int* draws = nullptr);
    void computeBounds() override {}
    const Vector3* points() override { return m_corners; }
    void render() override;

private:
    IDirect3DDevice9* m_device;
    D3DCOLOR m_colour;
    int* m_draws;
};
