#include "LwoRig.h"

#include "engine/scene/CollisionObject.h"
#include "engine/scene/NearCallback.h"

#include <ode/ode.h>

#include <cmath>

namespace {

using LwCollisionTest = LwoRig;

// A valley 4 units wide along X: down from height 2 at x = -4 to the bottom
// at x = 0 and up again, one quad per half unit, wound as LightWave winds a
// face seen from above.
std::vector<uint8_t> valley()
{
    Lwo2Writer w;
    w.tags({"Ground"});
    w.layer(0);
    std::vector<std::array<float, 3>> points;
    for (int i = -8; i <= 8; ++i) {
        const float x = 0.5f * float(i), y = 0.25f * float(std::abs(i));
        points.push_back({x, y, -2.0f});
        points.push_back({x, y, 2.0f});
    }
    w.points(points);
    std::vector<std::vector<uint32_t>> quads;
    for (uint32_t a = 0; a + 3 < points.size(); a += 2)
        quads.push_back({a, a + 1, a + 3, a + 2});
    w.polygons(quads);
    w.polygonTags(std::vector<uint16_t>(quads.size(), 0));
    Lwo2Surface s;
    s.name = "Ground";
    w.surface(s);
    return w.finish();
}

TEST_F(LwCollisionTest, SphereRollsDownALoadedLayerAfterTheVisibleMeshDroppedItsBuildData)
{
    scene->addSpace(1, "top", SpaceRecord::NoParent);
    CollideFilter enabled(true);
    scene->m_collideFilterTable.m_filters[0][0] = &enabled;

    LwMesh* layer = load("valley.lwo", valley())->layer(0);
    ASSERT_NE(layer, nullptr);
    auto* ground = new CollisionObject(scene);
    ground->m_shapeType = ShapeTriMesh;
    ground->addLod(layer, 0.0f);
    scene->m_objects.push_back(ground);
    ground->initialize();
    ASSERT_NE(ground->m_geom, nullptr);
    EXPECT_EQ(dGeomTriMeshGetTriangleCount(ground->m_geom), 32);
    // A visible object of the same layer builds it for drawing and lets go
    // of the build arrays; the collision mesh holds its own copy.
    ASSERT_TRUE(layer->build(nullptr, false));

    const float size[3] = {0.3f, 0.3f, 0.3f};
    CollisionObject* ball = scene->addCollisionObject(ShapeSphere, 0, 0, size, "ball");
    ball->m_motion[PositionX].m_value = -3.5f;
    ball->m_motion[PositionY].m_value = 2.5f;
    dMassSetSphereTotal(&ball->m_mass, 1.0, 0.3);
    ball->createBody();
    ASSERT_NE(ball->m_body, nullptr);
    // Nothing in a rigid-body world resists rolling; the game damps its
    // bodies as this does.
    dBodySetAngularDamping(ball->m_body, 0.05);
    dBodySetLinearDamping(ball->m_body, 0.05);
    for (int i = 0; i < 2000; ++i) {
        dSpaceCollide(scene->getSpace(0).space, scene, nearCallback);
        dWorldQuickStep(scene->m_world, 0.01);
        dJointGroupEmpty(scene->m_contactGroup);
    }
    const dReal* p = dBodyGetPosition(ball->m_body);
    EXPECT_NEAR(p[0], 0.0, 0.1);
    EXPECT_GT(p[1], 0.3);
    EXPECT_LT(p[1], 0.45);
    EXPECT_EQ(lastError(), "");
    ground->m_lods.clear();
}

} // namespace
