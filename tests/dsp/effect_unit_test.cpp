// Effect units driven directly: echo positions and heights, damping, the modulated delays,
// the booster, tempo synchronisation and storage that may not grow.
#include "dsp/effect_unit.h"
#include "dsp/mod_delay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <utility>
#include <vector>

namespace quorvix {
namespace {

constexpr float kGainHalf = 0.5f / 0.98f; // normalized value of an engine gain of 0.5
constexpr int kOddBlock = 333;            // echoes cross block boundaries

float typeValue(int type) { return (static_cast<float>(type) + 0.5f) / 22.0f; }
float msValue(int ms) { return static_cast<float>(ms) / 500.0f; }

struct CStereo {
    std::vector<float> left, right;
    explicit CStereo(int frames) : left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames)) {}
};

// A unit at 44100 Hz with damping 0, gains 0.5 and mix 1 unless a case says otherwise.
CEffectUnit makeUnit(int type, std::initializer_list<std::pair<int, float>> values = {})
{
    CEffectUnit unit;
    unit.setSampleRate(44100.0f, true);
    unit.setParameter(slot::Depth1, 0.0f, true);
    unit.setParameter(slot::Depth2, 0.0f, true);
    unit.setParameter(slot::Time1, msValue(100), true);
    for (const auto& [s, v] : values)
        unit.setParameter(s, v, true);
    unit.setParameter(slot::Type, typeValue(type), true);
    return unit;
}

// Runs the buffers through the unit in place, in odd blocks.
void run(CEffectUnit& unit, CStereo& signal)
{
    const int frames = static_cast<int>(signal.left.size());
    for (int done = 0; done < frames; done += kOddBlock)
        unit.processInPlace(signal.left.data() + done, signal.right.data() + done, std::min(kOddBlock, frames - done));
}

CStereo impulse(int frames, bool left = true, bool right = true)
{
    CStereo s(frames);
    s.left[0] = left ? 1.0f : 0.0f;
    s.right[0] = right ? 1.0f : 0.0f;
    return s;
}

// Every sample but the listed ones is 0.
void expectOnly(const std::vector<float>& y, std::initializer_list<std::pair<int, float>> expected, const char* what)
{
    std::vector<float> rest = y;
    for (const auto& [i, height] : expected) {
        EXPECT_NEAR(y[static_cast<size_t>(i)], height, 1e-6f) << what << " at " << i;
        rest[static_cast<size_t>(i)] = 0.0f;
    }
    for (size_t i = 0; i < rest.size(); ++i)
        ASSERT_EQ(rest[i], 0.0f) << what << ": nothing at " << i;
}

TEST(EffectUnit, DelayEchoesHalveEveryHundredMilliseconds)
{
    CEffectUnit unit = makeUnit(effect::Delay);
    CStereo s = impulse(14000);
    run(unit, s);
    expectOnly(s.left, {{0, 1.0f}, {4410, 0.5f}, {8820, 0.25f}, {13230, 0.125f}}, "left");
    EXPECT_EQ(unit.line(1).length(), 6615) << "the right line keeps the Init time of 150 ms";
}

TEST(EffectUnit, OneShotDelayEchoesOnce)
{
    CEffectUnit unit = makeUnit(effect::OneShotDelay, {{slot::Mix, 0.5f}});
    CStereo s = impulse(14000);
    run(unit, s);
    expectOnly(s.left, {{0, 1.0f}, {4410, 0.25f}}, "left: mix 0.5 times gain 0.5");
}

TEST(EffectUnit, XDelayAlternatesBetweenTheLines)
{
    CEffectUnit unit = makeUnit(effect::XDelay, {{slot::Gain2, 0.25f / 0.98f}});
    CStereo s = impulse(30000, true, false);
    run(unit, s);
    const int nL = 4410, nR = 6615;
    expectOnly(s.right,
               {{nR, 0.25f}, {2 * nR + nL, 0.25f * 0.25f * 0.5f}, {3 * nR + 2 * nL, 0.25f * 0.25f * 0.25f * 0.5f * 0.5f}},
               "right");
    expectOnly(s.left, {{0, 1.0f}, {nR + nL, 0.25f * 0.5f}, {2 * nR + 2 * nL, 0.25f * 0.25f * 0.5f * 0.5f}}, "left");
}

TEST(EffectUnit, TimeZeroGivesATwoSampleLine)
{
    CEffectUnit unit = makeUnit(effect::Delay, {{slot::Time1, 0.0f}});
    EXPECT_EQ(unit.line(0).length(), 2);
    CStereo s = impulse(8);
    run(unit, s);
    expectOnly(s.left, {{0, 1.0f}, {2, 0.5f}, {4, 0.25f}, {6, 0.125f}}, "left");
}

