#include "plugin_fixture.h"

#include "plugin/vst2abi.h"

#include <cmath>

namespace qtest {
namespace {

constexpr int kBlock = 512;
constexpr double kRate = 44100.0;

class SoundTest : public PluginTest {
protected:
    std::vector<float> left = std::vector<float>(kBlock), right = std::vector<float>(kBlock);
    std::vector<float> recorded;
    void renderBlock(const std::vector<qhost::CMidiMessage>& events = {})
    {
        if (!events.empty())
            plugin().sendMidi(events);
        float* outputs[2] = {left.data(), right.data()};
        plugin().processReplacing(outputs, kBlock);
        recorded.insert(recorded.end(), left.begin(), left.end());
    }
};

TEST_F(SoundTest, NoteOnChannelOneSoundsAt440Hz)
{
    startOnInitBank();
    plugin().setParameter(225, 16.5f / 54.0f); // OSC1 1st wave of timbre 1: "Sine"
    ASSERT_EQ(plugin().parameterDisplay(225), "Sine");
    renderBlock({{100, {0x90, 69, 127}}});
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(recorded[static_cast<size_t>(i)], 0.0f) << "silent before the note's deltaFrames, at " << i;
    EXPECT_NE(recorded[102], 0.0f);
    for (int b = 0; b < 40; ++b)
        renderBlock();
    int crossings = 0;
    const size_t from = 8192, to = recorded.size();
    for (size_t i = from + 1; i < to; ++i)
        if (recorded[i - 1] < 0.0f && recorded[i] >= 0.0f)
            ++crossings;
    const double seconds = double(to - from - 1) / kRate;
    EXPECT_NEAR(crossings / seconds, 440.0, 1.5) << "key 69 is A 440";
    float peak = 0.0f;
    for (size_t i = from; i < to; ++i)
        peak = std::max(peak, std::fabs(recorded[i]));
    EXPECT_GT(peak, 0.02f) << "the Init sound: gain 1/3 into the shaper, half through the resonance mix";

    renderBlock({{0, {0x80, 69, 0}}});
    for (int b = 0; b < 4; ++b) // the release lasts 25 ms, about 2.2 blocks
        renderBlock();
    for (size_t i = recorded.size() - kBlock; i < recorded.size(); ++i)
        ASSERT_EQ(recorded[i], 0.0f) << "silent after note-off and release";
}

TEST_F(SoundTest, OnlyTheTimbresChannelsSound)
{
    renderBlock({{0, {0x92, 60, 100}}, {0, {0x97, 64, 100}}}); // channels 3 and 8: timbres 2 and 4
    for (int b = 0; b < 4; ++b)
        renderBlock();
    for (float s : recorded)
        ASSERT_EQ(s, 0.0f) << "mono timbral mode plays timbre 1 only";
    renderBlock({{0, {0x91, 60, 100}}}); // channel 2: timbre 1's mono channel
    renderBlock();
    float peak = 0.0f;
    for (float s : left)
        peak = std::max(peak, std::fabs(s));
    EXPECT_GT(peak, 0.01f);
}

// A host that makes every call from one thread: effect times automated there (the audio thread)
// still get their echoes.
TEST_F(SoundTest, AutomatedDelayTimesEchoInAOneThreadHost)
{
    startOnInitBank();
    struct CCase {
        double rate;
        int ms;
    };
    for (const CCase& c : {CCase {44100.0, 400}, CCase {96000.0, 500}}) {
        closePlugin();
        plugin().dispatch(vst::effSetSampleRate, 0, 0, nullptr, static_cast<float>(c.rate));
        recorded.clear();
        renderBlock(); // this thread now renders
        plugin().setParameter(163, (2 + 0.5f) / 22.0f); // "Delay"
        plugin().setParameter(164, static_cast<float>(c.ms) / 500.0f);
        plugin().setParameter(171, 1.0f);
        renderBlock({{0, {0x90, 60, 100}}, {200, {0x80, 60, 0}}});
        const size_t echo = static_cast<size_t>(c.rate * c.ms / 1000.0) + kBlock;
        while (recorded.size() < echo + 4 * kBlock)
            renderBlock();
        float tail = 0.0f; // after the note's release, before its echo
        for (size_t i = kBlock + 4000; i < echo; ++i)
            tail = std::max(tail, std::fabs(recorded[i]));
        float note = 0.0f, peak = 0.0f;
        for (size_t i = kBlock; i < 2 * kBlock; ++i)
            note = std::max(note, std::fabs(recorded[i]));
        for (size_t i = echo; i < echo + 2 * kBlock; ++i)
            peak = std::max(peak, std::fabs(recorded[i]));
        EXPECT_EQ(tail, 0.0f) << c.rate;
        EXPECT_GT(peak, 0.4f * note) << c.rate << " Hz: the echo " << c.ms << " ms later, at half the level";
    }
}

// Notes keep their times whatever blocks the host cuts: right after a reset and later, poly and mono.
TEST_F(PluginTest, NoteTimesDoNotDependOnTheBlockSize)
{
    startOnInitBank();
    struct CTimed {
        int frame;
        std::vector<uint8_t> bytes;
    };
    const std::vector<CTimed> song = {
        {441, {0x90, 60, 100}}, {441, {0x90, 64, 100}}, {441, {0x90, 67, 100}}, // a chord at 10 ms
        {500, {0x91, 48, 90}},                                                // the first mono note
        {20000, {0x80, 60, 0}}, {20000, {0x80, 64, 0}}, {20000, {0x80, 67, 0}}, {20500, {0x81, 48, 0}},
        {40000, {0x90, 62, 100}}, {40003, {0x90, 65, 100}}, {40007, {0x91, 50, 80}}, // later, silent voices
        {60000, {0x80, 62, 0}}, {60000, {0x80, 65, 0}}, {60001, {0x81, 50, 0}},
    };
    constexpr int kFrames = 70000;
    auto render = [&](int block) {
        closePlugin();
        std::vector<float> out;
        std::vector<float> left(static_cast<size_t>(block)), right(static_cast<size_t>(block));
        float* outputs[2] = {left.data(), right.data()};
        for (int start = 0; start < kFrames; start += block) {
            std::vector<qhost::CMidiMessage> events;
            for (const CTimed& e : song)
                if (e.frame >= start && e.frame < start + block)
                    events.push_back({e.frame - start, e.bytes});
            if (!events.empty())
                plugin().sendMidi(events);
            plugin().processReplacing(outputs, block);
            out.insert(out.end(), left.begin(), left.end());
        }
        out.resize(kFrames);
        return out;
    };
    const std::vector<float> reference = render(512);
    float peak = 0.0f;
    for (float x : reference)
        peak = std::max(peak, std::fabs(x));
    ASSERT_GT(peak, 0.01f);
    for (int block : {1, 17, 64, 4096}) {
        const std::vector<float> other = render(block);
        for (size_t i = 0; i < reference.size(); ++i)
            ASSERT_EQ(other[i], reference[i]) << "blocks of " << block << ", first difference at frame " << i;
    }
}

} // namespace
} // namespace qtest
