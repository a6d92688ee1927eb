#include "dsp/mod_oscillator.h"
#include "dsp/mod_section.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quorvix {
namespace {

constexpr float kRate = 44100.0f;

class ModSectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (CModOscillator& o : osc) {
            o.attach(&*tables);
            o.setSampleRate(kRate);
        }
        section.attach(&osc[0], &osc[1], &env[0], &env[1]);
    }
    CWaveTableReference tables;
    std::array<CModOscillator, 2> osc;
    std::array<CLoopEnvelope, 2> env;
    CModSection section {ESectionKind::Oscillator};
};

TEST_F(ModSectionTest, ConstantRoutingIsNotVarying)
{
    section.setSource1(0, source::Velocity);
    section.setDestination(0, 14); // "Pitch (123)"
    section.setAmount(0, 126.0f / 127.0f);
    EXPECT_NEAR(section.combiner(0).amount, 12.0f, 1e-5f);
    section.noteStart(1.0f, 0.5f, 0);
    EXPECT_FLOAT_EQ(section.output(0), 12.0f);
    EXPECT_FALSE(section.varying(0)) << "velocity does not change during the note";
    EXPECT_EQ(section.effectiveDestination(0), 0);
    EXPECT_TRUE(section.modulates(osctarget::Pitch1 | osctarget::Pitch1 << 1 | osctarget::Pitch1 << 2));
}

TEST_F(ModSectionTest, ChainingActivatesTheCombinerItReads)
{
    section.setSource1(1, source::Comb1); // combiner 2 reads "+Comb 1"
    section.setDestination(1, 1);
    section.setSource1(0, source::One + 2); // combiner 1: "1/2", destination None
    EXPECT_TRUE(section.active(0));
    EXPECT_EQ(section.combinerCount(), 2);
    section.noteStart(0.0f, 0.0f, 0);
    EXPECT_FLOAT_EQ(section.sourceValue(source::Comb1), 0.5f);
    EXPECT_FLOAT_EQ(section.sourceValue(source::Comb1 + 1), -0.5f);
    EXPECT_FLOAT_EQ(section.output(1), 0.5f);
}

TEST_F(ModSectionTest, OperatorsAndValues)
{
    section.setSource1(0, source::ValueA + 1); // b = 0.25
    section.setOperator(0, combine::Add);
    section.setSource2(0, source::One + 1); // 2
    section.setDestination(0, 1);
    section.setSource1(1, source::Note);
    section.setOperator(1, combine::Multiply);
    section.setSource2(1, source::Velocity);
    section.setDestination(1, 2);
    section.setValue(3, 1.0f); // d = 2
    section.noteStart(0.5f, 0.25f, 0);
    EXPECT_FLOAT_EQ(section.output(0), 2.25f);
    EXPECT_FLOAT_EQ(section.output(1), 0.125f);
    EXPECT_FLOAT_EQ(section.value(3), 2.0f);

    // Stored values beyond what the value fields can hold are brought to their ends.
    section.assign({section.combinerSet().combiners, {1e30f, -3.4e38f, std::nanf(""), 1.5f}});
    EXPECT_EQ(section.combinerSet().values, (std::array<float, 4> {2.0f, -2.0f, 0.0f, 1.5f}));
}

TEST_F(ModSectionTest, FlipFlopsAndTripFlop)
{
    const float trip[3] = {0.0f, 0.25f, 0.5f};
    for (int count = 0; count < 6; ++count) {
        section.noteStart(0.0f, 0.0f, count);
        EXPECT_FLOAT_EQ(section.sourceValue(source::TripFlop), trip[count % 3]) << count;
        EXPECT_FLOAT_EQ(section.sourceValue(source::FlipFlop01), count % 2 ? 1.0f : 0.0f);
        EXPECT_FLOAT_EQ(section.sourceValue(source::FlipFlop01 + 1), count % 2 ? 1.0f : -1.0f);
        EXPECT_FLOAT_EQ(section.sourceValue(source::FlipFlop01 + 2), count % 2 ? 0.75f : 0.0f) << "0/d";
    }
    section.noteStart(0.0f, 1.0f, 0);
    EXPECT_FLOAT_EQ(section.sourceValue(7), -1.0f) << "\"(1-Note)^2\" is 1 - 2n";
    EXPECT_GE(section.sourceValue(source::Random01), 0.0f);
    EXPECT_LT(section.sourceValue(source::Random01), 1.0f);
}

