// The resonance section: a two-pole band-pass resonator with zeros at DC and Nyquist.
#pragma once

#include "dsp/clip.h"
#include "dsp/second_order_state.h"

namespace quorvix {

// The resonance setting r (0..1) as the resonator's quality, 16 r + 1, and back.
template <typename T>
T resonanceQuality(T r)
{
    return T(16) * r + T(1);
}
inline float resonanceOfQuality(float q) { return (q - 1.0f) / 16.0f; }

class CResonator {
public:
    CResonator();

    void setSampleRate(float rate);
    // Hz, clamped to max(200, 0.0001 sr)..0.49 sr.
    void setFrequency(double hz);
    // Q, raised to at least 0.1.
    void setQuality(double q);
    // The same without the lower limit (modulation).
    void setQualityUnlimited(double q);
    void clear();

    inline float tick(float x);

    double frequency() const { return m_frequency; }
    double quality() const { return m_quality; }

private:
    // The resonance is limited where it would run away.
    static constexpr double kOutputLimit = 100.0;
    void redesign();

    // settings
    double m_sampleRate = 44100.0;
    double m_minimum = 200.0;
    double m_maximum = 21609.0;
    double m_gainBase = 1.0 / 7.0;
    double m_frequency = 2000.0;
    double m_quality = 1.0;
    // coefficients
    double m_decay = -0.5;
    double m_a0 = 1.0 / 7.0;
    double m_b1 = 0.0, m_b2 = 0.0;
    // state
    CSecondOrderState<double> m_state;
};

inline float CResonator::tick(float x)
{
    const double s = m_a0 * x;
    const double y = s - m_state.x2 + m_b1 * m_state.y1 - m_b2 * m_state.y2;
    return static_cast<float>(m_state.shift(s, symmetricClip(y, kOutputLimit)));
}

} // namespace quorvix
