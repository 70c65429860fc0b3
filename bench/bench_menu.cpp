// The menu on GL over our data set, through the application's state machine
// as the game runs it:
//   BM_ColdStartToFirstMenuFrame  from nothing (display, renderer, archive)
//       through Application::init and the menu's load to its first drawn
//       frame. Goal: under 2 s.
//   BM_MenuFrame                  one frame of the main menu at 1024 x 768:
//       the 3D background, the GUI and the present. Goal: under 8 ms on
//       llvmpipe.
// Needs a display (Xvfb) and data.sar beside the program.
#include "PlayerHome.h"

#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/io/DiskFile.h"
#include "engine/core/render/Renderer.h"
#include "game/app/Application.h"
#include "game/app/WinInput.h"
#include "game/menu/Menu.h"
#include "support/RendererRig.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string archivePath()
{
    return (fs::canonical("/proc/self/exe").parent_path() / "data.sar").string();
}

StageMakers menuOnly()
{
    StageMakers makers;
    makers.makeMenu = [](Application* application, Renderer* renderer, WinInput* input) {
        return new Menu(application, renderer, input);
    };
    return makers;
}

void BM_ColdStartToFirstMenuFrame(benchmark::State& state)
{
    PlayerHome home("vorlund-bench-menu");
    for (auto _ : state) {
        Menu::s_firstMenu = 1;
        const auto start = std::chrono::steady_clock::now();
        RendererRig gl;
        bool ok = gl.start(1024, 768);
        DiskFile disk("");
        ArchiveFile archive;
        ok = ok && archive.mount(disk, archivePath().c_str());
        WinInput input;
        auto application = std::make_unique<Application>(gl.renderer.get(), menuOnly());
        ok = ok && application->init(&archive);
        // The first frame builds the menu, the second draws it.
        ok = ok && application->update(&input) && application->update(&input);
        ok = ok && application->m_state == Application::StateMenu;
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (!ok) {
            state.SkipWithError("start-up failed (no display, or no data.sar beside the program)");
            break;
        }
    }
}
BENCHMARK(BM_ColdStartToFirstMenuFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MenuFrame(benchmark::State& state)
{
    PlayerHome home("vorlund-bench-menu");
    Menu::s_firstMenu = 1;
    RendererRig gl;
    DiskFile disk("");
    ArchiveFile archive;
    WinInput input;
    if (!gl.start(1024, 768) || !archive.mount(disk, archivePath().c_str())) {
        state.SkipWithError("no display, or no data.sar beside the program");
        return;
    }
    auto application = std::make_unique<Application>(gl.renderer.get(), menuOnly());
    if (!application->init(&archive)) {
        state.SkipWithError("the application did not start");
        return;
    }
    // Past the main menu's fade-in.
    for (int i = 0; i < 60; ++i)
        application->update(&input);
    for (auto _ : state)
        application->update(&input);
    state.counters["draws"] = double(gl.renderer->m_drawCallCount);
}
BENCHMARK(BM_MenuFrame)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
