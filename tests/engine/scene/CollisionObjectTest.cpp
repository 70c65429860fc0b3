#include "engine/core/render/Renderer.h"
#include "engine/core/base/Report.h"
#include "engine/core/render/ShaderFloatParams.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/RecordedReports.h"
#include "support/RecordingWorld.h"
#include "support/RendererRig.h"
#include "tools/lib/TriangleWriter.h"

#include <gtest/gtest.h>

#include <ode/ode.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr float degrees = 0.017453292519943295f;

struct CollisionScene {
    CollisionScene() : scene(nullptr) { scene.addSpace(0, "top", SpaceRecord::NoParent); }

    CollisionObject* add(uint32_t shape, float x, float y, float z, const std::string& name = "geom")
    {
        const float size[3] = {x, y, z};
        return scene.addCollisionObject(shape, 3, 0, size, name);
    }
    // An object made as the loader makes them: settings first, then initialised.
    CollisionObject* make(uint32_t shape)
    {
        auto* object = new CollisionObject(&scene);
        object->m_shapeType = shape;
        scene.m_objects.push_back(object);
        return object;
    }

    RecordedReports reports;
    Scene scene;
};

// Blocks held from ODE's allocator while counted.
long g_odeBlocks = 0;

void* countedAlloc(dsizeint size)
{
    ++g_odeBlocks;
    return std::malloc(size);
}

void* countedRealloc(void* block, dsizeint, dsizeint size)
{
    if (!block)
        ++g_odeBlocks;
    return std::realloc(block, size);
}

void countedFree(void* block, dsizeint)
{
    if (block)
        --g_odeBlocks;
    std::free(block);
}

struct OdeBlockCount {
    OdeBlockCount()
    {
        g_odeBlocks = 0;
        dSetAllocHandler(countedAlloc);
        dSetReallocHandler(countedRealloc);
        dSetFreeHandler(countedFree);
    }
    ~OdeBlockCount()
    {
        dSetAllocHandler(nullptr);
        dSetReallocHandler(nullptr);
        dSetFreeHandler(nullptr);
    }
    long live() const { return g_odeBlocks; }
};

void expectNear3(const dReal* got, double x, double y, double z, double tolerance = 1e-5)
{
    EXPECT_NEAR(got[0], x, tolerance);
    EXPECT_NEAR(got[1], y, tolerance);
    EXPECT_NEAR(got[2], z, tolerance);
}

} // namespace

