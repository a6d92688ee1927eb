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

// Heavy: two extra oscillators and oscillator oversampling "Always", no filter. Full: three saws,
// oversampling "Always", "Double Butterworth Low" at Level 8 and the resonator.
enum class ESound { Init, Heavy, Full };

struct CScenario {
    CEngineContext context;
    std::vector<std::unique_ptr<CTimbre>> timbres;
    std::vector<float> left = std::vector<float>(kBlock), right = std::vector<float>(kBlock);

    // voices notes spread over timbres of perTimbre voices each; the last voice of a full timbre is its mono voice.
    CScenario(int voices, ESound sound, bool high, bool effects, int perTimbre = kVoiceCount)
    {
        context.hostBeatsPerSecond = 2.0f;
        context.samplesPerBeat = kRate / 2.0f;
        context.beatsPerSample = 2.0f / kRate;
        context.samplePeriod = 1.0 / kRate;
        const int timbreCount = std::max(1, (voices + perTimbre - 1) / perTimbre);
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
            if (sound == ESound::Full) {
                for (const int wave : {25, 33, 41})
                    setParameterValue(*timbre, wave, 5.5f / 54.0f); // "Saw Up"
                setParameterValue(*timbre, 38, 0.6f);               // OSC2 detuned
                setParameterValue(*timbre, 52, 1.0f);               // oversampling "Always"
                setParameterValue(*timbre, 105, 2.0f / 9.0f);       // "Double Butterworth Low"
                setParameterValue(*timbre, 106, 1.0f);              // Level 8
                setParameterValue(*timbre, 109, 0.5f);              // resonator weight
                setParameterValue(*timbre, 112, 0.5f);              // resonance
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
            CTimbre& timbre = *timbres[static_cast<size_t>(v / perTimbre)];
            const int slot = v % perTimbre;
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

void run(benchmark::State& state, int voices, ESound sound, bool high, bool effects = false,
         int perTimbre = kVoiceCount)
{
    CScenario scenario(voices, sound, high, effects, perTimbre);
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
// The full-polyphony target: four timbres of 16 voices, chorus and delay.
void BM_Full64(benchmark::State& s) { run(s, 64, ESound::Full, false, true, kMaxPolyphony); }
void BM_Full64High(benchmark::State& s) { run(s, 64, ESound::Full, true, true, kMaxPolyphony); }
void BM_Init64(benchmark::State& s) { run(s, 64, ESound::Init, false, false, kMaxPolyphony); }

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
BENCHMARK(BM_Full64);
BENCHMARK(BM_Full64High);
BENCHMARK(BM_Init64);

} // namespace

BENCHMARK_MAIN();
