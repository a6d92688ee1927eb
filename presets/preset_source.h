// The readable source of a factory bank (resources/banks/*.qvx): a bank line, then the programs in
// order, each with its name, category and settings by name in natural units. The format is
// described in resources/banks/README.md.
#pragma once

#include "presets/program.h"

#include <string>
#include <vector>

namespace quorvix {

enum class ECategory { Bass, Lead, Pad, Keys, Pluck, Bell, Organ, Strings, Brass, Sequence, Percussion, Fx };
constexpr int kCategoryCount = 12;

// "bass", "lead", ... as the sources write them.
const char* categoryName(ECategory category);

struct CSourceProgram {
    CProgram program;
    ECategory category = ECategory::Lead;
    bool drone = false; // may sound on after its release
    int line = 0;
};

struct CSourceBank {
    int selector = -1;
    std::string name;
    std::vector<CSourceProgram> programs;
};

struct CSourceError {
    int line = 0; // 0 for the bank as a whole
    std::string message;
};

// "file:line: message"
std::string errorText(const std::string& file, const CSourceError& error);

// Reads a source; reading goes on after a bad line, so every error is listed. The bank is
// complete only when there are none.
std::vector<CSourceError> readPresetSource(const std::string& text, CSourceBank& bank);

// What a bank must be before it is stored: 64 programs with names of 1 to 24 characters, unique in
// the bank and not "Init", each left unchanged by the program check and by a factory load.
std::vector<CSourceError> checkSourceBank(const CSourceBank& bank);

// The stored programs of a checked bank.
std::array<CProgram, kProgramCount> bankPrograms(const CSourceBank& bank);

} // namespace quorvix
