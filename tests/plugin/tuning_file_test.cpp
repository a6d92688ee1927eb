// The tuning-file commands through the binary interface, with the dialogs answered from a file.
#include "plugin_fixture.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace qtest {
namespace {

constexpr int32_t kTuningSource = 1018;
constexpr float kHost = 0.125f, kFile = 0.375f, kExport = 0.875f;

class TuningFileTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        setenv("QUORVIX_DIALOG_ANSWERS", answersPath().c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("QUORVIX_DIALOG_ANSWERS");
        PluginTest::TearDown();
    }
    std::string answersPath() const { return m_config.file("answers"); }
    void answer(const std::vector<std::string>& lines)
    {
        std::ofstream out(answersPath(), std::ios::trunc);
        for (const std::string& l : lines)
            out << l << '\n';
    }
    std::string write(const std::string& name, const std::string& text)
    {
        std::ofstream(m_config.file(name), std::ios::binary) << text;
        return m_config.file(name);
    }
    // A TUN V0 file: key 69 at 68.32 semitones above key 0, near 432 Hz.
    std::string oldTunFile() { return write("a432.tun", "[Tuning]\nNote 69 = 6832\n"); }
    // The MIDI file export of the selected timbre's main tuning: the three bytes of a key.
    std::vector<uint8_t> exportedKey(int key)
    {
        const std::string mid = m_config.file("out.mid");
        answer({mid + "|5"});
        plugin().setParameter(kTuningSource, kExport);
        const std::vector<uint8_t> bytes = readBytes(mid);
        const size_t at = 82 + 23 + 3 * static_cast<size_t>(key); // message byte j lies at 82 + j
        return bytes.size() == 496 ? std::vector<uint8_t>(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + 3))
                                   : std::vector<uint8_t> {};
    }
};

TEST_F(TuningFileTest, LoadAndExport)
{
    const std::string tun = write("a432.tun", "[Scale Begin]\nFormat = \"Quorvix-TUN\"\nFormatVersion = 200\n"
                                              "[Functional Tuning]\nNote 69 = \"!432\"\n[Scale End]\n");
    CStderrCapture messages;
    answer({tun});
    plugin().setParameter(kTuningSource, kFile);
    EXPECT_FLOAT_EQ(plugin().getParameter(kTuningSource), kFile);
    const double cents = 1200.0 * std::log2(432.0 / 8.175798915643707);
    const int fraction = static_cast<int>(std::floor((cents - 6800.0) * 163.84 + 0.5));
    EXPECT_EQ(exportedKey(69), (std::vector<uint8_t> {68, static_cast<uint8_t>(fraction >> 7), static_cast<uint8_t>(fraction & 0x7F)}));
    EXPECT_FLOAT_EQ(plugin().getParameter(kTuningSource), kFile) << "the export returns to the source in force";

    answer({"cancel"});
    plugin().setParameter(kTuningSource, kExport);
    const std::string text = messages.text();
    EXPECT_NE(text.find("Tuning file loaded."), std::string::npos);
    EXPECT_NE(text.find("File exported."), std::string::npos);
    EXPECT_NE(text.find("No tuning file exported."), std::string::npos);
}

TEST_F(TuningFileTest, FailedOrCancelledLoadsKeepTheSource)
{
    CStderrCapture messages;
    answer({write("bad.tun", "[Tuning]\nNote 1 = x\n")});
    plugin().setParameter(kTuningSource, kFile);
    EXPECT_FLOAT_EQ(plugin().getParameter(kTuningSource), kHost);
    answer({"cancel"});
    plugin().setParameter(kTuningSource, kFile);
    EXPECT_FLOAT_EQ(plugin().getParameter(kTuningSource), kHost);
    EXPECT_NE(messages.text().find("The following error occured while loading the tuning file:\n1: Value type "
                                   "mismatch. Integer expected!"),
              std::string::npos);
}

