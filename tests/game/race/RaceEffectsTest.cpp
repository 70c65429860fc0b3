// The race's effect manager in a race: its pools made at load, the dust of
// every rough ground thrown by karts driving over it with that ground's own
// pictures, and seconds of seven karts on mixed ground without an
// allocation in the effects.
#include "AllocationCount.h"
#include "RaceRig.h"

#include "engine/core/render/Renderer.h"
#include "engine/core/texture/Texture.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/ParticleEmitter.h"
#include "engine/scene/ParticleRenderer.h"
#include "engine/scene/Scene.h"
#include "game/race/EffectManager.h"
#include "game/race/Kart.h"
#include "game/race/VectorOps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// Drives round the ring `across` metres to the right of its centre line at
// full throttle.
std::function<void(ScriptedController&)> ringDriver(float across)
{
    return [across](ScriptedController& c) {
        const Kart& kart = *c.m_kart;
        const float s = std::atan2(kart.m_position.z, kart.m_position.x) * RaceFixture::kRingRadius;
        const Vector3 d = RaceFixture::ringDirection(s + 6.0f);
        const Vector3 target = RaceFixture::ringPoint(s + 6.0f) + Vector3{d.z, 0.0f, -d.x} * across;
        const float left = vec::dot(vec::unit(target - kart.m_position), kart.m_side);
        c.m_throttle = 1.0f;
        c.m_steerLeft = left > 0.0f ? std::min(1.0f, 3.0f * left) : 0.0f;
        c.m_steerRight = left < 0.0f ? std::min(1.0f, -3.0f * left) : 0.0f;
    };
}

// A race that counts what the effects its contact handlers ask for
// allocate.
class CountingRace : public TestRace {
public:
    using TestRace::TestRace;
    void spawnEffect(int32_t kind, const float position[3], const float direction[3], float size,
                     int32_t count) override
    {
        AllocationWindow window;
        Race::spawnEffect(kind, position, direction, size, count);
        m_allocations += window.count();
        ++m_requests;
    }
    int64_t m_allocations = 0;
    int64_t m_requests = 0;
};

// The rough grounds of the mixed ring and the effect types their wheels ask
// for, with the look each type shows.
struct Ground {
    const char* name;
    float at;
    int32_t types[2];
    const char* looks[2];
};
const Ground Grounds[] = {
    {"sand", RaceFixture::kSandAt, {2, 3}, {"sand_01", "sand_02"}},
    {"grass", RaceFixture::kGrassAt, {6, 7}, {"grass_01", "grass_02"}},
    {"snow", RaceFixture::kSnowAt, {4, 5}, {"schnee_01", "schnee_02"}},
};

float alongRing(const Vector3& p)
{
    float s = std::atan2(p.z, p.x) * RaceFixture::kRingRadius;
    return s < -RaceFixture::lapLength() / 4.0f ? s + RaceFixture::lapLength() : s;
}

class RaceEffects : public testing::Test {
protected:
    void load(int32_t karts)
    {
        m_rig.setUp(karts, 1, "mixedring");
        m_rig.race = std::make_unique<CountingRace>(m_rig.app.get(), m_rig.renderer.renderer.get());
        m_rig.race->m_controllerMaker = [](int32_t player) {
            return new ScriptedController(ringDriver(player % 2 == 0 ? 2.5f : -2.5f));
        };
        ASSERT_TRUE(m_rig.load().loaded());
        m_rig.startRace();
    }
    TestRace& race() { return *m_rig.race; }
    EffectManager& effects() { return *m_rig.race->m_effects; }

    RaceRig m_rig;
};

} // namespace

TEST_F(RaceEffects, ThePoolsAreMadeWithTheRaceAndGoWithIt)
{
    load(1);
    EXPECT_EQ(effects().m_scene, race().m_scene);
    EXPECT_EQ(effects().m_sceneManager, race().m_sceneManager);
    EXPECT_EQ(effects().instances.size(), size_t(8 * EffectManager::GroundPoolSize + EffectManager::CloudPoolSize));
    EXPECT_EQ(race().m_scene->m_emitters.size(), effects().instances.size());
    for (const auto& [type, fx] : effects().instances) {
        ASSERT_NE(fx->renderer->m_texture, nullptr);
        // Every picture loaded from the race's files.
        EXPECT_NE(fx->renderer->m_texture->getD3DTexture(0.0), nullptr) << fx->renderer->m_texture->m_name;
    }
    // The chassis's sparks have no pool: asked for, they show nothing.
    const float at[3] = {0.0f, 0.0f, 0.0f}, none[3] = {0.0f, 0.0f, 0.0f};
    race().spawnEffect(13, at, none, 1.0f, 1);
    for (const auto& [type, fx] : effects().instances)
        EXPECT_FALSE(fx->active);
}

