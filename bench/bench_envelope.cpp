// Envelope evaluation speed: a 20-key envelope with every span shape, at
// random times (each call may land in any span, so the span cache mostly
// restarts) and in forward playback (the cache finds the span at once).
#include "engine/core/math/Random.h"
#include "engine/scene/Envelope.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

Envelope makeEnvelope()
{
    Envelope e;
    for (int i = 0; i < 20; ++i) {
        float t = float(i);
        float v = float((i * 7) % 11) - 5.0f;
        switch (i % 6) {
        case 0: e.addKeyTCB(t, 0.2f, -0.1f, 0.3f, v); break;
        case 1: e.addKeyHermite(t, 1.0f, -0.5f, v); break;
        case 2: e.addKeyBezier(t, 0.5f, 0.25f, v); break;
        case 3: e.addKeyLinear(t, v); break;
        case 4: e.addKeyStepped(t, v); break;
        default: e.addKeyBezier2(t, -0.3f, 0.4f, 0.3f, -0.2f, v); break;
        }
    }
    e.preBehavior = BehaviorOscillate;
    e.postBehavior = BehaviorOffsetRepeat;
    return e;
}

// Times over the key range and a little beyond it on both sides.
std::vector<double> randomTimes(size_t n)
{
    engineSrand(1);
    std::vector<double> times(n);
    for (double& t : times)
        t = -2.0 + 23.0 * engineRand() / double(ENGINE_RAND_MAX);
    return times;
}

void BM_EnvelopeRandomTimes(benchmark::State& state)
{
    Envelope e = makeEnvelope();
    std::vector<double> times = randomTimes(4096);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(e.evaluate(times[i]));
        i = (i + 1) & 4095;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EnvelopeRandomTimes);

void BM_EnvelopeForwardPlayback(benchmark::State& state)
{
    Envelope e = makeEnvelope();
    double t = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(e.evaluate(t));
        t += 1.0 / 60.0;
        if (t > 19.0)
            t = 0.0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EnvelopeForwardPlayback);

} // namespace

BENCHMARK_MAIN();
