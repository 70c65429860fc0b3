// LightWave objects: loading a 100,000-polygon object from memory against
// decoding the same bytes from an archive, and building meshes of 25k, 100k
// and 400k triangles (smoothing, welding, batching) to show how the build
// grows with the polygon count.
#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/base/Report.h"
#include "engine/lightwave/LwMesh.h"
#include "engine/lightwave/LwoFile.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "tools/lib/ArchiveWriter.h"
#include "tools/lib/Lwo2Writer.h"
#include "tools/lib/MemoryFileSystem.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

using Clock = std::chrono::steady_clock;

// A rolling grid of side x side quads with a UV map and two surfaces in
// stripes, smoothed up to 60 degrees: 2 triangles a quad.
std::vector<uint8_t> gridObject(uint32_t side)
{
    Lwo2Writer w;
    w.tags({"Grass", "Road"});
    w.layer(0);
    std::vector<std::array<float, 3>> points;
    std::vector<std::pair<uint32_t, std::vector<float>>> uv;
    for (uint32_t z = 0; z <= side; ++z)
        for (uint32_t x = 0; x <= side; ++x) {
            const float h = float(std::sin(x * 0.3) * std::cos(z * 0.2));
            points.push_back({float(x), h, float(z)});
            uv.push_back({uint32_t(points.size() - 1), {x / float(side), z / float(side)}});
        }
    w.points(points);
    w.vmap("TXUV", 2, "UV", uv);
    std::vector<std::vector<uint32_t>> quads;
    std::vector<uint16_t> tags;
    for (uint32_t z = 0; z < side; ++z)
        for (uint32_t x = 0; x < side; ++x) {
            const uint32_t a = z * (side + 1) + x;
            quads.push_back({a, a + side + 1, a + side + 2, a + 1});
            tags.push_back(uint16_t((x / 8) % 2));
        }
    w.polygons(quads);
    w.polygonTags(tags);
    for (const char* name : {"Grass", "Road"}) {
        Lwo2Surface s;
        s.name = name;
        s.smoothing = 1.0471976f;
        Lwo2Block block;
        block.image = -1;
        block.vmap = "UV";
        s.blocks.push_back(block);
        w.surface(s);
    }
    return w.finish();
}

const std::vector<uint8_t>& loadCase()
{
    static const std::vector<uint8_t> bytes = gridObject(317); // 100,489 polygons
    return bytes;
}

std::map<std::string, double> g_best;

void note(const std::string& name, double seconds)
{
    auto it = g_best.find(name);
    if (it == g_best.end() || seconds < it->second)
        g_best[name] = seconds;
}

void BM_LoadObject(benchmark::State& state)
{
    const std::vector<uint8_t>& bytes = loadCase();
    MemoryFileSystem files;
    files.addFile("grid.lwo", bytes);
    for (auto _ : state) {
        SceneManager manager(nullptr, "bench");
        Scene* scene = manager.loadScene("bench");
        const auto start = Clock::now();
        std::unique_ptr<LwoFile> file = LwoFile::open("grid.lwo", &files, scene);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (!file) {
            state.SkipWithError("load failed");
            return;
        }
        state.SetIterationTime(seconds);
        note("load", seconds);
        file.reset();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_LoadObject)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_ArchiveDecodeSameBytes(benchmark::State& state)
{
    const std::vector<uint8_t>& bytes = loadCase();
    ArchiveWriter writer;
    writer.addEntry("grid.lwo", bytes, 3);
    MemoryFileSystem files;
    files.addFile("bench.sar", writer.build(0));
    ArchiveFile archive;
    if (!archive.mount(files, "bench.sar")) {
        state.SkipWithError("mount failed");
        return;
    }
    std::vector<uint8_t> out(bytes.size());
    for (auto _ : state) {
        const auto start = Clock::now();
        if (!archive.openRead("grid.lwo")) {
            state.SkipWithError("openRead failed");
            return;
        }
        archive.read(out.data(), uint32_t(out.size()));
        archive.close();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        benchmark::DoNotOptimize(out.data());
        state.SetIterationTime(seconds);
        note("archive", seconds);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_ArchiveDecodeSameBytes)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Side of a grid of about n/2 quads (n triangles).
uint32_t sideFor(int64_t triangles)
{
    return uint32_t(std::lround(std::sqrt(double(triangles) / 2.0)));
}

void BM_BuildMesh(benchmark::State& state)
{
    const uint32_t side = sideFor(state.range(0));
    MemoryFileSystem files;
    files.addFile("grid.lwo", gridObject(side));
    const double triangles = 2.0 * side * side;
    for (auto _ : state) {
        state.PauseTiming();
        SceneManager manager(nullptr, "bench");
        Scene* scene = manager.loadScene("bench");
        std::unique_ptr<LwoFile> file = LwoFile::open("grid.lwo", &files, scene);
        LwMesh* mesh = file ? file->layer(0) : nullptr;
        if (!mesh) {
            state.SkipWithError("load failed");
            return;
        }
        const auto start = Clock::now();
        mesh->build(nullptr, true);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        note("build " + std::to_string(state.range(0)), seconds);
        benchmark::DoNotOptimize(mesh->m_data.vertices.data());
        file.reset();
        state.ResumeTiming();
    }
    state.counters["triangles"] = triangles;
    state.counters["triangles/s"] = benchmark::Counter(triangles * double(state.iterations()),
                                                       benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BuildMesh)->Arg(25000)->Arg(100000)->Arg(400000)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    reportLevel = 3;
    reportToText = 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double mb = double(loadCase().size()) / 1e6;
    if (g_best.count("load") && g_best.count("archive"))
        std::printf("object load: %.1f MB/s, archive decode of the same %.2f MB: %.1f MB/s, ratio %.2f "
                    "(above 1: the load is faster)\n",
                    mb / g_best["load"], mb, mb / g_best["archive"], g_best["archive"] / g_best["load"]);
    double previous = 0.0;
    for (int64_t n : {25000, 100000, 400000}) {
        const std::string key = "build " + std::to_string(n);
        if (!g_best.count(key))
            continue;
        const uint32_t side = sideFor(n);
        const double triangles = 2.0 * side * side;
        const double seconds = g_best[key];
        std::printf("build %7.0f triangles: %8.2f ms, %.2f M triangles/s", triangles, seconds * 1e3,
                    triangles / seconds / 1e6);
        if (previous > 0.0)
            std::printf(", %.2fx the time of the size before", seconds / previous);
        std::printf("\n");
        previous = seconds;
    }
    return 0;
}
