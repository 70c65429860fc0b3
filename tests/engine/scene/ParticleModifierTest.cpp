#include "engine/core/math/Random.h"
#include "engine/scene/FxCollision.h"
#include "engine/scene/FxGravity.h"
#include "engine/scene/FxWind.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/Scene.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The runtime generator's first draws after seeding with 1.
constexpr int kDraws[] = {41, 18467, 6334, 26500};

class ParticleModifierTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        engineSrand(1);
        // Modifiers sit on an item at (1, 2, 3).
        m_item = m_scene.addNullObject("modifier", m_scene.m_root);
        m_item->m_motion[PositionX].m_value = 1.0f;
        m_item->m_motion[PositionY].m_value = 2.0f;
        m_item->m_motion[PositionZ].m_value = 3.0f;
    }

    // One live record at the offset from the item, speed scale 2, drag 0.5,
    // with the displacement it carries into the modifiers.
    Particle& place(float dx, float dy, float dz, float vx = 0.0f, float vy = 0.0f, float vz = 0.0f)
    {
        for (Particle& p : m_table)
            p = Particle{};
        Particle& p = m_table[5];
        p.alive = 1;
        p.life = 1.0f;
        p.speedScale = 2.0f;
        p.drag = 0.5f;
        p.position[0] = 1.0f + dx;
        p.position[1] = 2.0f + dy;
        p.position[2] = 3.0f + dz;
        p.velocity[0] = vx;
        p.velocity[1] = vy;
        p.velocity[2] = vz;
        return p;
    }

    static void expectVelocity(const Particle& p, float x, float y, float z)
    {
        EXPECT_NEAR(p.velocity[0], x, 1e-5f);
        EXPECT_NEAR(p.velocity[1], y, 1e-5f);
        EXPECT_NEAR(p.velocity[2], z, 1e-5f);
    }

    Scene m_scene{nullptr};
    MeshObject* m_item = nullptr;
    Particle m_table[ParticleTableSize];
};

