// A voice's part of the sound: loaded through the voice's own setters, stored from its blocks.
#include "engine/voice.h"

namespace quorvix {

namespace {

// The modules of one modulation section: its first modulation oscillator and its two envelopes.
struct CSectionModules {
    int firstOscillator;
    EEnvelope envelope1, envelope2;
};

constexpr CSectionModules kOscillatorModules = {0, EEnvelope::OscMod1, EEnvelope::OscMod2};
constexpr CSectionModules kFilterModules = {2, EEnvelope::FilterMod1, EEnvelope::FilterMod2};

} // namespace

void CVoice::loadSound(const CSound& s)
{
    auto loadSection = [this](const CModulationSettings& m, const CSectionModules& modules, CModSection& section) {
        for (size_t k = 0; k < 2; ++k)
            m_modOscillators[static_cast<size_t>(modules.firstOscillator) + k].load(m.oscillators[k]);
        envelope(modules.envelope1).assign(m.envelopes[0]);
        envelope(modules.envelope2).assign(m.envelopes[1]);
        section.assign(m.combiners);
    };
    loadSection(s.oscillatorModulation, kOscillatorModules, m_oscSection);
    loadSection(s.filterModulation, kFilterModules, m_filterSection);
    envelope(EEnvelope::Amplitude).assign(s.amplitudeEnvelope);
    loadSoundValues(s);
}

// After the modules: the setters keep modulated targets at their modulated values.
void CVoice::loadSoundValues(const CSound& s)
{
    for (int i = 0; i < kOscillatorCount; ++i) {
        const COscillatorSettings& osc = s.oscillators[static_cast<size_t>(i)];
        m_oscillators[static_cast<size_t>(i)].load(osc);
        setPulse(i, osc.pulse);
        setSymmetry(i, osc.symmetry);
        setWeight(i, s.combination.weights[static_cast<size_t>(i)]);
    }
    for (int i = 0; i < kModOscillatorCount; ++i)
        setModSpeed(i, m_modOscillators[static_cast<size_t>(i)].speed());
    setOperatorA(s.combination.operatorA);
    setOperatorB(s.combination.operatorB);
    setOversampling(s.oversampling);

    setShaperGain(s.shaper.gain);
    setShaperPosition(s.shaper.position);
    setShaperMix(s.shaper.mix);
    setPostFilter(s.shaper.postFilter);
    setShaperLimiter(s.shaper.limiter);

    const CFilterSettings& f = s.filter;
    setFilterType(f.type);
    setFilterLevel(f.level);
    setFilterParameter(f.parameter);
    setFilterFrequency(f.frequency);
    setResonanceWeight(f.resonanceWeight);
    setResonanceSeparate(f.separate);
    setResonanceFrequency(f.resonanceFrequency);
    setResonance(f.resonance);
    setKeyMid(f.keyMid);
    setKeySlope(f.keySlope);

    setLevels(s.level);
    setPortamentoSync(s.portamentoSync);
}

void CVoice::storeSound(CSound& s) const
{
    for (int i = 0; i < kOscillatorCount; ++i) {
        s.oscillators[static_cast<size_t>(i)] = oscillator(i).settings();
        s.combination.weights[static_cast<size_t>(i)] = m_combination.weight(i);
    }
    s.combination.operatorA = m_combination.operatorA();
    s.combination.operatorB = m_combination.operatorB();
    s.oversampling = m_settings.oversampling;
    auto storeSection = [this](CModulationSettings& m, const CSectionModules& modules, const CModSection& section) {
        for (size_t k = 0; k < 2; ++k)
            m.oscillators[k] = m_modOscillators[static_cast<size_t>(modules.firstOscillator) + k].settings();
        m.envelopes[0] = envelope(modules.envelope1).storedShape();
        m.envelopes[1] = envelope(modules.envelope2).storedShape();
        m.combiners = section.combinerSet();
    };
    storeSection(s.oscillatorModulation, kOscillatorModules, m_oscSection);
    storeSection(s.filterModulation, kFilterModules, m_filterSection);
    s.amplitudeEnvelope = envelope(EEnvelope::Amplitude).storedShape();
    s.shaper = m_settings.shaper;
    s.filter = m_settings.filter;
    s.level = m_settings.level;
    s.portamentoSync = m_portamentoClock.kind();
}

void CVoice::copyModulesFrom(const CVoice& other)
{
    for (size_t i = 0; i < m_modOscillators.size(); ++i)
        m_modOscillators[i].copyFrom(other.m_modOscillators[i]);
    for (size_t i = 0; i < kEnvelopeCount; ++i)
        m_envelopes[i].copyFrom(other.m_envelopes[i]);
    m_oscSection.copyFrom(other.m_oscSection);
    m_filterSection.copyFrom(other.m_filterSection);
}

void CVoice::setOscillatorSync(int kind)
{
    for (COscillator& osc : m_oscillators)
        osc.clock().setKind(kind);
}

void CVoice::setLevels(const CLevelSettings& levels)
{
    m_settings.level = levels;
    setPan(levels.panAngle);
}

} // namespace quorvix
