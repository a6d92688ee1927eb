#include "engine/timbre.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {

constexpr int kHighQuality = 4;
constexpr float kPanControllerRange = 126.0f;
constexpr int kHostTempoKind = 0; // the host tempo itself

struct CControllerTarget {
    int controller;
    int parameter;
};

// Controllers 5 to 90 that reach a parameter of one voice; 7, 10 and 11 have their own rules.
constexpr CControllerTarget kControllerTargets[] = {
    {5, 182},  {9, 107},  {10, 162}, {11, 109}, {12, 27},  {13, 28},  {14, 43},  {15, 44},  {44, 35},
    {45, 36},  {70, 37},  {71, 40},  {72, 45},  {73, 48},  {74, 29},  {75, 32},  {76, 56},  {77, 171},
    {78, 59},  {80, 63},  {82, 98},  {83, 100}, {85, 112}, {86, 108}, {87, 111}, {88, 180}, {89, 99},
    {90, 104},
};

} // namespace

CTimbre::CTimbre()
{
    m_programName.reserve(kProgramNameLength);
    m_tempoClock.setKind(kHostTempoKind);
    m_shaper.setLimiter(m_settings.shaper.limiter);
    rebuildShaper();
}

void CTimbre::rebuildShaper()
{
    const CShaperTableSettings& s = m_settings.shaper;
    m_shaper.build(s.shape1, s.shape2, s.parameter, s.smooth);
}

void CTimbre::attach(const CEngineContext* context) { m_context = context; }

void CTimbre::initialize()
{
    m_noteCounter = 0;
    m_soundOff = false;
    for (CVoice& v : m_voices)
        v.initialize();
    for (CDecimator& d : m_decimators)
        d.clear();
    clearEffects();
}

void CTimbre::clearEffects()
{
    for (CEffectUnit& unit : m_effects)
        unit.clear(mayAllocate());
}

bool CTimbre::prepareEffects()
{
    bool failed = false;
    for (CEffectUnit& unit : m_effects) {
        unit.prepareStorage();
        failed = unit.takeAllocationFailure() || failed;
    }
    return failed;
}

void CTimbre::resetVoices()
{
    for (CVoice& v : m_voices)
        v.silence();
}

void CTimbre::setSampleRate(float rate)
{
    m_sampleRate = rate;
    m_tempoClock.setSampleRate(rate);
    m_tempoClock.setHostTempo(hostBeatsPerSecond());
    for (CEffectUnit& unit : m_effects) {
        unit.setSamplesPerBeat(m_tempoClock.samplesPerBeat());
        unit.setSampleRate(rate, mayAllocate());
    }
    for (CVoice& v : m_voices)
        v.setSampleRate(rate * static_cast<float>(quality()));
}

void CTimbre::setBlockSize(int frames)
{
    m_blockSize = std::max(frames, 1);
    sizeWorkBuffers();
}

void CTimbre::sizeWorkBuffers()
{
    // Grown here, outside rendering; a block never needs more than four times the block size.
    const size_t samples = static_cast<size_t>(m_blockSize) * kHighQuality;
    if (m_workLeft.size() < samples) {
        m_workLeft.assign(samples, 0.0f);
        m_workRight.assign(samples, 0.0f);
    }
}

float CTimbre::hostBeatsPerSecond() const { return m_context ? m_context->hostBeatsPerSecond : kNoTempoBeatsPerSecond; }

double CTimbre::beatsPerVoiceSample() const
{
    return (m_context ? m_context->beatsPerSample : kNoTempoBeatsPerSecond / 44100.0) / quality();
}

double CTimbre::secondsPerVoiceSample() const
{
    return (m_context ? m_context->samplePeriod : 1.0 / 44100.0) / quality();
}

CSongPosition CTimbre::songPosition(int position) const
{
    const double beats = beatsPerVoiceSample(), seconds = secondsPerVoiceSample();
    return {m_clocks[0].at(position, beats), m_clocks[1].at(position, seconds), m_clocks[2].at(position, beats),
            m_clocks[3].at(position, seconds)};
}

float CTimbre::tuningBendFactor(int key, float bend) const
{
    const double cents = 1200.0 * std::log2(m_destinationTuning.frequency(key) / m_mainTuning.frequency(key));
    return static_cast<float>(std::exp2(bend * cents / 1200.0));
}

void CTimbre::copyModulesToVoices()
{
    for (int i = 1; i < kVoiceCount; ++i)
        m_voices[static_cast<size_t>(i)].copyModulesFrom(m_voices[kMonoVoice]);
}

// ---- clocks ---------------------------------------------------------------------------------------

void CTimbre::CClock::advance(double amount)
{
    fraction += amount;
    const double carry = std::floor(fraction);
    whole += carry;
    fraction -= carry;
}

void CTimbre::CClock::restartAt(int position, double perSample)
{
    whole = 0.0;
    fraction = -position * perSample;
}

void CTimbre::restartFirstKeyClocks(int position)
{
    m_clocks[2].restartAt(position, beatsPerVoiceSample());
    m_clocks[3].restartAt(position, secondsPerVoiceSample());
}

// ---- controllers ----------------------------------------------------------------------------------

void CTimbre::applyController(int controller, float value, CVoice& voice)
{
    if (controller == 7) {
        voice.setVolumeGain(value * kDefaultVolumeGain);
        return;
    }
    for (const CControllerTarget& t : kControllerTargets) {
        if (t.controller != controller)
            continue;
        float v = value;
        if (controller == 10 || controller == 11)
            v = std::max(std::floor(127.0f * value - 0.5f), 0.0f) / kPanControllerRange;
        if (m_context && m_context->voiceParameter)
            m_context->voiceParameter(*this, voice, t.parameter, std::clamp(v, 0.0f, 1.0f));
        return;
    }
}

