#include "engine/core/math/Random.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Envelope.h"
#include "engine/scene/FxGravity.h"
#include "engine/scene/HyperVoxel.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/ParticleEmitter.h"
#include "engine/scene/Scene.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// The runtime generator's first draws after seeding with 1.
constexpr int kDraws[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};

float centered(int draw) { return float(draw) / 32768.0f - 0.5f; }
float unit(int draw) { return float(draw) / 32768.0f; }

Envelope* freshEnvelope(AnimatedValue& value)
{
    auto envelope = std::make_unique<Envelope>();
    Envelope* keys = envelope.get();
    value.m_envelope = std::move(envelope);
    return keys;
}

// A render object that notes what each frame hands it.
class RecordingVoxel : public HyperVoxel {
public:
    RecordingVoxel() : HyperVoxel(nullptr) {}
    void render(double time, const Particle* particles, Camera* camera) override
    {
        int live = 0;
        for (int i = 0; i < ParticleTableSize; ++i)
            live += particles[i].alive;
        m_frames.push_back({time, live, camera});
    }
    void onLostDevice() override { ++m_lost; }
    void onResetDevice() override { ++m_reset; }

    struct Frame {
        double time;
        int live;
        Camera* camera;
    };
    std::vector<Frame> m_frames;
    int m_lost = 0;
    int m_reset = 0;
};

class ParticleEmitterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        engineSrand(1);
        m_item = m_scene.addNullObject("emitter", m_scene.m_root);
        auto voxel = std::make_unique<RecordingVoxel>();
        m_voxel = voxel.get();
        m_item->m_deviceObject = std::move(voxel);
        m_scene.m_emitters.push_back(std::make_unique<ParticleEmitter>(m_item));
        m_emitter = m_scene.m_emitters.back().get();
    }

    void placeItem(float x, float y, float z)
    {
        m_item->m_motion[PositionX].m_value = x;
        m_item->m_motion[PositionY].m_value = y;
        m_item->m_motion[PositionZ].m_value = z;
        SceneObject::invalidateTree(m_scene.m_root);
    }

    // One frame at each of the times, as rendering drives them.
    void frames(std::initializer_list<double> times)
    {
        for (double t : times) {
            SceneObject::invalidateTree(m_scene.m_root);
            m_scene.updateParticles(nullptr, t);
        }
    }

    Scene m_scene{nullptr};
    MeshObject* m_item = nullptr;
    RecordingVoxel* m_voxel = nullptr;
    ParticleEmitter* m_emitter = nullptr;
};

TEST_F(ParticleEmitterTest, BirthsFollowTheRateAndTheGenerateMode)
{
    struct Case {
        int32_t generateBy;
        float rate;
        double dt;
        int32_t limit;
        int expectedLive;
        int32_t expectedBornTotal;
    };
    const Case cases[] = {
        {GeneratePerSecond, 100.0f, 0.1, 100, 10, 10},
        // Per frame counts the rate per 1/30 s: 300 wanted, the table holds 100.
        {GeneratePerFrame, 100.0f, 0.1, 100, 100, 300},
        {GeneratePerFrame, 2.0f, 0.1, 100, 6, 6},
        {GenerateNever, 100.0f, 0.1, 100, 0, 0},
        {5, 100.0f, 0.1, 100, 0, 0},
        {GeneratePerSecond, -50.0f, 0.1, 100, 0, 0},
        {GeneratePerSecond, 100.0f, 0.1, 4, 4, 10},
        // A limit beyond the table is held to the table.
        {GeneratePerSecond, 1000.0f, 1.0, 500, 100, 1000},
        {GeneratePerSecond, 3.0e38f, 1.0, 100, 100, INT32_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "generateBy " << c.generateBy << " rate " << c.rate << " limit " << c.limit);
        ParticleEmitter emitter(m_item);
        emitter.m_generateBy = c.generateBy;
        emitter.m_birthRate.m_value = c.rate;
        emitter.m_limit = c.limit;
        emitter.update(1.0, c.dt);
        EXPECT_EQ(emitter.liveCount(), c.expectedLive);
        EXPECT_EQ(emitter.m_bornTotal, c.expectedBornTotal);
        for (int i = std::min(c.limit, ParticleTableSize); i < ParticleTableSize; ++i)
            EXPECT_FALSE(emitter.m_particles[i].alive) << "record " << i;
    }
}

