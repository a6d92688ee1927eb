#include "host/plugin_host.h"

#include <cstring>
#include <dlfcn.h>
#include <map>
#include <mutex>

namespace qhost {

namespace {

constexpr size_t kTextBuffer = 256;

std::mutex gInstancesMutex;
std::map<vst::AEffect*, CPluginInstance*> gInstances;
// The instance being created: plug-ins may call back before their AEffect is known.
thread_local CPluginInstance* tLoading = nullptr;

CPluginInstance* findInstance(vst::AEffect* effect)
{
    if (effect) {
        std::lock_guard lock(gInstancesMutex);
        auto it = gInstances.find(effect);
        if (it != gInstances.end())
            return it->second;
    }
    return tLoading;
}

intptr_t hostCallback(vst::AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    CPluginInstance* instance = findInstance(effect);
    if (!instance)
        return opcode == vst::audioMasterVersion ? 2400 : 0;
    return instance->callback(opcode, index, value, ptr, opt);
}

} // namespace

std::string fourCCText(int32_t id)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<uint32_t>(id) >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '.';
    }
    return text;
}

CPluginLibrary::~CPluginLibrary()
{
    if (m_handle)
        dlclose(m_handle);
}

std::unique_ptr<CPluginLibrary> CPluginLibrary::open(const std::string& path, std::string& error)
{
    std::unique_ptr<CPluginLibrary> library(new CPluginLibrary);
    library->m_path = path;
    library->m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library->m_handle) {
        const char* reason = dlerror();
        error = "cannot load " + path + ": " + (reason ? reason : "unknown reason");
        return nullptr;
    }
    for (const char* name : {"VSTPluginMain", "main"}) {
        library->m_entry = reinterpret_cast<vst::EntryProc>(dlsym(library->m_handle, name));
        if (library->m_entry)
            return library;
    }
    error = path + " has no VST 2.x entry point (VSTPluginMain or main)";
    return nullptr;
}

std::unique_ptr<CPluginInstance> CPluginInstance::create(const CPluginLibrary& library, const CHostState& state,
                                                         std::string& error)
{
    std::unique_ptr<CPluginInstance> instance(new CPluginInstance);
    instance->m_state = state;
    tLoading = instance.get();
    vst::AEffect* effect = library.entry()(hostCallback);
    tLoading = nullptr;
    if (!effect) {
        error = library.path() + ": the plug-in refused to create an instance";
        return nullptr;
    }
    if (effect->magic != vst::kEffectMagic) {
        error = library.path() + ": the entry point did not return a VST effect";
        return nullptr;
    }
    instance->m_effect = effect;
    std::lock_guard lock(gInstancesMutex);
    gInstances[effect] = instance.get();
    return instance;
}

CPluginInstance::~CPluginInstance() { close(); }

void CPluginInstance::start()
{
    dispatch(vst::effOpen);
    dispatch(vst::effSetSampleRate, 0, 0, nullptr, static_cast<float>(m_state.sampleRate));
    dispatch(vst::effSetBlockSize, 0, m_state.blockSize);
    dispatch(vst::effMainsChanged, 0, 1);
}

intptr_t CPluginInstance::close()
{
    if (!m_effect)
        return 0;
    const intptr_t result = m_effect->dispatcher(m_effect, vst::effClose, 0, 0, nullptr, 0.0f);
    std::lock_guard lock(gInstancesMutex);
    gInstances.erase(m_effect);
    m_effect = nullptr;
    return result;
}

intptr_t CPluginInstance::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    return m_effect ? m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt) : 0;
}

void CPluginInstance::setParameter(int32_t index, float value)
{
    if (m_effect)
        m_effect->setParameter(m_effect, index, value);
}

float CPluginInstance::getParameter(int32_t index) { return m_effect ? m_effect->getParameter(m_effect, index) : 0.0f; }

void CPluginInstance::processReplacing(float** outputs, int32_t frames)
{
    if (m_effect)
        m_effect->processReplacing(m_effect, nullptr, outputs, frames);
    m_state.samplePosition += frames;
}

void CPluginInstance::process(float** outputs, int32_t frames)
{
    if (m_effect)
        m_effect->process(m_effect, nullptr, outputs, frames);
    m_state.samplePosition += frames;
}

intptr_t CPluginInstance::sendMidi(const std::vector<CMidiMessage>& messages)
{
    std::vector<vst::VstMidiEvent> midi;
    std::vector<vst::VstMidiSysexEvent> sysex;
    midi.reserve(messages.size());
    sysex.reserve(messages.size());
    std::vector<vst::VstEvent*> pointers;
    for (const CMidiMessage& m : messages) {
        if (m.bytes.empty())
            continue;
        if (m.bytes[0] == 0xF0) {
            vst::VstMidiSysexEvent e {};
            e.type = vst::kVstSysExType;
            e.byteSize = sizeof e;
            e.deltaFrames = m.deltaFrames;
            e.dumpBytes = static_cast<int32_t>(m.bytes.size());
            e.sysexDump = reinterpret_cast<char*>(const_cast<uint8_t*>(m.bytes.data()));
            sysex.push_back(e);
            pointers.push_back(reinterpret_cast<vst::VstEvent*>(&sysex.back()));
        } else {
            vst::VstMidiEvent e {};
            e.type = vst::kVstMidiType;
            e.byteSize = sizeof e;
            e.deltaFrames = m.deltaFrames;
            for (size_t i = 0; i < m.bytes.size() && i < 3; ++i)
                e.midiData[i] = static_cast<char>(m.bytes[i]);
            midi.push_back(e);
            pointers.push_back(reinterpret_cast<vst::VstEvent*>(&midi.back()));
        }
    }
    // VstEvents declares two slots; the real length follows numEvents.
    std::vector<uint8_t> block(offsetof(vst::VstEvents, events) + sizeof(vst::VstEvent*) * (pointers.size() + 2));
    auto* events = reinterpret_cast<vst::VstEvents*>(block.data());
    events->numEvents = static_cast<int32_t>(pointers.size());
    std::memcpy(block.data() + offsetof(vst::VstEvents, events), pointers.data(), sizeof(vst::VstEvent*) * pointers.size());
    return dispatch(vst::effProcessEvents, 0, 0, events);
}

