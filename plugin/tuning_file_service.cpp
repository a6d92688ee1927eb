#include "plugin/tuning_file_service.h"

#include "platform/file_dialog.h"
#include "platform/plugin_location.h"
#include "plugin/user_messages.h"

#include <optional>
#include <string>

namespace quorvix {

namespace {

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

} // namespace

CTuningSlots CTuningCopies::slots(int count)
{
    CTuningSlots pointers;
    for (int i = 0; i < count; ++i)
        pointers.push_back(&tunings[static_cast<size_t>(i)]);
    return pointers;
}

void CTuningFileService::loadFile()
{
    const std::string filters =
        withAllFiles(m_languages, dialogLanguage(m_languages, kTuningFilesAll) + std::string(kTuningFileFilters));
    const std::optional<std::string> path = platform::openFileDialog(kLoadTitle, filters, platform::pluginFolder());
    if (!path)
        return;
    std::optional<std::string> mapping;
    if (isScalaFile(*path))
        mapping = platform::openFileDialog(kMappingTitle, withAllFiles(m_languages, kMappingFilter),
                                           platform::pluginFolder());
    CTuningCopies copies = m_owner.copyTunings();
    const std::string error = isScalaFile(*path)
                                  ? loadScala(*path, mapping.value_or(""), copies.slots(kTuningSlotCount))
                                  : loadTuningCollection(*path, copies.slots(kTuningSlotCount));
    // What a failed file gave before its error is kept, as the readers leave it.
    m_owner.commitTunings(copies, error.empty());
    showMessage(m_languages, error.empty() ? EMessage::TuningFileLoaded : EMessage::TuningFileError, error);
}

void CTuningFileService::exportFile()
{
    const std::string filters =
        withAllFiles(m_languages, std::string(kExportFilters) + dialogLanguage(m_languages, kExportMidiFilter));
    const std::optional<platform::CSaveChoice> choice =
        platform::saveFileDialog(kExportTitle, filters, kExportExtensions, platform::pluginFolder());
    if (!choice) {
        showMessage(m_languages, EMessage::NothingExported);
        return;
    }
    CTuningCopies copies = m_owner.copyTunings();
    CTuning selectedMain = copies.main(copies.selected);
    const std::string failure = exportTunings(choice->path, static_cast<EExportFormat>(choice->filter),
                                              copies.slots(copies.exported), selectedMain);
    if (failure.empty())
        showMessage(m_languages, EMessage::ExportDone);
    else
        showMessage(m_languages, EMessage::ExportFailed, failure);
}

} // namespace quorvix
