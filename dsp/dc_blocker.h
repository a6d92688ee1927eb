// The voice's last filter: a two-pole Butterworth high-pass at 2 Hz with unity gain at Nyquist.
#pragma once

namespace quorvix {

class CDcBlocker {
public:
    CDcBlocker();

    void setSampleRate(float rate);
    void setFrequency(double hz);
    void clear() { m_x1 = m_x2 = m_y1 = m_y2 = 0.0; }

    inline float tick(float x);
    void processBlock(float* samples, int count);

private:
    void redesign();

    double m_sampleRate = 44100.0;
    double m_frequency = 2.0;
    double m_g = 0.0, m_a1 = 0.0, m_a2 = 0.0;
    double m_x1 = 0.0, m_x2 = 0.0, m_y1 = 0.0, m_y2 = 0.0;
};

inline float CDcBlocker::tick(float x)
{
    const double s = m_g * x;
    const double y = s - 2.0 * m_x1 + m_x2 + m_a1 * m_y1 + m_a2 * m_y2;
    m_x2 = m_x1;
    m_x1 = s;
    m_y2 = m_y1;
    m_y1 = y;
    return static_cast<float>(y);
}

} // namespace quorvix