TEST_F(TuningFileTest, AnswersAreReadInTurnAndTheFileStaysAsItWas)
{
    CStderrCapture messages;
    const std::string tun = oldTunFile();
    answer({tun, "cancel"});
    const std::vector<uint8_t> written = readBytes(answersPath());
    plugin().setParameter(kTuningSource, kFile);
    EXPECT_FLOAT_EQ(plugin().getParameter(kTuningSource), kFile) << "the first line";
    EXPECT_EQ(readBytes(answersPath()), written);
    plugin().setParameter(kTuningSource, kHost);
    plugin().setParameter(kTuningSource, kFile);
    EXPECT_FLOAT_EQ(plugin().getParameter(kTuningSource), kHost) << "the second line cancels";
    plugin().setParameter(kTuningSource, kFile);
    EXPECT_FLOAT_EQ(plugin().getParameter(kTuningSource), kHost) << "no line left: cancelled";
    EXPECT_EQ(readBytes(answersPath()), written);

    answer({tun});
    plugin().setParameter(kTuningSource, kFile);
    EXPECT_FLOAT_EQ(plugin().getParameter(kTuningSource), kFile) << "a rewritten file starts again";
}

TEST_F(TuningFileTest, ScalaScaleWithoutMapping)
{
    CStderrCapture messages;
    answer({write("fifths.scl", "Fifths\n1\n3/2\n"), "cancel"}); // no keyboard mapping
    plugin().setParameter(kTuningSource, kFile);
    EXPECT_FLOAT_EQ(plugin().getParameter(kTuningSource), kFile);
    // Key 60 is degree 0; key 69 at 440 Hz is nine fifths above it.
    const double cents60 = 1200.0 * std::log2(440.0 / std::pow(1.5, 9) / 8.175798915643707);
    const std::vector<uint8_t> key60 = exportedKey(60);
    ASSERT_EQ(key60.size(), 3u);
    EXPECT_EQ(key60[0], static_cast<uint8_t>(std::floor(cents60 / 100.0)));
}

TEST_F(TuningFileTest, AFileSavedUnderAllFilesTakesTheFormatOfItsName)
{
    CStderrCapture messages;
    struct {
        const char* answer;
        const char* file;
        const char* content; // a text the format writes
    } cases[] = {
        {"tuning.mid|6", "tuning.mid", "MThd"},
        {"tuning.TUN|6", "tuning.TUN", "FormatVersion = 200"}, // the first TUN entry, V2.00
        {"tuning|6", "tuning.msf", "multiple scales file"},     // no match: the first format
    };
    for (const auto& c : cases) {
        answer({m_config.file(c.answer)});
        plugin().setParameter(kTuningSource, kExport);
        const std::vector<uint8_t> bytes = readBytes(m_config.file(c.file));
        EXPECT_NE(std::string(bytes.begin(), bytes.end()).find(c.content), std::string::npos) << c.answer;
    }
}

// The desktop dialogs, played by fake zenity and kdialog scripts that log their arguments.
class TuningDialogTest : public TuningFileTest {
protected:
    void SetUp() override
    {
        TuningFileTest::SetUp();
        m_savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        mkdir(bin().c_str(), 0755);
        setenv("PATH", bin().c_str(), 1);
        setenv("DISPLAY", ":fake", 1); // a display is only looked for in the environment
    }
    void TearDown() override
    {
        setenv("PATH", m_savedPath.c_str(), 1);
        unsetenv("DISPLAY");
        TuningFileTest::TearDown();
    }
    std::string bin() const { return m_config.file("bin"); }
    std::string log(const std::string& program) const
    {
        const std::vector<uint8_t> bytes = readBytes(m_config.file(program + ".log"));
        return std::string(bytes.begin(), bytes.end());
    }
    // The program prints the path to a file dialog and the format to a list; message boxes get OK.
    void fakeProgram(const std::string& program, const std::string& path, const std::string& format = "")
    {
        const std::string script = bin() + "/" + program;
        std::ofstream(script) << "#!/bin/sh\nlog='" << m_config.file(program + ".log") << "' path='" << path
                              << "' format='" << format << "'\n"
                              << R"(for a in "$@"; do printf '%s\n' "$a"; done >> "$log"
for a in "$@"; do case "$a" in
  --file-selection|--getopenfilename|--getsavefilename) echo "$path"; exit 0;;
  --list|--menu) echo "$format"; exit 0;;
