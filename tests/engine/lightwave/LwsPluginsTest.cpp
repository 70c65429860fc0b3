#include "LwsRig.h"

#include "engine/scene/CollisionObject.h"
#include "engine/scene/FxCollision.h"
#include "engine/scene/FxGravity.h"
#include "engine/scene/FxWind.h"
#include "engine/scene/OdeJointItem.h"
#include "engine/scene/ParticleEmitter.h"

#include <ode/ode.h>

namespace {

using LwsPluginsTest = LwsRig;

TEST_F(LwsPluginsTest, PhysicsSceneMakesSpacesGeomsBodiesAndJoints)
{
    LwsWriter w;
    w.odeMaster({{"(default)", 1, -1}, {"Karts", 0, 5}, {"Odd", 7, 0}});
    w.loadObjectLayer(1, "Objects/cube.lwo").odeBody(1, 2, {1, 2, 3}, 1);
    w.addNullObject("Wheel").odeBody(0, 3, {0.5f, 1, 1});
    w.addNullObject("Ghost").odeBody(7, 3, {1, 1, 1});
    w.addNullObject("Broken").odeBody(0, 3, {0, 1, 1});
    w.loadObjectLayer(1, "Objects/cube.lwo").odeGeom(1, 4, 1, {2, 2, 2}, 0x10000001);
    w.loadObjectLayer(1, "Objects/cube.lwo").odeGeom(9, 77, 60, {1, 1, 1}, 0x40050000);
    w.addNullObject("Hinge").odeJoint(2, 0x10000000, 0x10000001, 5, 6);
    w.addNullObject("Loose").odeJoint(1, 0x10000000, 0x10000063);
    close(w);
    ASSERT_TRUE(load(w.text())) << lastError();

    ASSERT_EQ(scene->m_spaces.size(), 2u);
    EXPECT_EQ(scene->m_spaces[0].name, "(default)");
    EXPECT_EQ(dSpaceGetClass(scene->m_spaces[0].space), dHashSpaceClass);
    EXPECT_EQ(dGeomGetSpace(reinterpret_cast<dGeomID>(scene->m_spaces[0].space)), nullptr);
    EXPECT_EQ(dGeomGetData(reinterpret_cast<dGeomID>(scene->m_spaces[0].space)), nullptr);
    EXPECT_EQ(dSpaceGetClass(scene->m_spaces[1].space), dSimpleSpaceClass);
    EXPECT_EQ(dGeomGetSpace(reinterpret_cast<dGeomID>(scene->m_spaces[1].space)), scene->m_spaces[0].space);
    EXPECT_EQ(dGeomGetData(reinterpret_cast<dGeomID>(scene->m_spaces[1].space)), reinterpret_cast<void*>(1));

    MeshObject* box = object(1);
    ASSERT_NE(box->m_body, nullptr);
    EXPECT_DOUBLE_EQ(box->m_mass.mass, 12.0);
    EXPECT_EQ(dBodyGetAutoDisableFlag(box->m_body), 1);
    MeshObject* wheel = object(2);
    ASSERT_NE(wheel->m_body, nullptr);
    EXPECT_DOUBLE_EQ(wheel->m_mass.mass, 3.0);
    EXPECT_EQ(object(3)->m_body, nullptr); // unknown mass type
    EXPECT_EQ(object(4)->m_body, nullptr); // no size

    ASSERT_EQ(object(5)->m_itemType, uint32_t(ItemCollision));
    auto* geom = static_cast<CollisionObject*>(object(5));
    EXPECT_EQ(geom->m_shapeType, uint32_t(ShapeBox));
    EXPECT_EQ(geom->m_surfaceClass, 4u);
    EXPECT_EQ(geom->m_spaceIndex, 1u);
    EXPECT_FLOAT_EQ(geom->m_extents[1], 2.0f);
    EXPECT_EQ(geom->m_attachedTo, wheel);
    auto* odd = static_cast<CollisionObject*>(object(6));
    EXPECT_EQ(odd->m_shapeType, uint32_t(ShapeSphere));
    EXPECT_EQ(odd->m_surfaceClass, 0u);
    EXPECT_EQ(odd->m_spaceIndex, 0u);
    EXPECT_EQ(odd->m_attachedTo, nullptr);

    ASSERT_EQ(object(7)->m_itemType, uint32_t(ItemOdeJoint));
    auto* hinge = static_cast<OdeJointItem*>(object(7));
    EXPECT_EQ(hinge->m_jointType, uint32_t(JointHinge));
    EXPECT_EQ(hinge->m_object1, box);
    EXPECT_EQ(hinge->m_object2, wheel);
    EXPECT_FLOAT_EQ(hinge->m_springForce, 5.0f);
    EXPECT_FLOAT_EQ(hinge->m_damperForce, 6.0f);
    auto* loose = static_cast<OdeJointItem*>(object(8));
    EXPECT_EQ(loose->m_object1, box);
    EXPECT_EQ(loose->m_object2, nullptr);

    // The loaded scene prepares and steps.
    scene->prepare(nullptr, 0.0f, 1.0f);
    dWorldQuickStep(scene->m_world, 0.01);
}

TEST_F(LwsPluginsTest, ParticleBlocksFillTheirFieldsByPosition)
{
    LwsEmitter e;
    e.nozzleSize = {1, 2, 3};
    e.limit = 500;
    e.velocity = {4, 5, 6};
    e.inherit = 0.5f;
    e.drift = {7, 8, 9};
    e.birthRate = 20;
    e.nozzle = 4;
    e.generateBy = 0;
    e.lifeFrames = 60;
    e.lifeVariationFrames = 15;
    e.explosion = 2;
    e.trigger = 2;
    e.speedScale = 1.5f;
    e.drag = 3;
    e.speedScaleVariation = 0.25f;
    e.dragVariation = 0.125f;
    e.sizeStart = 10;
    e.sizeVariation = 1;
    e.maxStep = 0.75f;
    e.birthRateEnvelope.keys = {{5, 0, 0, {}}, {15, 1, 3, {}}};
    LwsGravity g;
    g.mode = 1;
    g.falloff = 2;
    g.radius = 4;
    g.strength = -2;
    g.direction = {0, 0, 1};
    LwsWind wind;
    wind.mode = 2;
    wind.falloff = 3;
    wind.radius = 6;
    wind.power = 7;
    wind.wind = {1, 2, 3};
    wind.vectorB = {0, 0, 2};
    LwsParticleCollision c;
    c.mode = 2;
    c.size = 0.5f;
    c.bounce = 0.25f;
    c.flag = true;
    c.scatter = 0.1f;

    LwsWriter w;
    w.loadObjectLayer(1, "Objects/cube.lwo").emitter(e).emitter({}, false);
    w.gravity(g).gravity({}, false).wind(wind).wind({}, false).particleCollision(c);
    close(w);
    ASSERT_TRUE(load(w.text())) << lastError();
    MeshObject* cube = object(1);

    ASSERT_EQ(scene->m_emitters.size(), 1u);
    const ParticleEmitter& p = *scene->m_emitters[0];
    EXPECT_EQ(p.m_item, cube);
    EXPECT_FLOAT_EQ(p.m_nozzleSize[2], 3.0f);
    EXPECT_EQ(p.m_limit, 100);
    EXPECT_FLOAT_EQ(p.m_velocity[1].m_value, 5.0f);
    EXPECT_FLOAT_EQ(p.m_inherit, 0.5f);
    EXPECT_FLOAT_EQ(p.m_drift[0], 7.0f);
    EXPECT_EQ(p.m_nozzle, 4);
    EXPECT_EQ(p.m_generateBy, 0);
    EXPECT_FLOAT_EQ(p.m_life.m_value, 2.0f);
    EXPECT_FLOAT_EQ(p.m_lifeVariation.m_value, 0.5f);
    EXPECT_FLOAT_EQ(p.m_explosion.m_value, 2.0f);
    EXPECT_EQ(p.m_trigger, 2);
    EXPECT_FLOAT_EQ(p.m_speedScale.m_value, 1.5f);
    EXPECT_FLOAT_EQ(p.m_drag.m_value, 3.0f);
    EXPECT_FLOAT_EQ(p.m_speedScaleVariation.m_value, 0.25f);
    EXPECT_FLOAT_EQ(p.m_dragVariation.m_value, 0.125f);
    EXPECT_FLOAT_EQ(p.m_sizeStart.m_value, 10.0f);
    EXPECT_FLOAT_EQ(p.m_sizeVariation.m_value, 1.0f);
    EXPECT_FLOAT_EQ(p.m_maxStep, 0.75f);
    ASSERT_NE(p.m_birthRate.m_envelope, nullptr);
    EXPECT_DOUBLE_EQ(p.m_birthRate.m_envelope->evaluate(1.0), 15.0);

    // Gravity, wind and collision; the switched-off ones are left out.
    ASSERT_EQ(scene->m_particleEffects.size(), 3u);
    const auto& gravity = static_cast<const FxGravity&>(*scene->m_particleEffects[0]);
    EXPECT_EQ(gravity.m_mode, 1);
    EXPECT_EQ(gravity.m_falloff, 2);
    EXPECT_FLOAT_EQ(gravity.m_radius.m_value, 4.0f);
    EXPECT_FLOAT_EQ(gravity.m_strength.m_value, -2.0f);
    EXPECT_FLOAT_EQ(gravity.m_direction[2], 1.0f);
    const auto& blow = static_cast<const FxWind&>(*scene->m_particleEffects[1]);
    EXPECT_EQ(blow.m_mode, 2);
    EXPECT_EQ(blow.m_falloff, 3);
    EXPECT_FLOAT_EQ(blow.m_radius.m_value, 6.0f);
    EXPECT_FLOAT_EQ(blow.m_power.m_value, 7.0f);
    EXPECT_FLOAT_EQ(blow.m_wind[2].m_value, 3.0f);
    EXPECT_FLOAT_EQ(blow.m_sceneVectorB[2], 2.0f);
    EXPECT_FLOAT_EQ(blow.m_sceneFloats[1], 0.5f);
    const auto& bounce = static_cast<const FxCollision&>(*scene->m_particleEffects[2]);
    EXPECT_EQ(bounce.m_mode, 2);
    EXPECT_FLOAT_EQ(bounce.m_size.m_value, 0.5f);
    EXPECT_FLOAT_EQ(bounce.m_bounce.m_value, 0.25f);
    EXPECT_EQ(bounce.m_flag, 1);
    EXPECT_FLOAT_EQ(bounce.m_scatter, 0.1f);
}

TEST_F(LwsPluginsTest, LevelsOfDetailAndMorphChannels)
{
    files.addFile("Objects/far.lwo", lwo2Cube());
    files.addFile("Objects/near.lwo", lwo2Cube());
    LwsEnvelope smile;
    smile.keys = {{0, 0, 0, {}}, {1, 1, 3, {}}};
    LwsWriter w;
    w.loadObjectLayer(1, "Objects/cube.lwo");
    w.levelsOfDetail({{50, "Objects\\\\far.lwo"}, {10, "Objects/near.lwo"}, {20, ""}, {30, "missing.lwo"}});
    w.morphMixer({{"Smile", smile}, {"Blink", {{{0.5f, 0, 0, {}}}}}});
    w.line("Plugin DisplacementHandler 1 OtherServer { MorphMixer Version 1 0 0 1 Morph 0 Nope } EndPlugin");
    close(w);
    files.addFile("Objects\\far.lwo", lwo2Cube());
    ASSERT_TRUE(load(w.text())) << lastError();
    MeshObject* cube = object(1);
    ASSERT_EQ(cube->m_lods.size(), 3u);
    EXPECT_FLOAT_EQ(cube->m_lods[0]->switchDistance, 0.0f);
    EXPECT_FLOAT_EQ(cube->m_lods[1]->switchDistance, 10.0f);
    EXPECT_FLOAT_EQ(cube->m_lods[2]->switchDistance, 50.0f);
    ASSERT_EQ(cube->m_namedValues.size(), 2u);
    EXPECT_EQ(cube->m_namedValues[0]->m_name, "Smile");
    ASSERT_NE(cube->m_namedValues[0]->m_envelope, nullptr);
    EXPECT_DOUBLE_EQ(cube->m_namedValues[0]->m_envelope->evaluate(1.0), 1.0);
    EXPECT_EQ(cube->m_namedValues[1]->m_name, "Blink");
    EXPECT_FLOAT_EQ(cube->m_namedValues[1]->m_value, 0.5f);
    EXPECT_EQ(cube->findByName("Blink"), cube->m_namedValues[1].get());
}

} // namespace
