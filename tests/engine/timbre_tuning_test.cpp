// Tunings as the timbre uses them: start frequencies per source, the "TUN" bend, tuning
// messages with their replies and real-time retuning.
#include "tests/engine/timbre_fixture.h"

#include <memory>

namespace quorvix {
namespace {

using namespace quorvix::test;

constexpr int kPitchBendRange = 181;

struct CReplies {
    std::vector<std::vector<uint8_t>> dumps;
    static void collect(void* owner, const uint8_t* bytes, int size, int)
    {
        static_cast<CReplies*>(owner)->dumps.emplace_back(bytes, bytes + size);
    }
};

class TimbreTuningTest : public TimbreFixture {
protected:
    void SetUp() override
    {
        TimbreFixture::SetUp();
        useSine();
        context.sendSysex = &CReplies::collect;
        context.sysexOwner = &replies;
    }
    CMidiEvent sysex(const std::vector<uint8_t>& bytes)
    {
        CMidiEvent e;
        e.sysex = bytes.data();
        e.sysexSize = static_cast<int>(bytes.size());
        return e;
    }
    // Plays key 69 and returns the frequency of the voice that took it.
    float playedFrequency(int detune)
    {
        block(64, {midi(0, 0x90, 69, 100, static_cast<int8_t>(detune))});
        return heldVoice().oscillator(0).frequency();
    }
    const CVoice& heldVoice() const
    {
        for (int i = 1; i < kVoiceCount; ++i)
            if (timbre.voice(i).queue().front().type == command::Held)
                return timbre.voice(i);
        ADD_FAILURE() << "no held voice";
        return timbre.voice(1);
    }
    CReplies replies;
};

TEST_F(TimbreTuningTest, StartFrequencyPerSource)
{
    EXPECT_NEAR(playedFrequency(50), 440.0f * std::exp2(0.5f / 12.0f), 0.01f) << "the host detune in VST-Host";
    block(64, {midi(0, 0x80, 69, 0)});
    context.tuningSource = 1;
    timbre.mainTuning().setFrequency(69, 432.0);
    EXPECT_NEAR(playedFrequency(50), 432.0f, 0.01f) << "a tuning file ignores the host detune";
    block(64, {midi(0, 0x80, 69, 0)});
    context.tuningBase = 2.0f; // TuningBase v = 1
    EXPECT_NEAR(playedFrequency(0), 432.0f * std::exp2(2.0f / 12.0f), 0.01f);
}

TEST_F(TimbreTuningTest, TunBendWithEqualTuningsKeepsThePitch)
{
    setParameterValue(timbre, kPitchBendRange, 0.0f); // "TUN"
    EXPECT_FLOAT_EQ(timbre.tuningBendFactor(69, 1.0f), 1.0f);
    timbre.destinationTuning().setFrequency(69, 880.0);
    EXPECT_FLOAT_EQ(timbre.tuningBendFactor(69, 1.0f), 2.0f) << "a full bend reaches the destination";
    EXPECT_FLOAT_EQ(timbre.tuningBendFactor(69, -1.0f), 0.5f);
}

TEST_F(TimbreTuningTest, MessagesOnlyWithSysexSource)
{
    // Real-time single note change of key 69 to key 70's pitch, for the main tuning (id 0).
    const std::vector<uint8_t> change = {0xF0, 0x7F, 0x7F, 0x08, 0x02, kPoly, 1, 69, 70, 0, 0, 0xF7};
    const std::vector<uint8_t> request = {0xF0, 0x7E, 0x7F, 0x08, 0x00, kPoly, 0xF7};
    for (int source : {0, 1}) {
        context.tuningSource = source;
        block(64, {sysex(change), sysex(request)});
        EXPECT_DOUBLE_EQ(timbre.mainTuning().frequency(69), 440.0) << source;
    }
    EXPECT_TRUE(replies.dumps.empty()) << "no dump without a request taken";

    context.tuningSource = 2;
    playedFrequency(0);
    block(256, {sysex(change)});
    block(512);
    EXPECT_NEAR(heldVoice().oscillator(0).frequency(), 440.0f * std::exp2(1.0f / 12.0f), 0.01f)
        << "the sounding voice follows the real-time change";

    block(64, {sysex(request)});
    ASSERT_EQ(replies.dumps.size(), 1u);
    EXPECT_EQ(replies.dumps[0].size(), static_cast<size_t>(kBulkDumpSize));
    EXPECT_EQ(replies.dumps[0][5], 0) << "tuning program 0";
}

TEST_F(TimbreTuningTest, NonRealtimeChangeWaitsForTheNextNote)
{
    context.tuningSource = 2;
    playedFrequency(0);
    const std::vector<uint8_t> change = {0xF0, 0x7E, 0x7F, 0x08, 0x02, kPoly, 1, 69, 70, 0, 0, 0xF7};
    block(256, {sysex(change)});
    block(512);
    EXPECT_NEAR(heldVoice().oscillator(0).frequency(), 440.0f, 0.01f);
    block(64, {midi(0, 0x80, 69, 0)});
    block(2048);
    EXPECT_NEAR(playedFrequency(0), 440.0f * std::exp2(1.0f / 12.0f), 0.01f);
}

} // namespace
} // namespace quorvix
