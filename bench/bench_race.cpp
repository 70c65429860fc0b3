// The race: loading a race of seven karts (the level, the karts and their
// drivers) and one race frame with seven karts driving round the track (two
// 0.01 s steps plus the frame's own work: progress, cameras, drawing) on the
// recording backend (our code and ODE, no GL) and on GL at 1024x768
// (llvmpipe under Xvfb). The summary prints the mean and worst frame and
// how much of the frame went to ODE: its collider (which calls our near
// callback and contact handlers) and its world step. Frame times are the
// CPU time of the thread; the shares are of the time-stamp counter.
//
// The race is our data set's first level with its first seven karts when
// the data set has them (data.sar beside the program), else the race
// fixture of the tests (tests/support/RaceFixture.h).
#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/io/DiskFile.h"
#include "engine/core/base/Profiler.h"
#include "engine/core/base/Report.h"
#include "game/app/Application.h"
#include "game/race/Kart.h"
#include "game/race/KartController.h"
#include "game/race/Race.h"
#include "game/race/VectorOps.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/FakeClock.h"
#include "support/RaceFixture.h"
#include "support/RendererRig.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kKarts = 7;

// Drives along the race's first path, or straight on without one.
class PathDriver : public KartController {
public:
    explicit PathDriver(Race& race) : m_race(race) {}
    int32_t getType() const override { return Human; }
    bool isAI() const override { return true; }
    void update() override
    {
        m_throttle = 1.0f;
        const Path& path = m_race.m_paths[0];
        if (!m_kart || m_race.m_pathCount < 1 || !path.usable())
            return;
        const float s = path.distanceAlongInWindow(m_kart->m_position, 1, path.count + 1);
        const float left = vec::dot(vec::unit(path.pointAtDistance(s + 8.0f) - m_kart->m_position), m_kart->m_side);
        m_steerLeft = left > 0.0f ? std::min(1.0f, 3.0f * left) : 0.0f;
        m_steerRight = left < 0.0f ? std::min(1.0f, -3.0f * left) : 0.0f;
    }

private:
    Race& m_race;
};

class BenchRace : public Race {
public:
    using Race::Race;

protected:
    bool makeControllers(int32_t playerType, WinInput* input, KartController*& primary, KartController*& second,
                         int32_t markerColours[2]) override
    {
        primary = new PathDriver(*this);
        second = new KartController();
        markerColours[0] = markerColours[1] = 1;
        return true;
    }
};

class Bench {
public:
    Bench(D3D9Backend backend, int width, int height)
    {
        selectD3D9Backend(backend);
        if (backend == D3D9Backend::Recording)
            recordingSetup() = RecordingSetup::standard();
        if (!m_rig.start(width, height))
            return;
        m_app = std::make_unique<Application>(m_rig.renderer.get());
        // Our data set when it holds a race, else the tests' fixture.
        const std::filesystem::path archive =
            std::filesystem::read_symlink("/proc/self/exe").parent_path() / "data.sar";
        DiskFile disk("");
        if (m_data.mount(disk, archive.string().c_str()) && m_app->m_config.loadConfig(m_data) &&
            m_app->m_config.levelAt(0) && m_app->m_config.kartAt(0)) {
            m_files = &m_data;
            setUp(m_app->m_config.levelAt(0)->name);
            if (loadRace() && m_race->loaded()) {
                m_name = "our data set, level " + m_app->m_raceSetup.level;
                return;
            }
            m_race.reset();
        }
        m_app->m_config.loadConfig(m_fixture.files());
        m_files = &m_fixture.files();
        setUp("testring");
        loadRace();
        m_name = "the race fixture";
    }
    ~Bench()
    {
        m_race.reset();
        m_app.reset();
    }

    bool loadRace()
    {
        m_race = std::make_unique<BenchRace>(m_app.get(), m_rig.renderer.get());
        m_race->load(m_files, m_app->m_raceSetup, nullptr);
        return m_race->loaded();
    }
    // The start key and the countdown, then a few seconds of racing.
    void start()
    {
        m_race->m_countdownStart = float(m_race->raceClock());
        for (int frame = 0; frame < 300; ++frame) {
            frame_();
            forgetCalls();
        }
    }
    void frame_()
    {
        m_clock.advanceSeconds(0.02);
        m_race->update(nullptr);
    }
    // The recording backend keeps every call: dropped between frames, so
    // that its growing list costs no frame anything.
    void forgetCalls()
    {
        if (auto* recording = dynamic_cast<RecordingBackend*>(&m_rig.device()->backend()))
            recording->clearCalls();
    }

    Race* race() const { return m_race.get(); }
    const std::string& name() const { return m_name; }

private:
    void setUp(const std::string& level)
    {
        RaceSetup& s = m_app->m_raceSetup;
        s = RaceSetup{};
        s.gameType = Race::SingleRace;
        s.level = level;
        s.laps = 3;
        const std::vector<KartInfo>& karts = m_app->m_config.karts();
        for (int i = 0; i < kKarts; ++i) {
            s.playerType[i] = 1;
            s.kartName[i] = karts[size_t(i) % karts.size()].name;
            s.startSlot[i] = i;
        }
    }

    FakeClock m_clock;
    RendererRig m_rig;
    RaceFixture m_fixture;
    ArchiveFile m_data;
    Stream* m_files = nullptr;
    std::unique_ptr<Application> m_app;
    std::unique_ptr<BenchRace> m_race;
    std::string m_name;
};

