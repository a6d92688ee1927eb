#include "dsp/dc_blocker.h"
#include "dsp/pole_filter.h"
#include "dsp/resonator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace quorvix {
namespace {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.141592653589793;

// Steady-state gain of a process at a frequency: a sine in, the peak of the settled output.
double gainAt(const std::function<float(float)>& process, double hz, int settle = 44100, int measure = 8820)
{
    double peak = 0.0;
    for (int n = 0; n < settle + measure; ++n) {
        const float x = hz == 0.0 ? 1.0f : static_cast<float>(std::sin(2.0 * kPi * hz * n / kRate));
        const float y = process(x);
        if (n >= settle)
            peak = std::max(peak, std::fabs(double(y)));
    }
    return peak;
}

double decibels(double gain) { return 20.0 * std::log10(gain); }

// Both stages of the main filter combined as the voice combines them for a type.
struct CMainFilter {
    CPoleFilter a, b;
    int type;
    CMainFilter(int filterType, double hz, double p, int sections = 1) : type(filterType)
    {
        for (CPoleFilter* f : {&a, &b}) {
            f->setSampleRate(static_cast<float>(kRate));
            f->setSections(sections);
            f->setFrequency(hz);
        }
        a.setTypeAsStageA(type);
        b.setTypeAsStageB(type);
        a.setParameter(-8.0 * p - 1.0);
        b.setParameter(p);
    }
    float operator()(float x)
    {
        if (type == 2 || type == 5 || type == 8)
            return b.tick(x) + a.tick(x);
        if (type == 7)
            return b.tick(a.tick(x));
        return a.tick(x);
    }
};

double gainOf(int type, double cutoff, double p, double hz, int sections = 1)
{
    CMainFilter f(type, cutoff, p, sections);
    return gainAt(std::ref(f), hz);
}

TEST(PoleFilter, DoubleButterworthGains)
{
    EXPECT_NEAR(gainOf(2, 1000.0, 0.0, 0.0), 1.0, 1e-3) << "0.5 + 0.5 at DC";
    EXPECT_NEAR(gainOf(2, 1000.0, 1.0, 0.0), 3.0, 3e-3) << "stage B four octaves down with 2.5 times the gain";
    EXPECT_NEAR(gainOf(2, 1000.0, 0.0, 0.0, 8), 1.0, 1e-3) << "eight sections keep the DC gain";
    EXPECT_NEAR(gainOf(2, 1000.0, 1.0, 0.0, 8), 3.0, 3e-3);
    EXPECT_LT(gainOf(2, 1000.0, 0.0, 8000.0), 0.05) << "a low-pass";
    EXPECT_NEAR(gainOf(5, 1000.0, 0.0, 0.0), 1.0, 1e-3) << "0.75 + 0.25 at DC";
    EXPECT_NEAR(gainOf(5, 1000.0, 0.0, 15000.0), 2.0, 0.02) << "high frequencies pass both stages";
}

TEST(PoleFilter, SingleStageTypes)
{
    EXPECT_NEAR(gainOf(1, 1000.0, 0.0, 0.0), 1.0, 1e-3) << "Bessel low";
    EXPECT_LT(gainOf(1, 1000.0, 0.0, 10000.0), 0.05);
    EXPECT_NEAR(gainOf(4, 1000.0, 0.0, 15000.0), 1.0, 0.02) << "Bessel high";
    // the complementary high-pass (input minus the low-pass) falls by 6 dB per octave below the cutoff
    const double at100 = gainOf(4, 1000.0, 0.0, 100.0), at50 = gainOf(4, 1000.0, 0.0, 50.0);
    EXPECT_LT(at100, 0.2);
    EXPECT_NEAR(decibels(at100 / at50), 6.0, 0.5);
    EXPECT_NEAR(gainOf(0, 1000.0, 0.0, 3000.0), gainAt([](float x) { return x; }, 3000.0), 1e-9)
        << "None passes the signal";
    // a Butterworth section: -3 dB at the cutoff
    EXPECT_NEAR(decibels(gainOf(2, 1000.0, 0.0, 1000.0) / gainOf(2, 1000.0, 0.0, 0.0)), -3.01, 0.1);
}

TEST(PoleFilter, BandPassAndNotch)
{
    // BandPass: A low-pass at 4 kHz, then B high-pass at 4 kHz x 2^(-4 p) = 1 kHz for p = 0.5
    EXPECT_GT(gainOf(7, 4000.0, 0.5, 1414.0), 1.2) << "the band between 1 and 4 kHz";
    EXPECT_LT(gainOf(7, 4000.0, 0.5, 0.0), 1e-3);
    EXPECT_LT(gainOf(7, 4000.0, 0.5, 60.0), 0.1);
    EXPECT_LT(gainOf(7, 4000.0, 0.5, 15000.0), 0.05);
    // Notch: A low-pass at 500 Hz plus B high-pass at 500 x 2^(4 p) = 4 kHz for p = 0.75
    EXPECT_NEAR(gainOf(8, 500.0, 0.75, 0.0), 1.0, 1e-3) << "the notch passes DC";
    EXPECT_LT(gainOf(8, 500.0, 0.75, 1000.0), 0.25) << "and takes out the band between its stages";
    EXPECT_NEAR(gainOf(8, 500.0, 0.75, 15000.0), 1.0, 0.05);
}

// The largest gain over the pass band, in dB above the gain at DC.
double chebyshevRipple(double p)
{
    double peak = 0.0;
    for (double hz = 20.0; hz < 1000.0; hz *= 1.02)
        peak = std::max(peak, gainOf(3, 1000.0, p, hz));
    return decibels(peak / gainOf(3, 1000.0, p, 0.0));
}

TEST(PoleFilter, ChebyshevRippleFromTheParameter)
{
    EXPECT_NEAR(gainOf(3, 1000.0, 0.0, 0.0), 1.0, 1e-3);
    EXPECT_NEAR(chebyshevRipple(0.0), 1.0, 0.1);
    EXPECT_NEAR(chebyshevRipple(1.0), 9.0, 0.2);
}

TEST(PoleFilter, FrequencyLimits)
{
    CPoleFilter f;
    f.setSampleRate(static_cast<float>(kRate));
    f.setTypeAsStageA(1);
    f.setFrequency(50.0);
    EXPECT_DOUBLE_EQ(f.frequency(), 200.0);
    f.setFrequency(30000.0);
    EXPECT_DOUBLE_EQ(f.frequency(), 21609.0);
    f.setSampleRate(4.0e6f);
    f.setFrequency(50.0);
    EXPECT_DOUBLE_EQ(f.frequency(), 400.0) << "0.0001 of the rate when that is above 200 Hz";
}

TEST(PoleFilter, ExtremeInputStaysBounded)
{
    CMainFilter f(3, 21000.0, 1.0, 8);
    for (int i = 0; i < 10000; ++i)
        ASSERT_LE(std::fabs(f(i % 2 ? 1e6f : -1e6f)), 200.0f) << "every section limits itself to +-100";
}

TEST(Resonator, QualityAndLevel)
{
    CResonator r;
    r.setSampleRate(static_cast<float>(kRate));
    r.setFrequency(1000.0);
    r.setQuality(16.0 * 0.0 + 1.0);
    EXPECT_DOUBLE_EQ(r.quality(), 1.0);
    const double low = gainAt([&](float x) { return r.tick(x); }, 1000.0);
    r.setQuality(16.0 * 1.0 + 1.0);
    EXPECT_DOUBLE_EQ(r.quality(), 17.0);
    const double high = gainAt([&](float x) { return r.tick(x); }, 1000.0);
    EXPECT_GT(high, low * 3.0) << "a narrower, higher peak at Q 17";
    EXPECT_LT(gainAt([&](float x) { return r.tick(x); }, 0.0), 1e-6) << "no DC";
    EXPECT_LT(gainAt([&](float x) { return r.tick(x); }, 3000.0), high * 0.1);
    r.setQuality(0.01);
    EXPECT_DOUBLE_EQ(r.quality(), 0.1);
}

TEST(DcBlocker, RemovesDcAndPassesHighs)
{
    CDcBlocker dc;
    dc.setSampleRate(static_cast<float>(kRate));
    EXPECT_NEAR(gainAt([&](float x) { return dc.tick(x); }, 2.0, 441000, 44100), std::sqrt(0.5), 0.01) << "-3 dB at 2 Hz";
    EXPECT_NEAR(gainAt([&](float x) { return dc.tick(x); }, 20000.0), 1.0, 1e-3) << "unity near Nyquist";
    EXPECT_LT(gainAt([&](float x) { return dc.tick(x); }, 0.0, 441000, 100), 1e-3);
}

} // namespace
} // namespace quorvix