TEST_F(ModSectionTest, ModWheelVariesForThirtySevenUpdates)
{
    section.setSource1(0, source::ModWheel);
    section.setDestination(0, 1);
    section.noteStart(0.0f, 0.0f, 0);
    EXPECT_FALSE(section.varying(0));
    section.setModWheel(1.0f);
    int varying = 0;
    for (int i = 0; i < 60; ++i) {
        if (section.varying(0))
            ++varying;
        section.update(false);
    }
    EXPECT_EQ(varying, 37);
    EXPECT_FLOAT_EQ(section.output(0), 1.0f) << "the wheel reached its target";
}

TEST_F(ModSectionTest, DestinationChangeKeepsTheKnob)
{
    section.setDestination(0, 8); // "Pitch (1)"
    section.setAmount(0, 1.0f);
    EXPECT_FLOAT_EQ(section.combiner(0).amount, 12.5f);
    section.setDestination(0, 1); // "Weight (1)"
    EXPECT_FLOAT_EQ(section.combiner(0).amount, 1.0f);
    section.setDestination(0, 29); // "ModOSC 1": beats
    EXPECT_FLOAT_EQ(section.combiner(0).amount, 8.0625f);
    CModSection filter(ESectionKind::Filter);
    filter.setDestination(0, 6); // "Filt.Freq"
    filter.setAmount(0, 1.0f);
    EXPECT_NEAR(filter.combiner(0).amount, (std::exp2(4.5f) - 1.0f) * 75.0f, 0.01f);
    filter.setDestination(0, 7); // "Filt.NFreq"
    EXPECT_NEAR(filter.combiner(0).amount, 36.0f, 1e-3f);
    for (int k = 0; k <= 127; ++k) {
        const float x = k / 127.0f;
        EXPECT_NEAR(amountToNormalized(ESectionKind::Oscillator, 8, amountFromNormalized(ESectionKind::Oscillator, 8, x)),
                    x, 1e-5f) << k;
    }
}

TEST_F(ModSectionTest, DestinationsAndTargets)
{
    EXPECT_EQ(destinationTargets(ESectionKind::Oscillator, 7), 7u) << "Weight (123)";
    EXPECT_EQ(destinationTargets(ESectionKind::Oscillator, 12), (5u << 3)) << "Pitch (13)";
    EXPECT_EQ(destinationTargets(ESectionKind::Oscillator, 20), (6u << 6)) << "Pulse (23)";
    EXPECT_EQ(destinationTargets(ESectionKind::Oscillator, 22), (1u << 9)) << "Symm. (1)";
    EXPECT_EQ(destinationTargets(ESectionKind::Oscillator, 30), 8192u);
    EXPECT_EQ(destinationTargets(ESectionKind::Filter, 4), 40u);
    EXPECT_STREQ(destinationName(ESectionKind::Filter, 13), "Panorama");
    EXPECT_STREQ(destinationName(ESectionKind::Oscillator, 31), "UNKNOWN");
    EXPECT_STREQ(sourceName(47), "TripFlop a/b/c");
    EXPECT_STREQ(combinerOperatorName(2), "x");
}

