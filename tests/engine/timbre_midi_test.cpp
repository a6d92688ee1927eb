// MIDI intake of a timbre: which events it keeps and the exact commands its voices receive.
#include "engine/timbre.h"
#include "presets/parameter_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace quorvix {
namespace {

constexpr int kPoly = 0; // zero-based channels of timbre 1
constexpr int kMono = 1;
constexpr int kFade = 138; // quick-fade length at 44100 Hz

struct CCmd {
    int32_t type;
    int32_t time;
    int32_t key;
    bool operator==(const CCmd& o) const { return type == o.type && time == o.time && key == o.key; }
};

std::ostream& operator<<(std::ostream& out, const CCmd& c)
{
    return out << "{type " << c.type << ", time " << c.time << ", key " << c.key << "}";
}

CMidiEvent midi(int delta, uint8_t status, uint8_t d1, uint8_t d2 = 0)
{
    CMidiEvent e;
    e.deltaFrames = delta;
    e.status = status;
    e.data1 = d1;
    e.data2 = d2;
    return e;
}

class TimbreMidiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        timbre.attach(&context);
        timbre.initialize();
        timbre.setSampleRate(44100.0f);
    }
    void send(std::vector<CMidiEvent> events)
    {
        static const CMidiEvent none;
        timbre.processEvents({events.empty() ? &none : events.data(), int(events.size())}, kMono, kPoly);
    }
    std::vector<CCmd> queue(int voice) const
    {
        std::vector<CCmd> out;
        const CCommandQueue& q = timbre.voice(voice).queue();
        for (int i = 0; i < q.size(); ++i)
            out.push_back({q[i].type, q[i].type == command::End ? 0 : q[i].time, q[i].key});
        return out;
    }
    // What rendering a block does to a voice: its last note becomes the held state with an age,
    // and every other command has been executed.
    void runNote(int voice, int age)
    {
        CCommandQueue& q = timbre.voice(voice).queue();
        CVoiceCommand held;
        for (int i = 0; i < q.size(); ++i)
            if (q[i].type == command::NoteOn || q[i].type == command::LegatoNote)
                held = q[i];
        q.reset();
        if (held.type == command::End)
            return;
        const CVoiceCommand endMark = q.front();
        held.type = command::Held;
        held.time = age;
        q.front() = held;
        q.push(endMark);
    }
    const CVoiceCommand& noteOf(int voice) const
    {
        const CCommandQueue& q = timbre.voice(voice).queue();
        for (int i = 0; i < q.size(); ++i)
            if (q[i].type == command::NoteOn)
                return q[i];
        return q.front();
    }

    CEngineContext context;
    CTimbre timbre;
    const CCmd end {command::End, 0, -1};
};

TEST_F(TimbreMidiTest, QuickFadeLengthIsTheMonoVoicesEnvelope)
{
    EXPECT_EQ(timbre.voice(0).quickFadeLength(), kFade);
}

TEST_F(TimbreMidiTest, SamePositionMonoNotesAreSpread)
{
    send({midi(10, 0x91, 60, 100), midi(10, 0x91, 64, 100)});
    const std::vector<CCmd> expected = {
        {command::FirstKey, -10, -1}, {command::NoteOn, -10, 60}, {command::LegatoNote, -11, 64}, end};
    EXPECT_EQ(queue(0), expected) << "a silent voice takes the note at once; the second is one later";
    EXPECT_EQ(timbre.voice(0).key(), 64);
    EXPECT_EQ(queue(5), (std::vector<CCmd> {{command::FirstKey, -10, -1}, end}));
    EXPECT_EQ(timbre.noteCounter(), 1) << "a legato note does not count";
}

// A sounding mono voice fades first: within the first N samples of a block the note waits for it.
TEST_F(TimbreMidiTest, MonoNotesFadeOnlyASoundingVoice)
{
    send({midi(300, 0x91, 60, 100)});
    EXPECT_EQ(queue(0), (std::vector<CCmd> {{command::FirstKey, -300, -1}, {command::NoteOn, -300, 60}, end}));
    timbre.voice(0).queue().reset(); // the note was released and rings on
    timbre.voice(0).queue().pushFront(CVoiceCommand {command::NoteOff, 0, 60, 0, 0.0f, 0.0f, 0.0f, 1.0f, 400});
    timbre.voice(0).setKey(-1);
    send({midi(10, 0x91, 62, 100)});
    EXPECT_EQ(queue(0), (std::vector<CCmd> {{command::NoteOff, 400, 60},
                                            {command::Stop, 0, -1},
                                            {command::NoteOn, -kFade, 62},
                                            end}))
        << "a released note still sounding fades out first";
}

