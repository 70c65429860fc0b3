// The race effect manager over a scene on the recording backend, before any
// race exists: the race's looks and pools, spawning until a pool runs dry
// and reuse once an effect's time is up, the race clock, every ground kind
// throwing particles with its own pictures, and seconds of a seven-kart
// race without an allocation.
#include "AllocationCount.h"

#include "engine/core/math/Random.h"
#include "engine/core/base/Report.h"
#include "engine/core/texture/Texture.h"
#include "engine/scene/Camera.h"
#include "engine/scene/MeshObject.h"
#include "engine/scene/ParticleEmitter.h"
#include "engine/scene/ParticleRenderer.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "game/race/EffectManager.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/Direct3DTexture9.h"
#include "support/RecordingWorld.h"
#include "support/SceneRig.h"
#include "support/ScopedWorkingDirectory.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string Extras = "D:\\Zoprax9\\textures_extras\\partikel_";
const std::string CloudPicture = "X:\\Ormlib\\cartoon\\textures_fx\\partikel_wolke_0001.bmp";

// The picture names of a ground look: "grass_01" and the like.
std::string pictureOf(const std::string& look) { return Extras + look + ".bmp"; }
std::string alphaOf(const std::string& look) { return Extras + look + "_alpha.bmp"; }

const char* const GroundLooks[] = {"grass_01", "grass_02", "rauch_01", "rauch_02",
                                   "sand_01",  "sand_02",  "schnee_01", "schnee_02"};

// The effect types the wheels ask for on each rough ground (the lower one
// for the random bit 0) and the types with no asker yet.
struct TypeLook {
    int32_t type;
    const char* look;
};
const TypeLook GroundTypes[] = {{4, "schnee_01"}, {5, "schnee_02"}, {6, "grass_01"}, {7, "grass_02"},
                                {2, "sand_01"},   {3, "sand_02"},   {0, "rauch_01"}, {1, "rauch_02"}};

std::vector<uint8_t> picture(uint32_t colour)
{
    BmpLayout layout;
    layout.width = layout.height = 4;
    return writeBmp(layout, {}, std::vector<uint32_t>(16, colour));
}

class EffectManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_rig.start());
        m_scene = m_rig.scene;
        m_camera = m_scene->addCamera(true);
        m_camera->m_motion[PositionZ].m_value = -20.0f;
        uint32_t colour = 0x102030;
        for (const char* look : GroundLooks) {
            m_files.addFile(pictureOf(look), picture(colour += 0x101010));
            m_files.addFile(alphaOf(look), picture(0x000000));
        }
        m_files.addFile(CloudPicture, picture(0xFFFFFF));
        m_effects = std::make_unique<EffectManager>(&m_files, nullptr, m_rig.manager.get(), m_scene);
    }

    std::vector<ParticleFxInstance*> pool(int32_t type)
    {
        std::vector<ParticleFxInstance*> out;
        const auto [first, last] = m_effects->instances.equal_range(type);
        for (auto it = first; it != last; ++it)
            out.push_back(it->second.get());
        return out;
    }
    // One rendered frame's particle work, as the scene runs it.
    void frame(double time) { m_scene->updateParticles(m_camera, time); }
    IDirect3DBaseTexture9* boundTexture(DWORD stage)
    {
        IDirect3DBaseTexture9* texture = nullptr;
        m_rig.device()->GetTexture(stage, &texture);
        if (texture)
            texture->Release();
        return texture;
    }

    // The textures' ".dds" copies land here, if anywhere.
    ScopedWorkingDirectory m_directory{"effect_manager"};
    RecordingWorld m_world;
    SceneRig m_rig;
    MemoryFileSystem m_files;
    Scene* m_scene = nullptr;
    Camera* m_camera = nullptr;
    std::unique_ptr<EffectManager> m_effects;
};

IDirect3DBaseTexture9* textureOf(Texture* texture)
{
    return texture->getD3DTexture(0.0);
}

const Vector3 Behind(0.0f, 0.5f, -1.0f);

} // namespace

