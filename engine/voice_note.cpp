// A voice's notes: start, legato glide, the control grids and what the modulation sections drive.
#include "engine/voice.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {

constexpr int kSmoothingSteps = 26;
constexpr float kSmoothingStart = 0.025f;
constexpr float kSmoothingGrowth = 1.12f;
constexpr float kPanRamp = 0.033333335f;
constexpr float kPanSettled = 0.00001f;
constexpr float kSilence = 1.2715657552083333e-06f;
constexpr double kPi = 3.141592653589793;
constexpr float kPanSquare = 4.896816730499268f;
constexpr float kPanFourth = 3.5872676372528076f;

// Clamp to 0..1 as (|x| + 1 - |x - 1|) / 2.
inline float clampUnitValue(float x) { return (std::fabs(x) + 1.0f - std::fabs(x - 1.0f)) * 0.5f; }

} // namespace

float CVoice::panPosition(double angle) { return static_cast<float>(angle / kPi); }

// ---- smoothing, panorama, tracking --------------------------------------------------------------

void CVoice::CSmoothing::restart()
{
    counter = kSmoothingSteps;
    coefficient = kSmoothingStart;
}

bool CVoice::CSmoothing::step(float& value, float target)
{
    if (counter > 1) {
        coefficient *= kSmoothingGrowth;
        value += coefficient * (target - value);
        --counter;
        return true;
    }
    if (counter == 1) {
        value = target;
        counter = 0;
        return true;
    }
    return false;
}

float CVoice::panGain(float x) const
{
    const float x2 = x * x;
    return 1.0f - kPanSquare * x2 + kPanFourth * x2 * x2;
}

void CVoice::setPanTargets(float h)
{
    m_pan[0].target = panGain(h);
    m_pan[1].target = panGain(0.5f - h);
}

float CVoice::trackedFrequency(float hz, int key) const
{
    const CFilterSettings& f = m_settings.filter;
    return hz * std::exp2(static_cast<float>(key - f.keyMid) * f.keySlope);
}

void CVoice::updateOscillatorFrequencies()
{
    // A modulated pitch keeps its offset, so bends and glides still reach that oscillator.
    const float f = m_frequency * m_pitchFactor;
    for (size_t i = 0; i < m_oscillators.size(); ++i)
        m_oscillators[i].setFrequency(m_pitchOffset[i] == 0.0f ? f : f * std::exp2(m_pitchOffset[i] / 12.0f));
}

float CVoice::envelopeLevel() const
{
    const CLevelSettings& level = m_settings.level;
    return level.mainVolume * m_lastKeyGain * m_lastVelocityGain;
}

// ---- note start and legato ------------------------------------------------------------------------