TEST(ParticleFalloff, FactorsByCodeAndDistance)
{
    struct Case {
        int32_t code;
        float distance;
        float radius;
        bool wind;
        float expected;
    };
    const Case cases[] = {
        {0, 0.5f, 1.0f, false, 1.0f},
        {0, 1.0f, 1.0f, false, 1.0f},
        {0, 1.5f, 1.0f, false, 0.0f},
        // 1/d, cut off where 1/d exceeds the radius: with R = 1 only d >= 1 acts.
        {1, 0.5f, 1.0f, false, 0.0f},
        {1, 1.0f, 1.0f, false, 1.0f},
        {1, 4.0f, 1.0f, false, 0.25f},
        {1, 0.0f, 1.0f, false, 0.0f},
        {2, 1000.0f, 1.0f, false, 1.0f},
        {3, 0.5f, 1.0f, true, 0.5f},
        {3, 1.5f, 1.0f, true, 0.0f},
        // Linear falloff is wind's alone; unknown codes push nothing.
        {3, 0.5f, 1.0f, false, 0.0f},
        {9, 0.5f, 1.0f, true, 0.0f},
        {-1, 0.5f, 1.0f, false, 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(particleFalloff(c.code, c.distance, c.radius, c.wind), c.expected)
            << "code " << c.code << " distance " << c.distance;
}

TEST_F(ParticleModifierTest, GravityPullsAlongItsDirectionOrToItsPoint)
{
    struct Case {
        int32_t mode;
        int32_t falloff;
        float offset[3];
        float expected[3];
    };
    // Strength 3, dt 0.5, speed scale 2; direction (0, -1, 0.5).
    const Case cases[] = {
        // Directional: direction x f x 2 x 3 x 0.5 x 10.
        {FxGravity::Directional, 2, {5.0f, 0.0f, 0.0f}, {0.0f, -30.0f, 15.0f}},
        {FxGravity::Directional, 0, {5.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},
        // Point: the unit offset x f x 2 x 3 x (1/d) x 0.5; positive
        // strength pushes away from the point.
        {FxGravity::Point, 2, {0.0f, 4.0f, 0.0f}, {0.0f, 0.75f, 0.0f}},
        {FxGravity::Point, 2, {3.0f, 0.0f, 4.0f}, {0.6f * 0.6f, 0.0f, 0.8f * 0.6f}},
        // On the point itself the pull is zero, not NaN.
        {FxGravity::Point, 2, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},
        {FxGravity::Point, 0, {0.0f, 4.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},
        {7, 2, {0.0f, 4.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " falloff " << c.falloff);
        FxGravity gravity(m_item);
        gravity.m_mode = c.mode;
        gravity.m_falloff = c.falloff;
        gravity.m_strength.m_value = 3.0f;
        gravity.m_direction[1] = -1.0f;
        gravity.m_direction[2] = 0.5f;
        Particle& p = place(c.offset[0], c.offset[1], c.offset[2]);
        gravity.apply(m_table, 0, ParticleTableSize, 1.0, 0.5, nullptr);
        expectVelocity(p, c.expected[0], c.expected[1], c.expected[2]);
    }
}

TEST_F(ParticleModifierTest, PointGravityNextToItsPointStaysFinite)
{
    FxGravity gravity(m_item);
    gravity.m_mode = FxGravity::Point;
    gravity.m_falloff = 2;
    gravity.m_strength.m_value = 1.0e30f;
    for (float offset : {1.0e-3f, 1.0e-20f, 1.0e-38f, 1.0e-44f}) {
        Particle& p = m_table[0];
        p = Particle{};
        p.alive = 1;
        p.speedScale = 1.0f;
        // Placed beside the item at the origin of another one, so the offset
        // is not lost against the item's coordinates.
        m_item->m_motion[PositionX].m_value = 0.0f;
        m_item->m_motion[PositionY].m_value = 0.0f;
        m_item->m_motion[PositionZ].m_value = 0.0f;
        SceneObject::invalidateTree(m_scene.m_root);
        p.position[0] = offset;
        gravity.apply(m_table, 0, 1, 1.0, 0.5, nullptr);
        EXPECT_TRUE(std::isfinite(p.velocity[0])) << offset;
        EXPECT_GT(p.velocity[0], 0.0f) << offset;
    }
}

TEST_F(ParticleModifierTest, WindPushesByMode)
{
    struct Case {
        int32_t mode;
        float offset[3];
        float expected[3];
    };
    // Falloff 2, power 3, dt 0.5, speed scale 2, drag 0.5, wind (1, 2, -1):
    // s = 1 x 2 x 3 x 0.5 = 3.
    const Case cases[] = {
        {FxWind::Directional, {9.0f, 9.0f, 9.0f}, {3.0f, 6.0f, -3.0f}},
        {FxWind::Explosion, {0.0f, 0.0f, -2.0f}, {0.0f, 0.0f, -3.0f}},
        {FxWind::Explosion, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},
        // Round the item: (-dz, 0, dx) x s x drag, plus the wind x f x 2 x 0.5.
        {FxWind::Vortex, {2.0f, 5.0f, 1.0f}, {-1.5f + 1.0f, 2.0f, 3.0f - 1.0f}},
        // Out across the ground from the item, and up by the wind's y.
        {FxWind::Fountain, {3.0f, 7.0f, 4.0f}, {0.6f * 3.0f, 6.0f, 0.8f * 3.0f}},
        {FxWind::Fountain, {0.0f, 7.0f, 0.0f}, {0.0f, 6.0f, 0.0f}},
        // Local wind acts below the ground plane only (the item sits at y 2).
        {FxWind::Local, {0.0f, -3.0f, 0.0f}, {3.0f, 6.0f, -3.0f}},
        {FxWind::Local, {0.0f, -1.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},
        {5, {1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode);
        FxWind wind(m_item);
        wind.m_mode = c.mode;
        wind.m_falloff = 2;
        wind.m_power.m_value = 3.0f;
        wind.m_wind[0].m_value = 1.0f;
        wind.m_wind[1].m_value = 2.0f;
        wind.m_wind[2].m_value = -1.0f;
        Particle& p = place(c.offset[0], c.offset[1], c.offset[2]);
        wind.apply(m_table, 0, ParticleTableSize, 1.0, 0.5, nullptr);
        expectVelocity(p, c.expected[0], c.expected[1], c.expected[2]);
    }
}

TEST_F(ParticleModifierTest, LocalWindTurnsWithItsItem)
{
    // A quarter turn of heading takes the wind from +x to -z.
    m_item->m_motion[RotationH].m_value = float(M_PI / 2.0);
    FxWind wind(m_item);
    wind.m_mode = FxWind::Local;
    wind.m_falloff = 2;
    wind.m_wind[0].m_value = 1.0f;
    wind.m_wind[1].m_value = 0.0f;
    Particle& p = place(0.0f, -5.0f, 0.0f);
    wind.apply(m_table, 0, ParticleTableSize, 1.0, 0.5, nullptr);
    // s = 1 x 2 x 1 x 0.5 = 1.
    expectVelocity(p, 0.0f, 0.0f, -1.0f);
}

TEST_F(ParticleModifierTest, TurbulenceDrawsThreeNumbersPerParticle)
{
    FxWind wind(m_item);
    wind.m_power.m_value = 100.0f; // not used by turbulence
    wind.m_falloff = 0;            // nor is the falloff
    Particle& p = place(50.0f, 0.0f, 0.0f);
    wind.apply(m_table, 0, ParticleTableSize, 1.0, 0.5, nullptr);
    const float s = 2.0f * 0.5f;
    expectVelocity(p, (kDraws[0] / 32768.0f - 0.5f) * s, (kDraws[1] / 32768.0f - 0.5f) * s,
                   (kDraws[2] / 32768.0f - 0.5f) * s);
    EXPECT_EQ(engineRand(), kDraws[3]);
}

TEST_F(ParticleModifierTest, CollisionBouncesOffSphereAndFloor)
{
    struct Case {
        int32_t shape;
        int32_t mode;
        float offset[3];
        float velocity[3];
        float expected[3];
        float expectedY; // particle y after the bounce, relative to the item
    };
    // Size 2, bounce 0.5, no scatter.
    const Case cases[] = {
        // Inside the sphere: pushed outwards by |v| x bounce.
        {0, FxCollision::Sphere, {1.0f, 0.0f, 0.0f}, {0.0f, 4.0f, 0.0f}, {2.0f, 4.0f, 0.0f}, 0.0f},
        {0, FxCollision::Sphere, {3.0f, 0.0f, 0.0f}, {0.0f, 4.0f, 0.0f}, {0.0f, 4.0f, 0.0f}, 0.0f},
        // Below the floor at the item's height + 2: reflected, halved, lifted.
        {0, FxCollision::Floor, {0.0f, 1.0f, 0.0f}, {1.0f, -4.0f, 0.0f}, {0.5f, 2.0f, 0.0f}, 2.0f},
        {0, FxCollision::Floor, {0.0f, 3.0f, 0.0f}, {1.0f, -4.0f, 0.0f}, {1.0f, -4.0f, 0.0f}, 3.0f},
        {1, FxCollision::Floor, {0.0f, 1.0f, 0.0f}, {1.0f, -4.0f, 0.0f}, {1.0f, -4.0f, 0.0f}, 1.0f},
        {0, 1, {0.0f, 1.0f, 0.0f}, {1.0f, -4.0f, 0.0f}, {1.0f, -4.0f, 0.0f}, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "shape " << c.shape << " mode " << c.mode << " y " << c.offset[1]);
        FxCollision collision(m_item);
        collision.m_shape = c.shape;
        collision.m_mode = c.mode;
        collision.m_size.m_value = 2.0f;
        collision.m_bounce.m_value = 0.5f;
        Particle& p = place(c.offset[0], c.offset[1], c.offset[2], c.velocity[0], c.velocity[1], c.velocity[2]);
        collision.apply(m_table, 0, ParticleTableSize, 1.0, 0.5, nullptr);
        expectVelocity(p, c.expected[0], c.expected[1], c.expected[2]);
        EXPECT_FLOAT_EQ(p.position[1], 2.0f + c.expectedY);
    }
}

TEST_F(ParticleModifierTest, FloorScatterTiltsTheNormalByTheGenerator)
{
    FxCollision collision(m_item);
    collision.m_mode = FxCollision::Floor;
    collision.m_size.m_value = 0.0f;
    collision.m_scatter = 0.5f;
    Particle& p = place(0.0f, -1.0f, 0.0f, 0.0f, -2.0f, 0.0f);
    collision.apply(m_table, 0, ParticleTableSize, 1.0, 0.5, nullptr);
    const float a = kDraws[0] * 0.5f * 2.0f / 32768.0f - 0.5f;
    const float b = kDraws[1] * 0.5f * 2.0f / 32768.0f - 0.5f;
    const float len = std::sqrt(a * a + 1.0f + b * b);
    const float n[3] = {a / len, 1.0f / len, b / len};
    const float along = -2.0f * n[1];
    expectVelocity(p, -2.0f * along * n[0], -2.0f - 2.0f * along * n[1], -2.0f * along * n[2]);
    EXPECT_EQ(p.position[1], 2.0f);
}

TEST_F(ParticleModifierTest, ModifiersLeaveDeadRecordsAndStayInTheTable)
{
    Particle& p = place(0.0f, -1.0f, 0.0f, 0.0f, -2.0f, 0.0f);
    p.alive = 0;
    FxGravity gravity(m_item);
    gravity.m_falloff = 2;
    gravity.m_direction[1] = -1.0f;
    FxWind wind(m_item);
    FxCollision collision(m_item);
    collision.m_mode = FxCollision::Floor;
    ParticleFx* effects[] = {&gravity, &wind, &collision};
    for (ParticleFx* fx : effects)
        fx->apply(m_table, -10, 1000, 1.0, 0.5, nullptr);
    expectVelocity(p, 0.0f, -2.0f, 0.0f);
    // No draws were taken for the dead record.
    EXPECT_EQ(engineRand(), kDraws[0]);
}

} // namespace