TEST_F(EffectManagerTest, TheRaceLooksAndPools)
{
    m_effects->createRaceEffects();
    ASSERT_EQ(m_effects->surfaces.size(), 9u);
    for (const TypeLook& t : GroundTypes) {
        SCOPED_TRACE(t.type);
        const std::vector<ParticleFxInstance*> fx = pool(t.type);
        ASSERT_EQ(fx.size(), size_t(EffectManager::GroundPoolSize));
        for (ParticleFxInstance* instance : fx) {
            ASSERT_NE(instance->renderer->m_texture, nullptr);
            EXPECT_EQ(instance->renderer->m_texture->m_name, pictureOf(t.look));
            ASSERT_NE(instance->renderer->m_alphaTexture, nullptr);
            EXPECT_EQ(instance->renderer->m_alphaTexture->m_name, alphaOf(t.look));
            EXPECT_EQ(instance->renderer->m_alphaTexture->m_flags & TextureAlphaOnly, TextureAlphaOnly);
            EXPECT_FLOAT_EQ(instance->renderer->m_intensity, 1.0f);
            EXPECT_EQ(instance->node->m_deviceObject.get(), instance->renderer);
            EXPECT_EQ(instance->node->m_parent, m_scene->m_root);
            EXPECT_EQ(instance->node->m_name, "particle_fx");
            EXPECT_EQ(instance->emitter->m_item, instance->node);
            EXPECT_FALSE(instance->active);
            EXPECT_FLOAT_EQ(instance->emitter->m_birthRate.m_value, 0.0f) << "idle until spawned";
            EXPECT_FLOAT_EQ(instance->rate, EffectManager::GroundPuff.rate);
        }
    }
    const std::vector<ParticleFxInstance*> clouds = pool(8);
    ASSERT_EQ(clouds.size(), size_t(EffectManager::CloudPoolSize));
    EXPECT_EQ(clouds[0]->renderer->m_texture->m_name, CloudPicture);
    EXPECT_EQ(clouds[0]->renderer->m_alphaTexture, nullptr);
    EXPECT_FLOAT_EQ(m_effects->surfaces.at(11)->value, 0.8f);
    EXPECT_EQ(m_effects->surfaces.at(11)->flags[0], 1);
    EXPECT_FLOAT_EQ(m_effects->surfaces.at(6)->value, 1.0f);
    EXPECT_EQ(m_scene->m_emitters.size(), size_t(8 * EffectManager::GroundPoolSize + EffectManager::CloudPoolSize));
    // Each picture is loaded once, shared by the pools that show it.
    EXPECT_EQ(m_rig.manager->m_textures.size(), 17u);
    EXPECT_STREQ(lastErrorText.c_str(), "");
}

TEST_F(EffectManagerTest, LooksTakeTheManagersTexturesByName)
{
    Texture* known = m_rig.manager->getTexture(&m_files, pictureOf("grass_01"));
    const size_t before = m_rig.manager->m_textures.size();
    m_effects->createSurfaceEffect(6, pictureOf("grass_01").c_str(), 1.0f, alphaOf("grass_01").c_str());
    m_effects->createSurfaceEffect(11, CloudPicture.c_str(), 0.8f, "");
    EXPECT_EQ(m_effects->surfaces.at(6)->texture, known);
    EXPECT_EQ(m_rig.manager->m_textures.size(), before + 2) << "the alpha picture and the cloud";
    EXPECT_EQ(m_effects->surfaces.at(11)->alphaTexture, nullptr);
    ASSERT_NE(m_rig.manager->findTexture(alphaOf("grass_01"), 0), nullptr);

    // A look filed again replaces the first.
    m_effects->createSurfaceEffect(6, CloudPicture.c_str(), 0.5f, nullptr);
    EXPECT_EQ(m_effects->surfaces.at(6)->texture->m_name, CloudPicture);
    EXPECT_EQ(m_effects->surfaces.size(), 2u);
}

TEST_F(EffectManagerTest, PoolsAreMadeOnceForAFiledLook)
{
    m_effects->createSurfaceEffect(6, pictureOf("grass_01").c_str(), 1.0f, alphaOf("grass_01").c_str());
    struct Case {
        const char* what;
        int32_t type, key, count;
        size_t pool;
    };
    const Case cases[] = {
        {"a look and a count", 6, 6, 3, 3},
        {"the type has its pool already", 6, 6, 5, 3},
        {"no look under the key", 7, 5, 3, 0},
        {"no emitters", 8, 6, 0, 0},
        {"a negative count", 9, 6, -4, 0},
    };
    for (const Case& c : cases) {
        m_effects->createParticleFx(c.type, c.key, EffectManager::GroundPuff, c.count);
        EXPECT_EQ(pool(c.type).size(), c.pool) << c.what;
    }
    EXPECT_EQ(m_scene->m_emitters.size(), 3u);
}

