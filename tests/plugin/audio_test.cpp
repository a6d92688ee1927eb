#include "plugin_fixture.h"

#include "plugin/vst2abi.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <limits>
#include <new>
#include <string>
#include <thread>

// Counts allocations while a test asks for it; the plug-in's operator new resolves to these.
// They pair malloc with free, which GCC cannot see through the replaced operators.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::atomic<bool> gCounting {false};
std::atomic<int> gAllocations {0};
} // namespace

void* operator new(std::size_t size)
{
    if (gCounting.load(std::memory_order_relaxed))
        gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace qtest {
namespace {

constexpr float kFill = 0.25f;

struct COutputs {
    explicit COutputs(int channels, int frames, float fill = kFill)
        : data(static_cast<size_t>(channels), std::vector<float>(static_cast<size_t>(frames), fill))
    {
        for (auto& c : data)
            pointers.push_back(c.data());
    }
    bool allEqual(float value) const
    {
        for (const auto& c : data)
            for (float s : c)
                if (s != value)
                    return false;
        return true;
    }
    std::vector<std::vector<float>> data;
    std::vector<float*> pointers;
};

TEST_F(PluginTest, ProcessReplacingOverwritesEveryOutput)
{
    useEightOutputs();
    COutputs out(8, 512);
    plugin().processReplacing(out.pointers.data(), 512);
    EXPECT_TRUE(out.allEqual(0.0f));
}

TEST_F(PluginTest, ProcessAddsToWhatTheBuffersHold)
{
    useEightOutputs();
    COutputs out(8, 300);
    plugin().process(out.pointers.data(), 300);
    EXPECT_TRUE(out.allEqual(kFill)) << "silence adds nothing";
}

TEST_F(PluginTest, ZeroFramesWriteNothing)
{
    useEightOutputs();
    COutputs out(8, 16);
    plugin().processReplacing(out.pointers.data(), 0);
    plugin().processReplacing(out.pointers.data(), -5);
    EXPECT_TRUE(out.allEqual(kFill));
}

TEST_F(PluginTest, MonoTimbralModeWritesOnlyTwoOutputs)
{
    // Exactly two channel pointers: a third would be read past the array.
    std::array<std::vector<float>, 2> channels {std::vector<float>(256, kFill), std::vector<float>(256, kFill)};
    std::array<float*, 2> pointers {channels[0].data(), channels[1].data()};
    plugin().processReplacing(pointers.data(), 256);
    for (const auto& c : channels)
        for (float s : c)
            ASSERT_EQ(s, 0.0f);
}

TEST_F(PluginTest, BlocksLongerThanAnnouncedAreRenderedWhole)
{
    useEightOutputs();
    plugin().dispatch(vst::effSetBlockSize, 0, 64);
    COutputs out(8, 20000);
    plugin().processReplacing(out.pointers.data(), 20000);
    EXPECT_TRUE(out.allEqual(0.0f));
}

TEST_F(PluginTest, MissingChannelPointersAreSkipped)
{
    useEightOutputs();
    COutputs out(8, 128);
    out.pointers[3] = nullptr;
    out.pointers[6] = nullptr;
    plugin().processReplacing(out.pointers.data(), 128);
    EXPECT_EQ(out.data[0][5], 0.0f);
    EXPECT_EQ(out.data[3][5], kFill);
    plugin().processReplacing(nullptr, 128);
}

TEST_F(PluginTest, TempoIsAskedAtEveryAudioCall)
{
    COutputs out(2, 64);
    const int before = plugin().state().getTimeCalls;
    plugin().processReplacing(out.pointers.data(), 64);
    plugin().process(out.pointers.data(), 64);
    plugin().processReplacing(out.pointers.data(), 0);
    EXPECT_EQ(plugin().state().getTimeCalls - before, 3);
}

TEST_F(PluginTest, EventListsOfAnyShapeAreTaken)
{
    EXPECT_EQ(plugin().dispatch(vst::effProcessEvents, 0, 0, nullptr), 1);
    vst::VstEvents empty {};
    EXPECT_EQ(plugin().dispatch(vst::effProcessEvents, 0, 0, &empty), 1);

    std::vector<qhost::CMidiMessage> messages;
    for (int i = 0; i < 6000; ++i)
        messages.push_back({i % 700 - 50, {0x90, static_cast<uint8_t>(i % 128), 100}});
    messages.push_back({0, {0xF0, 0x7E, 0x7F, 0x08, 0x01, 0x00}});
    messages.push_back({0, std::vector<uint8_t>(100000, 0x11)});
    EXPECT_EQ(plugin().sendMidi(messages), 1);

    vst::VstMidiSysexEvent broken {};
    broken.type = vst::kVstSysExType;
    broken.dumpBytes = 1 << 30;
    vst::VstEvent* pointers[2] = {reinterpret_cast<vst::VstEvent*>(&broken), nullptr};
    vst::VstEvents events {};
    events.numEvents = 1;
    events.events[0] = pointers[0];
    EXPECT_EQ(plugin().dispatch(vst::effProcessEvents, 0, 0, &events), 1) << "a dump without bytes is skipped";
    events.numEvents = 2;
    events.events[1] = pointers[1];
    EXPECT_EQ(plugin().dispatch(vst::effProcessEvents, 0, 0, &events), 1) << "a null event ends the list";
}

TEST_F(PluginTest, HostileRatesAndBlockSizesAreIgnored)
{
    useEightOutputs();
    for (float rate : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                       1e12f, 5.0f})
        plugin().dispatch(vst::effSetSampleRate, 0, 0, nullptr, rate);
    for (intptr_t frames : {intptr_t(0), intptr_t(-64), intptr_t(1) << 40})
        plugin().dispatch(vst::effSetBlockSize, 0, frames);
    plugin().dispatch(vst::effSetBlockSizeAndSampleRate, 0, 0, nullptr, 0.0f);
    COutputs out(8, 1000);
    plugin().processReplacing(out.pointers.data(), 1000);
    EXPECT_TRUE(out.allEqual(0.0f));
}

TEST_F(PluginTest, AudioAndEventCallsDoNotAllocate)
{
    useEightOutputs();
    COutputs out(8, 4096);
    plugin().processReplacing(out.pointers.data(), 512);
    const std::vector<qhost::CMidiMessage> notes = {{0, {0x90, 60, 100}}, {10, {0x91, 64, 90}}, {20, {0xB0, 7, 100}}};
    // Build the event block before counting: only the plug-in's side is measured.
    std::vector<vst::VstMidiEvent> midi(notes.size());
    // Tuning messages too: a bulk dump with a 16-character name and a real-time note change.
    std::vector<uint8_t> dump = {0xF0, 0x7E, 0x7F, 0x08, 0x01, 0x00};
    for (char c : std::string("Sixteen chars ok"))
        dump.push_back(static_cast<uint8_t>(c));
    for (int k = 0; k < 128; ++k)
        dump.insert(dump.end(), {static_cast<uint8_t>(k), 32, 0});
    dump.insert(dump.end(), {0x00, 0xF7});
    std::vector<uint8_t> change = {0xF0, 0x7F, 0x7F, 0x08, 0x02, 0x00, 1, 60, 61, 0, 0, 0xF7};
    std::vector<vst::VstMidiSysexEvent> sysex(2);
    for (size_t i = 0; i < sysex.size(); ++i) {
        std::vector<uint8_t>& bytes = i == 0 ? dump : change;
        sysex[i].type = vst::kVstSysExType;
        sysex[i].byteSize = sizeof(vst::VstMidiSysexEvent);
        sysex[i].dumpBytes = static_cast<int32_t>(bytes.size());
        sysex[i].sysexDump = reinterpret_cast<char*>(bytes.data());
    }
    const size_t count = notes.size() + sysex.size();
    std::vector<uint8_t> block(16 + 8 * (count + 2));
    auto* events = reinterpret_cast<vst::VstEvents*>(block.data());
    events->numEvents = static_cast<int32_t>(count);
    auto** slots = reinterpret_cast<vst::VstEvent**>(block.data() + 16);
    for (size_t i = 0; i < notes.size(); ++i) {
        midi[i].type = vst::kVstMidiType;
        midi[i].byteSize = sizeof(vst::VstMidiEvent);
        midi[i].deltaFrames = notes[i].deltaFrames;
        for (size_t b = 0; b < 3; ++b)
            midi[i].midiData[b] = static_cast<char>(notes[i].bytes[b]);
        slots[i] = reinterpret_cast<vst::VstEvent*>(&midi[i]);
    }
    for (size_t i = 0; i < sysex.size(); ++i)
        slots[notes.size() + i] = reinterpret_cast<vst::VstEvent*>(&sysex[i]);
    plugin().setParameter(1018, 0.625f); // tunings by MIDI System Exclusive
    vst::AEffect* e = plugin().effect();
    constexpr int kEffect1 = 363, kEffect1Time1 = 364; // timbre 1
    e->setParameter(e, kEffect1, 2.5f / 22);            // "Delay"
    gAllocations = 0;
    gCounting = true;
    for (int i = 0; i < 20; ++i) {
        e->dispatcher(e, vst::effProcessEvents, 0, 0, events, 0.0f);
        e->processReplacing(e, nullptr, out.pointers.data(), 4096);
        e->process(e, nullptr, out.pointers.data(), 333);
        e->setParameter(e, 308, 0.01f * i);
        // Automated effect times, and at the end a four-beat line longer than any stored one.
        e->setParameter(e, kEffect1Time1, 0.05f * i);
        if (i == 19)
            e->setParameter(e, kEffect1, 13.5f / 22); // "Delay (S)"
    }
    gCounting = false;
    EXPECT_EQ(gAllocations.load(), 0);

    // The next call from another thread gives the line its storage (and shows the counter sees
    // the plug-in's allocations).
    std::thread([e] {
        gCounting = true;
        e->dispatcher(e, vst::effGetProgram, 0, 0, nullptr, 0.0f);
        gCounting = false;
    }).join();
    EXPECT_GT(gAllocations.load(), 0);
}

} // namespace
} // namespace qtest
