// The editor's texts that follow a setting: the effect knobs by effect type, the combiner amounts
// by destination, the fixed values.
#include "editor/combiner_texts.h"
#include "editor/effect_knobs.h"

#include <gtest/gtest.h>

namespace quorvix {
namespace {

using T = EEffectKnobText;

struct CKnobCase {
    int type;
    int knob;
    const char* label;
    std::optional<T> text;
};

TEST(EffectKnobsTest, LabelsAndTextsFollowTheEffectType)
{
    const CKnobCase cases[] = {
        {0, 0, "- - -", T::Milliseconds500},  {0, 5, "- - -", std::nullopt},     {0, 6, "Spread", std::nullopt},
        {2, 1, "Delay 2", T::Milliseconds500}, {3, 6, "- - -", std::nullopt},     {5, 6, "Spread", std::nullopt},
        {7, 2, "HiDamp1", std::nullopt},      {13, 0, "Delay 1", T::ThirtySeconds}, {16, 6, "Spread", std::nullopt},
        {8, 0, "Delay", T::Milliseconds500},   {8, 1, "Speed", T::Milliseconds2000}, {8, 4, "- - -", std::nullopt},
        {10, 0, "Delay", T::Milliseconds25},   {19, 1, "Speed", T::Sixteenths},      {21, 0, "Delay", T::Milliseconds25},
        {9, 0, "Delay", T::Milliseconds10},    {9, 4, "Feedbk.1", std::nullopt},     {20, 1, "Speed", T::Sixteenths},
        {11, 0, "LoFreq", T::HertzLow},        {11, 1, "LoVol", T::DecibelBand},     {11, 2, "MidFreq", T::HertzMid},
        {11, 4, "HiFreq", T::HertzHigh},       {11, 5, "HiVol", T::DecibelBand},     {11, 6, "- - -", std::nullopt},
        {11, 7, "Volume", T::DecibelWet},      {99, 7, "Mix", std::nullopt},         {-1, 0, "- - -", T::Milliseconds500},
    };
    for (const CKnobCase& c : cases) {
        const CEffectKnob k = effectKnob(c.type, c.knob);
        EXPECT_STREQ(k.label, c.label) << c.type << "/" << c.knob;
        EXPECT_EQ(k.text, c.text) << c.type << "/" << c.knob;
    }
}

int firstDestination(ESectionKind kind, const std::string& unit)
{
    for (int d = 0; d < destinationCount(kind); ++d)
        if (amountUnit(kind, d) == unit)
            return d;
    return -1;
}

TEST(CombinerTextsTest, AmountsShowInTheirDestinationsUnitsAndReadBack)
{
    const int pitch = firstDestination(ESectionKind::Oscillator, "st");
    ASSERT_GE(pitch, 0);
    // k = trunc(127x + 0.4): x = 50/127 is k 50, 2.8 semitones; x = 2/127 is 0.05.
    EXPECT_EQ(combinerAmountText(ESectionKind::Oscillator, pitch, 50.0f / 127.0f), "2.80 H");
    EXPECT_EQ(combinerAmountText(ESectionKind::Oscillator, pitch, 2.0f / 127.0f), "0.050 H");
    const int plain = firstDestination(ESectionKind::Oscillator, "");
    ASSERT_GE(plain, 0);
    EXPECT_EQ(combinerAmountText(ESectionKind::Oscillator, plain, 0.25f), "0.25");
    float x = 0.0f;
    ASSERT_TRUE(parseCombinerAmount(ESectionKind::Oscillator, pitch, "2.8", x));
    EXPECT_EQ(combinerAmountText(ESectionKind::Oscillator, pitch, x), "2.80 H");
    EXPECT_FALSE(parseCombinerAmount(ESectionKind::Oscillator, pitch, "pitch", x));
    EXPECT_EQ(fixedValueText(0.5f), "0.0000");
    EXPECT_EQ(fixedValueText(1.0f), "2.0000");
}

} // namespace
} // namespace quorvix
