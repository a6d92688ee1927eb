// Every text the plug-in shows to a user, in English, German and Spanish.
#pragma once

#include <string>

namespace quorvix {

enum class EMessage {
    BankStorageMissing,
    OutOfMemory,
    SettingsNotReadable,
    SettingsNotWritable,
    ChunkNotReadable,
    StoreConfirmation,
    BankLoadConfirmation,
    BankLoadConfirmationRandom,
    BankLoadFailed,
    RandomBankDone,
    RestartNeeded,
    EditorReopen,
    TuningFileLoaded,
    TuningFileError,
    ExportDone,
    ExportFailed,
    NothingExported,
    ProgramsRepaired,
};

enum class EMessageKind { Error, Information, Question };

constexpr const char* kErrorTitle = "Quorvix - ERROR";
constexpr const char* kInformationTitle = "Quorvix";
constexpr const char* kSupportAddress = "support@brenwick.com";

struct CMessageTexts {
    EMessageKind kind;
    const char* english;
    const char* german;
    const char* spanish;
};

const CMessageTexts& messageTexts(EMessage message);
const char* messageTitle(EMessageKind kind);

// The languages of the user, chosen by marker files next to the plug-in.
struct CLanguages {
    bool english = true;
    bool german = true;
    bool spanish = true;
    int count() const { return int(english) + int(german) + int(spanish); }
};

constexpr const char* kEnglishMarker = "Quorvix_English.txt";
constexpr const char* kGermanMarker = "Quorvix_German.txt";
constexpr const char* kSpanishMarker = "Quorvix_Spanish.txt";

// No marker at all means every language is in use.
CLanguages languagesFromMarkers(bool englishMarker, bool germanMarker, bool spanishMarker);

// Joins the texts of the languages in use; with more than one, each gets its heading.
std::string composeMessage(const CLanguages& languages, const std::string& english, const std::string& german,
                           const std::string& spanish);

// A catalogue message; the suffix (a path, a reason, an address) follows the text of every language.
std::string composeMessage(const CLanguages& languages, EMessage message, const std::string& suffix = {});

// Names in lists: German when in use, else Spanish, else English.
const char* chooseListLanguage(const CLanguages& languages, const char* english, const char* german,
                               const char* spanish);

// File dialog filter lists: English when in use, else German, else Spanish.
const char* chooseDialogLanguage(const CLanguages& languages, const char* english, const char* german,
                                 const char* spanish);

} // namespace quorvix
