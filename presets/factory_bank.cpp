#include "presets/factory_bank.h"

#include "dsp/tempo_clock.h"
#include "presets/chunk.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace quorvix {

namespace {

constexpr const char* kBankNames[kFactoryBankCount] = {
    "Brenwick", "Tavisk/BW", "EasyMode", "EM / Bonus", "Pelor 1", "Pelor 2", "Pelor 3", "Quorvix V2", "Quorvix V1",
};

constexpr char kContainerMagic[] = "CcnK";
constexpr char kBankWithChunk[] = "FBCh";
constexpr char kPluginId[] = "Quor";
constexpr uint32_t kContainerVersion = 1;
constexpr uint32_t kPluginVersion = 1;
constexpr size_t kByteSizeOffset = 4;
constexpr size_t kMagicOffset = 8;
constexpr size_t kIdOffset = 16;
constexpr size_t kProgramCountOffset = 24;

// Portamento, its sync and the bend range every factory and random program plays with.
constexpr float kFactoryPortamento = 1.0f;
constexpr int kFactoryPortamentoSync = 0;
constexpr float kFactoryBendRange = 2.0f;

void putBig(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (size_t i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

uint32_t big(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

// The header of the start state: timbre 1 on program 0, the others on 63.
CChunkHeader startHeader()
{
    CChunkHeader header;
    for (int t = 1; t < kChunkTimbres; ++t)
        header.timbres[static_cast<size_t>(t)].program = kProgramCount - 1;
    return header;
}

} // namespace

const char* bankName(int selector, const CLanguages& languages)
{
    if (selector >= 0 && selector < kFactoryBankCount)
        return kBankNames[selector];
    if (selector == kRandomBankSelector)
        return chooseListLanguage(languages, "Random Presets", "Zufalls-Presets", "Presets al azar");
    return "ERROR";
}

std::string bankLoadQuestion(const CLanguages& languages, int selector)
{
    const CMessageTexts& texts = messageTexts(selector == kRandomBankSelector ? EMessage::BankLoadConfirmationRandom
                                                                               : EMessage::BankLoadConfirmation);
    const std::string head = std::string("ROM-Bank: ") + bankName(selector, languages) + "\n\n";
    return composeMessage(languages, head + texts.english, head + texts.german, head + texts.spanish);
}

uint32_t bankChecksum(const uint8_t* bytes, size_t size)
{
    uint32_t sum = kChecksumStart;
    for (size_t i = 0; i < size; ++i)
        sum = ((sum >> 1) | (sum << 31)) ^ bytes[i];
    return sum;
}

bool verifyStoredBank(const CStoredBank& bank)
{
    return bank.bytes && bankChecksum(bank.bytes, bank.size) == bank.expectedChecksum;
}

std::vector<uint8_t> buildStoredBank(const std::array<CProgram, kProgramCount>& programs)
{
    std::vector<const CProgram*> records;
    for (const CProgram& p : programs)
        records.push_back(&p);
    const CChunkHeader header = startHeader();
    const std::vector<uint8_t> chunk = buildChunk(&header, records, kFactoryChunkVersion);

    std::vector<uint8_t> out(kBankChunkOffset + chunk.size(), 0);
    std::memcpy(out.data(), kContainerMagic, 4);
    std::memcpy(out.data() + kMagicOffset, kBankWithChunk, 4);
    putBig(out, kMagicOffset + 4, kContainerVersion);
    std::memcpy(out.data() + kIdOffset, kPluginId, 4);
    putBig(out, kIdOffset + 4, kPluginVersion);
    putBig(out, kProgramCountOffset, kProgramCount);
    putBig(out, kBankChunkSizeOffset, static_cast<uint32_t>(chunk.size()));
    std::copy(chunk.begin(), chunk.end(), out.begin() + kBankChunkOffset);
    putBig(out, kByteSizeOffset, static_cast<uint32_t>(out.size() - 8));
    return out;
}

const uint8_t* storedBankChunk(const uint8_t* bytes, size_t size, size_t& chunkSize)
{
    if (!bytes || size < kBankChunkOffset || std::memcmp(bytes, kContainerMagic, 4) != 0 ||
        std::memcmp(bytes + kMagicOffset, kBankWithChunk, 4) != 0 || std::memcmp(bytes + kIdOffset, kPluginId, 4) != 0)
        return nullptr;
    chunkSize = big(bytes + kBankChunkSizeOffset);
    if (chunkSize > size - kBankChunkOffset)
        return nullptr;
    return bytes + kBankChunkOffset;
}

void setStandardPlaying(CProgram& p)
{
    p.level.portamento = kFactoryPortamento;
    p.portamentoSync = kFactoryPortamentoSync;
    p.level.pitchBendRange = kFactoryBendRange;
}

void adjustFactoryProgram(CProgram& p)
{
    if (clockFollowsHost(p.oscillators[0].syncKind))
        for (COscillatorSettings& o : p.oscillators)
            o.syncKind = fixedClockKind(o.syncKind);
    p.amplitudeEnvelope.clockKind = fixedClockKind(p.amplitudeEnvelope.clockKind);
    setStandardPlaying(p);
    if (p.effects[0].type == effect::None && p.effects[1].type != effect::None)
        std::swap(p.effects[0], p.effects[1]);
}

bool loadStoredBank(const CStoredBank* bank, std::array<CProgram, kProgramCount>& programs)
{
    if (!bank || !verifyStoredBank(*bank))
        return false;
    size_t chunkSize = 0;
    const uint8_t* chunk = storedBankChunk(bank->bytes, bank->size, chunkSize);
    if (!chunk)
        return false;
    if (!readChunk(chunk, chunkSize, false, 0, programs).ok)
        return false;
    for (CProgram& p : programs)
        adjustFactoryProgram(p);
    return true;
}

} // namespace quorvix
