#include "presets/chunk.h"
#include "presets/embedded_banks.h"
#include "presets/factory_bank.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace quorvix {
namespace {

using Programs = std::array<CProgram, kProgramCount>;

uint32_t big(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

std::unique_ptr<Programs> namedPrograms()
{
    auto programs = std::make_unique<Programs>();
    for (size_t i = 0; i < programs->size(); ++i) {
        (*programs)[i].setName("Sound " + std::to_string(i));
        (*programs)[i].filter.level = 1 + static_cast<int>(i % 8);
    }
    return programs;
}

TEST(FactoryBank, NamesOfTheList)
{
    const char* const expected[] = {"Brenwick", "Tavisk/BW", "EasyMode", "EM / Bonus", "Pelor 1",
                                    "Pelor 2",  "Pelor 3",   "Quorvix V2", "Quorvix V1"};
    for (int s = 0; s < kFactoryBankCount; ++s)
        EXPECT_STREQ(bankName(s), expected[s]);
    EXPECT_STREQ(bankName(-1), "ERROR");
    EXPECT_STREQ(bankName(10), "ERROR");
    EXPECT_STREQ(bankName(9, {true, false, false}), "Random Presets");
    EXPECT_STREQ(bankName(9, {true, true, true}), "Zufalls-Presets");
    EXPECT_STREQ(bankName(9, {false, false, true}), "Presets al azar");
}

TEST(FactoryBank, Checksum)
{
    EXPECT_EQ(bankChecksum(nullptr, 0), 0x8a710f83u);
    const uint8_t one[] = {0x01};
    EXPECT_EQ(bankChecksum(one, 1), 0xC53887C0u) << "rotated right, then the byte in the low bits";
    const uint8_t two[] = {0x01, 0xFF};
    EXPECT_EQ(bankChecksum(two, 2), 0x629C431Fu);
}

TEST(FactoryBank, TheStoredBankLayout)
{
    const std::vector<uint8_t> b = buildStoredBank(*namedPrograms());
    ASSERT_GT(b.size(), kBankChunkOffset);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "CcnK");
    EXPECT_EQ(big(b, 4), b.size() - 8) << "byte size";
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 12), "FBCh");
    EXPECT_EQ(big(b, 12), 1u);
    EXPECT_EQ(std::string(b.begin() + 16, b.begin() + 20), "Quor");
    EXPECT_EQ(big(b, 20), 1u);
    EXPECT_EQ(big(b, 24), 64u);
    for (size_t i = 28; i < kBankChunkSizeOffset; ++i)
        ASSERT_EQ(b[i], 0) << "reserved byte " << i;
    EXPECT_EQ(big(b, kBankChunkSizeOffset), b.size() - kBankChunkOffset);
    EXPECT_EQ(std::string(b.begin() + 160, b.begin() + 168), "QuorData");
    EXPECT_EQ(b[168] | b[169] << 8, 2) << "format";
    EXPECT_EQ(b[170] | b[171] << 8, 4) << "chunk version";
    EXPECT_EQ(b[172] | b[173] << 8, 64);

    size_t chunkSize = 0;
    const uint8_t* chunk = storedBankChunk(b.data(), b.size(), chunkSize);
    ASSERT_EQ(chunk, b.data() + kBankChunkOffset);
    auto programs = std::make_unique<Programs>();
    const CChunkReading r = readChunk(chunk, chunkSize, false, 0, *programs);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.header.tuningSource, 0);
    EXPECT_FALSE(r.header.hasTunings);
    EXPECT_EQ((*programs)[63].name, "Sound 63");
    EXPECT_EQ(std::string(chunk + 18 + (chunk[14] | chunk[15] << 8), chunk + 22 + (chunk[14] | chunk[15] << 8)), "PROG");
    EXPECT_EQ(chunk[22 + (chunk[14] | chunk[15] << 8)], 8) << "record version";

    // A container too short for its chunk size, or of another plug-in, holds no chunk.
    std::vector<uint8_t> cut(b.begin(), b.end() - 1);
    EXPECT_EQ(storedBankChunk(cut.data(), cut.size(), chunkSize), nullptr);
    std::vector<uint8_t> other = b;
    other[16] = 'X';
    EXPECT_EQ(storedBankChunk(other.data(), other.size(), chunkSize), nullptr);
}

TEST(FactoryBank, ABankWithAlteredBytesIsRefusedAndTheBankStaysUntouched)
{
    const std::vector<uint8_t> good = buildStoredBank(*namedPrograms());
    const uint32_t expected = bankChecksum(good.data(), good.size());
    auto programs = std::make_unique<Programs>();
    EXPECT_FALSE(loadStoredBank(nullptr, *programs)) << "a missing bank";
    for (size_t at : {size_t(0), size_t(100), size_t(157), size_t(400), good.size() / 2, good.size() - 1}) {
        std::vector<uint8_t> bad = good;
        bad[at] ^= 0x10;
        const CStoredBank stored {bad.data(), bad.size(), expected, "Quorvix V1"};
        EXPECT_FALSE(verifyStoredBank(stored)) << at;
        EXPECT_FALSE(loadStoredBank(&stored, *programs)) << at;
        for (const CProgram& p : *programs)
            ASSERT_EQ(p.name, "Init") << "flipped byte " << at;
    }
    const CStoredBank stored {good.data(), good.size(), expected, "Quorvix V1"};
    ASSERT_TRUE(loadStoredBank(&stored, *programs));
    EXPECT_EQ((*programs)[17].name, "Sound 17");

    // A checksum that fits a bank whose chunk cannot be read still fails.
    std::vector<uint8_t> broken = good;
    broken[kBankChunkOffset] = 'X';
    const CStoredBank unreadable {broken.data(), broken.size(), bankChecksum(broken.data(), broken.size()), ""};
    EXPECT_FALSE(loadStoredBank(&unreadable, *programs));
}

