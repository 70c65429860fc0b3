// Our levels from the packed data.sar beside the program, as the race loads
// them: per level the whole load (scene, objects, textures, collision,
// paths and maps) against reading the same files' bytes out of the archive
// (the ratio is the load's cost beyond the archive), and one frame from the
// level's start camera on GL at 1024 x 768 with its draws and triangles.
// Run under a display: xvfb-run -a build/bin/bench_levels.
#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/io/DiskFile.h"
#include "engine/core/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "game/app/GameConfig.h"
#include "game/race/ColourMap.h"
#include "game/race/GroundMap.h"
#include "game/race/Path.h"
#include "platform/d3d9/D3D9Backend.h"
#include "platform/d3d9/Direct3DDevice9.h"
#include "support/SceneRig.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// The archive, noting every file a load opens (its clones note into the
// same list).
class NotingFiles : public Stream {
public:
    NotingFiles(const Stream& inner, std::shared_ptr<std::set<std::string>> names)
        : m_inner(inner.clone()), m_names(std::move(names))
    {
    }
    std::unique_ptr<Stream> clone() const override { return std::make_unique<NotingFiles>(*m_inner, m_names); }
    bool exists(const char* name) override { return m_inner->exists(name); }
    bool openRead(const char* name) override
    {
        const bool ok = m_inner->openRead(name);
        length = m_inner->length;
        if (ok)
            m_names->insert(name);
        return ok;
    }
    bool openWrite(const char* name) override { return m_inner->openWrite(name); }
    bool close() override
    {
        length = 0;
        return m_inner->close();
    }
    uint32_t read(void* dest, uint32_t count) override { return m_inner->read(dest, count); }
    uint32_t write(const void* src, uint32_t count) override { return m_inner->write(src, count); }
    bool seekSet(uint32_t position) override { return m_inner->seekSet(position); }
    bool seekCur(int32_t delta) override { return m_inner->seekCur(delta); }
    uint32_t tell() override { return m_inner->tell(); }

private:
    std::unique_ptr<Stream> m_inner;
    std::shared_ptr<std::set<std::string>> m_names;
};

struct DataSet {
    ArchiveFile archive;
    GameConfig config;
    bool ready = false;
    // The files each level's load opened, by level name.
    std::map<std::string, std::set<std::string>> files;
};

DataSet& data()
{
    static DataSet set;
    static bool tried = false;
    if (!tried) {
        tried = true;
        const fs::path bin = fs::canonical("/proc/self/exe").parent_path();
        DiskFile disk("");
        set.ready = set.archive.mount(disk, (bin / "data.sar").string().c_str()) && set.config.loadConfig(set.archive);
    }
    return set;
}

// The race's load of a level into a fresh scene manager: scene and objects
// with their textures and collision, the AI paths, the position and colour
// maps. The manager is handed back so the caller chooses when it goes.
std::unique_ptr<SceneManager> loadLevel(Renderer* renderer, Stream& files, const LevelInfo& level, Scene*& scene)
{
    auto manager = std::make_unique<SceneManager>(renderer, "metascene");
    scene = manager->loadScene("scene");
    if (!scene->loadLWS(&files, level.filename, nullptr, 0.0f, 0.7f))
        return nullptr;
    scene->addSpace(1, "(default)", SpaceRecord::NoParent);
    for (const char* name : {"karts", "floor", "check", "ray", "obstacles"})
        scene->addSpace(std::string(name) == "floor" || std::string(name) == "ray" ? 0 : 1, name, 0);
    manager->prepare(nullptr);
    for (int32_t lane = 1; lane <= level.lanes; ++lane) {
        char name[16];
        std::snprintf(name, sizeof name, "path%02d.dat", lane);
        Path path;
        benchmark::DoNotOptimize(path.load(files, (level.aiPath + name).c_str()));
    }
    const MapRect& p = level.posmapRect;
    GroundMap posmap(files, level.posmap.c_str(), p.xmin, p.xmax, p.zmin, p.zmax);
    const MapRect& c = level.colormapRect;
    ColourMap colours(files, level.colormap.c_str(), c.xmin, c.xmax, c.zmin, c.zmax);
    benchmark::DoNotOptimize(posmap.loaded() && colours.loaded());
    return manager;
}

