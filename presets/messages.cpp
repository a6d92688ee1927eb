#include "presets/messages.h"

#include <array>

namespace quorvix {

namespace {

constexpr const char* kOutOfMemory =
    "Quorvix: Out of memory error. Please exit immediately to avoid loss of data or crashes";
constexpr const char* kBankLoadEnglish =
    "Loading the bank will overwrite all current presets! Do you want to continue?";
constexpr const char* kBankLoadGerman = "Das Laden der Bank \xC3\xBC" "berschreibt alle aktuellen Presets! Wollen Sie fortfahren?";
constexpr const char* kBankLoadSpanish =
    "Cargando este banco sobreescribir\xC3\xA1 todos los ajustes actuales! Desea continuar?";

using K = EMessageKind;

// Indexed by EMessage.
const std::array<CMessageTexts, 18> kCatalogue = {{
    {K::Error,
     "A serious problem occured. Save your work and exit immediately!\nERROR-CODE:    CBank::getProgramPtr\n"
     "Please inform:\n\t",
     "Ein schwerwiegendes Problem ist aufgetreten. Speichern Sie Ihre Daten sofort und beenden Sie das Programm!\n"
     "FEHLER-CODE:    CBank::getProgramPtr\nBitte informieren Sie:\n\t",
     "Ha ocurrido un error grave. Guarde su trabajoy cierre la aplicaci\xC3\xB3n!\nERROR-CODE:    "
     "CBank::getProgramPtr\nPor favor informe:\n\t"},
    {K::Error, kOutOfMemory, kOutOfMemory, kOutOfMemory},
    {K::Error, "An error occured while reading the file\r\n\r\n'",
     "Beim Lesen der Datei ist ein Fehler aufgetreten\r\n\r\n'", "Ha ocurrido un error al leer el archivo\r\n\r\n'"},
    {K::Error, "An error occured while writing the file\r\n\r\n'",
     "Beim Schreiben der Datei ist ein Fehler aufgetreten\r\n\r\n'",
     "Ha ocurrido un error al escribir el archivo\r\n\r\n'"},
    {K::Error, "Error while importing data!", "Fehler beim Einlesen der Daten!", "Error al importar los datos!"},
    {K::Question, "Do you really want to store the changes of the preset?",
     "Wollen Sie die \xC3\x84nderungen des Presets wirklich speichern?",
     "Realmente desea guardar los cambios del preset?"},
    {K::Question, kBankLoadEnglish, kBankLoadGerman, kBankLoadSpanish},
    {K::Question,
     "Loading the bank will overwrite all current presets! Do you want to continue?\r\n"
     "NOTE: Creating random presets may take a while!",
     "Das Laden der Bank \xC3\xBC" "berschreibt alle aktuellen Presets! Wollen Sie fortfahren?\r\n"
     "ACHTUNG: Das Generieren zuf\xC3\xA4lliger Presets kann eine Weile dauern!",
     "Cargando este banco sobreescribir\xC3\xA1 todos los ajustes actuales! Desea continuar?\r\n"
     "NOTA: Crear presets al azar puede tomar alg\xC3\xBAn tiempo."},
    {K::Error, "An error occured while loading the bank!", "Beim Laden der Bank ist ein Fehler aufgetreten!",
     "Ha ocurrido un error cargando el banco!"},
    {K::Information, "O.K.!", "O.K.!", "O.K.!"},
    {K::Information, "For this change taking effect properly you must exit and restart your music-software.",
     "Damit diese \xC3\x84nderung wirksam wird, m\xC3\xBCssen Sie Ihre Musik-Software beenden und neu starten.",
     "Para que este cambio tenga efecto debe salir y reiniciar su programa musical."},
    {K::Information,
     "The changes will take effect after closing and reopening the graphical editor of Quorvix.",
     "Die \xC3\x84nderungen werden wirksam, nachdem der grafische Editor von Quorvix geschlossen und wieder "
     "ge\xC3\xB6" "ffnet wurde.",
     "Los cambios tendr\xC3\xA1n efecto despu\xC3\xA9s de cerrar y volver a abrir el editor gr\xC3\xA1" "fico de "
     "Quorvix."},
    {K::Information, "Tuning file loaded.", "Tonfrequenz-Datei geladen.", "Archivo de tono cargado."},
    {K::Error, "The following error occured while loading the tuning file:\n",
     "Beim Laden der Tonfrequenz-Datei trat folgender Fehler auf:\n",
     "Ha ocurrido el siguiente error al cargar el archivo:\n"},
    {K::Information, "File exported.", "Datei exportiert.", "Archivo exportado."},
    {K::Error, "Error while exporting file:\n\n", "Fehler beim Exportieren der Datei:\n\n",
     "Error al exportar el archivo:\n\n"},
    {K::Error, "No tuning file exported.", "Keine Tonfrequenz-Datei gespeichert.",
     "No se ha exportado ning\xC3\xBAn archivo de tono."},
    {K::Information,
     "Parts of these programs could not be read and were replaced by those of the Init program:\n",
     "Teile dieser Programme konnten nicht gelesen werden und wurden durch die des Init-Programms ersetzt:\n",
     "Partes de estos programas no se pudieron leer y se sustituyeron por las del programa Init:\n"},
}};

} // namespace

const CMessageTexts& messageTexts(EMessage message) { return kCatalogue[static_cast<size_t>(message)]; }

const char* messageTitle(EMessageKind kind) { return kind == EMessageKind::Error ? kErrorTitle : kInformationTitle; }

CLanguages languagesFromMarkers(bool englishMarker, bool germanMarker, bool spanishMarker)
{
    if (!englishMarker && !germanMarker && !spanishMarker)
        return {};
    return {englishMarker, germanMarker, spanishMarker};
}

std::string composeMessage(const CLanguages& languages, const std::string& english, const std::string& german,
                           const std::string& spanish)
{
    const bool headings = languages.count() > 1;
    std::string text;
    auto add = [&](bool used, const char* heading, const std::string& part) {
        if (!used)
            return;
        if (!text.empty())
            text += "\n\n";
        if (headings)
            text += heading;
        text += part;
    };
    add(languages.english, "ENGLISH:\n", english);
    add(languages.german, "DEUTSCH:\n", german);
    add(languages.spanish, "ESPANOLA:\n", spanish);
    return text;
}

std::string composeMessage(const CLanguages& languages, EMessage message, const std::string& suffix)
{
    const CMessageTexts& texts = messageTexts(message);
    if (message == EMessage::OutOfMemory)
        return texts.english;
    if (message == EMessage::RandomBankDone)
        return texts.english;
    return composeMessage(languages, texts.english + suffix, texts.german + suffix, texts.spanish + suffix);
}

const char* chooseListLanguage(const CLanguages& languages, const char* english, const char* german,
                               const char* spanish)
{
    if (languages.german)
        return german;
    if (languages.spanish)
        return spanish;
    return english;
}

const char* chooseDialogLanguage(const CLanguages& languages, const char* english, const char* german,
                                 const char* spanish)
{
    if (languages.english)
        return english;
    if (languages.german)
        return german;
    return spanish;
}

} // namespace quorvix
