#include "engine/voice.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace quorvix {

namespace {

constexpr int kMidiSyncKind = 0;
constexpr int kFineGrid = 6;
constexpr int kCoarseGrid = 24;
constexpr int kSmoothingSteps = 26;
constexpr float kSmoothingStart = 0.025f;
constexpr float kSmoothingGrowth = 1.12f;
constexpr float kPanRamp = 0.033333335f;
constexpr float kPanSettled = 0.00001f;
constexpr float kSilence = 1.2715657552083333e-06f;
constexpr double kPi = 3.141592653589793;
constexpr float kPanSquare = 4.896816730499268f;
constexpr float kPanFourth = 3.5872676372528076f;

// Held from library load to unload, so instances coming and going never regenerate the tables.
const CWaveTableReference gLibraryTables;

bool sounding(int32_t type) { return type == command::Held || type == command::NoteOff || type == command::Stop; }

} // namespace

CVoice::CVoice()
    : m_envelopes {CLoopEnvelope(EEnvelopeKind::Modulation), CLoopEnvelope(EEnvelopeKind::Modulation),
                   CLoopEnvelope(EEnvelopeKind::Modulation), CLoopEnvelope(EEnvelopeKind::Modulation),
                   CLoopEnvelope(EEnvelopeKind::Amplitude)}
{
    for (COscillator& osc : m_oscillators) {
        osc.attach(&*m_tables, &m_feedback);
        osc.clock().setKind(kMidiSyncKind);
    }
    // Oscillator 1 plays a square, the others are silent: the "Init" sound.
    m_oscillators[1].setWaves(0, 0);
    m_oscillators[2].setWaves(0, 0);
    m_portamentoClock.setKind(kMidiSyncKind);
    m_filter.setType(m_settings.filter.type);
    setResonance(m_settings.filter.resonance);
    for (CModOscillator& osc : m_modOscillators)
        osc.attach(&*m_tables);
    m_oscSection.attach(&m_modOscillators[0], &m_modOscillators[1], &envelope(EEnvelope::OscMod1),
                        &envelope(EEnvelope::OscMod2));
    m_filterSection.attach(&m_modOscillators[2], &m_modOscillators[3], &envelope(EEnvelope::FilterMod1),
                           &envelope(EEnvelope::FilterMod2));
    setPanTargets(static_cast<float>(m_settings.level.panAngle / kPi));
}

void CVoice::setSampleRate(float rate)
{
    m_sampleRate = rate;
    for (COscillator& osc : m_oscillators)
        osc.setSampleRate(rate);
    for (CLoopEnvelope& env : m_envelopes)
        env.setSampleRate(rate);
    m_portamentoClock.setSampleRate(rate);
    m_filter.setSampleRate(rate);
    m_resonator.setSampleRate(rate);
    m_dcBlocker.setSampleRate(rate);
    for (CModOscillator& osc : m_modOscillators)
        osc.setSampleRate(rate);
}

void CVoice::initialize()
{
    m_key = -1;
    m_queue.reset();
    m_queueReset = false;
    m_finished = true;
    m_amplitude = 0.0f;
    m_amplitudeIncrement = 0.0f;
    m_volumeGain = kDefaultVolumeGain;
    clearFilters();
}

void CVoice::silence()
{
    m_key = -1;
    m_queue.reset();
    m_queueReset = false;
    m_finished = true;
    m_amplitude = 0.0f;
    m_amplitudeIncrement = 0.0f;
    clearFilters();
}

void CVoice::clearFilters()
{
    m_decimator.clear();
    m_filter.clear();
    m_resonator.clear();
    m_dcBlocker.clear();
}

// ---- parameter setters --------------------------------------------------------------------------------

void CVoice::setWeight(int i, float v)
{
    m_combination.setWeight(i, v, m_oscSection.modulates(osctarget::Weight1 << i));
}

void CVoice::setPulse(int i, float v)
{
    COscillator& osc = m_oscillators[static_cast<size_t>(i)];
    osc.setPulse(v);
    if (!m_oscSection.modulates(osctarget::Pulse1 << i))
        osc.modulatePulse(0.0f);
}

void CVoice::setSymmetry(int i, float v)
{
    COscillator& osc = m_oscillators[static_cast<size_t>(i)];
    osc.setSymmetry(v);
    if (!m_oscSection.modulates(osctarget::Symmetry1 << i))
        osc.modulateSymmetry(0.0f);
}

