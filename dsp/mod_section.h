// One modulation section: five chainable combiners that join sources (note values, controllers,
// the section's two modulation oscillators and two loop envelopes, other combiners, constants)
// and send them, scaled, to destinations of the oscillator or the filter side.
#pragma once

#include "dsp/loop_envelope.h"
#include "dsp/mod_oscillator.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace quorvix {

enum class ESectionKind { Oscillator, Filter };

constexpr int kCombiners = 5;
constexpr int kModSources = 52;
constexpr int kCombinerOperators = 3;
constexpr int kOscillatorDestinations = 31;
constexpr int kFilterDestinations = 16;
constexpr int kControllerGlideUpdates = 37;

namespace source {
constexpr int Velocity = 0;
constexpr int Note = 4;
constexpr int ModWheel = 8;
constexpr int Breath = 10;
constexpr int PitchBend = 12;
constexpr int Aftertouch = 14;
constexpr int ModOsc1 = 16;
constexpr int ModOsc2 = 18;
constexpr int ModEnv1 = 20;
constexpr int ModEnv2 = 22;
constexpr int Comb1 = 24;
constexpr int Random01 = 32;
constexpr int RandomBipolar = 33;
constexpr int One = 34;
constexpr int ValueA = 37;
constexpr int FlipFlop01 = 40;
constexpr int TripFlop = 47;
constexpr int ModOsc1Start = 48;
} // namespace source

namespace combine {
constexpr int Source1 = 0;
constexpr int Add = 1;
constexpr int Multiply = 2;
} // namespace combine

// Elementary targets of the oscillator section.
namespace osctarget {
constexpr uint32_t Weight1 = 1;    // << oscillator index
constexpr uint32_t Pitch1 = 8;
constexpr uint32_t Pulse1 = 64;
constexpr uint32_t Symmetry1 = 512;
constexpr uint32_t ModOsc1 = 4096;
constexpr uint32_t ModOsc2 = 8192;
} // namespace osctarget

// Elementary targets of the filter section.
namespace filtertarget {
constexpr uint32_t ShaperGain = 1;
constexpr uint32_t ShaperPosition = 2;
constexpr uint32_t ShaperMix = 4;
constexpr uint32_t FilterFrequency = 8;
constexpr uint32_t FilterParameter = 16;
constexpr uint32_t ResonanceFrequency = 32;
constexpr uint32_t ResonanceWeight = 64;
constexpr uint32_t Resonance = 128;
constexpr uint32_t Panorama = 256;
constexpr uint32_t ModOsc1 = 512;
constexpr uint32_t ModOsc2 = 1024;
} // namespace filtertarget

// The destination lists: names, target bits and the amount conversions.
int destinationCount(ESectionKind kind);
const char* destinationName(ESectionKind kind, int destination);
uint32_t destinationTargets(ESectionKind kind, int destination);
float amountFromNormalized(ESectionKind kind, int destination, float x);
// Frequency destinations whose amounts are semitones rather than Hz.
bool amountInSemitones(ESectionKind kind, int destination);
float amountToNormalized(ESectionKind kind, int destination, float amount);
const char* sourceName(int source);
const char* combinerOperatorName(int op);

struct CCombiner {
    int source1 = 0;
    int op = combine::Source1;
    int source2 = 0;
    int destination = 0;
    float amount = 1.0f; // in destination units

    bool operator==(const CCombiner&) const = default;
};

// What a program stores of a section: its combiners and the values a..d.
struct CCombinerSet {
    std::array<CCombiner, kCombiners> combiners {};
    std::array<float, 4> values = {0.0f, 0.25f, 0.5f, 0.75f};

    bool operator==(const CCombinerSet&) const = default;
};

class CModSection {
public:
    explicit CModSection(ESectionKind kind);

