#include "dsp/bessel_lowpass.h"

#include "dsp/bilinear.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace quorvix {

namespace {
constexpr float kPoleReal = -2.203202724456787f;
constexpr float kPoleImaginary = 1.272019624710083f;
constexpr float kPi = 3.1415927f;
constexpr float kRateLimit = 0.49f;
} // namespace

CBesselLowpass::CBesselLowpass(float minimum, float maximum, float frequency)
    : m_minimum(minimum), m_maximum(maximum), m_frequency(frequency)
{
    design();
}

void CBesselLowpass::setSampleRate(int rate)
{
    m_sampleRate = std::max(rate, 1);
    design();
    clear();
}

void CBesselLowpass::setFrequency(float hz)
{
    m_frequency = hz;
    design();
}

void CBesselLowpass::clear() { m_state.clear(); }

void CBesselLowpass::flushState() { m_state.flush(); }

void CBesselLowpass::runOver(float* cells, int count)
{
    for (int i = 0; i < count; ++i)
        cells[i] = tick(cells[i]);
}

void CBesselLowpass::design()
{
    const float top = std::min(m_maximum, kRateLimit * static_cast<float>(m_sampleRate));
    m_frequency = std::clamp(m_frequency, m_minimum, std::max(m_minimum, top));
    const float t = std::tan(m_frequency * (kPi / static_cast<float>(m_sampleRate)));
    const CSectionCoefficients<float> c = sectionCoefficients(std::complex<float>(kPoleReal, kPoleImaginary), t);
    m_a1 = c.a1;
    m_a2 = c.a2;
    m_g = (1.0f - c.a1 - c.a2) / 4.0f; // unity gain at DC
}

} // namespace quorvix
