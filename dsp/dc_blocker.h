// The voice's last filter: a two-pole Butterworth high-pass at 2 Hz with unity gain at Nyquist.
#pragma once

#include "dsp/second_order_state.h"

namespace quorvix {

class CDcBlocker {
public:
    CDcBlocker();

    void setSampleRate(float rate);
    void setFrequency(double hz);
    void clear() { m_state.clear(); }

    inline float tick(float x);
    void processBlock(float* samples, int count);

private:
    void redesign();

    double m_sampleRate = 44100.0;
    double m_frequency = 2.0;
    double m_g = 0.0, m_a1 = 0.0, m_a2 = 0.0;
    CSecondOrderState<double> m_state; // scaled inputs and outputs
};

inline float CDcBlocker::tick(float x)
{
    const double s = m_g * x;
    return static_cast<float>(
        m_state.shift(s, s - 2.0 * m_state.x1 + m_state.x2 + m_a1 * m_state.y1 + m_a2 * m_state.y2));
}

} // namespace quorvix
