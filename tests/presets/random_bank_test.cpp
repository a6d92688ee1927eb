// Random banks bred from a pool and measured on a timbre at half the host's rate, as the plug-in
// breeds them.
#include "dsp/runtime_rand.h"
#include "presets/audition.h"
#include "presets/embedded_banks.h"
#include "presets/program_limits.h"
#include "presets/random_bank.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace quorvix {
namespace {

constexpr float kMeasuringRate = 22050.0f;
constexpr double kTargetLoudness = 0.07071067690849304;

std::array<const CStoredBank*, kFactoryBankCount> embeddedBanks()
{
    std::array<const CStoredBank*, kFactoryBankCount> banks {};
    for (int s = 0; s < kFactoryBankCount; ++s)
        banks[static_cast<size_t>(s)] = factoryBank(s);
    return banks;
}

// Every pool program tells its section by its key tracking centre and carries a chorus.
CProgramPool markedPool()
{
    CProgramPool pool(kPoolSize);
    for (size_t i = 0; i < pool.size(); ++i) {
        pool[i].filter.keyMid = static_cast<int>(i) / kProgramCount;
        pool[i].effects[1].type = effect::Chorus;
    }
    return pool;
}

TEST(RandomBank, ThePoolIsTheCurrentBankThenEachFactoryBankAsALoadLeavesIt)
{
    auto current = std::make_unique<CBankPrograms>();
    (*current)[5].setName("Mine");
    std::array<const CStoredBank*, kFactoryBankCount> banks {}; // every bank missing
    const CStoredBank* last = factoryBank(kFactoryBankCount - 1);
    banks[kFactoryBankCount - 1] = last;
    const CProgramPool pool = buildBreedingPool(*current, banks);
    ASSERT_EQ(pool.size(), static_cast<size_t>(kPoolSize));
    for (int section = 0; section < kFactoryBankCount; ++section)
        EXPECT_EQ(pool[static_cast<size_t>(section * kProgramCount + 5)].name, "Mine")
            << "a missing bank leaves the section before it in its place, section " << section;
    auto loaded = std::make_unique<CBankPrograms>();
    if (!loadStoredBank(last, *loaded))
        GTEST_SKIP() << "bank " << kFactoryBankCount - 1 << " is not embedded";
    for (int i = 0; i < kProgramCount; ++i)
        EXPECT_TRUE(pool[static_cast<size_t>(kFactoryBankCount * kProgramCount + i)] == (*loaded)[static_cast<size_t>(i)]);
}

TEST(RandomBank, ProgramsComeFromTheirSectionsAndTheLastHasNoEffects)
{
    const CProgramPool pool = markedPool();
    CAudition measuring(kMeasuringRate);
    auto bank = std::make_unique<CBankPrograms>();
    std::array<int, kProgramCount> attempts {};
    runtimeSrand(7);
    ASSERT_TRUE(generateRandomBank(pool, measuring.timbre(), *bank, attempts));
    for (int i = 0; i < kProgramCount; ++i) {
        const CProgram& p = (*bank)[static_cast<size_t>(i)];
        EXPECT_EQ(p.name, "Randomized");
        EXPECT_GE(attempts[static_cast<size_t>(i)], 1);
        // only 1 in 20 takes its key tracking from another pick, of the same section
        if (i < 32) {
            EXPECT_EQ(p.filter.keyMid, 10 * i / 32) << "program " << i;
        }
    }
    // programs 32..63 draw from the whole pool
    std::array<bool, kPoolSections> seen {};
    for (int i = 32; i < kProgramCount; ++i)
        seen[static_cast<size_t>((*bank)[static_cast<size_t>(i)].filter.keyMid)] = true;
    EXPECT_GE(std::count(seen.begin(), seen.end(), true), 6);
    EXPECT_EQ((*bank)[63].effects[0].type, effect::None);
    EXPECT_EQ((*bank)[63].effects[1].type, effect::None);
    // each effect comes from a pool program's effect 1 or 2: three in four programs have the chorus
    const auto withChorus = std::count_if(bank->begin(), bank->end() - 1, [](const CProgram& p) {
        return p.effects[0].type == effect::Chorus || p.effects[1].type == effect::Chorus;
    });
    EXPECT_GT(withChorus, 32);
}

// Levelling from one audition assumes the loudness follows the main volume; a sound that saturates
// at the audition's volume (the voice clip, a shaper) is levelled by a measure it does not follow.
bool followsTheVolume(CAudition& measuring, const CProgram& p)
{
    auto meanAt = [&](float volume) {
        CProgram q = p;
        q.level.mainVolume = volume;
        q.level.volumeKeySlope = 1.0f;
        const std::array<CLoudness, 2> heard = measureLoudness(measuring.timbre(), q);
        return (heard[0].loudness + heard[1].loudness) / 2.0;
    };
    const double halving = 20.0 * std::log10(meanAt(0.5f) / meanAt(0.25f));
    return std::fabs(halving - 20.0 * std::log10(2.0)) < 1.0;
}

// The factory banks as they are today, with an "Init" current bank: every accepted program is
// within the bounds and, played again at its new level and slope, near the target loudness.
TEST(RandomBank, AcceptedProgramsAreLevelledOverSeveralSeeds)
{
    auto current = std::make_unique<CBankPrograms>();
    const CProgramPool pool = buildBreedingPool(*current, embeddedBanks());
    CAudition measuring(kMeasuringRate);
    for (uint32_t seed : {1u, 20261211u}) {
        auto bank = std::make_unique<CBankPrograms>();
        std::array<int, kProgramCount> attempts {};
        runtimeSrand(seed);
        ASSERT_TRUE(generateRandomBank(pool, measuring.timbre(), *bank, attempts)) << "seed " << seed;
        for (int i = 0; i < kProgramCount; ++i) {
            const CProgram& p = (*bank)[static_cast<size_t>(i)];
            SCOPED_TRACE("seed " + std::to_string(seed) + ", program " + std::to_string(i));
            EXPECT_GE(p.level.mainVolume, 0.0039810715f);
            EXPECT_LE(p.level.mainVolume, 12.589254f);
            EXPECT_GE(p.level.volumeKeySlope, 0.5f);
            EXPECT_LE(p.level.volumeKeySlope, 2.0f);
            EXPECT_EQ(p.level.volumeKeyMid, 60);
            EXPECT_FLOAT_EQ(p.level.portamento, 1.0f);
            EXPECT_EQ(p.portamentoSync, 0);
            EXPECT_FLOAT_EQ(p.level.pitchBendRange, 2.0f);
            CProgram limited = p;
            limitProgram(limited);
            EXPECT_TRUE(limited == p) << "a bred program is within every parameter's range";

            const std::array<CLoudness, 2> heard = measureLoudness(measuring.timbre(), p);
            const double mean = (heard[0].loudness + heard[1].loudness) / 2.0;
            if (p.level.mainVolume < 12.589254f && i < kProgramCount - 1 && followsTheVolume(measuring, p)) {
                EXPECT_LT(20.0 * std::log10(mean / kTargetLoudness), 3.0);
                EXPECT_GT(20.0 * std::log10(mean / kTargetLoudness), -6.0);
            }
        }
        EXPECT_EQ((*bank)[63].effects[0].type, effect::None);
        EXPECT_EQ((*bank)[63].effects[1].type, effect::None);
    }
}

TEST(RandomBank, APoolWithoutASoundIsGivenUp)
{
    CProgramPool silent(kProgramCount);
    for (CProgram& p : silent)
        for (CEnvelopePoint& point : p.amplitudeEnvelope.points)
            point.value = 0.0f;
    CAudition measuring(kMeasuringRate);
    CProgram target;
    runtimeSrand(3);
    EXPECT_EQ(generateRandomProgram(silent, 0, kProgramCount, target, measuring.timbre()), 0);
    EXPECT_EQ(generateRandomProgram(silent, 10, 10, target, measuring.timbre()), 0) << "an empty section";
}

} // namespace
} // namespace quorvix
