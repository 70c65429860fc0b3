// A scene drawn on the GL backend and read back: what the camera sees is
// there, near and far alike within the depth range the scene picks, and what
// an antiportal hides is not.
#include "engine/core/math/BoundingBox.h"
#include "engine/scene/Antiportal.h"
#include "engine/scene/Camera.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "support/ColourCube.h"
#include "support/GlRequirement.h"
#include "support/GlSceneRig.h"
#include "tools/lib/TriangleWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class SceneRenderGl : public testing::Test {
protected:
    void SetUp() override
    {
        if (!m_rig.start(64))
            return;
        m_scene = m_rig.scene();
        m_camera = m_rig.camera();
    }
    void TearDown() override
    {
        if (m_scene)
            m_scene->m_antiportals.clear();
        m_portal.reset();
    }

    void add(D3DCOLOR colour, float x, float y, float z)
    {
        m_cubes.push_back(std::make_unique<ColourCube>(m_rig.device(), colour, &m_draws));
        MeshObject* object = m_scene->addNullObject("cube", m_scene->m_root);
        object->addLod(m_cubes.back().get(), 0.0f);
        object->m_lods[0]->owned = 0;
        object->m_motion[PositionX].m_value = x;
        object->m_motion[PositionY].m_value = y;
        object->m_motion[PositionZ].m_value = z;
    }

    // An occluder over the right half of the view at depth 4, facing the eye.
    void addPortal()
    {
        const float z = 4.0f;
        std::vector<float> positions = {0.2f, -3, z, 3, -3, z, 0.2f, 3, z, 3, 3, z};
        m_portalMesh = std::make_unique<TriangleSource>(positions, std::vector<uint32_t>{0, 2, 1, 1, 2, 3});
        m_portalMesh->setMinMax(Vector3(0.2f, -3, z), Vector3(3, 3, z));
        m_portal = std::make_unique<Antiportal>(m_scene);
        m_portal->addLod(m_portalMesh.get(), 0.0f);
        m_portal->m_lods[0]->owned = 0;
        m_portal->initialize();
        m_scene->m_antiportals.push_back(m_portal.get());
    }

    void frame()
    {
        m_draws = 0;
        m_rig.frame([&] { m_scene->render(0.0, m_camera); });
    }
    D3DCOLOR pixel(int x, int y) { return m_rig.pixel(x, y) | 0xFF000000u; }

    int m_draws = 0;
    std::vector<std::unique_ptr<ColourCube>> m_cubes;
    std::unique_ptr<TriangleSource> m_portalMesh;
    std::unique_ptr<Antiportal> m_portal;
    // Last, so that the scene goes before the cubes and the portal's mesh
    // its objects draw.
    GlSceneRig m_rig;
    Scene* m_scene = nullptr;
    Camera* m_camera = nullptr;
};

} // namespace

TEST_F(SceneRenderGl, VisibleObjectsAppearAndOccludedOnesDoNot)
{
    REQUIRE_GL(m_rig.started(), m_rig.failure());
    add(0xFFFF0000u, -1.2f, 0, 8); // red, left
    add(0xFF00FF00u, 1.2f, 0, 8);  // green, right
    add(0xFF0000FFu, 0, 0, 100);   // blue, far in the middle
    add(0xFFFFFFFFu, 0, 0, -5);    // white, behind the eye
    frame();
    EXPECT_EQ(m_draws, 3);
    const D3DCOLOR red = pixel(20, 32), green = pixel(44, 32), middle = pixel(32, 32), corner = pixel(2, 2);
    EXPECT_EQ(red, 0xFFFF0000u);
    EXPECT_EQ(green, 0xFF00FF00u);
    EXPECT_EQ(middle, 0xFF0000FFu);
    EXPECT_EQ(corner, 0xFF000000u);

    // The occluder on the right hides the green cube; the portal itself
    // draws nothing, and the far blue cube straddles its edge.
    addPortal();
    frame();
    EXPECT_EQ(m_draws, 2);
    EXPECT_EQ(pixel(20, 32), 0xFFFF0000u);
    EXPECT_EQ(pixel(44, 32), 0xFF000000u);
    EXPECT_EQ(pixel(32, 32), 0xFF0000FFu);
}
