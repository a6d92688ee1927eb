// One channel's modulated delay (Chorus, Flanger, Phaser): a short ring read at a moving offset.
#pragma once

#include "dsp/clip.h"
#include "dsp/denormal.h"
#include "dsp/line_storage.h"

namespace quorvix {

class CModDelay {
public:
    CModDelay();

    void setSampleRate(float rate, bool mayGrow);
    // Makes room for the longest time and deepest depth (ms) of any kind at the current rate
    // (off the audio thread).
    void reserve(float longestMs, float deepestMs);
    // ms and the effect type that chooses the scales; resizes and zeroes.
    void setTime(float ms, int kind, bool mayGrow);
    void setDepth(float ms, int kind, bool mayGrow);
    // Hz of the modulation; restarts the counter at the phase offset.
    void setRate(float hz);
    // The same, keeping the counter's place in the period.
    void retuneRate(float hz);
    void setFeedback(float g) { m_feedback = g; }
    void setPhaseOffset(float s) { m_phaseOffset = s; }
    // Recomputes the delay from the stored values and restarts (clear).
    void refresh(bool mayGrow);

    // One sample of the kind: Chorus, Phaser or Flanger with mix x.
    inline float chorus(float in, float x);
    inline float phaser(float in, float x);
    inline float flanger(float in, float x);

    int counter() const { return m_counter; }
    bool storageShort() const { return m_storage.isShort(); }
    // Gives a short ring the cells it wants (off the audio thread); it is then zeroed.
    void prepareStorage();
    bool takeAllocationFailure() { return m_storage.takeFailure(); }

private:
    float* data() { return m_storage.data(); }
    const float* data() const { return m_storage.data(); }
    inline void modulate();
    inline float read(int position) const;
    inline void advance();
    void derive();
    void resize(bool mayGrow);
    int cellsFor(float delaySamples, float depthSamples) const;

    CLineStorage m_storage;
    int m_cells = 0; // E; cell E - 1 copies cell 0
    int m_write = 0;
    float m_sampleRate = 44100.0f;
    int m_kind = 8;
    float m_time = 1.0f;
    float m_depth = 0.00001f;
    float m_rate = 10.0f;
    float m_feedback = 0.5f;
    float m_phaseOffset = 0.0f;
    // derived
    float m_delaySamples = 0.0f;
    float m_depthSamples = 0.0f;
    float m_amplitude = 0.0f;
    float m_period = 1.0f;
    int m_periodInt = 1;
    float m_step = 2.0f;
    // modulation state
    int m_counter = 0;
    int m_offset = 0;
    float m_fraction = 0.0f;
};

inline void CModDelay::modulate()
{
    m_counter = (m_counter + 1) % m_periodInt;
    const float t = static_cast<float>(m_counter) * m_step - 1.0f;
    const float u = t * t;
    const float m = u * (u * (u - 4.25f) + 5.5f) * m_amplitude;
    m_offset = static_cast<int>(m);
    m_fraction = m - static_cast<float>(m_offset);
}

inline float CModDelay::read(int position) const
{
    if (position >= m_cells - 1)
        position -= m_cells - 1;
    const float a = data()[position];
    return a + (data()[position + 1] - a) * m_fraction;
}

// After the sample that wrote the copy cell, cell 0 takes its value and the ring is flushed.
inline void CModDelay::advance()
{
    if (++m_write < m_cells)
        return;
    data()[0] = data()[m_cells - 1];
    m_write = 1;
    flushTiny(data(), m_cells);
}

inline float CModDelay::chorus(float in, float x)
{
    if (m_cells < 3)
        return in;
    modulate();
    data()[m_write] = in;
    const float wet = read(m_write + m_offset + 1);
    advance();
    return in + x * wet;
}

inline float CModDelay::phaser(float in, float x)
{
    if (m_cells < 3)
        return in;
    modulate();
    const float wet = read(m_write + m_offset);
    data()[m_write] = in;
    advance();
    return in - x * wet;
}

inline float CModDelay::flanger(float in, float x)
{
    if (m_cells < 3)
        return in;
    modulate();
    float wet = read(m_write + m_offset);
    wet = symmetricClip(wet, 1.0f);
    data()[m_write] = in + m_feedback * wet;
    advance();
    return (1.0f - x) * in - x * wet;
}

} // namespace quorvix
