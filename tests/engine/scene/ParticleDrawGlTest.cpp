// Particle renderers on the GL backend, read back from the screen: the
// quads cover their particles' places and nothing else, and show their
// picture where its alpha picture leaves them opaque; the sprites show the
// plane of the volume that the turning texture coordinates select.
#include "engine/core/texture/FileTexture.h"
#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/scene/Camera.h"
#include "engine/scene/HyperVoxelSprites.h"
#include "engine/scene/ParticleRenderer.h"
#include "engine/scene/SceneManager.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "support/GlRequirement.h"
#include "support/GlSceneRig.h"
#include "support/MaterialShaders.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/MemoryFileSystem.h"

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
    REQUIRE_GL(m_rig.started(), m_rig.failure());
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
    REQUIRE_GL(m_rig.started(), m_rig.failure());
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

namespace {

// An 8 x 8 picture of four 4 x 4 blocks, top row first: each quarter keeps
// its own colour under linear filtering around its middle.
std::vector<uint8_t> quarters(uint32_t topLeft, uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight)
{
    BmpLayout layout;
    layout.width = layout.height = 8;
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            pixels.push_back(y < 4 ? (x < 4 ? topLeft : topRight) : (x < 4 ? bottomLeft : bottomRight));
    return writeBmp(layout, {}, pixels);
}

Texture* loadPicture(SceneManager& manager, MemoryFileSystem& files, const char* name, uint32_t flags)
{
    auto* texture = new FileTexture(manager.m_renderer);
    texture->m_flags = 3 | flags;
    texture->load(&files, name, 1);
    texture->create();
    manager.addTexture(texture);
    return texture;
}

} // namespace

TEST(ParticlePictureGl, ATexturedQuadShowsItsPictureWhereItsAlphaLeavesItOpaque)
{
    MemoryFileSystem files;
    // Names outside the working directory: no ".dds" copies are written.
    files.addFile("/fx/colour.bmp", quarters(0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00));
    // White is clear: the bottom right quarter lets the background through.
    files.addFile("/fx/alpha.bmp", quarters(0x000000, 0x000000, 0x000000, 0xFFFFFF));
    for (bool fixedFunction : {true, false}) {
        SCOPED_TRACE(fixedFunction ? "fixed function" : "shaders");
        GlSceneRig rig;
        REQUIRE_GL(rig.start(64, fixedFunction), rig.failure());
        if (!fixedFunction)
            useMaterialShaders(*rig.renderer());
        SceneManager& manager = *rig.manager();
        ParticleRenderer quads(rig.renderer(), loadPicture(manager, files, "/fx/colour.bmp", TextureColour),
                               loadPicture(manager, files, "/fx/alpha.bmp", TextureAlphaOnly));
        quads.createBuffers();
        // At depth 2 the view spans -2..2: a quad of size 2 covers pixels 16
        // to 48, its quarters' middles lie at 24 and 40.
        Particle table[ParticleTableSize];
        table[0].alive = 1;
        table[0].size = 2.0f;
        table[0].position[2] = 2.0f;
        IDirect3DDevice9* d = rig.device();
        rig.setProjection(perspective90(0.5f, 100.0f));
        // As the scene draws particles on the fixed-function pipeline: lit,
        // with no light but their own.
        d->SetRenderState(D3DRS_LIGHTING, fixedFunction ? TRUE : FALSE);
        d->SetRenderState(D3DRS_AMBIENT, 0);
        rig.frame([&] { quads.render(0.0, table, rig.camera()); }, 0xFF404040u);
        auto at = [&](int x, int y) { return rig.pixel(x, y) & 0xFFFFFFu; };
        // The corner coordinates put the picture's right edge on the
        // camera's left, its top row at the top.
        EXPECT_EQ(at(24, 24), 0x00FF00u);
        EXPECT_EQ(at(40, 24), 0xFF0000u);
        EXPECT_EQ(at(24, 40), 0x404040u) << "clear in the alpha picture";
        EXPECT_EQ(at(40, 40), 0x0000FFu);
        EXPECT_EQ(at(8, 8), 0x404040u) << "outside the quad";
        EXPECT_STREQ(lastErrorText.c_str(), "");
    }
}
