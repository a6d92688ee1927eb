// Hosts as they are found in the wild: every block size and sample rate, calls out of the usual
// order, two instances at once and nonsense parameter values, each with a chord held. The output
// stays finite and bounded and every parameter reads within 0..1.
#include "plugin_fixture.h"

#include "plugin/vst2abi.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <thread>

namespace qtest {
namespace {

constexpr int kOutputs = 8;
constexpr int kAnnouncedBlock = 512;
// Far above any level a program reaches, far below what a runaway filter or NaN gives.
constexpr float kMaxPeak = 16.0f;
constexpr float kAudible = 1e-3f;
constexpr int kChordKeys[] = {48, 55, 60, 64, 67};
constexpr int kTimbreChannels = 8; // channels 1..8 reach all four timbres

struct CRender {
    float peak = 0.0f;
    int nonFinite = 0;
};

// Renders frames in blocks of block frames into all outputs and measures them.
CRender render(qhost::CPluginInstance& plugin, int frames, int block)
{
    std::vector<std::vector<float>> data(kOutputs, std::vector<float>(static_cast<size_t>(block)));
    std::vector<float*> pointers;
    for (auto& c : data)
        pointers.push_back(c.data());
    CRender result;
    for (int done = 0; done < frames; done += block) {
        const int n = std::min(block, frames - done);
        plugin.processReplacing(pointers.data(), n);
        for (const auto& c : data)
            for (int i = 0; i < n; ++i) {
                if (!std::isfinite(c[static_cast<size_t>(i)]))
                    ++result.nonFinite;
                else
                    result.peak = std::max(result.peak, std::fabs(c[static_cast<size_t>(i)]));
            }
    }
    return result;
}

std::vector<qhost::CMidiMessage> chord(uint8_t status)
{
    std::vector<qhost::CMidiMessage> messages;
    for (int channel = 0; channel < kTimbreChannels; ++channel)
        for (int key : kChordKeys)
            messages.push_back({0, {static_cast<uint8_t>(status | channel), static_cast<uint8_t>(key), 100}});
    return messages;
}

void holdChord(qhost::CPluginInstance& plugin) { plugin.sendMidi(chord(0x90)); }

void expectSounding(const CRender& r, const std::string& what)
{
    EXPECT_EQ(r.nonFinite, 0) << what;
    EXPECT_LE(r.peak, kMaxPeak) << what;
    EXPECT_GT(r.peak, kAudible) << what << ": the chord sounds";
}

class HostMatrixTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        useEightOutputs();
    }
    qhost::CPluginInstance& started(double rate = 44100.0)
    {
        qhost::CHostState state;
        state.sampleRate = rate;
        state.blockSize = kAnnouncedBlock;
        m_instance = createInstance(state);
        m_instance->start();
        return *m_instance;
    }
};

TEST_F(HostMatrixTest, EveryBlockSize)
{
    for (int block : {1, 2, 3, 17, 64, 511, 4096, 8192, 3 * kAnnouncedBlock + 5, 20000}) {
        qhost::CPluginInstance& plugin = started();
        holdChord(plugin);
        expectSounding(render(plugin, 22050, block), "block of " + std::to_string(block));
        closePlugin();
    }
}

TEST_F(HostMatrixTest, EverySampleRate)
{
    for (double rate : {8000.0, 11025.0, 16000.0, 22050.0, 32000.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0,
                        192000.0, 352800.0, 384000.0}) {
        qhost::CPluginInstance& plugin = started(rate);
        holdChord(plugin);
        expectSounding(render(plugin, static_cast<int>(rate / 4), kAnnouncedBlock), "rate " + std::to_string(rate));
        closePlugin();
    }
}

TEST_F(HostMatrixTest, CallsOutOfOrder)
{
    {
        SCOPED_TRACE("process before resume");
        m_instance = createInstance();
        m_instance->dispatch(vst::effOpen);
        holdChord(*m_instance);
        const CRender r = render(*m_instance, 4096, kAnnouncedBlock);
        EXPECT_EQ(r.nonFinite, 0);
        EXPECT_LE(r.peak, kMaxPeak);
        closePlugin();
    }
    {
        SCOPED_TRACE("effOpen twice");
        qhost::CPluginInstance& plugin = started();
        plugin.dispatch(vst::effOpen);
        holdChord(plugin);
        expectSounding(render(plugin, 4096, kAnnouncedBlock), "after a second effOpen");
        closePlugin();
    }
    {
        SCOPED_TRACE("effClose with the editor open");
        qhost::CPluginInstance& plugin = started();
        holdChord(plugin);
        render(plugin, 1024, kAnnouncedBlock);
        // No display here: the editor may refuse to open; closing must be clean either way.
        plugin.dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(intptr_t {0x400001}));
        plugin.dispatch(vst::effEditIdle);
        m_instance->close();
        closePlugin();
    }
}

