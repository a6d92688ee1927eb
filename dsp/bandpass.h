// The booster's mid band: a band-pass from f to 2f with unity gain at the band's centre.
#pragma once

#include "dsp/second_order_state.h"

namespace quorvix {

class CBandpass {
public:
    CBandpass();

    // Redesigns for the rate and clears.
    void setSampleRate(float rate);
    // Lower edge in Hz, at least 100.
    void setFrequency(float hz);
    void clear() { m_state.clear(); }
    void flushState() { m_state.flush(); }

    inline float tick(float x);

private:
    void design();

    float m_sampleRate = 44100.0f;
    float m_lower = 1000.0f;
    float m_upper = 2000.0f;
    float m_g = 0.0f, m_a1 = 0.0f, m_a2 = 0.0f;
    CSecondOrderState<float> m_state; // scaled inputs and outputs
};

inline float CBandpass::tick(float x)
{
    const float s = m_g * x;
    return m_state.shift(s, s - m_state.x2 + m_a1 * m_state.y1 + m_a2 * m_state.y2);
}

} // namespace quorvix