void loadTime(benchmark::State& state, const std::string& levelName)
{
    DataSet& d = data();
    const LevelInfo* level = d.ready ? d.config.findLevel(levelName) : nullptr;
    selectD3D9Backend(D3D9Backend::Gl);
    SceneRig rig;
    if (!level || !rig.start(kWidth, kHeight)) {
        state.SkipWithError("no display, or no data.sar with the level beside the program");
        selectD3D9Backend(D3D9Backend::Default);
        return;
    }
    auto names = std::make_shared<std::set<std::string>>();
    NotingFiles files(d.archive, names);
    for (auto _ : state) {
        Scene* scene = nullptr;
        std::unique_ptr<SceneManager> manager = loadLevel(rig.renderer(), files, *level, scene);
        if (!manager) {
            state.SkipWithError("the level does not load");
            break;
        }
        state.PauseTiming();
        manager.reset();
        state.ResumeTiming();
    }
    d.files[levelName] = *names;
    rig.manager.reset();
    selectD3D9Backend(D3D9Backend::Default);
}

// The bytes of every file the level's load opened, read out of the archive
// (decoded, as the load gets them).
void readTime(benchmark::State& state, const std::string& levelName)
{
    DataSet& d = data();
    const auto it = d.files.find(levelName);
    if (it == d.files.end()) {
        state.SkipWithError("the level's load ran first and noted its files");
        return;
    }
    std::vector<uint8_t> buffer;
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        std::unique_ptr<Stream> file = d.archive.clone();
        for (const std::string& name : it->second) {
            if (!file->openRead(name.c_str()))
                continue;
            buffer.resize(file->length);
            bytes += file->read(buffer.data(), file->length);
            file->close();
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    state.counters["files"] = double(it->second.size());
    state.counters["MB"] = double(bytes) / 1e6;
}

void frameTime(benchmark::State& state, const std::string& levelName)
{
    DataSet& d = data();
    const LevelInfo* level = d.ready ? d.config.findLevel(levelName) : nullptr;
    selectD3D9Backend(D3D9Backend::Gl);
    SceneRig rig;
    Scene* scene = nullptr;
    std::unique_ptr<SceneManager> manager;
    if (level && rig.start(kWidth, kHeight))
        manager = loadLevel(rig.renderer(), d.archive, *level, scene);
    Camera* camera = scene ? scene->m_currentCamera : nullptr;
    if (!manager || !camera) {
        state.SkipWithError("no display, or the level does not load");
        manager.reset();
        selectD3D9Backend(D3D9Backend::Default);
        return;
    }
    IDirect3DDevice9* device = rig.device();
    Renderer& renderer = *rig.renderer();
    auto draw = [&] {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000u, 1.0f, 0);
        device->BeginScene();
        scene->render(0.0, camera);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    };
    draw(); // textures and buffers go up outside the timing
    const uint32_t draws = renderer.m_drawCallCount, triangles = renderer.m_primitiveCount;
    int64_t frames = 0;
    for (auto _ : state) {
        draw();
        ++frames;
    }
    state.counters["draws/frame"] = frames ? double(renderer.m_drawCallCount - draws) / double(frames) : 0.0;
    state.counters["triangles/frame"] = frames ? double(renderer.m_primitiveCount - triangles) / double(frames) : 0.0;
    manager.reset();
    selectD3D9Backend(D3D9Backend::Default);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    DataSet& d = data();
    if (!d.ready) {
        std::fprintf(stderr, "bench_levels: no data.sar beside the program\n");
        return 1;
    }
    for (const LevelInfo& level : d.config.levels()) {
        benchmark::RegisterBenchmark(("load/" + level.name).c_str(), loadTime, level.name)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("read/" + level.name).c_str(), readTime, level.name)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("frame/" + level.name).c_str(), frameTime, level.name)->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
