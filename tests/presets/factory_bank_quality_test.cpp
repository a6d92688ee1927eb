// The embedded factory banks against their sources, and every program of every bank that exists
// against the quality bar (rendered in-process; see resources/banks/README.md).
#include "presets/embedded_banks.h"
#include "presets/value_names.h"
#include "tools/bank_quality.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
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

// Together the banks show the whole engine: every wave, combination operator, shape, filter type and
// effect type, the resonator, looping envelopes in both modulation sections and "Always" oversampling.
TEST(FactoryBanks, TogetherUseEveryPartOfTheEngine)
{
    std::set<int> waves, operators, shapes, filters, effects;
    bool resonator = false, oscillatorLoop = false, filterLoop = false, alwaysOversampled = false;
    auto loops = [](const CModulationSettings& section) {
        return section.envelopes[0].loopOn || section.envelopes[1].loopOn;
    };
    for (int selector = 0; selector < kFactoryBankCount; ++selector) {
        auto programs = std::make_unique<std::array<CProgram, kProgramCount>>();
        ASSERT_TRUE(loadStoredBank(factoryBank(selector), *programs)) << "bank " << selector;
        for (const CProgram& p : *programs) {
            for (const COscillatorSettings& o : p.oscillators) {
                waves.insert(o.wave1);
                waves.insert(o.wave2);
            }
            operators.insert({p.combination.operatorA, p.combination.operatorB});
            shapes.insert({p.shaperTable.shape1, p.shaperTable.shape2});
            filters.insert(p.filter.type);
            for (const CEffectSettings& e : p.effects)
                effects.insert(e.type);
            resonator = resonator || p.filter.resonanceWeight > 0.0f;
            oscillatorLoop = oscillatorLoop || loops(p.oscillatorModulation);
            filterLoop = filterLoop || loops(p.filterModulation);
            alwaysOversampled = alwaysOversampled || p.oversampling.mode == kOversamplingModeCount - 1;
        }
    }
    auto missing = [](const std::set<int>& used, int count, const char* (*name)(int)) {
        std::string names;
        for (int id = 1; id < count; ++id)
            if (!used.count(id))
                names += std::string(" \"") + name(id) + "\"";
        return names;
    };
    EXPECT_EQ(missing(waves, kOscillatorWaveCount, waveName), "");
    EXPECT_EQ(missing(operators, kOperatorCount, operatorName), "");
    EXPECT_EQ(missing(shapes, kShapeCount, [](int id) { return shapeName(id, false); }), "");
    EXPECT_EQ(missing(filters, kFilterTypeCount, filterTypeName), "");
    EXPECT_EQ(missing(effects, kEffectTypeCount, effectTypeName), "");
    EXPECT_TRUE(resonator);
    EXPECT_TRUE(oscillatorLoop);
    EXPECT_TRUE(filterLoop);
    EXPECT_TRUE(alwaysOversampled);
}

} // namespace
} // namespace quorvix