void CVoice::noteStart(CVoiceContext& context, const CVoiceCommand& note, int position)
{
    m_finished = false;
    m_frequency = note.frequency;
    m_retuneSmoothing = CSmoothing {};
    if (m_settings.level.pitchBendRange < 0.0f)
        m_pitchTarget = context.tuningBendFactor(note.key, m_bend);
    m_pitchFactor = m_pitchTarget;
    m_bendSmoothing = CSmoothing {};
    m_lastFrequency = note.frequency;
    m_lastVelocityGain = note.velocityGain;
    m_lastKeyGain = note.keyGain;

    const float tempo = context.hostBeatsPerSecond();
    for (COscillator& osc : m_oscillators)
        osc.clock().setHostTempo(tempo);
    for (CModOscillator& osc : m_modOscillators)
        osc.clock().setHostTempo(tempo);
    for (CLoopEnvelope& env : m_envelopes)
        env.clock().setHostTempo(tempo);
    m_portamentoClock.setHostTempo(tempo);
    m_glide.on = false;

    const COversamplingSettings& over = m_settings.oversampling;
    const int setting = context.oscOversamplingSetting();
    const bool high = (setting == 2 && over.mode != 0) || (setting == 1 && over.mode == 2) ||
                      (setting == 1 && over.mode == 1 && m_sampleRate <= note.frequency * std::exp2(over.octaves));
    m_oversampling = high ? 4 : 1;
    m_pitchOffset = {};
    for (COscillator& osc : m_oscillators) {
        osc.setOversampling(m_oversampling);
        osc.noteStart(0.0f, m_frequency * m_pitchFactor);
    }
    m_combination.noteStart();

    m_feedbackInUse = false;
    for (const COscillator& osc : m_oscillators) {
        if (osc.isFeedback()) {
            m_feedback.start(osc.frequency() * static_cast<float>(m_oversampling), m_sampleRate);
            m_feedbackInUse = true;
            break;
        }
    }
    m_decimator.clear();

    m_shaperGain = m_settings.shaper.gain;
    m_shaperPosition = m_settings.shaper.position;
    m_shaperMix = m_settings.shaper.mix;
    clearFilters();
    m_cutoff = trackedFrequency(m_settings.filter.frequency, note.key);
    m_resonance = trackedFrequency(m_settings.filter.resonanceFrequency, note.key);
    m_cutoffModulation = CFrequencyModulation {};
    m_resonanceModulation = CFrequencyModulation {};
    m_filterParameterInUse = m_settings.filter.parameter;
    m_resonanceWeightInUse = m_settings.filter.resonanceWeight;
    m_resonator.setQuality(resonanceQuality(static_cast<double>(m_settings.filter.resonance)));
    applyCutoff();
    m_filter.setParameter(m_filterParameterInUse);
    // The panorama starts unramped at the voice's pan value; a pan modulation then moves it.
    setPanTargets(panPosition(m_settings.level.panAngle));

    startSections(context, note, position);

    CLoopEnvelope& amp = envelope(EEnvelope::Amplitude);
    amp.noteStart(kCoarseGrid);
    m_amplitude = amp.currentValue() * envelopeLevel();
    m_amplitudeIncrement = 0.0f;

    for (CPanGain& g : m_pan) {
        g.current = g.target;
        g.increment = 0.0f;
    }
    m_queue.front().type = command::Held;
}

void CVoice::startSections(CVoiceContext& context, const CVoiceCommand& note, int position)
{
    const CSongPosition song = context.songPosition(position);
    const float key = static_cast<float>(note.key) * (1.0f / 127.0f);
    m_modOscillators[0].noteStart(song, kCoarseGrid);
    m_modOscillators[1].noteStart(song, kCoarseGrid);
    envelope(EEnvelope::OscMod1).noteStart(kCoarseGrid);
    envelope(EEnvelope::OscMod2).noteStart(kCoarseGrid);
    m_oscSection.noteStart(note.velocityGain, key, note.count);
    applyOscillatorSection(true);

    m_modOscillators[2].noteStart(song, kFineGrid);
    m_modOscillators[3].noteStart(song, kFineGrid);
    envelope(EEnvelope::FilterMod1).noteStart(kFineGrid);
    envelope(EEnvelope::FilterMod2).noteStart(kFineGrid);
    m_filterSection.noteStart(note.velocityGain, key, note.count);
    applyFilterSection(true);
}

void CVoice::applyOscillatorSection(bool all)
{
    const CModSection& section = m_oscSection;
    bool pitchChanged = false;
    for (int i = 0; i < section.combinerCount(); ++i) {
        const int d = all ? section.combiner(i).destination : section.effectiveDestination(i);
        if (d == 0)
            continue;
        const float o = section.output(i);
        const uint32_t targets = destinationTargets(ESectionKind::Oscillator, d);
        for (int k = 0; k < kOscillatorCount; ++k) {
            if (targets & (osctarget::Weight1 << k))
                m_combination.setWeightInUse(k, clampUnitValue(m_combination.weight(k) + o));
            if (targets & (osctarget::Pitch1 << k)) {
                m_pitchOffset[static_cast<size_t>(k)] = o;
                pitchChanged = true;
            }
            if (targets & (osctarget::Pulse1 << k))
                m_oscillators[static_cast<size_t>(k)].modulatePulse(o);
            if (targets & (osctarget::Symmetry1 << k))
                m_oscillators[static_cast<size_t>(k)].modulateSymmetry(o);
        }
        if (targets & osctarget::ModOsc1)
            m_modOscillators[0].modulateSpeed(o);
        if (targets & osctarget::ModOsc2)
            m_modOscillators[1].modulateSpeed(o);
    }
    if (pitchChanged)
        updateOscillatorFrequencies();
}