esac; done
)";
        chmod(script.c_str(), 0755);
    }
    std::string pluginFolder() const { return m_pluginPath.substr(0, m_pluginPath.rfind('/') + 1); }
    // Each text appears in the program's log; a text may span arguments (one a line).
    void expectLogged(const std::string& program, const std::vector<std::string>& texts)
    {
        const std::string calls = log(program);
        for (const std::string& text : texts)
            EXPECT_NE(calls.find(text), std::string::npos) << text << "\nnot in\n" << calls;
    }

    std::string m_savedPath;
};

const char* const kLoadPatterns = "*.scl *.msf *.tun *.tun.* *.txt";
const char* const kLoadName = "All supported formats (*.scl;*.msf;*.tun;*.tun.*;*.txt)";

TEST_F(TuningDialogTest, ZenityComesFirstWithTheEnglishListAndAllFiles)
{
    fakeProgram("zenity", oldTunFile());
    fakeProgram("kdialog", "cancel");
    plugin().setParameter(kTuningSource, kFile);
    EXPECT_FLOAT_EQ(plugin().getParameter(kTuningSource), kFile);
    expectLogged("zenity", {"--file-selection\n", "--filename=" + pluginFolder() + "\n",
                            "--file-filter=" + std::string(kLoadName) + " | " + kLoadPatterns + "\n",
                            "--file-filter=All Files (*.*) | *\n"});
    EXPECT_EQ(log("kdialog"), "");
}

TEST_F(TuningDialogTest, ZenityExportStartsInThePluginFolder)
{
    fakeProgram("zenity", m_config.file("zenity"), "MIDI file (as system exclusive data) (*.mid)");
    plugin().setParameter(kTuningSource, kExport);
    EXPECT_EQ(readBytes(m_config.file("zenity.mid")).size(), 496u);
    expectLogged("zenity", {"--save\n", "--filename=" + pluginFolder() + "\n",
                            "--file-filter=MIDI file (as system exclusive data) (*.mid) | *.mid\n",
                            "--file-filter=All Files (*.*) | *\n"});
}

TEST_F(TuningDialogTest, WithoutZenityKdialogServes)
{
    fakeProgram("kdialog", oldTunFile());
    plugin().setParameter(kTuningSource, kFile);
    EXPECT_FLOAT_EQ(plugin().getParameter(kTuningSource), kFile);
    expectLogged("kdialog", {"--getopenfilename\n" + pluginFolder() + "\n" + kLoadPatterns + "|" + kLoadName + "\n",
                             "\n*|All Files (*.*)\n"});

    fakeProgram("kdialog", m_config.file("kdialog"), "5");
    plugin().setParameter(kTuningSource, kExport);
    EXPECT_EQ(readBytes(m_config.file("kdialog.mid")).size(), 496u);
    expectLogged("kdialog", {"--menu\n", "--getsavefilename\n" + pluginFolder() + "\n*.mid|MIDI file"});
}

TEST_F(TuningDialogTest, WithoutADialogProgramTheDialogsAreCancelled)
{
    CStderrCapture messages;
    answer({oldTunFile()}); // answers are for headless runs only
    plugin().setParameter(kTuningSource, kFile);
    EXPECT_FLOAT_EQ(plugin().getParameter(kTuningSource), kHost);
    plugin().setParameter(kTuningSource, kExport);
    EXPECT_NE(messages.text().find("No tuning file exported."), std::string::npos);
}

} // namespace
} // namespace qtest
