// The computer drivers: what one driver's step costs, and what share of a
// race frame the seven drivers of a race of computers take (two 0.01 s steps
// plus the frame's own work, on the recording backend: our code and ODE, no
// GL). Times are the CPU time of the thread.
//
// The race is our data set's first circuit with its first seven karts when
// the data set has them (data.sar beside the program), else the race fixture
// of the tests (tests/support/RaceFixture.h).
#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/base/Report.h"
#include "engine/core/io/DiskFile.h"
#include "game/app/Application.h"
#include "game/race/AIKartController.h"
#include "game/race/Kart.h"
#include "game/race/Race.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "platform/d3d9/RecordingBackend.h"
#include "support/FakeClock.h"
#include "support/RaceFixture.h"
#include "support/RendererRig.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kKarts = 7;
constexpr double kFrameSeconds = 0.02;

double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

// The computer driver, timed.
class TimedDriver : public AIKartController {
public:
    TimedDriver() : AIKartController(0) {}
    void update() override
    {
        const double t0 = threadSeconds();
        AIKartController::update();
        s_seconds += threadSeconds() - t0;
        ++s_steps;
    }
    static double s_seconds;
    static int64_t s_steps;
};
double TimedDriver::s_seconds = 0.0;
int64_t TimedDriver::s_steps = 0;

class BenchRace : public Race {
public:
    using Race::Race;

protected:
    bool makeControllers(int32_t, WinInput*, KartController*& primary, KartController*& second,
                         int32_t markerColours[2]) override
    {
        primary = second = new TimedDriver();
        markerColours[0] = markerColours[1] = 1;
        return true;
    }
};

class Bench {
public:
    Bench()
    {
        selectD3D9Backend(D3D9Backend::Recording);
        recordingSetup() = RecordingSetup::standard();
        if (!m_rig.start(1024, 768))
            return;
        m_app = std::make_unique<Application>(m_rig.renderer.get());
        const std::filesystem::path archive =
            std::filesystem::read_symlink("/proc/self/exe").parent_path() / "data.sar";
        DiskFile disk("");
        if (m_data.mount(disk, archive.string().c_str()) && m_app->m_config.loadConfig(m_data) &&
            !m_app->m_config.singleRaceTracks().empty() && m_app->m_config.kartAt(0)) {
            setUp(m_data, m_app->m_config.singleRaceTracks()[0]);
            if (m_race && m_race->loaded()) {
                m_name = "our data set, level " + m_app->m_raceSetup.level;
                return;
            }
        }
        m_app->m_config.loadConfig(m_fixture.files());
        setUp(m_fixture.files(), "testring");
        m_name = "the race fixture";
    }
    ~Bench()
    {
        m_race.reset();
        m_app.reset();
    }

    // The countdown, then a few seconds of racing so that the field is
    // under way.
    bool start()
    {
        if (!m_race || !m_race->loaded())
            return false;
        m_race->m_countdownStart = float(m_race->raceClock());
        for (int frame = 0; frame < 500; ++frame)
            this->frame();
        return m_race->m_started != 0;
    }
    void frame()
    {
        if (auto* recording = dynamic_cast<RecordingBackend*>(&m_rig.device()->backend()))
            recording->clearCalls();
        m_clock.advanceSeconds(kFrameSeconds);
        m_race->update(nullptr);
    }

    Race& race() { return *m_race; }
    const std::string& name() const { return m_name; }

private:
    void setUp(Stream& files, const std::string& level)
    {
        RaceSetup& s = m_app->m_raceSetup;
        s = RaceSetup{};
        s.gameType = Race::SingleRace;
        s.level = level;
        s.laps = 3;
        const std::vector<KartInfo>& karts = m_app->m_config.karts();
        for (int i = 0; i < kKarts; ++i) {
            s.playerType[i] = 4;
            s.kartName[i] = karts[size_t(i) % karts.size()].name;
            s.startSlot[i] = i;
        }
        m_race = std::make_unique<BenchRace>(m_app.get(), m_rig.renderer.get());
        m_race->load(&files, s, nullptr);
    }

    FakeClock m_clock;
    RendererRig m_rig;
    RaceFixture m_fixture;
    ArchiveFile m_data;
    std::unique_ptr<Application> m_app;
    std::unique_ptr<BenchRace> m_race;
    std::string m_name;
};

std::string g_data;
double g_stepMicroseconds = 0.0;
double g_frameMs = 0.0, g_driverShare = 0.0;

// One step of each of the seven drivers where the race stands; the karts do
// not move between them.
void BM_DriverStep(benchmark::State& state)
{
    Bench bench;
    if (!bench.start()) {
        state.SkipWithError("no race");
        return;
    }
    g_data = bench.name();
    Race& race = bench.race();
    int64_t steps = 0;
    const double t0 = threadSeconds();
    for (auto _ : state) {
        for (int32_t i = 0; i < race.m_kartCount; ++i)
            race.m_karts[i]->m_controller->update();
        steps += race.m_kartCount;
    }
    const double seconds = threadSeconds() - t0;
    g_stepMicroseconds = 1e6 * seconds / double(steps);
    state.counters["us_per_driver_step"] = g_stepMicroseconds;
}
BENCHMARK(BM_DriverStep)->Unit(benchmark::kMicrosecond)->Iterations(20000);

// Whole race frames: the drivers' share of them.
void BM_RaceFrameDrivers(benchmark::State& state)
{
    Bench bench;
    if (!bench.start()) {
        state.SkipWithError("no race");
        return;
    }
    g_data = bench.name();
    TimedDriver::s_seconds = 0.0;
    TimedDriver::s_steps = 0;
    double frameSeconds = 0.0;
    int frames = 0;
    for (auto _ : state) {
        const double t0 = threadSeconds();
        bench.frame();
        const double seconds = threadSeconds() - t0;
        state.SetIterationTime(seconds);
        frameSeconds += seconds;
        ++frames;
    }
    g_frameMs = 1000.0 * frameSeconds / frames;
    g_driverShare = TimedDriver::s_seconds / frameSeconds;
    state.counters["driver_share"] = g_driverShare;
    state.counters["us_per_driver_step_in_race"] = 1e6 * TimedDriver::s_seconds / double(TimedDriver::s_steps);
}
BENCHMARK(BM_RaceFrameDrivers)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1500);

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
    std::printf("\nrace of %d computer drivers on %s; a frame is two 0.01 s steps\n", kKarts, g_data.c_str());
    if (g_stepMicroseconds > 0.0)
        std::printf("one driver's step: %.2f us\n", g_stepMicroseconds);
    if (g_frameMs > 0.0)
        std::printf("race frame on the recording backend: %.2f ms CPU, of it the drivers %.1f%%\n", g_frameMs,
                    100.0 * g_driverShare);
    return 0;
}