TEST_F(HostMatrixTest, TwoInstancesOnTwoThreads)
{
    m_library.reset();
    std::string error;
    m_library = qhost::CPluginLibrary::open(m_pluginPath, error);
    ASSERT_TRUE(m_library) << error;
    CRender results[2];
    auto play = [this](CRender& result, int seed) {
        std::string threadError;
        auto plugin = qhost::CPluginInstance::create(*m_library, {}, threadError);
        if (!plugin)
            return;
        plugin->start();
        holdChord(*plugin);
        for (int step = 0; step < 20; ++step) {
            plugin->setParameter(108 + 200 * (step % 5), static_cast<float>((step * seed) % 10) / 10.0f);
            const CRender r = render(*plugin, 2048, kAnnouncedBlock);
            result.nonFinite += r.nonFinite;
            result.peak = std::max(result.peak, r.peak);
        }
        plugin->close();
    };
    std::thread first(play, std::ref(results[0]), 3);
    std::thread second(play, std::ref(results[1]), 7);
    first.join();
    second.join();
    expectSounding(results[0], "first instance");
    expectSounding(results[1], "second instance");
}

void expectParametersInRange(qhost::CPluginInstance& plugin, const std::string& what)
{
    for (int32_t i = 0; i < plugin.effect()->numParams; ++i) {
        const float value = plugin.getParameter(i);
        ASSERT_TRUE(value >= 0.0f && value <= 1.0f)
            << what << ": parameter " << i << " " << plugin.parameterName(i) << " reads " << value;
    }
}

TEST_F(HostMatrixTest, NonsenseValuesOnEveryParameter)
{
    constexpr float kHuge = std::numeric_limits<float>::max();
    constexpr float kInf = std::numeric_limits<float>::infinity();
    qhost::CPluginInstance& plugin = started();
    holdChord(plugin);
    for (float value : {std::numeric_limits<float>::quiet_NaN(), kInf, -kInf, kHuge, -kHuge, 1e30f, -1e30f}) {
        for (int32_t i = 0; i < plugin.effect()->numParams; ++i) {
            plugin.setParameter(i, value);
            if (i % 50 == 0) {
                const CRender r = render(plugin, 64, 64);
                ASSERT_EQ(r.nonFinite, 0) << "after parameter " << i << " = " << value;
                ASSERT_LE(r.peak, kMaxPeak) << "after parameter " << i << " = " << value;
            }
        }
        holdChord(plugin);
        const CRender r = render(plugin, 4096, kAnnouncedBlock);
        EXPECT_EQ(r.nonFinite, 0) << value;
        EXPECT_LE(r.peak, kMaxPeak) << value;
        expectParametersInRange(plugin, "after " + std::to_string(value));
    }
}

// More pitch bends in one block than a voice's queue holds never drop the note-off.
TEST_F(HostMatrixTest, PitchBendFloodNeverHangsANote)
{
    qhost::CPluginInstance& plugin = started();
    auto tailAfter = [&plugin](int bends) {
        std::vector<qhost::CMidiMessage> messages = {{0, {0x90, 60, 100}}};
        for (int i = 0; i < bends; ++i)
            messages.push_back({i % kAnnouncedBlock, {0xE0, static_cast<uint8_t>(i & 0x7F), 0x40}});
        messages.push_back({kAnnouncedBlock - 1, {0x80, 60, 0}});
        plugin.sendMidi(messages);
        render(plugin, 44100 * 4, kAnnouncedBlock);
        return render(plugin, 4096, kAnnouncedBlock).peak;
    };
    const float quiet = tailAfter(0);
    ASSERT_LT(quiet, kAudible) << "a released note fades within four seconds";
    EXPECT_LT(tailAfter(1500), kAudible) << "the note-off after a flood of bends still releases";
}

} // namespace
} // namespace qtest