TEST_F(ParticleEmitterTest, BirthDrawsTheGeneratorInItsOrder)
{
    struct Case {
        int32_t nozzle;
        float scale;
    };
    // Nozzle 1 scales its draws by 1/32767, 0 and 4 by 1/32768.
    for (const Case c : {Case{0, 1.0f / 32768.0f}, Case{1, 1.0f / 32767.0f}, Case{4, 1.0f / 32768.0f}}) {
        SCOPED_TRACE(testing::Message() << "nozzle " << c.nozzle);
        engineSrand(1);
        placeItem(1.0f, 2.0f, 3.0f);
        ParticleEmitter e(m_item);
        e.m_nozzle = c.nozzle;
        e.m_nozzleSize[0] = 2.0f;
        e.m_nozzleSize[1] = 4.0f;
        e.m_nozzleSize[2] = 6.0f;
        e.m_life.m_value = 5.0f;
        e.m_lifeVariation.m_value = 2.0f;
        e.m_speedScale.m_value = 1.5f;
        e.m_speedScaleVariation.m_value = 0.25f;
        e.m_drag.m_value = 3.0f;
        e.m_dragVariation.m_value = 1.0f;
        e.m_sizeStart.m_value = 10.0f;
        e.m_sizeVariation.m_value = 4.0f;
        e.m_angleMin = 10.0f;
        e.m_angleMax = 50.0f;
        e.m_velocity[0].m_value = 1.0f;
        e.m_velocity[1].m_value = -2.0f;
        e.m_velocity[2].m_value = 0.5f;
        e.m_explosion.m_value = 3.0f;
        e.m_birthRate.m_value = 1.0f;
        e.update(1.0, 1.0);

        const Particle& p = e.m_particles[0];
        ASSERT_TRUE(p.alive);
        const float pos[3] = {1.0f + (float(kDraws[0]) * c.scale - 0.5f) * 2.0f,
                              2.0f + (float(kDraws[1]) * c.scale - 0.5f) * 4.0f,
                              3.0f + (float(kDraws[2]) * c.scale - 0.5f) * 6.0f};
        for (int a = 0; a < 3; ++a)
            EXPECT_FLOAT_EQ(p.position[a], pos[a]);
        EXPECT_FLOAT_EQ(p.life, 5.0f + centered(kDraws[3]) * 2.0f);
        const float ss = 1.5f + 2.0f * centered(kDraws[4]) * 0.25f;
        EXPECT_FLOAT_EQ(p.speedScale, ss);
        EXPECT_FLOAT_EQ(p.drag, 3.0f - unit(kDraws[5]) * 1.0f);
        EXPECT_FLOAT_EQ(p.size, 10.0f + 2.0f * centered(kDraws[6]) * 4.0f);
        EXPECT_EQ(p.angleRising, kDraws[7] % 2);
        EXPECT_FLOAT_EQ(p.angle, 10.0f + unit(kDraws[8]) * 40.0f);
        // Birth velocity plus the explosion away from the emitter centre.
        const float away[3] = {pos[0] - 1.0f, pos[1] - 2.0f, pos[2] - 3.0f};
        const float len = std::sqrt(away[0] * away[0] + away[1] * away[1] + away[2] * away[2]);
        const float v[3] = {1.0f, -2.0f, 0.5f};
        for (int a = 0; a < 3; ++a)
            EXPECT_NEAR(p.velocity[a], ss * v[a] + ss * 3.0f * away[a] / len, 1e-5f);
        // The next draw is the first one of the next birth.
        EXPECT_EQ(engineRand(), kDraws[9]);
        EXPECT_EQ(e.m_lastSlot, 0);
    }
}

