// The effect units as the timbre runs them: activity, series order, silence before the first
// note, All Sound Off and the host tempo.
#include "tests/engine/timbre_fixture.h"

#include <memory>

namespace quorvix {
namespace {

using namespace quorvix::test;

constexpr int kEffect1 = 163;
constexpr int kEffect2 = 172;
constexpr int kTime1 = 1;
constexpr int kGain1 = 5;
constexpr int kMix = 8;
constexpr int kFrames = 4096;

float typeValue(int type) { return (static_cast<float>(type) + 0.5f) / 22.0f; }

void setEffect(CTimbre& t, int base, int type, float mix = 1.0f)
{
    setParameterValue(t, base, typeValue(type));
    setParameterValue(t, base + kMix, mix);
}

// A note held over blocks of 4096 samples.
std::vector<CBlock> play(CTimbreRig& rig, int blocks)
{
    rig.useSine();
    std::vector<CBlock> out;
    out.push_back(rig.block(kFrames, {midi(0, 0x90, 69, 100)}));
    for (int i = 1; i < blocks; ++i)
        out.push_back(rig.block(kFrames));
    return out;
}

using TimbreEffectsTest = TimbreFixture;

TEST_F(TimbreEffectsTest, FreshTimbresRenderTheSameNote)
{
    // The comparisons below rely on a second timbre giving the same dry signal.
    auto other = std::make_unique<CTimbreRig>();
    const std::vector<CBlock> a = play(*this, 3), b = play(*other, 3);
    for (size_t i = 0; i < a.size(); ++i)
        EXPECT_EQ(a[i].left, b[i].left);
}

TEST_F(TimbreEffectsTest, MixBelowOneHundredthIsSkipped)
{
    struct CCase {
        float mix;
        bool changes;
    };
    for (const CCase& c : {CCase {0.005f, false}, CCase {0.01f, true}}) {
        auto dry = std::make_unique<CTimbreRig>(), wet = std::make_unique<CTimbreRig>();
        setEffect(wet->timbre, kEffect1, effect::Delay, c.mix);
        ASSERT_EQ(wet->timbre.effect(0).active(), c.changes);
        const std::vector<CBlock> a = play(*dry, 3), b = play(*wet, 3);
        EXPECT_EQ(a[0].left, b[0].left) << "the first block ends before the first echo at 150 ms";
        EXPECT_EQ(a[2].left != b[2].left, c.changes) << "mix " << c.mix;
    }
}

TEST_F(TimbreEffectsTest, BothUnitsRunInSeries)
{
    const std::vector<CBlock> input = play(*std::make_unique<CTimbreRig>(), 4);

    setEffect(timbre, kEffect1, effect::Delay);
    setEffect(timbre, kEffect2, effect::Flanger, 0.5f);
    setParameterValue(timbre, kEffect2 + kGain1, 0.3f);
    const std::vector<CBlock> output = play(*this, 4);

    // The same units by hand: effect 1 in place, effect 2 on its result.
    CEffectUnit first = timbre.effect(0), second = timbre.effect(1);
    first.clear(true);
    second.clear(true);
    for (size_t b = 0; b < input.size(); ++b) {
        CBlock x = input[b];
        CBlock y {std::vector<float>(kFrames), std::vector<float>(kFrames)};
        first.processInPlace(x.left.data(), x.right.data(), kFrames);
        second.processInto(x.left.data(), x.right.data(), y.left.data(), y.right.data(), kFrames);
        EXPECT_EQ(output[b].left, y.left) << "block " << b;
        EXPECT_EQ(output[b].right, y.right) << "block " << b;
    }
}

TEST_F(TimbreEffectsTest, NoOutputBeforeTheFirstNote)
{
    setEffect(timbre, kEffect1, effect::Delay);
    setParameterValue(timbre, kEffect1 + kGain1, 1.0f);
    play(*this, 2);
    ASSERT_GT(block(kFrames).peak(), 0.0f);

    // A program change from the editor resets the note counter: the tail is not heard.
    timbre.changeProgram(0);
    EXPECT_EQ(block(kFrames).peak(), 0.0f);
    EXPECT_GT(play(*this, 1)[0].peak(), 0.0f) << "the next note sounds again";
}

TEST_F(TimbreEffectsTest, AllSoundOffEmptiesTheTail)
{
    setEffect(timbre, kEffect1, effect::Delay);
    setParameterValue(timbre, kEffect1 + kGain1, 1.0f);
    play(*this, 2);
    block(kFrames, {midi(0, 0x80, 69, 0)});
    ASSERT_GT(block(kFrames).peak(), 0.0f) << "the echoes go on after the release";

    // The message resets the note counter, so the effects are not heard in its own block either.
    EXPECT_EQ(block(kFrames, {midi(0, 0xB0, 120, 0)}).peak(), 0.0f);
    for (int c = 0; c < 2; ++c) {
        const CDelayLine& line = timbre.effect(0).line(c);
        for (int i = 0; i < line.length(); ++i)
            ASSERT_EQ(line.tap(i), 0.0f) << "line " << c << " cell " << i;
    }
}

TEST_F(TimbreEffectsTest, SynchronisedTimesFollowTheHostTempo)
{
    setParameterValue(timbre, kEffect1 + kTime1, 0.25f); // 125: one beat
    setEffect(timbre, kEffect1, effect::Delay + 11);
    EXPECT_EQ(timbre.effect(0).line(0).length(), 22050);
    play(*this, 1);
    setTempo(1.0f); // 60 BPM
    block(kFrames);
    EXPECT_EQ(timbre.effect(0).line(0).length(), 44100);
}

TEST_F(TimbreEffectsTest, HighQualityFeedsTheEffectsAtTheHostRate)
{
    auto plain = std::make_unique<CTimbreRig>();
    plain->timbre.setQuality(4);
    timbre.setQuality(4);
    setEffect(timbre, kEffect1, effect::Delay);
    const std::vector<CBlock> a = play(*plain, 3), b = play(*this, 3);
    EXPECT_EQ(a[0].left[100], b[0].left[100]) << "the dry part is the decimated voice signal";
    EXPECT_NE(a[2].left, b[2].left);
    EXPECT_EQ(timbre.effect(0).line(0).length(), 6615) << "150 ms at the host rate";
}

} // namespace
} // namespace quorvix
