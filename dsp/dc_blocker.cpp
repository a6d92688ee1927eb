#include "dsp/dc_blocker.h"

#include "dsp/bilinear.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace quorvix {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr std::complex<double> kButterworth(-1.4142135623730951, 1.4142135623730951);
constexpr double kBlockedFrequency = 2.0;
} // namespace

CDcBlocker::CDcBlocker() { redesign(); }

void CDcBlocker::setSampleRate(float rate)
{
    m_sampleRate = std::max(static_cast<double>(rate), 1.0);
    redesign();
    clear();
}

void CDcBlocker::setFrequency(double hz)
{
    m_frequency = hz > 0.0 ? hz : kBlockedFrequency;
    redesign();
}

void CDcBlocker::processBlock(float* samples, int count)
{
    for (int i = 0; i < count; ++i)
        samples[i] = tick(samples[i]);
}

void CDcBlocker::redesign()
{
    const CSectionCoefficients<double> c = sectionCoefficients(kButterworth, std::tan(m_frequency * kPi / m_sampleRate));
    m_a1 = c.a1;
    m_a2 = c.a2;
    // The denominator's magnitude at z = -1 over the numerator's 4: unity gain at Nyquist.
    m_g = std::fabs(1.0 + m_a1 - m_a2) * 0.25;
}

} // namespace quorvix