TEST_F(ParticleEmitterTest, OtherNozzlesKeepTheOldPositionAndBelowGroundSkipsHighRecords)
{
    placeItem(0.0f, 5.0f, 0.0f);
    m_emitter->m_nozzle = 2;
    m_emitter->m_generateBy = GeneratePerFrameBelowGround;
    // One birth per frame of 1/30 s: 1.5 frames give one.
    m_emitter->m_birthRate.m_value = 1.0f;
    m_emitter->m_particles[0].position[1] = 4.0f;
    m_emitter->m_particles[1].position[1] = -1.0f;
    m_emitter->update(1.0, 0.05);
    EXPECT_FALSE(m_emitter->m_particles[0].alive);
    ASSERT_TRUE(m_emitter->m_particles[1].alive);
    EXPECT_EQ(m_emitter->m_particles[1].position[1], -1.0f);
    EXPECT_EQ(m_emitter->m_lastSlot, 1);
    // No nozzle draws: six draws for the birth values, then the next.
    EXPECT_EQ(engineRand(), kDraws[6]);
}

TEST_F(ParticleEmitterTest, FullTableGivesNoBirthsUntilRecordsDie)
{
    m_emitter->m_life.m_value = 1.0f;
    m_emitter->m_birthRate.m_value = 1000.0f;
    frames({0.0, 0.5});
    EXPECT_EQ(m_emitter->liveCount(), 100);
    const int bornBefore = m_emitter->m_bornTotal;
    m_emitter->m_birthRate.m_value = 0.0f;
    frames({0.625});
    EXPECT_EQ(m_emitter->liveCount(), 100);
    // Life runs out in the aging pass of the frame at 1.625 s: all die, and
    // the births of that frame (before aging) found the table full.
    m_emitter->m_birthRate.m_value = 1000.0f;
    frames({1.625});
    EXPECT_EQ(m_emitter->liveCount(), 0);
    EXPECT_GT(m_emitter->m_bornTotal, bornBefore);
    frames({1.75});
    EXPECT_EQ(m_emitter->liveCount(), 100);
}

TEST_F(ParticleEmitterTest, FirstFrameAndRepeatedTimesOnlyHandTheTableOn)
{
    Camera* camera = m_scene.addCamera(true);
    m_scene.updateParticles(camera, 2.0);
    m_scene.updateParticles(camera, 2.0);
    EXPECT_EQ(m_emitter->liveCount(), 0);
    m_scene.updateParticles(camera, 2.1);
    EXPECT_EQ(m_emitter->liveCount(), 10);
    ASSERT_EQ(m_voxel->m_frames.size(), 3u);
    EXPECT_EQ(m_voxel->m_frames[0].time, 2.0);
    EXPECT_EQ(m_voxel->m_frames[0].live, 0);
    EXPECT_EQ(m_voxel->m_frames[2].live, 10);
    EXPECT_EQ(m_voxel->m_frames[2].camera, camera);
    EXPECT_EQ(m_scene.m_lastParticleTime, 2.1);
}

TEST_F(ParticleEmitterTest, AgingAndMovingFollowDriftDragAndTheStepLimit)
{
    struct Case {
        float drag;
        float maxStep;
        float drift;
        float expectedDx; // position change over one step of 0.5 s
        float expectedVx; // velocity after the step, per second
    };
    // Velocity 4 per second along x over 0.5 s: displacement 2 (+ drift x dt),
    // less drag x dt of it, held to the step limit when that is shorter.
    const Case cases[] = {
        {0.0f, 0.0f, 0.0f, 2.0f, 4.0f},
        {1.0f, 0.0f, 0.0f, 1.0f, 2.0f},
        {0.0f, 0.0f, 2.0f, 3.0f, 6.0f},
        // The limit compares |displacement| x dt: 2 x 0.5 = 1 exceeds 0.5.
        {0.0f, 0.5f, 0.0f, 1.0f, 2.0f},
        {0.0f, 5.0f, 0.0f, 2.0f, 4.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "drag " << c.drag << " maxStep " << c.maxStep << " drift " << c.drift);
        ParticleEmitter e(m_item);
        e.m_maxStep = c.maxStep;
        e.m_drift[0] = c.drift;
        e.m_sizeRate = 4.0f;
        Particle& p = e.m_particles[7];
        p = Particle{};
        p.alive = 1;
        p.life = 10.0f;
        p.velocity[0] = 4.0f;
        p.drag = c.drag;
        p.size = 1.0f;
        e.apply(e.m_particles, 0, 100, 1.0, 0.5, nullptr);
        e.step(nullptr, 1.0, 0.5);
        EXPECT_FLOAT_EQ(p.position[0], c.expectedDx);
        EXPECT_FLOAT_EQ(p.velocity[0], c.expectedVx);
        EXPECT_FLOAT_EQ(p.life, 9.5f);
        EXPECT_FLOAT_EQ(p.size, 3.0f);
    }
}

