// The program record of the chunk: format 2 ("PROG", versions 0 to 8) and the first
// generation's format 1 ("Prog", 46 normalized values).
#pragma once

#include "presets/program.h"

namespace quorvix {

class CByteReader;
class CByteWriter;

constexpr int kOldProgramFormat = 1;
constexpr int kProgramFormat = 2;

void writeProgramRecord(CByteWriter& out, const CProgram& program);

// Reads one record of the format into program, converting older versions. On failure (a wrong
// tag, a bad name length or value count, a refused version, too few bytes) the program is left
// as it was. A block that cannot be loaded takes the "Init" program's block and sets repaired.
bool readProgramRecord(CByteReader& in, int format, CProgram& program, bool* repaired = nullptr);

} // namespace quorvix
