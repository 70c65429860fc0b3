// The race's contact handlers, one contact point at a time: the parameters
// they answer and what they do to the karts and pickups they touch.
#include "engine/core/math/Vector3.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/OdeRuntime.h"
#include "game/app/RaceSetup.h"
#include "game/app/TuningValues.h"
#include "game/race/ContactHandlers.h"
#include "game/race/Kart.h"
#include "game/race/KartController.h"

#include "RaceRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// A human driver whose outputs the test leaves alone.
class Driver : public KartController {
public:
    int32_t getType() const override { return Human; }
};

// Karts without a scene, collision objects with bare geoms (and bodies where
// asked), and a race that is not loaded: what the handlers read.
class Contacts : public ::testing::Test {
protected:
    void SetUp() override
    {
        OdeRuntime::ensure();
        m_world = dWorldCreate();
        m_setup.gameType = Race::SingleRace;
        m_race.m_setup = &m_setup;
        for (int32_t i = 0; i < 2; ++i) {
            auto* driver = new Driver();
            m_karts.push_back(
                std::make_unique<Kart>(nullptr, nullptr, i, nullptr, driver, driver, nullptr, nullptr, 0));
        }
    }
    void TearDown() override
    {
        m_objects.clear();
        m_karts.clear();
        dWorldDestroy(m_world);
    }

    CollisionObject* object(uint32_t surfaceClass, Kart* owner = nullptr, bool body = false)
    {
        auto object = std::make_unique<CollisionObject>(nullptr);
        object->m_surfaceClass = surfaceClass;
        object->m_owner = owner;
        object->m_geom = dCreateSphere(nullptr, 1.0);
        dGeomSetData(object->m_geom, object.get());
        if (body) {
            object->m_body = dBodyCreate(m_world);
            dGeomSetBody(object->m_geom, object->m_body);
        }
        m_objects.push_back(std::move(object));
        return m_objects.back().get();
    }
    static dContactGeom contact(const CollisionObject* a, const CollisionObject* b, Vector3 at = {1, 2, 3})
    {
        dContactGeom c{};
        c.pos[0] = at.x;
        c.pos[1] = at.y;
        c.pos[2] = at.z;
        c.normal[1] = 1.0;
        c.depth = 0.1;
        c.g1 = a->m_geom;
        c.g2 = b->m_geom;
        return c;
    }
    Kart& kart(int32_t i) { return *m_karts[size_t(i)]; }

    RaceSetup m_setup;
    TestRace m_race{nullptr, nullptr};
    dWorldID m_world = nullptr;
    std::vector<std::unique_ptr<Kart>> m_karts;
    std::vector<std::unique_ptr<CollisionObject>> m_objects;
};

TEST_F(Contacts, CheckpointsCountLapsForwardsAndTakeThemBackBackwards)
{
    struct Case {
        const char* name;
        int32_t direction;
        int32_t trigger;
        int32_t lap;
        int32_t lapAfter;
    };
    const Case cases[] = {
        {"from before the line onto it", 2, 0, 0, 1},
        {"standing on the line", 0, 0, 1, 1},
        {"backwards onto the line", 1, 0, 2, 1},
        {"backwards, never below 0", 1, 0, 0, 0},
        {"past the line", 0, 1, 1, 1},
        {"before the line", 1, 2, 1, 1},
    };
    FinishLineContact handler(&m_race);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Kart& k = kart(0);
        k.m_direction = c.direction;
        k.m_lineEntry = 0;
        k.m_lap = c.lap;
        k.m_maxLap = c.lap;
        CollisionObject* check = object(9);
        check->m_trigger = c.trigger;
        const ContactHandler answer = handler.onContact(contact(object(6, &k), check));
        EXPECT_FALSE(answer.m_createContact);
        EXPECT_EQ(k.m_lap, c.lapAfter);
        EXPECT_EQ(k.m_direction, c.trigger);
    }
}

