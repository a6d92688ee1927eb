// Programs into and out of a timbre: the master voice decodes the records, the poly voices copy
// its modules, and every voice takes the program's values.
#include "engine/timbre.h"

#include "presets/block_records.h"

#include <algorithm>

namespace quorvix {

namespace {

constexpr int kLastProgram = kProgramCount - 1;

// The modules of one modulation section: mod oscillators first and first + 1, two envelopes.
struct CSectionModules {
    ESectionKind kind;
    int firstOscillator;
    EEnvelope envelope1, envelope2;
};

constexpr CSectionModules kOscillatorModules = {ESectionKind::Oscillator, 0, EEnvelope::OscMod1, EEnvelope::OscMod2};
constexpr CSectionModules kFilterModules = {ESectionKind::Filter, 2, EEnvelope::FilterMod1, EEnvelope::FilterMod2};

template <typename Voice>
auto& sectionOf(Voice& voice, ESectionKind kind)
{
    return kind == ESectionKind::Oscillator ? voice.oscillatorSection() : voice.filterSection();
}

void loadSection(const CModulationRecords& r, const CSectionModules& m, CVoice& voice)
{
    loadModOscillator(r.oscillator1, voice.modOscillator(m.firstOscillator));
    loadModOscillator(r.oscillator2, voice.modOscillator(m.firstOscillator + 1));
    loadEnvelope(r.envelope1, voice.envelope(m.envelope1));
    loadEnvelope(r.envelope2, voice.envelope(m.envelope2));
    loadCombiners(r.combiners, sectionOf(voice, m.kind));
}

CModulationRecords storeSection(const CSectionModules& m, const CVoice& voice)
{
    return {storeModOscillator(voice.modOscillator(m.firstOscillator)),
            storeModOscillator(voice.modOscillator(m.firstOscillator + 1)), storeEnvelope(voice.envelope(m.envelope1)),
            storeEnvelope(voice.envelope(m.envelope2)), storeCombiners(sectionOf(voice, m.kind))};
}

void loadModules(CVoice& voice, const CProgram& p)
{
    loadSection(p.oscillatorModulation, kOscillatorModules, voice);
    loadSection(p.filterModulation, kFilterModules, voice);
    loadEnvelope(p.amplitudeEnvelope, voice.envelope(EEnvelope::Amplitude));
}

// The values, after the modules: setters keep modulated targets at their modulated values.
void loadValues(CVoice& voice, const CProgram& p)
{
    for (int i = 0; i < kOscillatorCount; ++i) {
        loadOscillator(p.oscillators[static_cast<size_t>(i)], voice.oscillator(i));
        voice.setPulse(i, voice.oscillator(i).pulse());
        voice.setSymmetry(i, voice.oscillator(i).symmetry());
        voice.setWeight(i, p.weights[static_cast<size_t>(i)]);
    }
    for (int i = 0; i < kModOscillatorCount; ++i)
        voice.setModSpeed(i, voice.modOscillator(i).speed());
    voice.combination().setOperatorA(p.mix12);
    voice.combination().setOperatorB(p.mix312);
    voice.settings().oversampling = p.oversampling;

    voice.setShaperGain(p.shaper.gain);
    voice.setShaperPosition(p.shaper.position);
    voice.setShaperMix(p.shaper.mix);
    voice.setPostFilter(p.shaper.postFilter);
    voice.setShaperLimiter(p.shaper.limiter);

    const CFilterSettings& f = p.filter;
    voice.setFilterType(f.type);
    voice.setFilterLevel(f.level);
    voice.setFilterParameter(f.parameter);
    voice.setFilterFrequency(f.frequency);
    voice.setResonanceWeight(f.resonanceWeight);
    voice.setResonanceSeparate(f.separate);
    voice.setResonanceFrequency(f.resonanceFrequency);
    voice.setResonance(f.resonance);
    voice.setKeyMid(f.keyMid);
    voice.setKeySlope(f.keySlope);

    voice.settings().level = p.level;
    voice.setPan(p.level.panAngle);
    voice.portamentoClock().setKind(p.portamentoSync);
}

} // namespace

const CProgram& CTimbre::bankProgram(int program) const
{
    const CBank* bank = m_context ? m_context->bank : nullptr;
    return bank ? bank->getProgramPtr(program) : fallbackProgram();
}

void CTimbre::loadTimbreValues(const CProgram& p)
{
    setProgramName(p.name);
    CShaperTableSettings& shaper = m_settings.shaper;
    shaper = p.shaperTable;
    shaper.limiter = p.shaper.limiter;
    m_shaper.setLimiter(shaper.limiter);
    rebuildShaper();
    for (int u = 0; u < kEffectUnitCount; ++u)
        m_effects[static_cast<size_t>(u)].load(p.effects[static_cast<size_t>(u)], mayAllocate());
}

void CTimbre::loadVoice(CVoice& voice, const CProgram& p, const CVoice* decoded)
{
    if (decoded)
        voice.copyModulesFrom(*decoded);
    else
        loadModules(voice, p);
    loadValues(voice, p);
}

void CTimbre::loadFrom(const CProgram& p)
{
    CVoice& master = m_voices[kMonoVoice];
    loadVoice(master, p, nullptr);
    for (int i = 1; i < kVoiceCount; ++i)
        loadVoice(m_voices[static_cast<size_t>(i)], p, &master);
    loadTimbreValues(p);
}

void CTimbre::storeInto(CProgram& p) const
{
    const CVoice& master = m_voices[kMonoVoice];
    p.setName(m_programName);
    for (int i = 0; i < kOscillatorCount; ++i) {
        p.oscillators[static_cast<size_t>(i)] = storeOscillator(master.oscillator(i));
        p.weights[static_cast<size_t>(i)] = master.combination().weight(i);
    }
    p.mix12 = master.combination().operatorA();
    p.mix312 = master.combination().operatorB();
    p.oversampling = master.settings().oversampling;
    p.oscillatorModulation = storeSection(kOscillatorModules, master);
    p.filterModulation = storeSection(kFilterModules, master);
    p.amplitudeEnvelope = storeEnvelope(master.envelope(EEnvelope::Amplitude));
    p.shaperTable = m_settings.shaper;
    p.shaper = master.settings().shaper;
    p.filter = master.settings().filter;
    p.level = master.settings().level;
    p.portamentoSync = master.portamentoClock().kind();
    for (int u = 0; u < kEffectUnitCount; ++u)
        p.effects[static_cast<size_t>(u)] = m_effects[static_cast<size_t>(u)].values();
}

void CTimbre::changeProgram(int program)
{
    m_programNumber = std::clamp(program, 0, kLastProgram);
    m_noteCounter = 0;
    for (CClock& c : m_clocks)
        c = CClock {};
    resetVoices();
    clearEffects();
    loadFrom(bankProgram(m_programNumber));
}

void CTimbre::reloadProgram() { loadFrom(bankProgram(m_programNumber)); }

void CTimbre::voiceProgramChange(CVoice& voice, int program, int position)
{
    m_programChangePosition = position;
    m_programNumber = std::clamp(program, 0, kLastProgram);
    m_clocks[0].restartAt(position, beatsPerVoiceSample());
    m_clocks[1].restartAt(position, secondsPerVoiceSample());
    m_clocks[2] = CClock {};
    m_clocks[3] = CClock {};
    // The mono voice renders first: the poly voices copy what it decoded when it holds this program.
    const CProgram& p = bankProgram(m_programNumber);
    CVoice& master = m_voices[kMonoVoice];
    if (&voice == &master) {
        loadVoice(master, p, nullptr);
        loadTimbreValues(p);
        m_masterProgram = m_programNumber;
    } else {
        loadVoice(voice, p, m_masterProgram == m_programNumber ? &master : nullptr);
    }
}

} // namespace quorvix
