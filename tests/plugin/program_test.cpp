// Programs through the binary interface: program changes, auto-store, the clipboard commands
// and the names the host sees.
#include "plugin_fixture.h"

#include "plugin/vst2abi.h"

#include <cstdlib>
#include <cstring>

namespace qtest {
namespace {

constexpr int32_t kCutoff = 108;      // "FiltFreq" of the selected timbre
constexpr float kInitCutoff = 0.7457f; // 2330 Hz read back
constexpr float kEdited = 0.9f;
constexpr int32_t kChannel = 1006;
constexpr int32_t kProgramPlus = 1009;
constexpr int32_t kStore = 1010;
constexpr int32_t kCopy = 1012;
constexpr int32_t kPaste = 1013;
constexpr int32_t kSwap = 1014;
constexpr int32_t kClear = 1015;
constexpr int32_t kAutoStore = 1023;

class ProgramTest : public PluginTest {
protected:
    void kick(int32_t command) { plugin().setParameter(command, 0.0f); }
    void setProgram(int program) { plugin().dispatch(vst::effSetProgram, 0, program); }
    int program() { return static_cast<int>(plugin().dispatch(vst::effGetProgram)); }
};

TEST_F(ProgramTest, AutoStoreKeepsOrLosesTheEdit)
{
    startOnInitBank();
    for (bool autoStore : {false, true}) {
        plugin().setParameter(kAutoStore, autoStore ? 1.0f : 0.0f);
        setProgram(autoStore ? 2 : 1);
        plugin().setParameter(kCutoff, kEdited);
        setProgram(3);
        setProgram(autoStore ? 2 : 1);
        if (autoStore)
            EXPECT_FLOAT_EQ(plugin().getParameter(kCutoff), kEdited) << "stored before the change";
        else
            EXPECT_NEAR(plugin().getParameter(kCutoff), kInitCutoff, 0.01f) << "the edit is lost";
    }
}

TEST_F(ProgramTest, StoringReloadsOtherTimbresOnTheProgram)
{
    useEightOutputs(kRandomPresetsSelector);
    plugin().setParameter(kChannel, 0.375f); // timbre 2
    setProgram(0);                            // timbre 1 plays program 0 as well
    plugin().setParameter(kAutoStore, 0.0f);
    plugin().setParameter(kCutoff, kEdited);
    EXPECT_NEAR(plugin().getParameter(200 + kCutoff), kInitCutoff, 0.01f) << "timbre 1 before the store";
    kick(kStore); // auto-store is off and no display answers the question: No
    EXPECT_NEAR(plugin().getParameter(200 + kCutoff), kInitCutoff, 0.01f);
    plugin().setParameter(kAutoStore, 1.0f); // turning it on stores at once
    EXPECT_FLOAT_EQ(plugin().getParameter(200 + kCutoff), kEdited) << "timbre 1 reloaded program 0";
    EXPECT_NEAR(plugin().getParameter(600 + kCutoff), kInitCutoff, 0.01f) << "timbre 3 plays program 63";
    plugin().setParameter(kChannel, 0.0f);
    EXPECT_EQ(program(), 0) << "the channel command shows the timbre's program";
}

// Without a display the question of "Store Preset" takes its answer from the answers file.
TEST_F(ProgramTest, StorePresetAsksTheAnswersFile)
{
    struct {
        const char* answers; // nullptr: no answers file
        bool stored;
    } cases[] = {{nullptr, false}, {"", false}, {"no\n", false}, {"Yes\n", false}, {"yes\n", true}};
    int file = 0;
    for (const auto& c : cases) {
        if (c.answers) {
            const std::string path = m_config.file("answers" + std::to_string(++file));
            writeBytes(path, std::vector<uint8_t>(c.answers, c.answers + std::strlen(c.answers)));
            setenv("QUORVIX_DIALOG_ANSWERS", path.c_str(), 1);
        }
        plugin().setParameter(kAutoStore, 0.0f);
        setProgram(4);
        const float original = plugin().getParameter(kCutoff);
        plugin().setParameter(kCutoff, kEdited);
        {
            CStderrCapture question;
            kick(kStore);
            EXPECT_NE(question.text().find("Do you really want to store the changes of the preset?"), std::string::npos);
        }
        setProgram(5);
        setProgram(4);
        unsetenv("QUORVIX_DIALOG_ANSWERS");
        if (c.stored)
            EXPECT_FLOAT_EQ(plugin().getParameter(kCutoff), kEdited) << "answered yes";
        else
            EXPECT_FLOAT_EQ(plugin().getParameter(kCutoff), original) << (c.answers ? c.answers : "no file");
        closePlugin();
    }
}

TEST_F(ProgramTest, ClipboardCommands)
{
    plugin().setParameter(kAutoStore, 0.0f);
    setProgram(7);
    plugin().setParameter(kCutoff, kEdited);
    kick(kPaste); // an untouched clipboard holds "Init"
    EXPECT_NEAR(plugin().getParameter(kCutoff), kInitCutoff, 0.01f);
    EXPECT_EQ(program(), 7) << "paste keeps the program number";

    plugin().setParameter(kCutoff, kEdited);
    kick(kCopy);
    plugin().setParameter(kCutoff, 0.1f);
    kick(kPaste);
    EXPECT_FLOAT_EQ(plugin().getParameter(kCutoff), kEdited);

    kick(kClear);
    kick(kPaste);
    EXPECT_NEAR(plugin().getParameter(kCutoff), kInitCutoff, 0.01f) << "Clear then Paste resets to Init";

    plugin().setParameter(kCutoff, kEdited);
    kick(kSwap); // the timbre takes the clipboard's Init, the clipboard the edit
    EXPECT_NEAR(plugin().getParameter(kCutoff), kInitCutoff, 0.01f);
    kick(kSwap);
    EXPECT_FLOAT_EQ(plugin().getParameter(kCutoff), kEdited) << "a second swap brings the edit back";
}

TEST_F(ProgramTest, NamesAndWrapping)
{
    setProgram(12);
    plugin().dispatch(vst::effSetProgramName, 0, 0, const_cast<char*>("Randomized"));
    EXPECT_EQ(plugin().text(vst::effGetProgramName), "Randomized 12");
    plugin().dispatch(vst::effSetProgramName, 0, 0, const_cast<char*>("A name longer than twenty-four"));
    // the timbre keeps 24 characters; the host's 24-byte field holds 23 and the terminator
    EXPECT_EQ(plugin().text(vst::effGetProgramName), "A name longer than twen");

    setProgram(63);
    kick(kProgramPlus);
    EXPECT_EQ(program(), 0) << "Program +1 on 63 goes to 0";
    kick(1008);
    EXPECT_EQ(program(), 63);
}

} // namespace
} // namespace qtest