// Checkpoints touched in turn by a kart that has just crossed the line
// forwards into its third lap: only a crossing of the whole line counts,
// whichever way and however often it backs on and off it.
TEST_F(Contacts, OnlyCrossingTheWholeLineCountsALap)
{
    struct Case {
        const char* name;
        std::vector<int32_t> checks;
        int32_t lapAfter;
    };
    const Case cases[] = {
        {"a whole lap", {1, 2, 0}, 3},
        {"backed off the line and on again", {2, 0}, 2},
        {"pushed back and forth twice, then on", {2, 0, 2, 0, 1}, 2},
        {"reversed over the line and forwards again", {1, 0, 1}, 2},
        {"a lap in reverse, then forwards over the line", {1, 0, 2, 1, 0, 1}, 1},
        {"standing on the line", {0, 0, 1}, 2},
    };
    FinishLineContact handler(&m_race);
    Kart& k = kart(0);
    CollisionObject* chassis = object(2, &k);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        k.resetForRace(0);
        CollisionObject* check = object(9);
        for (int32_t trigger : {2, 0, 1, 2, 0}) {
            check->m_trigger = trigger;
            handler.onContact(contact(chassis, check));
        }
        ASSERT_EQ(k.m_lap, 2);
        for (int32_t trigger : c.checks) {
            check->m_trigger = trigger;
            handler.onContact(contact(chassis, check));
        }
        EXPECT_EQ(k.m_lap, c.lapAfter);
        EXPECT_EQ(k.m_maxLap, std::max(2, c.lapAfter));
    }
}

TEST_F(Contacts, TheFirstCompletedLapSetsTheBestTime)
{
    FinishLineContact handler(&m_race);
    Kart& k = kart(0);
    k.resetForRace(0);
    m_race.m_startTime = 10.0f;
    CollisionObject* line = object(9);
    CollisionObject* before = object(9);
    before->m_trigger = 2;
    CollisionObject* after = object(9);
    after->m_trigger = 1;
    CollisionObject* chassis = object(2, &k);
    const float crossings[] = {11.0f, 41.0f, 66.0f, 100.0f};
    const float expectedLap[] = {-1.0f, 31.0f, 25.0f, 34.0f};
    const float expectedBest[] = {-1.0f, 31.0f, 25.0f, 25.0f};
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            handler.onContact(contact(chassis, after));
        handler.onContact(contact(chassis, before));
        m_race.m_physicsClock = crossings[i];
        handler.onContact(contact(line, chassis));
        // Touching the line again in the same pass changes nothing.
        handler.onContact(contact(line, chassis));
        EXPECT_EQ(k.m_lap, i + 1);
        EXPECT_FLOAT_EQ(k.m_lapTime, expectedLap[i]) << i;
        EXPECT_FLOAT_EQ(k.m_bestLapTime, expectedBest[i]) << i;
    }
}

TEST_F(Contacts, WheelsGripAcrossTheAxleAndSlideWithSpeed)
{
    WheelRoadContact road(&m_race);
    WheelRoughContact rough(&m_race);
    Kart& k = kart(0);
    k.m_mu = 5.0f;
    k.m_slip = 0.01f;
    k.m_drift = 0.5f;
    k.m_driftExp = 2.0f;
    CollisionObject* wheel = object(6, &k, true);
    wheel->m_axis[0] = 1.0f;
    CollisionObject* ground = object(10);
    CollisionObject* grass = object(12);

    // At rest: the direction is (0, 1, 0) across the axle, and no slip
    // before the start.
    ContactHandler answer = road.onContact(contact(wheel, ground));
    EXPECT_TRUE(answer.m_createContact);
    EXPECT_EQ(answer.m_surface.mode,
              dContactFDir1 | dContactSoftERP | dContactSoftCFM | dContactSlip1 | dContactSlip2 | dContactApprox1);
    EXPECT_DOUBLE_EQ(answer.m_surface.mu, 5.0);
    EXPECT_DOUBLE_EQ(answer.m_fdir1[1], 1.0);
    EXPECT_DOUBLE_EQ(answer.m_surface.slip1, 0.0);
    EXPECT_DOUBLE_EQ(answer.m_surface.slip2, 0.0);
    EXPECT_DOUBLE_EQ(answer.m_surface.soft_erp, double(wheelsERP));

    // Rolling forwards at 3 along z, sliding 4 along the axle.
    k.m_gear = 1;
    dBodySetLinearVel(wheel->m_body, 4.0, 0.0, 3.0);
    answer = road.onContact(contact(ground, wheel));
    EXPECT_NEAR(answer.m_fdir1[2], 1.0, 1e-9);
    EXPECT_NEAR(answer.m_fdir1[0], 0.0, 1e-9);
    EXPECT_NEAR(answer.m_surface.slip1, 0.01, 1e-7);
    EXPECT_NEAR(answer.m_surface.slip2, 9.0 * 0.5, 1e-5);
    EXPECT_EQ(k.m_onRoughGround, 0);

    // Oil: the exponent tripled, the slip four times.
    k.m_oilHitSteps = 10;
    answer = road.onContact(contact(wheel, ground));
    EXPECT_NEAR(answer.m_surface.slip1, 0.04, 1e-7);
    EXPECT_NEAR(answer.m_surface.slip2, std::pow(3.0, 6.0) * 0.5, 1e-2);

    // Rough ground: linear slip and the flag, which the road clears again.
    answer = rough.onContact(contact(wheel, grass));
    EXPECT_NEAR(answer.m_surface.slip2, 3.0 * 0.5, 1e-5);
    EXPECT_EQ(k.m_onRoughGround, 1);
    road.onContact(contact(wheel, ground));
    EXPECT_EQ(k.m_onRoughGround, 0);
}

