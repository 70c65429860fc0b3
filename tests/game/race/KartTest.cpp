// A kart built from the fixture's rig: its parts and their owners, masses
// and springs, the look, and the drive values by class, driver and upgrades.
#include "RaceRig.h"

#include "engine/scene/CollisionObject.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/OdeJointItem.h"
#include "engine/scene/Scene.h"
#include "game/race/Kart.h"

#include <gtest/gtest.h>

namespace {

float bodyMass(const SceneObject* object)
{
    dMass m;
    dBodyGetMass(object->m_body, &m);
    return float(m.mass);
}

TEST(Kart, PartsAreFoundWithTheirMassesSpringsAndOwners)
{
    RaceRig rig;
    rig.setUp(2);
    Race& race = rig.load();
    ASSERT_TRUE(race.loaded());
    for (int32_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const Kart& kart = *race.m_karts[i];
        EXPECT_TRUE(kart.m_missing.empty());
        EXPECT_NEAR(bodyMass(kart.m_chassis), 0.6f, 1e-5f);
        for (int c = 0; c < Kart::Corners; ++c) {
            EXPECT_NEAR(bodyMass(kart.m_wheel[c]), 0.1f, 1e-5f);
            EXPECT_NEAR(bodyMass(kart.m_suspension[c]), 0.05f, 1e-5f);
            EXPECT_EQ(kart.m_wheel[c]->m_owner, &kart);
            const auto* spring = static_cast<const OdeJointItem*>(kart.m_suspensionJoint[c]);
            EXPECT_FLOAT_EQ(spring->m_springForce, 120.0f);
            EXPECT_FLOAT_EQ(spring->m_damperForce, 12.0f);
        }
        // Each kart's parts are its own copies.
        if (i == 1)
            EXPECT_NE(kart.m_chassis, race.m_karts[0]->m_chassis);
        int32_t owned = 0;
        for (MeshObject* object : race.m_scene->m_objects)
            if (object->m_name == "kartcol")
                owned += object->m_owner == &kart ? 1 : 0;
        EXPECT_EQ(owned, 1);
        ASSERT_NE(kart.m_groundRay, nullptr);
        EXPECT_EQ(kart.m_groundRay->m_surfaceClass, 3u);
        EXPECT_EQ(kart.m_groundRay->m_spaceIndex, uint32_t(Race::SpaceRay));
        EXPECT_EQ(kart.m_groundRay->m_owner, &kart);
        EXPECT_EQ(kart.m_energy.getId(), 39 + i);
        EXPECT_EQ(kart.energy(), 100);
        // The body is drawn by the kart, the driver rides on it.
        EXPECT_EQ(kart.m_body->m_hidden, 1);
        ASSERT_NE(kart.m_character, nullptr);
        EXPECT_EQ(kart.m_character->m_parent, kart.m_body);
        EXPECT_NE(kart.m_animation[Kart::AnimDrive], nullptr);
        EXPECT_EQ(kart.m_animation[Kart::AnimHammer], nullptr);
    }
}

TEST(Kart, TheLookShowsItsPartsAndTheKartDrawsItsSpoiler)
{
    RaceRig rig;
    RaceSetup& setup = rig.setUp(2);
    // Spoiler and side skirts of level 1 for kart 0; none for kart 1.
    setup.upgrades[0][0] = 1;
    setup.upgrades[0][2] = 1;
    Race& race = rig.load();
    ASSERT_TRUE(race.loaded());
    const Kart& dressed = *race.m_karts[0];
    const Kart& plain = *race.m_karts[1];
    ASSERT_NE(dressed.m_spoiler, nullptr);
    EXPECT_EQ(dressed.m_spoiler, dressed.m_layer[56]);
    EXPECT_EQ(dressed.m_spoiler->m_hidden, 1);
    EXPECT_EQ(dressed.m_layer[25]->m_hidden, 0);
    EXPECT_EQ(dressed.m_layerVisible[25], 1);
    EXPECT_EQ(plain.m_spoiler, nullptr);
    EXPECT_EQ(plain.m_layer[25]->m_hidden, 1);
    EXPECT_EQ(plain.m_layer[56]->m_hidden, 1);
    // Stock tyres are shown; layers the object lacks stay empty.
    for (int layer : {1, 7, 18, 24})
        EXPECT_EQ(plain.m_layer[layer]->m_hidden, 0) << layer;
    EXPECT_EQ(plain.m_layer[30], nullptr);
    EXPECT_EQ(plain.m_layerVisible[30], 0);
}

TEST(Kart, DriveValuesFollowClassDriverAndUpgrades)
{
    struct Case {
        const char* name;
        int32_t ccm;
        int32_t type;
        int32_t engine;
        int32_t spoiler;
        float forwardSpeed;
        float forwardForce;
        float drift;
        float slip;
        float steerAngle;
    };
    constexpr float kDegree = 0.017453292f;
    const Case cases[] = {
        {"class 0", 0, 1, 0, 0, 56.0f, 1.2f, 0.002f, 0.01f, 30.0f * kDegree},
        {"class 1", 1, 1, 0, 0, 68.0f, 1.2f, 0.002f, 0.01f, 30.0f * kDegree},
        {"class 2", 2, 1, 0, 0, 80.0f, 1.2f, 0.002f, 0.01f, 30.0f * kDegree},
        {"engine and spoiler", 2, 1, 1, 1, 88.0f, 1.44f, 0.003f, 0.01f, 30.0f * kDegree},
        {"levels the tables lack", 2, 1, 4, 5, 80.0f, 1.2f, 0.002f, 0.01f, 30.0f * kDegree},
        {"computer driver", 0, 4, 1, 1, 61.6f, 1.44f, 0.003f, 0.3f, 45.0f * kDegree},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RaceRig rig;
        RaceSetup& setup = rig.setUp(1, c.type);
        setup.ccm = c.ccm;
        setup.upgrades[0][3] = c.engine;
        setup.upgrades[0][0] = c.spoiler;
        Race& race = rig.load();
        ASSERT_TRUE(race.loaded());
        const Kart& kart = *race.m_karts[0];
        EXPECT_NEAR(kart.m_forwardSpeed, c.forwardSpeed, 1e-3f);
        EXPECT_NEAR(kart.m_baseForwardSpeed, 80.0f * (c.ccm == 0 ? 0.7f : c.ccm == 1 ? 0.85f : 1.0f), 1e-3f);
        EXPECT_NEAR(kart.m_forwardForce, c.forwardForce, 1e-5f);
        EXPECT_NEAR(kart.m_drift, c.drift, 1e-6f);
        EXPECT_NEAR(kart.m_slip, c.slip, 1e-6f);
        EXPECT_NEAR(kart.m_steerAngle, c.steerAngle, 1e-5f);
        EXPECT_NEAR(kart.m_reverseThreshold, c.type == 4 ? 0.05f : 0.2f, 1e-6f);
    }
}

} // namespace
