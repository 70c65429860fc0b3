// Particle renderers on the GL backend, read back from the screen: the
// quads cover their particles' places and nothing else; the sprites show
// the plane of the volume that the turning texture coordinates select.
#include "engine/core/Renderer.h"
#include "engine/core/Report.h"
#include "engine/core/ShaderFloatParams.h"
#include "engine/scene/Camera.h"
#include "engine/scene/HyperVoxelSprites.h"
#include "engine/scene/ParticleRenderer.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/win/MessageQueue.h"
#include "support/DeviceReadBack.h"
#include "support/RendererRig.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

constexpr int kSize = 64;

void drainMessages()
{
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

class ParticleDrawGl : public testing::Test {
protected:
    void SetUp() override
    {
        resetReportSwitch();
        reportLevel = 3;
        reportToText = 1;
        selectD3D9Backend(D3D9Backend::Gl);
        testing::internal::CaptureStderr();
        m_started = m_rig.start(kSize, kSize, true);
        testing::internal::GetCapturedStderr();
        drainMessages();
        if (!m_started)
            return;
        m_manager = std::make_unique<SceneManager>(m_rig.renderer.get(), "gl");
        m_scene = m_manager->loadScene("particles");
        m_camera = m_scene->addCamera(true);
        // 90 degrees both ways, depth 0.5 to 100.
        const float q = 100.0f / 99.5f;
        m_projection.at(0, 0) = 1.0f;
        m_projection.at(1, 1) = 1.0f;
        m_projection.at(2, 2) = q;
        m_projection.at(2, 3) = 1.0f;
        m_projection.at(3, 2) = -q * 0.5f;
    }
    void TearDown() override
    {
        m_manager.reset();
        drainMessages();
        selectD3D9Backend(D3D9Backend::Default);
        resetReportSwitch();
    }

    // Clears to black, sets the projection and lets `draw` render.
    template <typename Draw>
    void frame(Draw draw)
    {
        IDirect3DDevice9* d = m_rig.device();
        D3DMATRIX projection;
        std::memcpy(&projection, m_projection.m, sizeof projection);
        d->SetTransform(D3DTS_PROJECTION, &projection);
        m_rig.renderer->m_shaderFloatParams->m_projection = m_projection;
        m_rig.renderer->m_shaderFloatParams->m_transformsValid = false;
        d->SetRenderState(D3DRS_LIGHTING, FALSE);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        d->BeginScene();
        draw();
        d->EndScene();
    }
    D3DCOLOR pixel(int x, int y) { return readBackBufferPixel(m_rig.device(), x, y) & 0xFFFFFFu; }

    RendererRig m_rig;
    bool m_started = false;
    std::unique_ptr<SceneManager> m_manager;
    Scene* m_scene = nullptr;
    Camera* m_camera = nullptr;
    Matrix4 m_projection;
    Particle m_table[ParticleTableSize];
};

} // namespace

TEST_F(ParticleDrawGl, QuadsCoverTheirParticles)
{
    if (!m_started)
        GTEST_SKIP() << "no display";
    ParticleRenderer quads(m_rig.renderer.get());
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
    if (!m_started)
        GTEST_SKIP() << "no display";
    HyperVoxelSprites sprites(m_rig.renderer.get());
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
