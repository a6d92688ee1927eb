#include "presets/factory_bank.h"
#include "presets/preset_source.h"
#include "presets/editor_text.h"
#include "presets/source_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace quorvix {
namespace {

constexpr const char* kHeader = "bank 8 \"Quorvix V1\"\nprogram \"Test\" lead\n";

// The one program of a source made of the header and the lines; fails the test on any error.
CProgram programOf(const std::string& lines)
{
    CSourceBank bank;
    const std::vector<CSourceError> errors = readPresetSource(kHeader + lines, bank);
    for (const CSourceError& e : errors)
        ADD_FAILURE() << errorText("test", e);
    return bank.programs.empty() ? CProgram {} : bank.programs[0].program;
}

std::vector<CSourceError> errorsOf(const std::string& text)
{
    CSourceBank bank;
    return readPresetSource(text, bank);
}

TEST(PresetSource, SettingsBecomeEngineValues)
{
    const CProgram p = programOf(R"qvx(
osc1.wave1 = "Saw Up"      # a comment
osc1.coarse = -12 st
osc2.fine = 0.1 st
osc3.fine = 2 beats
osc2.pulse = 40 %
osc1.phase = 90 deg
osc.mix12 = "Ring"
filter.type = "Double Butterworth Low"
filter.cutoff = 1200 Hz
filter.resonance = 0.5
filter.keyTrack = 100 %
shaper.gain = 0 dB
amp.volume = -6 dB
amp.keySlope = 6.0206 dB/oct
amp.pan = -100 %
oscmod.lfo1.sync = "10 BPS"
oscmod.lfo1.speed = 5 Hz
oscmod.lfo1.phase = random
oscmod.lfo2.delay = 0.5 beats
fx1.type = "Delay (S)"
fx1.time1 = 0.5 beats
fx1.time2 = 1 beats
fx1.depth1 = 40 %
fx1.gain1 = 0.5
fx2.type = "Freq-Boost"
fx2.mix = -6 dB
fx2.time1 = 300.608 Hz
)qvx");
    EXPECT_EQ(p.oscillators[0].wave1, 5);
    EXPECT_EQ(p.oscillators[0].coarse, -12);
    EXPECT_FLOAT_EQ(p.oscillators[1].fine, 0.05f) << "a fine detune of 2v semitones";
    EXPECT_EQ(beatDetuneSixteenths(p.oscillators[2].fine), 32) << "a beating every two beats";
    EXPECT_FLOAT_EQ(p.oscillators[1].pulse, 0.4f);
    EXPECT_FLOAT_EQ(p.oscillators[0].phase, 0.25f);
    EXPECT_EQ(p.combination.operatorA, 2);
    EXPECT_EQ(p.filter.type, 2);
    EXPECT_NEAR(p.filter.frequency, 1200.0f, 0.01f);
    EXPECT_FLOAT_EQ(p.filter.resonance, 0.25f) << "the knob's 0.5 is held squared";
    EXPECT_FLOAT_EQ(p.filter.keySlope, 1.0f / 12.0f);
    EXPECT_NEAR(p.shaper.gain, 1.0f, 1e-6f);
    EXPECT_NEAR(p.level.mainVolume, 0.5012f, 1e-4f);
    EXPECT_NEAR(p.level.volumeKeySlope, 2.0f, 1e-4f);
    EXPECT_DOUBLE_EQ(p.level.panAngle, 0.0);
    EXPECT_FLOAT_EQ(p.oscillatorModulation.oscillators[0].speed, 2.0f) << "10 beats per second over 5 Hz";
    EXPECT_FLOAT_EQ(p.oscillatorModulation.oscillators[0].phase, 1.0f);
    EXPECT_FLOAT_EQ(p.oscillatorModulation.oscillators[1].delay, 0.5f);
    EXPECT_EQ(p.effects[0].type, 13);
    EXPECT_EQ(p.effects[0].time1, 62) << "a step next to half a beat";
    EXPECT_EQ(p.effects[0].time2, 125);
    EXPECT_FLOAT_EQ(p.effects[0].depth1, 2.0f) << "damping 0.4 of the depth's 0..5";
    EXPECT_FLOAT_EQ(p.effects[0].gain1, 0.5f);
    EXPECT_NEAR(p.effects[1].mix, 0.875f, 1e-6f) << "-6 dB of the booster's 48";
    EXPECT_EQ(p.effects[1].time1, 239) << "100 x 10^v Hz in 500 steps";
}

TEST(PresetSource, UnsaidValuesKeepTheFactoryInit)
{
    CProgram expected = sourceBaseProgram();
    expected.name = "Test";
    expected.filter.type = 1;
    EXPECT_EQ(programOf("filter.type = \"Bessel Low\"\n"), expected);
    for (const COscillatorSettings& o : expected.oscillators)
        EXPECT_EQ(o.syncKind, 8) << "a factory load puts the oscillators at 120 BPM";
}

TEST(PresetSource, EnvelopesAsPointsWithSustainOrLoop)
{
    const CProgram p = programOf(R"qvx(
amp.env = 0 [5 ms] 1 [300 ms fast] 0.6 | [400 ms] 0
filtermod.env1.bipolar = on
filtermod.env1 = 0 [1 beat] { 1 [0.5 beats] -1 [0.5 beats curve 0.25 0.5 -0.25 0] 1 } [1 beat] 0
)qvx");
    const CEnvelopeShape& a = p.amplitudeEnvelope;
    EXPECT_EQ(a.clockKind, 11) << "\"10 BPS\" keeps its Init clock";
    EXPECT_EQ(a.lastPoint, 3);
    EXPECT_FALSE(a.loopOn);
    EXPECT_EQ(a.loopStart, 2);
    EXPECT_EQ(a.loopEnd, 2);
    EXPECT_NEAR(a.points[0].time, 0.05f, 1e-6f);
    EXPECT_NEAR(a.points[1].time, 3.0f, 1e-6f);
    EXPECT_NEAR(a.points[2].time, 4.0f, 1e-6f);
    EXPECT_FLOAT_EQ(a.points[2].value, 0.6f);
    EXPECT_TRUE(a.points[1].curved);
    EXPECT_NEAR(a.points[1].startDx, 0.9f, 1e-6f) << "fast: a steep start handle";
    EXPECT_NEAR(a.points[1].startDy, -0.36f, 1e-6f);
    EXPECT_NEAR(a.points[1].endDx, -2.85f, 1e-5f) << "and a long flat end handle";
    EXPECT_FLOAT_EQ(a.points[1].endDy, 0.0f);

    const CEnvelopeShape& f = p.filterModulation.envelopes[0];
    EXPECT_TRUE(f.loopOn);
    EXPECT_EQ(f.loopStart, 1);
    EXPECT_EQ(f.loopEnd, 3);
    EXPECT_FLOAT_EQ(f.points[0].value, 0.5f) << "bipolar levels -1..1 are held as 0..1";
    EXPECT_FLOAT_EQ(f.points[2].value, 0.0f);
    EXPECT_FLOAT_EQ(f.points[2].startDx, 0.125f);
    EXPECT_FLOAT_EQ(f.points[2].startDy, 0.25f) << "a bipolar level change is halved";
}

TEST(PresetSource, Combiners)
{
    const CProgram p = programOf(R"qvx(
oscmod.comb1 = "+ModOSC 1" -> "Pitch (123)" 0.2 st
filtermod.comb2 = "Velocity" x "+ModEnv 1" -> "F+R NFreq" 30 st
filtermod.comb3 = "+Comb 2" + "1/2" -> "Filt.Freq" 450 Hz
filtermod.comb4 = "- ModOSC 2" -> "Panorama" 0.5
filtermod.c = -1.5
)qvx");
    const CCombiner& pitch = p.oscillatorModulation.combiners.combiners[0];
    EXPECT_EQ(pitch.source1, 16);
    EXPECT_EQ(pitch.op, 0);
    EXPECT_EQ(pitch.destination, 14);
    EXPECT_NEAR(pitch.amount, 0.2f, 1e-6f);
    const CCombinerSet& f = p.filterModulation.combiners;
    EXPECT_EQ(f.combiners[1].source1, 0);
    EXPECT_EQ(f.combiners[1].op, 2);
    EXPECT_EQ(f.combiners[1].source2, 20);
    EXPECT_EQ(f.combiners[1].destination, 5);
    EXPECT_FLOAT_EQ(f.combiners[1].amount, 30.0f);
    EXPECT_EQ(f.combiners[2].op, 1);
    EXPECT_EQ(f.combiners[2].source2, 36);
    EXPECT_NEAR(f.combiners[2].amount, 450.0f, 0.05f);
    EXPECT_EQ(f.combiners[3].destination, 13);
    EXPECT_FLOAT_EQ(f.values[2], -1.5f);
}

// Each bad line gives one error on its line that says what is wrong.
TEST(PresetSource, ErrorsNameTheLineAndTheFault)
{
    struct CCase {
        const char* line;
        const char* says;
    };
    const CCase cases[] = {
        {"filter.cutof = 1200 Hz", "did you mean \"filter.cutoff\""},
        {"filter.cutoff = 1200", "needs a unit: \"Hz\""},
        {"filter.cutoff = 1200 ms", "\"ms\" is not a unit of this setting"},
        {"filter.cutoff = 8000 Hz", "the nearest is 5381.7"},
        {"oscmod.lfo1.speed = 0.3 beats", "the nearest is 0.25 beats"},
        {"oscmod.lfo1.speed = 4 Hz", "needs a fixed-rate sync"},
        {"osc1.coarse = 0.5 st", "the nearest is 0 st"},
        {"osc1.wave1 = \"Saw\"", "\"Saw\" is not one of \"None\", \"Square\""},
        {"osc1.fine = 1.5 st", "the nearest is"},
        {"osc.sync = \"1/2 x MIDI\"", "a factory load plays the oscillators' beat detune at \"60 BPM\""},
        {"amp.env.sync = \"MIDI\"", "at \"120 BPM\" instead of \"MIDI\""},
        {"play.pitchBend = 12 st", "a bank cannot change them"},
        {"amp.env = 0 [5 ms] 1 [300 ms] 0", "either a sustain point"},
        {"amp.env = 0 [50 ms] 1 | [2 s] 0", "at most 16 beats"},
        {"amp.env = 0 [5 ms] 1 | [20 ms] 0", "within the first 1/16 beat"},
        {"amp.env = 0 [5 ms] 1.5 | [2 ms] 0", "level 1.5 is outside 0..1"},
        {"amp.env = 0 [10 ms curve 2 0 -0.3 0] 1 | [20 ms] 0", "the curve of segment 0 does not fit"},
        {"oscmod.env1 = 0 [100 ms] 1 |", "needs a fixed-rate sync"},
        {"fx1.mix = 50 %", "has no meaning while the type is \"None\""},
        {"oscmod.comb1 = \"Velocity\" -> \"Pitch (1)\" 0.5", "is in st"},
        {"oscmod.comb1 = \"Velocity\" -> \"Pitch (1)\" 20 st", "the nearest is 12.5 st"},
        {"oscmod.comb1 = \"Velocity\" \"Note\" -> \"Pitch (1)\" 1 st", "expects -> and the destination"},
        {"shaper.limiter = yes", "expects on or off"},
        {"oscmod.a = 3", "values a..d are plain numbers from -2 to 2"},
        {"filter.type = \"Bessel Low\" 3", "unexpected 3 after the value"},
        {"filter.type \"Bessel Low\"", "expects \"bank\", \"program\" or a setting"},
        {"filter.type = \"Bessel Low", "a name is not closed"},
        {"filter.cutoff = 1e300 Hz", "expects a number"},
    };
    for (const CCase& c : cases) {
        const std::vector<CSourceError> errors = errorsOf(std::string(kHeader) + c.line + "\n");
        ASSERT_EQ(errors.size(), 1u) << c.line;
        EXPECT_EQ(errors[0].line, 3) << c.line;
        EXPECT_NE(errors[0].message.find(c.says), std::string::npos) << c.line << "\n  said: " << errors[0].message;
    }
}

TEST(PresetSource, TheStructureOfABank)
{
    struct CCase {
        const char* text;
        int line;
        const char* says;
    };
    const CCase cases[] = {
        {"program \"A\" lead\n", 0, "no bank line"},
        {"bank 8 \"Quorvix V2\"\n", 1, "bank 8 is named \"Quorvix V1\""},
        {"bank 9 \"Random Presets\"\n", 1, "0..8"},
        {"bank 8 \"Quorvix V1\"\nfilter.level = 2\n", 2, "belongs to a program"},
        {"bank 8 \"Quorvix V1\"\nprogram \"A\" synth\n", 2, "\"synth\" is not a category"},
        {"bank 1e300 \"Quorvix V1\"\n", 1, "expects bank <selector>"},
        {"bank 8 \"Quorvix V1\"\nprogram \"A\" pad drone loud\n", 2, "unexpected loud"},
        {"bank 8 \"Quorvix V1\"\nprogram \"A\" pad\nfilter.level = 2\nfilter.level = 3\n", 4, "already set on line 3"},
        {"bank 8 \"Quorvix V1\"\nprogram \"A\" pad\nbank 8 \"Quorvix V1\"\n", 3, "comes once"},
    };
    for (const CCase& c : cases) {
        const std::vector<CSourceError> errors = errorsOf(c.text);
        ASSERT_EQ(errors.size(), 1u) << c.text;
        EXPECT_EQ(errors[0].line, c.line) << c.text;
        EXPECT_NE(errors[0].message.find(c.says), std::string::npos) << c.text << "\n  said: " << errors[0].message;
    }
    EXPECT_EQ(errorText("8-x.qvx", {12, "bad"}), "8-x.qvx:12: bad");

    CSourceBank bank;
    ASSERT_TRUE(readPresetSource("bank 8 \"Quorvix V1\"\n\nprogram \"A\" pad drone\nprogram \"B\" percussion\n", bank).empty());
    ASSERT_EQ(bank.programs.size(), 2u);
    EXPECT_TRUE(bank.programs[0].drone);
    EXPECT_EQ(bank.programs[0].line, 3);
    EXPECT_EQ(bank.programs[1].category, ECategory::Percussion);
    EXPECT_FALSE(bank.programs[1].drone);

    // The settings of a program with a faulty line are read too.
    const std::vector<CSourceError> both =
        errorsOf("bank 8 \"Quorvix V1\"\nprogram \"A\" synth\nfilter.level = 2\nfilter.level = 9\n");
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[1].line, 4);