TEST_F(Contacts, PickupsAreTakenOnceAndComeBackLater)
{
    ItemPickupContact handler(&m_race);
    CollisionObject* pickup = object(7);
    CollisionObject* wheel = object(6, &kart(0));
    CollisionObject* chassis = object(2, &kart(0));
    EXPECT_FALSE(handler.onContact(contact(pickup, wheel)).m_createContact);
    EXPECT_EQ(pickup->m_hidden, 1);
    EXPECT_EQ(pickup->m_trigger, 1500);
    EXPECT_FALSE(dGeomIsEnabled(pickup->m_geom));
    pickup->m_trigger = 7;
    handler.onContact(contact(chassis, pickup));
    EXPECT_EQ(pickup->m_trigger, 7);
}

TEST_F(Contacts, OnlyTheKartOfViewZeroCollectsCoins)
{
    CoinContact handler(&m_race);
    CollisionObject* coin = object(8);
    handler.onContact(contact(object(2, &kart(1)), coin));
    EXPECT_EQ(kart(1).m_coins, 0);
    EXPECT_TRUE(dGeomIsEnabled(coin->m_geom));
    handler.onContact(contact(coin, object(6, &kart(0))));
    EXPECT_EQ(kart(0).m_coins, 1);
    EXPECT_EQ(coin->m_hidden, 1);
    ASSERT_EQ(m_race.m_cues.size(), 1u);
    EXPECT_EQ(m_race.m_cues[0].cue, 19u);
}

TEST_F(Contacts, TheSmallerHandlers)
{
    Class25Contact reset(&m_race);
    EXPECT_FALSE(reset.onContact(contact(object(25), object(6, &kart(1)))).m_createContact);
    EXPECT_EQ(kart(1).m_respawnRequest, 1);

    Class29FloorContact probe(&m_race);
    EXPECT_FALSE(probe.onContact(contact(object(29), object(10), {5, -3.5f, 7})).m_createContact);
    EXPECT_FLOAT_EQ(m_race.m_heightTestY, -3.5f);

    WheelChassisContact wheelChassis(&m_race);
    EXPECT_FALSE(wheelChassis.onContact(contact(object(6, &kart(0)), object(2, &kart(0)))).m_createContact);

    ChassisScrapeContact scrape(&m_race);
    const ContactHandler answer = scrape.onContact(contact(object(20), object(2, &kart(0))));
    EXPECT_TRUE(answer.m_createContact);
    EXPECT_DOUBLE_EQ(answer.m_surface.mu, 0.0);
    EXPECT_DOUBLE_EQ(answer.m_surface.soft_cfm, double(kartCFM));
    ASSERT_EQ(m_race.m_cues.size(), 1u);
    EXPECT_EQ(m_race.m_cues[0].cue, 24u);
    // Another kart's scrape is not heard.
    scrape.onContact(contact(object(2, &kart(1)), object(10)));
    EXPECT_EQ(m_race.m_cues.size(), 1u);

    Class35Contact solid(&m_race);
    const ContactHandler plain = solid.onContact(contact(object(35), object(2, &kart(0))));
    EXPECT_TRUE(plain.m_createContact);
    EXPECT_DOUBLE_EQ(plain.m_surface.mu, 1.0);
}

} // namespace
