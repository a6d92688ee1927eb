// A voice's part of the sound: its setters, loading through them and storing from its blocks.
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

// A base value a modulation section may drive: it is always stored, and takes effect at once
// unless a combiner of the section modulates the target (the next update then starts from it).
template <typename Store, typename Apply>
void setBase(const CModSection& section, uint32_t target, Store store, Apply apply)
{
    store();
    if (!section.modulates(target))
        apply();
}

// A new base frequency (Hz): the key-tracked frequency in use keeps the note's tracking factor.
void moveBaseFrequency(float& base, float& inUse, float hz)
{
    const float factor = inUse / base;
    base = hz;
    inUse = hz * factor;
}

} // namespace

void CVoice::setWeight(int i, float v)
{
    m_combination.setWeight(i, v, m_oscSection.modulates(osctarget::Weight1 << i));
}

void CVoice::setPulse(int i, float v)
{
    COscillator& osc = m_oscillators[static_cast<size_t>(i)];
    setBase(m_oscSection, osctarget::Pulse1 << i, [&] { osc.setPulse(v); }, [&] { osc.modulatePulse(0.0f); });
}

void CVoice::setSymmetry(int i, float v)
{
    COscillator& osc = m_oscillators[static_cast<size_t>(i)];
    setBase(m_oscSection, osctarget::Symmetry1 << i, [&] { osc.setSymmetry(v); }, [&] { osc.modulateSymmetry(0.0f); });
}

// Modulation oscillators 0 and 1 are the oscillator section's, 2 and 3 the filter section's.
void CVoice::setModSpeed(int i, float beats)
{
    CModOscillator& osc = m_modOscillators[static_cast<size_t>(i)];
    const bool first = i % 2 == 0;
    const CModSection& section = i < 2 ? m_oscSection : m_filterSection;
    const uint32_t target = i < 2 ? (first ? osctarget::ModOsc1 : osctarget::ModOsc2)
                                  : (first ? filtertarget::ModOsc1 : filtertarget::ModOsc2);
    setBase(section, target, [&] { osc.setSpeed(beats); }, [&] { osc.modulateSpeed(0.0f); });
}

void CVoice::setPan(double angle)
{
    setBase(m_filterSection, filtertarget::Panorama, [&] { m_settings.level.panAngle = angle; },
            [&] { setPanTargets(panPosition(angle)); });
}

void CVoice::setShaperGain(float gain)
{
    setBase(m_filterSection, filtertarget::ShaperGain, [&] { m_settings.shaper.gain = gain; },
            [&] { m_shaperGain = gain; });
}

void CVoice::setShaperPosition(float position)
{
    setBase(m_filterSection, filtertarget::ShaperPosition, [&] { m_settings.shaper.position = position; },
            [&] { m_shaperPosition = position; });
}

void CVoice::setShaperMix(float mix)
{
    setBase(m_filterSection, filtertarget::ShaperMix, [&] { m_settings.shaper.mix = mix; }, [&] { m_shaperMix = mix; });
}

void CVoice::setFilterType(int type)
{
    m_settings.filter.type = type;
    m_filter.setType(type);
}

void CVoice::setFilterLevel(int sections)
{
    m_settings.filter.level = sections;
    m_filter.setSections(sections);
}

void CVoice::setFilterParameter(float p)
{
    setBase(m_filterSection, filtertarget::FilterParameter, [&] { m_settings.filter.parameter = p; }, [&] {
        m_filterParameterInUse = p;
        m_filter.setParameter(p);
    });
}

void CVoice::setFilterFrequency(float hz)
{
    moveBaseFrequency(m_settings.filter.frequency, m_cutoff, hz);
    applyCutoff();
}

void CVoice::setResonanceWeight(float w)
{
    setBase(m_filterSection, filtertarget::ResonanceWeight, [&] { m_settings.filter.resonanceWeight = w; },
            [&] { m_resonanceWeightInUse = w; });
}

void CVoice::setResonanceSeparate(bool on)
{
    m_settings.filter.separate = on;
    applyResonanceFrequency();
}

void CVoice::setResonanceFrequency(float hz)
{
    moveBaseFrequency(m_settings.filter.resonanceFrequency, m_resonance, hz);
    applyResonanceFrequency();
}

void CVoice::setResonance(float r)
{
    setBase(m_filterSection, filtertarget::Resonance, [&] { m_settings.filter.resonance = r; },
            [&] { m_resonator.setQuality(resonanceQuality(static_cast<double>(r))); });
}

void CVoice::applyCutoff()
{
    const double f = m_cutoff * m_cutoffModulation.ratio + m_cutoffModulation.add;
    m_filter.setFrequency(f);
    applyResonanceFrequency();
}

void CVoice::applyResonanceFrequency()
{
    const float base = m_settings.filter.separate ? m_resonance : m_cutoff;
    m_resonator.setFrequency(base * m_resonanceModulation.ratio + m_resonanceModulation.add);
}

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