TEST_F(TimbreMidiTest, NoteOffBeforeNoteOnAtOnePosition)
{
    send({midi(5, 0x90, 60, 100), midi(5, 0x80, 60, 0)});
    EXPECT_EQ(queue(1), (std::vector<CCmd> {{command::FirstKey, -5, -1}, {command::NoteOn, -5, 60}, end}))
        << "the note-off is handled first and finds nothing";
    EXPECT_EQ(timbre.voice(1).key(), 60);
    send({midi(7, 0x90, 60, 0)});
    EXPECT_EQ(timbre.voice(1).key(), -1) << "velocity 0 releases";
    EXPECT_EQ(queue(1).back(), end);
    EXPECT_EQ(queue(1)[queue(1).size() - 2], (CCmd {command::NoteOff, -7, 60}));
}

TEST_F(TimbreMidiTest, TwoVoicesStealTheOldestNote)
{
    setParameterValue(timbre, 185, 2.5f / 17.0f);
    ASSERT_EQ(timbre.settings().polyphony, 2);
    send({midi(0, 0x90, 60, 100)});
    runNote(1, 3000);
    send({midi(0, 0x90, 62, 100)});
    runNote(2, 1000);
    send({midi(20, 0x90, 64, 100)});
    EXPECT_EQ(queue(1), (std::vector<CCmd> {{command::Held, 3000, 60},
                                            {command::Stop, 0, 60},
                                            {command::NoteOn, -kFade, 64},
                                            end}))
        << "voice 1 holds the oldest note";
    EXPECT_EQ(queue(2), (std::vector<CCmd> {{command::Held, 1000, 62}, end}));
    send({midi(0, 0x80, 60, 0)});
    EXPECT_EQ(queue(1).size(), 4u) << "the stolen key is held by no voice any more";
    EXPECT_EQ(queue(2).size(), 2u);
}

TEST_F(TimbreMidiTest, NoteForWhichNoVoiceQualifiesIsNotLost)
{
    setParameterValue(timbre, 185, 2.5f / 17.0f);
    send({midi(100, 0x90, 60, 100), midi(50, 0x90, 62, 100), midi(200, 0x90, 64, 100)});
    // Both voices wait for notes of this block; the one due first (62 at 50) takes the third.
    EXPECT_EQ(timbre.voice(1).key(), 64);
    EXPECT_EQ(timbre.voice(2).key(), 60);
    EXPECT_EQ(queue(1), (std::vector<CCmd> {{command::FirstKey, -50, -1},
                                            {command::NoteOn, -50, 62},
                                            {command::Stop, -62, 62},
                                            {command::NoteOn, -200, 64},
                                            end}));
}

TEST_F(TimbreMidiTest, ReStruckKeyReusesItsVoice)
{
    send({midi(0, 0x90, 60, 100)});
    runNote(1, 500);
    send({midi(40, 0x90, 60, 90)});
    EXPECT_EQ(queue(1), (std::vector<CCmd> {{command::Held, 500, 60},
                                            {command::Stop, 0, 60},
                                            {command::NoteOn, -kFade, 60},
                                            end}));
    EXPECT_EQ(queue(2), (std::vector<CCmd> {{command::FirstKey, 0, -1}, end})) << "only the first note's FirstKey";
}

TEST_F(TimbreMidiTest, PitchBendReachesBothEnds)
{
    struct {
        uint8_t lsb, msb;
        float position;
    } cases[] = {{0, 0, -1.0f}, {127, 127, 1.0f}, {0, 64, 0.0f}, {0, 32, -0.5f}};
    for (const auto& c : cases) {
        timbre.initialize();
        send({midi(3, 0xE0, c.lsb, c.msb)});
        for (int v : {0, 16}) {
            const CVoiceCommand& bend = timbre.voice(v).queue().front();
            EXPECT_EQ(bend.type, command::PitchBend);
            EXPECT_NEAR(bend.frequency, c.position, 1e-6f) << int(c.lsb) << "/" << int(c.msb);
        }
    }
}

TEST_F(TimbreMidiTest, PolyphonyController)
{
    send({midi(0, 0xB0, 118, 5)});
    EXPECT_EQ(timbre.settings().polyphony, 5);
    EXPECT_EQ(queue(0), (std::vector<CCmd> {end})) << "nothing is queued";
    send({midi(0, 0xB0, 118, 100)});
    EXPECT_EQ(timbre.settings().polyphony, 16);
    send({midi(0, 0xB0, 118, 0)});
    EXPECT_EQ(timbre.settings().polyphony, 0);
    send({midi(400, 0x90, 60, 100)});
    EXPECT_EQ(timbre.voice(0).key(), 60) << "MonoPorta: poly notes go to the mono voice";
    EXPECT_EQ(timbre.voice(1).key(), -1);
}

