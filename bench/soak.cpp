// quorvix_soak SECONDS [SEED]: the plug-in object under random MIDI, tuning messages, program
// and parameter changes over random programs, rendered as fast as it goes for the given wall
// time. Every 30 s it prints the elapsed time, rendered audio and blocks, peak, non-finite
// sample count and resident memory. The same seed plays the same blocks. Exits non-zero when a
// sample was not finite.
#include "dsp/runtime_rand.h"
#include "platform/settings_store.h"
#include "plugin/synth_plugin.h"
#include "presets/parameter_table.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace quorvix;
using Clock = std::chrono::steady_clock;

constexpr float kRate = 44100.0f;
constexpr int kBlock = 512;
constexpr int kOutputs = 8;
constexpr int kEventsPerBlock = 2;
constexpr double kReportSeconds = 30.0;
constexpr float kSysexSource = 0.625f; // tuning source choice 2 of 4

vst::VstTimeInfo gTimeInfo {};

intptr_t soakHost(vst::AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    if (opcode == vst::audioMasterVersion)
        return 2400;
    if (opcode != vst::audioMasterGetTime)
        return 0;
    gTimeInfo.tempo = 120.0;
    gTimeInfo.sampleRate = kRate;
    gTimeInfo.flags = vst::kVstTempoValid;
    return reinterpret_cast<intptr_t>(&gTimeInfo);
}

double residentMegabytes()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// A settings folder of its own, so that the soak neither reads nor changes the user's.
std::string prepareSettings()
{
    char pattern[] = "/tmp/quorvix-soak-XXXXXX";
    const std::string folder = mkdtemp(pattern) ? pattern : "/tmp";
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    CSettings settings;
    settings.monoTimbral = false; // all four timbres render
    platform::writeSettingsFile(buildSettingsRecord(settings));
    return folder;
}

class CSoak {
public:
    explicit CSoak(uint32_t seed);
    ~CSoak();
    void block();
    void report(double elapsed) const;
    long nonFinite() const { return m_nonFinite; }

private:
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f)
    {
        return m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt);
    }
    uint32_t below(uint32_t n) { return m_random() % n; }
    void randomMidi(vst::VstMidiEvent& event);
    void randomTuning(vst::VstMidiSysexEvent& event);
    void hostChange();

    std::mt19937 m_random;
    CSynthPlugin* m_plugin;
    vst::AEffect* m_effect;
    std::vector<std::vector<float>> m_outputs;
    std::vector<uint8_t> m_sysex;
    long m_blocks = 0;
    long m_nonFinite = 0;
    float m_peak = 0.0f;
};

CSoak::CSoak(uint32_t seed)
    : m_random(seed), m_plugin(new CSynthPlugin(soakHost)), m_effect(m_plugin->effect()),
      m_outputs(kOutputs, std::vector<float>(kBlock))
{
    m_plugin->initialize();
    runtimeSrand(seed); // the plug-in seeded its noise from the clock; the same seed, the same run
    dispatch(vst::effOpen);
    dispatch(vst::effSetSampleRate, 0, 0, nullptr, kRate);
    dispatch(vst::effSetBlockSize, 0, kBlock);
    dispatch(vst::effMainsChanged, 0, 1);
    m_effect->setParameter(m_effect, cmd::TuningSource, kSysexSource);
}

CSoak::~CSoak()
{
    dispatch(vst::effMainsChanged, 0, 0);
    dispatch(vst::effClose); // deletes the plug-in
}

void CSoak::randomMidi(vst::VstMidiEvent& event)
{
    event.type = vst::kVstMidiType;
    event.byteSize = sizeof event;
    event.deltaFrames = static_cast<int32_t>(below(kBlock));
    const uint32_t channel = below(kOutputs);
    static const uint8_t kinds[] = {0x90, 0x90, 0x90, 0x80, 0x80, 0xE0, 0xB0, 0xD0, 0xC0};
    const uint8_t kind = kinds[below(std::size(kinds))];
    event.midiData[0] = static_cast<char>(kind | channel);
    event.midiData[1] = static_cast<char>(kind == 0x90 || kind == 0x80 ? 24 + below(84) : below(128));
    event.midiData[2] = static_cast<char>(kind == 0x90 ? 1 + below(127) : below(128));
}

