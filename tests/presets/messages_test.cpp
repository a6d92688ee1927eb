#include "presets/messages.h"

#include <gtest/gtest.h>

namespace quorvix {
namespace {

TEST(Messages, MarkersChooseTheLanguages)
{
    const CLanguages none = languagesFromMarkers(false, false, false);
    EXPECT_TRUE(none.english && none.german && none.spanish);
    const CLanguages german = languagesFromMarkers(false, true, false);
    EXPECT_FALSE(german.english);
    EXPECT_TRUE(german.german);
    EXPECT_FALSE(german.spanish);
}

TEST(Messages, OneLanguageHasNoHeading)
{
    EXPECT_EQ(composeMessage(languagesFromMarkers(false, true, false), EMessage::TuningFileLoaded),
              "Tonfrequenz-Datei geladen.");
    EXPECT_EQ(composeMessage(languagesFromMarkers(false, false, true), EMessage::ChunkNotReadable),
              "Error al importar los datos!");
}

TEST(Messages, SeveralLanguagesAreJoinedWithHeadings)
{
    EXPECT_EQ(composeMessage(languagesFromMarkers(true, false, true), EMessage::ExportDone),
              "ENGLISH:\nFile exported.\n\nESPANOLA:\nArchivo exportado.");
    EXPECT_EQ(composeMessage(CLanguages {}, EMessage::TuningFileError, "bad line 3"),
              "ENGLISH:\nThe following error occured while loading the tuning file:\nbad line 3\n\n"
              "DEUTSCH:\nBeim Laden der Tonfrequenz-Datei trat folgender Fehler auf:\nbad line 3\n\n"
              "ESPANOLA:\nHa ocurrido el siguiente error al cargar el archivo:\nbad line 3");
}

TEST(Messages, SomeMessagesAreTheSameEverywhere)
{
    EXPECT_EQ(composeMessage(CLanguages {}, EMessage::OutOfMemory),
              "Quorvix: Out of memory error. Please exit immediately to avoid loss of data or crashes");
    EXPECT_EQ(composeMessage(CLanguages {}, EMessage::RandomBankDone), "O.K.!");
}

TEST(Messages, TitlesAndListNames)
{
    EXPECT_STREQ(messageTitle(messageTexts(EMessage::ChunkNotReadable).kind), "Quorvix - ERROR");
    EXPECT_STREQ(messageTitle(messageTexts(EMessage::StoreConfirmation).kind), "Quorvix");
    const char* names[] = {"Random Presets", "Zufalls-Presets", "Presets al azar"};
    EXPECT_STREQ(chooseListLanguage(CLanguages {}, names[0], names[1], names[2]), "Zufalls-Presets");
    EXPECT_STREQ(chooseListLanguage(languagesFromMarkers(true, false, true), names[0], names[1], names[2]),
                 "Presets al azar");
    EXPECT_STREQ(chooseListLanguage(languagesFromMarkers(true, false, false), names[0], names[1], names[2]),
                 "Random Presets");
}

TEST(Messages, DialogsPreferEnglish)
{
    const char* lists[] = {"All Files", "Alle Dateien", "Todos los archivos"};
    struct {
        bool english, german, spanish;
        const char* chosen;
    } cases[] = {
        {false, false, false, "All Files"}, // no marker: all three in use
        {true, true, true, "All Files"},
        {false, true, true, "Alle Dateien"},
        {false, false, true, "Todos los archivos"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(chooseDialogLanguage(languagesFromMarkers(c.english, c.german, c.spanish), lists[0], lists[1],
                                          lists[2]),
                     c.chosen);
}

} // namespace
} // namespace quorvix
