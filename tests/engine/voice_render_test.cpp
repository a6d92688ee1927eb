// Notes through CTimbre: timing, pitch, level, panorama, portamento, both qualities.
#include "tests/engine/timbre_fixture.h"

#include <cmath>
#include <vector>

namespace quorvix {
namespace {

using namespace quorvix::test;

using VoiceRenderTest = TimbreFixture;

TEST_F(VoiceRenderTest, NoteStartsAtItsOffset)
{
    const CBlock b = block(256, {midi(100, 0x90, 60, 100)});
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(b.left[static_cast<size_t>(i)], 0.0f) << "silence before sample 100, at " << i;
    EXPECT_NE(b.left[101], 0.0f) << "the note sounds from sample 100 on";
    EXPECT_EQ(timbre.voice(1).queue().front().type, command::Held);
    EXPECT_EQ(timbre.voice(1).queue().front().time, 156) << "age 0 at sample 100";
}

TEST_F(VoiceRenderTest, NoteOffStartsTheReleaseAtItsPosition)
{
    block(100, {midi(0, 0x90, 60, 100)});
    block(64, {midi(10, 0x80, 60, 0)}); // 10 samples before the note's grid point at 120
    const CVoiceCommand& state = timbre.voice(1).queue().front();
    EXPECT_EQ(state.type, command::NoteOff);
    EXPECT_EQ(state.time, 54) << "the released state's age counts from the note-off";
}

TEST_F(VoiceRenderTest, ReleaseEndsTheNoteAndFreesTheVoice)
{
    block(2048, {midi(0, 0x90, 60, 100)});
    block(256, {midi(0, 0x80, 60, 0)});
    // the default release lasts 0.25 beats of its 10 beats per second clock: 25 ms
    const CBlock tail = block(2048);
    EXPECT_EQ(tail.left[2000], 0.0f);
    block(64);
    EXPECT_TRUE(timbre.voice(1).idle());
    block(64, {});
    EXPECT_EQ(timbre.voice(1).key(), -1);
}

TEST_F(VoiceRenderTest, PitchBendSmoothsOverTwentySixUpdates)
{
    block(240, {midi(0, 0x90, 60, 100)});
    block(150, {midi(0, 0xE0, 127, 127)});
    const float target = std::exp2(2.0f / 12.0f);
    const CVoice& voice = timbre.voice(1);
    EXPECT_GT(voice.pitchFactor(), 1.0f);
    EXPECT_LT(voice.pitchFactor(), target - 1e-4f) << "not there after 25 updates";
    block(6);
    EXPECT_NEAR(voice.pitchFactor(), target, 1e-6f) << "there after 26 updates (156 samples)";
    EXPECT_NEAR(voice.oscillator(0).frequency(), 261.6256f * target, 0.01f);
}

TEST_F(VoiceRenderTest, PanControllerCentres)
{
    // The controller reaches every voice first, so the note takes the released-voice path (N later).
    block(256, {midi(0, 0xB0, 10, 64), midi(10, 0x90, 60, 100)});
    const CVoice& voice = timbre.voice(1);
    ASSERT_EQ(voice.queue().front().type, command::Held);
    const float centre = 1.0f - 4.896816730499268f * 0.0625f + 3.5872676372528076f * 0.00390625f;
    EXPECT_NEAR(voice.leftGain(), centre, 1e-6f);
    EXPECT_NEAR(voice.rightGain(), centre, 1e-6f);
    EXPECT_NEAR(centre, 0.708f, 0.001f);
    block(64, {midi(0, 0xB0, 10, 0)});
    block(2048);
    EXPECT_NEAR(voice.leftGain(), 1.0f, 1e-4f) << "full left after the ramp";
    EXPECT_NEAR(voice.rightGain(), 0.0f, 1e-4f);
}

TEST_F(VoiceRenderTest, OversamplingFollowsTheNoteFrequency)
{
    context.oscOversampling = 1; // "Frequency" mode with 4 octaves is the Init sound
    block(64, {midi(0, 0x90, 100, 100, 41)}); // 2700 Hz
    EXPECT_EQ(timbre.voice(1).oversamplingFactor(), 1);
    block(64, {midi(0, 0x90, 101, 100, 4)}); // 2800 Hz
    EXPECT_EQ(timbre.voice(2).oversamplingFactor(), 4);
    context.oscOversampling = 0;
    block(64, {midi(0, 0x90, 110, 100)});
    EXPECT_EQ(timbre.voice(3).oversamplingFactor(), 1) << "the plug-in switch off";
    context.oscOversampling = 2;
    block(64, {midi(0, 0x90, 40, 100)});
    EXPECT_EQ(timbre.voice(4).oversamplingFactor(), 4) << "on wherever the program allows it";
}

TEST_F(VoiceRenderTest, MonoPortaGlidesWithoutRestartingTheEnvelope)
{
    setParameterValue(timbre, 185, 0.0f); // MonoPorta
    block(4096, {midi(0, 0x90, 60, 100)});
    const CVoice& voice = timbre.voice(0);
    const float start = voice.oscillator(0).frequency();
    EXPECT_NEAR(start, 261.6256f, 0.01f);
    const float sustain = voice.amplitude();
    EXPECT_GT(sustain, 0.1f);
    block(4096, {midi(0, 0x90, 72, 100)}); // one beat of glide: 22050 samples at 120 BPM
    const float during = voice.oscillator(0).frequency();
    EXPECT_GT(during, start * 1.05f);
    EXPECT_LT(during, start * 1.5f) << "an octave up takes a beat";
    EXPECT_NEAR(voice.amplitude(), sustain, sustain * 0.05f) << "no new attack";
    for (int i = 0; i < 6; ++i)
        block(4096);
    EXPECT_NEAR(voice.oscillator(0).frequency(), 2.0f * start, 0.01f);
    block(4096, {midi(0, 0x80, 72, 0), midi(0, 0x80, 60, 0)});
    block(4096);
    block(64);
    block(256, {midi(0, 0x90, 67, 100)});
    EXPECT_EQ(timbre.voice(0).queue().front().type, command::Held) << "a fresh note after all keys are up";
    EXPECT_NEAR(timbre.voice(0).oscillator(0).frequency(), 391.9954f, 0.01f) << "no glide into a fresh note";
    EXPECT_EQ(timbre.noteCounter(), 2);
}

TEST_F(VoiceRenderTest, StopFadesAndTheVoiceIsIdleABlockLater)
{
    setParameterValue(timbre, 185, 1.5f / 17.0f); // one voice
    block(1024, {midi(0, 0x90, 60, 100)});
    const CBlock b = block(512, {midi(0, 0x90, 64, 100)}); // steals: Stop, then the new note N later
    EXPECT_NE(b.left[60], 0.0f) << "the old note fades out over N samples";
    EXPECT_EQ(timbre.voice(1).key(), 64);
    EXPECT_EQ(timbre.voice(1).queue().front().type, command::Held);
}

TEST_F(VoiceRenderTest, SystemResetEndsARunningNote)
{
    block(1024, {midi(0, 0x90, 60, 100)});
    block(256, {midi(0, 0xFF, 0, 0)});
    for (int i = 0; i < 8; ++i) {
        const CBlock b = block(1024);
        EXPECT_EQ(b.peak(), 0.0f) << "block " << i << ": the note does not come back";
    }
    EXPECT_TRUE(timbre.voice(1).idle());
}

TEST_F(VoiceRenderTest, HighQualityRendersAndFallsSilent)
{
    setParameterValue(timbre, 1011, 1.0f);
    ASSERT_EQ(timbre.quality(), 4);
    const CBlock note = block(512, {midi(100, 0x90, 69, 100)});
    EXPECT_EQ(note.left[99], 0.0f);
    EXPECT_GT(note.peak(), 0.01f);
    block(2048, {midi(0, 0x80, 69, 0)});
    for (int i = 0; i < 40; ++i)
        block(1024);
    std::vector<float> left(256, 0.125f), right(256, -0.5f);
    timbre.render(left.data(), right.data(), 256);
    for (size_t i = 0; i < left.size(); ++i) {
        ASSERT_EQ(left[i], 0.125f) << "an idle High timbre leaves the outputs untouched";
        ASSERT_EQ(right[i], -0.5f);
    }
}

TEST_F(VoiceRenderTest, SineHasTheKeysFrequency)
{
    useSine();
    const CBlock b = block(8192, {midi(0, 0x90, 69, 127)});
    int crossings = 0;
    for (size_t i = 4097; i < 8192; ++i)
        if (b.left[i - 1] < 0.0f && b.left[i] >= 0.0f)
            ++crossings;
    EXPECT_NEAR(crossings, 4095.0 * 440.0 / kRate, 1.0);
}

TEST_F(VoiceRenderTest, ClocksRestartAtProgramChangeAndFirstKey)
{
    block(1000);
    EXPECT_NEAR(timbre.songPosition(0).beatsSinceProgram, 1000 * 2.0 / kRate, 1e-9);
    EXPECT_NEAR(timbre.songPosition(0).secondsSinceFirstKey, 1000 / kRate, 1e-9);
    block(500, {midi(100, 0xC0, 5), midi(300, 0x90, 60, 100)});
    EXPECT_EQ(timbre.programNumber(), 5);
    // the change lies N samples after its Stop, which is held at the block start: at 138
    const int change = 138;
    EXPECT_NEAR(timbre.songPosition(0).beatsSinceProgram, (500 - change) * 2.0 / kRate, 1e-9);
    EXPECT_NEAR(timbre.songPosition(0).secondsSinceProgram, (500 - change) / kRate, 1e-9);
    EXPECT_NEAR(timbre.songPosition(0).secondsSinceFirstKey, (500 - 300) / kRate, 1e-9) << "FirstKey with its note at 300";
    EXPECT_NEAR(timbre.songPosition(50).beatsSinceFirstKey, (500 - 300 + 50) * 2.0 / kRate, 1e-9);
}

TEST_F(VoiceRenderTest, FilterParametersAndKeyTracking)
{
    setParameterValue(timbre, 113, 60.5f / 128.0f); // KeybMid 60
    setParameterValue(timbre, 114, 0.5f);            // one octave per octave
    setParameterValue(timbre, 108, std::log2(1000.0f / 200.0f) / 4.75f);
    setParameterValue(timbre, 110, 0.0f);            // resonance follows the cutoff
    setParameterValue(timbre, 112, 1.0f);
    setParameterValue(timbre, 105, 2.0f / 9.0f + 0.01f);
    block(64, {midi(0, 0x90, 72, 100)});
    const CVoice& voice = timbre.voice(1);
    EXPECT_NEAR(voice.cutoffInUse(), 2000.0f, 0.05f) << "key 72 doubles the cutoff";
    EXPECT_NEAR(voice.filter().stageA().frequency(), 2000.0, 0.05);
    EXPECT_NEAR(voice.resonator().frequency(), 2000.0, 0.05);
    EXPECT_DOUBLE_EQ(voice.resonator().quality(), 17.0);
    EXPECT_EQ(voice.filter().stageA().designNumber(), design::ButterworthLow);
    EXPECT_EQ(voice.filter().stageB().designNumber(), design::ButterworthLow);
    setParameterValue(timbre, 112, 0.0f);
    EXPECT_DOUBLE_EQ(voice.resonator().quality(), 1.0);
    setParameterValue(timbre, 108, std::log2(1500.0f / 200.0f) / 4.75f);
    EXPECT_NEAR(voice.filter().stageA().frequency(), 3000.0, 0.1) << "a new cutoff keeps the note's key tracking";
    setParameterValue(timbre, 106, 1.0f);
    EXPECT_EQ(voice.filter().stageA().sections(), 8);
}

TEST_F(VoiceRenderTest, ResonatorLeftOutAtWeightZeroReturnsWhenItRises)
{
    setParameterValue(timbre, 109, 0.0f); // resonator weight 0: the voice leaves it out
    const CBlock dry = block(4096, {midi(0, 0x90, 60, 100)});
    setParameterValue(timbre, 109, 1.0f); // resonator only: the dry signal has weight 0 now
    block(512);
    const CBlock resonated = block(4096);
    EXPECT_GT(dry.peak(), 0.01f);
    EXPECT_GT(resonated.peak(), 0.1f * dry.peak()) << "the resonator runs again";
    for (float v : resonated.left)
        ASSERT_TRUE(std::isfinite(v));
}

TEST_F(VoiceRenderTest, ShaperBeforeOrAfterTheFilter)
{
    useSine();
    setParameterValue(timbre, 97, 4.5f / 25.0f); // "Rect" with parameter 0: a square from the sine
    setParameterValue(timbre, 100, 0.625f);      // gain 1
    const CBlock pre = block(4096, {midi(0, 0x90, 69, 127)});
    setParameterValue(timbre, 102, 1.0f);        // PostFilter
    setParameterValue(timbre, 105, 1.0f / 9.0f + 0.01f); // a Bessel low-pass before the shaper now
    const CBlock post = block(4096);
    // Either way the shaper squares the signal: the output takes few distinct levels.
    auto levels = [](const CBlock& b) {
        int flat = 0;
        for (size_t i = 2049; i < 4096; ++i)
            flat += std::fabs(b.left[i] - b.left[i - 1]) < 1e-4f ? 1 : 0;
        return flat;
    };
    EXPECT_GT(levels(pre), 1500);
    EXPECT_GT(levels(post), 1500);
}

TEST_F(VoiceRenderTest, ConstantPitchModulationAtNoteStart)
{
    CModSection& section = timbre.voice(0).oscillatorSection();
    section.setSource1(0, source::Velocity);
    section.setDestination(0, 14); // "Pitch (123)"
    section.setAmount(0, 126.0f / 127.0f); // 12 semitones
    timbre.copyModulesToVoices();
    block(256, {midi(0, 0x90, 69, 127)});
    const CVoice& voice = timbre.voice(1);
    EXPECT_NEAR(voice.oscillator(0).frequency(), 880.0f, 0.01f) << "an octave up for full velocity";
    EXPECT_FALSE(voice.oscillatorSection().varying(0));
    block(256, {midi(0, 0xE0, 127, 127)});
    block(256);
    EXPECT_NEAR(voice.oscillator(0).frequency(), 880.0f * std::exp2(2.0f / 12.0f), 0.05f)
        << "the bend still reaches the modulated oscillator";
}

TEST_F(VoiceRenderTest, ModulationOscillatorVibrato)
{
    useSine();
    CVoice& mono = timbre.voice(0);
    mono.setModWave(0, 16);
    mono.setModSync(0, 8); // 120 BPM
    mono.setModSpeed(0, 0.25f);            // a quarter beat: 8 Hz
    CModSection& section = mono.oscillatorSection();
    section.setSource1(0, source::ModOsc1);
    section.setDestination(0, 14);
    section.setAmount(0, 22.0f / 127.0f); // one semitone
    timbre.copyModulesToVoices();
    block(64, {midi(0, 0x90, 69, 127)});
    const CVoice& voice = timbre.voice(1);
    ASSERT_TRUE(voice.oscillatorSection().varying(0));
    float low = 1e9f, high = 0.0f;
    for (int i = 0; i < 700; ++i) {
        block(64);
        low = std::min(low, voice.oscillator(0).frequency());
        high = std::max(high, voice.oscillator(0).frequency());
    }
    EXPECT_NEAR(high, 440.0f * std::exp2(1.0f / 12.0f), 0.3f);
    EXPECT_NEAR(low, 440.0f * std::exp2(-1.0f / 12.0f), 0.3f);
}

TEST_F(VoiceRenderTest, FilterSectionMovesThePanorama)
{
    CModSection& section = timbre.voice(0).filterSection();
    section.setSource1(0, source::One);
    section.setDestination(0, 13); // "Panorama"
    section.setAmount(0, 1.0f);
    timbre.copyModulesToVoices();
    block(2048, {midi(0, 0x90, 60, 100)});
    const CVoice& voice = timbre.voice(1);
    EXPECT_NEAR(voice.rightGain(), 1.0f, 1e-5f) << "centre plus 0.5 x 1: full right";
    EXPECT_NEAR(voice.leftGain(), 0.0f, 1e-5f);
    setParameterValue(timbre, 162, 0.0f);
    block(2048);
    EXPECT_NEAR(voice.rightGain(), 1.0f, 1e-5f) << "a modulated pan keeps its modulated value";
}

TEST(CombinationOperators, Formulas)
{
    struct {
        int op;
        float a, b, w;
        bool stageB;
        float result;
    } cases[] = {
        {op::Mix, 0.5f, 0.4f, 0.0f, false, 0.5f},         {op::Mix, 0.5f, 0.4f, 0.5f, false, 0.7f},
        {op::SqrMix, -0.5f, 0.5f, 1.0f, false, -0.25f},   {op::SqrMix, -0.5f, 0.5f, 1.0f, true, -0.75f},
        {op::Ring, 0.5f, 0.4f, 1.0f, false, 0.2f},        {op::Ring, 0.5f, 0.4f, 0.0f, false, 0.5f},
        {op::Ring2, 0.5f, 1.0f, 1.0f, false, 0.5f},       {op::Diff, 0.5f, -0.5f, 1.0f, false, -1.0f},
        {op::Diff, 0.5f, 0.25f, 1.0f, false, -0.25f},     {op::Min, 0.8f, -0.3f, 1.0f, false, 0.3f / 1.001f},
        {op::Max, 0.2f, -0.6f, 1.0f, false, 0.6f},        {op::Reflection, 0.8f, 0.5f, 1.0f, false, 0.2f},
        {op::Reflection, 0.3f, 0.5f, 1.0f, false, 0.3f},  {op::Reflection, -0.8f, 0.5f, 1.0f, false, 1.8f},
        {op::Reflection2, 0.8f, -0.5f, 1.0f, false, 0.2f}, {op::Reflection2, -0.8f, 0.5f, 1.0f, false, -0.2f},
        {op::Reflection2, -0.3f, 0.5f, 1.0f, false, -0.3f}, {op::BitDepth, 0.3f, 1.0f, 1.0f, false, 0.0f},
        {op::BitDepth, 0.7f, 1.0f, 1.0f, false, 0.500015f}, {op::BitDepth2, 0.3f, 0.5f, 1.0f, false, 0.2500153f},
        {op::Complex, 1.0f, 1.0f, 1.0f, false, 0.25f},    {op::Complex, 0.0f, -1.0f, 1.0f, false, -0.5f},
        {op::ComplexSoft, 0.0f, 0.5f, 1.0f, false, 0.999998f},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(CCombinationStage::formula(c.op, c.a, c.b, c.w, c.stageB), c.result, 1e-5f)
            << "operator " << c.op << " a " << c.a << " b " << c.b << " w " << c.w;
    const float step = CCombinationStage::formula(op::BitDepth, 0.123456f, -1.0f, 1.0f, false);
    EXPECT_NEAR(std::fmod(step, 1.52587890625e-05f), 0.0f, 1e-9f) << "w b = -1 quantizes with 2^-16";
}

} // namespace
} // namespace quorvix
