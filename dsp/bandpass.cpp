#include "dsp/bandpass.h"

#include "dsp/bilinear.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace quorvix {

namespace {
constexpr float kLowestEdge = 100.0f;
constexpr float kRedesignStep = 4.0f;
constexpr double kPi = 3.141592653589793;
} // namespace

CBandpass::CBandpass() { design(); }

void CBandpass::setSampleRate(float rate)
{
    m_sampleRate = rate;
    design(); // coefficients made for another rate would put the band elsewhere
    clear();
}

void CBandpass::setFrequency(float hz)
{
    const float lower = std::max(hz, kLowestEdge);
    if (std::fabs(lower - m_lower) <= kRedesignStep)
        return;
    m_lower = lower;
    design();
}

void CBandpass::design()
{
    m_upper = std::min(2.0f * m_lower, 0.49f * m_sampleRate);
    const double t1 = std::tan(kPi * m_lower / m_sampleRate);
    const double t2 = std::tan(kPi * m_upper / m_sampleRate);
    const double e = t1 - t2;
    const double b = 1.0 - 4.0 * t1 * t2 / (e * e);
    std::complex<double> s1, s2;
    if (b >= 0.0) {
        s1 = e * (1.0 + std::sqrt(b));
        s2 = e * (1.0 - std::sqrt(b));
    } else {
        s1 = {e, e * std::sqrt(-b)};
        s2 = {e, -e * std::sqrt(-b)};
    }
    const std::complex<double> z1 = bilinearPole(s1, 1.0);
    const std::complex<double> z2 = bilinearPole(s2, 1.0);
    const double a1 = (z1 + z2).real();
    const double a2 = -(z1 * z2).real();
    // Unity gain at the arithmetic centre of the band.
    const double w0 = kPi * (m_lower + m_upper) / m_sampleRate;
    const std::complex<double> zInv = std::polar(1.0, -w0);
    const std::complex<double> h = (1.0 - zInv * zInv) / (1.0 - a1 * zInv - a2 * zInv * zInv);
    m_a1 = static_cast<float>(a1);
    m_a2 = static_cast<float>(a2);
    m_g = static_cast<float>(1.0 / std::abs(h));
}

} // namespace quorvix
