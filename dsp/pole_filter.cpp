#include "dsp/pole_filter.h"

#include "dsp/bilinear.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace quorvix {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr std::complex<double> kBessel(-2.20320266118, 1.272019649514);
constexpr std::complex<double> kButterworth(-1.4142135623730951, 1.4142135623730951);
constexpr double kSqrt2 = 1.4142135623730951;
constexpr double kLowestFrequency = 200.0;
constexpr double kLowestFraction = 0.0001;
constexpr double kHighestFraction = 0.49;
constexpr double kOctaveSemitones = 0.083333333;
constexpr double kStageBOffset = 48.0; // semitones per unit of the filter parameter

// The designs of stages A and B for each filter type.
constexpr int kStageA[9] = {design::None,           design::BesselLow,       design::ButterworthLow,
                            design::ChebyshevLow,   design::BesselHigh,      design::ButterworthHigh,
                            design::ChebyshevHigh,  design::ButterworthLow,  design::ButterworthLow};
constexpr int kStageB[9] = {design::None,           design::None,            design::ButterworthLow,
                            design::None,           design::None,            design::ButterworthHigh,
                            design::None,           design::ButterworthHigh, design::ButterworthHigh};

} // namespace

CPoleFilter::CPoleFilter() { setSampleRate(44100.0f); }

void CPoleFilter::setSampleRate(float rate)
{
    m_sampleRate = std::max(static_cast<int>(rate), 1);
    m_minimum = std::max(kLowestFrequency, m_sampleRate * kLowestFraction);
    m_maximum = m_sampleRate * kHighestFraction;
    redesign();
    clear();
}

void CPoleFilter::setType(int type, bool stageB)
{
    m_type = std::clamp(type, 0, 8);
    m_stageB = stageB;
    m_design = std::min(stageB ? kStageB[m_type] : kStageA[m_type], design::ChebyshevHigh);
    m_gains.high = m_design >= design::BesselHigh;
    updateScale();
    redesign();
}

void CPoleFilter::setTypeAsStageA(int type) { setType(type, false); }

void CPoleFilter::setTypeAsStageB(int type) { setType(type, true); }

void CPoleFilter::setSections(int sections)
{
    m_sections = std::clamp(sections, 1, kMaxFilterSections);
    updateScale();
    redesign();
}

void CPoleFilter::setFrequency(double hz)
{
    m_setFrequency = hz;
    redesign();
}

void CPoleFilter::setParameter(double x)
{
    m_parameter = x;
    updateScale();
    redesign();
}

void CPoleFilter::clear() { m_state.fill(CSecondOrderState<double> {}); }

void CPoleFilter::updateScale()
{
    const double n = m_sections;
    auto root = [n](double x) { return std::pow(x, 1.0 / n); };
    const double p = m_parameter;
    m_sectionScale = 0.25;
    m_frequencyRatio = 1.0;
    switch (m_type) {
    case 2: // "Double Butterworth Low"
        m_sectionScale = m_stageB ? (1.0 + p * (root(5.0) - 1.0)) * root(0.5) * 0.25 : root(0.5) * 0.25;
        break;
    case 5: // "Double Butterworth High"
        m_sectionScale = (m_stageB ? root(0.75) : root(0.25)) * 0.25;
        break;
    default:
        break;
    }
    if (m_stageB && (m_type == 2 || m_type == 7))
        m_frequencyRatio = std::exp2(p * -kStageBOffset * kOctaveSemitones);
    else if (m_stageB && (m_type == 5 || m_type == 8))
        m_frequencyRatio = std::exp2(p * kStageBOffset * kOctaveSemitones);
}

void CPoleFilter::redesign()
{
    m_frequency = std::clamp(m_setFrequency * (m_stageB ? m_frequencyRatio : 1.0), m_minimum, m_maximum);
    if (m_design == design::None)
        return;
    const double t = std::tan(m_frequency * kPi / m_sampleRate);
    std::complex<double> pole = kButterworth;
    if (m_design == design::BesselLow || m_design == design::BesselHigh) {
        pole = kBessel;
    } else if (m_design == design::ChebyshevLow || m_design == design::ChebyshevHigh) {
        // Ripple from the parameter: 1 dB at p = 0 (a = -1) to 9 dB at p = 1 (a = -9).
        const double k = 1.0 / std::sqrt(std::pow(10.0, -0.1 * m_parameter) - 1.0);
        const double u = std::log(k + std::sqrt(k * k + 1.0)) / 2.0;
        pole = {-kSqrt2 * std::sinh(u), kSqrt2 * std::cosh(u)};
    }
    const CSectionCoefficients<double> c = sectionCoefficients(pole, t);
    const std::complex<double> z1 = c.z1, z2 = c.z2;
    const double g =
        std::hypot(1.0 - c.a1 - c.a2, z2.real() * z1.imag() + z1.real() * z2.imag() - z1.imag() - z2.imag());
    m_gains.a1 = c.a1;
    m_gains.a2 = c.a2;
    m_gains.g = g * m_sectionScale;
}

} // namespace quorvix
