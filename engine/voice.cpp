#include "engine/voice.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <utility>

namespace quorvix {

namespace {

constexpr int kMidiSyncKind = 0;

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
    setPanTargets(panPosition(m_settings.level.panAngle));
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
        // Nothing runs before the first command; one beyond this piece of a longer host block
        // waits for a later piece.
        if (-m_queue.front().time >= frames)
            return moveQueueOn(frames);
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
    moveQueueOn(frames);
}

// The commands still ahead come frames closer.
void CVoice::moveQueueOn(int frames)
{
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

// ---- audio ------------------------------------------------------------------------------------------

inline float CVoice::shape(float x) const
{
    return m_shaper->lookup(x * m_shaperGain + m_shaperPosition) * m_shaperMix + x * (1.0f - m_shaperMix);
}

template <bool Oversampled, bool PreShaper, bool Feedback, bool MixOnly>
inline float CVoice::oscillatorSample(int age, CDecimator& decimator)
{
    const int steps = Oversampled ? m_oversampling : 1;
    const double firstStep = static_cast<double>(age) * steps;
    float out = 0.0f;
    for (int s = 0; s < steps; ++s) {
        const float o1 = m_oscillators[0].step();
        const float o2 = m_oscillators[1].step();
        const float o3 = m_oscillators[2].step();
        float x = MixOnly ? m_combination.mix(o1, o2, o3)
                          : m_combination.combine(m_oscillators, o1, o2, o3, firstStep + s);
        if constexpr (PreShaper)
            x = shape(x);
        out = Oversampled ? out + decimator.tick(x) : x;
    }
    if constexpr (Feedback)
        m_feedback.advanceRead();
    return out;
}

// The voice's path with what it leaves out fixed at compile time; one is chosen for each run.
template <bool Oversampled, bool PreShaper, bool Feedback, bool Resonator, bool MixOnly>
bool CVoice::renderRun(float* left, float* right, int count, int age)
{
    std::array<float, kFineGrid> out;
    // A local copy of the decimator's memory stays in registers over the run.
    CDecimator decimator = m_decimator;
    for (int i = 0; i < count; ++i)
        out[static_cast<size_t>(i)] = oscillatorSample<Oversampled, PreShaper, Feedback, MixOnly>(age + i, decimator);
    m_decimator = decimator;
    m_filter.run(out.data(), count);
    const float weight = m_resonanceWeightInUse;
    const float dry = (1.0f - weight) / 2.0f;
    float check = 0.0f; // NaN once any sample is NaN (the clip turns infinities into NaN)
    for (float& sample : std::span(out.data(), static_cast<size_t>(count))) {
        float x = sample;
        // The resonator's output is limited, so at weight 0 it adds only a zero.
        x = Resonator ? m_resonator.tick(x) * weight + x * dry : x * dry;
        if constexpr (!PreShaper)
            x = shape(x);
        if constexpr (Feedback)
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

template <size_t... I>
constexpr auto CVoice::runTable(std::index_sequence<I...>)
{
    return std::array {&CVoice::renderRun<(I & 1) != 0, (I & 2) != 0, (I & 4) != 0, (I & 8) != 0, (I & 16) != 0>...};
}

// False, with nothing added, when the run's output is not finite. count is at most a fine grid
// step, so the feedback line (at least that long) is read before any of its cells is rewritten.
bool CVoice::renderAudio(float* left, float* right, int count, int age)
{
    // A resonator at weight 0 that no modulation drives adds nothing; it rests cleared so that it
    // starts from silence when its weight rises.
    const bool resonator = m_resonanceWeightInUse != 0.0f || m_filterSection.modulates(filtertarget::ResonanceWeight);
    if (!resonator && !m_resonatorResting)
        m_resonator.clear();
    m_resonatorResting = !resonator;
    static constexpr auto kRuns = runTable(std::make_index_sequence<32>());
    const size_t choice = (m_oversampling > 1 ? 1u : 0u) | (m_settings.shaper.postFilter ? 0u : 2u) |
                          (m_feedbackInUse ? 4u : 0u) | (resonator ? 8u : 0u) | (m_combination.mixesOnly() ? 16u : 0u);
    return (this->*kRuns[choice])(left, right, count, age);
}

void CVoice::dropBrokenNote()
{
    silence();
    resetRunningValues();
    m_feedback.clear();
}

} // namespace quorvix
