#include "dsp/resonator.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kReferenceRate = 44100.0;
constexpr double kGainDivisor = 7.0;
constexpr double kLowestQuality = 0.1;
} // namespace

CResonator::CResonator() { setSampleRate(44100.0f); }

void CResonator::setSampleRate(float rate)
{
    m_sampleRate = std::max(static_cast<double>(rate), 1.0);
    m_minimum = std::max(200.0, m_sampleRate * 0.0001);
    m_maximum = m_sampleRate * 0.49;
    m_gainBase = kReferenceRate / m_sampleRate / kGainDivisor;
    setQualityUnlimited(m_quality);
    clear();
}

void CResonator::setFrequency(double hz)
{
    m_frequency = std::clamp(hz, m_minimum, m_maximum);
    redesign();
}

void CResonator::setQuality(double q) { setQualityUnlimited(std::max(q, kLowestQuality)); }

void CResonator::setQualityUnlimited(double q)
{
    m_quality = q;
    m_decay = -0.5 / q;
    m_a0 = std::sqrt(std::max(q, 0.0)) * m_gainBase;
    redesign();
}

void CResonator::clear() { m_state.clear(); }

void CResonator::redesign()
{
    const double omega = m_frequency * kTwoPi / m_sampleRate;
    const double r = std::exp(m_decay * omega);
    m_b1 = 2.0 * r * std::cos(omega);
    m_b2 = r * r;
}

} // namespace quorvix