std::string CPluginInstance::text(int32_t opcode, int32_t index, intptr_t value)
{
    char buffer[kTextBuffer] = {};
    dispatch(opcode, index, value, buffer);
    buffer[kTextBuffer - 1] = '\0';
    return buffer;
}

std::vector<std::string> CPluginInstance::programNames()
{
    const int32_t count = m_effect ? m_effect->numPrograms : 0;
    std::vector<std::string> names;
    for (int32_t i = 0; i < count; ++i) {
        char name[kTextBuffer] = {};
        if (dispatch(vst::effGetProgramNameIndexed, i, -1, name) != 1)
            break;
        name[kTextBuffer - 1] = '\0';
        names.push_back(name);
    }
    if (static_cast<int32_t>(names.size()) == count)
        return names;
    names.clear();
    const intptr_t current = dispatch(vst::effGetProgram);
    for (int32_t i = 0; i < count; ++i) {
        selectProgram(i);
        names.push_back(text(vst::effGetProgramName));
    }
    selectProgram(current);
    return names;
}

void CPluginInstance::selectProgram(intptr_t program)
{
    dispatch(vst::effBeginSetProgram);
    dispatch(vst::effSetProgram, 0, program);
    dispatch(vst::effEndSetProgram);
}

std::vector<uint8_t> CPluginInstance::getChunk(bool preset)
{
    void* data = nullptr;
    const intptr_t size = dispatch(vst::effGetChunk, preset ? 1 : 0, 0, &data);
    if (size <= 0 || !data)
        return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

intptr_t CPluginInstance::setChunk(const std::vector<uint8_t>& data, bool preset)
{
    // Some plug-ins read text chunks with strlen: a zero after the data keeps them inside the copy.
    std::vector<uint8_t> copy = data;
    copy.push_back(0);
    return dispatch(vst::effSetChunk, preset ? 1 : 0, static_cast<intptr_t>(data.size()), copy.data());
}

intptr_t CPluginInstance::callback(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    switch (opcode) {
    case vst::audioMasterProcessEvents: {
        const auto* events = static_cast<const vst::VstEvents*>(ptr);
        for (int32_t i = 0; events && i < events->numEvents; ++i) {
            const vst::VstEvent* e = events->events[i];
            if (!e || e->type != vst::kVstSysExType)
                continue;
            const auto* sysex = reinterpret_cast<const vst::VstMidiSysexEvent*>(e);
            const auto* bytes = reinterpret_cast<const uint8_t*>(sysex->sysexDump);
            if (bytes && sysex->dumpBytes > 0)
                m_state.receivedSysex.emplace_back(bytes, bytes + sysex->dumpBytes);
        }
        return 1;
    }
    case vst::audioMasterVersion:
        return m_state.versionAnswer;
    case vst::audioMasterAutomate:
        ++m_state.automateCalls;
        m_state.lastAutomatedIndex = index;
        m_state.lastAutomatedValue = opt;
        m_state.gestures.push_back("automate " + std::to_string(index));
        return 0;
    case vst::audioMasterBeginEdit:
        m_state.gestures.push_back("begin " + std::to_string(index));
        return 1;
    case vst::audioMasterEndEdit:
        m_state.gestures.push_back("end " + std::to_string(index));
        return 1;
    case vst::audioMasterUpdateDisplay:
        ++m_state.updateDisplayCalls;
        return 1;
    case vst::audioMasterWantMidi:
        ++m_state.wantMidiCalls;
        return 1;
    case vst::audioMasterIdle:
        ++m_state.idleCalls;
        if (m_state.onIdle)
            m_state.onIdle();
        return 1;
    case vst::audioMasterGetTime: {
        ++m_state.getTimeCalls;
        if (!m_state.timeInfoAvailable)
            return 0;
        m_timeInfo = vst::VstTimeInfo {};
        m_timeInfo.samplePos = m_state.samplePosition;
        m_timeInfo.sampleRate = m_state.sampleRate;
        m_timeInfo.tempo = m_state.tempo;
        m_timeInfo.ppqPos = m_state.samplePosition / m_state.sampleRate * m_state.tempo / 60.0;
        m_timeInfo.timeSigNumerator = 4;
        m_timeInfo.timeSigDenominator = 4;
        m_timeInfo.flags = vst::kVstTransportPlaying | vst::kVstPpqPosValid | vst::kVstTimeSigValid;
        if (m_state.tempoValid && (value & vst::kVstTempoValid))
            m_timeInfo.flags |= vst::kVstTempoValid;
        return reinterpret_cast<intptr_t>(&m_timeInfo);
    }
    case vst::audioMasterGetSampleRate:
        return static_cast<intptr_t>(m_state.sampleRate);
    case vst::audioMasterGetBlockSize:
        return m_state.blockSize;
    case vst::audioMasterGetCurrentProcessLevel:
        return 4; // offline
    default:
        m_state.otherOpcodes.push_back(opcode);
        return 0;
    }
}

} // namespace qhost
