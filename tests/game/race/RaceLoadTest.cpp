// Building a race from its set-up: karts and controllers by player type, the
// collision spaces, the contact and filter tables, the grid, and the set-ups
// that are refused.
#include "RaceRig.h"

#include "engine/core/base/Report.h"
#include "engine/scene/CollideFilter.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/Scene.h"
#include "game/race/AIKartController.h"
#include "game/race/HumanKartController.h"
#include "game/race/Kart.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

TEST(RaceLoad, PlayerTypesChooseControllersAndViews)
{
    struct Case {
        const char* name;
        int32_t mode;
        std::vector<int32_t> types;
        int32_t views;
    };
    const Case cases[] = {
        {"one player and two computers", 0, {1, 4, 4}, 1},
        {"two players on one machine", 1, {2, 3, 4}, 2},
        {"a network kart", 0, {1, 5}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RaceRig rig;
        RaceSetup& setup = rig.setUp(int32_t(c.types.size()));
        setup.mode = c.mode;
        for (size_t i = 0; i < c.types.size(); ++i)
            setup.playerType[i] = c.types[i];
        Race& race = rig.load();
        ASSERT_TRUE(race.loaded());
        EXPECT_EQ(race.result(), 0);
        EXPECT_EQ(race.m_kartCount, int32_t(c.types.size()));
        EXPECT_EQ(race.m_viewCount, c.views);
        for (size_t i = 0; i < c.types.size(); ++i) {
            const Kart* kart = race.m_karts[i];
            ASSERT_NE(kart, nullptr);
            EXPECT_EQ(kart->m_index, int32_t(i));
            const int32_t type = c.types[i];
            const KartController* primary = kart->m_controller;
            const KartController* second = kart->m_finishController;
            if (type <= 3) {
                EXPECT_EQ(primary->getType(), KartController::Human);
                EXPECT_EQ(static_cast<const HumanKartController*>(primary)->m_keys.fire,
                          HumanKartController::kKeySets[type - 1].fire);
                EXPECT_EQ(second->getType(), KartController::Computer);
                EXPECT_NE(primary, second);
            } else {
                EXPECT_EQ(primary, second);
                EXPECT_EQ(primary->getType(), type == 4 ? KartController::Computer : KartController::Network);
                EXPECT_EQ(primary->m_refCount, 2u);
            }
            EXPECT_EQ(primary->m_kart, kart);
        }
    }
}

TEST(RaceLoad, SpacesContactsAndFiltersAreInstalled)
{
    RaceRig rig;
    rig.setUp(2);
    Race& race = rig.load();
    ASSERT_TRUE(race.loaded()) << lastErrorText.c_str();
    Scene& scene = *race.m_scene;

    const std::pair<const char*, uint32_t> spaces[] = {{"(default)", 1}, {"karts", 1}, {"floor", 0},
                                                       {"check", 1},     {"ray", 0},   {"obstacles", 1}};
    ASSERT_EQ(scene.m_spaces.size(), 6u);
    for (uint32_t i = 0; i < 6; ++i) {
        EXPECT_EQ(scene.m_spaces[i].name, spaces[i].first);
        EXPECT_EQ(scene.m_spaces[i].type, spaces[i].second);
        EXPECT_EQ(scene.m_spaces[i].parentIndex, i == 0 ? SpaceRecord::NoParent : 0u);
    }

    // Every registered pair reaches one handler in both orders.
    const std::vector<std::vector<std::pair<uint32_t, uint32_t>>> pairs = {
        {{6, 10}},
        {{6, 12}, {6, 11}, {6, 13}},
        {{2, 9}, {6, 9}},
        {{2, 8}, {6, 8}},
        {{2, 7}, {6, 7}},
        {{2, 5}, {6, 5}},
        {{2, 2}},
        {{2, 10}, {2, 11}, {2, 13}, {2, 12}, {2, 20}, {6, 20}},
        {{6, 2}},
        {{30, 6}, {30, 2}},
        {{3, 10}, {3, 12}, {3, 11}, {3, 13}},
        {{29, 10}, {29, 12}, {29, 11}, {29, 13}},
        {{25, 2}, {25, 6}},
        {{17, 2}, {17, 6}},
        {{15, 2}, {15, 6}},
        {{16, 2}, {16, 6}},
        {{31, 10}, {31, 11}, {31, 13}, {31, 12}},
        {{30, 20}},
        {{35, 10}, {35, 12}, {35, 11}, {35, 13}, {35, 2}},
    };
    ASSERT_EQ(race.m_contactHandlers.size(), pairs.size());
    std::set<std::pair<uint32_t, uint32_t>> listed;
    for (size_t h = 0; h < pairs.size(); ++h)
        for (const auto& [a, b] : pairs[h]) {
            EXPECT_EQ(scene.m_contactTable.m_handlers[a][b], race.m_contactHandlers[h]) << a << "-" << b;
            EXPECT_EQ(scene.m_contactTable.m_handlers[b][a], race.m_contactHandlers[h]) << b << "-" << a;
            listed.insert({a, b});
            listed.insert({b, a});
        }
    for (uint32_t a = 0; a < ContactTable::Size; ++a)
        for (uint32_t b = 0; b < ContactTable::Size; ++b)
            if (!listed.count({a, b}))
                EXPECT_EQ(scene.m_contactTable.m_handlers[a][b], &scene.m_contactTable.m_default);

    const std::set<std::pair<uint32_t, uint32_t>> enabled = {{1, 1}, {1, 2}, {2, 1}, {1, 3}, {3, 1}, {1, 5},
                                                             {5, 1}, {2, 4}, {4, 2}, {2, 5}, {5, 2}, {5, 5}};
    for (uint32_t a = 0; a < CollideFilterTable::Size; ++a)
        for (uint32_t b = 0; b < CollideFilterTable::Size; ++b)
            EXPECT_EQ(scene.m_collideFilterTable.m_filters[a][b]->m_enabled, enabled.count({a, b}) != 0)
                << a << "-" << b;
}

TEST(RaceLoad, KartsStandOnTheirGridPlacesAndTheCheckpointsAreNumbered)
{
    RaceRig rig;
    RaceSetup& setup = rig.setUp(7);
    // The grid places count from the front; players may take any of them.
    for (int32_t i = 0; i < 7; ++i)
        setup.startSlot[i] = 6 - i;
    Race& race = rig.load();
    ASSERT_TRUE(race.loaded());
    EXPECT_EQ(race.m_countdownPhase, 1);
    EXPECT_EQ(race.m_countdownStart, -1.0f);
    for (int32_t i = 0; i < 7; ++i) {
        const Kart& kart = *race.m_karts[i];
        EXPECT_EQ(kart.m_rank, 6 - i);
        EXPECT_EQ(kart.m_gear, 0);
        const float s = -(6.0f + 3.0f * float(6 - i));
        const Vector3 place = RaceFixture::ringPoint(s);
        EXPECT_NEAR(kart.m_position.x, place.x, 3.0f) << i;
        EXPECT_NEAR(kart.m_position.z, place.z, 3.0f) << i;
    }
    int32_t triggers = 0;
    for (MeshObject* object : race.m_scene->m_objects)
        if (object->m_name == "check")
            EXPECT_EQ(static_cast<CollisionObject*>(object)->m_trigger, triggers++);
    EXPECT_EQ(triggers, 3);
    EXPECT_EQ(race.m_itemPickups.size(), 1u);
    EXPECT_EQ(race.m_coins.size(), 1u);
    // Coins only count in a coin race.
    EXPECT_EQ(race.m_coins[0]->m_hidden, 1);
    EXPECT_EQ(race.m_itemPickups[0]->m_hidden, 0);
}

TEST(RaceLoad, SetUpsThatCannotBeRacedAreRefusedWithAReport)
{
    struct Case {
        const char* name;
        std::function<void(RaceSetup&)> change;
        const char* report;
    };
    const Case cases[] = {
        {"unknown level", [](RaceSetup& s) { s.level = "nowhere"; }, "no level named \"nowhere\""},
        {"unknown kart", [](RaceSetup& s) { s.kartName[1] = "nobody"; }, "no kart named \"nobody\""},
        {"player type out of range", [](RaceSetup& s) { s.playerType[1] = 9; }, "player 1 has type 9"},
        {"a gap among the players", [](RaceSetup& s) { s.playerType[0] = 0; }, "player 0 has type 0"},
        {"level without checkpoints", [](RaceSetup& s) { s.level = "nochecks"; }, "0 check objects"},
        {"kart scene without a joint", [](RaceSetup& s) { s.kartName[2] = "broken"; }, "jointBRwheel"},
        {"network game without the local kart",
         [](RaceSetup& s) {
             s.mode = 2;
             s.localSlot = 5;
         },
         "slot 5 holds no kart"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RaceRig rig;
        c.change(rig.setUp(3));
        Race& race = rig.load();
        EXPECT_FALSE(race.loaded());
        EXPECT_EQ(race.result(), 1);
        const std::string report(lastErrorText.c_str());
        EXPECT_NE(report.find(c.report), std::string::npos) << report;
        // A refused race does nothing when updated, and is deleted cleanly.
        rig.frame(0.1);
        EXPECT_EQ(race.result(), 1);
        rig.destroy();
    }
}

TEST(RaceLoad, TheApplicationGoesBackToTheMenuAfterARefusedRace)
{
    RaceRig rig;
    rig.setUp(2).level = "nowhere";
    Application& app = *rig.app;
    app.m_state = Application::StateRace;
    app.m_race = &rig.load();
    ASSERT_EQ(app.m_race->result(), 1);
    // The application owns the race from here: it deletes it.
    rig.race.release();
    app.update(&rig.input);
    EXPECT_EQ(app.m_state, Application::StateRaceEnded);
    app.update(&rig.input);
    EXPECT_EQ(app.m_race, nullptr);
    EXPECT_EQ(app.m_state, Application::StateCreateMenu);
}

} // namespace
