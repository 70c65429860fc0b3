// The power-up objects in a race: the set-up of each kind, their lifetimes
// to the step, the snowball's flat roll, the pumpkin's homing, bounces off
// walls, the models they draw with, and spawns refused for values no kart
// or kind has.
#include "PowerupRig.h"

#include "engine/core/base/Report.h"
#include "support/RecordedReports.h"
#include "engine/scene/CollisionObject.h"
#include "engine/scene/MeshObject.h"
#include "game/race/Extras.h"
#include "game/race/VectorOps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <string>

namespace {

constexpr float kPi = 3.14159265358979f;

class ExtrasTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_rig.loaded());
        m_rig.place(0, 100.0f);
        m_rig.place(1, 200.0f);
        m_rig.steps(5);
        // What loading the fixture reported is the race's business.
        lastErrorText.assignCString("");
    }

    Extras& extras() { return *m_rig.race().m_extras; }
    // A spawn by kart 0 at a point of the ring, far from both karts unless
    // told otherwise.
    ExtraEffect* spawn(int32_t kind, float s = 300.0f, Vector3 d = {0.0f, 0.0f, 1.0f})
    {
        const Vector3 at = RaceFixture::ringPoint(s) + Vector3{0.0f, 0.5f, 0.0f};
        return extras().spawn(kind, at, d, 0);
    }

    RecordedReports m_reports;
    PowerupRig m_rig;
};

struct KindCase {
    int32_t kind;
    // Where it starts from a spawn at p along d.
    float along, lift;
    bool fixedDirection;
    int32_t lifetime;
    float scale;
    uint32_t shape;
    float size;
    uint32_t space;
    bool groundRay;
    float heightOffset;
};

const KindCase Kinds[] = {
    {1, 1.0f, 0.1f, true, 15000, 1.0f, ShapeBox, 2.5f, 3, false, 1.0f},
    {3, 1.0f, 0.0f, false, 1000, 3.0f, ShapeBox, 1.2f, 3, true, 1.0f},
    {4, -1.0f, 1.0f, true, 15000, 1.0f, ShapeBox, 0.5f, 3, true, 0.5f},
    {5, 1.0f, 0.0f, false, 1000, 4.0f, ShapeSphere, 0.5f, 1, true, 0.4f},
    {10, 0.0f, 0.165f, false, 15000, 1.0f, ShapeBox, 0.5f, 3, false, 1.0f},
    {15, 1.0f, 0.0f, false, 1000, 3.0f, ShapeSphere, 1.0f, 1, true, 1.0f},
    {17, -1.0f, 0.1f, true, 15000, 1.0f, ShapeSphere, 0.25f, 3, false, 1.0f},
};

} // namespace

TEST_F(ExtrasTest, EachKindStartsAsItsRowSays)
{
    const Vector3 p{10.0f, 0.5f, -40.0f};
    const Vector3 d{0.6f, 0.0f, 0.8f};
    for (const KindCase& k : Kinds) {
        SCOPED_TRACE(k.kind);
        ExtraEffect* e = extras().spawn(k.kind, p, d, 1);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->owner, 1);
        EXPECT_EQ(e->lifetime, k.lifetime);
        EXPECT_NEAR(e->position.x, p.x + d.x * k.along, 1e-5f);
        EXPECT_NEAR(e->position.y, p.y + k.lift, 1e-5f);
        EXPECT_NEAR(e->position.z, p.z + d.z * k.along, 1e-5f);
        const Vector3 heading = k.fixedDirection ? Vector3{0.0f, 0.0f, 1.0f} : d;
        EXPECT_FLOAT_EQ(e->direction.x, heading.x);
        EXPECT_FLOAT_EQ(e->direction.z, heading.z);
        EXPECT_FLOAT_EQ(e->heightOffset, k.heightOffset);
        ASSERT_NE(e->model, nullptr);
        EXPECT_FLOAT_EQ(e->model->m_motion[ScaleX].m_value, k.scale);
        EXPECT_EQ(e->model->m_hidden, 1) << "drawn by the objects, not the scene";
        ASSERT_NE(e->body, nullptr);
        EXPECT_EQ(e->body->m_surfaceClass, 30u);
        EXPECT_EQ(e->body->m_shapeType, k.shape);
        EXPECT_EQ(e->body->m_spaceIndex, k.space);
        EXPECT_FLOAT_EQ(e->body->m_motion[ScaleX].m_value, k.size);
        const dReal* at = dGeomGetPosition(e->body->m_geom);
        EXPECT_NEAR(at[0], e->position.x, 1e-5);
        EXPECT_NEAR(at[1], e->position.y, 1e-5);
        EXPECT_EQ(e->groundRay != nullptr, k.groundRay);
        if (e->groundRay) {
            EXPECT_EQ(e->groundRay->m_surfaceClass, 31u);
            EXPECT_EQ(e->groundRay->m_spaceIndex, 4u);
            EXPECT_EQ(e->groundRay->m_owner, e);
            // From 50 below, 100 up.
            dVector3 start, direction;
            dGeomRayGet(e->groundRay->m_geom, start, direction);
            EXPECT_NEAR(start[1], e->position.y - 50.0f, 1e-4);
            EXPECT_NEAR(direction[1], 1.0, 1e-6);
            EXPECT_DOUBLE_EQ(dGeomRayGetLength(e->groundRay->m_geom), 100.0);
        }
    }
    // A banana lies upside down at a random turn.
    const ExtraEffect* banana = *std::next(extras().effects().begin(), 4);
    EXPECT_FLOAT_EQ(banana->pitch, kPi);
    EXPECT_GE(banana->yaw, 0.0f);
    EXPECT_LE(banana->yaw, 2.0f * kPi);
    EXPECT_EQ(m_reports.last(), "");
}

