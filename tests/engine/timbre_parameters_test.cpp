// Every parameter number through CTimbre: names, labels, Init values, conversions and texts.
#include "engine/timbre.h"
#include "presets/parameter_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>

namespace quorvix {
namespace {

constexpr float kTolerance = 1e-6f;

bool isReserved(int n) { return (n >= 67 && n <= 95) || (n >= 129 && n <= 157) || (n >= 187 && n <= 199); }

std::vector<int> parameterNumbers()
{
    std::vector<int> numbers;
    for (int n = kAliasCount; n < kParametersPerTimbre; ++n)
        if (!isReserved(n))
            numbers.push_back(n);
    numbers.push_back(cmd::Quality);
    return numbers;
}

TEST(TimbreParameters, AliasesPutTheMostUsedParametersFirst)
{
    const int targets[kAliasCount] = {27,  28,  29,  32,  35,  36,  37,  40,  43,  44,  45,  48,  100,
                                      101, 104, 107, 108, 109, 111, 112, 161, 162, 171, 180, 1011};
    for (int alias = 0; alias < kAliasCount; ++alias)
        EXPECT_EQ(resolveParameterNumber(alias), targets[alias]) << alias;
    for (int number : {25, 50, 199, 1000, -1, 5000})
        EXPECT_EQ(resolveParameterNumber(number), number);
}

struct CRow {
    int number;
    const char* name;
    const char* label;
    float init;          // normalized value of a fresh timbre
    const char* initText;
};

// One row per parameter of the table; the oscillator and effect twins are checked by the sweep below.
const CRow kRows[] = {
    {25, "OSC1 1st", " Wave ", 1.5f / 54, "Square"},
    {26, "OSC1 2nd", " Wave ", 0.5f / 54, "None"},
    {27, "OSC1Pulse", " % ", 1.0f, "    100"},
    {28, "O1 Symm.", " % ", 1.0f, "    100"},
    {29, "O1 Phase", " Grad ", 0.0f, "      0"},
    {30, "O1 Detune Coarse", " Halftones ", 36.0025f / 72, "      0"},
    {31, "O1 Detune Fine", " Halftones ", 0.0f, "      0"},
    {32, "O1 Weight", " % ", 1.0f, "    100"},
    {33, "OSC2 1st", " Wave ", 0.5f / 54, "None"},
    {41, "OSC3 1st", " Wave ", 0.5f / 54, "None"},
    {46, "O3 Detune Coarse", " Halftones ", 36.0025f / 72, "      0"},
    {48, "O3 Weight", " % ", 1.0f, "    100"},
    {49, "OSC 1&2 Mix", " Mode ", 0.5f / 21, "Mix"},
    {50, "OSC 3&12 Mix", " Mode ", 0.5f / 21, "Mix"},
    {51, "OSC Tune Sync", " Source ", 0.5f / 13, "MIDI"},
    {52, "OSC Oversampling", " Mode ", 0.5f, "Frequency"},
    {53, "Mod1Wave", " Wave ", 1.5f / 53, "Square"},
    {54, "Mod1Once/FirstKey", " Boolean ", 0.0f, "Infinite"},
    {55, "Mod1Sync", " Source ", 0.5f / 13, "MIDI"},
    {56, "Mod1Speed", " Beats ", 15.5f / 128, "1.000000"},
    {57, "Mod1Phase", " Grad ", 0.0f, "      0"},
    {58, "Mod1DelayModus", " Modus ", 0.5f / 3, "Delay"},
    {59, "Mod1Delay", " Beats ", 0.5f / 128, "0.000000"},
    {60, "Mod2Wave", " Wave ", 1.5f / 53, "Square"},
    {65, "Mod1DelayModus", " Modus ", 0.5f / 3, "Delay"},
    {96, "OSC Shape 2", " Shape ", 0.02f, "None"},
    {97, "OSC Shape 1", " Shape ", 0.02f, "Linear"},
    {98, "ShapeParam", " % ", 0.0f, "0.000"},
    {99, "ShapeSmooth", " % ", 0.0f, "0.000"},
    {100, "ShapeGain", " dB ", 0.125f, "-9.542"},
    {101, "ShapePos.", "  ", 0.5f, "0.000"},
    {102, "PostFilter", " Boolean ", 0.0f, "Off"},
    {103, "LimiterBug", " Boolean ", 0.0f, "Off"},
    {104, "ShapeMix", " % ", 1.0f, "    100"},
    {105, "Filter", " Type ", 0.0f, "None"},
    {106, "Level", " Type ", 0.0f, "      1"},
    {107, "FiltParam", " % ", 0.0f, "      0"},
    {108, "FiltFreq", " Hz ", 0.7457389f, "   2330"},
    {109, "ResWeight", " % ", 0.0f, "      0"},
    {110, "Res.Sep.", " Boolean ", 1.0f, "On"},
    {111, "Res.Freq.", " Hz ", 0.7457389f, "   2330"},
    {112, "Resonance", "  ", 0.0f, "0.000"},
    {113, "KeybMid", " Note ", 0.5f / 128, "      0"},
    {114, "KeybSlope", " %Freq/Note ", 0.0f, "0.000000"},
    {115, "FMod Wave", " Wave ", 1.5f / 53, "Square"},
    {120, "FMod1DelayModus", " Modus ", 0.5f / 3, "Delay"},
    {122, "FMod Wave", " Wave ", 1.5f / 53, "Square"},
    {127, "FMod2DelayModus", " Modus ", 0.5f / 3, "Delay"},
    {158, "Dynamic", " Boolean ", 0.375f, "0.375000"},
    {159, "VolKeybMid", " Note ", 36.5f / 128, "     36"},
    {160, "VolKeybSlope", " dB ", 0.5f, "0.000000"},
    {161, "Main Vol.", " dB ", 0.77172f, "6.020"},
    {162, "Pan", " % Left ", 0.5f, "     50"},
    {163, "Effect 1", " Type ", 0.5f / 22, "None"},
    {164, "FX1 Time 1", " ms ", 0.3f, "    150"},
    {165, "FX1 Time 2", " ms ", 0.3f, "    150"},
    {166, "FX1 Depth 1", " ms ", 0.2f, "      1"},
    {167, "FX1 Depth 2", " ms ", 0.2f, "      1"},
    {168, "FX1 Gain 1", " % ", 0.5102041f, "     51"},
    {169, "FX1 Gain 2", " % ", 0.5102041f, "     51"},
    {170, "FX1 Spread", " % ", 0.5f, "     50"},
    {171, "FX1 Mix", " % ", 1.0f, "    100"},
    {172, "Effect 2", " Type ", 0.5f / 22, "None"},
    {180, "FX2 Mix", " % ", 1.0f, "    100"},
    {181, "PitchBend", " Halftones ", 3.5f / 27, "2.000000"},
    {182, "Portamento", " Beats ", 16.5f / 128, "1.000000"},
    {183, "PortaSync", " Source ", 0.5f / 13, "MIDI"},
    {184, "Dirty Tuning", " Halftones ", 0.0f, "0.000000"},
    {185, "Polyphony", "Voices", 16.5f / 17, "     16"},
    {186, "OSC Oversampling", " Octave ", 0.4f, "4.000000"},
    {1011, "Quality", "  ", 0.0f, "Normal"},
};

TEST(TimbreParameters, NamesLabelsAndInitValues)
{
    CTimbre timbre;
    for (const CRow& row : kRows) {
        EXPECT_STREQ(parameterRecord(row.number).name, row.name) << row.number;
        EXPECT_STREQ(parameterRecord(row.number).label, row.label) << row.number;
        EXPECT_NEAR(parameterValue(timbre, row.number), row.init, 1e-5f) << row.number;
        EXPECT_EQ(parameterText(timbre, row.number), row.initText) << row.number;
    }
}

TEST(TimbreParameters, DuplicateNamesAreKept)
{
    EXPECT_STREQ(parameterRecord(65).name, parameterRecord(58).name);
    for (int offset : {0, 1, 2, 3, 4, 6})
        EXPECT_STREQ(parameterRecord(122 + offset).name, parameterRecord(115 + offset).name) << offset;
    EXPECT_STRNE(parameterRecord(127).name, parameterRecord(120).name);
    EXPECT_STREQ(parameterRecord(186).name, parameterRecord(52).name);
}

TEST(TimbreParameters, NumbersWithoutAParameter)
{
    CTimbre timbre;
    for (int n : {67, 80, 95, 129, 157, 187, 199, 1019, 1034, -3, 4000}) {
        setParameterValue(timbre, n, 0.7f);
        EXPECT_EQ(parameterValue(timbre, n), 0.0f) << n;
        EXPECT_EQ(parameterText(timbre, n), "***ERR***") << n;
        EXPECT_STREQ(parameterRecord(n).label, "***ERR***") << n;
    }
    EXPECT_STREQ(parameterRecord(80).name, "OSCMod Combiner");
    EXPECT_STREQ(parameterRecord(140).name, "FilterMod Combiner");
    EXPECT_STREQ(parameterRecord(190).name, "UNKNOWN");
    EXPECT_STREQ(parameterRecord(1019).name, "UNKNOWN");
    EXPECT_STREQ(parameterRecord(1010).label, "KickButton");
    EXPECT_EQ(parameterText(timbre, 1010), "Kickbutton");
    for (int n : {1001, 1005, 1010, 1012, 1015, 1024, 1033}) {
        setParameterValue(timbre, n, 1.0f);
        EXPECT_EQ(parameterValue(timbre, n), 0.0f) << n;
    }
}

// Setting what was read back gives the same engine value again: quantized and clamped values are stable.
TEST(TimbreParameters, EveryValueReadBackIsStable)
{
    const float values[] = {0.0f, 0.013f, 0.1f, 0.2499f, 1.0f / 3, 0.5f, 0.51f, 0.777f, 0.99f, 1.0f};
    for (int n : parameterNumbers()) {
        for (float v : values) {
            CTimbre timbre;
            setParameterValue(timbre, n, v);
            const float read = parameterValue(timbre, n);
            const std::string text = parameterText(timbre, n);
            ASSERT_TRUE(read >= 0.0f && read <= 1.0f) << n << " at " << v << " reads " << read;
            setParameterValue(timbre, n, read);
            EXPECT_NEAR(parameterValue(timbre, n), read, kTolerance) << n << " at " << v;
            EXPECT_EQ(parameterText(timbre, n), text) << n << " at " << v;
            EXPECT_FALSE(text.empty()) << n;
        }
    }
}

// A value reaches the master voice and all sixteen poly voices.
TEST(TimbreParameters, VoiceParametersReachEveryVoice)
{
    CTimbre timbre;
    setParameterValue(timbre, 27, 0.4f);
    setParameterValue(timbre, 108, 0.0f);
    setParameterValue(timbre, 162, 1.0f);
    for (const CVoice& voice : timbre.voices()) {
        EXPECT_FLOAT_EQ(voice.oscillator(0).pulse(), 0.4f);
        EXPECT_FLOAT_EQ(voice.settings().filter.frequency, 200.0f);
        EXPECT_DOUBLE_EQ(voice.settings().level.panAngle, 1.5707963267948966);
    }
}

struct CCase {
    int number;
    float set;
    float read;
    const char* text;
};

// The exact conversions of the table, one or more cases per kind of row.
TEST(TimbreParameters, ConversionsAndDisplays)
{
    const CCase cases[] = {
        {25, 0.999f, 53.5f / 54, "Feedback"},
        {26, 0.3f, 16.5f / 54, "Sine"},
        {27, 0.0f, 0.01f, "      1"},
        {28, 0.256f, 0.256f, "     25"},
        {29, 0.5f, 0.5f, "    180"},
        {30, 1.0f, 1.0f, "     36"}, // the read-back formula gives 1.0000348: hosts get 1
        {30, 0.0f, 0.0025f / 72, "    -36"},
        {30, 0.5f, 36.0025f / 72, "      0"},
        {31, 0.75f, 0.75f, "      0"},
        {49, 1.0f, 20.5f / 21, "Complex Soft"},
        {50, 7.5f / 21, 7.5f / 21, "FM"},
        {51, 0.62f, 8.5f / 13, "120 BPM"},
        {52, 1.0f, 2.5f / 3, "Always"},
        {52, 0.2f, 0.5f / 3, "OFF"},
        {53, 1.0f, 52.5f / 53, "Sample_34"},
        {54, 0.6f, 1.0f, "Once"},
        {56, 0.0f, 0.5f / 128, "0.062500"},
        {56, 1.0f, 127.5f / 128, "8.000000"},
        {57, 1.0f, 1.0f, "Rand"},
        {57, 0.5f, 0.5f, "    135"},
        {58, 1.0f, 2.5f / 3, "Continue"},
        {59, 1.0f, 127.5f / 128, "7.937500"},
        {96, 0.5f, 12.5f / 25, "IncRect"},
        {97, 0.0f, 0.5f / 25, "Linear"},
        {97, 0.999f, 24.5f / 25, "Morph-Sin2"},
        {98, 0.12345f, 0.12345f, "0.123"},
        {100, 1.0f, 1.0f, "3.521"},
        {100, 0.0f, 0.0f, "-15.563"},
        {101, 0.0f, 0.0f, "-1.000"},
        {101, 1.0f, 1.0f, "1.000"},
        {102, 0.5f, 1.0f, "On"},
        {105, 0.05f, 0.0f, "None"},
        {105, 0.07f, 1.0f / 9, "Bessel Low"},
        {105, 1.0f, 8.0f / 9, "Notch"},
        {106, 1.0f, 1.0f, "      8"},
        {108, 1.0f, 1.0f, "   5381"},
        {108, 0.0f, 0.0f, "    200"},
        {112, 0.5f, 0.5f, "0.500"},
        {113, 1.0f, 127.5f / 128, "    127"},
        {114, 0.6f, 0.6f, "120.0000"},
        {158, 1.0f, 1.0f, "1.000000"},
        {160, 1.0f, 1.0f, "6.020600"},
        {160, 0.0f, 0.0f, "-6.02060"},
        {161, 0.0f, 0.0f, "-48.000"},
        {161, 1.0f, 1.0f, "22.000"},
        {162, 0.25f, 0.25f, "     25"},
        {163, 1.0f, 21.5f / 22, "Phaser (S)"},
        {163, 11.2f / 22, 11.5f / 22, "Freq-Boost"},
        {164, 1.0f, 1.0f, "    500"},
        {164, 0.0011f, 0.002f, "      1"},
        {166, 1.0f, 1.0f, "      5"},
        {168, 1.0f, 1.0f, "    100"},
        {181, 0.0f, 0.5f / 27, "TUN"},
        {181, 1.0f, 26.5f / 27, "25.00000"},
        {182, 0.0f, 0.5f / 128, "0.000000"},
        {184, 0.25f, 0.25f, "0.250000"},
        {185, 1.0f, 16.5f / 17, "     16"},
        {185, 0.5f, 8.5f / 17, "      8"},
        {185, 0.0f, 0.5f / 17, "      0"},
        {186, 1.0f, 1.0f, "10.00000"},
        {1011, 0.6f, 1.0f, "High"},
    };
    for (const CCase& c : cases) {
        CTimbre timbre;
        setParameterValue(timbre, c.number, c.set);
        EXPECT_NEAR(parameterValue(timbre, c.number), c.read, 2e-6f) << c.number << " set " << c.set;
        EXPECT_EQ(parameterText(timbre, c.number), c.text) << c.number << " set " << c.set;
    }
}

TEST(TimbreParameters, DisplaysThatDependOnOtherParameters)
{
    CTimbre timbre;
    setParameterValue(timbre, 58, 0.9f); // "Continue"
    EXPECT_EQ(parameterText(timbre, 54), "PresetAge");
    setParameterValue(timbre, 54, 1.0f);
    EXPECT_EQ(parameterText(timbre, 54), "FirstKey");
    EXPECT_EQ(parameterText(timbre, 61), "Infinite") << "Mod2 keeps its own modus";
    setParameterValue(timbre, 51, 0.9f);
    for (int i = 0; i < kOscillatorCount; ++i)
        EXPECT_EQ(timbre.masterVoice().oscillator(i).clock().kind(), 11) << "the sync source goes to all oscillators";
}

TEST(TimbreParameters, HeldEffectValuesIgnoreSmallMoves)
{
    CTimbre timbre;
    setParameterValue(timbre, 166, 0.201f); // 1.005 ms: within 0.01 of the held 1.0
    EXPECT_FLOAT_EQ(parameterValue(timbre, 166), 0.2f);
    setParameterValue(timbre, 166, 0.21f); // 1.05 ms
    EXPECT_FLOAT_EQ(parameterValue(timbre, 166), 0.21f);
    setParameterValue(timbre, 170, 0.505f);
    EXPECT_FLOAT_EQ(parameterValue(timbre, 170), 0.5f);
    setParameterValue(timbre, 170, 0.52f);
    EXPECT_FLOAT_EQ(parameterValue(timbre, 170), 0.52f);
}

TEST(TimbreParameters, HostileValues)
{
    CTimbre timbre;
    setParameterValue(timbre, 108, 0.25f);
    setParameterValue(timbre, 108, std::numeric_limits<float>::quiet_NaN());
    EXPECT_FLOAT_EQ(parameterValue(timbre, 108), 0.25f) << "NaN is ignored";
    setParameterValue(timbre, 108, std::numeric_limits<float>::infinity());
    EXPECT_FLOAT_EQ(parameterValue(timbre, 108), 1.0f);
    setParameterValue(timbre, 108, -5.0f);
    EXPECT_FLOAT_EQ(parameterValue(timbre, 108), 0.0f);
    setParameterValue(timbre, 30, 1.0f);
    EXPECT_EQ(parameterValue(timbre, 30), 1.0f);
    setParameterValue(timbre, 30, parameterValue(timbre, 30));
    EXPECT_EQ(timbre.masterVoice().oscillator(0).coarse(), 36) << "the read-back value sets +36 again";
}

TEST(TimbreParameters, QualityAndPolyphonyAreTimbreSettings)
{
    CTimbre timbre;
    setParameterValue(timbre, 1011, 0.7f);
    EXPECT_EQ(timbre.settings().quality, 4);
    setParameterValue(timbre, 1011, 0.2f);
    EXPECT_EQ(timbre.settings().quality, 1);
    setParameterValue(timbre, 185, 0.5f);
    EXPECT_EQ(timbre.settings().polyphony, 8);
    setParameterValue(timbre, 185, 1.0f);
    EXPECT_EQ(timbre.settings().polyphony, 16) << "the 0.99999 clamp";
}

} // namespace
} // namespace quorvix
