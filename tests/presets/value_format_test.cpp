#include "presets/value_format.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quorvix {
namespace {

TEST(ValueFormat, DecimalsFillEightCharacters)
{
    struct {
        double x;
        const char* text;
    } cases[] = {
        {1.5, "1.500000"},      {0.0, "0.000000"},    {-1.5, "-1.50000"},     {123.25, "123.2500"},
        {2330.0, "2330.000"},   {-0.25, "-0.25000"},  {9.9999999, "10.00000"}, {1234567.0, "1234567."},
        {99999999.0, "99999999"}, {100000000.0, "Huge!"}, {-9999999.0, "-9999999"}, {-10000000.0, "Huge!"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatDecimal(c.x), c.text) << c.x;
}

TEST(ValueFormat, IntegersDecibelsAndCuts)
{
    EXPECT_EQ(formatInteger(42), "     42");
    EXPECT_EQ(formatInteger(-36), "    -36");
    EXPECT_EQ(formatInteger(12345678), "12345678");
    EXPECT_EQ(formatInteger(100000000), "Huge!");
    EXPECT_EQ(formatDecibel(0.0), "-oo");
    EXPECT_EQ(formatDecibel(-1.0), "-oo");
    EXPECT_EQ(formatDecibel(1.0), "0.000000");
    EXPECT_EQ(formatDecibel(10.0), "20.00000");
    EXPECT_EQ(cutToThreeDecimals("1.500000"), "1.500");
    EXPECT_EQ(cutToThreeDecimals("-oo"), "-oo");
    EXPECT_EQ(cutToThreeDecimals("12.5"), "12.5");
}

TEST(ValueFormat, ChoicesRoundTrip)
{
    EXPECT_EQ(quantizeChoice(1.0f, 0, 16), 16) << "the 0.99999 clamp keeps the last choice";
    EXPECT_EQ(quantizeChoice(0.5f, 0, 16), 8);
    EXPECT_EQ(quantizeChoice(-3.0f, 1, 8), 1);
    EXPECT_EQ(quantizeChoice(std::nanf(""), 1, 8), 1);
    for (int n = 0; n <= 127; ++n)
        EXPECT_EQ(quantizeChoice(choiceToValue(n, 0, 127), 0, 127), n);
    EXPECT_FLOAT_EQ(choiceToValue(200, 0, 127), 127.5f / 128.0f);
}

} // namespace
} // namespace quorvix
