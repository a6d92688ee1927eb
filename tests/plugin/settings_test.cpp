#include "plugin_fixture.h"

#include "plugin/vst2abi.h"

#include <sys/stat.h>

namespace qtest {
namespace {

constexpr const char* kRestartEnglish =
    "For this change taking effect properly you must exit and restart your music-software.";
constexpr const char* kRestartGerman =
    "Damit diese \xC3\x84nderung wirksam wird, m\xC3\xBCssen Sie Ihre Musik-Software beenden und neu starten.";
constexpr const char* kRestartSpanish = "Para que este cambio tenga efecto debe salir y reiniciar su programa musical.";

TEST_F(PluginTest, WithoutSettingsTheRecordIsWrittenAtClose)
{
    plugin();
    EXPECT_EQ(plugin().effect()->numOutputs, 2);
    closePlugin();
    const std::vector<uint8_t> record = readBytes(settingsPath());
    // magic, version 4, counter -1, mono on, knob on, oversampling 1, auto on, flag on, bank 0, "Bones"
    const std::vector<uint8_t> expected = {'Q', 'X', 'S', 'F', 4, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 1, 0, 1,
                                           1,   0,   1,   0,   0, 0, 0, 0, 'B', 'o', 'n', 'e', 's', 0};
    EXPECT_EQ(record, expected);
}

TEST_F(PluginTest, SettingsSurviveTheNextInstance)
{
    writeSettings(settingsRecord(4, {7, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 1, 0, 0, 0, 0, 0, 'M', 'y', 0}));
    {
        CStderrCapture quiet;
        EXPECT_EQ(plugin().effect()->numOutputs, 8);
        EXPECT_FLOAT_EQ(plugin().getParameter(1022), 0.0f);
        EXPECT_FLOAT_EQ(plugin().getParameter(1017), 0.0f);
        EXPECT_FLOAT_EQ(plugin().getParameter(1021), 2.5f / 3.0f);
        EXPECT_FLOAT_EQ(plugin().getParameter(1023), 0.0f);
        plugin().setParameter(1017, 1.0f);
        plugin().setParameter(1021, 0.0f);
        plugin().setParameter(1022, 1.0f); // takes effect at the next start
        EXPECT_EQ(plugin().effect()->numOutputs, 8);
        closePlugin();
    }
    const std::vector<uint8_t> record = readBytes(settingsPath());
    ASSERT_EQ(record.size(), 28u);
    EXPECT_EQ(record[8], 8) << "the start counter is the stored value plus one";
    EXPECT_EQ(record[12], 1) << "mono timbral setting";
    EXPECT_EQ(record[14], 1) << "knob mode";
    EXPECT_EQ(record[16], 0) << "oscillator oversampling";
    EXPECT_EQ(record[17], 0) << "auto store";
    EXPECT_EQ(std::string(record.begin() + 25, record.end() - 1), "My");
    EXPECT_EQ(plugin().effect()->numOutputs, 2);
}

TEST_F(PluginTest, OlderSettingsRecordsAreRead)
{
    struct {
        int version;
        std::vector<uint8_t> fields;
        int outputs;
        float knob;
        float oversampling;
        float autoStore;
    } cases[] = {
        {0, {0, 0}, 2, 0.0f, 0.5f, 1.0f},
        {1, {0, 0, 0, 0, 1, 0, 1, 0, 1, 0}, 2, 1.0f, 0.5f, 1.0f},
        {1, {0, 0, 0, 0, 1, 0, 0, 0, 1, 0}, 2, 1.0f, 0.5f / 3.0f, 1.0f},
        {2, {0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 0}, 8, 1.0f, 0.5f, 0.0f},
        {3, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 3, 0, 0, 0, 'X', 0}, 8, 0.0f, 0.5f / 3.0f, 1.0f},
    };
    for (const auto& c : cases) {
        writeSettings(settingsRecord(c.version, c.fields));
        EXPECT_EQ(plugin().effect()->numOutputs, c.outputs) << "version " << c.version;
        EXPECT_FLOAT_EQ(plugin().getParameter(1017), c.knob) << "version " << c.version;
        EXPECT_FLOAT_EQ(plugin().getParameter(1021), c.oversampling) << "version " << c.version;
        EXPECT_FLOAT_EQ(plugin().getParameter(1023), c.autoStore) << "version " << c.version;
        EXPECT_FLOAT_EQ(plugin().getParameter(1016), c.version == 3 ? 0.35f : 0.05f) << "version " << c.version;
        closePlugin();
    }
}

TEST_F(PluginTest, ForeignOrNewerRecordsLeaveTheDefaults)
{
    const std::vector<std::vector<uint8_t>> records = {
        settingsRecord(5, {0, 0, 0, 0, 0, 0, 0, 0, 0}),
        {'X', 'X', 'S', 'F', 4, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {'Q', 'X', 'S', 'F'},
        {},
    };
    for (const auto& record : records) {
        writeSettings(record);
        EXPECT_EQ(plugin().effect()->numOutputs, 2);
        EXPECT_FLOAT_EQ(plugin().getParameter(1017), 1.0f);
        closePlugin();
    }
}

TEST_F(PluginTest, UnreadableSettingsAreReportedAndDefaultsStay)
{
    mkdir((m_config.path() + "/Brenwick").c_str(), 0755);
    mkdir((m_config.path() + "/Brenwick/Quorvix").c_str(), 0755);
    mkdir(settingsPath().c_str(), 0755); // a folder where the record should be
    CStderrCapture capture;
    EXPECT_EQ(plugin().effect()->numOutputs, 2);
    const std::string text = capture.text();
    EXPECT_NE(text.find("Quorvix - ERROR"), std::string::npos) << text;
    EXPECT_NE(text.find("An error occured while reading the file\r\n\r\n'" + settingsPath() + "'"), std::string::npos)
        << text;
    closePlugin();
}

TEST_F(PluginTest, UnwritableSettingsAreReported)
{
    writeBytes(m_config.file("Brenwick"), {1, 2, 3}); // a file where a folder is needed
    plugin();
    CStderrCapture capture;
    closePlugin();
    const std::string text = capture.text();
    EXPECT_NE(text.find("An error occured while writing the file\r\n\r\n'"), std::string::npos) << text;
}

TEST_F(PluginTest, RestartMessageInAllLanguagesWithoutMarkers)
{
    CStderrCapture capture;
    plugin().setParameter(1022, 0.0f);
    const std::string text = capture.text();
    const std::string expected = std::string("ENGLISH:\n") + kRestartEnglish + "\n\nDEUTSCH:\n" + kRestartGerman +
                                 "\n\nESPANOLA:\n" + kRestartSpanish;
    EXPECT_NE(text.find("Quorvix: " + expected), std::string::npos) << text;
    EXPECT_FLOAT_EQ(plugin().getParameter(1022), 0.0f);
    EXPECT_EQ(plugin().effect()->numOutputs, 2) << "the mode in force stays";
}

TEST_F(PluginTest, RestartMessageOnlyWhenTheSettingDiffersFromTheMode)
{
    CStderrCapture capture;
    plugin().setParameter(1022, 1.0f);
    EXPECT_EQ(capture.text().find(kRestartEnglish), std::string::npos);
}

TEST_F(PluginTest, MarkerFilesChooseTheLanguage)
{
    CTempFolder install;
    const std::string copy = install.file("Quorvix.so");
    writeBytes(copy, readBytes(m_pluginPath));
    writeBytes(install.file("Quorvix_German.txt"), {});
    m_pluginPath = copy;
    CStderrCapture capture;
    plugin().setParameter(1022, 0.0f);
    const std::string text = capture.text();
    EXPECT_NE(text.find(std::string("Quorvix: ") + kRestartGerman + "\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("DEUTSCH:"), std::string::npos) << "one language has no heading";
    EXPECT_EQ(text.find(kRestartEnglish), std::string::npos);
    closePlugin();
    m_library.reset();
}

} // namespace
} // namespace qtest