TEST(EffectUnit, HiDampSmearsEchoesOnlyWhereItActs)
{
    // Types 1 to 6 damp once per trip: a damped echo is spread out and lower.
    CEffectUnit damped = makeUnit(effect::Delay, {{slot::Depth1, 1.0f}});
    CStereo s = impulse(9000);
    run(damped, s);
    EXPECT_LT(std::fabs(s.left[4410]), 0.1f);
    EXPECT_NE(s.left[4420], 0.0f);

    // Multi-Delay filters every sample, so even damping 0 is a 16 kHz lowpass.
    CEffectUnit multi = makeUnit(effect::MultiDelay);
    CStereo m = impulse(4500);
    run(multi, m);
    const int firstTap = 4410 - static_cast<int>(4410 * 0.6560603575528948); // 1517 samples
    const size_t tap = static_cast<size_t>(firstTap);
    EXPECT_GT(m.left[tap], 0.0f);
    EXPECT_LT(m.left[tap], 0.45f * 0.5f * 0.48f) << "the stored impulse went through the filter";
    EXPECT_NE(m.left[tap + 1], 0.0f);

    // In the Diff. delays the right line is never damped.
    for (int type : {effect::DiffDelay, effect::PanDiffDelay}) {
        CEffectUnit off = makeUnit(type);
        CEffectUnit on = makeUnit(type, {{slot::Depth2, 1.0f}});
        CStereo a = impulse(20000), b = impulse(20000);
        run(off, a);
        run(on, b);
        EXPECT_EQ(a.right, b.right) << "type " << type;
        EXPECT_EQ(a.left, b.left) << "type " << type;
    }
}

TEST(EffectUnit, MixNearOneComputesAsOne)
{
    for (int type : {effect::Delay, effect::Chorus, effect::Flanger}) {
        CEffectUnit full = makeUnit(type, {{slot::Mix, 1.0f}});
        CEffectUnit near = makeUnit(type, {{slot::Mix, 0.995f}});
        CStereo a = impulse(10000), b = impulse(10000);
        run(full, a);
        run(near, b);
        EXPECT_EQ(a.left, b.left) << "type " << type;
        EXPECT_EQ(a.right, b.right) << "type " << type;
    }
}

TEST(EffectUnit, FlangerAtFullMixOutputsTheInvertedClippedWet)
{
    CEffectUnit unit = makeUnit(effect::Flanger, {{slot::Gain1, 0.0f}, {slot::Gain2, 0.0f}, {slot::Time1, msValue(5)}});
    CStereo s(4000);
    std::fill(s.left.begin(), s.left.end(), 3.0f);
    std::fill(s.right.begin(), s.right.end(), 3.0f);
    run(unit, s);
    EXPECT_EQ(s.left[0], 0.0f) << "no dry signal at mix 1";
    EXPECT_EQ(s.left.back(), -1.0f);
    EXPECT_EQ(s.right.back(), -1.0f);
}

TEST(EffectUnit, SpreadMovesOnlyBeyondTheHeldThreshold)
{
    CEffectUnit unit = makeUnit(effect::Chorus, {{slot::Time2, msValue(50)}});
    CStereo s(1234);
    run(unit, s);
    const int left = unit.modDelay(0).counter(), right = unit.modDelay(1).counter();
    ASSERT_NE(left, 0);

    unit.setParameter(slot::Spread, 0.505f, true);
    EXPECT_EQ(unit.modDelay(0).counter(), left) << "a change of 0.005 is ignored";
    EXPECT_EQ(unit.modDelay(1).counter(), right);
    EXPECT_FLOAT_EQ(unit.spread(), 0.5f);

    unit.setParameter(slot::Spread, 0.52f, true);
    const float period = 44100.0f / (1000.0f / 200.0f); // four times 50 ms
    EXPECT_EQ(unit.modDelay(0).counter(), 0) << "the left counter restarts";
    EXPECT_EQ(unit.modDelay(1).counter(), static_cast<int>(std::floor(period * 0.52f + 0.5f)));
}

TEST(EffectUnit, FreqBoostAtUnityAmountsDoublesDc)
{
    const float unity = 24.0f / 35.0f;
    CEffectUnit unit = makeUnit(effect::FreqBoost, {{slot::Time2, unity}, {slot::Depth2, unity}, {slot::Gain2, unity}});
    ASSERT_TRUE(unit.active());
    CStereo s(20000);
    std::fill(s.left.begin(), s.left.end(), 0.25f);
    std::fill(s.right.begin(), s.right.end(), 0.25f);
    run(unit, s);
    EXPECT_NEAR(s.left.back(), 0.5f, 1e-4f);
    EXPECT_NEAR(s.right.back(), 0.5f, 1e-4f);

    // All bands at v = 0 and full volume: nothing to do, so the unit is not active.
    CEffectUnit idle = makeUnit(effect::FreqBoost, {{slot::Time2, 0.0f}, {slot::Depth2, 0.0f}, {slot::Gain2, 0.0f}});
    EXPECT_FALSE(idle.active());
}

