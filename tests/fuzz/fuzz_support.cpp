#include "tests/fuzz/fuzz_support.h"

#include "dsp/runtime_rand.h"
#include "platform/settings_store.h"
#include "presets/parameter_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace qfuzz {

using namespace quorvix;

namespace {

constexpr int kBlockSize = 512;
constexpr int kRigFrames = 128;
constexpr float kRate = 44100.0f;
const int kChordKeys[] = {48, 55, 60, 64, 67};
constexpr int kChannels = 16;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kPitchBend = 0xE0;
constexpr uint8_t kVelocity = 100;
constexpr int kPitchBendRange = 181;
constexpr float kTunBend = 0.0f; // the pitch-bend range that bends between the two tunings
constexpr uint32_t kRandomSeed = 1;
constexpr float kKick = 0.0f;
// The settings that commands change, restored before each input.
const int32_t kSettingCommands[] = {cmd::KnobMode, cmd::OscOversampling, cmd::AutoStorePresetChanges,
                                    cmd::TuningBase};

vst::VstTimeInfo gTimeInfo {};
volatile uint32_t gSink = 0;

intptr_t fuzzHost(vst::AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float)
{
    switch (opcode) {
    case vst::audioMasterVersion:
        return 2400;
    case vst::audioMasterGetTime:
        gTimeInfo = vst::VstTimeInfo {};
        gTimeInfo.sampleRate = kRate;
        gTimeInfo.tempo = 120.0;
        gTimeInfo.flags = vst::kVstTempoValid;
        return reinterpret_cast<intptr_t>(&gTimeInfo);
    case vst::audioMasterProcessEvents: {
        // Every byte the plug-in hands over must be readable.
        const auto* events = static_cast<const vst::VstEvents*>(ptr);
        check(events && events->numEvents >= 0, "events sent to the host");
        for (int32_t i = 0; i < std::min<int32_t>(events->numEvents, 2); ++i) {
            const auto* sysex = reinterpret_cast<const vst::VstMidiSysexEvent*>(events->events[i]);
            check(sysex != nullptr && sysex->dumpBytes >= 0, "a sysex event sent to the host");
            for (int32_t b = 0; b < sysex->dumpBytes; ++b)
                gSink = gSink + static_cast<uint8_t>(sysex->sysexDump[b]);
        }
        return 1;
    }
    default:
        return 0;
    }
}

void prepareEnvironment()
{
    static const bool done = [] {
        setenv("XDG_CONFIG_HOME", scratchFolder().c_str(), 1);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        // Mono timbral mode off: all four timbres render.
        CSettings settings;
        settings.monoTimbral = false;
        check(platform::writeSettingsFile(buildSettingsRecord(settings)), "the settings record");
        return true;
    }();
    (void)done;
}

} // namespace

void checkFinite(const float* samples, int count, const char* what)
{
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(samples[i]))
            fail(std::string("non-finite sample ") + std::to_string(samples[i]) + " at " + std::to_string(i) +
                 " of " + what);
}


const std::string& scratchFolder()
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/quorvix-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made)
            fail("no scratch folder");
        return std::string(made);
    }();
    return folder;
}

