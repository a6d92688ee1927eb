// The plug-in object driven directly, for what the binary interface does not show.
#include "plugin/synth_plugin.h"
#include "presets/factory_bank.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace quorvix {
namespace {

struct CFakeHost {
    bool timeValid = true;
    double tempo = 120.0;
    int32_t automatedIndex = -1;
    float automatedValue = -1.0f;
    vst::VstTimeInfo info {};
};
CFakeHost gHost;

intptr_t fakeHost(vst::AEffect*, int32_t opcode, int32_t index, intptr_t, void*, float opt)
{
    switch (opcode) {
    case vst::audioMasterVersion:
        return 2400;
    case vst::audioMasterAutomate:
        gHost.automatedIndex = index;
        gHost.automatedValue = opt;
        return 0;
    case vst::audioMasterGetTime:
        gHost.info = vst::VstTimeInfo {};
        gHost.info.tempo = gHost.tempo;
        gHost.info.flags = gHost.timeValid ? vst::kVstTempoValid : 0;
        return reinterpret_cast<intptr_t>(&gHost.info);
    default:
        return 0;
    }
}

class SynthPluginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folder[] = "/tmp/quorvix-shell-XXXXXX";
        m_folder = mkdtemp(folder);
        setenv("XDG_CONFIG_HOME", m_folder.c_str(), 1);
        unsetenv("DISPLAY");
        gHost = CFakeHost {};
    }
    void TearDown() override
    {
        m_plugin.reset();
        std::system(("rm -rf '" + m_folder + "'").c_str());
    }
    CSynthPlugin& plugin()
    {
        if (!m_plugin) {
            m_plugin = std::make_unique<CSynthPlugin>(fakeHost);
            m_plugin->initialize();
        }
        return *m_plugin;
    }
    void render()
    {
        float left[64] = {}, right[64] = {};
        float* outputs[2] = {left, right};
        plugin().processReplacing(nullptr, outputs, 64);
    }

    std::string m_folder;
    std::unique_ptr<CSynthPlugin> m_plugin;
};

TEST_F(SynthPluginTest, HostTempoReachesTheEngine)
{
    plugin();
    EXPECT_FLOAT_EQ(plugin().context().hostBeatsPerSecond, 0.0001f) << "no tempo before the first audio call";
    EXPECT_FLOAT_EQ(plugin().context().samplesPerBeat, 44100.0f * 10000.0f);
    render();
    EXPECT_FLOAT_EQ(plugin().context().hostBeatsPerSecond, 2.0f);
    EXPECT_FLOAT_EQ(plugin().context().samplesPerBeat, 22050.0f);
    EXPECT_FLOAT_EQ(plugin().context().beatsPerSample, 2.0f / 44100.0f);

    plugin().setSampleRate(48000.0f);
    render();
    EXPECT_FLOAT_EQ(plugin().context().samplesPerBeat, 24000.0f) << "a new rate re-derives the samples per beat";

    gHost.timeValid = false;
    gHost.tempo = 90.0;
    render();
    EXPECT_FLOAT_EQ(plugin().context().hostBeatsPerSecond, 2.0f) << "an answer without a valid tempo keeps the last";

    gHost.timeValid = true;
    gHost.tempo = 0.0;
    render();
    EXPECT_FLOAT_EQ(plugin().context().hostBeatsPerSecond, 0.0001f) << "tempo 0 resets";
    EXPECT_FLOAT_EQ(plugin().context().samplesPerBeat, 48000.0f * 10000.0f);

    gHost.tempo = 150.0;
    render();
    plugin().suspend();
    EXPECT_FLOAT_EQ(plugin().context().hostBeatsPerSecond, 0.0001f) << "suspend resets the tempo";
}