bool CVoice::modOscillatorSpeedModulated(int i) const
{
    switch (i) {
    case 0:
        return m_oscSection.modulates(osctarget::ModOsc1);
    case 1:
        return m_oscSection.modulates(osctarget::ModOsc2);
    case 2:
        return m_filterSection.modulates(filtertarget::ModOsc1);
    default:
        return m_filterSection.modulates(filtertarget::ModOsc2);
    }
}

void CVoice::setModSpeed(int i, float beats)
{
    CModOscillator& osc = m_modOscillators[static_cast<size_t>(i)];
    osc.setSpeed(beats);
    if (!modOscillatorSpeedModulated(i))
        osc.modulateSpeed(0.0f);
}

void CVoice::setPan(double angle)
{
    m_settings.level.panAngle = angle;
    if (!m_filterSection.modulates(filtertarget::Panorama))
        setPanTargets(static_cast<float>(angle / kPi));
}

void CVoice::setShaperGain(float gain)
{
    m_settings.shaper.gain = gain;
    if (!m_filterSection.modulates(filtertarget::ShaperGain))
        m_shaperGain = gain;
}

void CVoice::setShaperPosition(float position)
{
    m_settings.shaper.position = position;
    if (!m_filterSection.modulates(filtertarget::ShaperPosition))
        m_shaperPosition = position;
}

void CVoice::setShaperMix(float mix)
{
    m_settings.shaper.mix = mix;
    if (!m_filterSection.modulates(filtertarget::ShaperMix))
        m_shaperMix = mix;
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
    m_settings.filter.parameter = p;
    if (m_filterSection.modulates(filtertarget::FilterParameter))
        return;
    m_filterParameterInUse = p;
    m_filter.setParameter(p);
}

void CVoice::setFilterFrequency(float hz)
{
    const float factor = m_cutoff / m_settings.filter.frequency;
    m_settings.filter.frequency = hz;
    m_cutoff = hz * factor;
    applyCutoff();
}

void CVoice::setResonanceWeight(float w)
{
    m_settings.filter.resonanceWeight = w;
    if (!m_filterSection.modulates(filtertarget::ResonanceWeight))
        m_resonanceWeightInUse = w;
}

void CVoice::setResonanceSeparate(bool on)
{
    m_settings.filter.separate = on;
    applyResonanceFrequency();
}

void CVoice::setResonanceFrequency(float hz)
{
    const float factor = m_resonance / m_settings.filter.resonanceFrequency;
    m_settings.filter.resonanceFrequency = hz;
    m_resonance = hz * factor;
    applyResonanceFrequency();
}

