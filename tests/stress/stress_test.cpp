// The plug-in object under a host that calls from several threads at once: one renders notes
// and tuning messages continuously while others set parameters, programs, chunks and commands
// and drive the editor. Built with the thread sanitizer it must report no race; in any build
// no crash and no non-finite sample.
#include "platform/settings_store.h"
#include "plugin/synth_plugin.h"
#include "presets/parameter_table.h"

#include "tests/stress/parent_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quorvix {
namespace {

// Wall time of the run; QUORVIX_STRESS_SECONDS gives another.
constexpr double kDefaultSeconds = 3.0;
constexpr int kBlock = 256;
constexpr float kRate = 44100.0f;
constexpr int kChannels = 8;
constexpr float kSysexSource = 0.625f; // tuning source choice 2 of 4
// Commands that open no dialog.
const int32_t kCommands[] = {cmd::Channel,    cmd::Program,      cmd::ProgramMinus, cmd::ProgramPlus,
                             cmd::CopyPreset, cmd::PastePreset,  cmd::SwapPreset,   cmd::InitPreset,
                             cmd::KnobMode,   cmd::TuningBase,   cmd::OscOversampling,
                             cmd::AutoStorePresetChanges, cmd::UpdateControls};

vst::VstTimeInfo gTimeInfo {};

intptr_t stressHost(vst::AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    switch (opcode) {
    case vst::audioMasterVersion:
        return 2400;
    case vst::audioMasterGetTime:
        // Only the audio thread asks.
        gTimeInfo.tempo = 120.0;
        gTimeInfo.sampleRate = kRate;
        gTimeInfo.flags = vst::kVstTempoValid;
        return reinterpret_cast<intptr_t>(&gTimeInfo);
    default:
        return 0;
    }
}

double stressSeconds()
{
    const char* text = std::getenv("QUORVIX_STRESS_SECONDS");
    return text ? std::atof(text) : kDefaultSeconds;
}

class StressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folder[] = "/tmp/quorvix-stress-XXXXXX";
        m_folder = mkdtemp(folder);
        setenv("XDG_CONFIG_HOME", m_folder.c_str(), 1);
        unsetenv("DISPLAY"); // dialogs and boxes go to standard error
        unsetenv("WAYLAND_DISPLAY");
        CSettings settings;
        settings.monoTimbral = false; // all four timbres render
        ASSERT_TRUE(platform::writeSettingsFile(buildSettingsRecord(settings)));
        m_plugin = std::make_unique<CSynthPlugin>(stressHost);
        m_plugin->initialize();
        m_effect = m_plugin->effect();
        dispatch(vst::effOpen);
        dispatch(vst::effSetSampleRate, 0, 0, nullptr, kRate);
        dispatch(vst::effSetBlockSize, 0, kBlock);
        dispatch(vst::effMainsChanged, 0, 1);
    }
    void TearDown() override
    {
        if (m_plugin) {
            dispatch(vst::effMainsChanged, 0, 0);
            dispatch(vst::effClose);
            m_plugin.release(); // effClose deleted it
        }
        std::system(("rm -rf '" + m_folder + "'").c_str());
    }
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f)
    {
        return m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt);
    }

    // Runs each body in its own thread, over and over, until the time is up.
    void runTogether(const std::vector<std::function<void(std::mt19937&)>>& bodies)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(stressSeconds());
        std::vector<std::thread> threads;
        for (size_t i = 0; i < bodies.size(); ++i)
            threads.emplace_back([&, i] {
                std::mt19937 random(static_cast<uint32_t>(i + 1));
                while (std::chrono::steady_clock::now() < end)
                    bodies[i](random);
            });
        for (std::thread& t : threads)
            t.join();
    }

    void renderBlock(std::mt19937& random);
    void changeParameters(std::mt19937& random);
    void changePrograms(std::mt19937& random);
    void selectTimbres(std::mt19937& random);
    void useEditor(std::mt19937& random);

    std::string m_folder;
    std::unique_ptr<CSynthPlugin> m_plugin;
    vst::AEffect* m_effect = nullptr;
    std::atomic<long> m_blocks {0};
    std::atomic<long> m_nonFinite {0};
};

// The event record of one block: a note on or off and a tuning message.
struct CBlockEvents {
    vst::VstMidiEvent note {};
    vst::VstMidiSysexEvent tuning {};
    std::vector<uint8_t> sysex;
    vst::VstEvents list {};
};

