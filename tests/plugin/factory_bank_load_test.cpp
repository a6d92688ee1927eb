// Factory banks and random presets through the binary interface: the bank loaded at start, the
// "LoadBankSelector" command with its question answered from the answers file, and a bred bank.
#include "plugin_fixture.h"

#include "host/fx_container.h"
#include "plugin/vst2abi.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <thread>

namespace qtest {
namespace {

constexpr int32_t kLoadBank = 1016;
constexpr int32_t kChannel = 1006;
constexpr int32_t kPaste = 1013;
constexpr int32_t kClear = 1015;
constexpr int32_t kAutoStore = 1023;
constexpr int kBanks = 9;
constexpr int kRandomSelector = 9;
// Values that a factory load and a random program play with, as "Init" has them.
constexpr int32_t kStandardPlaying[] = {181, 182, 183};
constexpr int32_t kEffectTypes[] = {163, 172};

float selectorValue(int selector) { return (static_cast<float>(selector) + 0.5f) / 10.0f; }

// The bank file the build writes beside the embedded bank; empty when the bank has no source yet.
std::string bankFile(int selector)
{
    for (const auto& entry : std::filesystem::directory_iterator(QUORVIX_BANK_FOLDER)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".fxb" && name.size() > 2 && name[0] == '0' + selector && name[1] == '-')
            return entry.path().string();
    }
    return {};
}

class FactoryBankLoadTest : public PluginTest {
protected:
    void TearDown() override
    {
        unsetenv("QUORVIX_DIALOG_ANSWERS");
        PluginTest::TearDown();
    }

    // Eight outputs, and the selector saved by the last instance.
    void saveSelector(int selector)
    {
        writeSettings(settingsRecord(4, {0, 0, 0, 0, 0, 0, 1, 0, 1, 1, 0, 1, 0, static_cast<uint8_t>(selector), 0, 0, 0,
                                         'B', 'o', 'n', 'e', 's', 0}));
    }

    // The questions of the plug-in get these answers, one a line.
    void answer(const std::string& lines)
    {
        const std::string path = m_config.file("answers" + std::to_string(++m_answerFiles));
        writeBytes(path, std::vector<uint8_t>(lines.begin(), lines.end()));
        setenv("QUORVIX_DIALOG_ANSWERS", path.c_str(), 1);
    }

    // The program names of the bank file, read by an instance of their own.
    std::vector<std::string> namesIn(const std::string& path)
    {
        qhost::CChunkFile file;
        std::string error;
        EXPECT_TRUE(qhost::readChunkFile(readBytes(path), file, error)) << error;
        auto reference = createInstance();
        reference->start();
        EXPECT_GT(reference->setChunk(file.chunk, false), 0);
        return reference->programNames();
    }

    int programOf(int timbre)
    {
        plugin().setParameter(kChannel, (static_cast<float>(timbre) + 0.5f) / 4.0f);
        return static_cast<int>(plugin().dispatch(vst::effGetProgram));
    }

    // The selected timbre's values of these parameters with an "Init" sound; auto-store goes off so
    // that the bank keeps its program.
    std::vector<float> initValues(std::initializer_list<int32_t> numbers)
    {
        plugin().setParameter(kAutoStore, 0.0f);
        plugin().setParameter(kClear, 0.0f);
        plugin().setParameter(kPaste, 0.0f);
        std::vector<float> values;
        for (int32_t n : numbers)
            values.push_back(plugin().getParameter(n));
        return values;
    }

