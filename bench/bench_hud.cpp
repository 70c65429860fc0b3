// The HUD's share of a race frame: what the race feeds it every frame (total,
// lap and best lap times, lap, rank, coins, the held power-up, the wrong-way
// sign, seven minimap markers and, in last man standing, the energy bars)
// with one view and with two, on the recording device, where the GUI runs on
// CEGUI's null renderer: the cost of our code and CEGUI's window updates,
// not of drawing them.
//   BM_HudFrame/1   one view
//   BM_HudFrame/2   two views
// Needs data.sar beside the program (our data set's first level).
#include "PlayerHome.h"

#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/io/DiskFile.h"
#include "game/app/Application.h"
#include "game/app/Hud.h"
#include "platform/d3d9/D3D9Backend.h"
#include "support/RendererRig.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

void BM_HudFrame(benchmark::State& state)
{
    const int32_t views = int32_t(state.range(0));
    PlayerHome home("vorlund-bench-hud");
    selectD3D9Backend(D3D9Backend::Recording);
    RendererRig rig;
    DiskFile disk("");
    ArchiveFile archive;
    const fs::path data = fs::canonical("/proc/self/exe").parent_path() / "data.sar";
    if (!rig.start(1024, 768) || !archive.mount(disk, data.string().c_str())) {
        state.SkipWithError("no recording device or no data.sar beside the program");
        return;
    }
    auto app = std::make_unique<Application>(rig.renderer.get());
    if (!app->init(&archive) || !app->m_config.levelAt(0)) {
        state.SkipWithError("the application did not start on data.sar");
        return;
    }
    RaceSetup setup;
    setup.mode = views == 2 ? 1 : 0;
    setup.gameType = 1;
    setup.level = app->m_config.levelAt(0)->name;
    setup.laps = 3;
    auto hud = std::make_unique<Hud>(app.get(), &setup, views);
    for (int32_t kart = 0; kart < 7; ++kart)
        hud->addMarker(kart == 0 ? 0 : 1, kart == 1 ? 0 : 1);
    hud->setVisible(true);

    int64_t frame = 0;
    for (auto _ : state) {
        const float t = float(frame) * 0.02f;
        for (int32_t view = 0; view < views; ++view) {
            hud->setTotalTime(t, view);
            hud->setLap(int32_t(frame / 3000) + 1, 3, view);
            hud->setBestLapTime(41.27f, view);
            hud->setLapTime(t - 41.27f, view);
            hud->setRank(int32_t(frame / 500 % 7), view);
            hud->setCoins(int32_t(frame / 400 % 12), view);
            hud->setPowerup(int32_t(frame / 300 % 18) - 1, view);
            hud->setUTurnVisible(frame % 200 < 20, view);
            for (int32_t bar = 0; bar < Hud::kBars; ++bar)
                hud->setEnergy(bar, 1.0f - float(frame % 1000) * 0.001f, view);
        }
        for (int32_t kart = 0; kart < 7; ++kart)
            hud->updateMarker(kart, {float(kart) * 10.0f + t, 0.0f, float(kart) * -5.0f + t * 0.5f});
        ++frame;
    }
    hud.reset();
    app.reset();
    selectD3D9Backend(D3D9Backend::Default);
}
BENCHMARK(BM_HudFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
