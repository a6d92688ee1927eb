#include "plugin/synth_plugin.h"

#include "dsp/runtime_rand.h"
#include "plugin/editor_base.h"
#include "plugin/editor_factory.h"
#include "plugin/parameter_properties.h"
#include "plugin/user_messages.h"
#include "presets/parameter_table.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <new>

namespace quorvix {

namespace {

constexpr int32_t kUniqueId = vst::fourCC('Q', 'u', 'o', 'r');
constexpr int kMonoOutputs = 2;
constexpr int kAllOutputs = 8;
constexpr int kLastProgram = kProgramCount - 1;
constexpr int kLastTimbreIndex = kTimbreCount - 1;
// A negative host index addresses nothing: its remainder could otherwise land on an alias.
constexpr int kNoParameter = -1;

// Values outside 0..1 are the nearest end; NaN never gets this far.
float clampUnit(float value) { return std::clamp(value, 0.0f, 1.0f); }

bool isShownWithNumber(const std::string& name) { return name == "Init" || name == "Randomized"; }

} // namespace

CSynthPlugin::CSynthPlugin(vst::HostCallback host) : CEffectBase(host, kProgramCount, kHostParameterCount)
{
    m_languages = detectLanguages();
    try {
        m_bank = std::make_unique<CBank>();
    } catch (const std::bad_alloc&) {
        showMessage(m_languages, EMessage::OutOfMemory);
    }
    m_breedSeed = static_cast<uint32_t>(std::time(nullptr));
    runtimeSrand(m_breedSeed);
    try {
        m_clipboard = acquireClipboard();
    } catch (const std::bad_alloc&) {
        showMessage(m_languages, EMessage::OutOfMemory);
    }
    m_events = std::make_unique<CMidiEvent[]>(kMaxEventsPerCall);
    m_scratch.assign(kMaxRenderFrames, 0.0f);

    loadSettings();

    setNumInputs(0);
    setNumOutputs(m_monoTimbralMode ? kMonoOutputs : kAllOutputs);
    canProcessReplacing(true);
    programsAreChunks(true);
    isSynth(true);
    hasVu(false);
    hasClip(false);
    setUniqueID(kUniqueId);

    try {
        createEditor(this);
    } catch (const std::bad_alloc&) {
        showMessage(m_languages, EMessage::OutOfMemory);
    }
}

CSynthPlugin::~CSynthPlugin()
{
    if (m_clipboard) {
        m_clipboard.reset();
        releaseClipboard();
    }
    saveSettings();
}

void CSynthPlugin::initialize()
{
    {
        std::lock_guard lock(m_engineLock);
        m_context.tuningBase = 0.0f;
        m_context.tuningSource = kHostTuning;
        m_context.programs = m_bank.get();
        m_context.voiceParameter = &setVoiceParameter;
        m_context.sendSysex = &CSynthPlugin::sendTuningDump;
        m_context.sysexOwner = this;
        m_measuringContext.voiceParameter = &setVoiceParameter;
        for (CTimbre& t : m_timbres)
            t.attach(&m_context);
        m_measuringTimbre.attach(&m_measuringContext);
        for (CTimbre& t : m_timbres)
            t.initialize();
        m_measuringTimbre.initialize();
        m_selectedTimbre = 0;
    }
    loadStartBank();
    {
        std::lock_guard lock(m_engineLock);
        for (int k = 0; k < kTimbreCount; ++k) {
            const int program = k == 0 ? 0 : kLastProgram;
            m_timbres[k].changeProgram(program);
        }
        m_curProgram = m_timbres[0].programNumber();
    }
    showPendingMessages();
    notifyEditor(cmd::UpdateControls, 0.0f);
    updateHostDisplay();
    std::lock_guard lock(m_engineLock);
    resetVoicesLocked();
    setSampleRateLocked(kDefaultSampleRate);
    setBlockSizeLocked(kDefaultBlockSize);
    resetTempoLocked();
}

// ---- parameters ---------------------------------------------------------------------------

CSynthPlugin::CAddress CSynthPlugin::decodeIndex(int32_t index) const
{
    const int selected = m_selectedTimbre;
    if (index >= kFirstCommand)
        return {selected, index};
    if (index < 0)
        return {selected, kNoParameter};
    const int selector = index / kParametersPerTimbre;
    const int timbre = selector == 0 ? selected : selector - 1;
    return {std::clamp(timbre, 0, kLastTimbreIndex), resolveParameterNumber(index % kParametersPerTimbre)};
}

void CSynthPlugin::setParameter(int32_t index, float value)
{
    if (std::isnan(value))
        return;
    value = clampUnit(value);
    const CParameterRecord* command = commandRecord(index);
    ECommandChange change = ECommandChange::Nothing;
    bool selectedChanged = false;
    if (command && command->run)
        change = command->run(*this, value);
    else
        selectedChanged = setTimbreParameter(index, value);
    prepareEffectStorage();
    showPendingMessages();
    followUp(change);
    tellEditor(index, value, selectedChanged);
}

bool CSynthPlugin::setTimbreParameter(int32_t index, float value)
{
    std::lock_guard lock(m_engineLock);
    const CAddress address = decodeIndex(index);
    setParameterValue(m_timbres[address.timbre], address.number, value);
    return address.timbre == m_selectedTimbre;
}

void CSynthPlugin::tellEditor(int32_t index, float value, bool selectedChanged)
{
    if (!editor())
        return;
    const bool settingsCommand = index >= cmd::Channel && index <= cmd::AutoStorePresetChanges;
    if (selectedChanged || settingsCommand)
        editor()->postUpdate();
    // A cancelled or failed tuning-file command leaves the source it found.
    if (index == cmd::TuningSource)
        value = getParameter(cmd::TuningSource);
    if (index >= kFirstCommand) {
        editor()->setParameter(index, value);
        return;
    }
    const int selector = index / kParametersPerTimbre;
    if (index >= 0 && (selector == 0 || selector - 1 == m_selectedTimbre))
        editor()->setParameter(index % kParametersPerTimbre, value);
}

float CSynthPlugin::getParameter(int32_t index)
{
    std::lock_guard lock(m_engineLock);
    const CParameterRecord* command = commandRecord(index);
    if (command && command->read)
        return command->read(*this);
    const CAddress address = decodeIndex(index);
    return parameterValue(m_timbres[address.timbre], address.number);
}

void CSynthPlugin::automateParameter(int32_t index, float value)
{
    if (index >= kFirstCommand || index < 0)
        return;
    const int32_t rewritten = index % kParametersPerTimbre + kParametersPerTimbre * (m_selectedTimbre + 1);
    setParameter(rewritten, value);
    hostAutomate(rewritten, value);
}

void CSynthPlugin::getParameterName(int32_t index, char* text)
{
    copyToHost(text, hostParameterName(index, decodeIndex(index).number), kTextCapacity);
}

void CSynthPlugin::getParameterLabel(int32_t index, char* text)
{
    copyToHost(text, hostUnitLabel(parameterRecord(decodeIndex(index).number).label), kTextCapacity);
}

bool CSynthPlugin::getParameterProperties(int32_t index, vst::VstParameterProperties& properties)
{
    return parameterProperties(index, decodeIndex(index).number, properties);
}

void CSynthPlugin::getParameterDisplay(int32_t index, char* text)
{
    std::lock_guard lock(m_engineLock);
    const CAddress address = decodeIndex(index);
    copyToHost(text, parameterText(m_timbres[address.timbre], address.number), kTextCapacity);
}

void CSynthPlugin::editSelectedTimbre(const std::function<void(CTimbre&)>& edit)
{
    std::lock_guard lock(m_engineLock);
    edit(m_timbres[m_selectedTimbre]);
}

void CSynthPlugin::notifyEditor(int32_t index, float value)
{
    if (editor())
        editor()->setParameter(index, value);
}

void CSynthPlugin::refreshEditorValues()
{
    if (!editor())
        return;
    for (int32_t i = 0; i <= kLastProgramParameter; ++i)
        editor()->setParameter(i, getParameter(i));
}

// ---- programs -----------------------------------------------------------------------------

void CSynthPlugin::setProgram(int32_t program)
{
    const ECommandChange change = changeProgram(program);
    showPendingMessages();
    followUp(change);
}

int32_t CSynthPlugin::getProgram()
{
    std::lock_guard lock(m_engineLock);
    return m_curProgram;
}

void CSynthPlugin::setProgramName(const char* name)
{
    {
        std::lock_guard lock(m_engineLock);
        m_timbres[m_selectedTimbre].setProgramName(name);
    }
    notifyEditor(cmd::UpdateControls, 0.0f);
}

void CSynthPlugin::getProgramName(char* text)
{
    std::lock_guard lock(m_engineLock);
    const std::string& name = m_timbres[m_selectedTimbre].programName();
    std::string shown = name;
    if (isShownWithNumber(name))
        shown += " " + std::to_string(m_curProgram);
    copyToHost(text, shown, kTextCapacity);
}

bool CSynthPlugin::getProgramNameIndexed(int32_t, int32_t index, char* text)
{
    std::lock_guard lock(m_engineLock);
    if (index < 0 || index > kLastProgram || !m_bank)
        return false;
    copyToHost(text, m_bank->getProgramPtr(index).name, kTextCapacity);
    return true;
}

bool CSynthPlugin::copyProgram(int32_t destination)
{
    std::lock_guard lock(m_engineLock);
    if (destination < 0 || destination > kLastProgram || !m_bank)
        return false;
    m_bank->getProgramPtr(destination) = m_bank->getProgramPtr(m_curProgram);
    return true;
}

} // namespace quorvix
