#include "dsp/shaper_table.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quorvix {
namespace {

TEST(ShaperTable, LinearIsTheClampedInput)
{
    CShaperTable t;
    t.setLimiter(false);
    for (float x = -1.5f; x <= 1.5f; x += 0.0123f)
        EXPECT_NEAR(t.lookup(x), std::clamp(x, -1.0f, 1.0f), 1e-6f) << x;
}

TEST(ShaperTable, RectWithoutParameterGivesTheSign)
{
    CShaperTable t;
    t.build(4, 0, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(t.lookup(0.3f), 1.0f);
    EXPECT_FLOAT_EQ(t.lookup(-0.3f), -1.0f);
    EXPECT_FLOAT_EQ(t.lookup(0.9f), 1.0f);
}

TEST(ShaperTable, EachHalfHasItsShape)
{
    CShaperTable t;
    t.build(1, 5, 0.0f, 0.0f); // negative: "Sine", positive: "Saw"
    EXPECT_NEAR(t.lookup(-0.5f), -std::sin(3.14159265f / 4.0f), 1e-5f);
    EXPECT_NEAR(t.lookup(0.5f), 0.5f, 1e-5f);
    EXPECT_NEAR(t.lookup(0.25f), 0.25f, 1e-5f);
    t.build(1, 0, 0.0f, 0.0f); // shape 2 "None" mirrors shape 1
    EXPECT_NEAR(t.lookup(0.5f), std::sin(3.14159265f / 4.0f), 1e-5f);
}

TEST(ShaperTable, TrebleIsEvaluatedWithoutMirroring)
{
    CShaperTable t;
    t.setLimiter(false);
    t.build(21, 0, 0.25f, 0.0f); // T2 = 2x^2 - 1 on both halves
    for (float x : {-0.75f, -0.5f, 0.0f, 0.5f, 0.75f})
        EXPECT_NEAR(t.lookup(x), 2.0f * x * x - 1.0f, 1e-5f) << x;
    EXPECT_NEAR(t.lookup(-1.0f), 1.0f, 1e-6f) << "even at the negative end too";
}

TEST(ShaperTable, LimiterBugSetsOnlyTheEndPoints)
{
    CShaperTable t;
    t.setLimiter(true);
    t.build(5, 0, 0.075f, 0.0f); // "Saw" with m = 1.3: its end value is 0.3
    EXPECT_FLOAT_EQ(t.lookup(1.0f), 1.0f);
    EXPECT_NEAR(t.lookup(0.999f), 0.3f, 0.005f);
    EXPECT_FLOAT_EQ(t.lookup(-1.0f), -1.0f);
    t.setLimiter(false);
    EXPECT_NEAR(t.lookup(1.0f), 0.3f, 1e-5f) << "the natural end";
}

TEST(ShaperTable, SmallChangesKeepTheTable)
{
    CShaperTable t;
    t.build(1, 0, 0.5f, 0.0f);
    const float before = t.value(700);
    t.build(1, 0, 0.5005f, 0.005f);
    EXPECT_EQ(t.value(700), before) << "under 1/1024 of param and 0.01 of smooth";
    t.build(1, 0, 0.502f, 0.0f);
    EXPECT_NE(t.value(700), before);
}

TEST(ShaperTable, SmoothingRoundsTheStep)
{
    CShaperTable t;
    t.build(4, 0, 0.0f, 0.0f);
    const float stepped = t.value(1) - t.value(-1);
    t.build(4, 0, 0.0f, 1.0f);
    EXPECT_NEAR(stepped, 2.0f, 1e-6f);
    EXPECT_LT(std::fabs(t.value(1) - t.value(-1)), 0.1f) << "100 Hz of smoothing over 176 kHz points";
    EXPECT_EQ(t.value(0), 1.0f) << "smoothed around point 0's value";
}

TEST(ShaperTable, EveryShapeIsFiniteAndInRange)
{
    for (int shape = 0; shape < kShapeIds; ++shape) {
        for (float p : {0.0f, 0.3f, 0.9999f, 1.0f}) {
            for (float smooth : {0.0f, 0.5f}) {
                CShaperTable t;
                t.build(shape, 0, p, smooth);
                for (int k = -2000; k <= 2000; k += 7)
                    ASSERT_TRUE(std::isfinite(t.value(k))) << "shape " << shape << " p " << p << " at " << k;
                for (float x = -1.2f; x <= 1.2f; x += 0.01f)
                    ASSERT_TRUE(std::isfinite(t.lookup(x)));
            }
        }
    }
}

} // namespace
} // namespace quorvix
