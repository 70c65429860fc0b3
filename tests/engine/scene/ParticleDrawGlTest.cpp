// Particle renderers on the GL backend, read back from the screen: the
// quads cover their particles' places and nothing else; the sprites show
// the plane of the volume that the turning texture coordinates select.
#include "engine/core/Report.h"
#include "engine/scene/Camera.h"
#include "engine/scene/HyperVoxelSprites.h"
#include "engine/scene/ParticleRenderer.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "support/GlSceneRig.h"

#include <gtest/gtest.h>

namespace {

constexpr int kSize = 64;

class ParticleDrawGl : public testing::Test {
protected:
    void SetUp() override
    {
        if (!m_rig.start(kSize))
            return;
        m_camera = m_rig.camera();
    }

    // Clears to black, sets the projection and lets `draw` render.
    void frame(const std::function<void()>& draw)
    {
        IDirect3DDevice9* d = m_rig.device();
        m_rig.setProjection(m_projection);
        d->SetRenderState(D3DRS_LIGHTING, FALSE);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        m_rig.frame(draw);
    }
    D3DCOLOR pixel(int x, int y) { return m_rig.pixel(x, y) & 0xFFFFFFu; }

    GlSceneRig m_rig;
    Camera* m_camera = nullptr;
    // Depth 0.5 to 100.
    const Matrix4 m_projection = perspective90(0.5f, 100.0f);
    Particle m_table[ParticleTableSize];
};

} // namespace

TEST_F(ParticleDrawGl, QuadsCoverTheirParticles)
{
    if (!m_rig.started())
        GTEST_SKIP() << "no display";
    ParticleRenderer quads(m_rig.renderer());
    quads.createBuffers();
    // At depth 2 the view spans -2..2: a quad of size 1 at the centre covers
    // pixels 21 to 43 turned by 30 degrees; one at x = 1.7 covers 48 to 70.
    for (int i : {10, 60}) {
        Particle& p = m_table[i];
        p.alive = 1;
        p.size = 1.0f;
        p.position[0] = i == 10 ? 0.0f : 1.7f;
        p.position[2] = 2.0f;
        p.angle = 30.0f;
    }
    frame([&] { quads.render(0.0, m_table, m_camera); });
    EXPECT_NE(pixel(32, 32), 0u);
    EXPECT_NE(pixel(32 + 24, 32), 0u);
    EXPECT_EQ(pixel(32, 8), 0u);
    EXPECT_EQ(pixel(8, 32), 0u);
    EXPECT_EQ(pixel(45, 32), 0u) << "between the two quads";

    m_table[60].alive = 0;
    frame([&] { quads.render(0.0, m_table, m_camera); });
    EXPECT_NE(pixel(32, 32), 0u);
    EXPECT_EQ(pixel(32 + 24, 32), 0u);
    EXPECT_STREQ(lastErrorText.c_str(), "");
}

TEST_F(ParticleDrawGl, SpritesShowTheTurningVolume)
{
    if (!m_rig.started())
        GTEST_SKIP() << "no display";
    HyperVoxelSprites sprites(m_rig.renderer());
    // The camera one unit in front of the stack: the middle slice (depth
    // 1.016) spans about 63 pixels, its red square the middle 32.
    m_camera->m_motion[PositionZ].m_value = -1.0f;
    m_table[0].alive = 1;
    m_table[0].position[2] = 0.0f;
    auto draw = [&](double time) {
        m_camera->invalidateMatrices();
        m_camera->m_projection = m_projection;
        m_camera->m_projectionValid = 1;
        frame([&] { sprites.render(time, m_table, m_camera); });
    };
    // Off the lines where the other two planes cross the view, only the
    // middle slice meets an opaque texel.
    draw(0.0);
    EXPECT_EQ(pixel(27, 27), 0xFF0000u) << "the red plane z = 16, unturned";
    EXPECT_EQ(pixel(37, 38), 0xFF0000u);
    EXPECT_EQ(pixel(2, 2), 0u) << "outside the cube";
    // A quarter turn later the slice next to the middle shows the green plane.
    draw(90.0 / 14.0);
    EXPECT_EQ(pixel(27, 27), 0x00FF00u);
    EXPECT_EQ(pixel(2, 2), 0u);
    EXPECT_STREQ(lastErrorText.c_str(), "");
}
