// The embedded factory banks against their sources, and every program of every bank that exists
// against the quality bar (rendered in-process; see resources/banks/README.md).
#include "presets/embedded_banks.h"
#include "tools/bank_quality.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace quorvix {
namespace {

namespace fs = std::filesystem;

constexpr double kMedianSpreadDb = 3.0;

std::string sourceOf(int selector)
{
    for (const auto& entry : fs::directory_iterator(QUORVIX_BANK_SOURCES)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".qvx" && name.size() > 2 && name[0] == '0' + selector && name[1] == '-')
            return entry.path().string();
    }
    return {};
}

std::unique_ptr<CSourceBank> readBank(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    auto bank = std::make_unique<CSourceBank>();
    for (const CSourceError& e : readPresetSource(text.str(), *bank))
        ADD_FAILURE() << errorText(path, e);
    for (const CSourceError& e : checkSourceBank(*bank))
        ADD_FAILURE() << errorText(path, e);
    return bank;
}

class FactoryBank : public ::testing::TestWithParam<int> {};

// The embedded bank carries its checksum and is the stored form of its source.
TEST_P(FactoryBank, IsItsSourceWithItsChecksum)
{
    const int selector = GetParam();
    const std::string path = sourceOf(selector);
    const CStoredBank* stored = factoryBank(selector);
    if (path.empty()) {
        EXPECT_EQ(stored, nullptr) << "a bank without a source is missing";
        GTEST_SKIP() << "bank " << selector << " has no source yet";
    }
    ASSERT_NE(stored, nullptr);
    EXPECT_STREQ(stored->name, bankName(selector));
    EXPECT_EQ(bankChecksum(stored->bytes, stored->size), stored->expectedChecksum);
    EXPECT_TRUE(verifyStoredBank(*stored));

    const auto bank = readBank(path);
    const std::vector<uint8_t> built = buildStoredBank(bankPrograms(*bank));
    EXPECT_TRUE(built == std::vector<uint8_t>(stored->bytes, stored->bytes + stored->size));
    auto loaded = std::make_unique<std::array<CProgram, kProgramCount>>();
    ASSERT_TRUE(loadStoredBank(stored, *loaded));
    for (size_t i = 0; i < bank->programs.size(); ++i)
        EXPECT_TRUE((*loaded)[i] == bank->programs[i].program && (*loaded)[i].name == bank->programs[i].program.name)
            << "a factory load plays program " << i << " as its source says";
}

TEST_P(FactoryBank, EveryProgramMeetsTheQualityBar)
{
    const int selector = GetParam();
    const std::string path = sourceOf(selector);
    if (path.empty())
        GTEST_SKIP() << "bank " << selector << " has no source yet";
    const auto bank = readBank(path);
    CAudition audition;
    std::vector<CProgramMeasures> measures;
    for (const CSourceProgram& p : bank->programs)
        measures.push_back(measureProgram(audition, p));
    for (const std::string& failure : bankFailures(*bank, measures))
        ADD_FAILURE() << failure;
}

INSTANTIATE_TEST_SUITE_P(Selectors, FactoryBank, ::testing::Range(0, kFactoryBankCount));

// Switching banks keeps the level: the banks' median loudness lie within 3 dB of each other.
TEST(FactoryBanks, MediansLieWithin3dB)
{
    CAudition audition;
    std::vector<std::pair<int, double>> medians;
    for (int selector = 0; selector < kFactoryBankCount; ++selector) {
        const std::string path = sourceOf(selector);
        if (path.empty())
            continue;
        const auto bank = readBank(path);
        std::vector<double> loudness;
        for (const CSourceProgram& p : bank->programs)
            loudness.push_back(loudnessDb(audition, p.program));
        medians.emplace_back(selector, median(loudness));
    }
    for (const auto& [a, ma] : medians)
        for (const auto& [b, mb] : medians)
            EXPECT_LE(ma - mb, kMedianSpreadDb) << "bank " << a << " median " << ma << " dB, bank " << b << " " << mb;
}

} // namespace
} // namespace quorvix