// ---- rendering ------------------------------------------------------------------------------------

bool CTimbre::silentAtHighQuality() const
{
    for (const CVoice& v : m_voices)
        if (!v.idle())
            return false;
    return m_decimators[0].quiet() && m_decimators[1].quiet();
}

void CTimbre::renderVoices(float* left, float* right, int frames)
{
    for (CVoice& v : m_voices)
        v.render(*this, left, right, frames);
}

void CTimbre::decimate(float* left, float* right, int frames, bool replace)
{
    float* channels[2] = {left, right};
    const float* work[2] = {m_workLeft.data(), m_workRight.data()};
    for (int c = 0; c < 2; ++c) {
        CDecimator& d = m_decimators[static_cast<size_t>(c)];
        // Output j reads work samples 4j to 4j + 3, so the result may overwrite the work buffer.
        for (int j = 0; j < frames; ++j) {
            const float* x = work[c] + static_cast<size_t>(j) * kHighQuality;
            const float sum = d.tick(x[0]) + d.tick(x[1]) + d.tick(x[2]) + d.tick(x[3]);
            channels[c][j] = replace ? sum : channels[c][j] + sum;
        }
    }
}

void CTimbre::followTempo()
{
    const float tempo = hostBeatsPerSecond();
    m_tempoChanged = tempo != m_tempoClock.hostBeatsPerSecond() && tempo > 0.0f;
    if (!m_tempoChanged)
        return;
    m_tempoClock.setHostTempo(tempo);
    for (CEffectUnit& unit : m_effects)
        unit.setSamplesPerBeat(m_tempoClock.samplesPerBeat());
}

void CTimbre::clearWork(int samples)
{
    std::fill(m_workLeft.begin(), m_workLeft.begin() + samples, 0.0f);
    std::fill(m_workRight.begin(), m_workRight.begin() + samples, 0.0f);
}

// Returns the host frames now in the work buffers, or 0 when the voices went straight to the outputs.
int CTimbre::renderVoicesAtHostRate(float* left, float* right, int frames, bool toWork)
{
    float* workLeft = m_workLeft.data();
    float* workRight = m_workRight.data();
    if (quality() == 1) {
        if (!toWork) {
            renderVoices(left, right, frames);
            return 0;
        }
        const int n = std::min(frames, static_cast<int>(m_workLeft.size()));
        clearWork(n);
        renderVoices(workLeft, workRight, n);
        return n;
    }
    const int samples = std::min(frames * kHighQuality, static_cast<int>(m_workLeft.size()));
    const int hostFrames = samples / kHighQuality;
    const bool silent = silentAtHighQuality();
    if (!silent)
        clearWork(samples);
    renderVoices(workLeft, workRight, samples);
    if (silent) {
        for (CDecimator& d : m_decimators)
            d.clear();
        if (toWork)
            clearWork(hostFrames);
    } else if (toWork) {
        decimate(workLeft, workRight, hostFrames, true);
    } else {
        decimate(left, right, hostFrames, false);
    }
    return toWork ? hostFrames : 0;
}

void CTimbre::renderEffects(float* left, float* right, int frames)
{
    if (m_tempoChanged)
        for (CEffectUnit& unit : m_effects)
            unit.tempoChanged(mayAllocate());
    float* workLeft = m_workLeft.data();
    float* workRight = m_workRight.data();
    CEffectUnit& first = m_effects[0];
    CEffectUnit& second = m_effects[1];
    const bool secondActive = second.active();
    if (first.active()) {
        if (secondActive)
            first.processInPlace(workLeft, workRight, frames);
        else
            first.processInto(workLeft, workRight, left, right, frames);
    }
    if (secondActive)
        second.processInto(workLeft, workRight, left, right, frames);
}

void CTimbre::render(float* left, float* right, int frames)
{
    if (frames <= 0)
        return;
    followTempo();
    const bool effectsActive = m_effects[0].active() || m_effects[1].active();
    const int workFrames = renderVoicesAtHostRate(left, right, frames, effectsActive);
    // No note since the last reset: an active effect has nothing to process and nothing is output.
    if (effectsActive && m_noteCounter != 0)
        renderEffects(left, right, workFrames);

    const double beats = frames * (m_context ? m_context->beatsPerSample : 0.0);
    const double seconds = frames * (m_context ? m_context->samplePeriod : 0.0);
    m_clocks[0].advance(beats);
    m_clocks[1].advance(seconds);
    m_clocks[2].advance(beats);
    m_clocks[3].advance(seconds);

    if (m_soundOff) {
        m_soundOff = false;
        setSampleRate(m_sampleRate);
    }
}

// ---- parameters and programs ----------------------------------------------------------------------

void CTimbre::setPolyphony(int voices) { m_settings.polyphony = std::clamp(voices, 0, kMaxPolyphony); }

void CTimbre::setQuality(int factor)
{
    if (factor == m_settings.quality)
        return;
    m_settings.quality = factor;
    setSampleRate(m_sampleRate);
}

void CTimbre::setProgramName(const std::string& name)
{
    // assign into the reserved capacity: a MIDI program change names the timbre on the audio thread
    m_programName.assign(name, 0, kProgramNameLength);
}

} // namespace quorvix
