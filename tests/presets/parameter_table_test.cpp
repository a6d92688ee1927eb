#include "presets/parameter_table.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvix {
namespace {

TEST(ParameterTable, AliasesPutTheMostUsedParametersFirst)
{
    const int targets[kAliasCount] = {27,  28,  29,  32,  35,  36,  37,  40,  43,  44,  45,  48,  100,
                                      101, 104, 107, 108, 109, 111, 112, 161, 162, 171, 180, 1011};
    for (int alias = 0; alias < kAliasCount; ++alias)
        EXPECT_EQ(resolveParameterNumber(alias), targets[alias]) << alias;
    for (int number : {25, 50, 199, 1000, -1, 5000})
        EXPECT_EQ(resolveParameterNumber(number), number);
}

TEST(ParameterTable, NamesAndLabelsAsTheHostSeesThem)
{
    struct {
        int number;
        const char* name;
        const char* label;
    } cases[] = {
        {25, "OSC1 1st", " Wave "},          {30, "O1 Detune Coarse", " Halftones "},
        {41, "OSC3 1st", " Wave "},          {52, "OSC Oversampling", " Mode "},
        {186, "OSC Oversampling", " Octave "}, {100, "ShapeGain", " dB "},
        {101, "ShapePos.", "  "},            {114, "KeybSlope", " %Freq/Note "},
        {162, "Pan", " % Left "},            {185, "Polyphony", "Voices"},
        {1010, "Store Preset", "KickButton"}, {1011, "Quality", "  "},
        {1019, "UNKNOWN", "***ERR***"},      {1033, "LogoAboutBox", ""},
        {80, "OSCMod Combiner", "***ERR***"}, {140, "FilterMod Combiner", "***ERR***"},
        {190, "UNKNOWN", "***ERR***"},       {-7, "UNKNOWN", "***ERR***"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(parameterInfo(c.number).name, c.name) << c.number;
        EXPECT_STREQ(parameterInfo(c.number).label, c.label) << c.number;
    }
}

TEST(ParameterTable, DuplicateNamesAreKept)
{
    EXPECT_STREQ(parameterInfo(65).name, parameterInfo(58).name);
    for (int offset : {0, 1, 2, 3, 4, 6})
        EXPECT_STREQ(parameterInfo(122 + offset).name, parameterInfo(115 + offset).name) << offset;
    EXPECT_STREQ(parameterInfo(127).name, "FMod2DelayModus");
    EXPECT_STREQ(parameterInfo(120).name, "FMod1DelayModus");
}

TEST(ParameterTable, EveryTimbreNumberHasANameOrIsReserved)
{
    for (int number = kAliasCount; number < kParametersPerTimbre; ++number) {
        const bool unknown = std::string(parameterInfo(number).name) == "UNKNOWN";
        EXPECT_EQ(unknown, number > 186) << number;
        const bool combiner = (number >= 67 && number <= 95) || (number >= 129 && number <= 157);
        EXPECT_EQ(isReservedParameter(number), unknown || combiner) << number;
    }
}

} // namespace
} // namespace quorvix