TEST_F(EffectManagerTest, AnExhaustedPoolShowsNothingUntilAnEffectEnds)
{
    m_effects->createRaceEffects();
    m_effects->update(10.0);
    std::set<ParticleFxInstance*> handedOut;
    for (int i = 0; i < EffectManager::GroundPoolSize; ++i) {
        ParticleFxInstance* fx = m_effects->spawn(6, Vector3(float(i), 0.0f, 2.0f), Behind, 1.0f, 1);
        ASSERT_NE(fx, nullptr) << i;
        handedOut.insert(fx);
    }
    EXPECT_EQ(handedOut.size(), size_t(EffectManager::GroundPoolSize));
    EXPECT_EQ(m_effects->spawn(6, Vector3(), Behind, 1.0f, 1), nullptr) << "the 29th";
    EXPECT_NE(m_effects->spawn(7, Vector3(), Behind, 1.0f, 1), nullptr) << "the other grass pool";
    EXPECT_EQ(m_effects->spawn(13, Vector3(), Behind, 1.0f, 1), nullptr) << "sparks have no pool";

    // One second of effect lasts half a second of race.
    ParticleFxInstance* first = pool(6).front();
    EXPECT_FLOAT_EQ(first->duration, 0.5f);
    m_effects->update(10.5);
    EXPECT_TRUE(first->active);
    EXPECT_FLOAT_EQ(first->elapsed, 0.5f);
    m_effects->update(10.51);
    EXPECT_FALSE(first->active);
    EXPECT_FLOAT_EQ(first->emitter->m_birthRate.m_value, 0.0f);

    // Handed out again, where it is asked for and along the new direction.
    ParticleFxInstance* again = m_effects->spawn(6, Vector3(3.0f, 1.0f, 4.0f), Vector3(0.0f, 2.0f, 0.0f), 2.0f, 1);
    EXPECT_EQ(again, first);
    EXPECT_TRUE(again->active);
    EXPECT_FLOAT_EQ(again->elapsed, 0.0f);
    EXPECT_FLOAT_EQ(again->duration, 1.0f);
    EXPECT_FLOAT_EQ(again->emitter->m_birthRate.m_value, EffectManager::GroundPuff.rate);
    EXPECT_FLOAT_EQ(again->emitter->m_velocity[1].m_value, 2.0f);
    const Vector3 at = again->emitter->itemPosition(0.0);
    EXPECT_FLOAT_EQ(at.x, 3.0f);
    EXPECT_FLOAT_EQ(at.y, 1.0f);
    EXPECT_FLOAT_EQ(at.z, 4.0f);
}

TEST_F(EffectManagerTest, EffectsAgeByTheRaceClock)
{
    m_effects->createRaceEffects();
    ParticleFxInstance* timed = m_effects->spawn(4, Vector3(), Behind, 1.0f, 1);
    ParticleFxInstance* untimed = m_effects->spawn(4, Vector3(), Behind, 1.0f, 0);
    ASSERT_NE(untimed, nullptr);
    struct Step {
        double clock;
        float elapsed;
    };
    // The first update only reads the clock; a paused race (a clock that
    // stands) and a restarted one (a clock that goes back) age nothing.
    const Step steps[] = {{30.0, 0.0f}, {30.25, 0.25f}, {30.25, 0.25f}, {1.0, 0.25f}, {1.125, 0.375f}};
    for (const Step& s : steps) {
        m_effects->update(s.clock);
        EXPECT_FLOAT_EQ(timed->elapsed, s.elapsed) << s.clock;
    }
    EXPECT_TRUE(timed->active);
    m_effects->update(100.0);
    EXPECT_FALSE(timed->active);
    // An untimed effect emits until the race ends.
    EXPECT_TRUE(untimed->active);
    EXPECT_FLOAT_EQ(untimed->elapsed, 0.0f);
    EXPECT_FLOAT_EQ(untimed->emitter->m_birthRate.m_value, EffectManager::GroundPuff.rate);
}

