#include "dsp/oscillator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace quorvix {
namespace {

constexpr float kRate = 44100.0f;

class OscillatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        osc.attach(&*tables, &line);
        osc.setSampleRate(kRate);
    }
    // Frequency at which the phase moves by unitsPerStep table units each step.
    void runAt(float unitsPerStep) { osc.setFrequency(unitsPerStep * kRate / osc.period()); }
    std::vector<float> steps(int n)
    {
        std::vector<float> out;
        for (int i = 0; i < n; ++i)
            out.push_back(osc.step());
        return out;
    }

    CWaveTableReference tables;
    CFeedbackLine line;
    COscillator osc;
};

TEST_F(OscillatorTest, SquareHasNoSlopeAtItsJumps)
{
    osc.setWaves(1, 0);
    runAt(0.5f);
    osc.resetPhase(0.0f);
    const std::vector<float> out = steps(8000);
    for (int i = 0; i < 4000; ++i)
        ASSERT_EQ(out[static_cast<size_t>(i)], 1.0f) << "step " << i;
    for (int i = 4000; i < 8000; ++i)
        ASSERT_EQ(out[static_cast<size_t>(i)], -1.0f) << "step " << i;
    EXPECT_EQ(osc.step(), 1.0f) << "the next cycle starts high again";
}

TEST_F(OscillatorTest, HalfPulsePlaysEachHalfInAQuarter)
{
    osc.setWaves(16, 0);
    osc.setPulse(0.5f);
    osc.modulatePulse(0.0f);
    ASSERT_FLOAT_EQ(osc.period(), 8000.0f);
    runAt(1.0f);
    osc.resetPhase(0.0f);
    const std::vector<float> out = steps(8000);
    EXPECT_NEAR(out[1000], 1.0f, 1e-6f) << "the peak of the first half sine at an eighth";
    for (int i : {2001, 3000, 3999})
        EXPECT_EQ(out[static_cast<size_t>(i)], 0.0f) << "silent rest of the first half at " << i;
    EXPECT_NEAR(out[5000], -1.0f, 1e-6f) << "the second half sine";
    for (int i : {6001, 7000, 7999})
        EXPECT_EQ(out[static_cast<size_t>(i)], 0.0f) << "silent rest of the second half at " << i;
}

TEST_F(OscillatorTest, SymmetryMovesTheMiddle)
{
    osc.setWaves(1, 0);
    osc.setSymmetry(0.01f);
    osc.modulateSymmetry(0.0f);
    const float frequency = kRate / 1000.0f; // 1000 steps per cycle
    osc.setFrequency(frequency);
    osc.resetPhase(0.0f);
    int high = 0;
    for (float v : steps(1000))
        high += v > 0.0f ? 1 : 0;
    EXPECT_NEAR(high, 995, 1) << "the first half lasts 1.99 / 2 of the period";
}

TEST_F(OscillatorTest, SecondWaveFillsTheSecondHalf)
{
    osc.setWaves(16, 1); // sine, then square
    runAt(1.0f);
    osc.resetPhase(0.0f);
    const std::vector<float> out = steps(4000);
    EXPECT_NEAR(out[1000], 1.0f, 1e-6f);
    EXPECT_EQ(out[3000], -1.0f);
    EXPECT_NEAR(osc.dcTerm(), tables->firstHalfMean(16) + tables->secondHalfMean(1), 1e-6f);
}

TEST_F(OscillatorTest, DetuneAndBeats)
{
    osc.setWaves(1, 0);
    osc.setFrequency(440.0f);
    EXPECT_FLOAT_EQ(osc.frequency(), 440.0f);
    osc.setCoarse(12);
    EXPECT_NEAR(osc.frequency(), 880.0f, 0.001f);
    osc.setCoarse(0);
    osc.setFine(0.4999f);
    EXPECT_NEAR(osc.frequency(), 440.0f * std::exp2(0.9998f / 12.0f), 0.01f) << "almost a semitone, no offset";
    osc.clock().setKind(7); // 60 BPM
    osc.setFine(0.5f);
    EXPECT_NEAR(osc.frequency(), 440.0f + 16.0f, 0.001f) << "16 beats per second at one beat per second";
    osc.setOversampling(4);
    EXPECT_NEAR(osc.frequency(), 110.0f + 4.0f, 0.001f) << "both divided by the oversampling factor";
    osc.setFine(1.0f);
    EXPECT_NEAR(osc.frequency(), 110.0f + 16.0f / (256.0f * 4.0f), 1e-4f) << "e = 256 at the top";
    osc.clock().setKind(11); // 10 BPS
    osc.beatRecompute();
    EXPECT_NEAR(osc.frequency(), 110.0f + 160.0f / 1024.0f, 1e-4f);
}