    // Sources, operators and destinations limited to their ranges; an amount outside its
    // destination's range (or not a number) becomes the amount at the nearer end; values a..d
    // within what their fields can hold.
    static CCombinerSet limited(ESectionKind kind, const CCombinerSet& set);

    // The voice's modules of this section.
    void attach(CModOscillator* osc1, CModOscillator* osc2, CLoopEnvelope* env1, CLoopEnvelope* env2);

    // ---- settings: every change refreshes the derived data ----
    void setSource1(int i, int s);
    void setSource2(int i, int s);
    void setOperator(int i, int o);
    // The amount keeps its normalized value across the change.
    void setDestination(int i, int d);
    void setAmount(int i, float normalized);
    void setValue(int k, float normalized); // a..d = 4x - 2
    // A stored set, limited.
    void assign(const CCombinerSet& set);
    CCombinerSet combinerSet() const { return {m_combiners, m_values}; }
    const CCombiner& combiner(int i) const { return m_combiners[clampCombiner(i)]; }
    float value(int k) const { return m_values[static_cast<size_t>(std::clamp(k, 0, 3))]; }
    ESectionKind kind() const { return m_kind; }

    // ---- controllers: each starts a glide of 37 updates ----
    void setModWheel(float x);
    void setBreath(float x);
    void setAftertouch(float x);
    void setPitchBend(float x);
    void resetControllers();

    // ---- running ----
    // velocity is the note's velocity gain, note the key / 127, count the note counter before it.
    void noteStart(float velocity, float note, int count);
    // One control update: held or released.
    void update(bool released);
    void noteOff();
    void copyFrom(const CModSection& other);

    float output(int i) const { return m_outputs[clampCombiner(i)]; }
    float sourceValue(int s) const { return m_sources[static_cast<size_t>(std::clamp(s, 0, kModSources - 1))]; }
    bool active(int i) const { return m_active[clampCombiner(i)]; }
    bool varying(int i) const { return m_varying[clampCombiner(i)]; }
    int combinerCount() const { return m_combinerCount; }
    int effectiveDestination(int i) const { return m_varying[clampCombiner(i)] ? combiner(i).destination : 0; }
    uint32_t usedTargets() const { return m_usedTargets; }
    bool modulates(uint32_t targets) const { return (m_usedTargets & targets) != 0; }
    bool usesOscillator(int k) const { return m_usesOsc[static_cast<size_t>(k)]; }
    bool usesEnvelope(int k) const { return m_usesEnv[static_cast<size_t>(k)]; }
    bool anyVarying() const;

private:
    static size_t clampCombiner(int i) { return static_cast<size_t>(std::clamp(i, 0, kCombiners - 1)); }
    bool reads(const CCombiner& c, int firstSource) const;
    bool sourceVaries(int s) const;
    void refresh();
    void refreshVarying();
    void evaluate();
    void writeControllerSources();
    void setController(int index, float value);
    void writeModuleSources();

    ESectionKind m_kind;
    std::array<CModOscillator*, 2> m_oscs {};
    std::array<CLoopEnvelope*, 2> m_envs {};
    std::array<CCombiner, kCombiners> m_combiners {};
    std::array<float, 4> m_values = {0.0f, 0.25f, 0.5f, 0.75f};

    // controllers: wheel, breath, pitch bend, aftertouch
    std::array<float, 4> m_controller {};
    std::array<float, 4> m_controllerTarget {};
    int m_glide = 0;

    // run state
    std::array<float, kModSources> m_sources {};
    std::array<float, kCombiners> m_outputs {};
    std::array<bool, 2> m_oscRunning {};
    std::array<bool, 2> m_envRunning {};

    // derived
    std::array<bool, kCombiners> m_active {};
    std::array<bool, kCombiners> m_varying {};
    int m_combinerCount = 0;
    uint32_t m_usedTargets = 0;
    std::array<bool, 2> m_usesOsc {};
    std::array<bool, 2> m_usesEnv {};
};

} // namespace quorvix
