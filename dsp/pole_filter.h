// One stage of the main filter: a cascade of 1 to 8 identical two-pole sections designed from a
// Bessel, Butterworth or Chebyshev prototype by the bilinear transform with prewarping.
// High-pass designs are complementary: input minus the low-pass section's output.
#pragma once

#include "dsp/clip.h"
#include "dsp/second_order_state.h"

#include <array>
#include <cstddef>

namespace quorvix {

namespace design {
constexpr int None = 0;
constexpr int BesselLow = 1;
constexpr int ButterworthLow = 2;
constexpr int ChebyshevLow = 3;
constexpr int BesselHigh = 4;
constexpr int ButterworthHigh = 5;
constexpr int ChebyshevHigh = 6;
} // namespace design

constexpr int kMaxFilterSections = 8;
// Each section is limited where resonance would run away.
constexpr double kSectionLimit = 100.0;

// The coefficients that every section of a stage shares.
struct CSectionGains {
    double g = 0.0, a1 = 0.0, a2 = 0.0;
    bool high = false; // complementary: the section passes on its input minus its output
};

// One section filters one value: it keeps the scaled input and the clipped output in its memory
// and returns what the next section takes.
inline double sectionStep(CSecondOrderState<double>& s, const CSectionGains& c, double in)
{
    const double scaled = in * c.g;
    const double y =
        s.shift(scaled, symmetricClip(scaled + 2.0 * s.x1 + s.x2 + c.a1 * s.y1 + c.a2 * s.y2, kSectionLimit));
    return c.high ? in - y : y;
}

// The filter parameter p (0..1) as the parameter of stage A, -8 p - 1, and back.
inline double stageAParameter(double p) { return -8.0 * p - 1.0; }
inline float parameterOfStageA(float x) { return (x + 1.0f) * -0.125f; }

class CPoleFilter {
public:
    CPoleFilter();

    // Recomputes the constants, clamps the frequency, redesigns and clears.
    void setSampleRate(float rate);
    // The filter type 0..8 of the voice; the stage takes its design and section scale from it.
    void setTypeAsStageA(int type);
    void setTypeAsStageB(int type);
    void setSections(int sections);
    // Hz; stage B multiplies by its frequency ratio. Clamped to max(200, 0.0001 sr)..0.49 sr.
    void setFrequency(double hz);
    // Stage A: the Chebyshev ripple input (-8p - 1). Stage B: p, for its frequency ratio and scale.
    void setParameter(double x);
    void clear();

    inline float tick(float x);

    int designNumber() const { return m_design; }
    double frequency() const { return m_frequency; }
    int sections() const { return m_sections; }
    bool active() const { return m_design != design::None; }
    const CSectionGains& gains() const { return m_gains; }
    // The memories of the sections, for the filter's run over many samples.
    std::array<CSecondOrderState<double>, kMaxFilterSections>& states() { return m_state; }

private:
    void setType(int type, bool stageB);
    void updateScale();
    void redesign();

    // settings
    int m_sampleRate = 44100;
    double m_minimum = 200.0;
    double m_maximum = 21609.0;
    int m_type = 0;
    int m_design = design::None;
    bool m_stageB = false;
    int m_sections = 1;
    double m_setFrequency = 1000.0;
    double m_parameter = 0.0;
    double m_frequencyRatio = 1.0;
    // derived
    double m_frequency = 1000.0;
    double m_sectionScale = 0.25;
    CSectionGains m_gains;
    // state per section: scaled inputs and outputs
    std::array<CSecondOrderState<double>, kMaxFilterSections> m_state {};
};

inline float CPoleFilter::tick(float x)
{
    if (m_design == design::None)
        return x;
    double in = x;
    for (int i = 0; i < m_sections; ++i)
        in = sectionStep(m_state[static_cast<size_t>(i)], m_gains, in);
    return static_cast<float>(in);
}

} // namespace quorvix
