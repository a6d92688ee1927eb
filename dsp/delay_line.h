// One channel's delay line of an effect unit: sampleRate / frequency cells, a gain, a spread
// and a damping low-pass that runs once per trip through the line.
#pragma once

#include "dsp/bessel_lowpass.h"
#include "dsp/denormal.h"
#include "dsp/line_storage.h"

namespace quorvix {

class CDelayLine {
public:
    CDelayLine();

    // mayGrow: the storage may allocate (never on the audio thread).
    void setSampleRate(float rate, bool mayGrow);
    // Makes room for lines down to slowestHz at the current rate (off the audio thread).
    void reserve(float slowestHz) { m_storage.reserve(lengthFor(slowestHz)); }
    // Hz; the line is resized and zeroed.
    void setFrequency(float hz, bool mayGrow);
    // Hz; resized and zeroed only when the length changes.
    void retune(float hz, bool mayGrow);
    // 0..1: 16 kHz at 0, 500 Hz at 1.
    void setDamp(float v);
    void setGain(float g) { m_gain = g; }
    void setSpread(float s) { m_spread = s; }
    // Length from the stored frequency, zeroed, damping state cleared.
    void refresh(bool mayGrow);

    // The value stored n samples ago.
    float output() const { return data()[m_write]; }
    // Stores x and advances; at the end of the line the damping runs once (when asked) and the
    // cells are flushed.
    inline void store(float x, bool damped, bool flushed);
    // The damping filter per sample (Multi-Delay).
    float damping(float x) { return m_damping.tick(x); }
    // Reads the cell that was stored delay samples before the write position's.
    float tap(int position) const { return data()[position]; }

    int length() const { return m_length; }
    int writePosition() const { return m_write; }
    float gain() const { return m_gain; }
    float spread() const { return m_spread; }
    float frequency() const { return m_frequency; }
    bool storageShort() const { return m_storage.isShort(); }
    // Gives a short line the cells it wants (off the audio thread); it is then zeroed.
    void prepareStorage();
    bool takeAllocationFailure() { return m_storage.takeFailure(); }

private:
    float* data() { return m_storage.data(); }
    const float* data() const { return m_storage.data(); }
    int lengthFor(float hz) const;
    void resize(int cells, bool mayGrow);
    void wrap(bool damped, bool flushed);

    CLineStorage m_storage;
    int m_length = 0;
    int m_write = 0;
    float m_sampleRate = 44100.0f;
    float m_frequency = 10.0f;
    float m_gain = 0.5f;
    float m_spread = 0.5f;
    float m_damp = 0.0f;
    CBesselLowpass m_damping;
};

inline void CDelayLine::store(float x, bool damped, bool flushed)
{
    if (m_length <= 0)
        return;
    data()[m_write] = x;
    if (++m_write >= m_length)
        wrap(damped, flushed);
}

} // namespace quorvix
