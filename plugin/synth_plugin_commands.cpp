// The editor commands' actions on the plug-in, their read-backs, and storing the selected timbre.
#include "plugin/synth_plugin.h"

#include "plugin/user_messages.h"
#include "presets/parameter_table.h"

#include <algorithm>

namespace quorvix {

namespace {

const char* const kSysexTuningName = "MIDI System exclusive";

} // namespace

ECommandChange CSynthPlugin::selectTimbre(int timbre)
{
    std::lock_guard lock(m_engineLock);
    autoStoreLocked();
    selectTimbreLocked(timbre);
    return ECommandChange::SelectedTimbre;
}

ECommandChange CSynthPlugin::changeProgram(int program)
{
    std::lock_guard lock(m_engineLock);
    autoStoreLocked();
    changeSelectedProgramLocked(program);
    return ECommandChange::SelectedSound;
}

ECommandChange CSynthPlugin::stepProgram(int step)
{
    std::lock_guard lock(m_engineLock);
    autoStoreLocked();
    changeSelectedProgramLocked((m_curProgram + step + kProgramCount) % kProgramCount);
    return ECommandChange::SelectedSound;
}

ECommandChange CSynthPlugin::storePreset()
{
    bool ask = false;
    {
        std::lock_guard lock(m_engineLock);
        ask = !m_settings.autoStore;
    }
    // A question needs the user: never on the audio thread, never under the engine lock.
    if (ask && (onAudioThread() || !showMessage(m_languages, EMessage::StoreConfirmation)))
        return ECommandChange::Nothing;
    std::lock_guard lock(m_engineLock);
    storeSelectedToBankLocked();
    return ECommandChange::Nothing;
}

ECommandChange CSynthPlugin::copyPreset()
{
    std::lock_guard lock(m_engineLock);
    autoStoreLocked();
    storeSelectedLocked(m_clipboard.get());
    return ECommandChange::Nothing;
}

ECommandChange CSynthPlugin::pastePreset()
{
    std::lock_guard lock(m_engineLock);
    if (!m_clipboard)
        return ECommandChange::Nothing;
    loadProgram(m_timbres[m_selectedTimbre], *m_clipboard);
    autoStoreLocked();
    return ECommandChange::SelectedSound;
}

ECommandChange CSynthPlugin::swapPreset()
{
    std::lock_guard lock(m_engineLock);
    if (!m_clipboard)
        return ECommandChange::Nothing;
    const CProgram previous = *m_clipboard;
    autoStoreLocked();
    storeSelectedLocked(m_clipboard.get());
    loadProgram(m_timbres[m_selectedTimbre], previous);
    autoStoreLocked();
    return ECommandChange::SelectedSound;
}

ECommandChange CSynthPlugin::initPreset()
{
    std::lock_guard lock(m_engineLock);
    if (m_clipboard)
        *m_clipboard = CProgram {};
    return ECommandChange::Nothing;
}

ECommandChange CSynthPlugin::setKnobMode(bool on)
{
    std::lock_guard lock(m_engineLock);
    m_settings.knobMode = on;
    setProcessKnobMode(on);
    return ECommandChange::Nothing;
}

bool CSynthPlugin::knobMode() const { return processKnobMode(); }

ECommandChange CSynthPlugin::setTuningSource(int source)
{
    if (source == kFileTuning || source == kExportTuning) {
        // Dialogs need the user: never on the audio thread, never under the engine lock.
        if (onAudioThread())
            return ECommandChange::Nothing;
        if (source == kFileTuning)
            m_tuningFiles.loadFile();
        else
            m_tuningFiles.exportFile();
        return ECommandChange::Nothing;
    }
    std::lock_guard lock(m_engineLock);
    m_context.tuningSource = source;
    for (CTimbre& t : m_timbres)
        for (CTuning* tuning : {&t.mainTuning(), &t.destinationTuning()}) {
            tuning->reset();
            if (source == kSysexTuning)
                tuning->setName(kSysexTuningName);
        }
    return ECommandChange::Nothing;
}

ECommandChange CSynthPlugin::setTuningBase(float semitones)
{
    std::lock_guard lock(m_engineLock);
    m_context.tuningBase = semitones;
    return ECommandChange::Nothing;
}

ECommandChange CSynthPlugin::setOscOversampling(int setting)
{
    std::lock_guard lock(m_engineLock);
    m_settings.oscOversampling = setting;
    m_context.oscOversampling = setting;
    return ECommandChange::Nothing;
}

ECommandChange CSynthPlugin::setMonoTimbralSetting(bool on)
{
    std::lock_guard lock(m_engineLock);
    m_settings.monoTimbral = on;
    if (on != m_monoTimbralMode)
        queueMessage(EMessage::RestartNeeded);
    return ECommandChange::Nothing;
}

ECommandChange CSynthPlugin::setAutoStore(bool on)
{
    std::lock_guard lock(m_engineLock);
    autoStoreLocked();
    m_settings.autoStore = on;
    autoStoreLocked();
    return ECommandChange::Nothing;
}

CTuningCopies CSynthPlugin::copyTunings()
{
    std::lock_guard lock(m_engineLock);
    CTuningCopies copies;
    for (int k = 0; k < kTimbreCount; ++k) {
        copies.main(k) = m_timbres[k].mainTuning();
        copies.destination(k) = m_timbres[k].destinationTuning();
    }
    copies.selected = m_selectedTimbre;
    copies.exported = 2 * renderedTimbres();
    return copies;
}

void CSynthPlugin::commitTunings(const CTuningCopies& copies, bool loaded)
{
    std::lock_guard lock(m_engineLock);
    for (int k = 0; k < kTimbreCount; ++k) {
        m_timbres[k].mainTuning() = copies.main(k);
        m_timbres[k].destinationTuning() = copies.destination(k);
    }
    if (loaded)
        m_context.tuningSource = kFileTuning;
}

void CSynthPlugin::followUp(ECommandChange change)
{
    switch (change) {
    case ECommandChange::SelectedTimbre:
        notifyEditor(cmd::UpdateControls, 0.0f);
        updateHostDisplay();
        return;
    case ECommandChange::SelectedSound:
        updateHostDisplay();
        refreshEditorValues();
        return;
    case ECommandChange::Nothing:
        return;
    }
}

void CSynthPlugin::selectTimbreLocked(int timbre)
{
    m_selectedTimbre = m_monoTimbralMode ? 0 : std::clamp(timbre, 0, kTimbreCount - 1);
    m_curProgram = m_timbres[m_selectedTimbre].programNumber();
}

void CSynthPlugin::changeSelectedProgramLocked(int program)
{
    if (!m_bank)
        queueMessage(EMessage::BankStorageMissing);
    program = std::clamp(program, 0, kProgramCount - 1);
    m_curProgram = program;
    m_timbres[m_selectedTimbre].changeProgram(program);
}

void CSynthPlugin::storeSelectedLocked(CProgram* target)
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

void CSynthPlugin::storeSelectedToBankLocked()
{
    if (!m_bank) {
        queueMessage(EMessage::BankStorageMissing);
        return;
    }
    storeSelectedLocked(&m_bank->getProgramPtr(m_timbres[m_selectedTimbre].programNumber()));
}

void CSynthPlugin::autoStoreLocked()
{
    if (m_settings.autoStore)
        storeSelectedToBankLocked();
}

} // namespace quorvix