    int m_answerFiles = 0;
};

// "Random Presets" saved by another installation breeds nothing at start: the Init bank plays.
TEST_F(FactoryBankLoadTest, AnInstanceStartsWithTheSavedSelectorsBank)
{
    for (int selector = 0; selector <= kRandomSelector; ++selector) {
        saveSelector(selector);
        const std::string path = selector == kRandomSelector ? std::string() : bankFile(selector);
        CStderrCapture messages;
        const std::vector<std::string> names = plugin().programNames();
        EXPECT_FLOAT_EQ(plugin().getParameter(kLoadBank), selectorValue(selector));
        EXPECT_EQ(programOf(0), 0);
        EXPECT_EQ(programOf(1), 63);
        if (path.empty()) {
            for (const std::string& name : names)
                ASSERT_EQ(name.rfind("Init", 0), 0u) << "bank " << selector << " is missing: the Init bank plays";
        } else {
            EXPECT_EQ(names, namesIn(path)) << "bank " << selector;
        }
        closePlugin();
        EXPECT_EQ(messages.text(), "") << "no message at start, bank " << selector;
    }
}

TEST_F(FactoryBankLoadTest, TheCommandAsksThenLoadsAndTheTimbresKeepTheirPrograms)
{
    const std::string path = bankFile(8);
    if (path.empty())
        GTEST_SKIP() << "bank 8 has no source";
    const std::vector<std::string> bank8 = namesIn(path);
    saveSelector(0);
    plugin().setParameter(kChannel, 0.375f);
    plugin().dispatch(vst::effSetProgram, 0, 5);
    plugin().setParameter(kChannel, 0.125f);
    const std::vector<uint8_t> before = plugin().getChunk(false);

    for (const char* refusal : {"", "no\n", "maybe\n"}) {
        answer(refusal);
        CStderrCapture messages;
        plugin().setParameter(kLoadBank, selectorValue(8));
        EXPECT_NE(messages.text().find("ROM-Bank: Quorvix V1\n\nLoading the bank will overwrite"), std::string::npos);
        EXPECT_TRUE(plugin().getChunk(false) == before) << "answer '" << refusal << "' loads nothing";
        EXPECT_FLOAT_EQ(plugin().getParameter(kLoadBank), selectorValue(0));
    }

    answer("yes\n");
    {
        CStderrCapture quiet;
        plugin().setParameter(kLoadBank, selectorValue(8));
    }
    EXPECT_EQ(plugin().programNames(), bank8);
    EXPECT_FLOAT_EQ(plugin().getParameter(kLoadBank), selectorValue(8));
    EXPECT_FLOAT_EQ(plugin().getParameter(kChannel), 0.125f) << "timbre 1 stays selected";
    EXPECT_EQ(programOf(1), 5) << "timbre 2 plays its program number again";
    EXPECT_EQ(programOf(0), 0);

    // The selector is remembered for the next instance.
    closePlugin();
    EXPECT_EQ(plugin().programNames(), bank8);
}

TEST_F(FactoryBankLoadTest, EveryLoadedProgramPlaysWithPortamentoBendAndEffectsAdjusted)
{
    const std::string path = bankFile(8);
    if (path.empty())
        GTEST_SKIP() << "bank 8 has no source";
    saveSelector(8);
    const std::vector<float> standard = initValues({181, 182, 183});
    const std::vector<float> noEffect = initValues({163, 172});
    for (int p = 0; p < 64; ++p) {
        plugin().dispatch(vst::effSetProgram, 0, p);
        for (size_t i = 0; i < std::size(kStandardPlaying); ++i)
            EXPECT_FLOAT_EQ(plugin().getParameter(kStandardPlaying[i]), standard[i])
                << "program " << p << ", parameter " << kStandardPlaying[i];
        if (plugin().getParameter(kEffectTypes[0]) == noEffect[0]) {
            EXPECT_EQ(plugin().getParameter(kEffectTypes[1]), noEffect[1]) << "program " << p << " uses effect 1 first";
        }
    }
}

TEST_F(FactoryBankLoadTest, AMissingBankIsReportedAndTheProgramsStay)
{
    int missing = -1;
    for (int s = 0; s < kBanks && missing < 0; ++s)
        if (bankFile(s).empty())
            missing = s;
    if (missing < 0)
        GTEST_SKIP() << "every bank is there";
    saveSelector(missing == 8 ? 0 : 8);
    const std::vector<uint8_t> before = plugin().getChunk(false);
    answer("yes\n");
    CStderrCapture messages;
    plugin().setParameter(kLoadBank, selectorValue(missing));
    EXPECT_NE(messages.text().find("An error occured while loading the bank!"), std::string::npos);
    EXPECT_TRUE(plugin().getChunk(false) == before);
    EXPECT_FLOAT_EQ(plugin().getParameter(kLoadBank), selectorValue(missing)) << "the selector is remembered";
}

TEST_F(FactoryBankLoadTest, RandomPresetsKeepTheSelector)
{
    saveSelector(0);
    const std::vector<float> noEffect = initValues({163, 172});
    answer("yes\nyes\n");
    {
        CStderrCapture quiet;
        plugin().setParameter(kLoadBank, selectorValue(3));
    }
    CStderrCapture messages;
    plugin().setParameter(kLoadBank, selectorValue(kRandomSelector));
    const std::string said = messages.text();
    EXPECT_NE(said.find("NOTE: Creating random presets may take a while!"), std::string::npos) << said;
    EXPECT_NE(said.find("O.K.!"), std::string::npos) << said;
    EXPECT_FLOAT_EQ(plugin().getParameter(kLoadBank), selectorValue(3));
    for (const std::string& name : plugin().programNames())
        ASSERT_EQ(name, "Randomized");
    const int expected[4] = {0, 63, 63, 63};
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(programOf(t), expected[t]) << "timbre " << t + 1;
    plugin().setParameter(kChannel, 0.125f);
    plugin().dispatch(vst::effSetProgram, 0, 63);
    EXPECT_EQ(plugin().getParameter(kEffectTypes[0]), noEffect[0]);
    EXPECT_EQ(plugin().getParameter(kEffectTypes[1]), noEffect[1]);
}

// The measuring timbre renders outside the engine lock: the host's audio calls go on meanwhile.
TEST_F(FactoryBankLoadTest, TheHostPlaysOnWhileABankIsBred)
{
    saveSelector(0);
    plugin();
    answer("yes\n");
    std::vector<std::vector<float>> channels(8, std::vector<float>(256));
    std::vector<float*> outputs;
    for (auto& c : channels)
        outputs.push_back(c.data());
    std::atomic<bool> bred {false};
    int blocks = 0;
    {
        CStderrCapture quiet;
        std::thread breeder([&] {
            plugin().setParameter(kLoadBank, selectorValue(kRandomSelector));
            bred = true;
        });
        while (!bred) {
            plugin().processReplacing(outputs.data(), 256);
            ++blocks;
        }
        breeder.join();
    }
    EXPECT_GT(blocks, 20) << "audio blocks while the bank was bred";
    EXPECT_EQ(plugin().programNames().front(), "Randomized");
}

} // namespace
} // namespace qtest