TEST_F(SynthPluginTest, SampleRateReachesEveryTimbre)
{
    plugin().setSampleRate(48000.0f);
    for (int k = 0; k < kTimbreCount; ++k)
        EXPECT_FLOAT_EQ(plugin().timbre(k).sampleRate(), 48000.0f);
    EXPECT_FLOAT_EQ(plugin().measuringTimbre().sampleRate(), 24000.0f);
    EXPECT_DOUBLE_EQ(plugin().context().samplePeriod, 1.0 / 48000.0);
    EXPECT_DOUBLE_EQ(lastSampleRate(), 48000.0);
    plugin().setBlockSize(100000);
    EXPECT_EQ(plugin().timbre(0).blockSize(), kMaxRenderFrames) << "work buffers stay bounded";
}

// The factory path of the chunk reader: programs adjusted, the timbres' settings left alone.
TEST_F(SynthPluginTest, AFactoryChunkIsReadWithEveryProgramAdjusted)
{
    auto programs = std::make_unique<std::array<CProgram, kProgramCount>>();
    CProgram& p = (*programs)[3];
    p.effects[1].type = effect::Chorus;
    p.oscillators[0].syncKind = 6; // "1/2 x MIDI"
    p.oscillators[2].syncKind = 6;
    p.amplitudeEnvelope.clockKind = 1;
    p.level.portamento = 3.0f;
    p.portamentoSync = 9;
    p.level.pitchBendRange = 12.0f;
    const std::vector<uint8_t> stored = buildStoredBank(*programs);
    size_t size = 0;
    const uint8_t* chunk = storedBankChunk(stored.data(), stored.size(), size);
    ASSERT_NE(chunk, nullptr);

    plugin().setParameter(1011, 1.0f); // "Quality" High on the selected timbre
    plugin().setProgram(3);
    ASSERT_TRUE(plugin().setChunkData(chunk, static_cast<int32_t>(size), false, false, false, &adjustFactoryProgram));
    const CSound sound = plugin().timbre(0).sound();
    EXPECT_EQ(sound.effects[0].type, effect::Chorus) << "the lone effect 2 moves to effect 1";
    EXPECT_EQ(sound.effects[1].type, effect::None);
    EXPECT_EQ(sound.oscillators[0].syncKind, 7) << "\"1/2 x MIDI\" plays at \"60 BPM\"";
    EXPECT_EQ(sound.oscillators[2].syncKind, 7);
    EXPECT_EQ(sound.amplitudeEnvelope.clockKind, 9);
    EXPECT_FLOAT_EQ(sound.level.portamento, 1.0f);
    EXPECT_EQ(sound.portamentoSync, 0);
    EXPECT_FLOAT_EQ(sound.level.pitchBendRange, 2.0f);
    EXPECT_EQ(plugin().timbre(0).quality(), 4) << "timbre settings stay";
    EXPECT_EQ(plugin().timbre(1).programNumber(), 63);
}

TEST_F(SynthPluginTest, EditorAutomationIsRecordedAgainstItsTimbre)
{
    CSettings settings;
    settings.monoTimbral = false;
    ASSERT_EQ(system(("mkdir -p '" + m_folder + "/Brenwick/Quorvix'").c_str()), 0);
    FILE* f = std::fopen((m_folder + "/Brenwick/Quorvix/ini").c_str(), "wb");
    const std::vector<uint8_t> record = buildSettingsRecord(settings);
    std::fwrite(record.data(), 1, record.size(), f);
    std::fclose(f);

    plugin().setParameter(1006, 0.6f); // timbre 3
    ASSERT_EQ(plugin().selectedTimbre(), 2);
    plugin().automateParameter(108, 0.4f);
    EXPECT_EQ(gHost.automatedIndex, 708);
    EXPECT_FLOAT_EQ(gHost.automatedValue, 0.4f);
    EXPECT_FLOAT_EQ(plugin().getParameter(708), 0.4f);
    gHost.automatedIndex = -1;
    plugin().automateParameter(1007, 0.5f);
    EXPECT_EQ(gHost.automatedIndex, -1) << "editor commands are not automation";
}

} // namespace
} // namespace quorvix
