#pragma once
#include "engine/core/math/Matrix4.h"
#include "engine/scene/HyperVoxel.h"
#include "platform/d3d9/D3D9Types.h"

#include <cstdint>

class IDirect3DIndexBuffer9;
class IDirect3DVertexBuffer9;
class IDirect3DVolumeTexture9;

// Draws a particle table as stacks of 32 square slices through a built-in
// 32 x 32 x 32 volume texture (three coloured planes crossing at its centre)
// whose coordinates turn slowly with time: one stack per live particle, all
// in one indexed draw with fixed-function states.
class HyperVoxelSprites : public HyperVoxel {
public:
    static constexpr int32_t VolumeSize = 32;
    static constexpr DWORD Fvf = 0x10102;

    explicit HyperVoxelSprites(Renderer* renderer);
    ~HyperVoxelSprites() override;

    // The index buffer lives in the default pool: let go before a device
    // reset and made again after it (render refills it every frame).
    void onLostDevice() override;
    void onResetDevice() override;
    void render(double time, const Particle* particles, Camera* camera) override;

    // The texel of the volume at (x, y, z), 0xAARRGGBB.
    static uint32_t volumeTexel(int32_t x, int32_t y, int32_t z);
    // The rotation of the volume's coordinates about its centre at `time`.
    static Matrix4 textureMatrix(double time);
    // The stack's orientation: its slices turned towards `eye` as seen from
    // `first`, the first record's position.
    static Matrix4 stackMatrix(const Vector3& eye, const Vector3& first);

    IDirect3DVertexBuffer9* m_vertexBuffer = nullptr;
    IDirect3DIndexBuffer9* m_indexBuffer = nullptr;
    int32_t m_slices = 32;
    int32_t m_particles = 100;
    IDirect3DVolumeTexture9* m_volumeTexture = nullptr;

private:
    void createVertexBuffer();
    void createIndexBuffer();
    void createVolumeTexture();
    // Answers how many live records the indices cover.
    int32_t writeIndices(const Particle* particles);
};
