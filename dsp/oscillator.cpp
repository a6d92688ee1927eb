#include "dsp/oscillator.h"

#include "dsp/finite.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {
constexpr float kPulseThreshold = 0.001f;
constexpr float kMinPulse = 0.01f;
constexpr float kSemitoneExponent = 0.083333336f;
constexpr float kBeatSteps = 256.0f;
constexpr float kBeatRate = 16.0f;
constexpr int kMaxOversampling = 256;
} // namespace

COscillator::COscillator() = default;

void COscillator::attach(const CWaveTableSet* tables, const CFeedbackLine* feedback)
{
    m_tables = tables;
    m_feedbackLine = feedback;
    setWaves(m_wave1, m_wave2);
}

void COscillator::load(const COscillatorSettings& s)
{
    setWaves(s.wave1, s.wave2);
    setPulse(s.pulse);
    setSymmetry(s.symmetry);
    setPhase(s.phase);
    setCoarse(s.coarse);
    setFine(s.fine);
    m_clock.setKind(s.syncKind);
}

COscillatorSettings COscillator::settings() const
{
    return {m_wave1, m_wave2, m_pulse, m_symmetry, m_phaseParam, m_coarse, m_fine, m_clock.kind()};
}

void COscillator::setWaves(int wave1, int wave2)
{
    if (wave1 < 0 || wave1 >= kOscillatorWaveIds || wave2 < 0 || wave2 >= kOscillatorWaveIds)
        return;
    m_wave1 = wave1;
    m_wave2 = wave2;
    m_silent = wave1 == 0 && wave2 == 0;
    m_feedback = wave1 == kFeedbackWave;
    if (!m_tables)
        return;
    m_firstPairs = m_tables->pairs(wave1);
    recomputeSymmetry();
    recomputeGeometry();
}

void COscillator::setPulse(float v) { m_pulse = std::clamp(v, kMinPulse, 1.0f); }

void COscillator::setSymmetry(float v) { m_symmetry = std::clamp(v, kMinPulse, 1.0f); }

void COscillator::setPhase(float v)
{
    m_phaseParam = v;
    resetPhaseOffset();
}

void COscillator::advance(int steps)
{
    const float k = static_cast<float>(steps);
    if (m_phase < m_half) {
        m_phase += k * m_incFirst;
        if (m_phase >= m_half) {
            m_phase = m_half + m_incSecond * (m_phase - m_half) / m_incFirst;
            if (m_phase >= m_period)
                m_phase = (m_phase - m_period) * m_incFirst / m_incSecond;
        }
    } else {
        m_phase += k * m_incSecond;
        if (m_phase >= m_period)
            m_phase = (m_phase - m_period) * m_incFirst / m_incSecond;
    }
    // One crossing of each kind is taken as written; a longer jump is folded into the cycle.
    if (m_phase >= m_period)
        m_phase = std::fmod(m_phase, m_period);
}

void COscillator::setPhaseFromCount(double stepIndex, float m)
{
    const double linear = std::fmod(stepIndex * m_increment + (m + m_phaseOffset) * double(m_period), double(m_period));
    const float l = static_cast<float>(linear);
    if (l < (2.0f - m_symmetryEff) * m_half)
        m_phase = l / (2.0f - m_symmetryEff);
    else
        m_phase = (l - m_period) / m_symmetryEff + m_period;
}

void COscillator::advancePhaseOffset(int ageSamples)
{
    m_phaseOffset += static_cast<float>(ageSamples) * m_oversamplingFloat * m_increment / m_period;
}

void COscillator::setCoarse(int semitones)
{
    m_coarse = semitones;
    recomputeRatio();
}

void COscillator::setFine(float v)
{
    m_fine = v;
    recomputeRatio();
}

void COscillator::setOversampling(int steps)
{
    m_oversampling = std::clamp(steps, 1, kMaxOversampling);
    m_oversamplingFloat = static_cast<float>(m_oversampling);
    m_oversamplingInverse = 1.0f / m_oversamplingFloat;
    recomputeRatio();
}

void COscillator::setSampleRate(float rate)
{
    m_sampleRate = rate;
    m_clock.setSampleRate(rate);
    recomputeRatio();
}

void COscillator::setFrequency(float noteFrequency)
{
    m_noteFrequency = noteFrequency;
    recomputeFrequency();
}

void COscillator::modulatePulse(float amount)
{
    const float pulse = clampUnitRange(m_pulse + amount);
    if (std::fabs(pulse - m_pulseEff) < kPulseThreshold)
        return;
    m_pulseEff = pulse;
    recomputeGeometry();
}

void COscillator::modulateSymmetry(float amount)
{
    m_symmetryEff = clampUnitRange(m_symmetry + amount);
    recomputeSymmetry();
}

void COscillator::resetPhase(float offsetSamples)
{
    m_phase = std::fmod(offsetSamples * m_oversamplingFloat * m_increment + m_phaseParam * m_period, m_period);
}

void COscillator::beatRecompute()
{
    if (m_fine >= 0.5f)
        recomputeRatio();
}

void COscillator::noteStart(float offsetSamples, float noteFrequency)
{
    resetPhaseOffset();
    modulatePulse(0.0f);
    modulateSymmetry(0.0f);
    resetPhase(offsetSamples);
    setFrequency(noteFrequency);
    m_currentValue = valueNow();
}

float COscillator::valueNow() const
{
    if (m_feedback)
        return m_feedbackLine->read();
    if (m_silent)
        return 0.0f;
    return read(m_phase);
}

void COscillator::recomputeRatio()
{
    float semitones = static_cast<float>(m_coarse);
    m_beatOffset = 0.0f;
    if (m_fine < 0.5f) {
        semitones += 2.0f * m_fine;
    } else {
        const float steps = std::clamp(1.0f + std::floor((2.0f * m_fine - 1.0f) * kBeatSteps), 1.0f, kBeatSteps);
        m_beatOffset = kBeatRate / (steps * m_oversamplingFloat) * m_clock.beatsPerSecond();
    }
    m_ratio = std::exp2(semitones * kSemitoneExponent) * m_oversamplingInverse;
    recomputeFrequency();
}

void COscillator::recomputeFrequency()
{
    // A non-finite frequency would carry the phase outside the table.
    m_frequency = finiteOr(m_noteFrequency * m_ratio + m_beatOffset, 0.0f);
    recomputeGeometry();
}

void COscillator::recomputeGeometry()
{
    m_period = static_cast<float>(kWaveTableLength) / m_pulseEff;
    m_half = m_period / 2.0f;
    m_halfIndex = static_cast<int>(m_half);
    m_secondHalfLimit = 2 * m_halfIndex + kWaveTableLength;
    m_increment = m_frequency * m_period / m_sampleRate;
    m_incFirst = m_increment / (2.0f - m_symmetryEff);
    m_incSecond = m_increment / m_symmetryEff;
    m_secondShift = kWaveTableHalf - m_halfIndex;
    if (m_tables)
        m_secondPairs = m_tables->pairs(m_wave2 == 0 ? m_wave1 : m_wave2);
}

void COscillator::recomputeSymmetry()
{
    if (m_tables)
        m_dcTerm = (2.0f - m_symmetryEff) * m_tables->firstHalfMean(m_wave1) +
                   m_symmetryEff * m_tables->secondHalfMean(m_wave2);
    m_incFirst = m_increment / (2.0f - m_symmetryEff);
    m_incSecond = m_increment / m_symmetryEff;
}

} // namespace quorvix
