// Real-time factors (rendered audio seconds per CPU second) of fixed rendering scenarios.
#include "engine/timbre.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr float kRate = 44100.0f;
constexpr int kBlock = 512;

void reportRealtimeFactor(benchmark::State& state, int framesPerIteration)
{
    state.counters["realtime_factor"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * framesPerIteration / kRate, benchmark::Counter::kIsRate);
}

// One idle timbre: the floor every block pays.
void BM_IdleTimbre(benchmark::State& state)
{
    quorvix::CEngineContext context;
    quorvix::CTimbre timbre;
    timbre.attach(&context);
    timbre.initialize();
    timbre.setSampleRate(kRate);
    timbre.setBlockSize(kBlock);
    std::vector<float> left(kBlock), right(kBlock);
    for (auto _ : state) {
        timbre.render(left.data(), right.data(), kBlock);
        benchmark::DoNotOptimize(left.data());
    }
    reportRealtimeFactor(state, kBlock);
}
BENCHMARK(BM_IdleTimbre);

} // namespace

BENCHMARK_MAIN();
