// Real-time factors (rendered audio seconds per CPU second, one thread) of fixed scenarios.
#include "engine/timbre.h"
#include "presets/parameter_table.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using namespace quorvix;

constexpr float kRate = 44100.0f;
constexpr int kBlock = 512;

enum class ESound { Init, Heavy };

struct CScenario {
    CEngineContext context;
    std::vector<std::unique_ptr<CTimbre>> timbres;
    std::vector<float> left = std::vector<float>(kBlock), right = std::vector<float>(kBlock);

    CScenario(int voices, ESound sound, bool high, bool effects)
    {
        context.hostBeatsPerSecond = 2.0f;
        context.samplesPerBeat = kRate / 2.0f;
        context.beatsPerSample = 2.0f / kRate;
        context.samplePeriod = 1.0 / kRate;
        const int timbreCount = std::max(1, (voices + kVoiceCount - 1) / kVoiceCount);
        for (int t = 0; t < timbreCount; ++t) {
            auto timbre = std::make_unique<CTimbre>();
            timbre->attach(&context);
            timbre->initialize();
            timbre->setBlockSize(kBlock);
            if (high)
                setParameterValue(*timbre, 1011, 1.0f);
            timbre->setSampleRate(kRate);
            if (sound == ESound::Heavy) {
                setParameterValue(*timbre, 33, 5.5f / 54.0f);  // OSC2 "Saw Up"
                setParameterValue(*timbre, 41, 13.5f / 54.0f); // OSC3 "Triangle"
                setParameterValue(*timbre, 38, 0.6f);          // OSC2 detuned
                setParameterValue(*timbre, 52, 1.0f);          // oversampling "Always"
            }
            if (effects) {
                setParameterValue(*timbre, 163, 2.5f / 22.0f); // "Delay"
                setParameterValue(*timbre, 172, 8.5f / 22.0f); // "Chorus"
                setParameterValue(*timbre, 180, 0.5f);
            }
            timbres.push_back(std::move(timbre));
        }
        context.oscOversampling = 1;
        // Poly notes first, then the mono voice of each timbre.
        for (int v = 0; v < voices; ++v) {
            CTimbre& timbre = *timbres[static_cast<size_t>(v / kVoiceCount)];
            const int slot = v % kVoiceCount;
            CMidiEvent note;
            note.status = slot < kMaxPolyphony ? 0x90 : 0x91;
            note.data1 = static_cast<uint8_t>(36 + (v * 7) % 48);
            note.data2 = 100;
            timbre.processEvents({&note, 1}, 1, 0);
        }
        for (int i = 0; i < 20; ++i)
            render(); // past the attacks
    }
    void render()
    {
        static const CMidiEvent none;
        for (auto& timbre : timbres) {
            timbre->processEvents({&none, 0}, 1, 0);
            timbre->render(left.data(), right.data(), kBlock);
        }
    }
};

void run(benchmark::State& state, int voices, ESound sound, bool high, bool effects = false)
{
    CScenario scenario(voices, sound, high, effects);
    for (auto _ : state) {
        scenario.render();
        benchmark::DoNotOptimize(scenario.left.data());
    }
    state.counters["realtime_factor"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kBlock / kRate, benchmark::Counter::kIsRate);
}

void BM_Idle(benchmark::State& s) { run(s, 0, ESound::Init, false); }
void BM_Init1(benchmark::State& s) { run(s, 1, ESound::Init, false); }
void BM_Init16(benchmark::State& s) { run(s, 16, ESound::Init, false); }
void BM_Init68(benchmark::State& s) { run(s, 68, ESound::Init, false); }
void BM_Init68High(benchmark::State& s) { run(s, 68, ESound::Init, true); }
void BM_Heavy1(benchmark::State& s) { run(s, 1, ESound::Heavy, false); }
void BM_Heavy16(benchmark::State& s) { run(s, 16, ESound::Heavy, false); }
void BM_Heavy68(benchmark::State& s) { run(s, 68, ESound::Heavy, false); }
void BM_Heavy1High(benchmark::State& s) { run(s, 1, ESound::Heavy, true); }
void BM_Heavy16High(benchmark::State& s) { run(s, 16, ESound::Heavy, true); }
void BM_Heavy68High(benchmark::State& s) { run(s, 68, ESound::Heavy, true); }
void BM_Heavy68Effects(benchmark::State& s) { run(s, 68, ESound::Heavy, false, true); }

BENCHMARK(BM_Idle);
BENCHMARK(BM_Init1);
BENCHMARK(BM_Init16);
BENCHMARK(BM_Init68);
BENCHMARK(BM_Init68High);
BENCHMARK(BM_Heavy1);
BENCHMARK(BM_Heavy16);
BENCHMARK(BM_Heavy68);
BENCHMARK(BM_Heavy1High);
BENCHMARK(BM_Heavy16High);
BENCHMARK(BM_Heavy68High);
BENCHMARK(BM_Heavy68Effects);

} // namespace

BENCHMARK_MAIN();
