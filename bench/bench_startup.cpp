// The program's start-up on our data set: from nothing to the end of
// Application::init, as WinMain runs it: the display manager and its window,
// the renderer, the archive mounted, then init (the GUI with its schemes,
// fonts and loading screen, texts, records, config.xml, the sound banks),
// with every loading frame drawn. Each iteration also takes it all down
// again, outside the timing. Goal: under 2 s. Needs a display (Xvfb) and
// data.sar beside the program.
#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/io/DiskFile.h"
#include "engine/core/display/DisplayChecker.h"
#include "engine/core/display/DisplayManager.h"
#include "engine/core/render/Renderer.h"
#include "game/app/Application.h"
#include "platform/win/Window.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

LRESULT procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* windowClass()
{
    static const char* name = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = procedure;
        wc.lpszClassName = "VorlundStartUp";
        RegisterClassExA(&wc);
        return "VorlundStartUp";
    }();
    return name;
}

void BM_StartUpToEndOfInit(benchmark::State& state)
{
    namespace fs = std::filesystem;
    const fs::path bin = fs::canonical("/proc/self/exe").parent_path();
    const std::string archivePath = (bin / "data.sar").string();
    // The player's files go to a folder of the run's own.
    const fs::path home = fs::temp_directory_path() / ("vorlund-bench-" + std::to_string(getpid()));
    setenv("VORLUND_HOME", home.string().c_str(), 1);
    const fs::path previous = fs::current_path();
    fs::create_directories(home);
    fs::current_path(home);

    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto display = std::make_unique<DisplayManager>();
        bool ok = display->init("", "");
        DisplayChecker(display.get()).check(0);
        display->m_settings->width = 1024;
        display->m_settings->height = 768;
        display->m_settings->windowed = 1;
        display->m_settings->windowWidth = 1024;
        display->m_settings->windowHeight = 768;
        display->m_settings->fixedFunction = 1;
        ok = ok && display->createWindows(windowClass(), nullptr);
        auto renderer = std::make_unique<Renderer>(display.get());
        DiskFile disk("");
        ArchiveFile archive;
        ok = ok && archive.mount(disk, archivePath.c_str());
        auto application = std::make_unique<Application>(renderer.get());
        ok = ok && application->init(&archive);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (!ok) {
            state.SkipWithError("start-up failed (no display, or no data.sar beside the program)");
            break;
        }
        application.reset();
        renderer.reset();
        display->hideWindows();
        display->shutdown();
    }
    fs::current_path(previous);
    fs::remove_all(home);
}
BENCHMARK(BM_StartUpToEndOfInit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