TEST_F(TimbreMidiTest, ChannelModeMessagesOnAnyChannel)
{
    send({midi(0, 0x90, 60, 100), midi(0, 0x91, 48, 100), midi(0, 0x90, 64, 100)});
    for (int v : {0, 1, 2})
        runNote(v, 512);
    send({midi(9, 0xB9, 123, 0), midi(9, 0x95, 70, 100)}); // channel 10: not ours, but All Notes Off is
    EXPECT_EQ(timbre.voice(0).key(), -1);
    EXPECT_EQ(timbre.voice(1).key(), -1);
    EXPECT_EQ(timbre.voice(2).key(), -1);
    EXPECT_EQ(queue(0), (std::vector<CCmd> {{command::Held, 512, 48}, {command::Stop, -9, 48}, end}));
    EXPECT_EQ(queue(1), (std::vector<CCmd> {{command::Held, 512, 60}, {command::Stop, -9, 60}, end}));
    EXPECT_EQ(queue(2), (std::vector<CCmd> {{command::Held, 512, 64}, {command::Stop, -9, 64}, end}));
    EXPECT_EQ(timbre.voice(3).key(), -1) << "the note on channel 10 is ignored";
}

TEST_F(TimbreMidiTest, AllSoundOffAndSystemReset)
{
    send({midi(0, 0x90, 60, 100)});
    send({midi(4, 0xB7, 120, 0)});
    EXPECT_TRUE(timbre.soundOffRequested());
    EXPECT_EQ(timbre.noteCounter(), 0);
    EXPECT_EQ(timbre.voice(1).key(), -1);
    EXPECT_EQ(queue(3), (std::vector<CCmd> {{command::FirstKey, 0, -1}, {command::SoundOff, -4, -1}, end}));
    timbre.clearSoundOff();
    send({midi(2, 0xFF, 0, 0)});
    EXPECT_TRUE(timbre.soundOffRequested());
    EXPECT_EQ(queue(3).back(), end);
}

TEST_F(TimbreMidiTest, OrderAtOnePositionAndProgramChange)
{
    send({midi(8, 0x90, 60, 100), midi(8, 0xE0, 0, 64), midi(8, 0xB0, 7, 64), midi(8, 0xC0, 12, 0)});
    // The program change comes first (Stop at min(-8 + N, 0), the change N later), then the controller
    // and the bend; the note, after a Stop of its own that pruning drops, starts with the new program.
    EXPECT_EQ(queue(1), (std::vector<CCmd> {{command::Stop, 0, -1},
                                            {command::Controller, -8, -1},
                                            {command::PitchBend, -8, -1},
                                            {command::ProgramChange, -kFade, -1},
                                            {command::FirstKey, -kFade, -1},
                                            {command::NoteOn, -kFade, 60},
                                            end}));
    EXPECT_EQ(timbre.voice(1).queue()[3].number, 12);
}

TEST_F(TimbreMidiTest, NoteValuesFromTheVoicesParameters)
{
    setParameterValue(timbre, 160, 1.0f); // VolKeybSlope: a factor of 2 per octave
    CMidiEvent detuned = midi(0, 0x90, 69, 100);
    detuned.detune = 50;
    send({detuned, midi(0, 0x90, 84, 127)});
    const CVoiceCommand& a4 = noteOf(1);
    EXPECT_NEAR(a4.frequency, 440.0f * std::exp2(0.5f / 12.0f), 1e-3f) << "the host detune in cents";
    EXPECT_NEAR(a4.velocityGain, std::pow(100.0f / 127.0f, 2.0f), 1e-6f) << "velocity to the power of Dynamic";
    EXPECT_FLOAT_EQ(a4.keyGain, 4.0f) << "two octaves above VolKeybMid 36";
    EXPECT_EQ(a4.count, 0);
    const CVoiceCommand& c6 = noteOf(2);
    EXPECT_EQ(c6.count, 1);
    EXPECT_FLOAT_EQ(c6.keyGain, 16.0f) << "four octaves";
    EXPECT_EQ(lastNoteKey(), 84);
    context.tuningSource = 1;
    timbre.initialize();
    send({detuned});
    EXPECT_NEAR(noteOf(1).frequency, 440.0f, 1e-3f) << "a tuning source ignores the host detune";
    setParameterValue(timbre, 184, 1.0f); // one semitone of dirty tuning
    for (int i = 0; i < 20; ++i) {
        timbre.initialize();
        send({midi(0, 0x90, 69, 100)});
        const float f = noteOf(1).frequency;
        EXPECT_GE(f, 440.0f * std::exp2(-1.0f / 12.0f) - 1e-3f);
        EXPECT_LE(f, 440.0f * std::exp2(1.0f / 12.0f) + 1e-3f);
    }
}

