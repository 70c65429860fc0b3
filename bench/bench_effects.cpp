// The race effect manager per frame on the recording backend: seven karts
// on a mixed set-up (two on snow, two on grass, two on sand, one on the
// road) drive at 20 m/s, and every wheel on rough ground asks for an
// effect each 0.01 s step, as the contact handlers do; then the manager
// ages its effects by the race clock and the scene moves and draws every
// pooled emitter. Printed: the time per frame, the live particles and the
// active emitters, and apart the manager's own bookkeeping (the requests
// and the update, with nothing drawn).
#include "engine/core/math/Random.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ParticleEmitter.h"
#include "engine/scene/Scene.h"
#include "game/race/EffectManager.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/DeviceReadBack.h"
#include "support/SceneRig.h"
#include "tools/lib/ImageWriters.h"
#include "tools/lib/MemoryFileSystem.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double FrameTime = 1.0 / 60.0;
constexpr double StepTime = 0.01;
// The lower effect type of each kart's ground (the wheel's random bit adds
// one); -1 for the road.
constexpr int32_t KartGrounds[7] = {4, 4, 6, 6, 2, 2, -1};

std::vector<uint8_t> picture(uint32_t colour)
{
    BmpLayout layout;
    layout.width = layout.height = 32;
    return writeBmp(layout, {}, std::vector<uint32_t>(32 * 32, colour));
}

class Race {
public:
    Race()
    {
        selectD3D9Backend(D3D9Backend::Recording);
        recordingSetup() = RecordingSetup::standard();
        m_rig = std::make_unique<SceneRig>();
        if (!m_rig->start(640, 480))
            return;
        for (const char* look : {"grass_01", "grass_02", "rauch_01", "rauch_02", "sand_01", "sand_02", "schnee_01",
                                 "schnee_02"}) {
            const std::string name = std::string("D:\\Zoprax9\\textures_extras\\partikel_") + look;
            m_files.addFile(name + ".bmp", picture(0x806040));
            m_files.addFile(name + "_alpha.bmp", picture(0x404040));
        }
        m_files.addFile("X:\\Ormlib\\cartoon\\textures_fx\\partikel_wolke_0001.bmp", picture(0xFFFFFF));
        m_scene = m_rig->scene;
        m_effects = std::make_unique<EffectManager>(&m_files, nullptr, m_rig->manager.get(), m_scene);
        m_effects->createRaceEffects();
        m_camera = m_scene->addCamera(true);
        m_camera->m_motion[PositionY].m_value = 3.0f;
        m_camera->m_motion[PositionZ].m_value = -10.0f;
        engineSrand(1);
    }
    ~Race()
    {
        m_effects.reset();
        m_rig.reset();
        drainWindowMessages();
        selectD3D9Backend(D3D9Backend::Default);
    }
    bool ready() const { return m_camera != nullptr; }

    // The contact handlers' requests up to the race clock, and the update.
    void simulate()
    {
        m_clock += FrameTime;
        for (; m_physics < m_clock; m_physics += StepTime) {
            for (int kart = 0; kart < 7; ++kart) {
                if (KartGrounds[kart] < 0)
                    continue;
                const Vector3 at(float(kart) * 3.0f, 0.0f, float(m_physics) * 20.0f);
                for (int wheel = 0; wheel < 4; ++wheel)
                    m_effects->spawn(KartGrounds[kart] + (engineRand() & 1), at, Vector3(0.0f, 0.5f, -1.0f), 1.0f,
                                     1);
            }
        }
        m_effects->update(m_clock);
    }
    // The particles of the frame, moved and drawn.
    void draw()
    {
        m_camera->m_motion[PositionZ].m_value = float(m_clock) * 20.0f - 10.0f;
        m_camera->invalidateMatrices();
        m_scene->updateParticles(m_camera, m_clock);
        IDirect3DDevice9* d = m_rig->device();
        if (auto* recording = dynamic_cast<RecordingBackend*>(&d->backend()))
            recording->clearCalls();
    }
    void frame()
    {
        simulate();
        draw();
    }

    int64_t liveParticles() const
    {
        int64_t live = 0;
        for (const auto& emitter : m_scene->m_emitters)
            live += emitter->liveCount();
        return live;
    }
    int64_t activeEmitters() const
    {
        int64_t active = 0;
        for (const auto& [type, fx] : m_effects->instances)
            active += fx->active;
        return active;
    }

private:
    std::unique_ptr<SceneRig> m_rig;
    MemoryFileSystem m_files;
    Scene* m_scene = nullptr;
    Camera* m_camera = nullptr;
    std::unique_ptr<EffectManager> m_effects;
    double m_clock = 0.0;
    double m_physics = 0.0;
};

void run(benchmark::State& state, bool bookkeepingOnly)
{
    Race race;
    if (!race.ready()) {
        state.SkipWithError("no renderer");
        return;
    }
    // Two seconds bring the pools and the particles to their steady state.
    for (int i = 0; i < 120; ++i)
        race.frame();
    int64_t live = 0, active = 0, samples = 0, frames = 0;
    for (auto _ : state) {
        if (bookkeepingOnly)
            race.simulate();
        else
            race.frame();
        // Counted every 30th frame, outside the timing.
        if (++frames % 30 == 0) {
            state.PauseTiming();
            live += race.liveParticles();
            active += race.activeEmitters();
            ++samples;
            state.ResumeTiming();
        }
    }
    state.counters["live_particles"] = samples ? double(live) / double(samples) : 0.0;
    state.counters["active_emitters"] = samples ? double(active) / double(samples) : 0.0;
}

void BM_EffectFrame(benchmark::State& state) { run(state, false); }
void BM_EffectManagerBookkeeping(benchmark::State& state) { run(state, true); }

} // namespace

BENCHMARK(BM_EffectFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EffectManagerBookkeeping)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