TEST_F(ExtrasTest, EveryKindEndsWhenItsTimeRunsOut)
{
    for (const KindCase& k : Kinds)
        ASSERT_NE(spawn(k.kind, 300.0f + 5.0f * float(k.kind)), nullptr);
    // The objects' own steps only: far from the karts nothing else touches
    // them, and 150 s of the whole race would take long.
    int32_t step = 0;
    auto stepTo = [&](int32_t last) {
        for (; step < last; ++step)
            extras().update(double(step) * 0.01, 0.01f);
    };
    for (const int32_t lifetime : {1000, 15000}) {
        int32_t living = 0;
        for (const KindCase& k : Kinds)
            living += k.lifetime >= lifetime ? 1 : 0;
        stepTo(lifetime - 1);
        EXPECT_EQ(int32_t(extras().effects().size()), living) << "a step before " << lifetime;
        stepTo(lifetime);
        for (const ExtraEffect* e : extras().effects())
            EXPECT_GT(e->lifetime, 0);
        EXPECT_EQ(int32_t(extras().effects().size()), living - (lifetime == 1000 ? 3 : 4)) << "at " << lifetime;
    }
    EXPECT_EQ(m_rig.collisionObjects(30), 0);
    EXPECT_EQ(m_rig.collisionObjects(31), 0);
}

TEST_F(ExtrasTest, ObjectsFollowTheGroundAtTheirHeight)
{
    ExtraEffect* rocket = spawn(3, 300.0f, RaceFixture::ringDirection(300.0f));
    ExtraEffect* decoy = spawn(4);
    ExtraEffect* snowball = spawn(5, 320.0f, RaceFixture::ringDirection(320.0f));
    m_rig.steps(3);
    // The ground of the ring lies at 0.
    EXPECT_NEAR(rocket->position.y, 1.0f, 1e-4f);
    EXPECT_NEAR(decoy->position.y, 0.5f, 1e-4f);
    EXPECT_NEAR(snowball->position.y, 0.4f, 1e-4f);
}

TEST_F(ExtrasTest, MotionOfEachKind)
{
    const Vector3 along{1.0f, 0.0f, 0.0f};
    ExtraEffect* rocket = spawn(3, 300.0f, along);
    const Vector3 rocketStart = rocket->position;
    ExtraEffect* decoy = spawn(4, 330.0f);
    ExtraEffect* banana = spawn(10, 340.0f);
    ExtraEffect* oil = spawn(1, 350.0f);
    const Vector3 oilAt = oil->position;
    const float bananaYaw = banana->yaw;
    m_rig.steps(10);
    // 50 m/s, turning about its length.
    EXPECT_NEAR(rocket->position.x - rocketStart.x, 10 * 0.01f * 50.0f, 1e-3f);
    EXPECT_NEAR(rocket->roll, 10 * 0.01f * 5.0f, 1e-5f);
    // The decoy turns with the clock and stays.
    EXPECT_NEAR(decoy->yaw, m_rig.race().m_physicsClock * kPi / 2.0f, 0.01f * kPi / 2.0f + 1e-5f);
    EXPECT_NEAR(banana->yaw - bananaYaw, 10 * 0.01f * 5.0f, 1e-4f);
    EXPECT_FLOAT_EQ(oil->position.x, oilAt.x);
    EXPECT_FLOAT_EQ(oil->position.z, oilAt.z);
}

