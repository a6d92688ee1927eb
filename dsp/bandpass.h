// The booster's mid band: a band-pass from f to 2f with unity gain at the band's centre.
#pragma once

namespace quorvix {

class CBandpass {
public:
    CBandpass();

    // Redesigns for the rate and clears.
    void setSampleRate(float rate);
    // Lower edge in Hz, at least 100.
    void setFrequency(float hz);
    void clear() { m_x1 = m_x2 = m_y1 = m_y2 = 0.0f; }
    void flushState();

    inline float tick(float x);

    float lowerEdge() const { return m_lower; }
    float upperEdge() const { return m_upper; }

private:
    void design();

    float m_sampleRate = 44100.0f;
    float m_lower = 1000.0f;
    float m_upper = 2000.0f;
    float m_g = 0.0f, m_a1 = 0.0f, m_a2 = 0.0f;
    float m_x1 = 0.0f, m_x2 = 0.0f, m_y1 = 0.0f, m_y2 = 0.0f;
};

inline float CBandpass::tick(float x)
{
    const float s = m_g * x;
    const float y = s - m_x2 + m_a1 * m_y1 + m_a2 * m_y2;
    m_x2 = m_x1;
    m_x1 = s;
    m_y2 = m_y1;
    m_y1 = y;
    return y;
}

} // namespace quorvix
