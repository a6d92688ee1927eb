// The tuning-file commands through the binary interface, with the dialogs answered from a file.
#include "plugin_fixture.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

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
    const std::string tun = write("a432.tun", "[Tuning]\nNote 69 = 6832\n");
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

} // namespace
} // namespace qtest
