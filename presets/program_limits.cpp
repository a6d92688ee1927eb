#include "presets/program_limits.h"

#include "presets/parameter_table.h"

namespace quorvix {

namespace {

// Host numbers of the first timbre's parameters; the oscillators, modulation oscillators and
// effect units that follow have the same ranges at their own numbers.
constexpr int kOscillatorNumbers[kOscillatorCount] = {25, 33, 41};
constexpr int kOscillatorSync = 51;
constexpr int kModOscillatorNumbers[2][2] = {{53, 60}, {115, 122}};
constexpr int kEffectNumbers[kEffectUnitCount] = {163, 172};

template <typename T>
void limit(int number, T& value, T fallback)
{
    value = static_cast<T>(limitToParameter(number, static_cast<double>(value), static_cast<double>(fallback)));
}

void limitOscillator(int first, COscillatorSettings& o, const COscillatorSettings& init)
{
    limit(first, o.wave1, init.wave1);
    limit(first + 1, o.wave2, init.wave2);
    limit(first + 2, o.pulse, init.pulse);
    limit(first + 3, o.symmetry, init.symmetry);
    limit(first + 4, o.phase, init.phase);
    limit(first + 5, o.coarse, init.coarse);
    limit(first + 6, o.fine, init.fine);
    limit(kOscillatorSync, o.syncKind, init.syncKind);
}

void limitModOscillator(int first, CModOscillatorSettings& o, const CModOscillatorSettings& init)
{
    limit(first, o.wave, init.wave);
    limit(first + 2, o.syncKind, init.syncKind);
    limit(first + 3, o.speed, kMinModSpeed);
    limit(first + 4, o.phase, init.phase);
    limit(first + 5, o.delayMode, init.delayMode);
    limit(first + 6, o.delay, init.delay);
}

void limitModulation(ESectionKind kind, const int (&numbers)[2], CModulationSettings& m,
                     const CModulationSettings& init, EEnvelopeKind envelopeKind)
{
    for (size_t k = 0; k < 2; ++k) {
        limitModOscillator(numbers[k], m.oscillators[k], init.oscillators[k]);
        CLoopEnvelope envelope(envelopeKind);
        envelope.assign(m.envelopes[k]);
        m.envelopes[k] = envelope.storedShape();
    }
    m.combiners = CModSection::limited(kind, m.combiners);
}

void limitEffect(int first, CEffectSettings& e, const CEffectSettings& init)
{
    limit(first + slot::Type, e.type, init.type);
    limit(first + slot::Time1, e.time1, init.time1);
    limit(first + slot::Time2, e.time2, init.time2);
    limit(first + slot::Depth1, e.depth1, init.depth1);
    limit(first + slot::Depth2, e.depth2, init.depth2);
    limit(first + slot::Gain1, e.gain1, init.gain1);
    limit(first + slot::Gain2, e.gain2, init.gain2);
    limit(first + slot::Spread, e.spread, init.spread);
    limit(first + slot::Mix, e.mix, init.mix);
}

} // namespace

// A NaN takes the "Init" sound's value; envelopes and combiner sets take what their blocks can
// hold (times, levels, loop points, handles; sources, operators, destinations and amounts).
void limitProgram(CProgram& p)
{
    const CSound& init = initSound();
    for (size_t i = 0; i < kOscillatorCount; ++i) {
        limitOscillator(kOscillatorNumbers[i], p.oscillators[i], init.oscillators[i]);
        limit(kOscillatorNumbers[i] + 7, p.combination.weights[i], init.combination.weights[i]);
    }
    limit(49, p.combination.operatorA, init.combination.operatorA);
    limit(50, p.combination.operatorB, init.combination.operatorB);
    limit(52, p.oversampling.mode, init.oversampling.mode);
    limit(186, p.oversampling.octaves, init.oversampling.octaves);
    limitModulation(ESectionKind::Oscillator, kModOscillatorNumbers[0], p.oscillatorModulation,
                    init.oscillatorModulation, EEnvelopeKind::Modulation);
    limitModulation(ESectionKind::Filter, kModOscillatorNumbers[1], p.filterModulation, init.filterModulation,
                    EEnvelopeKind::Modulation);
    CLoopEnvelope amplitude(EEnvelopeKind::Amplitude);
    amplitude.assign(p.amplitudeEnvelope);
    p.amplitudeEnvelope = amplitude.storedShape();

    limit(97, p.shaperTable.shape1, init.shaperTable.shape1);
    limit(96, p.shaperTable.shape2, init.shaperTable.shape2);
    limit(98, p.shaperTable.parameter, init.shaperTable.parameter);
    limit(99, p.shaperTable.smooth, init.shaperTable.smooth);
    limit(100, p.shaper.gain, init.shaper.gain);
    limit(101, p.shaper.position, init.shaper.position);
    limit(104, p.shaper.mix, init.shaper.mix);

    CFilterSettings& f = p.filter;
    limit(105, f.type, init.filter.type);
    limit(106, f.level, init.filter.level);
    limit(107, f.parameter, init.filter.parameter);
    limit(108, f.frequency, init.filter.frequency);
    limit(109, f.resonanceWeight, init.filter.resonanceWeight);
    limit(111, f.resonanceFrequency, f.frequency);
    limit(112, f.resonance, init.filter.resonance);
    limit(113, f.keyMid, init.filter.keyMid);
    limit(114, f.keySlope, init.filter.keySlope);

    CLevelSettings& l = p.level;
    limit(158, l.dynamic, init.level.dynamic);
    limit(159, l.volumeKeyMid, init.level.volumeKeyMid);
    limit(160, l.volumeKeySlope, init.level.volumeKeySlope);
    limit(161, l.mainVolume, init.level.mainVolume);
    limit(162, l.panAngle, init.level.panAngle);
    limit(181, l.pitchBendRange, init.level.pitchBendRange);
    limit(182, l.portamento, init.level.portamento);
    limit(183, p.portamentoSync, init.portamentoSync);
    limit(184, l.dirtyTuning, init.level.dirtyTuning);

    for (size_t u = 0; u < kEffectUnitCount; ++u)
        limitEffect(kEffectNumbers[u], p.effects[u], init.effects[u]);
}

} // namespace quorvix
