// One effect unit of a timbre: seven delay structures, three modulated delays, a three-band
// booster and tempo-synchronised twins of the delay and modulated types. All machinery is kept
// up to date whatever the type; the type only chooses what runs.
#pragma once

#include "dsp/bandpass.h"
#include "dsp/bessel_lowpass.h"
#include "dsp/delay_line.h"
#include "dsp/mod_delay.h"

#include <array>
#include <cmath>

namespace quorvix {

namespace effect {
constexpr int None = 0;
constexpr int OneShotDelay = 1;
constexpr int Delay = 2;
constexpr int XDelay = 3;
constexpr int SpreadDelay = 4;
constexpr int DiffDelay = 5;
constexpr int PanDiffDelay = 6;
constexpr int MultiDelay = 7;
constexpr int Chorus = 8;
constexpr int Flanger = 9;
constexpr int Phaser = 10;
constexpr int FreqBoost = 11;
constexpr int FirstSynchronised = 12;
constexpr int Last = 21;
} // namespace effect

namespace slot {
constexpr int Type = 0;
constexpr int Time1 = 1;
constexpr int Time2 = 2;
constexpr int Depth1 = 3;
constexpr int Depth2 = 4;
constexpr int Gain1 = 5;
constexpr int Gain2 = 6;
constexpr int Spread = 7;
constexpr int Mix = 8;
} // namespace slot

// A booster band's frequency for a normalized v: base x ratio^v Hz.
struct CBandScale {
    float base;
    float ratio;
    float frequency(float v) const { return base * std::pow(ratio, v); }
};
constexpr CBandScale kLowBand {100.0f, 10.0f};
constexpr CBandScale kMidBand {100.0f, 50.0f};
constexpr CBandScale kHighBand {2000.0f, 2.5f};

// A unit's engine values as programs store them, at their "Init" values.
struct CEffectSettings {
    int type = effect::None;
    int time1 = 150; // ms, or 1/125 beats for the synchronised types
    int time2 = 150;
    float depth1 = 1.0f;
    float depth2 = 1.0f;
    float gain1 = 0.5f;
    float gain2 = 0.5f;
    float spread = 0.5f;
    float mix = 1.0f;

    bool operator==(const CEffectSettings&) const = default;
};

class CEffectUnit {
public:
    // At the "Init" values.
    CEffectUnit();

    // The engine value of a slot for a normalized v, and back.
    static float engineValue(int slot, float v);
    static float normalizedValue(int slot, float x);

    // v is the normalized parameter; mayGrow allows the delay storage to allocate.
    void setParameter(int slot, float v, bool mayGrow);
    // Engine values of a program, applied whatever the held values were.
    void load(const CEffectSettings& settings, bool mayGrow);
    CEffectSettings settings() const;
    // Host rate.
    void setSampleRate(float rate, bool mayGrow);
    // The timbre's tempo clock in host samples per beat, for the synchronised types.
    void setSamplesPerBeat(float samplesPerBeat) { m_samplesPerBeat = samplesPerBeat; }
    void clear(bool mayGrow);
    void tempoChanged(bool mayGrow);
    // Off the audio thread: makes room for every plain time at the current rate, and gives the
    // lines the type uses the cells they need when they are short.
    void prepareStorage();
    // A line the type uses is short of storage.
    bool storageShort() const;
    // True once after a line's storage could not be allocated.
    bool takeAllocationFailure();

    bool active() const;
    // Replaces the buffers by the unit's output.
    void processInPlace(float* left, float* right, int frames);
    // Adds the unit's output to out; the inputs serve as scratch.
    void processInto(float* inLeft, float* inRight, float* outLeft, float* outRight, int frames);

    // Engine values as last applied.
    int type() const { return m_type; }
    int time1() const { return m_time1; }
    int time2() const { return m_time2; }
    float depth1() const { return m_depth1; }
    float depth2() const { return m_depth2; }
    float gain1() const { return m_lines[0].gain(); }
    float gain2() const { return m_lines[1].gain(); }
    float spread() const { return m_lines[0].spread(); }
    float mix() const { return m_mix; }
    const CDelayLine& line(int channel) const { return m_lines[static_cast<size_t>(channel)]; }
    const CModDelay& modDelay(int channel) const { return m_modDelays[static_cast<size_t>(channel)]; }

private:
    bool synchronised() const { return m_type >= effect::FirstSynchronised; }
    // The type the processing follows: a synchronised twin processes as its plain type.
    int processingType() const { return synchronised() ? m_type - 11 : m_type; }
    float lineFrequency(int time) const;
    float delayFrequency(int time) const;
    void reservePlainTimes();
    bool usesLines() const;
    bool usesModDelays() const;
    float modulationRate() const;
    void apply(int slot, float x, float v, bool force, bool mayGrow);
    void applyTimes(bool mayGrow);
    void clearBands();
    void flushBands();
    void run(float* left, float* right, float* outLeft, float* outRight, int frames);
    template <int Type>
    void runDelay(float* left, float* right, float* outLeft, float* outRight, int frames, float x);
    void runMultiDelay(float* left, float* right, float* outLeft, float* outRight, int frames, float x);
    template <int Kind>
    void runModulated(float* left, float* right, float* outLeft, float* outRight, int frames, float x);
    void runBooster(float* left, float* right, float* outLeft, float* outRight, int frames);

    int m_type = effect::None;
    int m_time1 = 150;
    int m_time2 = 150;
    float m_depth1 = 1.0f;
    float m_depth2 = 1.0f;
    float m_mix = 1.0f;
    float m_volume = 1.0f;
    float m_lowAmount = 1.0f;
    float m_midAmount = 1.0f;
    float m_highAmount = 1.0f;
    float m_sampleRate = 44100.0f;
    float m_samplesPerBeat = 22050.0f;

    std::array<CDelayLine, 2> m_lines;
    std::array<CModDelay, 2> m_modDelays;
    std::array<CBesselLowpass, 2> m_lowBands;
    std::array<CBandpass, 2> m_midBands;
    std::array<CBesselLowpass, 2> m_highBands;
};

} // namespace quorvix