TEST_F(OscillatorTest, PhaseStartAndEffectiveClamps)
{
    osc.setWaves(16, 0);
    osc.setPhase(0.25f);
    osc.noteStart(0.0f, kRate / 4000.0f);
    EXPECT_FLOAT_EQ(osc.phase(), 1000.0f);
    EXPECT_NEAR(osc.currentValue(), 1.0f, 1e-6f) << "a quarter cycle in: the sine's peak";
    osc.resetPhase(100.0f);
    EXPECT_FLOAT_EQ(osc.phase(), 1100.0f) << "the offset in samples moves the phase";
    osc.setPulse(-3.0f);
    EXPECT_FLOAT_EQ(osc.pulse(), 0.01f);
    osc.setPulse(0.5f);
    osc.modulatePulse(0.0f);
    osc.modulatePulse(0.0005f);
    EXPECT_NEAR(osc.pulseEffective(), 0.5f, 1e-6f) << "a change under 0.001 is not taken";
    EXPECT_FLOAT_EQ(osc.period(), 8000.0f);
    osc.modulatePulse(0.01f);
    EXPECT_NEAR(osc.pulseEffective(), 0.51f, 1e-6f);
    EXPECT_NEAR(osc.period(), 4000.0f / 0.51f, 0.01f);
    osc.setSymmetry(0.5f);
    osc.modulateSymmetry(2.0f);
    EXPECT_NEAR(osc.symmetryEffective(), 1.0f, 1e-6f);
    osc.modulateSymmetry(-2.0f);
    EXPECT_NEAR(osc.symmetryEffective(), 0.01f, 1e-6f);
}

TEST_F(OscillatorTest, SilentAndFeedbackWaves)
{
    osc.setWaves(0, 0);
    runAt(1.0f);
    EXPECT_EQ(osc.step(), 0.0f);
    EXPECT_TRUE(osc.silent());
    osc.setWaves(60, 3);
    EXPECT_EQ(osc.wave1(), 0) << "ids above 53 are ignored";
    line.start(kRate / 10.0f, kRate);
    EXPECT_EQ(line.length(), 10);
    for (int i = 0; i < 10; ++i)
        line.write(0.1f * i);
    osc.setWaves(kFeedbackWave, 0);
    EXPECT_TRUE(osc.isFeedback());
    const float phase = osc.phase();
    EXPECT_FLOAT_EQ(osc.step(), 0.0f);
    line.advanceRead();
    EXPECT_NEAR(osc.step(), 0.4f, 1e-5f) << "the written value is 4 x (clamped to +-10)";
    EXPECT_EQ(osc.phase(), phase) << "the feedback wave does not move the phase";
}

TEST(FeedbackLine, LengthAndClamp)
{
    CFeedbackLine line;
    line.start(440.0f, 44100.0f);
    EXPECT_EQ(line.length(), 100);
    line.start(30000.0f, 44100.0f);
    EXPECT_EQ(line.length(), 6) << "at least 6 cells; the frequency is limited to half the rate";
    line.start(0.001f, 44100.0f);
    EXPECT_EQ(line.length(), kFeedbackLineLength) << "a very low note gets the whole line";
    line.start(4410.0f, 44100.0f);
    line.write(100.0f);
    line.write(1e-36f);
    EXPECT_EQ(line.read(), 40.0f);
    line.advanceRead();
    EXPECT_EQ(line.read(), 0.0f) << "denormal-sized values are flushed";
}

} // namespace
} // namespace quorvix
