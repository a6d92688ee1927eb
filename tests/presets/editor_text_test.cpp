#include "presets/editor_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quorvix {
namespace {

const CLastNote kA4 {69, 440.0};
constexpr double kRate = 44100.0;

struct CTextCase {
    int number;
    float value;
    const char* text;
};

TEST(EditorText, Formatters)
{
    const CTextCase cases[] = {
        {30, 1.0f, "36 H"},          {30, 0.0f, "-36 H"},         {31, 0.25f, "0.500 H"},
        {31, 0.5f, "0 01/16 B"},     {31, 1.0f, "16 00/16B"},     {39, 0.75f, "8 01/16 B"},
        {186, 1.0f, "10.0 oc"},      {186, 0.4f, "4.00 oc"},      {56, 0.0f, "0 01/16 B"},
        {56, 1.0f, "8 00/16 B"},     {63, 0.5f, "4 01/16 B"},     {57, 1.0f, "Random"},
        {57, 0.25f, "0.25"},         {59, 1.0f, "7 15/16 B"},     {182, 0.0f, "0 00/16 B"},
        {100, 0.0f, "0.167"},        {100, 1.0f, "1.500"},        {101, 0.0f, "-1.000"},
        {106, 0.5f, "5"},            {108, 0.0f, "200Hz"},        {111, 1.0f, "5381Hz"},
        {113, 60.5f / 128, "C 3"},   {159, 61.5f / 128, "C#3"},   {113, 0.0f, "C -2"},
        {113, 1.0f, "G 8"},          {114, 0.5f, "1.000"},        {158, 0.0f, "0.200"},
        {160, 1.0f, "6.0dB/Oct"},    {160, 0.0f, "-6.0dB/Oct"},   {161, 0.0f, "-oo dB"},
        {161, 1.0f, "22.0 dB"},      {161, 0.5f, "-13.0 dB"},     {181, 0.0f, "TUN"},
        {181, 0.5f, "11 H"},         {184, 0.5f, "0.500 H"},      {185, 0.0f, "MonoPorta"},
        {185, 0.07f, "1 Voice"},     {185, 1.0f, "16 Voices"},    {1020, 1.0f, "2.000H"},
    };
    for (const CTextCase& c : cases) {
        ASSERT_TRUE(hasEditorText(c.number)) << c.number;
        EXPECT_EQ(editorText(c.number, c.value), c.text) << c.number << " at " << c.value;
    }
    EXPECT_FALSE(hasEditorText(27));
}

struct CParseCase {
    int number;
    const char* typed;
    float value;
};

TEST(EditorText, Parsers)
{
    const CParseCase cases[] = {
        {30, " 12 H", (12 + 36.0025f) / 72},
        {30, "\t-36", 0.0025f / 72},
        {31, "0.5", 0.25f},
        {31, "1 00/16 B", 15 * 0.0019607844f + 0.5f},
        {31, "0b", 0.5f},
        {31, "20 0 B", 1.0f},
        {186, "2.5", 0.25f},
        {56, "2 04/16 B", 35 * 0.007874016f},
        {56, "0", 0.0f},
        {59, "9 9", 127 * 0.007874016f},
        {57, "random", 1.0f},
        {57, "0.3", 0.3f},
        {100, "1.5", 1.0f},
        {101, "0", 0.5f},
        {106, "8", 1.0f},
        {108, "200 Hz", 0.0f},
        {111, "5381.6", 1.0f},
        {113, "c3", 60 * 0.007874016f},
        {113, "A#-1", 22 * 0.007874016f},
        {159, "Eb 2", 51 * 0.007874016f},
        {159, "H 8", 1.0f},
        {114, "1", 0.5f},
        {158, "5", 1.0f},
        {160, "0", 0.5f},
        {161, "-OO dB", 0.0f},
        {161, "-inf", 0.0f},
        {161, "-60", 0.0f},
        {161, "22", 1.0f},
        {181, "tun", 0.0f},
        {181, "2.9", 0.12f},
        {184, "0.75", 0.75f},
        {185, "8", 0.5f},
        {1020, "-2", 0.0f},
    };
    for (const CParseCase& c : cases) {
        float v = -1.0f;
        ASSERT_TRUE(parseEditorText(c.number, c.typed, kA4, kRate, v)) << c.number << " '" << c.typed << "'";
        EXPECT_NEAR(v, c.value, 1e-5f) << c.number << " '" << c.typed << "'";
    }
}

TEST(EditorText, HashMeansTheLastNote)
{
    float v = 0.0f;
    ASSERT_TRUE(parseEditorText(108, "#", kA4, kRate, v));
    EXPECT_NEAR(v, std::log2(0.005 * 440.0) / 4.75, 1e-6);
    ASSERT_TRUE(parseEditorText(113, " #", kA4, kRate, v));
    EXPECT_NEAR(v, 69 * 0.007874016f, 1e-6);
    ASSERT_TRUE(parseEditorText(186, "#", kA4, kRate, v));
    EXPECT_NEAR(v, -0.1 * std::log2(440.0 * 0.9988454217380301 / kRate), 1e-6);
    ASSERT_TRUE(parseEffectKnobText(EEffectKnobText::HertzMid, "#", kA4, v));
    EXPECT_NEAR(v, std::log2(4.4) / 5.643856, 1e-6);
}

TEST(EditorText, GarbageLeavesTheValueAlone)
{
    for (int number : {30, 31, 56, 100, 108, 113, 161, 181, 185, 1020}) {
        for (const char* typed : {"", "   ", "abc", "?", "Hz 200", "X3"}) {
            float v = 0.42f;
            EXPECT_FALSE(parseEditorText(number, typed, kA4, kRate, v)) << number << " '" << typed << "'";
            EXPECT_EQ(v, 0.42f);
        }
    }
    float v = 0.42f;
    EXPECT_FALSE(parseEditorText(27, "0.5", kA4, kRate, v)) << "no parser of its own";
    EXPECT_FALSE(parseEffectKnobText(EEffectKnobText::DecibelWet, "loud", kA4, v));
    EXPECT_EQ(v, 0.42f);
}

// What a formatter shows, typed back, gives the value that shows the same text.
TEST(EditorText, FormattersAndParsersRoundTrip)
{
    const int numbers[] = {30, 31, 186, 56, 57, 59, 100, 101, 106, 108, 113, 114, 158, 160, 161, 181, 184, 185, 1020};
    for (int number : numbers) {
        for (int step = 0; step <= 40; ++step) {
            const float value = step / 40.0f;
            const std::string shown = editorText(number, value);
            float parsed = -1.0f;
            ASSERT_TRUE(parseEditorText(number, shown, kA4, kRate, parsed)) << number << " '" << shown << "'";
            EXPECT_EQ(editorText(number, parsed), shown) << number << " at " << value << " -> " << parsed;
        }
    }
}

TEST(EditorText, EffectKnobs)
{
    struct {
        EEffectKnobText format;
        float value;
        const char* text;
    } cases[] = {
        {EEffectKnobText::Milliseconds500, 0.3f, "150 ms"},  {EEffectKnobText::Milliseconds500, 0.0f, "000 ms"},
        {EEffectKnobText::Milliseconds2000, 0.5f, "1000ms"}, {EEffectKnobText::HertzLow, 0.0f, "100Hz"},
        {EEffectKnobText::HertzLow, 1.0f, "1000Hz"},          {EEffectKnobText::HertzMid, 1.0f, "5000Hz"},
        {EEffectKnobText::HertzHigh, 0.0f, "2000Hz"},        {EEffectKnobText::DecibelWet, 0.0f, "-oo dB"},
        {EEffectKnobText::DecibelWet, 1.0f, "0.0 dB"},       {EEffectKnobText::DecibelBand, 0.0f, "0.0 dB"},
        {EEffectKnobText::DecibelBand, 24.0f / 35, "6.0 dB"}, {EEffectKnobText::ThirtySeconds, 1.0f, "4 00/32 B"},
        {EEffectKnobText::ThirtySeconds, 0.5f, "2 00/32 B"}, {EEffectKnobText::Sixteenths, 1.0f, "8 00/16 B"},
        {EEffectKnobText::Milliseconds25, 1.0f, "25.0 ms"},  {EEffectKnobText::Milliseconds10, 0.25f, "2.5 ms"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(effectKnobText(c.format, c.value), c.text) << static_cast<int>(c.format) << " at " << c.value;
        float parsed = -1.0f;
        ASSERT_TRUE(parseEffectKnobText(c.format, c.text, kA4, parsed)) << c.text;
        EXPECT_EQ(effectKnobText(c.format, parsed), c.text) << c.text << " -> " << parsed;
    }
}

} // namespace
} // namespace quorvix
