// Chunks through the binary interface, as a host saves and restores a song.
#include "plugin_fixture.h"

#include "plugin/vst2abi.h"

#include <cmath>

namespace qtest {
namespace {

constexpr int32_t kChannel = 1006;
constexpr int32_t kTuningSource = 1018;
constexpr float kSysexSource = 0.625f;
constexpr int kBlock = 512;

using Bytes = std::vector<uint8_t>;

class ChunkTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        useEightOutputs();
    }
    // Two blocks of a chord on timbres 1 and 3, all eight outputs.
    static std::vector<float> render(qhost::CPluginInstance& p)
    {
        std::vector<std::vector<float>> out(8, std::vector<float>(kBlock));
        std::vector<float*> pointers;
        for (auto& c : out)
            pointers.push_back(c.data());
        std::vector<float> all;
        p.sendMidi({{0, {0x90, 60, 100}}, {0, {0x94, 67, 100}}});
        for (int b = 0; b < 2; ++b) {
            p.processReplacing(pointers.data(), kBlock);
            for (auto& c : out)
                all.insert(all.end(), c.begin(), c.end());
        }
        return all;
    }
    // A bulk dump for id 0 with every key a quarter tone sharp.
    static Bytes quarterToneDump()
    {
        Bytes d = {0xF0, 0x7E, 0x7F, 0x08, 0x01, 0x00};
        for (char c : std::string("Quarter tones   "))
            d.push_back(static_cast<uint8_t>(c));
        for (int k = 0; k < 128; ++k) {
            d.push_back(static_cast<uint8_t>(k));
            d.push_back(64);
            d.push_back(0);
        }
        d.push_back(0);
        d.push_back(0xF7);
        return d;
    }
};

TEST_F(ChunkTest, BankChunkRestoresTheWholeState)
{
    qhost::CPluginInstance& a = plugin();
    a.setParameter(229, 0.25f);   // timbre 1 "O1 Phase"
    a.setParameter(308, 0.6f);    // timbre 1 cutoff
    a.setParameter(363, 0.2f);    // timbre 1 effect 1 type
    a.setParameter(585, 0.5f);    // timbre 2 polyphony
    a.setParameter(624, 1.0f);    // timbre 3 quality "High"
    a.setParameter(kChannel, 0.625f); // timbre 3
    a.dispatch(vst::effSetProgram, 0, 9);
    a.setParameter(108, 0.3f);
    a.setParameter(kTuningSource, kSysexSource);
    a.sendMidi({{0, quarterToneDump()}});
    const Bytes chunk = a.getChunk(false);
    ASSERT_FALSE(chunk.empty());
    EXPECT_EQ(std::string(chunk.begin(), chunk.begin() + 8), "QuorData");

    auto b = createInstance();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->setChunk(chunk, false), static_cast<intptr_t>(chunk.size()));
    for (int32_t i = 0; i < 1000; ++i)
        ASSERT_EQ(b->getParameter(i), a.getParameter(i)) << "parameter " << i;
    for (int32_t command : {kChannel, 1007, kTuningSource, 1020})
        EXPECT_EQ(b->getParameter(command), a.getParameter(command)) << command;
    EXPECT_EQ(b->dispatch(vst::effGetProgram), 9);
    EXPECT_EQ(b->getChunk(false), chunk) << "the restored state saves to the same bytes";
    EXPECT_EQ(render(*b), render(a));

    // The tunings came along: both answer a dump request alike.
    const Bytes request = {0xF0, 0x7E, 0x7F, 0x08, 0x00, 0x00, 0xF7};
    for (qhost::CPluginInstance* p : {&a, b.get()})
        p->sendMidi({{0, request}});
    ASSERT_EQ(a.state().receivedSysex.size(), 1u);
    ASSERT_EQ(b->state().receivedSysex.size(), 1u);
    EXPECT_EQ(a.state().receivedSysex[0], b->state().receivedSysex[0]);
    EXPECT_EQ(a.state().receivedSysex[0][22 + 3 * 69 + 1], 64) << "key 69 a quarter tone sharp";
}

TEST_F(ChunkTest, ProgramChunkReplacesTheCurrentProgramOnly)
{
    startOnInitBank();
    qhost::CPluginInstance& a = plugin();
    a.dispatch(vst::effSetProgram, 0, 5);
    a.dispatch(vst::effSetProgramName, 0, 0, const_cast<char*>("Saved sound"));
    a.setParameter(108, 0.3f);
    const Bytes chunk = a.getChunk(true);
    EXPECT_EQ(Bytes(chunk.begin() + 14, chunk.begin() + 18), (Bytes {0, 0, 0, 0}));

    auto b = createInstance();
    b->dispatch(vst::effSetProgram, 0, 3);
    ASSERT_EQ(b->setChunk(chunk, true), static_cast<intptr_t>(chunk.size()));
    EXPECT_EQ(b->text(vst::effGetProgramName), "Saved sound");
    EXPECT_FLOAT_EQ(b->getParameter(108), a.getParameter(108));
    EXPECT_EQ(b->text(vst::effGetProgramNameIndexed, 5), "Init");
    EXPECT_EQ(b->dispatch(vst::effGetProgram), 3);
}

TEST_F(ChunkTest, AFailedChunkKeepsTheSound)
{
    plugin().setParameter(108, 0.3f);
    const float cutoff = plugin().getParameter(108);
    Bytes chunk = plugin().getChunk(false);
    chunk.resize(chunk.size() / 2);
    CStderrCapture errors;
    EXPECT_EQ(plugin().setChunk(chunk, false), 0);
    EXPECT_NE(errors.text().find("Error while importing data!"), std::string::npos);
    EXPECT_FLOAT_EQ(plugin().getParameter(108), cutoff);
    EXPECT_EQ(plugin().setChunk({}, false), 0);
    EXPECT_EQ(plugin().setChunk(Bytes(5000, 0x51), true), 0);
}

TEST_F(ChunkTest, ADamagedBlockIsRepairedAndTheRestReads)
{
    startOnInitBank();
    const Bytes original = plugin().getChunk(false);
    Bytes damaged = original;
    // The first oscillator block of program 7 gets a tag no version knows.
    size_t at = 0;
    for (int record = 0; record <= 7; ++record)
        at = std::string(damaged.begin(), damaged.end()).find("PROG", at + 1);
    at = std::string(damaged.begin(), damaged.end()).find("OSC_", at);
    ASSERT_NE(at, std::string::npos);
    damaged[at + 3] = 'X';
    CStderrCapture errors;
    EXPECT_EQ(plugin().setChunk(damaged, false), static_cast<intptr_t>(damaged.size()));
    const std::string told = errors.text();
    EXPECT_NE(told.find("Parts of these programs could not be read"), std::string::npos);
    EXPECT_NE(told.find("7 \"Init\""), std::string::npos);
    EXPECT_EQ(told.find("Parts of these programs", told.find("Parts of these programs") + 1), std::string::npos)
        << "told once";
    EXPECT_EQ(plugin().getChunk(false), original) << "the block took the Init program's block, the rest was read";
}

} // namespace
} // namespace qtest