void StressTest::renderBlock(std::mt19937& random)
{
    CBlockEvents e;
    e.note.type = vst::kVstMidiType;
    e.note.byteSize = sizeof e.note;
    e.note.deltaFrames = static_cast<int32_t>(random() % kBlock);
    const int channel = static_cast<int>(random() % kChannels);
    e.note.midiData[0] = static_cast<char>((random() % 3 ? 0x90 : 0x80) | channel);
    e.note.midiData[1] = static_cast<char>(36 + random() % 48);
    e.note.midiData[2] = static_cast<char>(1 + random() % 127);
    // A real-time single-note tuning change of a random key, for a random timbre's tuning.
    e.sysex = {0xF0, 0x7F, 0x7F, 0x08, 0x02, static_cast<uint8_t>(random() % 8), 1,
               static_cast<uint8_t>(random() % 128), static_cast<uint8_t>(random() % 128),
               static_cast<uint8_t>(random() % 128), static_cast<uint8_t>(random() % 128), 0xF7};
    e.tuning.type = vst::kVstSysExType;
    e.tuning.byteSize = sizeof e.tuning;
    e.tuning.dumpBytes = static_cast<int32_t>(e.sysex.size());
    e.tuning.sysexDump = reinterpret_cast<char*>(e.sysex.data());
    e.list.numEvents = 2;
    e.list.events[0] = reinterpret_cast<vst::VstEvent*>(&e.note);
    e.list.events[1] = reinterpret_cast<vst::VstEvent*>(&e.tuning);
    dispatch(vst::effProcessEvents, 0, 0, &e.list);

    static thread_local std::vector<std::vector<float>> outputs(8, std::vector<float>(kBlock));
    float* pointers[8];
    for (int i = 0; i < 8; ++i)
        pointers[i] = outputs[static_cast<size_t>(i)].data();
    m_effect->processReplacing(m_effect, nullptr, pointers, kBlock);
    for (const auto& channelData : outputs)
        for (float s : channelData)
            if (!std::isfinite(s))
                ++m_nonFinite;
    ++m_blocks;
}

void StressTest::changeParameters(std::mt19937& random)
{
    const auto index = static_cast<int32_t>(random() % kHostParameterCount);
    const float value = static_cast<float>(random() % 1001) / 1000.0f;
    m_effect->setParameter(m_effect, index, value);
    m_effect->getParameter(m_effect, index);
    char text[256];
    dispatch(vst::effGetParamDisplay, index, 0, text);
}

void StressTest::changePrograms(std::mt19937& random)
{
    switch (random() % 5) {
    case 0:
        dispatch(vst::effSetProgram, 0, static_cast<intptr_t>(random() % kProgramCount));
        break;
    case 1: {
        const bool preset = random() % 2;
        void* data = nullptr;
        const intptr_t size = dispatch(vst::effGetChunk, preset, 0, &data);
        ASSERT_GT(size, 0);
        std::vector<uint8_t> copy(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        EXPECT_EQ(dispatch(vst::effSetChunk, preset, size, copy.data()), size);
        break;
    }
    case 2:
        m_effect->setParameter(m_effect, cmd::TuningSource, random() % 2 ? kSysexSource : 0.0f);
        break;
    default: {
        const int32_t command = kCommands[random() % std::size(kCommands)];
        m_effect->setParameter(m_effect, command, static_cast<float>(random() % 100) / 100.0f);
        break;
    }
    }
}

void StressTest::selectTimbres(std::mt19937& random)
{
    m_effect->setParameter(m_effect, cmd::Channel, static_cast<float>(random() % 4) / 4.0f + 0.1f);
}

// Open, draw (the idles) and close, as a host's editor thread does.
void StressTest::useEditor(std::mt19937& random)
{
    const CParentWindow parent;
    dispatch(vst::effEditOpen, 0, 0, parent.id());
    for (int i = 0; i < 1 + static_cast<int>(random() % 4); ++i) {
        dispatch(vst::effEditIdle);
        vst::ERect* rect = nullptr;
        dispatch(vst::effEditGetRect, 0, 0, &rect);
    }
    dispatch(vst::effEditClose);
}

TEST_F(StressTest, RenderingWhileOtherThreadsChangeEverything)
{
    m_effect->setParameter(m_effect, cmd::TuningSource, kSysexSource);
    runTogether({[this](std::mt19937& r) { renderBlock(r); }, [this](std::mt19937& r) { changeParameters(r); },
                 [this](std::mt19937& r) { changeParameters(r); }, [this](std::mt19937& r) { changePrograms(r); },
                 [this](std::mt19937& r) { selectTimbres(r); }, [this](std::mt19937& r) { useEditor(r); }});
    EXPECT_GT(m_blocks.load(), 10);
    EXPECT_EQ(m_nonFinite.load(), 0);
}

} // namespace
} // namespace quorvix