void CSoak::randomTuning(vst::VstMidiSysexEvent& event)
{
    // A real-time single-note change or a scale/octave message, for a random tuning.
    if (below(2))
        m_sysex = {0xF0, 0x7F, 0x7F, 0x08, 0x02, static_cast<uint8_t>(below(8)), 1, static_cast<uint8_t>(below(128)),
                   static_cast<uint8_t>(below(128)), static_cast<uint8_t>(below(128)), static_cast<uint8_t>(below(128)),
                   0xF7};
    else {
        m_sysex = {0xF0, 0x7F, 0x7F, 0x08, 0x08, 0x03, 0x7F, 0x7F};
        for (int i = 0; i < 12; ++i)
            m_sysex.push_back(static_cast<uint8_t>(below(128)));
        m_sysex.push_back(0xF7);
    }
    event = vst::VstMidiSysexEvent {};
    event.type = vst::kVstSysExType;
    event.byteSize = sizeof event;
    event.deltaFrames = static_cast<int32_t>(below(kBlock));
    event.dumpBytes = static_cast<int32_t>(m_sysex.size());
    event.sysexDump = reinterpret_cast<char*>(m_sysex.data());
}

void CSoak::hostChange()
{
    switch (below(40)) {
    case 0:
        dispatch(vst::effSetProgram, 0, below(kProgramCount));
        break;
    case 1:
        m_effect->setParameter(m_effect, cmd::Channel, static_cast<float>(below(4)) / 4.0f + 0.1f);
        break;
    default:
        m_effect->setParameter(m_effect, static_cast<int32_t>(below(kHostParameterCount)),
                               static_cast<float>(below(1001)) / 1000.0f);
        break;
    }
}

void CSoak::block()
{
    vst::VstMidiEvent midi {};
    vst::VstMidiSysexEvent tuning {};
    vst::VstEvents events {};
    randomMidi(midi);
    events.events[0] = reinterpret_cast<vst::VstEvent*>(&midi);
    events.numEvents = 1;
    if (below(8) == 0) {
        randomTuning(tuning);
        events.events[events.numEvents++] = reinterpret_cast<vst::VstEvent*>(&tuning);
    }
    static_assert(kEventsPerBlock == std::size(vst::VstEvents {}.events));
    dispatch(vst::effProcessEvents, 0, 0, &events);
    if (below(4) == 0)
        hostChange();

    float* pointers[kOutputs];
    for (int i = 0; i < kOutputs; ++i)
        pointers[i] = m_outputs[static_cast<size_t>(i)].data();
    m_effect->processReplacing(m_effect, nullptr, pointers, kBlock);
    for (const auto& channel : m_outputs)
        for (float s : channel) {
            if (!std::isfinite(s))
                ++m_nonFinite;
            else
                m_peak = std::max(m_peak, std::fabs(s));
        }
    ++m_blocks;
}

void CSoak::report(double elapsed) const
{
    const double audio = static_cast<double>(m_blocks) * kBlock / kRate;
    std::printf("soak: %6.0f s elapsed, %8.0f s of audio (%ld blocks), peak %.3f, non-finite %ld, resident %.1f MB\n",
                elapsed, audio, m_blocks, static_cast<double>(m_peak), m_nonFinite, residentMegabytes());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::atof(argv[1]) <= 0.0) {
        std::fprintf(stderr, "usage: quorvix_soak SECONDS [SEED]\n");
        return 2;
    }
    const double seconds = std::atof(argv[1]);
    const auto seed = static_cast<uint32_t>(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1);
    const std::string folder = prepareSettings();
    long nonFinite = 0;
    {
        CSoak soak(seed);
        const auto start = Clock::now();
        double nextReport = kReportSeconds;
        double elapsed = 0.0;
        while (elapsed < seconds) {
            soak.block();
            elapsed = std::chrono::duration<double>(Clock::now() - start).count();
            if (elapsed >= nextReport) {
                soak.report(elapsed);
                nextReport += kReportSeconds;
            }
        }
        soak.report(elapsed);
        nonFinite = soak.nonFinite();
    }
    std::system(("rm -rf '" + folder + "'").c_str());
    return nonFinite == 0 ? 0 : 1;
}