TEST_F(ExtrasTest, ASnowballLaunchedUpwardsRollsFlatAndSlows)
{
    ExtraEffect* snowball = spawn(5, 300.0f, {0.0f, 3.0f, 4.0f});
    EXPECT_FLOAT_EQ(snowball->direction.x, 0.0f);
    EXPECT_FLOAT_EQ(snowball->direction.y, 0.0f);
    EXPECT_FLOAT_EQ(snowball->direction.z, 1.0f);
    Vector3 before = snowball->position;
    m_rig.steps(1);
    const float first = snowball->position.z - before.z;
    // Full speed at launch: 30 m/s times the life left.
    EXPECT_NEAR(first, 0.01f * 0.999f * 30.0f, 1e-4f);
    EXPECT_LT(snowball->pitch, 0.0f) << "rolling forwards";
    m_rig.steps(500);
    before = snowball->position;
    m_rig.steps(1);
    EXPECT_NEAR(snowball->position.z - before.z, first * 0.498f / 0.999f, 1e-3f);
}

TEST_F(ExtrasTest, APumpkinFliesStraightThenHomesOnAKartAheadButNotItsOwner)
{
    // Kart 1 stands 20 m ahead and 3 m to the side of the pumpkin's line;
    // the owner (kart 0) stands just as close on the other side. The
    // pumpkin is 12.5 m on when it starts to look.
    const Vector3 start{0.0f, 1.0f, 0.0f};
    m_rig.placeOver(0, {-3.0f, 0.0f, 20.0f});
    m_rig.placeOver(1, {3.0f, 0.0f, 20.0f});
    m_rig.steps(1);
    ExtraEffect* pumpkin = m_rig.race().m_extras->spawn(15, start - Vector3{0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 1.0f}, 0);
    ASSERT_NE(pumpkin, nullptr);
    // Fifty steps straight on.
    m_rig.steps(50);
    EXPECT_NEAR(pumpkin->position.x, 0.0f, 1e-4f);
    EXPECT_NEAR(pumpkin->direction.x, 0.0f, 1e-6f);
    m_rig.steps(1);
    EXPECT_GT(pumpkin->direction.x, 0.1f) << "toward kart 1, never its owner";
    // It reaches its target.
    const int32_t energy = m_rig.kart(1).energy();
    m_rig.steps(60);
    EXPECT_EQ(m_rig.kart(1).energy(), energy - 10);
    EXPECT_EQ(m_rig.kart(1).m_pumpkinHitSteps > 0, true);
    EXPECT_EQ(m_rig.kart(0).energy(), 100);
}

TEST_F(ExtrasTest, APumpkinIgnoresKartsBehindIt)
{
    m_rig.placeOver(0, {0.0f, 0.0f, -40.0f});
    m_rig.placeOver(1, {0.0f, 0.0f, -5.0f});
    m_rig.steps(1);
    ExtraEffect* pumpkin = m_rig.race().m_extras->spawn(15, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, 0);
    m_rig.steps(120);
    EXPECT_NEAR(pumpkin->direction.x, 0.0f, 1e-6f);
    EXPECT_NEAR(pumpkin->direction.z, 1.0f, 1e-6f);
}

