// The plug-in's chunk: magic, format and version, the bank header with the timbre settings and
// tunings, the program records and the end mark.
#pragma once

#include "presets/program.h"
#include "tuning/tuning.h"

#include <array>
#include <cstdint>
#include <vector>

namespace quorvix {

constexpr int kChunkTimbres = 4;
// The version written for the host; factory banks are written with an older one.
constexpr int kChunkVersion = 5;
// The oldest version the writer can give: the first with the oversampling setting as a byte.
constexpr int kOldestWrittenChunkVersion = 4;

struct CChunkTimbre {
    int polyphony = kMaxPolyphony;
    int quality = 1;
    int program = 0;
};

// What a bank chunk's header carries.
struct CChunkHeader {
    int selectedTimbre = 0;
    int timbreCount = kChunkTimbres; // entries that were read, of which the first four count
    std::array<CChunkTimbre, kChunkTimbres> timbres;
    int oscOversampling = 1;
    int tuningSource = 0;
    bool hasTunings = false;
    bool sharedTuning = false; // versions 2 to 4: one tuning for every timbre, destinations reset
    std::array<CTuning, kChunkTimbres> mainTunings;
    std::array<CTuning, kChunkTimbres> destinationTunings;
    float tuningBase = 0.0f;
};

// A program chunk (header null: one record, H = 0) or a bank chunk of the given programs. Version
// 4 keeps one tuning for every timbre (the first timbre's main tuning) behind an unused text;
// versions outside 4..5 write version 5.
std::vector<uint8_t> buildChunk(const CChunkHeader* header, const std::vector<const CProgram*>& programs,
                                int version = kChunkVersion);

struct CChunkReading {
    bool ok = false;
    bool programChunk = false;
    int first = 0;       // bank index of the first record
    int recordsRead = 0; // records that were read into the programs, from first on
    std::vector<int> repaired; // bank indices of programs read with a block replaced
    bool headerRead = false;
    CChunkHeader header;
};

// Reads records into programs (the bank's 64, from first on: the current program for a program
// chunk, else 0). Records read before a failure stay in programs; nothing is read past size.
CChunkReading readChunk(const uint8_t* data, size_t size, bool isPreset, int currentProgram,
                        std::array<CProgram, kProgramCount>& programs);

} // namespace quorvix