TEST_F(TimbreMidiTest, PressureAndQuality)
{
    send({midi(0, 0x90, 60, 100)});
    runNote(1, 100);
    runNote(2, 0);
    send({midi(2, 0xA0, 60, 64), midi(2, 0xA0, 61, 64), midi(3, 0xD1, 127, 0)});
    EXPECT_EQ(queue(1), (std::vector<CCmd> {{command::Held, 100, 60},
                                            {command::Pressure, -2, 60},
                                            {command::Pressure, -3, 60},
                                            end}));
    EXPECT_EQ(queue(2), (std::vector<CCmd> {{command::Pressure, -3, -1}, end})) << "channel pressure reaches all";
    timbre.setQuality(4);
    timbre.initialize();
    send({midi(10, 0xB0, 1, 127)});
    EXPECT_EQ(queue(4), (std::vector<CCmd> {{command::Controller, -40, -1}, end})) << "positions in voice samples";
    EXPECT_FLOAT_EQ(timbre.voice(4).queue().front().amount, 1.0f);
}

TEST_F(TimbreMidiTest, HousekeepingFreesFinishedVoices)
{
    send({midi(0, 0x90, 60, 100)});
    timbre.voice(1).queue().reset(); // the renderer finished the note
    send({});
    EXPECT_EQ(timbre.voice(1).key(), -1);
    timbre.voice(2).setKey(50);
    timbre.voice(2).queue().push(CVoiceCommand {command::Held, 0, 50});
    timbre.voice(2).requestQueueReset();
    send({});
    EXPECT_EQ(queue(2), (std::vector<CCmd> {end}));
    EXPECT_EQ(timbre.voice(2).key(), -1);
}

TEST_F(TimbreMidiTest, HostileEventLists)
{
    std::vector<CMidiEvent> events;
    for (int i = 0; i < 9000; ++i)
        events.push_back(midi(i % 300, static_cast<uint8_t>(0x80 + (i % 0x80)), static_cast<uint8_t>(i), 0xFF));
    CMidiEvent weird = midi(-50, 0x90, 200, 255);
    weird.noteOffset = 1 << 30;
    events.push_back(weird);
    send(events);
    for (int v = 0; v < kVoiceCount; ++v) {
        const CCommandQueue& q = timbre.voice(v).queue();
        ASSERT_GE(q.size(), 1);
        EXPECT_EQ(q[q.size() - 1].type, command::End);
        for (int i = 0; i + 1 < q.size(); ++i)
            EXPECT_LE(q[i].time, 0) << "no command lies before the block";
    }
    timbre.processEvents({nullptr, 0}, kMono, kPoly);
    for (int v = 0; v < kVoiceCount; ++v)
        EXPECT_TRUE(timbre.voice(v).queue().onlyEnd()) << "a missing list silences every voice";
}

struct CPruneCase {
    std::vector<int32_t> types;
    std::vector<int32_t> kept;
};

TEST(CommandQueue, Pruning)
{
    using namespace command;
    const CPruneCase cases[] = {
        {{Stop, Stop, NoteOff}, {Stop}},
        {{Stop, NoteOn, NoteOff}, {Stop, NoteOn, NoteOff}},
        {{SoundOff, SoundOff, Stop, LegatoNote}, {SoundOff}},
        {{SoundOff, NoteOn, SoundOff}, {SoundOff, NoteOn, SoundOff}},
        {{SystemReset, SoundOff, NoteOn, Held}, {SystemReset, NoteOn, Held}},
        {{Stop, Controller, PitchBend, ProgramChange}, {Stop, Controller, PitchBend, ProgramChange}},
        {{Held, NoteOff, Stop, Held}, {Held, NoteOff, Stop}},
    };
    std::vector<CVoiceCommand> scratch(kCommandQueueCapacity);
    for (const CPruneCase& c : cases) {
        CCommandQueue q;
        q.reset();
        int32_t time = 100;
        for (int32_t type : c.types) {
            CVoiceCommand cmd;
            cmd.type = type;
            cmd.time = time--;
            q.push(cmd);
        }
        q.finish(scratch.data());
        std::vector<int32_t> kept;
        for (int i = 0; i + 1 < q.size(); ++i)
            kept.push_back(q[i].type);
        EXPECT_EQ(kept, c.kept);
        EXPECT_EQ(q[q.size() - 1].type, End);
    }
}

} // namespace
} // namespace quorvix