TEST(CollisionObjectTest, ShapesTakeTheirSizeFromExtentsTimesScale)
{
    struct Case {
        uint32_t shape;
        float extents[3];
        float scale[3];
        int geomClass;
        double expect[3];
    };
    const Case cases[] = {
        {ShapeSphere, {2, 1, 1}, {0.5f, 3, 3}, dSphereClass, {1, 0, 0}},
        {ShapeBox, {1, 2, 3}, {2, 2, 0.5f}, dBoxClass, {2, 4, 1.5}},
        // Size x is the radius and size z the length; size y counts for nothing.
        {ShapeCapsule, {1, 1, 1}, {0.25f, 9, 2}, dCapsuleClass, {0.25, 2, 0}},
        {ShapeRay, {1, 1, 1}, {1, 1, 1}, dRayClass, {DBL_MAX, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shape);
        CollisionScene s;
        CollisionObject* object = s.make(c.shape);
        for (int i = 0; i < 3; ++i) {
            object->m_extents[i] = c.extents[i];
            object->m_motion[ScaleX + i].m_value = c.scale[i];
        }
        object->initialize();
        ASSERT_NE(object->m_geom, nullptr);
        EXPECT_TRUE(object->m_initialized);
        EXPECT_EQ(dGeomGetClass(object->m_geom), c.geomClass);
        EXPECT_EQ(dGeomGetData(object->m_geom), object);
        EXPECT_EQ(dGeomGetSpace(object->m_geom), s.scene.m_spaces[0].space);
        dVector3 box;
        dReal radius, length;
        switch (c.shape) {
        case ShapeSphere:
            EXPECT_DOUBLE_EQ(dGeomSphereGetRadius(object->m_geom), c.expect[0]);
            break;
        case ShapeBox:
            dGeomBoxGetLengths(object->m_geom, box);
            expectNear3(box, c.expect[0], c.expect[1], c.expect[2]);
            break;
        case ShapeCapsule:
            dGeomCapsuleGetParams(object->m_geom, &radius, &length);
            EXPECT_DOUBLE_EQ(radius, c.expect[0]);
            EXPECT_DOUBLE_EQ(length, c.expect[1]);
            break;
        case ShapeRay:
            EXPECT_EQ(dGeomRayGetLength(object->m_geom), c.expect[0]);
            break;
        }
        EXPECT_EQ(s.reports.last(), "");
    }
}

TEST(CollisionObjectTest, PlanePassesThroughTheObjectWithItsZAxisAsNormal)
{
    struct Case {
        float heading, pitch;
        float position[3];
    };
    // Among them normals with an x part, where the plane must still hold p.
    const Case cases[] = {
        {0, 0, {0, 0, 0}},
        {0, 0, {1, 2, 3}},
        {90, 0, {4, -1, 2}},
        {30, 45, {-2, 5, 7}},
        {0, -90, {0, 3, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.heading);
        CollisionScene s;
        CollisionObject* object = s.make(ShapePlane);
        object->m_motion[RotationH].m_value = c.heading * degrees;
        object->m_motion[RotationP].m_value = c.pitch * degrees;
        for (int i = 0; i < 3; ++i)
            object->m_motion[PositionX + i].m_value = c.position[i];
        object->initialize();
        ASSERT_NE(object->m_geom, nullptr);
        dVector4 plane;
        dGeomPlaneGetParams(object->m_geom, plane);
        const Matrix4 world = object->getMatrix(0.0, true);
        expectNear3(plane, world.at(2, 0), world.at(2, 1), world.at(2, 2));
        EXPECT_NEAR(dGeomPlanePointDepth(object->m_geom, c.position[0], c.position[1], c.position[2]), 0.0, 1e-5);
        // One unit along the normal lies one unit in front of it.
        EXPECT_NEAR(dGeomPlanePointDepth(object->m_geom, c.position[0] + plane[0], c.position[1] + plane[1],
                                         c.position[2] + plane[2]),
                    -1.0, 1e-5);
    }
}

TEST(CollisionObjectTest, StaticGeomIsPlacedAtTheObjectAndFollowsItsAnimation)
{
    CollisionScene s;
    MeshObject* parent = s.scene.addNullObject("parent", s.scene.m_root);
    parent->m_motion[PositionX].m_value = 10.0f;
    CollisionObject* box = s.make(ShapeBox);
    parent->addChild(box);
    box->m_motion[PositionY].m_value = 2.0f;
    box->m_motion[RotationH].m_value = 90 * degrees;
    box->initialize();
    expectNear3(dGeomGetPosition(box->m_geom), 10, 2, 0);
    dMatrix3 expected;
    box->getOdeRotation(expected, 0.0);
    const dReal* r = dGeomGetRotation(box->m_geom);
    for (int i = 0; i < 12; ++i)
        EXPECT_NEAR(r[i], expected[i], 1e-6);

    // The channels move it; the next evaluation carries the geom along.
    box->m_motion[PositionY].m_value = 5.0f;
    parent->invalidateMatrices();
    box->invalidateMatrices();
    box->getMatrix(1.0);
    expectNear3(dGeomGetPosition(box->m_geom), 10, 5, 0);

    // A static ray starts at the object and points along its Z axis.
    CollisionObject* ray = s.make(ShapeRay);
    ray->initialize();
    for (float heading : {0.0f, 90.0f, 180.0f}) {
        ray->m_motion[RotationH].m_value = heading * degrees;
        ray->m_motion[PositionZ].m_value = heading;
        ray->invalidateMatrices();
        ray->getMatrix(0.0);
        dVector3 start, direction;
        dGeomRayGet(ray->m_geom, start, direction);
        expectNear3(start, 0, 0, heading);
        const Matrix4 w = ray->getMatrix(0.0);
        expectNear3(direction, w.at(2, 0), w.at(2, 1), w.at(2, 2));
    }
}

TEST(CollisionObjectTest, BodiesCarryGeomsAndAreNotMovedByTheAnimation)
{
    CollisionScene s;
    CollisionObject* chassis = s.make(ShapeBox);
    chassis->m_motion[PositionY].m_value = 1.0f;
    dMassSetBoxTotal(&chassis->m_mass, 2.0, 1, 1, 1);
    chassis->createBody();
    ASSERT_NE(chassis->m_body, nullptr);
    ASSERT_NE(chassis->m_geom, nullptr);
    EXPECT_EQ(dGeomGetBody(chassis->m_geom), chassis->m_body);

    // A wheel fixed to the chassis keeps its offset when the chassis moves.
    CollisionObject* wheel = s.make(ShapeSphere);
    wheel->m_attachedTo = chassis;
    wheel->m_motion[PositionX].m_value = 1.5f;
    wheel->m_motion[PositionY].m_value = 0.5f;
    wheel->initialize();
    EXPECT_EQ(dGeomGetBody(wheel->m_geom), chassis->m_body);
    dBodySetPosition(chassis->m_body, 4, 1, -3);
    expectNear3(dGeomGetPosition(wheel->m_geom), 5.5, 0.5, -3);

    // The animation does not move geoms on bodies.
    wheel->m_motion[PositionX].m_value = 100.0f;
    wheel->invalidateMatrices();
    wheel->getMatrix(0.0);
    expectNear3(dGeomGetPosition(wheel->m_geom), 5.5, 0.5, -3);

    // A carrier without a body leaves the geom where ODE made it.
    MeshObject* bare = s.scene.addNullObject("bare", s.scene.m_root);
    bare->m_motion[PositionX].m_value = 7.0f;
    CollisionObject* loose = s.make(ShapeSphere);
    loose->m_attachedTo = bare;
    loose->m_motion[PositionX].m_value = 3.0f;
    loose->initialize();
    EXPECT_EQ(dGeomGetBody(loose->m_geom), nullptr);
    expectNear3(dGeomGetPosition(loose->m_geom), 0, 0, 0);

    // A mass ODE would refuse gives no body, with a report instead of an abort.
    CollisionObject* broken = s.make(ShapeSphere);
    dMassSetSphereTotal(&broken->m_mass, 1.0, 0.5);
    broken->m_mass.mass = -1.0;
    broken->createBody();
    EXPECT_EQ(broken->m_body, nullptr);
    EXPECT_NE(broken->m_geom, nullptr);
    EXPECT_EQ(s.reports.last(), "invalid mass: no rigid body made");

    chassis->destroyBody();
    EXPECT_EQ(chassis->m_body, nullptr);
    EXPECT_EQ(chassis->m_geom, nullptr);
}

TEST(CollisionObjectTest, BadDataIsRefusedWithAReportNeverAnAbort)
{
    struct Case {
        uint32_t shape;
        uint32_t spaceIndex;
        uint32_t surfaceClass;
        float size[3];
        bool geom;
        bool inSpace;
        const char* report;
    };
    const float nan = std::nanf("");
    const Case cases[] = {
        {ShapeSphere, 1, 0, {1, 1, 1}, true, false,
         "collision space index outside the scene's spaces: the object collides with nothing"},
        {ShapeSphere, 0xFFFFFFFFu, 0, {1, 1, 1}, true, false,
         "collision space index outside the scene's spaces: the object collides with nothing"},
        {ShapeBox, 0, 50, {1, 1, 1}, true, true, "collision surface class outside 0 to 49: the object collides with nothing"},
        {ShapeSphere, 0, 0, {-1, 1, 1}, false, false, "collision shape size is negative or not a number"},
        {ShapeBox, 0, 0, {1, nan, 1}, false, false, "collision shape size is negative or not a number"},
        {ShapeCapsule, 0, 0, {1, 1, -2}, false, false, "collision shape size is negative or not a number"},
        {6, 0, 0, {1, 1, 1}, false, false, "unknown collision shape"},
        {ShapeTriMesh, 0, 0, {1, 1, 1}, false, false, "collision mesh has no triangles"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report);
        CollisionScene s;
        CollisionObject* object = s.scene.addCollisionObject(c.shape, c.surfaceClass, c.spaceIndex, c.size, "bad");
        EXPECT_EQ(object->m_geom != nullptr, c.geom);
        if (object->m_geom)
            EXPECT_EQ(dGeomGetSpace(object->m_geom) != nullptr, c.inSpace);
        EXPECT_EQ(s.reports.last(), c.report);
    }
}

TEST(CollisionObjectTest, FactoryListsTheObjectUnderNoParent)
{
    CollisionScene s;
    CollisionObject* object = s.add(ShapeBox, 1, 2, 3, "crate");
    EXPECT_EQ(object->m_itemType, uint32_t(ItemCollision));
    EXPECT_EQ(object->m_name, "crate");
    EXPECT_EQ(object->m_parent, nullptr);
    EXPECT_EQ(s.scene.m_objects.back(), object);
    EXPECT_TRUE(s.scene.m_root->m_children.empty());
    EXPECT_EQ(object->m_surfaceClass, 3u);
    EXPECT_EQ(object->m_motion[ScaleY].m_value, 2.0f);
    // A copy takes the settings but makes its own geom only when initialised.
    std::unique_ptr<SceneObject> copy(object->clone());
    auto* twin = static_cast<CollisionObject*>(copy.get());
    EXPECT_EQ(twin->m_geom, nullptr);
    EXPECT_EQ(twin->m_shapeType, uint32_t(ShapeBox));
    EXPECT_EQ(twin->m_surfaceClass, 3u);
}

TEST(CollisionObjectTest, TriangleMeshKeepsItsOwnCopyAndReleasesItOnReinitialise)
{
    CollisionScene s;
    auto* source = writeRamp(4.0f, 2.0f, 2.0f, 1.0f, 4);
    CollisionObject* ramp = s.make(ShapeTriMesh);
    ramp->addLod(source, 0.0f);
    ramp->initialize();
    ASSERT_NE(ramp->m_geom, nullptr);
    EXPECT_EQ(dGeomGetClass(ramp->m_geom), dTriMeshClass);
    EXPECT_EQ(dGeomTriMeshGetTriangleCount(ramp->m_geom), 10);
    EXPECT_EQ(source->m_copies, 1);

    // Initialising again makes new data and frees the old: what ODE holds
    // stays the same over further runs.
    {
        OdeBlockCount blocks;
        ramp->initialize();
        const long held = blocks.live();
        for (int i = 0; i < 3; ++i)
            ramp->initialize();
        EXPECT_EQ(blocks.live(), held);
    }
    EXPECT_EQ(source->m_copies, 5);
    EXPECT_NE(ramp->m_triMeshData, nullptr);
    EXPECT_EQ(dGeomTriMeshGetData(ramp->m_geom), ramp->m_triMeshData);

    // The visible mesh may free its arrays: the geom still collides.
    source->m_positions.clear();
    source->m_positions.shrink_to_fit();
    source->m_indices.clear();
    source->m_indices.shrink_to_fit();
    dGeomID ball = dCreateSphere(nullptr, 0.5);
    dGeomSetPosition(ball, 2.0, 1.2, 0.0);
    dContactGeom contacts[4];
    EXPECT_GT(dCollide(ball, ramp->m_geom, 4, contacts, sizeof(dContactGeom)), 0);
    dGeomDestroy(ball);
    ramp->m_lods.clear();
    delete source;

    // Malformed triangles never reach ODE.
    struct Bad {
        std::vector<float> positions;
        std::vector<uint32_t> indices;
    };
    const Bad bad[] = {
        {{0, 0, 0, 1, 0, 0, 0, 0, 1}, {0, 1, 3}},
        {{0, 0, 0, 1, 0, 0, 0, 0, 1}, {0, 1}},
        {{0, 0, 0, 1, 0, 0, 0, 0}, {0, 1, 2}},
        {{0, 0, 0, 1, 0, 0, 0, 0, std::nanf("")}, {0, 1, 2}},
        {{}, {}},
    };
    for (const Bad& b : bad) {
        TriangleSource broken(b.positions, b.indices);
        CollisionObject* object = s.make(ShapeTriMesh);
        object->addLod(&broken, 0.0f);
        object->initialize();
        EXPECT_EQ(object->m_geom, nullptr);
        EXPECT_EQ(object->m_triMeshData, nullptr);
        EXPECT_EQ(s.reports.last(), "collision mesh triangles are malformed");
        object->m_lods.clear();
    }
}

TEST(CollisionObjectTest, DisplayLinesFollowTheShape)
{
    const float e[3] = {2.0f, 4.0f, 6.0f};
    std::vector<CollisionLineVertex> lines;
    CollisionDisplay::buildLines(ShapeBox, e, lines);
    ASSERT_EQ(lines.size(), 24u);
    // The face z = -3, then z = +3, then the four edges between them.
    const float expectBox[24][3] = {
        {-1, -2, -3}, {1, -2, -3}, {1, -2, -3}, {1, 2, -3}, {-1, 2, -3}, {1, 2, -3}, {-1, 2, -3}, {-1, -2, -3},
        {-1, -2, 3},  {1, -2, 3},  {1, -2, 3},  {1, 2, 3},  {-1, 2, 3},  {1, 2, 3},  {-1, 2, 3},  {-1, -2, 3},
        {-1, -2, -3}, {-1, -2, 3}, {1, -2, -3}, {1, -2, 3}, {-1, 2, -3}, {-1, 2, 3}, {1, 2, -3},  {1, 2, 3},
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].x, expectBox[i][0]) << i;
        EXPECT_EQ(lines[i].y, expectBox[i][1]) << i;
        EXPECT_EQ(lines[i].z, expectBox[i][2]) << i;
    }

    CollisionDisplay::buildLines(ShapeSphere, e, lines);
    ASSERT_EQ(lines.size(), 96u);
    // Three ellipses: in the XZ, XY and YZ planes, each closing on itself.
    for (size_t i = 0; i < lines.size(); i += 2) {
        const int ring = int(i / 2) % 3;
        for (const CollisionLineVertex& v : {lines[i], lines[i + 1]}) {
            const float a = ring == 2 ? v.y / e[1] : v.x / e[0];
            const float b = ring == 0 ? v.z / e[2] : ring == 1 ? v.y / e[1] : v.z / e[2];
            EXPECT_NEAR(a * a + b * b, 1.0f, 1e-5f) << i;
            EXPECT_EQ(ring == 0 ? v.y : ring == 1 ? v.z : v.x, 0.0f);
        }
    }
    EXPECT_NEAR(lines[0].z, e[2], 1e-6f);
    // The last segment of the first ellipse closes on its first point.
    EXPECT_NEAR(lines[91].x, lines[0].x, 1e-5f);
    EXPECT_NEAR(lines[91].z, lines[0].z, 1e-5f);

    for (uint32_t shape : {ShapeCapsule, ShapeTriMesh, ShapePlane, ShapeRay}) {
        CollisionDisplay::buildLines(shape, e, lines);
        EXPECT_TRUE(lines.empty());
    }
}