void CVoice::setResonance(float r)
{
    m_settings.filter.resonance = r;
    if (!m_filterSection.modulates(filtertarget::Resonance))
        m_resonator.setQuality(resonanceQuality(static_cast<double>(r)));
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

// ---- the render walk ------------------------------------------------------------------------------

void CVoice::render(CVoiceContext& context, float* left, float* right, int frames)
{
    if (m_queueReset) {
        m_queueReset = false;
        m_queue.reset();
        return;
    }
    if (m_queue.front().type == command::End)
        return;
    m_shaper = &context.shaperTable();
    m_queue[m_queue.size() - 1].time = -frames;
    int pos = 0;
    if (m_queue.front().time < 0) {
        pos = -m_queue.front().time;
        m_queue.front().time = 0;
    }
    prepareRunningState(context);

    while (true) {
        while (m_queue.size() > 1 && m_queue[1].type != command::End && -m_queue[1].time <= pos) {
            CVoiceCommand next = m_queue[1];
            m_queue.remove(1);
            if (execute(context, next, pos))
                m_queue.front() = next;
        }
        CVoiceCommand& state = m_queue.front();
        if (state.type == command::NoteOn)
            noteStart(context, state, pos);
        else if (state.type == command::LegatoNote)
            legatoStart(context, state);
        if (pos >= frames)
            break;
        const int next = m_queue.size() > 1 ? std::clamp(-m_queue[1].time, pos, frames) : frames;
        while (pos < next && sounding(m_queue.front().type)) {
            const int age = m_queue.front().time;
            if (age % kFineGrid == 0)
                gridSix(context, age);
            if (age % kCoarseGrid == 0 && (m_queue.front().type == command::Held || m_queue.front().type == command::NoteOff))
                gridTwentyFour(age);
            if (!sounding(m_queue.front().type))
                break;
            const int n = std::min(next - pos, kFineGrid - age % kFineGrid);
            if (!renderAudio(left + pos, right + pos, n, age))
                return dropBrokenNote();
            m_queue.front().time += n;
            pos += n;
        }
        pos = next;
    }

    if (!sounding(m_queue.front().type))
        clearFilters();
    if (m_queue.front().time >= 0 && (m_queue.front().type < command::NoteOn || m_queue.front().type > command::Stop))
        m_queue.removeFront();
    for (int i = 0; i < m_queue.size(); ++i)
        if (m_queue[i].time < 0)
            m_queue[i].time += frames;
}

void CVoice::prepareRunningState(CVoiceContext& context)
{
    CVoiceCommand& state = m_queue.front();
    switch (state.type) {
    case command::NoteOn:
        return;
    case command::Stop:
        if (state.time > 0)
            return;
        break;
    case command::LegatoNote:
    case command::Held:
    case command::NoteOff:
        if (context.tempoChanged())
            changeTempo(context.hostBeatsPerSecond());
        return;
    default:
        break;
    }
    CVoiceCommand neutral;
    neutral.type = command::Neutral;
    neutral.key = 0;
    neutral.time = 0;
    m_queue.pushFront(neutral);
}

void CVoice::changeTempo(float beatsPerSecond)
{
    for (COscillator& osc : m_oscillators) {
        osc.clock().setHostTempo(beatsPerSecond);
        osc.beatRecompute();
    }
    for (CLoopEnvelope& env : m_envelopes) {
        env.clock().setHostTempo(beatsPerSecond);
        env.tempoChanged();
    }
    for (CModOscillator& osc : m_modOscillators) {
        osc.clock().setHostTempo(beatsPerSecond);
        osc.tempoChanged();
    }
    const float before = m_portamentoClock.beatsPerSecond();
    CTempoClock after = m_portamentoClock;
    after.setHostTempo(beatsPerSecond);
    if (m_queue.front().type == command::Held && m_glide.on && m_queue.front().time < m_glide.endAge)
        retimeGlide(before, after.beatsPerSecond());
    m_portamentoClock.setHostTempo(beatsPerSecond);
}

void CVoice::retimeGlide(float oldBeatsPerSecond, float newBeatsPerSecond)
{
    const int age = m_queue.front().time;
    const int length = static_cast<int>(static_cast<float>(m_glide.endAge - age) * oldBeatsPerSecond / newBeatsPerSecond);
    std::array<float, 5> current;
    for (size_t q = 0; q < current.size(); ++q)
        current[q] = m_glide.start[q] + static_cast<float>(age - m_glide.startAge) * m_glide.slope[q];
    startGlide(age, length, current, m_glide.target);
}

bool CVoice::execute(CVoiceContext& context, CVoiceCommand& command, int position)
{
    switch (command.type) {
    case command::NoteOn:
        command.time = 0;
        return true;
    case command::LegatoNote:
        // A legato note needs a sounding note to glide from; otherwise it starts afresh.
        if (m_queue.front().type == command::Held || m_queue.front().type == command::NoteOff)
            command.time = m_queue.front().time;
        else {
            command.type = command::NoteOn;
            command.time = 0;
        }
        return true;
    case command::NoteOff:
        if (m_finished)
            return false;
        command.frequency = m_lastFrequency;
        command.velocityGain = m_lastVelocityGain;
        command.keyGain = m_lastKeyGain;
        for (COscillator& osc : m_oscillators)
            osc.advancePhaseOffset(std::max(m_queue.front().time, 0));
        m_oscSection.noteOff();
        m_filterSection.noteOff();
        envelope(EEnvelope::Amplitude).noteOff();
        command.time = 0;
        return true;
    case command::Stop:
        if (m_finished)
            return false;
        command.frequency = m_lastFrequency;
        command.velocityGain = m_lastVelocityGain;
        command.keyGain = m_lastKeyGain;
        m_fadeStartLevel = m_amplitude;
        command.time = 0;
        return true;
    case command::SoundOff:
        m_finished = true;
        m_amplitude = m_amplitudeIncrement = 0.0f;
        if (command.number == 0)
            m_volumeGain = kDefaultVolumeGain;
        command.time = 0;
        return true;
    case command::ProgramChange:
        context.voiceProgramChange(*this, command.number, position);
        m_finished = true;
        m_amplitude = m_amplitudeIncrement = 0.0f;
        command.time = 0;
        return true;
    case command::Controller:
        if (command.number == 1) {
            m_oscSection.setModWheel(command.amount);
            m_filterSection.setModWheel(command.amount);
        } else if (command.number == 2) {
            m_oscSection.setBreath(command.amount);
            m_filterSection.setBreath(command.amount);
        } else {
            context.applyController(command.number, command.amount, *this);
        }
        return false;
    case command::SystemReset:
        resetRunningValues();
        m_finished = true;
        m_volumeGain = kDefaultVolumeGain;
        resetControllers();
        // A reset ends a running note too, instead of letting it come back from zero.
        command.time = 0;
        return true;
    case command::ResetControllers:
        resetControllers();
        return false;
    case command::PitchBend: {
        m_bend = command.frequency;
        const float range = m_settings.level.pitchBendRange;
        m_pitchTarget = range >= 0.0f ? std::exp2(m_bend * range / 12.0f) : context.tuningBendFactor(m_key, m_bend);
        m_bendSmoothing.restart();
        m_oscSection.setPitchBend(m_bend);
        m_filterSection.setPitchBend(m_bend);
        return false;
    }
    case command::Pressure:
        m_pressure = command.amount;
        m_oscSection.setAftertouch(command.amount);
        m_filterSection.setAftertouch(command.amount);
        return false;
    case command::FirstKey:
        context.restartFirstKeyClocks(position);
        return false;
    case command::Retune:
        m_retuneTarget = command.frequency;
        m_retuneSmoothing.restart();
        return false;
    default:
        return false;
    }
}

void CVoice::resetRunningValues()
{
    m_retuneSmoothing = CSmoothing {};
    m_bendSmoothing = CSmoothing {};
    m_amplitude = m_amplitudeIncrement = m_fadeStartLevel = 0.0f;
    m_lastVelocityGain = 0.0f;
    m_lastFrequency = 1.0f;
    m_lastKeyGain = 1.0f;
    m_bend = 0.0f;
    m_pitchTarget = m_pitchFactor = 1.0f;
    m_pressure = 0.0f;
    m_combination.noteStart();
    m_glide = CGlide {};
}

void CVoice::resetControllers()
{
    m_volumeGain = kDefaultVolumeGain;
    m_bend = 0.0f;
    m_pitchTarget = m_pitchFactor = 1.0f;
    m_bendSmoothing = CSmoothing {};
    m_pressure = 0.0f;
    m_oscSection.resetControllers();
    m_filterSection.resetControllers();
}

void CVoice::finishNote()
{
    m_amplitude = m_amplitudeIncrement = 0.0f;
    m_finished = true;
    CVoiceCommand& state = m_queue.front();
    state.type = command::SoundOff;
    state.number = 1;
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
    setPanTargets(static_cast<float>(m_settings.level.panAngle / kPi));

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

// Clamp to 0..1 as (|x| + 1 - |x - 1|) / 2.
static inline float clampUnitValue(float x) { return (std::fabs(x) + 1.0f - std::fabs(x - 1.0f)) * 0.5f; }

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
    bool cutoffChanged = false;
    for (int i = 0; i < section.combinerCount(); ++i) {
        const int d = all ? section.combiner(i).destination : section.effectiveDestination(i);
        if (d == 0)
            continue;
        const float o = section.output(i);
        const CShaperVoiceSettings& shaper = m_settings.shaper;
        switch (d) {
        case 1:
            m_shaperGain = (std::fabs(shaper.gain + o - 0.16666667f) + 1.6666666f - std::fabs(shaper.gain + o - 1.5f)) * 0.5f;
            break;
        case 2:
            m_shaperPosition = std::clamp(shaper.position + o, -1.0f, 1.0f);
            break;
        case 3:
            m_shaperMix = clampUnitValue(shaper.mix + o);
            break;
        case 4:
            m_cutoffModulation = {o, 1.0f};
            m_resonanceModulation = {o, 1.0f};
            cutoffChanged = true;
            break;
        case 5:
            m_cutoffModulation = {0.0f, std::exp2(o / 12.0f)};
            m_resonanceModulation = m_cutoffModulation;
            cutoffChanged = true;
            break;
        case 6:
            m_cutoffModulation = {o, 1.0f};
            cutoffChanged = true;
            break;
        case 7:
            m_cutoffModulation = {0.0f, std::exp2(o / 12.0f)};
            cutoffChanged = true;
            break;
        case 8:
            m_resonanceModulation = {o, 1.0f};
            cutoffChanged = true;
            break;
        case 9:
            m_resonanceModulation = {0.0f, std::exp2(o / 12.0f)};
            cutoffChanged = true;
            break;
        case 10:
            m_filterParameterInUse = clampUnitValue(m_settings.filter.parameter + o);
            m_filter.setParameter(m_filterParameterInUse);
            break;
        case 11:
            m_resonanceWeightInUse = clampUnitValue(m_settings.filter.resonanceWeight + o);
            break;
        case 12:
            m_resonator.setQualityUnlimited(resonanceQuality(clampUnitValue(m_settings.filter.resonance + o)));
            break;
        case 13:
            setPanTargets(std::clamp(o * 0.5f + static_cast<float>(m_settings.level.panAngle / kPi), 0.0f, 0.5f));
            break;
        case 14:
            m_modOscillators[2].modulateSpeed(o);
            break;
        case 15:
            m_modOscillators[3].modulateSpeed(o);
            break;
        default:
            break;
        }
    }
    if (cutoffChanged)
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

// ---- audio ------------------------------------------------------------------------------------------

inline float CVoice::shape(float x) const
{
    return m_shaper->lookup(x * m_shaperGain + m_shaperPosition) * m_shaperMix + x * (1.0f - m_shaperMix);
}

inline float CVoice::oscillatorSample(int age)
{
    const int steps = m_oversampling;
    const bool preShaper = !m_settings.shaper.postFilter;
    const double firstStep = static_cast<double>(age) * steps;
    float out = 0.0f;
    for (int s = 0; s < steps; ++s) {
        const float o1 = m_oscillators[0].step();
        const float o2 = m_oscillators[1].step();
        const float o3 = m_oscillators[2].step();
        float x = m_combination.combine(m_oscillators, o1, o2, o3, firstStep + s);
        if (preShaper)
            x = shape(x);
        out = steps == 1 ? x : out + m_decimator.tick(x);
    }
    if (m_feedbackInUse)
        m_feedback.advanceRead();
    return out;
}

// False, with nothing added, when the run's output is not finite. count is at most a fine grid
// step, so the feedback line (at least that long) is read before any of its cells is rewritten.
bool CVoice::renderAudio(float* left, float* right, int count, int age)
{
    std::array<float, kFineGrid> out;
    for (int i = 0; i < count; ++i)
        out[static_cast<size_t>(i)] = oscillatorSample(age + i);
    m_filter.run(out.data(), count);
    const float weight = m_resonanceWeightInUse;
    const float dry = (1.0f - weight) / 2.0f;
    const bool postShaper = m_settings.shaper.postFilter;
    float check = 0.0f; // NaN once any sample is NaN (the clip turns infinities into NaN)
    for (float& sample : std::span(out.data(), static_cast<size_t>(count))) {
        float x = sample;
        x = m_resonator.tick(x) * weight + x * dry;
        if (postShaper)
            x = shape(x);
        if (m_feedbackInUse)
            m_feedback.write(x);
        x = m_dcBlocker.tick(x);
        m_amplitude += m_amplitudeIncrement;
        x *= m_amplitude;
        x = (std::fabs(x + 1.0f) - std::fabs(x - 1.0f)) * m_volumeGain;
        sample = x;
        check += x * 0.0f;
    }
    if (std::isnan(check))
        return false;
    for (int i = 0; i < count; ++i) {
        m_pan[0].current += m_pan[0].increment;
        m_pan[1].current += m_pan[1].increment;
        left[i] += out[static_cast<size_t>(i)] * m_pan[0].current;
        right[i] += out[static_cast<size_t>(i)] * m_pan[1].current;
    }
    return true;
}

void CVoice::dropBrokenNote()
{
    silence();
    resetRunningValues();
    m_feedback.clear();
}

} // namespace quorvix