TEST_F(ParticleEmitterTest, AngleSwingsBetweenItsBounds)
{
    struct Case {
        float angle;
        int32_t rising;
        float rate;
        float expectedAngle;
        int32_t expectedRising;
    };
    // Range 0..90, steps of 1 s.
    const Case cases[] = {
        {45.0f, 1, 30.0f, 75.0f, 1},
        {80.0f, 1, 30.0f, 90.0f, 0},
        {45.0f, 0, 30.0f, 15.0f, 0},
        {10.0f, 0, 30.0f, 0.0f, 1},
        {45.0f, 1, 0.0f, 45.0f, 1},
        {45.0f, 0, -30.0f, 45.0f, 0},
    };
    for (const Case& c : cases) {
        ParticleEmitter e(m_item);
        e.m_angleMax = 90.0f;
        e.m_angleRate = c.rate;
        Particle& p = e.m_particles[0];
        p.alive = 1;
        p.life = 10.0f;
        p.angle = c.angle;
        p.angleRising = c.rising;
        e.apply(e.m_particles, 0, 1, 0.0, 1.0, nullptr);
        EXPECT_FLOAT_EQ(p.angle, c.expectedAngle) << "from " << c.angle;
        EXPECT_EQ(p.angleRising, c.expectedRising) << "from " << c.angle;
    }
}

TEST_F(ParticleEmitterTest, AgingStaysInsideTheRangeAndTheTable)
{
    for (Particle& p : m_emitter->m_particles) {
        p.alive = 1;
        p.life = 1.0f;
    }
    // A range reaching past the table is held to it (checked by the sanitizer).
    m_emitter->apply(m_emitter->m_particles, 90, 400, 0.0, 2.0, nullptr);
    m_emitter->apply(m_emitter->m_particles, -5, 3, 0.0, 2.0, nullptr);
    EXPECT_EQ(m_emitter->liveCount(), 87);
    EXPECT_FALSE(m_emitter->m_particles[0].alive);
    EXPECT_TRUE(m_emitter->m_particles[3].alive);
    EXPECT_FALSE(m_emitter->m_particles[99].alive);
}

TEST_F(ParticleEmitterTest, TriggersFollowTheItemsKeys)
{
    // Keys at 0, 1 and 2 s on the item's first motion channel.
    Envelope* keys = freshEnvelope(m_item->m_motion[PositionX]);
    keys->addKeyLinear(0.0f, 0.0f);
    keys->addKeyLinear(1.0f, 0.0f);
    keys->addKeyLinear(2.0f, 0.0f);

    struct Case {
        int32_t trigger;
        double from;
        double to;
        int expectedLive;
    };
    // Each emitter starts with 5 records alive; 25 births per 0.25 s.
    const Case cases[] = {
        {TriggerAlways, 0.25, 0.5, 30},
        {TriggerOnKey, 0.25, 0.5, 5},
        {TriggerOnKey, 0.875, 1.125, 30},
        {TriggerRestartOnKey, 0.25, 0.5, 30},
        {TriggerRestartOnKey, 0.875, 1.125, 25},
        {TriggerNever, 0.875, 1.125, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "trigger " << c.trigger << " at " << c.to);
        ParticleEmitter e(m_item);
        e.m_trigger = c.trigger;
        e.m_bornTotal = 5;
        for (int i = 0; i < 5; ++i) {
            e.m_particles[i].alive = 1;
            e.m_particles[i].life = 100.0f;
        }
        e.update(c.to, c.to - c.from);
        EXPECT_EQ(e.liveCount(), c.expectedLive);
        if (c.trigger == TriggerRestartOnKey && c.expectedLive == 25)
            EXPECT_EQ(e.m_bornTotal, 25);
    }
}