std::string writeScratch(const std::string& name, const uint8_t* data, size_t size)
{
    const std::string path = scratchFolder() + "/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

// ---- input --------------------------------------------------------------------------------

uint8_t CInput::u8() { return m_pos < m_size ? m_data[m_pos++] : 0; }

uint16_t CInput::u16() { return static_cast<uint16_t>(u8() | (u8() << 8)); }

uint32_t CInput::u32() { return static_cast<uint32_t>(u16()) | (static_cast<uint32_t>(u16()) << 16); }

float CInput::f32()
{
    const uint32_t bits = u32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

const uint8_t* CInput::take(size_t& count)
{
    count = std::min(count, remaining());
    const uint8_t* start = m_data + m_pos;
    m_pos += count;
    return start;
}

// ---- events -------------------------------------------------------------------------------

void CEventList::addMidi(int32_t delta, uint8_t status, uint8_t data1, uint8_t data2, int8_t detune)
{
    CSlot slot;
    slot.midi.type = vst::kVstMidiType;
    slot.midi.byteSize = sizeof(vst::VstMidiEvent);
    slot.midi.deltaFrames = delta;
    slot.midi.midiData[0] = static_cast<char>(status);
    slot.midi.midiData[1] = static_cast<char>(data1);
    slot.midi.midiData[2] = static_cast<char>(data2);
    slot.midi.detune = static_cast<char>(detune);
    m_slots.push_back(slot);
}

void CEventList::addSysex(int32_t delta, const uint8_t* bytes, int32_t size)
{
    CSlot slot;
    slot.sysex.type = vst::kVstSysExType;
    slot.sysex.byteSize = sizeof(vst::VstMidiSysexEvent);
    slot.sysex.deltaFrames = delta;
    slot.sysex.dumpBytes = size;
    slot.sysex.sysexDump = reinterpret_cast<char*>(const_cast<uint8_t*>(bytes));
    slot.isSysex = true;
    m_slots.push_back(slot);
}

const vst::VstEvents* CEventList::events(int first, int count)
{
    // Hosts allocate the header with as many pointers as there are events.
    const size_t pointers = static_cast<size_t>(std::max(count, 2));
    m_record.assign(offsetof(vst::VstEvents, events) + pointers * sizeof(vst::VstEvent*), 0);
    auto* record = reinterpret_cast<vst::VstEvents*>(m_record.data());
    record->numEvents = count;
    auto** table = reinterpret_cast<vst::VstEvent**>(m_record.data() + offsetof(vst::VstEvents, events));
    for (int i = 0; i < count; ++i) {
        CSlot& slot = m_slots[static_cast<size_t>(first + i)];
        table[i] = slot.isSysex ? reinterpret_cast<vst::VstEvent*>(&slot.sysex)
                                : reinterpret_cast<vst::VstEvent*>(&slot.midi);
    }
    return record;
}

// ---- plug-in ------------------------------------------------------------------------------

CFuzzPlugin& CFuzzPlugin::fresh()
{
    static CFuzzPlugin instance;
    instance.reset();
    return instance;
}

CFuzzPlugin::CFuzzPlugin()
{
    prepareEnvironment();
    m_plugin = std::make_unique<CSynthPlugin>(fuzzHost);
    m_plugin->initialize();
    dispatch(vst::effOpen);
    start();
    m_buffers.assign(static_cast<size_t>(outputs()), std::vector<float>(kBlockSize));
    for (int32_t command : kSettingCommands)
        m_startSettings.emplace_back(command, m_plugin->getParameter(command));
    void* bank = nullptr;
    const intptr_t size = dispatch(vst::effGetChunk, 0, 0, &bank);
    check(size > 0, "the start bank");
    m_startBank.assign(static_cast<uint8_t*>(bank), static_cast<uint8_t*>(bank) + size);
}

CFuzzPlugin::~CFuzzPlugin()
{
    dispatch(vst::effMainsChanged, 0, 0);
    dispatch(vst::effClose);
    m_plugin.release(); // effClose deleted it
}

void CFuzzPlugin::start()
{
    dispatch(vst::effSetSampleRate, 0, 0, nullptr, kRate);
    dispatch(vst::effSetBlockSize, 0, kBlockSize);
    dispatch(vst::effMainsChanged, 0, 1);
}

void CFuzzPlugin::reset()
{
    dispatch(vst::effMainsChanged, 0, 0);
    runtimeSrand(kRandomSeed);
    setParameter(cmd::InitPreset, kKick);
    setParameter(cmd::TuningSource, kHostTuningSource); // resets every tuning
    for (const auto& [command, value] : m_startSettings)
        setParameter(command, value);
    // Programs, timbre settings, selection and tuning base.
    check(dispatch(vst::effSetChunk, 0, static_cast<intptr_t>(m_startBank.size()), m_startBank.data()) ==
              static_cast<intptr_t>(m_startBank.size()),
          "the start bank reads back");
    start();
}

intptr_t CFuzzPlugin::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    vst::AEffect* effect = m_plugin->effect();
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void CFuzzPlugin::setParameter(int32_t index, float value)
{
    vst::AEffect* effect = m_plugin->effect();
    effect->setParameter(effect, index, value);
}

void CFuzzPlugin::processEvents(CEventList& list)
{
    for (int first = 0; first < list.count(); first += kMaxEventsPerCall) {
        const int count = std::min(kMaxEventsPerCall, list.count() - first);
        dispatch(vst::effProcessEvents, 0, 0, const_cast<vst::VstEvents*>(list.events(first, count)));
    }
}

void CFuzzPlugin::playChord()
{
    CEventList list;
    for (int channel = 0; channel < kChannels; ++channel)
        for (int key : kChordKeys)
            list.addMidi(0, static_cast<uint8_t>(kNoteOn | channel), static_cast<uint8_t>(key), kVelocity);
    processEvents(list);
}

void CFuzzPlugin::render(int frames)
{
    std::vector<float*> pointers;
    for (auto& buffer : m_buffers)
        pointers.push_back(buffer.data());
    vst::AEffect* effect = m_plugin->effect();
    for (int done = 0; done < frames; done += kBlockSize) {
        const int n = std::min(kBlockSize, frames - done);
        effect->processReplacing(effect, nullptr, pointers.data(), n);
        for (const auto& buffer : m_buffers)
            checkFinite(buffer.data(), n, "a rendered block");
    }
}

void CFuzzPlugin::checkParameters()
{
    vst::AEffect* effect = m_plugin->effect();
    for (int32_t i = 0; i < effect->numParams; ++i) {
        const float value = effect->getParameter(effect, i);
        if (!(value >= 0.0f && value <= 1.0f))
            fail("parameter " + std::to_string(i) + " reads " + std::to_string(value));
    }
}

// ---- timbre -------------------------------------------------------------------------------

CTuningRig::CTuningRig() : m_timbre(std::make_unique<CTimbre>())
{
    m_context.hostBeatsPerSecond = 2.0f;
    m_context.samplesPerBeat = kRate / 2.0f;
    m_context.beatsPerSample = 2.0f / kRate;
    m_context.samplePeriod = 1.0 / kRate;
    m_context.tuningSource = kFileTuning;
    m_timbre->attach(&m_context);
    m_timbre->initialize();
    m_timbre->setSampleRate(kRate);
    m_timbre->setBlockSize(kBlockSize);
}

void CTuningRig::play(const CTuning& tuning)
{
    m_timbre->resetVoices();
    m_timbre->mainTuning() = tuning;
    m_timbre->destinationTuning() = tuning;
    setParameterValue(*m_timbre, kPitchBendRange, kTunBend);
    std::vector<CMidiEvent> events;
    for (int key = 0; key < kTuningKeys; key += 9) {
        CMidiEvent on;
        on.status = kNoteOn;
        on.data1 = static_cast<uint8_t>(key);
        on.data2 = kVelocity;
        events.push_back(on);
    }
    std::vector<float> left(kRigFrames), right(kRigFrames);
    for (uint8_t bend : {0x7F, 0x00}) {
        CMidiEvent wheel;
        wheel.status = kPitchBend;
        wheel.data1 = bend;
        wheel.data2 = bend;
        events.push_back(wheel);
        m_timbre->processEvents({events.data(), static_cast<int>(events.size())}, 1, 0);
        m_timbre->render(left.data(), right.data(), kRigFrames);
        checkFinite(left.data(), kRigFrames, "the left channel of a tuned chord");
        checkFinite(right.data(), kRigFrames, "the right channel of a tuned chord");
        events.clear();
    }
}

} // namespace qfuzz
