// One audio oscillator: a cycle of two half-cycles from up to two waves, with pulse, symmetry,
// start phase, coarse and fine detune and a tempo-locked beat detune.
#pragma once

#include "dsp/feedback_line.h"
#include "dsp/tempo_clock.h"
#include "dsp/wave_table.h"

#include <cmath>

namespace quorvix {

constexpr int kOscillatorWaveIds = 54; // 0..52 tables and 53 "Feedback"

// What a program stores of an oscillator.
struct COscillatorSettings {
    int wave1 = 1;
    int wave2 = 0;
    float pulse = 1.0f;    // 0.01..1
    float symmetry = 1.0f; // 0.01..1
    float phase = 0.0f;    // of a cycle
    int coarse = 0;        // semitones
    float fine = 0.0f;     // below 0.5 semitones x 2, from 0.5 a beat detune
    int syncKind = 0;      // the clock of the beat detune

    bool operator==(const COscillatorSettings&) const = default;
};

class COscillator {
public:
    // Waves (1, 0), pulse and symmetry 1, no detune, oversampling 1, 44100 Hz, 1 Hz, phase 0.
    COscillator();

    // Tables and feedback line; the voice gives both before any other call.
    void attach(const CWaveTableSet* tables, const CFeedbackLine* feedback);

    // Every stored setting, through the setters below.
    void load(const COscillatorSettings& s);
    COscillatorSettings settings() const;

    // Ids above 53 are ignored.
    void setWaves(int wave1, int wave2);
    void setWave1(int id) { setWaves(id, m_wave2); }
    void setWave2(int id) { setWaves(m_wave1, id); }
    // Both clamp to 0.01..1; the effective value follows through modulatePulse/modulateSymmetry(0).
    void setPulse(float v);
    void setSymmetry(float v);
    void setPhase(float v);
    void setCoarse(int semitones);
    void setFine(float v);
    // Steps per output sample, 1..256.
    void setOversampling(int steps);
    void setSampleRate(float rate);
    // Hz, already multiplied by the voice's pitch factor.
    void setFrequency(float noteFrequency);

    // Modulation of the effective pulse (recomputes the geometry only on a change of 0.001 or more)
    // and of the effective symmetry.
    void modulatePulse(float amount);
    void modulateSymmetry(float amount);

    void resetPhase(float offsetSamples);
    // Beat detune follows the clock; called when the tempo may have changed.
    void beatRecompute();
    // Modulation-free start of a note at the event offset.
    void noteStart(float offsetSamples, float noteFrequency);

    inline float step();
    // The value at the current phase, without advancing.
    float valueNow() const;
    // currentValue = the value at the current phase.
    void sampleCurrent() { m_currentValue = valueNow(); }
    // The phase moves of the combination operators (frequency, cross and phase modulation, rate
    // variation); stepIndex counts oscillator steps since the note started.
    void advance(int steps);
    inline void shiftPhase(float d);
    void setPhaseFromCount(double stepIndex, float m);
    // At note-off the step count restarts, so the phase offset moves on by the note's age in samples.
    void advancePhaseOffset(int ageSamples);
    void resetPhaseOffset() { m_phaseOffset = m_phaseParam + 2.0f; }
    float stepsPerCycle() const { return m_period / m_increment; }

    CTempoClock& clock() { return m_clock; }
    const CTempoClock& clock() const { return m_clock; }

    int wave1() const { return m_wave1; }
    int wave2() const { return m_wave2; }
    float pulse() const { return m_pulse; }
    float symmetry() const { return m_symmetry; }
    float phaseParameter() const { return m_phaseParam; }
    int coarse() const { return m_coarse; }
    float fine() const { return m_fine; }
    int oversampling() const { return m_oversampling; }
    float pulseEffective() const { return m_pulseEff; }
    float symmetryEffective() const { return m_symmetryEff; }
    float frequency() const { return m_frequency; }
    float period() const { return m_period; }
    float half() const { return m_half; }
    float increment() const { return m_increment; }
    float incrementFirst() const { return m_incFirst; }
    float incrementSecond() const { return m_incSecond; }
    float phase() const { return m_phase; }
    void setRunningPhase(float phase) { m_phase = phase; }
    float dcTerm() const { return m_dcTerm; }
    bool silent() const { return m_silent; }
    bool isFeedback() const { return m_feedback; }
    float currentValue() const { return m_currentValue; }
    void setCurrentValue(float v) { m_currentValue = v; }

private:
    void recomputeRatio();
    void recomputeGeometry();
    void recomputeSymmetry();
    void recomputeFrequency();
    float read(float phase) const;

