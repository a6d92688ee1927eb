// What the fuzz targets share: a quiet environment, a reader of the fuzzer's bytes, the
// plug-in object in-process with a host that reads all it is sent, a timbre that plays a
// tuning, and the render oracle that stops on a non-finite sample.
#pragma once

#include "engine/engine_context.h"
#include "tests/fuzz/fuzz_check.h"
#include "engine/timbre.h"
#include "plugin/synth_plugin.h"
#include "tuning/tuning.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qfuzz {

// Events per processEvents call, as many as the plug-in takes (the list is longer than the two
// entries the interface declares).
constexpr int kMaxEventsPerCall = 4096;

// Values of the tuning source command for the sources that open no dialog.
constexpr float kHostTuningSource = 0.125f;  // choice 0 of 4
constexpr float kSysexTuningSource = 0.625f; // choice 2 of 4

void checkFinite(const float* samples, int count, const char* what);

// Parameters that read out of 0..1 through a known fault: "Detune Coarse" reads slightly above 1
// after 1 until its fix is merged.

// Whether every key has a frequency whose cents the tuning writers can express.

// A private folder for the settings record and the files the targets write, made once per process.
const std::string& scratchFolder();
// Writes the bytes to a file of the scratch folder and returns its path.
std::string writeScratch(const std::string& name, const uint8_t* data, size_t size);

// Takes values from the front of the fuzzer's bytes; zeros once they run out.
class CInput {
public:
    CInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool empty() const { return m_pos >= m_size; }
    size_t remaining() const { return m_size - m_pos; }
    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    float f32(); // any bit pattern: NaN, infinities and huge values included
    // Up to count bytes as a view into the input.
    const uint8_t* take(size_t& count);

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// The events of one block, handed over in VstEvents records of any length as hosts build them.
class CEventList {
public:
    void addMidi(int32_t delta, uint8_t status, uint8_t data1, uint8_t data2, int8_t detune = 0);
    void addSysex(int32_t delta, const uint8_t* bytes, int32_t size);
    int count() const { return static_cast<int>(m_slots.size()); }
    void clear() { m_slots.clear(); }
    // The host record of count events from first on; valid until the next call or change.
    const vst::VstEvents* events(int first, int count);

private:
    struct CSlot {
        vst::VstMidiEvent midi {};
        vst::VstMidiSysexEvent sysex {};
        bool isSysex = false;
    };
    std::vector<CSlot> m_slots;
    std::vector<uint8_t> m_record;
};

// The plug-in object as a host drives it: settings in the scratch folder, no display, eight
// outputs (mono timbral mode off) so that every timbre renders. An instance costs a tenth of a
// second under the sanitizers, so each process keeps one and brings it back to its start state
// before each input.
class CFuzzPlugin {
public:
    // The process's instance, reset.
    static CFuzzPlugin& fresh();
    ~CFuzzPlugin();
    CFuzzPlugin(const CFuzzPlugin&) = delete;
    CFuzzPlugin& operator=(const CFuzzPlugin&) = delete;

    quorvix::CSynthPlugin& plugin() { return *m_plugin; }
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);
    void setParameter(int32_t index, float value);
    // The list in calls of at most kMaxEventsPerCall events.
    void processEvents(CEventList& list);
    // Keys 48, 55, 60, 64, 67 on every channel, velocity 100.
    void playChord();
    // frames in blocks of at most the announced size; every sample must be finite.
    void render(int frames);
    // Every host parameter reads within 0..1.
    void checkParameters();
    int outputs() const { return m_plugin->effect()->numOutputs; }

private:
    CFuzzPlugin();
    void reset();
    void start();

    std::unique_ptr<quorvix::CSynthPlugin> m_plugin;
    std::vector<std::vector<float>> m_buffers;
    std::vector<uint8_t> m_startBank;                     // the bank chunk right after the start
    std::vector<std::pair<int32_t, float>> m_startSettings; // commands and their start values
};

// One timbre at 44100 Hz that plays with a loaded tuning (tuning source "file").
class CTuningRig {
public:
    CTuningRig();
    quorvix::CTimbre& timbre() { return *m_timbre; }
    // Plays a chord spread over the keyboard with the tuning as the main and destination tuning,
    // bent both ways; every sample must be finite.
    void play(const quorvix::CTuning& tuning);

private:
    quorvix::CEngineContext m_context;
    std::unique_ptr<quorvix::CTimbre> m_timbre;
};

} // namespace qfuzz