TEST(ModOscillator, SpeedAndTiming)
{
    CWaveTableReference tables;
    CModOscillator osc;
    osc.attach(&*tables);
    osc.setSampleRate(kRate);
    osc.setSyncKind(8); // 120 BPM
    osc.setWave(16);
    osc.noteStart({}, 6);
    const double perUpdate = 2.0 * 6.0 * 4000.0 / kRate;
    osc.step();
    EXPECT_NEAR(osc.position(), perUpdate, 1e-3) << "one cycle in 0.5 s";
    for (int i = 1; i < 3675; ++i)
        osc.step();
    EXPECT_NEAR(osc.position(), 0.0, 2.0) << "3675 updates of 6 samples: one cycle";
}

TEST(ModOscillator, HoldDelayOnceAndPhase)
{
    CWaveTableReference tables;
    CModOscillator osc;
    osc.attach(&*tables);
    osc.setSampleRate(kRate);
    osc.setSyncKind(8);
    osc.setWave(16);
    osc.setPhase(0.25f);
    osc.setDelayMode(delaymode::Hold);
    osc.setDelay(1.0f);
    osc.noteStart({}, 6);
    EXPECT_NEAR(osc.value(), 1.0f, 1e-5f) << "phase 0.25 of a sine is its peak";
    EXPECT_EQ(osc.delayCount(), 3675) << "one beat at 120 BPM in updates of 6 samples";
    for (int i = 0; i < 3675; ++i)
        ASSERT_NEAR(osc.step(), 1.0f, 1e-5f) << "held during the delay";
    osc.step();
    EXPECT_LT(osc.value(), 1.0f) << "then the wave runs from there";

    osc.setWave(5); // "Saw Up"
    osc.setPhase(0.0f);
    osc.setDelay(0.0f);
    osc.setDelayMode(delaymode::Delay);
    osc.setOnce(true);
    osc.noteStart({}, 6);
    for (int i = 0; i < 3700; ++i)
        osc.step();
    EXPECT_EQ(osc.value(), 0.0f) << "a one-shot saw ends at 0 and stays";
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(osc.step(), 0.0f);
}

TEST(ModOscillator, ContinueFollowsTheSong)
{
    CWaveTableReference tables;
    CModOscillator a, b;
    for (CModOscillator* o : {&a, &b}) {
        o->attach(&*tables);
        o->setSampleRate(kRate);
        o->setWave(16);
        o->setSyncKind(0); // "MIDI": host beats
        o->setSpeed(2.0f);
        o->setDelayMode(delaymode::Continue);
        o->setOnce(true); // "FirstKey"
    }
    CSongPosition first;
    first.beatsSinceFirstKey = 0.5;
    first.beatsSinceProgram = 9.0;
    a.noteStart(first, 6);
    EXPECT_NEAR(a.position(), 0.25 * 4000.0, 1e-6) << "half a beat into a two-beat cycle";
    CSongPosition later = first;
    later.beatsSinceFirstKey = 1.5;
    b.noteStart(later, 6);
    EXPECT_NEAR(b.position(), 0.75 * 4000.0, 1e-6) << "a later note of the phrase lands in the same cycle";
    b.setOnce(false); // "PresetAge"
    b.noteStart(later, 6);
    EXPECT_NEAR(b.position(), 0.5 * 4000.0, 1e-6) << "nine beats since the program change";
}

TEST(ModOscillator, TempoChangeStretchesTheDelay)
{
    CWaveTableReference tables;
    CModOscillator osc;
    osc.attach(&*tables);
    osc.setSampleRate(kRate);
    osc.setSyncKind(0);
    osc.clock().setHostTempo(2.0f);
    osc.setDelay(1.0f);
    osc.noteStart({}, 6);
    ASSERT_EQ(osc.delayCount(), 3675);
    for (int i = 0; i < 675; ++i)
        osc.step();
    osc.clock().setHostTempo(4.0f);
    osc.tempoChanged();
    EXPECT_EQ(osc.delayCount(), 1500) << "3000 updates left take half as many at twice the tempo";
}

} // namespace
} // namespace quorvix
