// A mirror floor drawn on the GL backend and read back: the cube above it
// shows twice, once upside down inside the floor, and what lies under the
// floor shows neither directly nor in the reflection.
#include "LwoRig.h"

#include "engine/core/math/BoundingBox.h"
#include "engine/core/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/MeshObject.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "support/ColourCube.h"
#include "support/DeviceReadBack.h"
#include "support/GlRequirement.h"
#include "support/RendererRig.h"
#include "support/ScopedWorkingDirectory.h"

namespace {

class MirrorGlTest : public LwoRig {
protected:
    void SetUp() override
    {
        LwoRig::SetUp();
        selectD3D9Backend(D3D9Backend::Gl);
        testing::internal::CaptureStderr();
        m_rig = std::make_unique<RendererRig>();
        m_started = m_rig->start(64, 64, true);
        m_startOutput = testing::internal::GetCapturedStderr();
        drainWindowMessages();
        if (!m_started)
            return;
        manager = std::make_unique<SceneManager>(m_rig->renderer.get(), "mirror");
        scene = manager->loadScene("mirror");
        m_camera = scene->addCamera(true);
    }
    void TearDown() override
    {
        manager.reset();
        m_cubes.clear();
        m_rig.reset();
        drainWindowMessages();
        selectD3D9Backend(D3D9Backend::Default);
        LwoRig::TearDown();
    }

    void addCube(D3DCOLOR colour, float y, float z)
    {
        m_cubes.push_back(std::make_unique<ColourCube>(m_rig->device(), colour));
        MeshObject* object = scene->addNullObject("cube", scene->m_root);
        object->addLod(m_cubes.back().get(), 0.0f);
        object->m_motion[PositionY].m_value = y;
        object->m_motion[PositionZ].m_value = z;
    }

    D3DCOLOR pixel(int x, int y) { return readBackBufferPixel(m_rig->device(), x, y) | 0xFF000000u; }

    ScopedWorkingDirectory m_folder{"mirrorgl"};
    std::unique_ptr<RendererRig> m_rig;
    bool m_started = false;
    std::string m_startOutput;
    Camera* m_camera = nullptr;
    std::vector<std::unique_ptr<ColourCube>> m_cubes;
};

} // namespace

TEST_F(MirrorGlTest, FloorMirrorShowsTheCubeAboveItUpsideDown)
{
    REQUIRE_GL(m_started, m_startOutput);
    // A black, fully reflective floor quad one unit under the eye, from z 2
    // to z 20, facing up.
    Lwo2Writer w;
    w.tags({"Mirror"});
    w.layer(0);
    w.points({{-4, 0, 2}, {-4, 0, 20}, {4, 0, 20}, {4, 0, 2}});
    w.polygons({{0, 1, 2, 3}});
    w.polygonTags({0});
    Lwo2Surface s;
    s.name = "Mirror";
    s.color = {0, 0, 0};
    s.values = {{"REFL", 1.0f}};
    s.reflectionMode = 0;
    w.surface(s);
    files.addFile("floor.lwo", w.finish());
    MeshObject* floor = scene->loadObjectLayer(&files, "floor.lwo", 0, scene->m_root);
    ASSERT_NE(floor, nullptr) << lastError();
    floor->m_motion[PositionY].m_value = -1.0f;
    addCube(0xFFFF0000u, 0.0f, 10.0f);  // red, straight ahead above the floor
    addCube(0xFF0000FFu, -3.0f, 10.0f); // blue, under the floor

    IDirect3DDevice9* d = m_rig->device();
    ASSERT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000u, 1.0f, 0),
              D3D_OK);
    d->BeginScene();
    scene->render(0.0, m_camera);
    d->EndScene();

    auto red = [](D3DCOLOR c) { return (c & 0xFF0000u) > 0x800000u && (c & 0xFFu) < 0x80u; };
    auto blue = [](D3DCOLOR c) { return (c & 0xFFu) > 0x80u && (c & 0xFF0000u) < 0x800000u; };
    EXPECT_EQ(pixel(32, 32), 0xFFFF0000u) << "the cube itself";
    // Its image lies in the floor between rows 48 and 56 (y -1.5 to -2.5
    // seen at depth 9.5 to 10.5).
    EXPECT_EQ(pixel(32, 52), 0xFFFF0000u) << "the cube in the mirror";
    EXPECT_FALSE(red(pixel(12, 52))) << "the floor beside the image";
    EXPECT_FALSE(red(pixel(32, 44))) << "the floor between the cube and its image";
    EXPECT_EQ(pixel(32, 10), 0xFF000000u) << "the sky";
    // The blue cube would show at the bottom edge without the floor, and
    // its image above the horizon without the stencil and the clip plane.
    EXPECT_FALSE(blue(pixel(32, 61))) << "under the floor";
    EXPECT_EQ(pixel(32, 22), 0xFF000000u) << "no image of what lies under the floor";
}
