#include "dsp/loop_envelope.h"
#include "dsp/runtime_rand.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace quorvix {
namespace {

constexpr float kRate = 44100.0f;
constexpr int kUpdate = 24;
constexpr double kSecondsPerUpdate = kUpdate / 44100.0;

// Runs updates until the given time in seconds and returns the last value.
float holdUntil(CLoopEnvelope& env, double seconds, int& updates)
{
    float v = env.currentValue();
    while ((updates + 1) * kSecondsPerUpdate <= seconds) {
        v = env.advance();
        ++updates;
    }
    return v;
}

TEST(LoopEnvelope, DefaultAmplitudeTiming)
{
    CLoopEnvelope env(EEnvelopeKind::Amplitude);
    env.setSampleRate(kRate);
    ASSERT_FLOAT_EQ(env.clock().beatsPerSecond(), 10.0f);
    env.noteStart(kUpdate);
    EXPECT_FLOAT_EQ(env.startTime(1), 0.03f) << "the attack is raised to 3 ms";
    EXPECT_FLOAT_EQ(env.startTime(2), 0.5f) << "the next point keeps its time";
    EXPECT_EQ(env.endCell(), 8);
    EXPECT_NEAR(env.mainValue(1), 0.5f - 0.125f * (0.0625f - 0.03f) / 0.47f, 1e-6f);
    int updates = 0;
    EXPECT_NEAR(holdUntil(env, 0.004, updates), 0.3f, 0.05f) << "still rising after 4 ms (table cells are 1/16 beat)";
    EXPECT_GT(holdUntil(env, 0.0075, updates), 0.48f);
    EXPECT_NEAR(holdUntil(env, 0.0505, updates), 0.375f, 1e-6f) << "0.375 by 0.05 s";
    EXPECT_NEAR(holdUntil(env, 2.0, updates), 0.375f, 1e-6f) << "the sustain holds";

    env.noteOff();
    int releaseUpdates = 0;
    float v = 1.0f;
    while (env.releaseRunning() && releaseUpdates < 10000) {
        v = env.advanceRelease();
        ++releaseUpdates;
    }
    EXPECT_NEAR(releaseUpdates * kSecondsPerUpdate, 0.025, kSecondsPerUpdate) << "release to 0 in 0.025 s";
    EXPECT_NEAR(v, 0.0f, 0.01f);
}

TEST(LoopEnvelope, LoopRepeatsWhileHeld)
{
    CLoopEnvelope env;
    env.setSampleRate(kRate);
    env.clock().setKind(7); // one beat per second
    ASSERT_EQ(env.insertPoint(0.75f, 0.9f), 2);
    // points: 0 (0.5) 0.5 (0.5) 0.75 (0.9) 1.0 (0)
    env.setValue(1, 0.1f);
    env.setLoop(1, 3);
    ASSERT_TRUE(env.loopOn());
    EXPECT_EQ(env.loopStartCell(), 8);
    EXPECT_EQ(env.loopLengthCells(), 8);
    env.noteStart(441); // a hundredth of a beat per update
    std::vector<float> values;
    for (int i = 0; i < 300; ++i)
        values.push_back(env.advance());
    for (int i = 120; i < 240; ++i)
        EXPECT_NEAR(values[static_cast<size_t>(i + 50)], values[static_cast<size_t>(i)], 1e-5f) << "period 0.5 beats at " << i;
}

TEST(LoopEnvelope, BipolarHalfIsZero)
{
    CLoopEnvelope env;
    env.setSampleRate(kRate);
    env.setBipolar(true);
    env.setValue(2, 0.5f);
    env.noteStart(6);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(env.advance(), 0.0f);
    env.setConstant(0.5f);
    env.noteStart(6);
    EXPECT_TRUE(env.isConstant());
    EXPECT_NEAR(env.advance(), 0.0f, 1e-7f);
}

TEST(LoopEnvelope, ReleaseOffKeepsLoopingAndFades)
{
    CLoopEnvelope env;
    env.setSampleRate(kRate);
    env.clock().setKind(7);
    env.setValue(0, 0.0f);
    env.setValue(1, 1.0f);
    env.setLoop(0, 1);
    env.setRelease(false);
    env.noteStart(441);
    for (int i = 0; i < 75; ++i)
        env.advance();
    env.noteOff();
    float fade = env.releaseFade();
    EXPECT_NEAR(fade, 1.0f, 1e-6f);
    float low = 1.0f, high = 0.0f;
    for (int i = 0; i < 50; ++i) {
        const float v = env.advanceRelease();
        low = std::min(low, v);
        high = std::max(high, v);
        const float next = env.releaseFade();
        EXPECT_LE(next, fade) << "the fade only falls";
        fade = next;
    }
    EXPECT_LT(low, 0.1f) << "the loop runs on after note-off";
    EXPECT_GT(high, 0.9f);
    for (int i = 0; i < 100; ++i)
        env.advanceRelease();
    EXPECT_EQ(env.releaseFade(), 0.0f) << "the fade lasts the release part (0.5 beats)";
}

TEST(LoopEnvelope, CurvedWithoutMovedHandlesIsTheStraightLine)
{
    CLoopEnvelope env;
    env.setSampleRate(kRate);
    env.setValue(0, 0.0f);
    env.setValue(1, 1.0f);
    std::vector<float> straight;
    for (int m = 0; m <= env.endCell(); ++m)
        straight.push_back(env.mainValue(m));
    env.setCurved(0, true);
    ASSERT_TRUE(env.curved(0));
    for (int m = 0; m <= env.endCell(); ++m)
        EXPECT_NEAR(env.mainValue(m), straight[static_cast<size_t>(m)], 1e-5f) << m;
    env.setHandles(0, 0.4f, 0.0f, -0.01f, 0.0f);
    EXPECT_LT(env.mainValue(4), straight[4]) << "a flat start tangent bends the curve down";
    env.setHandles(0, 5.0f, 3.0f, -9.0f, -3.0f);
    EXPECT_FLOAT_EQ(env.startDx(0), 0.5f) << "handles are limited to the segment";
    EXPECT_FLOAT_EQ(env.startDy(0), 1.0f);
    EXPECT_FLOAT_EQ(env.endDx(0), -0.5f);
    EXPECT_FLOAT_EQ(env.endDy(0), -1.0f);
}

TEST(LoopEnvelope, InsertAndDeleteRefusals)
{
    CLoopEnvelope env(EEnvelopeKind::Amplitude);
    EXPECT_EQ(env.insertPoint(0.75f, 0.2f), -1) << "at the exact end time";
    EXPECT_EQ(env.insertPoint(0.0f, 0.2f), -1) << "at the start";
    EXPECT_EQ(env.insertPoint(0.25f, 0.6f), 2) << "inside segment 1";
    EXPECT_EQ(env.loopEnd(), 3) << "a point before the sustain moves it up";
    EXPECT_EQ(env.lastPoint(), 4);
    EXPECT_FLOAT_EQ(env.time(1), 0.22f) << "the split is measured from point 1's start at 3 ms";
    EXPECT_FLOAT_EQ(env.startTime(3), 0.5f) << "the following points keep their times";
    EXPECT_TRUE(env.deletePoint(2));
    EXPECT_EQ(env.loopEnd(), 2);
    EXPECT_FLOAT_EQ(env.time(1), 0.5f);

    CLoopEnvelope mod; // loopStart 0, loopEnd 1, lastPoint 2
    EXPECT_FALSE(mod.deletePoint(0)) << "the first point stays";
    EXPECT_FALSE(mod.deletePoint(1)) << "loopEnd 1 at or after the point, not above 1";
    EXPECT_FALSE(mod.deletePoint(2)) << "loopEnd 1 is not below lastPoint - 1";
    EXPECT_FALSE(mod.deletePoint(7));
    EXPECT_EQ(mod.lastPoint(), 2);
    for (int i = 0; i < 60; ++i)
        mod.insertPoint(mod.startTime(mod.lastPoint()) * 0.99f, 0.3f);
    EXPECT_EQ(mod.lastPoint(), 50) << "at most 51 points";
    mod.setLoop(3, 60);
    EXPECT_EQ(mod.loopEnd(), 1) << "a loop past the last point is refused";
}

TEST(LoopEnvelope, QuickFadeLength)
{
    CLoopEnvelope env(EEnvelopeKind::Amplitude);
    env.setSampleRate(44100.0f);
    EXPECT_EQ(env.quickFadeLength(), 138);
    env.setSampleRate(176400.0f);
    EXPECT_EQ(env.quickFadeLength(), 534);
    env.setSampleRate(44100.0f);
    EXPECT_FLOAT_EQ(env.quickFade(0), 1.0f);
    EXPECT_EQ(env.quickFade(138), 0.0f);
    EXPECT_LT(env.quickFade(137), 0.01f);
    EXPECT_TRUE(env.quickFadeRunning(137));
    EXPECT_FALSE(env.quickFadeRunning(138));
}

TEST(LoopEnvelope, LongEnvelopesAreCutAtTheTable)
{
    CLoopEnvelope env;
    env.setTime(0, 40.0f);
    env.setLoop(0, 1);
    EXPECT_EQ(env.endCell(), kLastEnvelopeCell);
    env.noteStart(6);
    for (int i = 0; i < 200000; ++i)
        ASSERT_TRUE(std::isfinite(env.advance()));
    env.noteOff();
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(std::isfinite(env.advanceRelease()));
}

TEST(LoopEnvelope, RandomShapesStayInBounds)
{
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        for (EEnvelopeKind kind : {EEnvelopeKind::Modulation, EEnvelopeKind::Amplitude}) {
            runtimeSrand(seed);
            CLoopEnvelope env(kind);
            env.randomize();
            SCOPED_TRACE(testing::Message() << "seed " << seed << (env.isAmplitude() ? " amplitude" : " modulation"));
            ASSERT_LE(env.lastPoint(), 20) << "at most 21 points";
            ASSERT_GE(env.lastPoint(), 1);
            EXPECT_EQ(env.bipolar(), !env.isAmplitude());
            for (int k = 0; k <= env.lastPoint(); ++k) {
                ASSERT_GE(env.value(k), 0.0f);
                ASSERT_LE(env.value(k), 1.0f);
                const float sixteenths = env.time(k) * 16.0f;
                ASSERT_EQ(sixteenths, std::floor(sixteenths)) << "time of point " << k;
                ASSERT_GE(env.time(k), 0.0f);
            }
            ASSERT_LE(env.loopStart(), env.loopEnd());
            ASSERT_LE(env.loopEnd(), env.lastPoint());
            if (env.isAmplitude()) {
                EXPECT_EQ(env.value(0), 0.0f);
                EXPECT_EQ(env.value(env.lastPoint()), 0.0f);
            }
        }
    }
}

TEST(LoopEnvelope, CopyKeepsItsOwnKind)
{
    runtimeSrand(77);
    CLoopEnvelope source;
    source.randomize();
    CLoopEnvelope copy(EEnvelopeKind::Amplitude);
    copy.copyFrom(source);
    EXPECT_TRUE(copy.isAmplitude());
    EXPECT_EQ(copy.lastPoint(), source.lastPoint());
    EXPECT_EQ(copy.clock().kind(), source.clock().kind());
    for (int k = 0; k <= source.lastPoint(); ++k)
        EXPECT_EQ(copy.value(k), source.value(k));
}

} // namespace
} // namespace quorvix
