// A VST 2.x host side: loads any plug-in library and drives it through its AEffect.
#pragma once

#include "plugin/vst2abi.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qhost {

struct CMidiMessage {
    int32_t deltaFrames = 0;
    std::vector<uint8_t> bytes; // 1 to 3 bytes, or a whole system-exclusive dump starting with F0
};

// What the host answers to the plug-in, and what it saw the plug-in ask.
struct CHostState {
    intptr_t versionAnswer = 2400;
    bool timeInfoAvailable = true;
    bool tempoValid = true;
    double tempo = 120.0;
    double sampleRate = 44100.0;
    int32_t blockSize = 512;
    double samplePosition = 0.0;

    int automateCalls = 0;
    int32_t lastAutomatedIndex = -1;
    float lastAutomatedValue = 0.0f;
    int updateDisplayCalls = 0;
    int wantMidiCalls = 0;
    int getTimeCalls = 0;
    int idleCalls = 0;
    std::vector<int32_t> otherOpcodes;
    // Edit gestures and automation in order: "begin 708", "automate 708", "end 708".
    std::vector<std::string> gestures;
    // Runs at every audioMasterIdle the plug-in sends (a test's input during an editor's drag).
    std::function<void()> onIdle;
    // System-exclusive events the plug-in sent (audioMasterProcessEvents), as bytes.
    std::vector<std::vector<uint8_t>> receivedSysex;
};

// A unique ID as its four characters ("Quor"); a dot for each that is not printable.
std::string fourCCText(int32_t id);

class CPluginLibrary {
public:
    ~CPluginLibrary();
    CPluginLibrary(const CPluginLibrary&) = delete;
    CPluginLibrary& operator=(const CPluginLibrary&) = delete;

    // Loads the library and finds VSTPluginMain or main; null with the reason in error.
    static std::unique_ptr<CPluginLibrary> open(const std::string& path, std::string& error);

    vst::EntryProc entry() const { return m_entry; }
    const std::string& path() const { return m_path; }

private:
    CPluginLibrary() = default;
    void* m_handle = nullptr;
    vst::EntryProc m_entry = nullptr;
    std::string m_path;
};

class CPluginInstance {
public:
    ~CPluginInstance();
    CPluginInstance(const CPluginInstance&) = delete;
    CPluginInstance& operator=(const CPluginInstance&) = delete;

    // Calls the entry point with this host's callback; null when the plug-in refuses.
    static std::unique_ptr<CPluginInstance> create(const CPluginLibrary& library, const CHostState& state,
                                                   std::string& error);

    // The usual start: effOpen, sample rate, block size, switched on.
    void start();
    // effClose; the instance is gone afterwards and only close() returns its result.
    intptr_t close();

    vst::AEffect* effect() const { return m_effect; }
    CHostState& state() { return m_state; }

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);
    void setParameter(int32_t index, float value);
    float getParameter(int32_t index);
    void processReplacing(float** outputs, int32_t frames);
    void process(float** outputs, int32_t frames);
    intptr_t sendMidi(const std::vector<CMidiMessage>& messages);

    std::string text(int32_t opcode, int32_t index = 0, intptr_t value = 0);
    std::string parameterName(int32_t index) { return text(vst::effGetParamName, index); }
    std::string parameterLabel(int32_t index) { return text(vst::effGetParamLabel, index); }
    std::string parameterDisplay(int32_t index) { return text(vst::effGetParamDisplay, index); }

    // The names of all programs: by index, or where the plug-in cannot name them so, by switching
    // to each program in turn; the current program is selected again afterwards.
    std::vector<std::string> programNames();

    std::vector<uint8_t> getChunk(bool preset);
    intptr_t setChunk(const std::vector<uint8_t>& data, bool preset);

    intptr_t callback(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

private:
    CPluginInstance() = default;
    void selectProgram(intptr_t program);

    vst::AEffect* m_effect = nullptr;
    CHostState m_state;
    vst::VstTimeInfo m_timeInfo {};
};

} // namespace qhost
