#include "plugin/effect_base.h"

#include "plugin/editor_base.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace quorvix {

namespace {

constexpr int32_t kIdentify = vst::fourCC('N', 'v', 'E', 'f');
constexpr int32_t kVendorVersion = 225;
constexpr int32_t kVstVersion = 2300;
constexpr const char* kEffectName = "Quorvix";
constexpr const char* kVendorName = "Brenwick";
constexpr const char* kProductName = "Quorvix VST-Synth";
constexpr int32_t kProgramCategories = 1;

static_assert(sizeof(CEditorRect) == sizeof(vst::ERect));
static_assert(offsetof(CEditorRect, bottom) == offsetof(vst::ERect, bottom));
static_assert(offsetof(CEditorRect, right) == offsetof(vst::ERect, right));

// The way to the host closes when the library is torn down. A host that leaves with exit() while
// its audio thread still runs keeps calling process, and its answers (the time information above
// all) would come from objects the process has already destroyed. Plain atomics outlive every
// destructor, so late calls still read them safely.
std::atomic<bool> gHostClosed {false};
std::atomic<int> gHostCallsInFlight {0};
// A host call blocked on a thread that is itself exiting must not hold the exit up.
constexpr auto kLongestTeardownWait = std::chrono::milliseconds(500);
constexpr auto kTeardownPoll = std::chrono::milliseconds(1);

// A library the host loaded late is torn down before the libraries the host started with.
struct CLibraryTeardown {
    ~CLibraryTeardown()
    {
        gHostClosed.store(true);
        const auto deadline = std::chrono::steady_clock::now() + kLongestTeardownWait;
        while (gHostCallsInFlight.load() > 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(kTeardownPoll);
    }
} gLibraryTeardown;

// One host call in flight. Counted before the check, so the teardown either sees the call or the
// call sees the teardown.
class CHostCall {
public:
    CHostCall()
    {
        gHostCallsInFlight.fetch_add(1);
        m_open = !gHostClosed.load();
    }
    ~CHostCall() { gHostCallsInFlight.fetch_sub(1); }
    CHostCall(const CHostCall&) = delete;
    CHostCall& operator=(const CHostCall&) = delete;
    bool open() const { return m_open; }

private:
    bool m_open = false;
};

// The interface is C: nothing may leave a forwarder as an exception.
template <typename F, typename R>
R guarded(F&& f, R fallback)
{
    try {
        return f();
    } catch (...) {
        return fallback;
    }
}

intptr_t dispatcherForwarder(vst::AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    CEffectBase* base = CEffectBase::fromEffect(e);
    if (!base)
        return 0;
    if (opcode == vst::effClose) {
        guarded([&] { return base->dispatch(opcode, index, value, ptr, opt); }, intptr_t(0));
        guarded([&] { delete base; return 0; }, 0);
        return 1;
    }
    return guarded([&] { return base->dispatch(opcode, index, value, ptr, opt); }, intptr_t(0));
}

void processForwarder(vst::AEffect* e, float** inputs, float** outputs, int32_t frames)
{
    if (CEffectBase* base = CEffectBase::fromEffect(e))
        guarded([&] { base->process(inputs, outputs, frames); return 0; }, 0);
}

void processReplacingForwarder(vst::AEffect* e, float** inputs, float** outputs, int32_t frames)
{
    if (CEffectBase* base = CEffectBase::fromEffect(e))
        guarded([&] { base->processReplacing(inputs, outputs, frames); return 0; }, 0);
}

void setParameterForwarder(vst::AEffect* e, int32_t index, float value)
{
    if (CEffectBase* base = CEffectBase::fromEffect(e))
        guarded([&] { base->setParameter(index, value); return 0; }, 0);
}

float getParameterForwarder(vst::AEffect* e, int32_t index)
{
    CEffectBase* base = CEffectBase::fromEffect(e);
    return base ? guarded([&] { return base->getParameter(index); }, 0.0f) : 0.0f;
}

// Length of the longest prefix of at most limit bytes that does not split a UTF-8 sequence.
size_t cutAtCharacter(const std::string& text, size_t limit)
{
    if (text.size() <= limit)
        return text.size();
    size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}

} // namespace

void copyToHost(char* destination, const std::string& text, size_t size)
{
    if (!destination || size == 0)
        return;
    const size_t length = cutAtCharacter(text, size - 1);
    std::memcpy(destination, text.data(), length);
    destination[length] = '\0';
}

CEffectBase::CEffectBase(vst::HostCallback host, int32_t programs, int32_t parameters)
    : m_host(host), m_numPrograms(programs), m_numParams(parameters)
{
    m_effect.magic = vst::kEffectMagic;
    m_effect.dispatcher = dispatcherForwarder;
    m_effect.process = processForwarder;
    m_effect.setParameter = setParameterForwarder;
    m_effect.getParameter = getParameterForwarder;
    m_effect.numPrograms = programs;
    m_effect.numParams = parameters;
    m_effect.numInputs = 1;
    m_effect.numOutputs = 2;
    m_effect.ioRatio = 1.0f;
    m_effect.object = this;
    m_effect.uniqueID = vst::fourCC('N', 'o', 'E', 'f');
    m_effect.version = 1;
    m_effect.processReplacing = processReplacingForwarder;
}

CEffectBase::~CEffectBase()
{
    CEditorBase* editor = m_editor;
    m_editor = nullptr;
    delete editor;
}

CEffectBase* CEffectBase::fromEffect(vst::AEffect* effect)
{
    return effect ? static_cast<CEffectBase*>(effect->object) : nullptr;
}

void CEffectBase::setEditor(CEditorBase* editor)
{
    m_editor = editor;
    setFlag(vst::effFlagsHasEditor, editor != nullptr);
}

void CEffectBase::detachEditor(CEditorBase* editor)
{
    if (m_editor == editor)
        setEditor(nullptr);
}

void CEffectBase::setFlag(int32_t flag, bool on)
{
    if (on)
        m_effect.flags |= flag;
    else
        m_effect.flags &= ~flag;
}

intptr_t CEffectBase::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    using namespace vst;
    if (opcode != effProcessEvents)
        beforeDispatch();
    switch (opcode) {
    case effSetProgram:
        if (value < m_numPrograms)
            setProgram(static_cast<int32_t>(value < -1 ? -1 : value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (ptr)
            setProgramName(std::string(static_cast<const char*>(ptr), strnlen(static_cast<const char*>(ptr), kMaxIncomingText)).c_str());
        return 0;
    case effGetProgramName:
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
    case effGetProgramNameIndexed:
    case effGetEffectName:
    case effGetVendorString:
    case effGetProductString:
        return dispatchText(opcode, index, value, ptr);
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<int32_t>(value));
        return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effEditGetRect:
    case effEditOpen:
    case effEditClose:
    case effEditIdle:
    case effEditKeyDown:
    case effEditKeyUp:
    case effSetEditKnobMode:
        return dispatchEditor(opcode, index, value, ptr, opt);
    case effIdentify:
        return kIdentify;
    case effGetChunk:
        if (!ptr)
            return 0;
        *static_cast<void**>(ptr) = nullptr;
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        if (!ptr || value <= 0 || value > INT32_MAX)
            return 0;
        return setChunk(ptr, static_cast<int32_t>(value), index != 0);
    case effProcessEvents:
        processEvents(static_cast<const VstEvents*>(ptr));
        return 1;
    case effCanBeAutomated:
        return 1;
    case effGetNumProgramCategories:
        return kProgramCategories;
    case effCopyProgram:
        return index >= 0 && index < m_numPrograms && copyProgram(index) ? 1 : 0;
    case effConnectInput:
    case effConnectOutput:
        return 1;
    case effGetOutputProperties:
        return getOutputProperties(index, ptr);
    case effGetParameterProperties:
        return ptr && getParameterProperties(index, *static_cast<vst::VstParameterProperties*>(ptr)) ? 1 : 0;
    case effGetPlugCategory:
        return (m_effect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
    case effSetBlockSizeAndSampleRate:
        m_blockSize = static_cast<int32_t>(value);
        m_sampleRate = opt;
        return 1;
    case effGetVendorVersion:
        return kVendorVersion;
    case effCanDo:
        return canDo(static_cast<const char*>(ptr));
    case effGetVstVersion:
        return kVstVersion;
    case effGetCurrentMidiProgram:
        return -1;
    case effGetSpeakerArrangement:
        if (value)
            *reinterpret_cast<void**>(value) = nullptr;
        if (ptr)
            *static_cast<void**>(ptr) = nullptr;
        return 0;
    case effSetTotalSampleToProcess:
        return value;
    default:
        // effOpen, effClose, effGetVu (always 0.0) and every opcode without an answer.
        return 0;
    }
}

intptr_t CEffectBase::dispatchText(int32_t opcode, int32_t index, intptr_t value, void* ptr)
{
    if (!ptr)
        return 0;
    char text[kTextCapacity] = {};
    auto* out = static_cast<char*>(ptr);
    switch (opcode) {
    case vst::effGetProgramName:
        getProgramName(text);
        copyToHost(out, text, kHostProgramNameSize);
        return 0;
    case vst::effGetParamLabel:
        getParameterLabel(index, text);
        copyToHost(out, text, kHostParamLabelSize);
        return 0;
    case vst::effGetParamDisplay:
        getParameterDisplay(index, text);
        copyToHost(out, text, kHostParamDisplaySize);
        return 0;
    case vst::effGetParamName:
        getParameterName(index, text);
        copyToHost(out, text, kHostParamNameSize);
        return 0;
    case vst::effGetProgramNameIndexed:
        if (index < 0 || index >= m_numPrograms || !getProgramNameIndexed(static_cast<int32_t>(value), index, text))
            return 0;
        copyToHost(out, text, kHostProgramNameSize);
        return 1;
    case vst::effGetEffectName:
        copyToHost(out, kEffectName, kHostEffectNameSize);
        return 1;
    case vst::effGetVendorString:
        copyToHost(out, kVendorName, kHostVendorSize);
        return 1;
    case vst::effGetProductString:
        copyToHost(out, kProductName, kHostProductSize);
        return 1;
    default:
        return 0;
    }
}

intptr_t CEffectBase::dispatchEditor(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    if (!m_editor)
        return 0;
    switch (opcode) {
    case vst::effEditGetRect: {
        if (!ptr)
            return 0;
        CEditorRect* rect = nullptr;
        if (!m_editor->getRect(&rect))
            return 0;
        *static_cast<vst::ERect**>(ptr) = reinterpret_cast<vst::ERect*>(rect);
        return 1;
    }
    case vst::effEditOpen:
        return m_editor->open(ptr) ? 1 : 0;
    case vst::effEditClose:
        m_editor->close();
        return 0;
    case vst::effEditIdle:
        m_editor->idle();
        return 0;
    case vst::effEditKeyDown:
    case vst::effEditKeyUp: {
        CKeyCode key;
        key.character = index;
        key.virt = static_cast<uint8_t>(value);
        key.modifier = static_cast<uint8_t>(static_cast<int>(opt));
        return opcode == vst::effEditKeyDown ? m_editor->onKeyDown(key) : m_editor->onKeyUp(key);
    }
    case vst::effSetEditKnobMode:
        return m_editor->setKnobMode(static_cast<int>(value)) ? 1 : 0;
    default:
        return 0;
    }
}

intptr_t CEffectBase::getOutputProperties(int32_t index, void* ptr)
{
    if (!ptr || index < 0 || index >= m_effect.numOutputs)
        return 0;
    auto* pin = static_cast<vst::VstPinProperties*>(ptr);
    char label[vst::kVstMaxLabelLen];
    std::snprintf(label, sizeof label, index % 2 == 0 ? "Quor%1d L" : "Quor%1d R", (index + 2) / 2);
    copyToHost(pin->label, label, sizeof pin->label);
    pin->flags = vst::kVstPinIsActive | vst::kVstPinIsStereo;
    return 1;
}

intptr_t CEffectBase::canDo(const char* text)
{
    if (!text)
        return -1;
    static const char* const kCapabilities[] = {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents",
                                                "receiveVstMidiEvent"};
    for (const char* capability : kCapabilities)
        if (std::strncmp(text, capability, kMaxIncomingText) == 0)
            return 1;
    return -1;
}

void CEffectBase::setParameter(int32_t, float) {}

float CEffectBase::getParameter(int32_t) { return 0.0f; }

void CEffectBase::automateParameter(int32_t index, float value)
{
    setParameter(index, value);
    hostAutomate(index, value);
}

void CEffectBase::process(float**, float**, int32_t) {}

void CEffectBase::processReplacing(float**, float**, int32_t) {}

void CEffectBase::setProgram(int32_t program) { m_curProgram = program; }

int32_t CEffectBase::getProgram() { return m_curProgram; }

void CEffectBase::setProgramName(const char*) {}

void CEffectBase::getProgramName(char* text) { text[0] = '\0'; }

void CEffectBase::getParameterLabel(int32_t, char* text) { text[0] = '\0'; }

void CEffectBase::getParameterDisplay(int32_t, char* text) { text[0] = '\0'; }

void CEffectBase::getParameterName(int32_t, char* text) { text[0] = '\0'; }

int32_t CEffectBase::getChunk(void**, bool) { return 0; }

int32_t CEffectBase::setChunk(const void*, int32_t, bool) { return 0; }

void CEffectBase::setSampleRate(float rate) { m_sampleRate = rate; }

void CEffectBase::setBlockSize(int32_t frames) { m_blockSize = frames; }

int32_t CEffectBase::processEvents(const vst::VstEvents*) { return 0; }

bool CEffectBase::getProgramNameIndexed(int32_t, int32_t, char*) { return false; }

bool CEffectBase::copyProgram(int32_t) { return false; }

intptr_t CEffectBase::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    const CHostCall call;
    return m_host && call.open() ? m_host(&m_effect, opcode, index, value, ptr, opt) : 0;
}

intptr_t CEffectBase::hostVersion() { return callHost(vst::audioMasterVersion); }

void CEffectBase::hostAutomate(int32_t index, float value) { callHost(vst::audioMasterAutomate, index, 0, nullptr, value); }

bool CEffectBase::requestMidiEvents() { return callHost(vst::audioMasterWantMidi, 0, 1) != 0; }

const vst::VstTimeInfo* CEffectBase::getTimeInfo(int32_t mask)
{
    return reinterpret_cast<const vst::VstTimeInfo*>(callHost(vst::audioMasterGetTime, 0, mask));
}

bool CEffectBase::sendEventsToHost(vst::VstEvents* events)
{
    return callHost(vst::audioMasterProcessEvents, 0, 0, events) == 1;
}

bool CEffectBase::updateHostDisplay() { return callHost(vst::audioMasterUpdateDisplay) != 0; }

bool CEffectBase::beginParameterEdit(int32_t index) { return callHost(vst::audioMasterBeginEdit, index) != 0; }

bool CEffectBase::endParameterEdit(int32_t index) { return callHost(vst::audioMasterEndEdit, index) != 0; }

bool CEffectBase::hostIdle() { return callHost(vst::audioMasterIdle) != 0; }

} // namespace quorvix
