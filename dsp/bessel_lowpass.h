// Two-pole Bessel low-pass with unity gain at DC: effect damping, the booster bands, shaper smoothing.
#pragma once

#include "dsp/second_order_state.h"

namespace quorvix {

class CBesselLowpass {
public:
    // The frequency is kept within minimum..maximum Hz, and below 0.49 of the sample rate.
    CBesselLowpass(float minimum, float maximum, float frequency);

    // Redesigns and clears.
    void setSampleRate(int rate);
    // Hz; redesigns.
    void setFrequency(float hz);
    void clear();
    // Outputs of denormal size in the state become 0.
    void flushState();

    inline float tick(float x);
    // Filters cells in place, the state carrying on from the last call.
    void runOver(float* cells, int count);

    float frequency() const { return m_frequency; }

private:
    void design();

    // settings
    float m_minimum;
    float m_maximum;
    int m_sampleRate = 44100;
    float m_frequency;
    // coefficients
    float m_g = 0.0f, m_a1 = 0.0f, m_a2 = 0.0f;
    // state: the scaled inputs and the outputs
    CSecondOrderState<float> m_state;
};

inline float CBesselLowpass::tick(float x)
{
    const float s = m_g * x;
    return m_state.shift(s, s + 2.0f * m_state.x1 + m_state.x2 + m_a1 * m_state.y1 + m_a2 * m_state.y2);
}

} // namespace quorvix