TEST_F(ExtrasTest, ObjectsBounceOffWalls)
{
    ExtraEffect* snowball = spawn(5, 300.0f, {1.0f, 0.0f, 0.0f});
    const Vector3 at = snowball->position;
    // A wall facing -x, 0.2 deep into it.
    extras().bounce(snowball->body, {-1.0f, 0.0f, 0.0f}, 0.2f);
    EXPECT_FLOAT_EQ(snowball->direction.x, -1.0f);
    EXPECT_FLOAT_EQ(snowball->position.x, at.x - 0.2f);
    // A glancing wall turns only the part across it.
    snowball->direction = vec::unit({1.0f, 0.0f, 1.0f});
    extras().bounce(snowball->body, {-1.0f, 0.0f, 0.0f}, 0.0f);
    EXPECT_NEAR(snowball->direction.x, -std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(snowball->direction.z, std::sqrt(0.5f), 1e-6f);
}

TEST_F(ExtrasTest, AnglesTurnAModelAlongItsDirection)
{
    const Vector3 directions[] = {{0, 0, 1}, {1, 0, 0}, {0, 0, -1}, {-1, 0, 0}, {0, 1, 0},
                                  {0, -1, 0}, {1, 1, 1}, {-2, 0.5f, 3}, {0.3f, -0.4f, -0.8f}};
    MeshObject* model = extras().model(3);
    ASSERT_NE(model, nullptr);
    for (const Vector3& v : directions) {
        SCOPED_TRACE(testing::Message() << v.x << " " << v.y << " " << v.z);
        const Vector3 a = Extras::directionToAngles(v);
        EXPECT_GE(a.y, 0.0f);
        EXPECT_LT(a.y, 2.0f * kPi);
        EXPECT_GE(a.x, 0.0f);
        EXPECT_FLOAT_EQ(a.z, 0.0f);
        const float turn[3] = {a.x, a.y, a.z};
        model->setRotation(turn, false);
        model->invalidateMatrices();
        const Matrix4 m = model->getMatrix(0.0);
        const Vector3 z = vec::unit({m.at(2, 0), m.at(2, 1), m.at(2, 2)});
        const Vector3 u = vec::unit(v);
        EXPECT_NEAR(z.x, u.x, 1e-5f);
        EXPECT_NEAR(z.y, u.y, 1e-5f);
        EXPECT_NEAR(z.z, u.z, 1e-5f);
    }
}

TEST_F(ExtrasTest, EachObjectIsDrawnWithItsKindsModelWhereItIs)
{
    ExtraEffect* rocket = spawn(3, 300.0f, {1.0f, 0.0f, 0.0f});
    ExtraEffect* banana = spawn(10, 320.0f);
    m_rig.steps(2);
    m_rig.race().render();
    // The models were left where their last object was drawn.
    const Matrix4 m = banana->model->getMatrix(0.0);
    EXPECT_NEAR(m.at(3, 0), banana->position.x, 1e-4f);
    EXPECT_NEAR(m.at(3, 2), banana->position.z, 1e-4f);
    const Matrix4 r = rocket->model->getMatrix(0.0);
    EXPECT_NEAR(r.at(3, 0), rocket->position.x, 1e-4f);
    // Scaled three times, along +x.
    EXPECT_NEAR(r.at(2, 0), 3.0f, 1e-4f);
}

TEST_F(ExtrasTest, SpawnsOfNoKindNoKartOrNoNumberAreRefusedWithAReport)
{
    const float nan = std::nanf("");
    struct Case {
        const char* what;
        int32_t kind, owner;
        Vector3 p, d;
        const char* report;
    };
    const Case cases[] = {
        {"boost leaves nothing", 0, 0, {}, {0, 0, 1}, "kind 0"},
        {"a kind past the last", 18, 0, {}, {0, 0, 1}, "kind 18"},
        {"a negative kind", -3, 0, {}, {0, 0, 1}, "kind -3"},
        {"an owner past the karts", 3, 2, {}, {0, 0, 1}, "kart 2"},
        {"a negative owner", 3, -1, {}, {0, 0, 1}, "kart -1"},
        {"a position that is no number", 3, 0, {nan, 0, 0}, {0, 0, 1}, "not a number"},
        {"an endless direction", 3, 0, {}, {0, INFINITY, 0}, "not a number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        lastErrorText.assignCString("");
        EXPECT_EQ(extras().spawn(c.kind, c.p, c.d, c.owner), nullptr);
        EXPECT_NE(m_reports.last().find(c.report), std::string::npos) << m_reports.last();
    }
    EXPECT_TRUE(extras().effects().empty());
    EXPECT_EQ(m_rig.collisionObjects(30), 0);
}

TEST_F(ExtrasTest, AKindWithoutItsModelMakesNothingAndEndsInTheNextStep)
{
    // As if no model had loaded.
    Extras withoutOil(&m_rig.rig.fixture.files(), nullptr);
    EXPECT_EQ(withoutOil.model(1), nullptr);
    ExtraEffect* e = withoutOil.spawn(1, {}, {0, 0, 1}, 0);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->body, nullptr);
    EXPECT_EQ(e->groundRay, nullptr);
    EXPECT_EQ(e->lifetime, 0);
    withoutOil.update(0.0, 0.01f);
    EXPECT_TRUE(withoutOil.effects().empty());
}
