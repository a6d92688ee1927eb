#include "dsp/fourier_analyser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace quorvix {
namespace {

TEST(FourierAnalyser, AFullScaleSineReadsOneAtItsBin)
{
    constexpr int kSize = 1024;
    CFourierAnalyser analyser(kSize);
    std::vector<float> sine(kSize), magnitudes;
    for (int i = 0; i < kSize; ++i)
        sine[static_cast<size_t>(i)] = static_cast<float>(std::sin(2.0 * std::numbers::pi * 32.0 * i / kSize + 0.3));
    analyser.analyse(sine.data(), magnitudes);
    ASSERT_EQ(magnitudes.size(), kSize / 2 + 1u);
    EXPECT_NEAR(magnitudes[32], 1.0f, 1e-4f);
    EXPECT_NEAR(magnitudes[31], 0.5f, 1e-4f) << "the Hann window's neighbours";
    EXPECT_LT(magnitudes[40], 1e-5f);
    EXPECT_LT(magnitudes[0], 1e-5f);
    EXPECT_DOUBLE_EQ(analyser.binFrequency(32, 44100.0), 1378.125);
}

} // namespace
} // namespace quorvix