TEST_F(EffectManagerTest, EveryGroundKindThrowsParticlesWithItsOwnPictures)
{
    m_effects->createRaceEffects();
    double time = 0.0;
    frame(time);
    for (const TypeLook& t : GroundTypes) {
        SCOPED_TRACE(t.type);
        ParticleFxInstance* fx = m_effects->spawn(t.type, Vector3(0.0f, 0.0f, 5.0f), Behind, 1.0f, 1);
        ASSERT_NE(fx, nullptr);
        for (int i = 0; i < 6; ++i)
            frame(time += 1.0 / 60.0);
        const int32_t live = fx->emitter->liveCount();
        EXPECT_GT(live, 0);
        EXPECT_LE(live, EffectManager::GroundPuff.limit);
        // Thrown back and up from where the wheel touched.
        for (const Particle& p : fx->emitter->m_particles) {
            if (!p.alive)
                continue;
            EXPECT_LT(p.velocity[2], 0.0f);
            EXPECT_GT(p.velocity[1], 0.0f);
        }
        // Its quads were drawn last, with its pictures on the stages.
        EXPECT_EQ(fx->renderer->m_texture->m_name, pictureOf(t.look));
        EXPECT_EQ(boundTexture(0), textureOf(fx->renderer->m_texture));
        EXPECT_EQ(boundTexture(1), textureOf(fx->renderer->m_alphaTexture));
        // Its time runs out, then its particles' lives: the next kind draws
        // alone.
        m_effects->update(time);
        m_effects->update(time + 1.0);
        for (int i = 0; i < 90; ++i)
            frame(time += 1.0 / 60.0);
        EXPECT_FALSE(fx->active);
        EXPECT_EQ(fx->emitter->liveCount(), 0);
    }
}

TEST_F(EffectManagerTest, SecondsOfASevenKartRaceAllocateNothing)
{
    if (!AllocationWindow::available())
        GTEST_SKIP() << "allocations are counted in the sanitized build";
    m_effects->createRaceEffects();
    // Seven karts on snow, grass, sand and the road, each wheel on rough
    // ground asking for an effect every 0.01 s step, as the contact
    // handlers do; every frame the particles move and their quads are built.
    const int32_t roughTypes[7] = {4, 6, 2, -1, 6, 2, 4};
    std::vector<ParticleRenderer*> renderers;
    std::vector<ParticleEmitter*> emitters;
    for (const auto& [type, fx] : m_effects->instances) {
        renderers.push_back(fx->renderer);
        emitters.push_back(fx->emitter);
    }
    engineSrand(7);
    double clock = 0.0;
    double physics = 0.0;
    int64_t spawned = 0, refused = 0, quads = 0;
    auto frame = [&] {
        clock += 1.0 / 60.0;
        for (; physics < clock; physics += 0.01) {
            for (int kart = 0; kart < 7; ++kart) {
                if (roughTypes[kart] < 0)
                    continue;
                const Vector3 at(float(kart) * 3.0f, 0.0f, float(physics) * 20.0f);
                for (int wheel = 0; wheel < 4; ++wheel) {
                    const int32_t type = roughTypes[kart] + (engineRand() & 1);
                    if (m_effects->spawn(type, at, Behind, 1.0f, 1))
                        ++spawned;
                    else
                        ++refused;
                }
            }
        }
        m_effects->update(clock);
        // The particle passes; the quads without the device, whose
        // recording writes each call down as text.
        m_scene->updateParticles(nullptr, clock);
        for (size_t i = 0; i < renderers.size(); ++i)
            quads += renderers[i]->buildFrame(clock, emitters[i]->m_particles, m_camera);
    };
    // The engine registers its profiling sections on their first use, once
    // for the whole process: the first frames that give birth and draw go
    // first (the very first only starts the particle clock).
    for (int i = 0; i < 10; ++i)
        frame();
    int64_t allocations = 0;
    {
        AllocationWindow window;
        for (int i = 0; i < 5 * 60; ++i)
            frame();
        allocations = window.count();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_GT(spawned, 0);
    EXPECT_GT(refused, 0) << "the pools ran dry and were handed out again";
    EXPECT_GT(quads, 0);
}
