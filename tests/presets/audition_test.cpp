#include "presets/audition.h"

#include "dsp/loop_envelope.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace quorvix {
namespace {

// A sine with an envelope at a gentle level, so that nothing clips.
CSound sine()
{
    CSound s = initSound();
    s.oscillators[0].wave1 = 16;
    s.level.mainVolume = 0.5f;
    return s;
}

// The measurement holds the envelope at its largest level: the shape of the envelope does not
// matter, the main volume does.
TEST(Audition, LoudnessFollowsTheVolumeNotTheEnvelopeShape)
{
    CAudition audition;
    const CSound plain = sine();
    const std::array<CLoudness, 2> a = measureLoudness(audition.timbre(), plain);
    EXPECT_GT(a[0].loudness, 0.01) << "the \"Init\" envelope's level 0.5 is measured, not silenced";
    EXPECT_GE(a[0].peak, a[0].loudness);

    CSound decaying = plain;
    CLoopEnvelope envelope(EEnvelopeKind::Amplitude);
    envelope.assign(decaying.amplitudeEnvelope);
    envelope.setValue(2, 0.05f);
    decaying.amplitudeEnvelope = envelope.storedShape();
    const std::array<CLoudness, 2> b = measureLoudness(audition.timbre(), decaying);
    EXPECT_NEAR(b[0].loudness, a[0].loudness, 1e-6);
    EXPECT_NEAR(b[1].loudness, a[1].loudness, 1e-6);

    CSound louder = plain;
    louder.level.mainVolume = 1.0f;
    const std::array<CLoudness, 2> c = measureLoudness(audition.timbre(), louder);
    EXPECT_NEAR(20.0 * std::log10(c[0].loudness / a[0].loudness), 6.02, 0.05);
}

TEST(Audition, PlaysNotesAndFallsIdle)
{
    auto audition = std::make_unique<CAudition>();
    audition->load(sine());
    EXPECT_TRUE(audition->idle());
    std::vector<float> left(4410), right(4410);
    audition->noteOn(60, 100, 100);
    audition->render(left.data(), right.data(), 4410);
    EXPECT_FALSE(audition->idle());
    EXPECT_EQ(left[50], 0.0f) << "the note starts at its offset";
    EXPECT_GT(*std::max_element(left.begin(), left.end()), 0.001f);
    audition->noteOff(60);
    for (int i = 0; i < 20 && !audition->idle(); ++i)
        audition->render(left.data(), right.data(), 4410);
    EXPECT_TRUE(audition->idle());
}

} // namespace
} // namespace quorvix
