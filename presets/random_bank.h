// Random presets: programs bred from a pool of the current bank and the factory banks, each
// candidate played on a measuring timbre and levelled before it is accepted.
#pragma once

#include "presets/factory_bank.h"
#include "presets/program.h"

#include <array>
#include <vector>

namespace quorvix {

class CTimbre;

// The current bank, then factory banks 0..8.
constexpr int kPoolSections = 1 + kFactoryBankCount;
constexpr int kPoolSize = kPoolSections * kProgramCount;
// A pool section without one audible program would never give a candidate: after this many
// rejections in a row the program, and with it the bank, is given up.
constexpr int kMaxBreedingAttempts = 400;

using CBankPrograms = std::array<CProgram, kProgramCount>;
using CProgramPool = std::vector<CProgram>;

// The pool of kPoolSize programs: the current bank, then each factory bank as a factory load
// leaves the bank, so a bank that is missing or refused repeats the section before it.
CProgramPool buildBreedingPool(const CBankPrograms& current,
                               const std::array<const CStoredBank*, kFactoryBankCount>& banks);

// Breeds target ("Randomized") from pool entries first..end - 1, measuring each candidate on the
// timbre (at the timbre's rate and block size; it is left silent). Returns the candidates it took,
// or 0 when none was accepted within kMaxBreedingAttempts.
int generateRandomProgram(const CProgramPool& pool, int first, int end, CProgram& target, CTimbre& measuring);

// The 64 programs of a random bank: 0..31 each from the pool section of its index, 32..63 from the
// whole pool, program 63 without effects. attempts receives the candidates of each program. False
// when a program could not be bred; bank is then partly written.
bool generateRandomBank(const CProgramPool& pool, CTimbre& measuring, CBankPrograms& bank,
                        std::array<int, kProgramCount>& attempts);

} // namespace quorvix