TEST_F(RaceEffects, EveryRoughGroundThrowsItsOwnParticles)
{
    load(1);
    // Where each type's effects were handed out, and the most particles
    // each had in the air.
    std::map<int32_t, std::vector<float>> spawnedAt;
    std::map<int32_t, int32_t> mostLive;
    std::set<ParticleFxInstance*> seen;
    const Kart& kart = *race().m_karts[0];
    for (int32_t frame = 0; frame < 20 * 60 && alongRing(kart.m_position) < RaceFixture::kSnowAt + 10.0f; ++frame) {
        m_rig.frame(1.0 / 60.0);
        for (const auto& [type, fx] : effects().instances) {
            if (fx->active && seen.insert(fx.get()).second)
                spawnedAt[type].push_back(alongRing(fx->emitter->itemPosition(0.0)));
            if (!fx->active)
                seen.erase(fx.get());
            mostLive[type] = std::max(mostLive[type], fx->emitter->liveCount());
        }
    }
    ASSERT_GT(alongRing(kart.m_position), RaceFixture::kSnowAt + 10.0f) << "the kart drove past the snow";
    for (const Ground& g : Grounds) {
        SCOPED_TRACE(g.name);
        for (int i = 0; i < 2; ++i) {
            const int32_t type = g.types[i];
            ASSERT_FALSE(spawnedAt[type].empty()) << "type " << type;
            for (float s : spawnedAt[type])
                EXPECT_NEAR(s, g.at, 7.5f) << "type " << type << " away from its ground";
            EXPECT_GT(mostLive[type], 0) << "type " << type;
            const auto [first, last] = effects().instances.equal_range(type);
            EXPECT_NE(first->second->renderer->m_texture->m_name.find(g.looks[i]), std::string::npos);
        }
    }
    // Smoke and the cloud come from nowhere on the ground.
    for (int32_t type : {0, 1, 8})
        EXPECT_TRUE(spawnedAt[type].empty()) << "type " << type;
}

TEST_F(RaceEffects, SecondsOfSevenKartsOnMixedGroundAllocateNothingInTheEffects)
{
    if (!AllocationWindow::available())
        GTEST_SKIP() << "allocations are counted in the sanitized build";
    load(7);
    auto& counting = static_cast<CountingRace&>(race());
    std::vector<ParticleFxInstance*> pool;
    for (const auto& [type, fx] : effects().instances)
        pool.push_back(fx.get());
    const size_t emitters = race().m_scene->m_emitters.size();
    Camera* camera = race().m_cameras[0];

    // The race draws nothing while its device is away: the test runs the
    // scene's particle passes itself, as the scene does in a drawn frame,
    // and builds the quads the device would get without handing them over
    // (the recording device writes each call down as text).
    IDirect3DDevice9* device = m_rig.renderer.renderer->m_device;
    m_rig.renderer.renderer->m_device = nullptr;
    int64_t passAllocations = 0, quads = 0, mostLive = 0;
    auto frame = [&] {
        m_rig.frame(1.0 / 60.0);
        const double clock = race().raceClock();
        AllocationWindow window;
        race().m_scene->updateParticles(nullptr, clock);
        int64_t live = 0;
        for (ParticleFxInstance* fx : pool) {
            quads += fx->renderer->buildFrame(clock, fx->emitter->m_particles, camera);
            live += fx->emitter->liveCount();
        }
        passAllocations += window.count();
        mostLive = std::max(mostLive, live);
    };
    // The engine registers its profiling sections on their first use: the
    // first frames with particles in the air go first.
    for (int i = 0; i < 20 * 60 && mostLive == 0; ++i)
        frame();
    ASSERT_GT(mostLive, 0);
    for (int i = 0; i < 10; ++i)
        frame();
    counting.m_allocations = counting.m_requests = passAllocations = quads = mostLive = 0;
    for (int i = 0; i < 5 * 60; ++i)
        frame();
    m_rig.renderer.renderer->m_device = device;

    EXPECT_GT(counting.m_requests, 1000) << "the wheels asked for dust all along";
    EXPECT_EQ(counting.m_allocations, 0);
    EXPECT_GT(quads, 0);
    EXPECT_GT(mostLive, 0);
    EXPECT_EQ(passAllocations, 0);
    // The same pools, emitters and nodes as at the start.
    std::vector<ParticleFxInstance*> after;
    for (const auto& [type, fx] : effects().instances)
        after.push_back(fx.get());
    EXPECT_EQ(after, pool);
    EXPECT_EQ(race().m_scene->m_emitters.size(), emitters);
}