TEST(CollisionObjectTest, DisplayIsMadeWithGadgetsOnAndDrawsInTheObjectFrame)
{
    RecordingWorld world;
    RendererRig rig;
    ASSERT_TRUE(rig.start());
    IDirect3DDevice9* device = rig.device();
    ShaderFloatParams* params = rig.renderer->m_shaderFloatParams.get();
    SceneManager manager(rig.renderer.get(), "collision");
    Scene* scene = manager.loadScene("display");
    scene->addSpace(0, "top", SpaceRecord::NoParent);
    const float size[3] = {1, 1, 1};

    CollisionObject* hidden = scene->addCollisionObject(ShapeBox, 0, 0, size, "hidden");
    EXPECT_EQ(hidden->m_collisionDisplay, nullptr);
    rig.renderer->m_drawGadgets = 1;
    CollisionObject* box = scene->addCollisionObject(ShapeBox, 0, 0, size, "box");
    ASSERT_NE(box->m_collisionDisplay, nullptr);
    EXPECT_EQ(box->m_extraDisplay, box->m_collisionDisplay.get());
    box->m_motion[PositionX].m_value = 3.0f;

    const Matrix4 before = SceneMath::translation(0.0f, 7.0f, 0.0f);
    params->m_world = before;
    D3DMATRIX d3dBefore;
    std::memcpy(&d3dBefore, before.m, sizeof before.m);
    device->SetTransform(D3DTS_WORLD, &d3dBefore);
    auto draws = [&] {
        const auto& calls = static_cast<RecordingBackend&>(device->backend()).calls();
        return std::count_if(calls.begin(), calls.end(), [](const std::string& call) {
            return call.rfind("draw type 2 primitives 12 vertices", 0) == 0;
        });
    };
    const auto drawn = draws();
    box->m_extraDisplay->render();
    EXPECT_EQ(draws(), drawn + 1);
    EXPECT_EQ(params->m_world, before);
    EXPECT_FALSE(params->m_transformsValid);
    EXPECT_EQ(device->state().transform(D3DTS_WORLD)._42, 7.0f);
    EXPECT_EQ(device->state().renderState(D3DRS_ZWRITEENABLE), DWORD(TRUE));
    EXPECT_EQ(device->state().renderState(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
    EXPECT_EQ(device->state().textureStageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
    const D3DMATERIAL9& material = device->state().material();
    EXPECT_EQ(material.Diffuse.r, 0.0f);
    EXPECT_EQ(material.Diffuse.g, 1.0f);
    EXPECT_EQ(material.Emissive.b, 1.0f);
    rig.renderer->m_drawGadgets = 0;
}
