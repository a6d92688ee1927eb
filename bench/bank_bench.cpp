// What the factory banks cost: an instance's creation with and without the bank loaded at start
// (CPU time), the factory load alone, and breeding a random bank with a fixed seed.
#include "dsp/runtime_rand.h"
#include "platform/settings_store.h"
#include "plugin/synth_plugin.h"
#include "presets/audition.h"
#include "presets/embedded_banks.h"
#include "presets/random_bank.h"
#include "presets/settings.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numeric>

namespace quorvix {
namespace {

constexpr int kWithoutBank = kRandomBankSelector; // never bred at start
constexpr int kPilotBank = 8;
constexpr float kMeasuringRate = kDefaultSampleRate * kMeasuringRateFactor;
constexpr uint32_t kBreedSeed = 20261211;

intptr_t silentHost(vst::AEffect*, int32_t, int32_t, intptr_t, void*, float) { return 0; }

// A settings folder of the benchmark's own, holding the selector the next instance starts with.
void startWith(int selector)
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/quorvix-bank-bench-XXXXXX";
        return std::string(mkdtemp(pattern) ? pattern : "/tmp");
    }();
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    CSettings settings;
    settings.bankSelector = selector;
    platform::writeSettingsFile(buildSettingsRecord(settings));
}

// Creation as the entry point does it, and destruction; the argument is the saved selector.
void BM_CreateInstance(benchmark::State& state)
{
    const int selector = static_cast<int>(state.range(0));
    if (selector != kWithoutBank && !factoryBank(selector)) {
        state.SkipWithError("the bank is not embedded");
        return;
    }
    startWith(selector);
    for (auto _ : state) {
        auto plugin = std::make_unique<CSynthPlugin>(silentHost);
        plugin->initialize();
        benchmark::DoNotOptimize(plugin->effect());
    }
}
BENCHMARK(BM_CreateInstance)->Arg(kWithoutBank)->Arg(kPilotBank)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_FactoryLoad(benchmark::State& state)
{
    if (!factoryBank(kPilotBank)) {
        state.SkipWithError("the bank is not embedded");
        return;
    }
    startWith(kWithoutBank);
    auto plugin = std::make_unique<CSynthPlugin>(silentHost);
    plugin->initialize();
    for (auto _ : state)
        benchmark::DoNotOptimize(plugin->loadFactoryBank(kPilotBank));
}
BENCHMARK(BM_FactoryLoad)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The whole random bank from the embedded banks, measured at half of 44100 Hz. Argument 0: an
// "Init" current bank; 1: bank 8 as the current bank, so that (while banks are missing and each
// repeats the section before it) every pool program is a factory program.
void BM_BreedRandomBank(benchmark::State& state)
{
    auto current = std::make_unique<CBankPrograms>();
    if (state.range(0) == 1 && !loadStoredBank(factoryBank(kPilotBank), *current)) {
        state.SkipWithError("the bank is not embedded");
        return;
    }
    std::array<const CStoredBank*, kFactoryBankCount> banks {};
    for (int s = 0; s < kFactoryBankCount; ++s)
        banks[static_cast<size_t>(s)] = factoryBank(s);
    const CProgramPool pool = buildBreedingPool(*current, banks);
    CAudition measuring(kMeasuringRate);
    std::array<int, kProgramCount> attempts {};
    for (auto _ : state) {
        auto bank = std::make_unique<CBankPrograms>();
        runtimeSrand(kBreedSeed);
        if (!generateRandomBank(pool, measuring.timbre(), *bank, attempts))
            state.SkipWithError("a program could not be bred");
    }
    const int total = std::accumulate(attempts.begin(), attempts.end(), 0);
    state.counters["attempts"] = total;
    state.counters["per_program"] = static_cast<double>(total) / kProgramCount;
    state.counters["most"] = *std::max_element(attempts.begin(), attempts.end());
    std::fprintf(stderr, "attempts per program:");
    for (int n : attempts)
        std::fprintf(stderr, " %d", n);
    std::fprintf(stderr, "\n");
}
BENCHMARK(BM_BreedRandomBank)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond)->MeasureProcessCPUTime();

} // namespace
} // namespace quorvix

BENCHMARK_MAIN();