void CVoice::applyFilterSection(bool all)
{
    const CModSection& section = m_filterSection;
    bool frequencyChanged = false;
    for (int i = 0; i < section.combinerCount(); ++i) {
        const int d = all ? section.combiner(i).destination : section.effectiveDestination(i);
        const uint32_t targets = destinationTargets(ESectionKind::Filter, d);
        if (targets == 0)
            continue;
        const float o = section.output(i);
        const CShaperVoiceSettings& shaper = m_settings.shaper;
        const CFilterSettings& filterSettings = m_settings.filter;
        if (targets & filtertarget::ShaperGain)
            m_shaperGain = (std::fabs(shaper.gain + o - 0.16666667f) + 1.6666666f - std::fabs(shaper.gain + o - 1.5f)) * 0.5f;
        if (targets & filtertarget::ShaperPosition)
            m_shaperPosition = std::clamp(shaper.position + o, -1.0f, 1.0f);
        if (targets & filtertarget::ShaperMix)
            m_shaperMix = clampUnitValue(shaper.mix + o);
        if (targets & (filtertarget::FilterFrequency | filtertarget::ResonanceFrequency)) {
            // Hz added, or semitones as a factor.
            const CFrequencyModulation modulation = amountInSemitones(ESectionKind::Filter, d)
                                                        ? CFrequencyModulation {0.0f, std::exp2(o / 12.0f)}
                                                        : CFrequencyModulation {o, 1.0f};
            if (targets & filtertarget::FilterFrequency)
                m_cutoffModulation = modulation;
            if (targets & filtertarget::ResonanceFrequency)
                m_resonanceModulation = modulation;
            frequencyChanged = true;
        }
        if (targets & filtertarget::FilterParameter) {
            m_filterParameterInUse = clampUnitValue(filterSettings.parameter + o);
            m_filter.setParameter(m_filterParameterInUse);
        }
        if (targets & filtertarget::ResonanceWeight)
            m_resonanceWeightInUse = clampUnitValue(filterSettings.resonanceWeight + o);
        if (targets & filtertarget::Resonance)
            m_resonator.setQualityUnlimited(resonanceQuality(clampUnitValue(filterSettings.resonance + o)));
        if (targets & filtertarget::Panorama)
            setPanTargets(std::clamp(o * 0.5f + panPosition(m_settings.level.panAngle), 0.0f, 0.5f));
        if (targets & filtertarget::ModOsc1)
            m_modOscillators[2].modulateSpeed(o);
        if (targets & filtertarget::ModOsc2)
            m_modOscillators[3].modulateSpeed(o);
    }
    if (frequencyChanged)
        applyCutoff();
}

void CVoice::startGlide(int startAge, int length, const std::array<float, 5>& start, const std::array<float, 5>& target)
{
    m_glide.on = true;
    m_glide.length = std::max(length, 0);
    m_glide.startAge = startAge;
    m_glide.endAge = startAge + m_glide.length;
    m_glide.start = start;
    m_glide.target = target;
    for (size_t q = 0; q < start.size(); ++q)
        m_glide.slope[q] = m_glide.length > 0 ? (target[q] - start[q]) / static_cast<float>(m_glide.length) : 0.0f;
}

void CVoice::legatoStart(CVoiceContext&, const CVoiceCommand& note)
{
    const std::array<float, 5> start = {m_frequency, m_cutoff, m_resonance, m_lastVelocityGain, m_lastKeyGain};
    m_retuneTarget = note.frequency;
    m_retuneSmoothing = CSmoothing {};
    m_pitchFactor = m_pitchTarget;
    m_bendSmoothing = CSmoothing {};
    m_lastVelocityGain = note.velocityGain;
    m_lastKeyGain = note.keyGain;
    m_lastFrequency = note.frequency;

    const float cutoff = trackedFrequency(m_settings.filter.frequency, note.key);
    const float resonance = trackedFrequency(m_settings.filter.resonanceFrequency, note.key);
    const int length = static_cast<int>(m_settings.level.portamento / m_portamentoClock.beatsPerSecond() * m_sampleRate);
    startGlide(note.time, length, start, {note.frequency, cutoff, resonance, note.velocityGain, note.keyGain});
    // The glide starts from the running note's gains; the targets take over at the grid.
    m_lastVelocityGain = start[GlideVelocity];
    m_lastKeyGain = start[GlideKey];
    m_queue.front().type = command::Held;
}