TEST_F(ParticleEmitterTest, TriggerNeverStillAgesAndMoves)
{
    m_emitter->m_trigger = TriggerNever;
    Particle& p = m_emitter->m_particles[0];
    p.alive = 1;
    p.life = 10.0f;
    p.velocity[1] = 1.0f;
    frames({0.0, 0.5, 1.0});
    EXPECT_EQ(m_emitter->liveCount(), 1);
    EXPECT_FLOAT_EQ(p.position[1], 1.0f);
    EXPECT_FLOAT_EQ(p.life, 9.0f);
}

TEST_F(ParticleEmitterTest, NewParticlesInheritTheItemsMotion)
{
    // The item moves 6 units along z per second.
    Envelope* z = freshEnvelope(m_item->m_motion[PositionZ]);
    z->addKeyLinear(0.0f, 0.0f);
    z->addKeyLinear(10.0f, 60.0f);
    m_emitter->m_inherit = 0.5f;
    m_emitter->m_nozzleSize[0] = m_emitter->m_nozzleSize[1] = m_emitter->m_nozzleSize[2] = 0.0f;
    m_emitter->m_birthRate.m_value = 10.0f;
    SceneObject::invalidateTree(m_scene.m_root);
    m_emitter->update(2.0, 0.1);
    const Particle& p = m_emitter->m_particles[0];
    ASSERT_TRUE(p.alive);
    EXPECT_FLOAT_EQ(p.position[2], 12.0f);
    EXPECT_NEAR(p.velocity[2], 3.0f, 1e-4f);
    EXPECT_EQ(p.velocity[0], 0.0f);
}

TEST_F(ParticleEmitterTest, ModifiersActOnTheirGroupOrOnAll)
{
    auto* second = m_scene.m_emitters.emplace_back(std::make_unique<ParticleEmitter>(m_item)).get();
    int tagA = 0, tagB = 0;
    m_emitter->m_group = &tagA;
    second->m_group = &tagB;
    struct Case {
        const void* group;
        bool movesFirst;
        bool movesSecond;
    };
    const Case cases[] = {{nullptr, true, true}, {&tagA, true, false}, {&tagB, false, true}, {&m_scene, false, false}};
    for (const Case& c : cases) {
        m_scene.m_particleEffects.clear();
        auto gravity = std::make_unique<FxGravity>(m_item);
        gravity->m_group = c.group;
        gravity->m_falloff = 2;
        gravity->m_direction[1] = -1.0f;
        m_scene.m_particleEffects.push_back(std::move(gravity));
        for (ParticleEmitter* e : {m_emitter, second}) {
            e->m_birthRate.m_value = 0.0f;
            e->m_particles[0] = Particle{};
            e->m_particles[0].alive = 1;
            e->m_particles[0].life = 100.0f;
            e->m_particles[0].speedScale = 1.0f;
        }
        m_scene.m_lastParticleTime = 1.0;
        m_scene.updateParticles(nullptr, 1.5);
        EXPECT_EQ(m_emitter->m_particles[0].position[1] < 0.0f, c.movesFirst);
        EXPECT_EQ(second->m_particles[0].position[1] < 0.0f, c.movesSecond);
    }
}

TEST_F(ParticleEmitterTest, MeshObjectForwardsDeviceLossToItsRenderObject)
{
    m_scene.onLostDevice();
    m_scene.onResetDevice();
    m_scene.onResetDevice();
    EXPECT_EQ(m_voxel->m_lost, 1);
    EXPECT_EQ(m_voxel->m_reset, 2);
    // An emitter on an item that is not a mesh object has no render object.
    Camera* camera = m_scene.addCamera(false);
    ParticleEmitter onCamera(camera);
    EXPECT_EQ(onCamera.renderObject(), nullptr);
    EXPECT_EQ(m_emitter->renderObject(), m_voxel);
}

} // namespace