struct FrameFigures {
    double cpuMs = 0.0, worstCpuMs = 0.0, wallMs = 0.0, worstWallMs = 0.0, collideShare = 0.0, stepShare = 0.0;
    // The worst frame by CPU time: its simulation steps and its shares.
    int worstSteps = 0;
    double worstCollideShare = 0.0, worstStepShare = 0.0;
    int framesOver4Ms = 0, frames = 0;
    // CPU time of the frame below which 99% of the frames stay: the worst
    // frame alone says more about the machine's other work than the race.
    double p99CpuMs = 0.0;
};
FrameFigures g_recording, g_gl;
double g_loadMs = 0.0;
std::string g_data;

// CPU time of this thread: what the frame costs, whatever else the machine
// runs meanwhile.
double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

uint64_t sectionClocks(const char* name)
{
    for (int32_t i = 0; i < Profiler::count(); ++i)
        if (std::string(Profiler::entry(i).name) == name)
            return Profiler::entry(i).clocks;
    return 0;
}

// Benchmark time: CPU time on the recording backend, whole frames on GL
// (llvmpipe draws on threads of its own).
void runFrames(benchmark::State& state, D3D9Backend backend, int width, int height, FrameFigures& f)
{
    Bench bench(backend, width, height);
    if (!bench.race() || !bench.race()->loaded()) {
        state.SkipWithError("no race (no display for GL?)");
        return;
    }
    g_data = bench.name();
    bench.start();
    Profiler::reset();
    uint64_t frameClocks = 0;
    int frames = 0;
    std::vector<double> cpuMs;
    for (auto _ : state) {
        bench.forgetCalls();
        const float physics0 = bench.race()->m_physicsClock;
        const uint64_t collide0 = sectionClocks("race collide"), step0 = sectionClocks("race world step");
        const double cpu0 = threadSeconds(), wall0 = wallSeconds();
        const uint64_t c0 = Profiler::timeStamp();
        bench.frame_();
        const uint64_t clocks = Profiler::timeStamp() - c0;
        frameClocks += clocks;
        const double cpu = threadSeconds() - cpu0, wall = wallSeconds() - wall0;
        state.SetIterationTime(backend == D3D9Backend::Gl ? wall : cpu);
        f.cpuMs += 1000.0 * cpu;
        f.wallMs += 1000.0 * wall;
        if (1000.0 * cpu > f.worstCpuMs) {
            f.worstSteps = int(std::lround((bench.race()->m_physicsClock - physics0) / Race::kStep));
            f.worstCollideShare = double(sectionClocks("race collide") - collide0) / double(clocks);
            f.worstStepShare = double(sectionClocks("race world step") - step0) / double(clocks);
        }
        f.worstCpuMs = std::max(f.worstCpuMs, 1000.0 * cpu);
        f.worstWallMs = std::max(f.worstWallMs, 1000.0 * wall);
        f.framesOver4Ms += cpu > 0.004 ? 1 : 0;
        cpuMs.push_back(1000.0 * cpu);
        ++frames;
    }
    f.frames = frames;
    std::sort(cpuMs.begin(), cpuMs.end());
    if (!cpuMs.empty())
        f.p99CpuMs = cpuMs[std::min(cpuMs.size() - 1, cpuMs.size() * 99 / 100)];
    f.cpuMs /= frames;
    f.wallMs /= frames;
    f.collideShare = double(sectionClocks("race collide")) / double(frameClocks);
    f.stepShare = double(sectionClocks("race world step")) / double(frameClocks);
}

void BM_RaceFrameRecording(benchmark::State& state)
{
    runFrames(state, D3D9Backend::Recording, 1024, 768, g_recording);
}
BENCHMARK(BM_RaceFrameRecording)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1500);

void BM_RaceFrameGl(benchmark::State& state)
{
    runFrames(state, D3D9Backend::Gl, 1024, 768, g_gl);
}
BENCHMARK(BM_RaceFrameGl)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(300);

// Level, seven karts and their drivers, from an empty race to the grid.
void BM_RaceLoad(benchmark::State& state)
{
    Bench bench(D3D9Backend::Recording, 1024, 768);
    if (!bench.race()) {
        state.SkipWithError("no race");
        return;
    }
    double total = 0.0;
    int loads = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const bool loaded = bench.loadRace();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (!loaded)
            state.SkipWithError("the race did not load");
        state.SetIterationTime(seconds);
        total += seconds;
        ++loads;
    }
    g_loadMs = 1000.0 * total / loads;
}
BENCHMARK(BM_RaceLoad)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void print(const char* name, const FrameFigures& f)
{
    if (f.cpuMs <= 0.0)
        return;
    std::printf("%s: CPU %.2f ms mean, %.2f ms worst; whole frame %.2f ms mean, %.2f ms worst\n", name, f.cpuMs,
                f.worstCpuMs, f.wallMs, f.worstWallMs);
    std::printf("  of it ODE's collider with our handlers %.0f%%, ODE's world step %.0f%%, the rest (karts, progress, "
                "cameras, drawing) %.0f%%\n",
                100.0 * f.collideShare, 100.0 * f.stepShare, 100.0 * (1.0 - f.collideShare - f.stepShare));
    std::printf("  worst frame: %d steps, ODE's collider %.0f%%, world step %.0f%%; 99%% of the frames under %.2f ms CPU, "
                "%d of %d over 4 ms\n",
                f.worstSteps, 100.0 * f.worstCollideShare, 100.0 * f.worstStepShare, f.p99CpuMs, f.framesOver4Ms,
                f.frames);
}

} // namespace

int main(int argc, char** argv)
{
    reportLevel = 3;
    reportToText = 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nrace of %d karts on %s; a frame is two 0.01 s steps\n", kKarts, g_data.c_str());
    print("recording backend", g_recording);
    print("GL at 1024x768", g_gl);
    if (g_loadMs > 0.0)
        std::printf("race load (level, karts, drivers): %.0f ms\n", g_loadMs);
    return 0;
}