    // settings
    const CWaveTableSet* m_tables = nullptr;
    const CFeedbackLine* m_feedbackLine = nullptr;
    int m_wave1 = 1;
    int m_wave2 = 0;
    float m_pulse = 1.0f;
    float m_symmetry = 1.0f;
    float m_phaseParam = 0.0f;
    int m_coarse = 0;
    float m_fine = 0.0f;
    int m_oversampling = 1;
    float m_oversamplingFloat = 1.0f;
    float m_oversamplingInverse = 1.0f;
    float m_sampleRate = 44100.0f;
    float m_noteFrequency = 1.0f;
    CTempoClock m_clock;

    // derived
    float m_pulseEff = 1.0f;
    float m_symmetryEff = 1.0f;
    float m_ratio = 1.0f;
    float m_beatOffset = 0.0f;
    float m_frequency = 1.0f;
    float m_period = 4000.0f;
    float m_half = 2000.0f;
    int m_halfIndex = 2000;
    int m_secondHalfLimit = 8000;
    float m_increment = 0.0f;
    float m_incFirst = 0.0f;
    float m_incSecond = 0.0f;
    const CWavePair* m_firstPairs = nullptr;
    const CWavePair* m_secondPairs = nullptr;
    int m_secondShift = 0; // phase index c reads pair 2000
    float m_dcTerm = 0.0f;
    bool m_silent = false;
    bool m_feedback = false;

    // state
    float m_phase = 0.0f;
    float m_currentValue = 0.0f;
    float m_phaseOffset = 2.0f; // phase parameter + 2, moved on at note-off
};

// The clamp of effective values to 0.01..1: (|x - 0.01| + 1.01 - |x - 1|) / 2.
inline float clampUnitRange(float x) { return (std::fabs(x - 0.01f) + 1.01f - std::fabs(x - 1.0f)) * 0.5f; }

inline float COscillator::read(float phase) const
{
    if (!(phase >= 0.0f))
        return 0.0f; // a NaN phase (from a broken frequency) reads nothing, never outside the table
    const int j = static_cast<int>(phase);
    const float f = phase - static_cast<float>(j);
    if (phase >= m_half) {
        if (2 * j > m_secondHalfLimit)
            return 0.0f;
        const CWavePair& p = m_secondPairs[j + m_secondShift];
        return p.value + f * p.slope;
    }
    if (2 * j > 2 * kWaveTableHalf - 2)
        return 0.0f;
    const CWavePair& p = m_firstPairs[j];
    return p.value + f * p.slope;
}

inline float COscillator::step()
{
    if (m_feedback)
        return m_feedbackLine->read();
    if (m_silent)
        return 0.0f;
    const float out = read(m_phase);
    if (m_phase >= m_half) {
        m_phase += m_incSecond;
        if (m_phase >= m_period)
            m_phase = (m_phase - m_period) * m_incFirst / m_incSecond;
    } else {
        m_phase += m_incFirst;
        if (m_phase >= m_half) {
            m_phase = m_half + m_incSecond * (m_phase - m_half) / m_incFirst;
            if (m_phase >= m_period)
                m_phase = m_incFirst * (m_phase - m_period) / m_incSecond;
        }
    }
    return out;
}

inline void COscillator::shiftPhase(float d)
{
    float p = m_phase;
    bool rescaled = false;
    if (p < m_half) {
        p += d * m_incFirst;
        if (p >= m_half) {
            p = m_half + m_incSecond * (p - m_half) / (d * m_incFirst);
            rescaled = true;
            if (p >= m_period)
                p = (p - m_period) * m_incFirst / m_incSecond;
        }
    } else {
        p += d * m_incSecond;
        if (p >= m_period) {
            p = (p - m_period) * m_incFirst / m_incSecond;
            rescaled = true;
        }
    }
    if (!rescaled && p < 0.0f) {
        float q = p * m_incSecond / m_incFirst + m_period;
        if (q < m_half)
            q = m_half + m_incFirst * (q - m_half) / m_incSecond;
        p = q;
    }
    m_phase = p;
}

} // namespace quorvix
