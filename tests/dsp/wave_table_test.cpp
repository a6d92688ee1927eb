#include "dsp/wave_table.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quorvix {
namespace {

class WaveTableTest : public ::testing::Test {
protected:
    CWaveTableReference tables;
    const CWaveTable& wave(int id) const { return tables->table(id); }
};

struct CPoint {
    int id;
    int index;
    float value;
    const char* what;
};

// Values worked out from the definitions by hand (or in double precision elsewhere), not by this code.
TEST_F(WaveTableTest, ValuesAtChosenIndexes)
{
    const CPoint points[] = {
        {0, 1234, 0.0f, "None"},
        {1, 0, 1.0f, "Square first half"},
        {1, 1999, 1.0f, "Square"},
        {1, 2000, -1.0f, "Square second half"},
        {1, 3999, -1.0f, "Square"},
        {2, 1000, 0.6790611f, "Square FS1: 3.2/pi (1 - 1/3)"},
        {2, 500, 0.9603374f, "Square FS1"},
        {4, 1000, 0.9006327f, "DownSqr FS"},
        {4, 2999, -0.9006327f, "DownSqr FS, mirrored"},
        {5, 1000, 0.5f, "Saw Up"},
        {5, 2000, -1.0f, "Saw Up after the jump"},
        {5, 3999, -0.0005f, "Saw Up end"},
        {9, 0, 1.0f, "Saw Down"},
        {9, 2000, 0.0f, "Saw Down second half"},
        {13, 500, 0.5f, "Triangle"},
        {13, 1000, 1.0f, "Triangle peak"},
        {13, 1500, 0.5f, "Triangle"},
        {13, 3000, -1.0f, "Triangle trough"},
        {14, 0, -0.9006327f, "Triangle FS1 start"},
        {14, 3999, -0.9006327f, "Triangle FS1, mirrored"},
        {16, 500, 0.70710678f, "Sine"},
        {16, 1000, 1.0f, "Sine peak"},
        {16, 3000, -1.0f, "Sine trough"},
        {17, 500, 0.5f, "SqrSine"},
        {18, 1000, 0.70710678f, "HalfSine: sin(pi/4)"},
        {19, 1000, 0.0f, "IncCos"},
        {20, 1000, 1.0f, "Circle top"},
        {20, 500, 0.8660254f, "Circle"},
        {20, 0, 0.0f, "Circle start"},
        {22, 1000, 0.8452995f, "Cond50 charging"},
        {22, 1999, 0.0010989f, "Cond50 discharged"},
        {22, 3000, -0.8452995f, "Cond50 second half"},
        {28, 0, -0.8286081f, "NoiseWht1 first draw"},
        {28, 2000, 0.4851527f, "NoiseWht1 second draw"},
        {30, 0, 0.0f, "NoiseBrn1 end point"},
        {30, 1999, 0.0f, "NoiseBrn1 end point"},
        {32, 0, -1.0f, "HalfSawUp"},
        {32, 3999, 0.0f, "HalfSawUp end"},
        {33, 0, 1.0f, "HalfSawDown"},
        {34, 100, 1.0f, "HalfSquareUp"},
        {34, 2100, 0.0f, "HalfSquareUp second half"},
        {35, 1000, 1.0f, "HalfTriUp"},
        {35, 3000, 0.0f, "HalfTriUp second half"},
        {47, 0, 0.00014836f, "Sample_25"},
        {47, 1000, 0.7688553f, "Sample_25"},
        {47, 3000, -0.9728666f, "Sample_25"},
    };
    for (const CPoint& p : points)
        EXPECT_NEAR(wave(p.id).value(p.index), p.value, 2e-5f) << p.what << ", id " << p.id << " at " << p.index;
}

TEST_F(WaveTableTest, HalfMeans)
{
    EXPECT_NEAR(wave(1).firstHalfMean(), 1.0f, 1e-6f);
    EXPECT_NEAR(wave(1).secondHalfMean(), -1.0f, 1e-6f);
    EXPECT_NEAR(wave(16).firstHalfMean(), 0.6366196f, 1e-5f) << "0.0005 cot(pi / 4000)";
    EXPECT_NEAR(wave(16).secondHalfMean(), -0.6366196f, 1e-5f);
    EXPECT_NEAR(wave(5).firstHalfMean(), 0.49975f, 1e-5f) << "0.0005^2 * 1999 * 2000 / 2";
    EXPECT_NEAR(wave(5).secondHalfMean(), -0.50025f, 1e-5f);
    EXPECT_NEAR(wave(22).firstHalfMean(), 0.5237199f, 1e-5f);
    EXPECT_NEAR(wave(34).secondHalfMean(), 0.0f, 1e-7f);
}

TEST_F(WaveTableTest, SlopesJumpsAndGuards)
{
    const CWaveTable& square = wave(1);
    EXPECT_EQ(square.slope(1999), 0.0f) << "the middle jump keeps its edge";
    EXPECT_EQ(square.slope(3999), 0.0f) << "the end jump keeps its edge";
    EXPECT_EQ(square.value(4000), -1.0f) << "a wave that jumps at the end repeats its last point";
    EXPECT_EQ(square.value(-1), 1.0f);
    const CWaveTable& sine = wave(16);
    EXPECT_FLOAT_EQ(sine.slope(10), sine.value(11) - sine.value(10));
    EXPECT_FLOAT_EQ(sine.slope(3999), sine.value(0) - sine.value(3999));
    EXPECT_EQ(sine.value(4000), sine.value(0)) << "other waves wrap";
    EXPECT_EQ(sine.value(-1), sine.value(3999));
    EXPECT_EQ(sine.slope(-1), sine.slope(3999));
    EXPECT_EQ(wave(5).slope(1999), 0.0f) << "Saw Up jumps in the middle";
    EXPECT_NE(wave(5).slope(3999), 0.0f);
    EXPECT_EQ(wave(9).slope(3999), 0.0f) << "Saw Down jumps at the end";
    for (int id = 0; id < kTableWaveCount; ++id)
        EXPECT_EQ(tables->pairs(id)[1234].value, wave(id).value(1234)) << id;
}

TEST_F(WaveTableTest, EveryWaveStaysInRange)
{
    for (int id = 0; id < kTableWaveCount; ++id) {
        float peak = 0.0f;
        for (int i = -1; i <= kWaveTableLength; ++i) {
            ASSERT_TRUE(std::isfinite(wave(id).value(i))) << id << " at " << i;
            peak = std::max(peak, std::fabs(wave(id).value(i)));
        }
        EXPECT_LE(peak, 2.2f) << id;
        if (id != 0) {
            EXPECT_GT(peak, 0.1f) << id;
        }
    }
}

TEST_F(WaveTableTest, TablesAboveTheSetAreSilent)
{
    EXPECT_EQ(tables->pairs(53), tables->pairs(0));
    EXPECT_EQ(tables->pairs(200), tables->pairs(0));
    EXPECT_EQ(tables->firstHalfMean(53), 0.0f);
}

TEST(WaveTableSet, NoiseIsTheSameAfterRegeneration)
{
    CWaveTable first, second;
    first.generate(28);
    first.generate(30);
    second.generate(30);
    for (int i = 0; i < kWaveTableLength; i += 7)
        ASSERT_EQ(first.value(i), second.value(i)) << i;
    CWaveTable white;
    white.generate(29);
    CWaveTable again;
    again.generate(29);
    EXPECT_EQ(white.value(3999), again.value(3999));
    EXPECT_NE(white.value(5), first.value(5));
}

} // namespace
} // namespace quorvix