    // A name too long is kept whole for the bank check to refuse.
    ASSERT_TRUE(readPresetSource("bank 8 \"Quorvix V1\"\nprogram \"A Name Longer Than 24 Chars\" pad\n", bank).empty());
    EXPECT_EQ(bank.programs[0].program.name, "A Name Longer Than 24 Chars");
}

// A bank of 64 programs named "P0".."P63", each a different filter level and cutoff.
std::unique_ptr<CSourceBank> fullBank()
{
    std::string text = "bank 8 \"Quorvix V1\"\n";
    for (int i = 0; i < kProgramCount; ++i)
        text += "program \"P" + std::to_string(i) + "\" keys\nfilter.level = " + std::to_string(1 + i % 8) +
                "\nfilter.cutoff = " + std::to_string(300 + 10 * i) + " Hz\n";
    auto bank = std::make_unique<CSourceBank>();
    EXPECT_TRUE(readPresetSource(text, *bank).empty());
    return bank;
}

TEST(PresetSource, BankChecks)
{
    const auto bank = fullBank();
    EXPECT_TRUE(checkSourceBank(*bank).empty());

    struct CCase {
        void (*spoil)(CSourceBank&);
        const char* says;
    };
    const CCase cases[] = {
        {[](CSourceBank& b) { b.programs.pop_back(); }, "the bank has 63 programs"},
        {[](CSourceBank& b) { b.programs[5].program.name = "P4"; }, "already the name of program 4"},
        {[](CSourceBank& b) { b.programs[5].program.name = "Init"; }, "keeps for its own"},
        {[](CSourceBank& b) { b.programs[5].program.name = std::string(25, 'x'); }, "1 to 24 printable"},
        {[](CSourceBank& b) { b.programs[5].program.name = "Caf\xC3\xA9"; }, "printable ASCII"},
        {[](CSourceBank& b) { b.programs[5].program.effects[1].type = 8; }, "write it as fx1"},
        {[](CSourceBank& b) { b.programs[5].program.filter.frequency = 9000.0f; }, "outside what their parameters can hold: filter"},
        {[](CSourceBank& b) { b.programs[5].program.portamentoSync = 3; }, "a factory load would change levels"},
    };
    for (const CCase& c : cases) {
        auto spoilt = std::make_unique<CSourceBank>(*bank);
        c.spoil(*spoilt);
        const std::vector<CSourceError> errors = checkSourceBank(*spoilt);
        ASSERT_EQ(errors.size(), 1u) << c.says;
        EXPECT_NE(errors[0].message.find(c.says), std::string::npos) << errors[0].message;
    }
}

TEST(PresetSource, AStoredBankReadsBackAsWritten)
{
    const auto bank = fullBank();
    const std::array<CProgram, kProgramCount> programs = bankPrograms(*bank);
    const std::vector<uint8_t> bytes = buildStoredBank(programs);
    const CStoredBank stored {bytes.data(), bytes.size(), bankChecksum(bytes.data(), bytes.size()), "Quorvix V1"};
    auto read = std::make_unique<std::array<CProgram, kProgramCount>>();
    ASSERT_TRUE(loadStoredBank(&stored, *read));
    for (size_t i = 0; i < programs.size(); ++i)
        EXPECT_EQ((*read)[i], programs[i]) << i;
}

} // namespace
} // namespace quorvix