TEST(EffectUnit, SynchronisedDelayFollowsTheTempo)
{
    CEffectUnit unit;
    unit.setSamplesPerBeat(22050.0f); // 120 BPM
    unit.setSampleRate(44100.0f, true);
    unit.setParameter(slot::Time1, msValue(125), true);
    unit.setParameter(slot::Type, typeValue(effect::Delay + 11), true);
    EXPECT_EQ(unit.line(0).length(), 22050) << "time 125 is one beat";

    CStereo s = impulse(1000);
    run(unit, s);
    unit.setSamplesPerBeat(44100.0f); // 60 BPM
    unit.tempoChanged(true);
    EXPECT_EQ(unit.line(0).length(), 44100);
    CStereo after(50000);
    run(unit, after);
    expectOnly(after.left, {}, "the line was emptied");
}

TEST(EffectUnit, PlainTimesNeverWaitForStorage)
{
    // After a rate change and the preparation off the audio thread, automation on the audio thread
    // (no growing) reaches the longest plain time of each type.
    struct CCase {
        float rate;
        int type;
    };
    for (const CCase& c : {CCase {44100.0f, effect::Delay}, CCase {96000.0f, effect::Delay},
                           CCase {384000.0f, effect::MultiDelay}, CCase {192000.0f, effect::Chorus}}) {
        CEffectUnit unit = makeUnit(effect::None);
        unit.setSampleRate(c.rate, true);
        unit.prepareStorage();
        unit.setParameter(slot::Depth1, 1.0f, false);
        unit.setParameter(slot::Time1, 1.0f, false);
        unit.setParameter(slot::Time2, 1.0f, false);
        unit.setParameter(slot::Type, typeValue(c.type), false);
        EXPECT_FALSE(unit.storageShort()) << c.rate << " Hz, type " << c.type;
    }
    CEffectUnit delay = makeUnit(effect::Delay);
    delay.setParameter(slot::Time1, msValue(400), false);
    EXPECT_EQ(delay.line(0).length(), 17640) << "400 ms at 44.1 kHz";
}

TEST(EffectUnit, OnlyTheLinesOfTheTypeCount)
{
    // A synchronised delay at a slow tempo is short on the audio thread; a chorus is not held up by it.
    CEffectUnit unit = makeUnit(effect::None);
    unit.setSamplesPerBeat(66150.0f); // 40 BPM
    unit.setParameter(slot::Time1, 1.0f, false);
    unit.setParameter(slot::Type, typeValue(effect::Delay + 11), false);
    ASSERT_TRUE(unit.storageShort()) << "four beats at 40 BPM are 264600 cells";
    unit.setParameter(slot::Type, typeValue(effect::Chorus), false);
    EXPECT_FALSE(unit.storageShort());
}

TEST(EffectUnit, SynchronisedLinesGrowOffTheAudioThreadUpToTheSlowestTempo)
{
    CEffectUnit unit = makeUnit(effect::None);
    unit.setSamplesPerBeat(66150.0f); // 40 BPM
    unit.setParameter(slot::Time1, 1.0f, false);
    unit.setParameter(slot::Type, typeValue(effect::Delay + 11), false);
    ASSERT_TRUE(unit.storageShort());
    CStereo in = impulse(16), out(16);
    unit.processInto(in.left.data(), in.right.data(), out.left.data(), out.right.data(), 16);
    EXPECT_EQ(out.left[0], 1.0f) << "a short unit passes its input on dry";

    unit.prepareStorage();
    EXPECT_FALSE(unit.storageShort());
    EXPECT_FALSE(unit.takeAllocationFailure());
    EXPECT_EQ(unit.line(0).length(), 264600);

    // Below 30 BPM (here: no host tempo) the line keeps the length four beats have at 30 BPM.
    unit.setSamplesPerBeat(441000000.0f);
    unit.tempoChanged(true);
    EXPECT_EQ(unit.line(0).length(), 352800);
}

// The slowest sweep (and a NaN rate) at the highest sample rate keeps its counter in range: the
// sanitizer pass catches an out-of-range conversion here.
TEST(ModDelay, TheSlowestSweepStaysInRange)
{
    for (const float hz : {0.0f, 0.00001f, std::numeric_limits<float>::quiet_NaN()}) {
        CModDelay delay;
        delay.setSampleRate(768000.0f, true);
        delay.setTime(5.0f, effect::Chorus, true);
        delay.setDepth(2.0f, effect::Chorus, true);
        delay.setRate(hz);
        delay.retuneRate(hz);
        float out = 0.0f;
        for (int i = 0; i < 1000; ++i)
            out = delay.chorus(i % 100 == 0 ? 1.0f : 0.0f, 0.5f);
        EXPECT_TRUE(std::isfinite(out)) << hz;
    }
}


} // namespace
} // namespace quorvix
