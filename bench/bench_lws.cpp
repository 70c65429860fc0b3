// Scene loading speed: a writer-made scene of 500 null objects, each with
// 50 envelopes (nine motion channels and 41 morph channels of four keys),
// timed per step: tokenising, the creation pass and the key pass.
#include "engine/core/base/Report.h"
#include "engine/lightwave/LwsLoader.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "tools/lib/LwsWriter.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

const std::string& sceneText()
{
    static const std::string text = [] {
        LwsEnvelope e;
        e.keys = {{0, 0, 0, {}}, {1, 1, 1, {}}, {0, 2, 2, {}}, {2, 3, 5, {0.1f, 0.2f, 0.3f, 0.4f, 0, 0}}};
        std::vector<LwsChannel> channels;
        for (int32_t c = 0; c < 9; ++c)
            channels.push_back({c, e});
        std::vector<std::pair<std::string, LwsEnvelope>> morphs;
        for (int m = 0; m < 41; ++m)
            morphs.push_back({"Morph" + std::to_string(m), e});
        LwsWriter w;
        for (int i = 0; i < 500; ++i) {
            w.addNullObject("Object" + std::to_string(i));
            w.motion("ObjectMotion", channels);
            w.morphMixer(morphs);
            w.key("ShadowOptions", {7});
        }
        w.addLight("Sun");
        w.addCamera("Camera");
        return w.text();
    }();
    return text;
}

struct Rig {
    Rig() : manager(nullptr, "bench"), scene(manager.loadScene("bench")), loader(*scene, nullptr) {}
    SceneManager manager;
    Scene* scene;
    LwsLoader loader;
};

void BM_LwsTokenise(benchmark::State& state)
{
    const std::string& text = sceneText();
    for (auto _ : state) {
        state.PauseTiming();
        auto rig = std::make_unique<Rig>();
        state.ResumeTiming();
        rig->loader.setText("bench.lws", text.data(), text.size());
        benchmark::DoNotOptimize(rig->loader.tokens().count());
        state.PauseTiming();
        rig.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_LwsTokenise)->Unit(benchmark::kMillisecond);

void BM_LwsCreationPass(benchmark::State& state)
{
    const std::string& text = sceneText();
    for (auto _ : state) {
        state.PauseTiming();
        auto rig = std::make_unique<Rig>();
        rig->loader.setText("bench.lws", text.data(), text.size());
        rig->loader.checkHeader();
        state.ResumeTiming();
        rig->loader.takeBases();
        benchmark::DoNotOptimize(rig->loader.createItems());
        state.PauseTiming();
        rig.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LwsCreationPass)->Unit(benchmark::kMillisecond);

void BM_LwsKeyPass(benchmark::State& state)
{
    const std::string& text = sceneText();
    for (auto _ : state) {
        state.PauseTiming();
        auto rig = std::make_unique<Rig>();
        rig->loader.setText("bench.lws", text.data(), text.size());
        rig->loader.checkHeader();
        rig->loader.takeBases();
        rig->loader.createItems();
        state.ResumeTiming();
        rig->loader.readKeys();
        state.PauseTiming();
        rig.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LwsKeyPass)->Unit(benchmark::kMillisecond);

} // namespace
BENCHMARK_MAIN();