TEST(FactoryBank, EveryEmbeddedBankMatchesItsChecksumAndAFlippedBitDoesNot)
{
    int embedded = 0;
    for (int s = 0; s < kFactoryBankCount; ++s) {
        const CStoredBank* bank = factoryBank(s);
        if (!bank)
            continue;
        ++embedded;
        EXPECT_TRUE(verifyStoredBank(*bank)) << "bank " << s;
        std::vector<uint8_t> flipped(bank->bytes, bank->bytes + bank->size);
        flipped[flipped.size() / 3] ^= 0x04;
        EXPECT_FALSE(verifyStoredBank({flipped.data(), flipped.size(), bank->expectedChecksum, bank->name})) << s;
    }
    EXPECT_EQ(factoryBank(-1), nullptr);
    EXPECT_EQ(factoryBank(kRandomBankSelector), nullptr);
    if (embedded == 0)
        GTEST_SKIP() << "no bank is embedded yet";
}

TEST(FactoryBank, AFactoryLoadMovesALoneEffect2IntoEffect1)
{
    CProgram p;
    p.effects[1].type = effect::Chorus;
    p.effects[1].time1 = 20;
    p.effects[1].mix = 0.4f;
    p.effects[0].time1 = 300;
    adjustFactoryProgram(p);
    EXPECT_EQ(p.effects[0].type, effect::Chorus);
    EXPECT_EQ(p.effects[0].time1, 20);
    EXPECT_FLOAT_EQ(p.effects[0].mix, 0.4f);
    EXPECT_EQ(p.effects[1].type, effect::None);
    EXPECT_EQ(p.effects[1].time1, 300) << "the two units exchange all their values";

    CProgram both;
    both.effects[0].type = effect::Delay;
    both.effects[1].type = effect::Phaser;
    adjustFactoryProgram(both);
    EXPECT_EQ(both.effects[0].type, effect::Delay);
    EXPECT_EQ(both.effects[1].type, effect::Phaser);
}

TEST(FactoryBank, AFactoryLoadSetsPortamentoSyncAndBend)
{
    CProgram p;
    p.level.portamento = 3.0f;
    p.portamentoSync = 9;
    p.level.pitchBendRange = 12.0f;
    adjustFactoryProgram(p);
    EXPECT_FLOAT_EQ(p.level.portamento, 1.0f);
    EXPECT_EQ(p.portamentoSync, 0);
    EXPECT_FLOAT_EQ(p.level.pitchBendRange, 2.0f);
}

TEST(FactoryBank, AFactoryLoadPutsHostClocksAtFixedRates)
{
    // MIDI-relative kinds 0..6 become 120, 180, 240, 240, 10 BPS, 60, 60 BPM; fixed ones stay.
    const int fixed[13] = {8, 9, 10, 10, 11, 7, 7, 7, 8, 9, 10, 11, 12};
    for (int kind = 0; kind < 13; ++kind) {
        CProgram p;
        p.oscillators[0].syncKind = 0;
        p.oscillators[1].syncKind = kind;
        p.amplitudeEnvelope.clockKind = kind;
        adjustFactoryProgram(p);
        EXPECT_EQ(p.oscillators[1].syncKind, fixed[kind]) << kind;
        EXPECT_EQ(p.amplitudeEnvelope.clockKind, fixed[kind]) << kind;
    }
    // "1/2 x MIDI" plays at "60 BPM", provided oscillator 1 follows the host.
    CProgram p;
    p.oscillators[0].syncKind = 6;
    p.oscillators[2].syncKind = 6;
    adjustFactoryProgram(p);
    EXPECT_EQ(p.oscillators[0].syncKind, 7);
    EXPECT_EQ(p.oscillators[2].syncKind, 7);
    CProgram fixedFirst;
    fixedFirst.oscillators[0].syncKind = 9;
    fixedFirst.oscillators[2].syncKind = 6;
    fixedFirst.oscillatorModulation.oscillators[0].syncKind = 0;
    adjustFactoryProgram(fixedFirst);
    EXPECT_EQ(fixedFirst.oscillators[2].syncKind, 6) << "oscillator 1 at a fixed rate keeps the others";
    EXPECT_EQ(fixedFirst.oscillatorModulation.oscillators[0].syncKind, 0) << "modulation keeps following the host";
}

} // namespace
} // namespace quorvix