// ---- control grid ---------------------------------------------------------------------------------

void CVoice::gridSix(CVoiceContext&, int age)
{
    bool retuned = m_retuneSmoothing.step(m_frequency, m_retuneTarget);
    retuned = m_bendSmoothing.step(m_pitchFactor, m_pitchTarget) || retuned;
    if (retuned)
        updateOscillatorFrequencies();

    for (CPanGain& g : m_pan) {
        g.increment = (g.target - g.current) * kPanRamp;
        if (std::fabs(g.increment) < kPanSettled) {
            g.increment = 0.0f;
            g.current = g.target;
        }
    }

    CVoiceCommand& state = m_queue.front();
    if (state.type == command::Stop) {
        const CLoopEnvelope& amp = envelope(EEnvelope::Amplitude);
        if (!amp.quickFadeRunning(age)) {
            finishNote();
            state.time = -1; // silent until the start of the next block, idle after it
            return;
        }
        m_amplitude = amp.quickFade(age) * m_fadeStartLevel;
        const float target = amp.quickFade(age + kFineGrid) * m_fadeStartLevel;
        m_amplitudeIncrement = (target - m_amplitude) / static_cast<float>(kFineGrid);
        return;
    }
    m_filterSection.update(state.type == command::NoteOff);
    applyFilterSection(false);
}

void CVoice::gridTwentyFour(int age)
{
    CVoiceCommand& state = m_queue.front();
    const bool held = state.type == command::Held;
    if (held && m_glide.on) {
        if (age < m_glide.endAge) {
            const float t = static_cast<float>(age - m_glide.startAge);
            m_frequency = m_glide.start[GlideFrequency] + t * m_glide.slope[GlideFrequency];
            m_cutoff = m_glide.start[GlideCutoff] + t * m_glide.slope[GlideCutoff];
            m_resonance = m_glide.start[GlideResonance] + t * m_glide.slope[GlideResonance];
            m_lastVelocityGain = m_glide.start[GlideVelocity] + t * m_glide.slope[GlideVelocity];
            m_lastKeyGain = m_glide.start[GlideKey] + t * m_glide.slope[GlideKey];
        } else {
            m_glide.on = false;
            m_frequency = m_glide.target[GlideFrequency];
            m_cutoff = m_glide.target[GlideCutoff];
            m_resonance = m_glide.target[GlideResonance];
            m_lastVelocityGain = m_glide.target[GlideVelocity];
            m_lastKeyGain = m_glide.target[GlideKey];
        }
        updateOscillatorFrequencies();
        applyCutoff();
    }
    m_oscSection.update(!held);
    applyOscillatorSection(false);

    CLoopEnvelope& amp = envelope(EEnvelope::Amplitude);
    float value = 0.0f;
    bool ended = false;
    if (held) {
        value = amp.advance();
        ended = !amp.loopOn() && amp.atEndCell() && std::fabs(m_amplitude) <= kSilence;
    } else if (amp.release()) {
        value = amp.advanceRelease();
        ended = !amp.releaseRunning();
    } else {
        value = amp.advanceRelease() * amp.releaseFade();
        ended = amp.releaseFade() == 0.0f || (!amp.loopOn() && std::fabs(m_amplitude) <= kSilence);
    }
    if (ended) {
        finishNote();
        return;
    }
    const float target = envelopeLevel() * value;
    const float difference = target - m_amplitude;
    m_amplitudeIncrement = std::fabs(difference) <= kSilence ? 0.0f : difference / static_cast<float>(kCoarseGrid);
}

} // namespace quorvix
