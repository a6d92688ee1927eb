// The factory banks: their list and names, the stored bank file (a VST bank container around a
// bank chunk) with its checksum, and what a factory load does to each program.
#pragma once

#include "presets/messages.h"
#include "presets/program.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorvix {

constexpr int kFactoryBankCount = 9;   // selectors 0..8 load stored banks
constexpr int kRandomBankSelector = 9; // breeds random presets
constexpr int kBankSelectorCount = 10;
// The chunk version the stored banks are written with; their records are of the current version.
constexpr int kFactoryChunkVersion = 4;
constexpr uint32_t kChecksumStart = 0x8a710f83;
// Container layout: big-endian header, the chunk size at 156 and the chunk from 160.
constexpr size_t kBankChunkSizeOffset = 156;
constexpr size_t kBankChunkOffset = 160;

// A stored bank as the plug-in embeds it.
struct CStoredBank {
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    uint32_t expectedChecksum = 0;
    const char* name = "";
};

// "ERROR" for selectors outside the list; selector 9 in the list language of the user.
const char* bankName(int selector, const CLanguages& languages = {});

// "ROM-Bank: " with the bank's name before the question of each language in use.
std::string bankLoadQuestion(const CLanguages& languages, int selector);

// Rotate right by one bit, then exclusive-or each byte into the low byte.
uint32_t bankChecksum(const uint8_t* bytes, size_t size);
bool verifyStoredBank(const CStoredBank& bank);

// The bank file of 64 programs: container, chunk of the factory version, tuning source 0.
std::vector<uint8_t> buildStoredBank(const std::array<CProgram, kProgramCount>& programs);

// The chunk inside a bank file; null when the container is not a Quorvix bank with a chunk that fits.
const uint8_t* storedBankChunk(const uint8_t* bytes, size_t size, size_t& chunkSize);

// Portamento 1 beat at "MIDI" sync and bend range 2, as factory and random programs play.
void setStandardPlaying(CProgram& program);

// What a factory load does to a program after reading it: MIDI-relative oscillator and amplitude
// envelope clocks become fixed rates (the oscillators only when oscillator 1 follows the host),
// portamento 1 beat at "MIDI" sync, bend range 2, and a lone effect 2 moves into effect 1.
void adjustFactoryProgram(CProgram& program);

// Loads a stored bank into the programs and adjusts each: a missing bank or a wrong checksum leaves
// them untouched; an unreadable chunk keeps the records read before the failure, unadjusted.
bool loadStoredBank(const CStoredBank* bank, std::array<CProgram, kProgramCount>& programs);

} // namespace quorvix
