#include "plugin/synth_plugin.h"

#include "dsp/runtime_rand.h"
#include "platform/file_dialog.h"
#include "platform/flush_to_zero.h"
#include "platform/message_box.h"
#include "platform/plugin_location.h"
#include "platform/settings_store.h"
#include "plugin/editor_base.h"
#include "plugin/editor_factory.h"
#include "presets/parameter_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>

namespace quorvix {

namespace {

constexpr int32_t kUniqueId = vst::fourCC('Q', 'u', 'o', 'r');
constexpr int kMonoOutputs = 2;
constexpr int kAllOutputs = 8;
constexpr int kLastProgram = kProgramsPerBank - 1;
constexpr double kMinutesPerSecond = 0.016666666666666666;
constexpr double kMaxTempo = 10000.0;
constexpr float kChoiceClamp = 0.99999f;
constexpr int kLastTimbreIndex = kTimbreCount - 1;
constexpr int kBankSelectorCount = 10;
constexpr int kTuningSourceCount = 4;
constexpr int kHostTuning = 0;
constexpr int kFileTuning = 1;
constexpr int kSysexTuning = 2;
constexpr int kExportTuning = 3;
constexpr int kTuningSlots = 2 * kTimbreCount;
const char* const kSysexTuningName = "MIDI System exclusive";
const char* const kLoadTitle = "Quorvix - Load tuning file";
const char* const kMappingTitle = "Quorvix - Load Scala keyboard mapping (cancel: none)";
const char* const kExportTitle = "Quorvix - Export tuning";
// File dialog filters: the first entry (load) or the last (export) depends on the language, and
// every list ends with the all-files entry of the language.
const char* const kTuningFilesAll[] = {"All supported formats", "Alle unterst\xC3\xBCtzte Formate",
                                       "Todos los formatos soportados"};
const char* const kTuningFileFilters =
    " (*.scl;*.msf;*.tun;*.tun.*;*.txt)|*.scl;*.msf;*.tun;*.tun.*;*.txt|Scala (*.scl)|*.scl|"
    "Quorvix Multiple Scales Files (*.msf)|*.msf|Quorvix Tuning Files (*.tun;*.tun.*;*.txt)|*.tun;*.tun.*;*.txt|"
    "Quorvix / VAZ 1.5 Plus (*.tun;*.txt)|*.tun;*.txt|";
const char* const kMappingFilter = "Scala Keyboard Mapping (*.kbm)|*.kbm|";
const char* const kExportFilters =
    "Quorvix Multiple Scales File (*.msf)|*.msf|Quorvix tuning files [TUN V2.00] (*.tun)|*.tun|"
    "Quorvix / VAZ 1.5 Plus tuning files [TUN V1.00] (*.tun)|*.tun|VAZ 1.5 Plus tuning files [TUN V0.00] (*.tun)|"
    "*.tun|";
const char* const kExportMidiFilter[] = {"MIDI file (as system exclusive data) (*.mid)|*.mid||",
                                         "MIDI-Datei (Als System-Exklusiv-Daten) (*.mid)|*.mid||",
                                         "Archivo MIDI (SysEx) (*.mid)|*.mid||"};
const char* const kAllFilesFilter[] = {"All Files (*.*)|*.*||", "Alle Dateien (*.*)|*.*||",
                                       "Todos los archivos (*.*)|*.*||"};
const char* const kExportExtensions = ".msf.tun.tun.tun.mid";
// The size the reply event announces for itself.
constexpr int32_t kReplyEventByteSize = 24;
constexpr int kOversamplingChoices = 3;
// Kick buttons act when their value falls below this.
constexpr float kKickThreshold = 0.5f;
// A negative host index addresses nothing: its remainder could otherwise land on an alias.
constexpr int kNoParameter = -1;

const char* dialogLanguage(const CLanguages& languages, const char* const (&texts)[3])
{
    return chooseDialogLanguage(languages, texts[0], texts[1], texts[2]);
}

// The list as the dialogs get it: the end mark of the list gives way to the all-files entry.
std::string withAllFiles(const CLanguages& languages, std::string filters)
{
    while (!filters.empty() && filters.back() == '|')
        filters.pop_back();
    return filters + "|" + dialogLanguage(languages, kAllFilesFilter);
}

// Values outside 0..1 are the nearest end; NaN never gets this far.
float clampUnit(float value) { return std::clamp(value, 0.0f, 1.0f); }

int choiceOf(float value, int count)
{
    const float v = std::min(clampUnit(value), kChoiceClamp);
    return std::min(static_cast<int>(std::floor(v * static_cast<float>(count))), count - 1);
}

float choiceValue(int choice, int count) { return (static_cast<float>(choice) + 0.5f) / static_cast<float>(count); }

int clampInt(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// One program up or down, wrapping around the bank.
int stepProgram(int program, int step) { return (program + step + kProgramsPerBank) % kProgramsPerBank; }

bool isShownWithNumber(const std::string& name) { return name == "Init" || name == "Randomized"; }

// "3 "Warm Pad"", one program a line.
std::string repairedList(const std::vector<int>& indices, const CBank& bank)
{
    std::string text;
    for (int i : indices)
        text += std::to_string(i) + " \"" + bank.getProgramPtr(i).name + "\"\n";
    return text;
}

CLanguages detectLanguages()
{
    const std::string folder = platform::pluginFolder();
    return languagesFromMarkers(platform::fileReadable(folder + kEnglishMarker),
                                platform::fileReadable(folder + kGermanMarker),
                                platform::fileReadable(folder + kSpanishMarker));
}

platform::EBoxKind boxKind(EMessageKind kind)
{
    switch (kind) {
    case EMessageKind::Error:
        return platform::EBoxKind::Error;
    case EMessageKind::Question:
        return platform::EBoxKind::Question;
    default:
        return platform::EBoxKind::Information;
    }
}

} // namespace

void CSynthPlugin::beforeDispatch()
{
    prepareEffectStorage();
    showPendingMessages();
}

void CSynthPlugin::prepareEffectStorage()
{
    if (onAudioThread())
        return;
    std::lock_guard lock(m_engineLock);
    prepareTimbreEffects();
}

void CSynthPlugin::prepareTimbreEffects()
{
    bool failed = false;
    for (CTimbre& t : m_timbres)
        failed = t.prepareEffects() || failed;
    failed = m_measuringTimbre.prepareEffects() || failed;
    if (failed)
        queueMessage(EMessage::OutOfMemory);
}

CSynthPlugin::CSynthPlugin(vst::HostCallback host) : CEffectBase(host, kProgramsPerBank, kHostParameterCount)
{
    m_languages = detectLanguages();
    try {
        m_bank = std::make_unique<CBank>();
    } catch (const std::bad_alloc&) {
        showMessage(EMessage::OutOfMemory);
    }
    runtimeSrand(static_cast<uint32_t>(std::time(nullptr)));
    try {
        m_clipboard = acquireClipboard();
    } catch (const std::bad_alloc&) {
        showMessage(EMessage::OutOfMemory);
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
        showMessage(EMessage::OutOfMemory);
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
        m_context.tuningSource = 0;
        m_context.programs = m_bank.get();
        m_context.voiceParameter = &setVoiceParameter;
        m_context.sendSysex = &CSynthPlugin::sendTuningDump;
        m_context.sysexOwner = this;
        for (CTimbre& t : m_timbres)
            t.attach(&m_context);
        m_measuringTimbre.attach(&m_context);
        for (CTimbre& t : m_timbres)
            t.initialize();
        m_measuringTimbre.initialize();
        m_selectedTimbre = 0;
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
    for (CTimbre& t : m_timbres)
        t.resetVoices();
    m_measuringTimbre.resetVoices();
    setSampleRate(kDefaultSampleRate);
    setBlockSize(kDefaultBlockSize);
    resetTempo();
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
    return {clampInt(timbre, 0, kLastTimbreIndex), resolveParameterNumber(index % kParametersPerTimbre)};
}

void CSynthPlugin::setParameter(int32_t index, float value)
{
    if (std::isnan(value))
        return;
    value = clampUnit(value);
    if (index == cmd::StorePreset) {
        if (value < kKickThreshold)
            storePreset();
        return;
    }
    bool selectedChanged = false;
    ECommand command = ECommand::NotACommand;
    if (index == cmd::TuningSource && runTuningFileCommand(choiceOf(value, kTuningSourceCount)))
        command = ECommand::Done;
    if (command == ECommand::NotACommand) {
        std::lock_guard lock(m_engineLock);
        command = runCommand(index, value);
        if (command == ECommand::NotACommand) {
            const CAddress address = decodeIndex(index);
            setParameterValue(m_timbres[address.timbre], address.number, value);
            selectedChanged = address.timbre == m_selectedTimbre;
        }
    }
    prepareEffectStorage();
    showPendingMessages();
    followUp(command);
    if (!editor())
        return;
    const bool settingsCommand = index >= cmd::Channel && index <= cmd::AutoStorePresetChanges;
    if (selectedChanged || settingsCommand)
        editor()->postUpdate();
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

CSynthPlugin::ECommand CSynthPlugin::runCommand(int32_t index, float value)
{
    const bool kicked = value < kKickThreshold;
    switch (index) {
    case cmd::UpdateControls:
        return ECommand::Done;
    case cmd::Channel:
        autoStore();
        selectTimbre(choiceOf(value, kTimbreCount));
        return ECommand::TimbreSelected;
    case cmd::Program:
        autoStore();
        changeSelectedProgram(choiceOf(value, kProgramsPerBank));
        return ECommand::SoundChanged;
    case cmd::ProgramMinus:
    case cmd::ProgramPlus:
        if (!kicked)
            return ECommand::Done;
        autoStore();
        changeSelectedProgram(stepProgram(m_curProgram, index == cmd::ProgramPlus ? 1 : -1));
        return ECommand::SoundChanged;
    case cmd::CopyPreset:
        if (kicked) {
            autoStore();
            storeSelected(m_clipboard.get());
        }
        return ECommand::Done;
    case cmd::PastePreset:
        if (!kicked || !m_clipboard)
            return ECommand::Done;
        loadProgram(m_timbres[m_selectedTimbre], *m_clipboard);
        autoStore();
        return ECommand::SoundChanged;
    case cmd::SwapPreset:
        return kicked ? swapWithClipboard() : ECommand::Done;
    case cmd::InitPreset:
        if (kicked && m_clipboard)
            *m_clipboard = CProgram {};
        return ECommand::Done;
    case cmd::KnobMode:
        m_settings.knobMode = value >= 0.5f;
        setProcessKnobMode(m_settings.knobMode);
        return ECommand::Done;
    case cmd::TuningSource:
        setTuningSource(choiceOf(value, kTuningSourceCount));
        return ECommand::Done;
    case cmd::TuningBase:
        m_context.tuningBase = static_cast<float>(engineValue(cmd::TuningBase, value));
        return ECommand::Done;
    case cmd::OscOversampling:
        m_settings.oscOversampling = std::min(static_cast<int>(std::floor(value * kOversamplingChoices)), 2);
        m_context.oscOversampling = m_settings.oscOversampling;
        return ECommand::Done;
    case cmd::MonoTimbralMode:
        setMonoTimbralSetting(value >= 0.5f);
        return ECommand::Done;
    case cmd::AutoStorePresetChanges:
        autoStore();
        m_settings.autoStore = value >= 0.5f;
        autoStore();
        return ECommand::Done;
    default:
        return ECommand::NotACommand;
    }
}

CSynthPlugin::ECommand CSynthPlugin::swapWithClipboard()
{
    if (!m_clipboard)
        return ECommand::Done;
    const CProgram previous = *m_clipboard;
    autoStore();
    storeSelected(m_clipboard.get());
    loadProgram(m_timbres[m_selectedTimbre], previous);
    autoStore();
    return ECommand::SoundChanged;
}

// Sources 0 and 2; loading a file (1) and exporting (3) are commands with dialogs.
void CSynthPlugin::setTuningSource(int source)
{
    m_context.tuningSource = source;
    for (CTimbre& t : m_timbres)
        for (CTuning* tuning : {&t.mainTuning(), &t.destinationTuning()}) {
            tuning->reset();
            if (source == kSysexTuning)
                tuning->setName(kSysexTuningName);
        }
}

// ---- tuning files ------------------------------------------------------------------------

bool CSynthPlugin::runTuningFileCommand(int source)
{
    if (source != kFileTuning && source != kExportTuning)
        return false;
    // Dialogs need the user: never on the audio thread, never under the engine lock.
    if (onAudioThread())
        return true;
    if (source == kFileTuning)
        loadTuningFile();
    else
        exportTuning();
    return true;
}

CSynthPlugin::CTuningCopies CSynthPlugin::copyTunings()
{
    std::lock_guard lock(m_engineLock);
    CTuningCopies copies;
    for (int k = 0; k < kTimbreCount; ++k) {
        copies.tunings[static_cast<size_t>(2 * k)] = m_timbres[k].mainTuning();
        copies.tunings[static_cast<size_t>(2 * k + 1)] = m_timbres[k].destinationTuning();
    }
    copies.selected = m_selectedTimbre;
    return copies;
}

CTuningSlots CSynthPlugin::CTuningCopies::slots(int count)
{
    CTuningSlots pointers;
    for (int i = 0; i < count; ++i)
        pointers.push_back(&tunings[static_cast<size_t>(i)]);
    return pointers;
}

void CSynthPlugin::loadTuningFile()
{
    const std::string filters =
        withAllFiles(m_languages, dialogLanguage(m_languages, kTuningFilesAll) + std::string(kTuningFileFilters));
    const std::optional<std::string> path = platform::openFileDialog(kLoadTitle, filters, platform::pluginFolder());
    if (!path)
        return; // cancelled: the previous source stays
    std::optional<std::string> mapping;
    if (isScalaFile(*path))
        mapping = platform::openFileDialog(kMappingTitle, withAllFiles(m_languages, kMappingFilter),
                                           platform::pluginFolder());
    CTuningCopies copies = copyTunings();
    const std::string error = isScalaFile(*path) ? loadScala(*path, mapping.value_or(""), copies.slots(kTuningSlots))
                                                 : loadTuningCollection(*path, copies.slots(kTuningSlots));
    {
        std::lock_guard lock(m_engineLock);
        for (int k = 0; k < kTimbreCount; ++k) {
            m_timbres[k].mainTuning() = copies.tunings[static_cast<size_t>(2 * k)];
            m_timbres[k].destinationTuning() = copies.tunings[static_cast<size_t>(2 * k + 1)];
        }
        if (error.empty())
            m_context.tuningSource = kFileTuning;
    }
    showMessage(error.empty() ? EMessage::TuningFileLoaded : EMessage::TuningFileError, error);
}

void CSynthPlugin::exportTuning()
{
    const std::string filters =
        withAllFiles(m_languages, std::string(kExportFilters) + dialogLanguage(m_languages, kExportMidiFilter));
    const std::optional<platform::CSaveChoice> choice =
        platform::saveFileDialog(kExportTitle, filters, kExportExtensions, platform::pluginFolder());
    if (!choice) {
        showMessage(EMessage::NothingExported);
        return;
    }
    CTuningCopies copies = copyTunings();
    CTuning selectedMain = copies.tunings[static_cast<size_t>(2 * copies.selected)];
    const std::string failure =
        exportTunings(choice->path, static_cast<EExportFormat>(choice->filter),
                      copies.slots(m_monoTimbralMode ? 2 : kTuningSlots), selectedMain);
    if (failure.empty())
        showMessage(EMessage::ExportDone);
    else
        showMessage(EMessage::ExportFailed, failure);
}

void CSynthPlugin::sendTuningDump(void* owner, const uint8_t* bytes, int size, int deltaFrames)
{
    auto* self = static_cast<CSynthPlugin*>(owner);
    vst::VstMidiSysexEvent& event = self->m_replyEvent;
    event = vst::VstMidiSysexEvent {};
    event.type = vst::kVstSysExType;
    event.byteSize = kReplyEventByteSize;
    event.deltaFrames = deltaFrames;
    event.dumpBytes = size;
    event.sysexDump = reinterpret_cast<char*>(const_cast<uint8_t*>(bytes));
    self->m_replyEvents = vst::VstEvents {};
    self->m_replyEvents.numEvents = 1;
    self->m_replyEvents.events[0] = reinterpret_cast<vst::VstEvent*>(&event);
    self->sendEventsToHost(&self->m_replyEvents);
}

void CSynthPlugin::followUp(ECommand command)
{
    switch (command) {
    case ECommand::TimbreSelected:
        notifyEditor(cmd::UpdateControls, 0.0f);
        updateHostDisplay();
        return;
    case ECommand::SoundChanged:
        updateHostDisplay();
        refreshEditorValues();
        return;
    default:
        return;
    }
}

bool CSynthPlugin::readCommand(int32_t index, float& value) const
{
    switch (index) {
    case cmd::Channel:
        value = choiceValue(m_selectedTimbre, kTimbreCount);
        return true;
    case cmd::Program:
        value = choiceValue(clampInt(m_curProgram, 0, kLastProgram), kProgramsPerBank);
        return true;
    case cmd::ProgramMinus:
    case cmd::ProgramPlus:
    case cmd::UpdateControls:
        value = 0.0f;
        return true;
    case cmd::LoadBankSelector:
        value = choiceValue(clampInt(m_bankSelector, 0, kBankSelectorCount - 1), kBankSelectorCount);
        return true;
    case cmd::KnobMode:
        value = processKnobMode() ? 1.0f : 0.0f;
        return true;
    case cmd::TuningSource:
        value = choiceValue(clampInt(m_context.tuningSource, 0, kTuningSourceCount - 1), kTuningSourceCount);
        return true;
    case cmd::TuningBase:
        value = normalizedValue(cmd::TuningBase, m_context.tuningBase);
        return true;
    case cmd::OscOversampling:
        value = choiceValue(m_settings.oscOversampling, kOversamplingChoices);
        return true;
    case cmd::MonoTimbralMode:
        value = m_settings.monoTimbral ? 1.0f : 0.0f;
        return true;
    case cmd::AutoStorePresetChanges:
        value = m_settings.autoStore ? 1.0f : 0.0f;
        return true;
    default:
        return false;
    }
}

float CSynthPlugin::getParameter(int32_t index)
{
    std::lock_guard lock(m_engineLock);
    float value = 0.0f;
    if (readCommand(index, value))
        return value;
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
    std::lock_guard lock(m_engineLock);
    const CAddress address = decodeIndex(index);
    std::string name;
    if (index >= kParametersPerTimbre && index < kHostParameterCount)
        name = "T" + std::to_string(address.timbre + 1) + "|";
    name += parameterRecord(address.number).name;
    copyToHost(text, name, kTextCapacity);
}

void CSynthPlugin::getParameterLabel(int32_t index, char* text)
{
    std::lock_guard lock(m_engineLock);
    copyToHost(text, parameterRecord(decodeIndex(index).number).label, kTextCapacity);
}

void CSynthPlugin::getParameterDisplay(int32_t index, char* text)
{
    std::lock_guard lock(m_engineLock);
    const CAddress address = decodeIndex(index);
    copyToHost(text, parameterText(m_timbres[address.timbre], address.number), kTextCapacity);
}

void CSynthPlugin::setMonoTimbralSetting(bool on)
{
    m_settings.monoTimbral = on;
    if (on != m_monoTimbralMode)
        queueMessage(EMessage::RestartNeeded);
}

void CSynthPlugin::selectTimbre(int timbre)
{
    m_selectedTimbre = m_monoTimbralMode ? 0 : clampInt(timbre, 0, kLastTimbreIndex);
    m_curProgram = m_timbres[m_selectedTimbre].programNumber();
}

void CSynthPlugin::notifyEditor(int32_t index, float value)
{
    if (editor())
        editor()->setParameter(index, value);
}

// ---- programs -----------------------------------------------------------------------------

void CSynthPlugin::changeSelectedProgram(int program)
{
    if (!m_bank)
        queueMessage(EMessage::BankStorageMissing);
    program = clampInt(program, 0, kLastProgram);
    m_curProgram = program;
    m_timbres[m_selectedTimbre].changeProgram(program);
}

void CSynthPlugin::storeSelected(CProgram* target)
{
    // Only programs of the bank and the clipboard take a timbre's sound.
    const bool accepted = target && ((m_bank && m_bank->contains(target)) || target == m_clipboard.get());
    if (!accepted)
        return;
    storeProgram(m_timbres[m_selectedTimbre], *target);
    if (target == m_clipboard.get())
        return;
    const int number = m_timbres[m_selectedTimbre].programNumber();
    for (int k = 0; k < kTimbreCount; ++k)
        if (k != m_selectedTimbre && m_timbres[k].programNumber() == number)
            m_timbres[k].reloadProgram();
}

void CSynthPlugin::storeSelectedToBank()
{
    if (!m_bank) {
        queueMessage(EMessage::BankStorageMissing);
        return;
    }
    storeSelected(&m_bank->getProgramPtr(m_timbres[m_selectedTimbre].programNumber()));
}

void CSynthPlugin::autoStore()
{
    if (m_settings.autoStore)
        storeSelectedToBank();
}

void CSynthPlugin::storePreset()
{
    if (!m_settings.autoStore) {
        // A question needs the user: never on the audio thread, never under the engine lock.
        if (onAudioThread())
            return;
        const CMessageTexts& texts = messageTexts(EMessage::StoreConfirmation);
        if (!platform::showMessageBox(platform::EBoxKind::Question, messageTitle(texts.kind),
                                      composeMessage(m_languages, EMessage::StoreConfirmation, "")))
            return;
    }
    {
        std::lock_guard lock(m_engineLock);
        storeSelectedToBank();
    }
    showPendingMessages();
}

void CSynthPlugin::refreshEditorValues()
{
    if (!editor())
        return;
    for (int32_t i = 0; i <= kLastProgramParameter; ++i)
        editor()->setParameter(i, getParameter(i));
}

void CSynthPlugin::setProgram(int32_t program)
{
    {
        std::lock_guard lock(m_engineLock);
        autoStore();
        changeSelectedProgram(program);
    }
    showPendingMessages();
    updateHostDisplay();
    refreshEditorValues();
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

// ---- chunks -------------------------------------------------------------------------------

CChunkHeader CSynthPlugin::chunkHeader() const
{
    CChunkHeader h;
    h.selectedTimbre = m_selectedTimbre;
    for (int k = 0; k < kTimbreCount; ++k) {
        const CTimbre& t = m_timbres[k];
        h.timbres[static_cast<size_t>(k)] = {t.settings().polyphony, t.quality(), t.programNumber()};
        h.mainTunings[static_cast<size_t>(k)] = t.mainTuning();
        h.destinationTunings[static_cast<size_t>(k)] = t.destinationTuning();
    }
    h.oscOversampling = m_settings.oscOversampling;
    h.tuningSource = m_context.tuningSource;
    h.tuningBase = m_context.tuningBase;
    return h;
}

int32_t CSynthPlugin::getChunk(void** data, bool isPreset)
{
    if (!data)
        return 0;
    {
        std::lock_guard lock(m_engineLock);
        autoStore();
        std::vector<const CProgram*> programs;
        for (int i = isPreset ? m_curProgram : 0; i <= (isPreset ? m_curProgram : kLastProgram); ++i)
            programs.push_back(m_bank ? &m_bank->getProgramPtr(i) : &fallbackProgram());
        const CChunkHeader header = chunkHeader();
        m_chunk = buildChunk(isPreset ? nullptr : &header, programs);
    }
    showPendingMessages();
    *data = m_chunk.data();
    return static_cast<int32_t>(m_chunk.size());
}

int32_t CSynthPlugin::setChunk(const void* data, int32_t size, bool isPreset)
{
    if (!setChunkData(data, size, true, true, isPreset)) {
        queueMessage(EMessage::ChunkNotReadable);
        showPendingMessages();
        return 0;
    }
    setProgram(getProgram());
    return size;
}

bool CSynthPlugin::setChunkData(const void* data, int32_t size, bool applySettings, bool applyTunings, bool isPreset)
{
    if (!data || size <= 0)
        return false;
    // Read outside the lock into copies of the bank's programs; a record that lacks a block or
    // a value keeps the one of the program it replaces.
    auto programs = std::make_unique<std::array<CProgram, kProgramCount>>();
    int current = 0;
    {
        std::lock_guard lock(m_engineLock);
        if (!m_bank)
            return false;
        for (int i = 0; i < kProgramCount; ++i)
            (*programs)[static_cast<size_t>(i)] = m_bank->getProgramPtr(i);
        current = m_curProgram;
    }
    const auto reading = std::make_unique<CChunkReading>(
        readChunk(static_cast<const uint8_t*>(data), static_cast<size_t>(size), isPreset, current, *programs));
    std::string repaired;
    {
        std::lock_guard lock(m_engineLock);
        for (int i = reading->first; i < reading->first + reading->recordsRead; ++i)
            m_bank->getProgramPtr(i) = std::move((*programs)[static_cast<size_t>(i)]);
        if (!reading->ok)
            return false;
        repaired = repairedList(reading->repaired, *m_bank);
        for (CTimbre& t : m_timbres)
            t.reloadProgram();
        if (reading->headerRead)
            applyChunkHeader(reading->header, applySettings, applyTunings);
    }
    if (!repaired.empty())
        showMessage(EMessage::ProgramsRepaired, repaired);
    return true;
}

void CSynthPlugin::applyChunkHeader(const CChunkHeader& h, bool applySettings, bool applyTunings)
{
    if (applySettings) {
        for (int k = 0; k < h.timbreCount; ++k) {
            CTimbre& t = m_timbres[k];
            const CChunkTimbre& entry = h.timbres[static_cast<size_t>(k)];
            t.setPolyphony(entry.polyphony);
            t.setQuality(entry.quality);
            t.changeProgram(entry.program);
        }
        m_settings.oscOversampling = h.oscOversampling;
        m_context.oscOversampling = h.oscOversampling;
    }
    if (applyTunings) {
        m_context.tuningSource = h.tuningSource;
        if (h.hasTunings)
            for (int k = 0; k < kTimbreCount; ++k) {
                m_timbres[k].mainTuning() = h.mainTunings[static_cast<size_t>(k)];
                if (h.sharedTuning)
                    m_timbres[k].destinationTuning().reset();
                else
                    m_timbres[k].destinationTuning() = h.destinationTunings[static_cast<size_t>(k)];
            }
        m_context.tuningBase = h.tuningBase;
    }
    if (applySettings)
        selectTimbre(h.selectedTimbre);
}

// ---- audio --------------------------------------------------------------------------------

void CSynthPlugin::setSampleRate(float rate)
{
    if (!(rate >= kMinSampleRate && rate <= kMaxSampleRate))
        return; // an unusable rate leaves the engine as it is
    std::lock_guard lock(m_engineLock);
    m_sampleRate = rate;
    m_context.samplePeriod = 1.0 / static_cast<double>(rate);
    m_context.samplesPerBeat = rate / m_context.hostBeatsPerSecond;
    m_context.beatsPerSample = m_context.hostBeatsPerSecond / rate;
    setLastSampleRate(rate);
    for (CTimbre& t : m_timbres)
        t.setSampleRate(rate);
    m_measuringTimbre.setSampleRate(rate * 0.5f);
    // Hosts change the rate only while the audio is suspended, on whatever thread they use.
    prepareTimbreEffects();
}

void CSynthPlugin::setBlockSize(int32_t frames)
{
    if (frames <= 0)
        return;
    std::lock_guard lock(m_engineLock);
    m_blockSize = frames;
    const int workFrames = std::min<int32_t>(frames, kMaxRenderFrames);
    for (CTimbre& t : m_timbres)
        t.setBlockSize(workFrames);
    m_measuringTimbre.setBlockSize(workFrames);
}

void CSynthPlugin::suspend()
{
    {
        std::lock_guard lock(m_engineLock);
        for (CTimbre& t : m_timbres)
            t.resetVoices();
        m_measuringTimbre.resetVoices();
        resetTempo();
    }
    requestMidiEvents();
}

void CSynthPlugin::resume()
{
    requestMidiEvents();
    std::lock_guard lock(m_engineLock);
    resetTempo();
}

void CSynthPlugin::resetTempo()
{
    m_context.hostBeatsPerSecond = kNoTempoBeatsPerSecond;
    m_context.samplesPerBeat = m_sampleRate * (1.0f / kNoTempoBeatsPerSecond);
    m_context.beatsPerSample = kNoTempoBeatsPerSecond / m_sampleRate;
}

void CSynthPlugin::storeTempo(float beatsPerSecond)
{
    if (beatsPerSecond == m_context.hostBeatsPerSecond)
        return;
    m_context.hostBeatsPerSecond = beatsPerSecond;
    m_context.samplesPerBeat = m_sampleRate / beatsPerSecond;
    m_context.beatsPerSample = beatsPerSecond / m_sampleRate;
}

void CSynthPlugin::queryTempo()
{
    const vst::VstTimeInfo* info = getTimeInfo(vst::kVstTempoValid);
    if (!info || !(info->flags & vst::kVstTempoValid))
        return;
    const double tempo = info->tempo;
    if (std::isnan(tempo) || tempo > kMaxTempo)
        return; // nonsense keeps the last known tempo
    if (tempo > 0.0)
        storeTempo(static_cast<float>(tempo * kMinutesPerSecond));
    else
        resetTempo();
}

int32_t CSynthPlugin::processEvents(const vst::VstEvents* events)
{
    if (!events || events->numEvents <= 0)
        return 1;
    m_context.audioThread.store(std::this_thread::get_id());
    std::lock_guard lock(m_engineLock);
    // The list is longer than its declared two entries: read it through a plain pointer.
    vst::VstEvent* const* hostEvents = events->events;
    int count = 0;
    for (int32_t i = 0; i < events->numEvents && count < kMaxEventsPerCall; ++i) {
        const vst::VstEvent* event = hostEvents[i];
        if (!event)
            break;
        CMidiEvent& out = m_events[count];
        out = CMidiEvent {};
        out.deltaFrames = std::max(event->deltaFrames, 0);
        if (event->type == vst::kVstMidiType) {
            const auto* midi = reinterpret_cast<const vst::VstMidiEvent*>(event);
            out.status = static_cast<uint8_t>(midi->midiData[0]);
            out.data1 = static_cast<uint8_t>(midi->midiData[1]);
            out.data2 = static_cast<uint8_t>(midi->midiData[2]);
            out.noteOffset = std::max(midi->noteOffset, 0);
            out.detune = static_cast<int8_t>(midi->detune);
        } else if (event->type == vst::kVstSysExType) {
            const auto* sysex = reinterpret_cast<const vst::VstMidiSysexEvent*>(event);
            if (!sysex->sysexDump || sysex->dumpBytes <= 0)
                continue;
            out.sysex = reinterpret_cast<const uint8_t*>(sysex->sysexDump);
            out.sysexSize = sysex->dumpBytes;
        } else {
            continue;
        }
        ++count;
    }
    const CMidiEventList list {m_events.get(), count};
    for (int k = 0; k < renderedTimbres(); ++k)
        m_timbres[k].processEvents(list, 2 * k + 1, 2 * k);
    return 1;
}

void CSynthPlugin::process(float**, float** outputs, int32_t frames) { render(outputs, frames, false); }

void CSynthPlugin::processReplacing(float**, float** outputs, int32_t frames) { render(outputs, frames, true); }

void CSynthPlugin::render(float** outputs, int32_t frames, bool replacing)
{
    m_context.audioThread.store(std::this_thread::get_id());
    platform::CScopedFlushToZero flushToZero;
    std::lock_guard lock(m_engineLock);
    queryTempo();
    if (frames <= 0 || !outputs)
        return;
    for (int k = 0; k < renderedTimbres(); ++k) {
        float* pair[2] = {outputs[2 * k], outputs[2 * k + 1]};
        if (replacing)
            for (float* channel : pair)
                if (channel)
                    std::fill(channel, channel + frames, 0.0f);
        const int piece = std::max(1, m_timbres[k].blockSize());
        for (int32_t done = 0; done < frames; done += piece) {
            const int n = std::min<int32_t>(piece, frames - done);
            // A missing channel is rendered into scratch so the timbre always has two.
            float* left = pair[0] ? pair[0] + done : m_scratch.data();
            float* right = pair[1] ? pair[1] + done : m_scratch.data();
            m_timbres[k].render(left, right, n);
        }
    }
}

// ---- settings and messages ----------------------------------------------------------------

void CSynthPlugin::loadSettings()
{
    m_settings = CSettings {};
    std::vector<uint8_t> record;
    switch (platform::readSettingsFile(record)) {
    case platform::EReadResult::Missing:
        break;
    case platform::EReadResult::Failed:
        showMessage(EMessage::SettingsNotReadable, platform::settingsFilePath() + "'");
        break;
    case platform::EReadResult::Read:
        if (parseSettingsRecord(record, m_settings))
            noteStoredStartCounter(m_settings.startCounter);
        break;
    }
    m_monoTimbralMode = m_settings.monoTimbral;
    setProcessKnobMode(m_settings.knobMode);
    m_context.oscOversampling = m_settings.oscOversampling;
    m_bankSelector = m_settings.bankSelector;
}

void CSynthPlugin::saveSettings()
{
    CSettings out = m_settings;
    out.startCounter = processStartCounter();
    out.knobMode = processKnobMode();
    out.bankSelector = m_bankSelector;
    if (!platform::writeSettingsFile(buildSettingsRecord(out)))
        showMessage(EMessage::SettingsNotWritable, platform::settingsFilePath() + "'");
}

void CSynthPlugin::queueMessage(EMessage message)
{
    m_pendingMessages.fetch_or(1u << static_cast<unsigned>(message));
}

void CSynthPlugin::showMessage(EMessage message, const std::string& suffix)
{
    const CMessageTexts& texts = messageTexts(message);
    platform::showMessageBox(boxKind(texts.kind), messageTitle(texts.kind),
                             composeMessage(m_languages, message, suffix));
}

void CSynthPlugin::showPendingMessages()
{
    if (onAudioThread())
        return;
    const uint32_t pending = m_pendingMessages.exchange(0);
    for (unsigned bit = 0; bit < 32; ++bit) {
        if (!(pending & (1u << bit)))
            continue;
        const auto message = static_cast<EMessage>(bit);
        showMessage(message, message == EMessage::BankStorageMissing ? kSupportAddress : "");
    }
}

} // namespace quorvix
